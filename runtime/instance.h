// CInstance: a live instance of an object in the current room, and the
// access the interpreter has to the room's instance lists.
#pragma once

#include <cstdint>

#include "interpreter/variables.h"

namespace vendrel::runtime {

// Instance ids start here; smaller owner codes are object indexes.
inline constexpr int kFirstInstanceId = 100000;

class CInstance {
 public:
  CInstance() = default;
  CInstance(int instance_id, int object) : id(instance_id), object_index(object) {}

  int id = 0;
  int object_index = -1;
  // Marked for removal: no longer chosen by with, owners or lookups by id,
  // though it stays in the room's lists until the end of the step.
  bool destroyed = false;
  // Part of the room's active list (deactivated instances are not).
  bool active = true;
  // The instance's user variables (ids 100000 and up).
  interp::CVariableList variables;
};

// How the interpreter reaches the instances of the current room. The room
// runtime installs these; an entry left empty behaves as an empty room.
// Lists are read by position so that instances created while a with
// statement runs (appended at the end) do not disturb it.
struct InstanceAccess {
  // The room's active list, destroyed instances included.
  int (*active_count)() = nullptr;
  CInstance* (*active_at)(int position) = nullptr;
  // The instances of an object and of its descendants.
  int (*family_count)(int object_index) = nullptr;
  CInstance* (*family_at)(int object_index, int position) = nullptr;
  // The instance with [id] in the active list, or null.
  CInstance* (*find)(int id) = nullptr;
};

InstanceAccess& Instances();

// Counted and positional access through the hooks above.
int ActiveInstanceCount();
CInstance* ActiveInstanceAt(int position);
int FamilyInstanceCount(int object_index);
CInstance* FamilyInstanceAt(int object_index, int position);
// The live (not destroyed) instance with [id], or null.
CInstance* FindLiveInstance(int id);
// The first live instance of the active list, or of an object's family.
CInstance* FirstLiveInstance();
CInstance* FirstLiveFamilyInstance(int object_index);

}  // namespace vendrel::runtime
