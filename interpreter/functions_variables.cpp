// Variables by name: the global functions read and write the game's global
// variable list, the local ones the calling instance, built-in instance
// variables (x, speed...) included. A name never met before gets a new
// user variable id, as it would in compiled code.
#include <cstdint>

#include "code/errors.h"
#include "code/variable_names.h"
#include "interpreter/executor.h"
#include "interpreter/function_families.h"
#include "interpreter/variables.h"

namespace vendrel::interp {

namespace {

// Element addresses: the scalar (index 0), element i, or element (i, j).
// False, after a non-fatal run-time error, when an index lies outside
// 0 .. kArrayLimit - 1.
bool ValidIndex(int64_t index) {
  if (index >= 0 && index < kArrayLimit) return true;
  code::ShowRunError("Array index >= 32000", false);
  return false;
}

bool ElementIndex(const RValue* indices, int count, int32_t& index) {
  index = 0;
  for (int i = 0; i < count; ++i) {
    const int64_t part = ArgInt(indices[i]);
    if (!ValidIndex(part)) return false;
    index = index * kArrayLimit + int32_t(part);
  }
  return true;
}

// A built-in variable's setter may leave an error pending; it is shown at
// once so the calling code continues.
void ShowPendingError() {
  code::ErrorState& errors = code::Errors();
  if (!errors.pending) return;
  code::ShowRunError(errors.text, false);
  errors.pending = false;
}

template <int dimensions>
VENDREL_BUILTIN(GlobalGet) {
  int32_t index = 0;
  if (!ElementIndex(args + 1, dimensions, index)) return;
  RValue value;
  if (GetVariable(GlobalVariables(), code::VariableId(ArgString(args[0])), index, value))
    result = std::move(value);
}

template <int dimensions>
VENDREL_BUILTIN(GlobalSet) {
  int32_t index = 0;
  if (!ElementIndex(args + 1, dimensions, index)) return;
  SetVariable(GlobalVariables(), code::VariableId(ArgString(args[0])), index, args[dimensions + 1]);
}

VENDREL_BUILTIN(GlobalExists) {
  RValue value;
  result.SetReal(GetVariable(GlobalVariables(), code::VariableId(ArgString(args[0])), 0, value)
                     ? 1.0
                     : 0.0);
}

template <int dimensions>
VENDREL_BUILTIN(LocalGet) {
  if (self == nullptr) return;
  int32_t index = 0;
  if (!ElementIndex(args + 1, dimensions, index)) return;
  RValue value;
  if (GetInstanceVariable(self, code::VariableId(ArgString(args[0])), index, value))
    result = std::move(value);
  ShowPendingError();
}

template <int dimensions>
VENDREL_BUILTIN(LocalSet) {
  if (self == nullptr) return;
  int32_t index = 0;
  if (!ElementIndex(args + 1, dimensions, index)) return;
  // A read-only built-in variable refuses the write: nothing happens.
  SetInstanceVariable(self, code::VariableId(ArgString(args[0])), index, args[dimensions + 1]);
  ShowPendingError();
}

VENDREL_BUILTIN(LocalExists) {
  if (self == nullptr) return;
  RValue value;
  result.SetReal(
      GetInstanceVariable(self, code::VariableId(ArgString(args[0])), 0, value) ? 1.0 : 0.0);
  code::Errors().pending = false;
}

}  // namespace

static const code::FunctionTableRow kVariableFunctions[] = {
    {"variable_global_exists", 1, GlobalExists},
    {"variable_global_get", 1, GlobalGet<0>},
    {"variable_global_array_get", 2, GlobalGet<1>},
    {"variable_global_array2_get", 3, GlobalGet<2>},
    {"variable_global_set", 2, GlobalSet<0>},
    {"variable_global_array_set", 3, GlobalSet<1>},
    {"variable_global_array2_set", 4, GlobalSet<2>},
    {"variable_local_exists", 1, LocalExists},
    {"variable_local_get", 1, LocalGet<0>},
    {"variable_local_array_get", 2, LocalGet<1>},
    {"variable_local_array2_get", 3, LocalGet<2>},
    {"variable_local_set", 2, LocalSet<0>},
    {"variable_local_array_set", 3, LocalSet<1>},
    {"variable_local_array2_set", 4, LocalSet<2>},
};

void RegisterVariableFunctions() { code::RegisterFamily(kVariableFunctions); }

}  // namespace vendrel::interp
