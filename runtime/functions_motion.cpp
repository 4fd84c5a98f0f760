// Built-in functions for motion and placement: place_*, move_*, motion_*
// and distance_*. Handlers convert their arguments and call
// runtime/motion.h.
#include <algorithm>
#include <cstdint>

#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "runtime/collision.h"
#include "runtime/function_families.h"
#include "runtime/motion.h"

namespace vendrel::runtime {

namespace {

using interp::ArgInt32;
using interp::ArgReal;


VENDREL_BUILTIN(PlaceFreeHandler) {
  if (self != nullptr) SetBool(result, PlaceFree(*self, ArgReal(args[0]), ArgReal(args[1])));
}

VENDREL_BUILTIN(PlaceEmptyHandler) {
  if (self != nullptr)
    SetBool(result, PlaceEmpty(*self, ArgReal(args[0]), ArgReal(args[1])));
}

VENDREL_BUILTIN(PlaceMeeting) {
  if (self == nullptr) return;
  const int obj = ReplaceSelfOther(ArgInt32(args[2]), self, other);
  SetBool(result, InstancePlace(*self, ArgReal(args[0]), ArgReal(args[1]), obj) != kNoone);
}

VENDREL_BUILTIN(PlaceSnappedHandler) {
  if (self != nullptr)
    SetBool(result, PlaceSnapped(*self, ArgReal(args[0]), ArgReal(args[1])));
}

VENDREL_BUILTIN(MoveRandomHandler) {
  if (self != nullptr) MoveRandom(*self, ArgReal(args[0]), ArgReal(args[1]));
}

VENDREL_BUILTIN(MoveSnapHandler) {
  if (self != nullptr) MoveSnap(*self, ArgReal(args[0]), ArgReal(args[1]));
}

VENDREL_BUILTIN(MoveTowardsPointHandler) {
  if (self != nullptr) MoveTowardsPoint(*self, ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]));
}

VENDREL_BUILTIN(MoveContactHandler) {
  if (self == nullptr) return;
  const double direction = ArgReal(args[0]);
  if (PlaceFree(*self, self->x, self->y))
    MoveContact(*self, direction, -1.0, true);
  else
    MoveOutside(*self, direction, -1.0, true);
}

VENDREL_BUILTIN(MoveContactSolid) {
  if (self != nullptr) MoveContact(*self, ArgReal(args[0]), ArgReal(args[1]), true);
}

VENDREL_BUILTIN(MoveContactAll) {
  if (self != nullptr) MoveContact(*self, ArgReal(args[0]), ArgReal(args[1]), false);
}

VENDREL_BUILTIN(MoveOutsideSolid) {
  if (self != nullptr) MoveOutside(*self, ArgReal(args[0]), ArgReal(args[1]), true);
}

VENDREL_BUILTIN(MoveOutsideAll) {
  if (self != nullptr) MoveOutside(*self, ArgReal(args[0]), ArgReal(args[1]), false);
}

VENDREL_BUILTIN(MoveBounceSolid) {
  if (self != nullptr) MoveBounce(*self, ArgBool(args[0]), true);
}

VENDREL_BUILTIN(MoveBounceAll) {
  if (self != nullptr) MoveBounce(*self, ArgBool(args[0]), false);
}

VENDREL_BUILTIN(MoveWrapHandler) {
  if (self != nullptr) MoveWrap(*self, ArgBool(args[0]), ArgBool(args[1]), ArgReal(args[2]));
}

VENDREL_BUILTIN(MotionSet) {
  if (self == nullptr) return;
  self->SetDirection(ArgReal(args[0]));
  self->SetSpeed(ArgReal(args[1]));
}

VENDREL_BUILTIN(MotionAdd) {
  if (self != nullptr) self->AddMotion(ArgReal(args[0]), ArgReal(args[1]));
}

VENDREL_BUILTIN(DistanceToPointHandler) {
  if (self != nullptr) result.SetReal(DistanceToPoint(*self, ArgReal(args[0]), ArgReal(args[1])));
}

VENDREL_BUILTIN(DistanceToObjectHandler) {
  if (self != nullptr) result.SetReal(DistanceToObject(*self, other, ArgInt32(args[0])));
}

static const code::FunctionTableRow kMotionFunctions[] = {
    {"place_free", 2, PlaceFreeHandler},
    {"place_empty", 2, PlaceEmptyHandler},
    {"place_meeting", 3, PlaceMeeting},
    {"place_snapped", 2, PlaceSnappedHandler},
    {"move_random", 2, MoveRandomHandler},
    {"move_snap", 2, MoveSnapHandler},
    {"move_towards_point", 3, MoveTowardsPointHandler},
    {"move_contact", 1, MoveContactHandler},
    {"move_contact_solid", 2, MoveContactSolid},
    {"move_contact_all", 2, MoveContactAll},
    {"move_outside_solid", 2, MoveOutsideSolid},
    {"move_outside_all", 2, MoveOutsideAll},
    {"move_bounce", 1, MoveBounceSolid},
    {"move_bounce_solid", 1, MoveBounceSolid},
    {"move_bounce_all", 1, MoveBounceAll},
    {"move_wrap", 3, MoveWrapHandler},
    {"motion_set", 2, MotionSet},
    {"motion_add", 2, MotionAdd},
    {"distance_to_point", 2, DistanceToPointHandler},
    {"distance_to_object", 1, DistanceToObjectHandler},
};

}  // namespace

void RegisterMotionFunctions() { code::RegisterFamily(kMotionFunctions); }

}  // namespace vendrel::runtime
