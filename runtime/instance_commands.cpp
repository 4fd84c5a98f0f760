#include "runtime/instance_commands.h"

#include <cmath>
#include <string>
#include <vector>

#include "code/errors.h"
#include "interpreter/events.h"
#include "interpreter/value.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"
#include "runtime/instance.h"

namespace vendrel::runtime {

namespace {

constexpr int kAll = -3;
constexpr int kSelf = -1;
constexpr int kOther = -2;

bool Live(const CInstance* instance) { return instance != nullptr && !instance->destroyed; }

bool ObjectExists(int object) { return resources::Resources().objects.Exists(object); }

// The active instances as they are now, for commands that must not visit
// instances their own events create.
std::vector<CInstance*> ActiveSnapshot() {
  std::vector<CInstance*> list;
  if (CRunRoom* room = CurrentRoom())
    for (int i = 0; i < room->ActiveCount(); ++i) list.push_back(room->ActiveAt(i));
  return list;
}

bool PointTest(CInstance* instance, double x, double y) {
  if (!Live(instance)) return false;
  const int64_t px = interp::RoundHalfEven(x);
  const int64_t py = interp::RoundHalfEven(y);
  if (px < instance->bbox_left || px > instance->bbox_right || py < instance->bbox_top ||
      py > instance->bbox_bottom)
    return false;
  if (!instance->precise || Hooks().point_test == nullptr) return true;
  return Hooks().point_test(instance, x, y);
}

void ApplyActivation() {
  if (CRunRoom* room = CurrentRoom()) room->ApplyActivation();
}

bool Overlaps(const CInstance& instance, double left, double top, double width, double height) {
  return instance.bbox_right >= left && instance.bbox_left <= left + width &&
         instance.bbox_bottom >= top && instance.bbox_top <= top + height;
}

void FatalRoomError(const std::string& message) {
  code::ShowRunError(message, true);
  Game().pending_room_change = kAbortGame;
}

}  // namespace

bool IsObjectOrDescendant(int object, int ancestor) {
  const auto& objects = resources::Resources().objects;
  int current = object;
  for (int steps = 0; steps <= objects.Count() && current >= 0; ++steps) {
    if (current == ancestor) return true;
    const resources::CObject* definition = objects.Get(current);
    if (definition == nullptr) return false;
    current = definition->parent;
  }
  return false;
}

int CreateInstance(int object, double x, double y) {
  if (!ObjectExists(object)) {
    code::ShowRunError("Creating instance for non-existing object: " + std::to_string(object),
                       false);
    return kNoone;
  }
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return kNoone;
  CInstance* instance = room->CreateInstance(object, x, y);
  const int id = instance->id;
  interp::PerformEvent(instance, instance, resources::kEventCreate, 0);
  return id;
}

int CopyInstance(CInstance* caller, bool perform_event) {
  CRunRoom* room = CurrentRoom();
  if (caller == nullptr || room == nullptr) return kNoone;
  CInstance* copy = room->CreateInstance(caller->object_index, caller->x, caller->y);
  const int id = copy->id;
  copy->CopyFrom(*caller);
  copy->id = id;  // CopyFrom took the caller's id
  if (perform_event) interp::PerformEvent(copy, copy, resources::kEventCreate, 0);
  return id;
}

void ChangeInstance(CInstance* caller, int object, bool perform_events) {
  if (!ObjectExists(object)) {
    code::ShowRunError("Asking to change into non-existing object: " + std::to_string(object),
                       false);
    return;
  }
  CRunRoom* room = CurrentRoom();
  if (caller == nullptr || room == nullptr) return;
  if (perform_events) interp::PerformEvent(caller, caller, resources::kEventDestroy, 0);
  CInstance* replacement = room->CreateInstance(object, caller->x, caller->y);
  const int new_id = replacement->id;
  replacement->CopyFrom(*caller);
  replacement->id = new_id;
  room->ChangeId(replacement, caller->id);
  replacement->SetObject(object);
  caller->destroyed = true;
  if (perform_events)
    interp::PerformEvent(replacement, replacement, resources::kEventCreate, 0);
}

void DestroyInstance(CInstance* instance) {
  if (instance == nullptr) return;
  interp::PerformEvent(instance, instance, resources::kEventDestroy, 0);
  instance->destroyed = true;
}

void DestroyAtPosition(double x, double y) {
  for (CInstance* instance : ActiveSnapshot())
    if (PointTest(instance, x, y)) DestroyInstance(instance);
}

void ChangeAtPosition(double x, double y, int object, bool perform_events) {
  if (!ObjectExists(object)) {
    code::ShowRunError("Asking to change into non-existing object: " + std::to_string(object),
                       false);
    return;
  }
  for (CInstance* instance : ActiveSnapshot())
    if (PointTest(instance, x, y)) ChangeInstance(instance, object, perform_events);
}

int FindInstance(int object, int n) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr || n < 0) return kNoone;
  if (object == kAll) {
    for (int i = 0; i < room->ActiveCount(); ++i) {
      CInstance* instance = room->ActiveAt(i);
      if (Live(instance) && n-- == 0) return instance->id;
    }
    return kNoone;
  }
  if (object >= kFirstInstanceId) {
    CInstance* instance = room->Find(object);
    return n == 0 && Live(instance) ? instance->id : kNoone;
  }
  if (object < 0) return kNoone;
  for (int i = 0; i < room->FamilyCount(object); ++i) {
    CInstance* instance = room->FamilyAt(object, i);
    if (Live(instance) && n-- == 0) return instance->id;
  }
  return kNoone;
}

