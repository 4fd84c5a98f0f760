#include "interpreter/events.h"

#include "code/errors.h"
#include "interpreter/actions.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"

namespace vendrel::interp {

namespace {

using resources::CObject;

// The parent of [object], or -1 when it has none or it names no object.
int ParentOf(int object) {
  const CObject* definition = resources::Resources().objects.Get(object);
  if (definition == nullptr) return -1;
  const int parent = definition->parent;
  return resources::Resources().objects.Exists(parent) ? parent : -1;
}

// The first object of [object]'s chain (itself, then its ancestors) that
// has the event. Parent chains are walked at most once around, so a loop
// in them cannot hang the lookup.
FoundEvent FindInChain(int object, int type, int number) {
  auto& objects = resources::Resources().objects;
  const int limit = objects.Count();
  int current = object;
  for (int steps = 0; steps <= limit && current >= 0; ++steps) {
    CObject* definition = objects.Get(current);
    if (definition == nullptr) break;
    if (resources::CEvent* event = definition->Event(type, number)) return {event, current};
    current = ParentOf(current);
  }
  return {};
}

}  // namespace

FoundEvent FindEvent(int object, int type, int number) {
  FoundEvent found = FindInChain(object, type, number);
  if (found.event != nullptr || type != resources::kEventCollision) return found;
  auto& objects = resources::Resources().objects;
  if (!objects.Exists(number)) return {};
  const int limit = objects.Count();
  int ancestor = ParentOf(number);
  for (int steps = 0; steps <= limit && ancestor >= 0; ++steps) {
    found = FindInChain(object, type, ancestor);
    if (found.event != nullptr) return found;
    ancestor = ParentOf(ancestor);
  }
  return {};
}

void PerformObjectEvent(runtime::CInstance* self, runtime::CInstance* other, int object, int type,
                        int number) {
  if (runtime::RoomChangePending()) return;
  FoundEvent found = FindEvent(object, type, number);
  if (found.event == nullptr) return;
  code::RunErrorContext& context = code::ErrorContext();
  const int saved_object = context.object_index;
  const int saved_type = context.event_type;
  const int saved_number = context.event_number;
  context.object_index = found.owner;
  context.event_type = type;
  context.event_number = number;
  RunActionList(*found.event, self, other);
  context.object_index = saved_object;
  context.event_type = saved_type;
  context.event_number = saved_number;
}

void PerformEvent(runtime::CInstance* instance, runtime::CInstance* other, int type, int number) {
  if (instance == nullptr) return;
  PerformObjectEvent(instance, other, instance->object_index, type, number);
}

void PerformEventAll(int type, int number) {
  runtime::CRunRoom* room = runtime::CurrentRoom();
  if (room == nullptr) return;
  const int count = room->ActiveCount();
  for (int i = 0; i < count; ++i) {
    // The list is read afresh: an activation change may shorten it.
    runtime::CInstance* instance = room->ActiveAt(i);
    if (instance == nullptr) break;
    if (instance->destroyed) continue;
    PerformEvent(instance, instance, type, number);
  }
}

void RunMoment(runtime::CInstance* self, runtime::CInstance* other, int time_line, int moment) {
  if (runtime::RoomChangePending()) return;
  resources::CTimeLine* line = resources::Resources().time_lines.Get(time_line);
  if (line == nullptr || moment < 0 || moment >= line->Count()) return;
  resources::RMoment& entry = line->moments[size_t(moment)];
  code::RunErrorContext& context = code::ErrorContext();
  const int saved_object = context.object_index;
  const int saved_type = context.event_type;
  const int saved_number = context.event_number;
  context.object_index = time_line;
  context.event_type = code::kTimeLineEvent;
  context.event_number = entry.step;
  RunActionList(entry.event, self, other);
  context.object_index = saved_object;
  context.event_type = saved_type;
  context.event_number = saved_number;
}

// Display names ------------------------------------------------------------

std::string KeyName(int key) {
  switch (key) {
    case 0: return "<no key>";
    case 1: return "<any key>";
    case 8: return "<Backspace>";
    case 9: return "<Tab>";
    case 13: return "<Enter>";
    case 16: return "<Shift>";
    case 17: return "<Ctrl>";
    case 18: return "<Alt>";
    case 27: return "<Escape>";
    case 32: return "<Space>";
    case 33: return "<Page Up>";
    case 34: return "<Page Down>";
    case 35: return "<End>";
    case 36: return "<Home>";
    case 37: return "<Left>";
    case 38: return "<Up>";
    case 39: return "<Right>";
    case 40: return "<Down>";
    case 45: return "<Insert>";
    case 46: return "<Delete>";
    case 106: return "Keypad *";
    case 107: return "Keypad +";
    case 109: return "Keypad -";
    case 110: return "Keypad .";
    case 111: return "Keypad /";
    default: break;
  }
  if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90))
    return std::string(1, char(key)) + "-key";
  if (key >= 96 && key <= 105) return "Keypad " + std::to_string(key - 96);
  if (key >= 112 && key <= 123) return "F" + std::to_string(key - 111);
  return "<unknown>";
}

