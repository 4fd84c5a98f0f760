// Argument conversions shared by the drawing side's function families.
#pragma once

#include <cstdint>

#include "interpreter/function_families.h"

namespace vendrel::graphics {

using interp::ArgBool;
using interp::ArgInt32;
using interp::SetBool;

// A truth argument that must be greater than 0.5 (some flags of resource
// functions); 0.5 itself is false.
inline bool ArgBoolAbove(const interp::RValue& value) { return interp::ArgReal(value) > 0.5; }

// A texture, surface or resource id; a value outside 32 bits names nothing.
inline int ArgId(const interp::RValue& value) {
  int64_t id = interp::ArgInt(value);
  return id < INT32_MIN || id > INT32_MAX ? -1 : int(id);
}

}  // namespace vendrel::graphics