int InstanceNumber(CInstance* self, CInstance* other, int object) {
  if (object == kSelf) return Live(self) ? 1 : 0;
  if (object == kOther) return Live(other) ? 1 : 0;
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return 0;
  int count = 0;
  if (object == kAll) {
    for (int i = 0; i < room->ActiveCount(); ++i) count += Live(room->ActiveAt(i)) ? 1 : 0;
    return count;
  }
  if (object >= kFirstInstanceId) return Live(room->Find(object)) ? 1 : 0;
  if (object < 0) return 0;
  for (int i = 0; i < room->FamilyCount(object); ++i)
    count += Live(room->FamilyAt(object, i)) ? 1 : 0;
  return count;
}

bool InstanceExists(CInstance* self, CInstance* other, int object) {
  return InstanceNumber(self, other, object) > 0;
}

void DeactivateAll(CInstance* caller, bool not_me) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  for (int i = 0; i < room->ActiveCount(); ++i) room->ActiveAt(i)->deactivated = true;
  if (not_me && caller != nullptr) caller->deactivated = false;
  ApplyActivation();
}

void DeactivateObject(CInstance* self, CInstance* other, int object) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  if (object == kSelf) {
    if (self != nullptr) self->deactivated = true;
  } else if (object == kOther) {
    if (other != nullptr) other->deactivated = true;
  } else if (object == kAll) {
    for (int i = 0; i < room->ActiveCount(); ++i) room->ActiveAt(i)->deactivated = true;
  } else if (object >= kFirstInstanceId) {
    for (int i = 0; i < room->ActiveCount(); ++i)
      if (room->ActiveAt(i)->id == object) room->ActiveAt(i)->deactivated = true;
  } else if (object >= 0) {
    for (int i = 0; i < room->FamilyCount(object); ++i)
      room->FamilyAt(object, i)->deactivated = true;
  }
  ApplyActivation();
}

void DeactivateRegion(CInstance* caller, double left, double top, double width, double height,
                      bool inside, bool not_me) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  for (int i = 0; i < room->ActiveCount(); ++i) {
    CInstance* instance = room->ActiveAt(i);
    if (Overlaps(*instance, left, top, width, height) == inside) instance->deactivated = true;
  }
  if (not_me && caller != nullptr) caller->deactivated = false;
  ApplyActivation();
}

void ActivateAll() {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  for (int i = 0; i < room->InactiveCount(); ++i) room->InactiveAt(i)->deactivated = false;
  ApplyActivation();
}

void ActivateObject(CInstance* self, CInstance* other, int object) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  if (object == kSelf) {
    if (self != nullptr) self->deactivated = false;
  } else if (object == kOther) {
    if (other != nullptr) other->deactivated = false;
  } else {
    for (int i = 0; i < room->InactiveCount(); ++i) {
      CInstance* instance = room->InactiveAt(i);
      if (object == kAll || (object >= kFirstInstanceId && instance->id == object) ||
          (object >= 0 && object < kFirstInstanceId &&
           IsObjectOrDescendant(instance->object_index, object)))
        instance->deactivated = false;
    }
  }
  ApplyActivation();
}

void ActivateRegion(double left, double top, double width, double height, bool inside) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  for (int i = 0; i < room->InactiveCount(); ++i) {
    CInstance* instance = room->InactiveAt(i);
    if (Overlaps(*instance, left, top, width, height) == inside) instance->deactivated = false;
  }
  ApplyActivation();
}

void RequestRoom(int room) {
  if (!resources::Resources().rooms.Exists(room)) {
    FatalRoomError("Unexisting room number: " + std::to_string(room));
    return;
  }
  Game().pending_room_change = room;
}

void RequestPreviousRoom() {
  const resources::RoomOrder& order = resources::Resources().room_order;
  if (Game().room == order.First()) {
    FatalRoomError("Moving to previous room before the first room.");
    return;
  }
  RequestRoom(order.Previous(Game().room));
}

void RequestNextRoom() {
  const resources::RoomOrder& order = resources::Resources().room_order;
  if (Game().room == order.Last()) {
    FatalRoomError("Moving to next room after the last room.");
    return;
  }
  RequestRoom(order.Next(Game().room));
}

int PreviousRoom(int room) {
  const resources::RoomOrder& order = resources::Resources().room_order;
  if (!resources::Resources().rooms.Exists(room) || room == order.First()) return -1;
  return order.Previous(room);
}

int NextRoom(int room) {
  const resources::RoomOrder& order = resources::Resources().room_order;
  if (!resources::Resources().rooms.Exists(room) || room == order.Last()) return -1;
  return order.Next(room);
}

}  // namespace vendrel::runtime
