#include "resources/room_order.h"

#include "resources/record_io.h"

namespace vendrel::resources {

int RoomOrder::Previous(int room) const {
  int n = Count();
  if (n < 2) return -1;
  int result = -1;
  for (int i = 1; i <= n - 1; ++i) {
    result = rooms[size_t(i - 1)];
    if (rooms[size_t(i)] == room) break;
  }
  return result;
}

int RoomOrder::Next(int room) const {
  int n = Count();
  if (n < 2) return -1;
  int result = -1;
  for (int i = n - 2; i >= 0; --i) {
    result = rooms[size_t(i + 1)];
    if (rooms[size_t(i)] == room) break;
  }
  return result;
}

bool RoomOrder::Read(CStream& stream) {
  rooms.clear();
  if (stream.ReadInteger() != kRecordVersion) return false;
  int32_t count = stream.ReadInteger();
  if (count <= 0) return false;
  if (uint64_t(count) * 4 > stream.Remaining())
    throw runner::StreamError("the room order is longer than the data");
  rooms.resize(size_t(count));
  for (int32_t& room : rooms) room = stream.ReadInteger();
  return true;
}

void RoomOrder::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteInteger(Count());
  for (int32_t room : rooms) stream.WriteInteger(room);
}

}  // namespace vendrel::resources
