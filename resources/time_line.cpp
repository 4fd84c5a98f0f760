#include "resources/time_line.h"

#include <cstddef>

#include "resources/record_io.h"

namespace vendrel::resources {

int CTimeLine::FindMoment(int32_t step) const {
  for (size_t i = 0; i < moments.size(); ++i)
    if (moments[i].step == step) return int(i);
  return -1;
}

CEvent& CTimeLine::MomentForWriting(int32_t step) {
  const int found = FindMoment(step);
  if (found >= 0) return moments[size_t(found)].event;
  size_t at = 0;
  while (at < moments.size() && moments[at].step <= step) ++at;
  RMoment moment;
  moment.step = step;
  return moments.insert(moments.begin() + std::ptrdiff_t(at), std::move(moment))->event;
}

void CTimeLine::ClearMoment(int32_t step) {
  const int found = FindMoment(step);
  if (found >= 0) moments.erase(moments.begin() + found);
}

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
