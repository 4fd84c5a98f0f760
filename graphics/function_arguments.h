// Argument conversions shared by the drawing side's function families.
#pragma once

#include <cstdint>

#include "interpreter/function_families.h"

namespace vendrel::graphics {

using interp::ArgBool;
using interp::SetBool;

// A truth argument that must be greater than 0.5 (some flags of resource
// functions); 0.5 itself is false.
inline bool ArgBoolAbove(const interp::RValue& value) { return interp::ArgReal(value) > 0.5; }

// A texture, surface or resource id; a value outside 32 bits names nothing.
inline int ArgId(const interp::RValue& value) {
  int64_t id = interp::ArgInt(value);
  return id < INT32_MIN || id > INT32_MAX ? -1 : int(id);
}

// A count or size, held to the 32-bit range.
inline int ArgSmallInt(const interp::RValue& value) {
  int64_t n = interp::ArgInt(value);
  return n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : int(n);
}

}  // namespace vendrel::graphics
