// Events: finding the action list an object runs for an event through its
// parent chain, performing it for an instance under the run-time error
// context, running time-line moments, and the display names of events used
// in error reports.
#pragma once

#include <string>

namespace vendrel::resources {
class CEvent;
}
namespace vendrel::runtime {
class CInstance;
}

namespace vendrel::interp {

struct FoundEvent {
  resources::CEvent* event = nullptr;  // null: the object has no such event
  int owner = -1;                      // the object whose list it is
};

// The event (type, number) of [object] or of its nearest ancestor that has
// it; for a collision event the ancestors of the other object (the event
// number) are tried too, nearest first.
FoundEvent FindEvent(int object, int type, int number);

// Runs the event list [object] has or inherits for (type, number) with
// [self] and [other]; nothing while a room change is pending.
void PerformObjectEvent(runtime::CInstance* self, runtime::CInstance* other, int object, int type,
                        int number);
// PerformObjectEvent with [instance]'s object.
void PerformEvent(runtime::CInstance* instance, runtime::CInstance* other, int type, int number);
// PerformEvent for every instance of the current room's active list that
// is not destroyed, in list order, with itself as other; instances added
// meanwhile are not visited.
void PerformEventAll(int type, int number);
// Runs moment [moment] (an index into the time line's moments) of time
// line [time_line] for [self] and [other].
void RunMoment(runtime::CInstance* self, runtime::CInstance* other, int time_line, int moment);

// "Create Event", "Alarm Event for alarm 3", "Key Press Event for A-key Key"...
std::string EventName(int type, int number);
std::string KeyName(int key);
std::string MouseEventName(int number);
std::string OtherEventName(int number);

// Hands the error reports the names of objects, time lines and events and
// the abort request; called once when the runtime starts.
void InstallErrorHooks();

}  // namespace vendrel::interp
