// Named constants of the game language: the built-in constants, the game's
// user-defined constants and, through FindConstant, resource names.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "interpreter/value.h"

namespace vendrel::code {

// The number of built-in constants, which come first in the table.
inline constexpr int kBuiltinConstantCount = 285;

// Appends a constant; a later entry of an existing name is never found.
void AddConstant(std::string_view name, const interp::RValue& value);

// Resource names first (their index), then the constants table, first
// match. Returns false when [name] is neither.
bool FindConstant(std::string_view name, interp::RValue& value);

int ConstantCount();
const std::string& ConstantName(int index);
const interp::RValue& ConstantValue(int index);

// One user constant as the game settings store it.
struct UserConstant {
  std::string name;
  std::string value;
};

// Compiles and evaluates each value in order and appends the constants.
// Shows "Constant name ...  is not valid." or "Value for constant ...  is
// not valid." and returns false on the first bad entry.
bool DefineUserConstants(std::span<const UserConstant> constants);

// Drops every user constant, keeping the built-in ones (tests, restarts of
// the loader).
void RemoveUserConstants();

}  // namespace vendrel::code
