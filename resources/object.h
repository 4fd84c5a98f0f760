// CObject: the template of instances: sprite, mask, depth, flags, parent
// and, per event, an action list.
#pragma once

#include <array>
#include <cstdint>
#include <map>

#include "resources/event.h"
#include "runner/stream.h"

namespace vendrel::resources {

class CObject {
 public:
  // Version 400 stores the event rows of types 0 to 8; version 430 stores
  // the last event type first.
  static constexpr int32_t kRecordVersionOld = 400;
  static constexpr int32_t kRecordVersion = 430;

  int32_t record_version = kRecordVersion;
  int32_t sprite = -1;
  bool solid = false;
  bool visible = true;
  int32_t depth = 0;
  bool persistent = false;
  int32_t parent = -1;
  // Sprite used for collisions; -1: the instance's own sprite.
  int32_t mask = -1;
  // Per event type, the events by event number. Numbers that were never
  // stored have no entry, which reads the same as an empty event; keeping
  // the rows sparse means a damaged event number cannot make a row huge.
  std::array<std::map<int32_t, CEvent>, kEventTypeCount> events;

  // The event (type, number) when it holds at least one action, else none.
  CEvent* Event(int type, int number);
  const CEvent* Event(int type, int number) const;
  // The entry (type, number), created empty when missing; none for a type
  // outside 0..10 or a negative number.
  CEvent* EventForWriting(int type, int number);
  // Some event of row [type] holds an action.
  bool HasType(int type) const;

  // Reads an object record; false for another version or an impossible
  // last event type (bad resource data).
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
