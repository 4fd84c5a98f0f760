// Argument conversion for the library's built-in function families: the
// conversions every family shares. Only the field that a value's kind
// selects is ever read: a string passed where a number is expected counts
// as 0, a number passed where a string is expected as the empty string.
#pragma once

#include "interpreter/function_families.h"

namespace vendrel::library {

using interp::ArgBool;
using interp::ArgInt;
using interp::ArgReal;
using interp::ArgString;
using interp::SetBool;

}  // namespace vendrel::library
