// CTimeLine: moments, each a step number with an action list.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/event.h"
#include "runner/stream.h"

namespace vendrel::resources {

struct RMoment {
  int32_t step = 0;
  CEvent event;
};

class CTimeLine {
 public:
  static constexpr int32_t kRecordVersion = 500;

  // In ascending order of step, as stored.
  std::vector<RMoment> moments;

  int Count() const { return int(moments.size()); }

  // The first moment whose step is [step], or -1.
  int FindMoment(int32_t step) const;
  // The event of the moment at [step]; a missing moment is inserted empty
  // before the first later step, so the steps stay ascending.
  CEvent& MomentForWriting(int32_t step);
  // Removes the moment at exactly [step] with its actions, when there is
  // one.
  void ClearMoment(int32_t step);

  // Reads a time-line record; false for another version or an action
  // record beyond repair.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
