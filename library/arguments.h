// Argument conversion shared by the library's built-in function families.
// Only the field that a value's kind selects is ever read: a string passed
// where a number is expected counts as 0, a number passed where a string is
// expected as the empty string.
#pragma once

#include <cstdint>
#include <string>

#include "code/function_registry.h"
#include "interpreter/value.h"

// The parameter list of every built-in function handler.
#define VENDREL_BUILTIN_ARGS                                                              \
  [[maybe_unused]] vendrel::runtime::CInstance *self,                                     \
      [[maybe_unused]] vendrel::runtime::CInstance *other, [[maybe_unused]] int argc,     \
      [[maybe_unused]] vendrel::interp::RValue &result,                                   \
      [[maybe_unused]] vendrel::interp::RValue *args

namespace vendrel::library {

inline double ArgReal(const interp::RValue& value) { return value.IsReal() ? value.real : 0.0; }

// Rounded to the nearest integer, halves to even.
inline int64_t ArgInt(const interp::RValue& value) { return interp::RoundHalfEven(ArgReal(value)); }

inline bool ArgBool(const interp::RValue& value) { return ArgReal(value) >= 0.5; }

inline const std::string& ArgString(const interp::RValue& value) {
  static const std::string kEmpty;
  return value.IsString() ? value.str : kEmpty;
}

inline void SetBool(interp::RValue& result, bool value) { result.SetReal(value ? 1.0 : 0.0); }

}  // namespace vendrel::library
