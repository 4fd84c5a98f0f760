// The room order: the indexes of the rooms in the order the game visits
// them; the first entry is the room the game starts in.
#pragma once

#include <cstdint>
#include <vector>

#include "runner/stream.h"

namespace vendrel::resources {

class RoomOrder {
 public:
  static constexpr int32_t kRecordVersion = 540;

  std::vector<int32_t> rooms;

  int Count() const { return int(rooms.size()); }
  // The first and last entries; -1 when the order is empty.
  int First() const { return rooms.empty() ? -1 : rooms.front(); }
  int Last() const { return rooms.empty() ? -1 : rooms.back(); }
  // The neighbours of [room] in the order; -1 with fewer than two entries.
  // For a room the scan does not find they answer the last value the scan
  // set: Previous gives entry n - 2 and Next gives entry 1 (the callers deal
  // with the first and last rooms and with rooms that do not exist).
  int Previous(int room) const;
  int Next(int room) const;

  // Reads the list; false for another version or a count of 0 or less.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
