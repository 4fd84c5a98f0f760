// Argument conversions shared by the runtime's built-in function families,
// on top of the language's own (interpreter/function_families.h).
#pragma once

#include <algorithm>
#include <cstdint>

#include "interpreter/function_families.h"

namespace vendrel::runtime {

// A whole-number argument (an index, a count, a coordinate of a grid): the
// real rounded halves to even, held within the int range so that a huge
// index names nothing rather than wrapping round to a valid one.
inline int ArgInt32(const interp::RValue& value) {
  return int(std::clamp<int64_t>(interp::ArgInt(value), INT32_MIN, INT32_MAX));
}

}  // namespace vendrel::runtime
