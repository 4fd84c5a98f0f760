// Built-in functions that search the room for instances: collision_*,
// instance_position, instance_place, instance_nearest, instance_furthest
// and position_*. Handlers convert their arguments and call
// runtime/collision.h and runtime/motion.h.
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


VENDREL_BUILTIN(CollisionPointHandler) {
  result.SetReal(CollisionPoint(self, ArgReal(args[0]), ArgReal(args[1]), ArgInt32(args[2]),
                                ArgBool(args[3]), ArgBool(args[4])));
}

VENDREL_BUILTIN(CollisionRectangleHandler) {
  result.SetReal(CollisionRectangle(self, ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]),
                                    ArgReal(args[3]), ArgInt32(args[4]), ArgBool(args[5]),
                                    ArgBool(args[6])));
}

VENDREL_BUILTIN(CollisionCircleHandler) {
  const double x = ArgReal(args[0]), y = ArgReal(args[1]), r = ArgReal(args[2]);
  result.SetReal(CollisionEllipse(self, x - r, y - r, x + r, y + r, ArgInt32(args[3]),
                                  ArgBool(args[4]), ArgBool(args[5])));
}

VENDREL_BUILTIN(CollisionEllipseHandler) {
  result.SetReal(CollisionEllipse(self, ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]),
                                  ArgReal(args[3]), ArgInt32(args[4]), ArgBool(args[5]),
                                  ArgBool(args[6])));
}

VENDREL_BUILTIN(CollisionLineHandler) {
  result.SetReal(CollisionLine(self, ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]),
                               ArgReal(args[3]), ArgInt32(args[4]), ArgBool(args[5]),
                               ArgBool(args[6])));
}

VENDREL_BUILTIN(InstancePositionHandler) {
  result.SetReal(InstancePosition(ArgReal(args[0]), ArgReal(args[1]), ArgInt32(args[2])));
}

VENDREL_BUILTIN(InstanceNearestHandler) {
  result.SetReal(InstanceNearest(ArgReal(args[0]), ArgReal(args[1]), ArgInt32(args[2])));
}

VENDREL_BUILTIN(InstanceFurthestHandler) {
  result.SetReal(InstanceFurthest(ArgReal(args[0]), ArgReal(args[1]), ArgInt32(args[2])));
}

VENDREL_BUILTIN(InstancePlaceHandler) {
  result.SetReal(self != nullptr ? InstancePlace(*self, ArgReal(args[0]), ArgReal(args[1]),
                                                 ArgInt32(args[2]))
                                 : kNoone);
}

VENDREL_BUILTIN(PositionEmpty) {
  result.SetReal(InstancePosition(ArgReal(args[0]), ArgReal(args[1]), kAllInstances) == kNoone
                     ? 1.0
                     : 0.0);
}

VENDREL_BUILTIN(PositionMeeting) {
  const int obj = ReplaceSelfOther(ArgInt32(args[2]), self, other);
  result.SetReal(InstancePosition(ArgReal(args[0]), ArgReal(args[1]), obj) != kNoone ? 1.0 : 0.0);
}

static const code::FunctionTableRow kCollisionFunctions[] = {
    {"collision_point", 5, CollisionPointHandler},
    {"collision_rectangle", 7, CollisionRectangleHandler},
    {"collision_circle", 6, CollisionCircleHandler},
    {"collision_ellipse", 7, CollisionEllipseHandler},
    {"collision_line", 7, CollisionLineHandler},
    {"instance_position", 3, InstancePositionHandler},
    {"instance_nearest", 3, InstanceNearestHandler},
    {"instance_furthest", 3, InstanceFurthestHandler},
    {"instance_place", 3, InstancePlaceHandler},
    {"position_empty", 2, PositionEmpty},
    {"position_meeting", 3, PositionMeeting},
};

}  // namespace

void RegisterCollisionFunctions() { code::RegisterFamily(kCollisionFunctions); }

}  // namespace vendrel::runtime
