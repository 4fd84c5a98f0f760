// CEvent: the action list an object runs for one event, or a time line for
// one moment.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/action.h"
#include "runner/stream.h"

namespace vendrel::resources {

// Event types: the row index of an object's events.
enum EventType : int {
  kEventCreate = 0,
  kEventDestroy = 1,
  kEventAlarm = 2,
  kEventStep = 3,
  kEventCollision = 4,
  kEventKeyboard = 5,
  kEventMouse = 6,
  kEventOther = 7,
  kEventDraw = 8,
  kEventKeyPress = 9,
  kEventKeyRelease = 10,
};
inline constexpr int kEventTypeCount = 11;

class CEvent {
 public:
  static constexpr int32_t kRecordVersion = 400;

  // The stored version word; a record of another version is read as an
  // empty event and kept so that it can be written back.
  int32_t record_version = kRecordVersion;
  std::vector<CAction> actions;

  int Count() const { return int(actions.size()); }
  // The [index]-th action, none outside 0..count-1.
  CAction* Action(int index) {
    return index >= 0 && index < Count() ? &actions[size_t(index)] : nullptr;
  }

  // Reads an event record. A record of another version leaves the event
  // empty and counts as read; false only when an action record is beyond
  // repair (see CAction::Read).
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