std::string MouseEventName(int number) {
  static const char* const kNames[] = {
      "Left Button",    "Right Button",    "Middle Button",   "No Button",
      "Left Pressed",   "Right Pressed",   "Middle Pressed",  "Left Released",
      "Right Released", "Middle Released", "Mouse Enter",     "Mouse Leave"};
  if (number >= 0 && number <= 11) return kNames[number];
  static const char* const kDirections[] = {"Left", "Right", "Up", "Down"};
  if (number >= 16 && number <= 19) return std::string("Joystick 1 ") + kDirections[number - 16];
  if (number >= 21 && number <= 28) return "Joystick 1 Button " + std::to_string(number - 20);
  if (number >= 31 && number <= 34) return std::string("Joystick 2 ") + kDirections[number - 31];
  if (number >= 36 && number <= 43) return "Joystick 2 Button " + std::to_string(number - 35);
  static const char* const kGlobal[] = {
      "Glob Left Button",   "Glob Right Button",   "Glob Middle Button",
      "Glob Left Pressed",  "Glob Right Pressed",  "Glob Middle Pressed",
      "Glob Left Released", "Glob Right Released", "Glob Middle Released"};
  if (number >= 50 && number <= 58) return kGlobal[number - 50];
  if (number == 60) return "Mouse Wheel Up";
  if (number == 61) return "Mouse Wheel Down";
  return "<unknown>";
}

std::string OtherEventName(int number) {
  static const char* const kNames[] = {
      "Outside Room", "Intersect Boundary", "Game Start",    "Game End",
      "Room Start",   "Room End",           "No More Lives", "Animation End",
      "End Of Path",  "No More Health"};
  if (number >= 0 && number <= 9) return kNames[number];
  if (number >= 10 && number <= 25) return "User Defined " + std::to_string(number - 10);
  return "<unknown>";
}

std::string EventName(int type, int number) {
  switch (type) {
    case resources::kEventCreate: return "Create Event";
    case resources::kEventDestroy: return "Destroy Event";
    case resources::kEventAlarm: return "Alarm Event for alarm " + std::to_string(number);
    case resources::kEventStep: {
      const char* step = number == 0   ? ""
                         : number == 1 ? "Begin"
                         : number == 2 ? "End"
                                       : "<unknown>";
      return std::string(step) + " Step Event";
    }
    case resources::kEventCollision:
      return "Collision Event with object " + resources::Resources().objects.Name(number);
    case resources::kEventKeyboard: return "Keyboard Event for " + KeyName(number) + " Key";
    case resources::kEventMouse: return "Mouse Event for " + MouseEventName(number);
    case resources::kEventOther: return "Other Event: " + OtherEventName(number);
    case resources::kEventDraw: return "Draw Event";
    case resources::kEventKeyPress: return "Key Press Event for " + KeyName(number) + " Key";
    case resources::kEventKeyRelease: return "Key Release Event for " + KeyName(number) + " Key";
    default: return "<Unknown Event>";
  }
}

void InstallErrorHooks() {
  code::ErrorHooks& hooks = code::ErrorCallbacks();
  hooks.object_name = [](int index) { return resources::Resources().objects.Name(index); };
  hooks.time_line_name = [](int index) { return resources::Resources().time_lines.Name(index); };
  hooks.event_name = [](int type, int number) { return EventName(type, number); };
  hooks.request_abort = [] { runtime::Game().pending_room_change = runtime::kAbortGame; };
}

}  // namespace vendrel::interp
