#include "resources/time_line.h"

#include "resources/record_io.h"

namespace vendrel::resources {

bool CTimeLine::Read(CStream& stream) {
  moments.clear();
  if (stream.ReadInteger() != kRecordVersion) return false;
  // A moment is at least its step and its event's version word.
  int32_t count = ReadCount(stream, 8);
  moments.resize(size_t(count));
  for (RMoment& moment : moments) {
    moment.step = stream.ReadInteger();
    if (!moment.event.Read(stream)) return false;
  }
  return true;
}

void CTimeLine::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteInteger(Count());
  for (const RMoment& moment : moments) {
    stream.WriteInteger(moment.step);
    moment.event.Write(stream);
  }
}

}  // namespace vendrel::resources
