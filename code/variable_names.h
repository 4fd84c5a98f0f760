// The user variable-name table: every variable name of the game's code gets
// a numeric id once, for the whole run. Built-in variables keep their
// registry position (below 100000); user names get 100000 + their index.
#pragma once

#include <string>
#include <string_view>

namespace vendrel::code {

inline constexpr int kFirstUserVariableId = 100000;

// The built-in variable of that exact name, else the user id of the name,
// which is added to the table when new.
int VariableId(std::string_view name);
// The name of [id] for messages; "<unknown variable>" or "<unknown built-in
// variable>" for an id outside the tables.
std::string VariableName(int id);
int UserVariableCount();

}  // namespace vendrel::code
