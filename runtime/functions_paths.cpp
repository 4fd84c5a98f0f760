// Built-in functions that start and end the path an instance follows.
#include <algorithm>
#include <cstdint>

#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "runtime/function_families.h"
#include "runtime/path.h"
#include "runtime/instance.h"

namespace vendrel::runtime {

namespace {

using interp::ArgInt32;
using interp::ArgReal;


// path_start(path, speed, endaction, absolute): no rotation, scale 1.
VENDREL_BUILTIN(PathStart) {
  if (self == nullptr) return;
  const bool absolute = ArgReal(args[3]) >= 0.5;
  StartPath(*self, ArgInt32(args[0]), !absolute, ArgInt32(args[2]), 0.0, 1.0,
            ArgReal(args[1]));
}

VENDREL_BUILTIN(PathEnd) {
  if (self != nullptr) StartPath(*self, -1, false, 0, 0.0, 1.0, 0.0);
}

static const code::FunctionTableRow kPathFunctions[] = {
    {"path_start", 4, PathStart},
    {"path_end", 0, PathEnd},
};

}  // namespace

void RegisterPathFunctions() { code::RegisterFamily(kPathFunctions); }

}  // namespace vendrel::runtime
