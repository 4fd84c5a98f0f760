// The registry of built-in functions. Every family of built-in functions
// ends in one table of {name, argument count, handler} rows and registers it
// at program start (see runner/builtin_families.cpp for the list).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "interpreter/value.h"

namespace vendrel::runtime {
class CInstance;
}

namespace vendrel::code {

// Called with the instance running the code, the other instance, the number
// of arguments actually passed, the result (preset to real 0) and the
// arguments. Misuse is reported through ShowRunError (code/errors.h).
using FunctionHandler = void (*)(runtime::CInstance* self, runtime::CInstance* other,
                                 int argc, interp::RValue& result, interp::RValue* args);

// Accepts any number of arguments from 0 to 16.
inline constexpr int kAnyArgCount = -1;
// Function indexes from here up call scripts: 100000 + script index.
inline constexpr int kScriptFunctionBase = 100000;

struct RBuiltinFunction {
  std::string name;  // at most 64 characters
  FunctionHandler handler;
  int argcount;
};

// One row of a family's table.
struct FunctionTableRow {
  const char* name;
  int argcount;
  FunctionHandler handler;
};

// Appends a function. A name registered before keeps its first entry.
void RegisterFunction(std::string_view name, FunctionHandler handler, int argcount);
void RegisterFamily(std::span<const FunctionTableRow> rows);

// The registry position of [name], or -1. Scripts are looked up by the
// compiler, which adds kScriptFunctionBase to a script index.
int FindBuiltinFunction(std::string_view name);
// The function that game code calls by [name]: the registry position of a
// built-in function, else kScriptFunctionBase + the index of the first
// script of that name; -1 when neither exists. Built-in functions win over
// scripts of the same name.
int FindFunction(std::string_view name);
// The registered argument count, or -100 for an index outside the registry.
int FunctionArgCount(int index);
const RBuiltinFunction& BuiltinFunctionAt(int index);
int BuiltinFunctionCount();

}  // namespace vendrel::code
