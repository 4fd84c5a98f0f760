// The registry of built-in variables: names such as x, score or argument0
// that game code reads and writes like variables but that getter and setter
// routines serve. A built-in variable's id is its registry position.
#pragma once

#include <string>
#include <string_view>

#include "interpreter/value.h"

namespace vendrel::runtime {
class CInstance;
}

namespace vendrel::interp {

// [index] is the combined array index; global variables ignore [instance].
using BuiltinGetter = bool (*)(runtime::CInstance* instance, int index, RValue& out);
using BuiltinSetter = bool (*)(runtime::CInstance* instance, int index, const RValue& value);

struct RBuiltinVariable {
  std::string name;  // at most 64 characters
  BuiltinGetter getter = nullptr;
  BuiltinSetter setter = nullptr;
  bool writable = false;  // exactly when there is a setter
  // Where the value lives when the getter only copies one stored value
  // (argument0 .. argument15): the executor reads it there directly.
  const RValue* storage = nullptr;
};

inline constexpr int kMaxBuiltinVariables = 500;

// Appends a variable and returns its id. A 501st entry shows "INTERNAL
// ERROR: Adding too many variables", registers nothing and returns -1.
int RegisterBuiltinVariable(std::string_view name, BuiltinGetter getter, BuiltinSetter setter);
// The id of [name] (exact, first match), or -1.
int FindBuiltinVariable(std::string_view name);
int BuiltinVariableCount();
// The entry of [id], or null outside the registry.
const RBuiltinVariable* BuiltinVariableAt(int id);
// The stored value a plain built-in variable reads, or null.
inline const RValue* BuiltinStorage(int id);

// Calls the getter; false for an unknown id.
bool GetBuiltin(int id, runtime::CInstance* instance, int index, RValue& out);
// Calls the setter; false for an unknown id or a read-only variable.
bool SetBuiltin(int id, runtime::CInstance* instance, int index, const RValue& value);

// The 16 global argument slots argument0 .. argument15, shared by all code
// and saved around every script call.
inline constexpr int kArgumentSlots = 16;
RValue* ArgumentSlots();
// Slots from this one up are known to hold real 0 (a bound that lets a
// script call save only the slots in use). Writers of the slots outside the
// interpreter go through SetArgumentSlot, which keeps it.
int ArgumentSlotsInUse();
void SetArgumentSlotsInUse(int count);
void SetArgumentSlot(int slot, const RValue& value);

// The argument slots as they were, for code that sets them for a while
// (actions): save, set with SetArgumentSlot, then restore.
struct SavedArguments {
  RValue values[kArgumentSlots];
  int in_use = 0;
};
void SaveArguments(SavedArguments& saved);
void RestoreArguments(const SavedArguments& saved);

// Getters and setters of the interpreter-owned built-in variables, for the
// table that registers all built-in variables in their fixed order.
// argument[i] (an index outside 0..15 means 0):
bool GetArgumentArray(runtime::CInstance* instance, int index, RValue& out);
bool SetArgumentArray(runtime::CInstance* instance, int index, const RValue& value);
// argument0 .. argument15, indexed by slot.
extern const BuiltinGetter kArgumentGetters[kArgumentSlots];
extern const BuiltinSetter kArgumentSetters[kArgumentSlots];
// error_occurred (set true by a value of 0.5 or more) and error_last.
bool GetErrorOccurred(runtime::CInstance* instance, int index, RValue& out);
bool SetErrorOccurred(runtime::CInstance* instance, int index, const RValue& value);
bool GetErrorLast(runtime::CInstance* instance, int index, RValue& out);
bool SetErrorLast(runtime::CInstance* instance, int index, const RValue& value);

namespace detail {
// Direct storage by id, kept by RegisterBuiltinVariable.
extern const RValue* const* g_builtin_storage;
extern int g_builtin_storage_count;
}  // namespace detail

inline const RValue* BuiltinStorage(int id) {
  return id >= 0 && id < detail::g_builtin_storage_count ? detail::g_builtin_storage[id] : nullptr;
}

}  // namespace vendrel::interp
