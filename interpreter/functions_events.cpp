// Functions that perform events from game code, with the caller's self and
// other: an event of the instance's own object, of another object, a
// user-defined event, and the parent's version of the running event.
#include <cstdint>

#include "code/errors.h"
#include "interpreter/events.h"
#include "interpreter/function_families.h"
#include "resources/event.h"
#include "resources/game_resources.h"
#include "runtime/instance.h"

namespace vendrel::interp {

namespace {

// User-defined event n is number n + 10 of the "other" events.
constexpr int kFirstUserEvent = 10;

// Event types and numbers outside the int range name no event.
int ClampedInt(const RValue& value) {
  const int64_t rounded = ArgInt(value);
  if (rounded < INT32_MIN) return INT32_MIN;
  if (rounded > INT32_MAX) return INT32_MAX;
  return int(rounded);
}

VENDREL_BUILTIN(EventPerform) {
  PerformEvent(self, other, ClampedInt(args[0]), ClampedInt(args[1]));
}

VENDREL_BUILTIN(EventPerformObject) {
  PerformObjectEvent(self, other, ClampedInt(args[0]), ClampedInt(args[1]), ClampedInt(args[2]));
}

VENDREL_BUILTIN(EventUser) {
  const int64_t number = ArgInt(args[0]) + kFirstUserEvent;
  if (number < INT32_MIN || number > INT32_MAX) return;
  PerformEvent(self, other, resources::kEventOther, int(number));
}

// The context names the object whose event list is running; performing its
// parent's event sets the context to the parent (or the ancestor that has
// the event), so nested calls walk up the chain one level each.
VENDREL_BUILTIN(EventInherited) {
  const code::RunErrorContext context = code::ErrorContext();
  if (context.event_type == code::kTimeLineEvent) return;
  auto& objects = resources::Resources().objects;
  const resources::CObject* running = objects.Get(context.object_index);
  if (running == nullptr || !objects.Exists(running->parent)) return;
  PerformObjectEvent(self, other, running->parent, context.event_type, context.event_number);
}

}  // namespace

static const code::FunctionTableRow kEventFunctions[] = {
    {"event_perform", 2, EventPerform},
    {"event_perform_object", 3, EventPerformObject},
    {"event_user", 1, EventUser},
    {"event_inherited", 0, EventInherited},
};

void RegisterEventFunctions() { code::RegisterFamily(kEventFunctions); }

}  // namespace vendrel::interp
