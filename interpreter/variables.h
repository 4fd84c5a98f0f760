// Variable storage of the game language: numbered variables, each a scalar
// plus an optional one- or two-dimensional array, held in CVariableList for
// instance, global and var variables.
#pragma once

#include <cstdint>
#include <vector>

#include "interpreter/value.h"

namespace vendrel::runner {
class CStream;
}

namespace vendrel::interp {

// Each written array index lies in 0 .. kArrayLimit - 1; a[i, j] is the
// combined index i * kArrayLimit + j.
inline constexpr int kArrayLimit = 32000;

struct RVariable {
  int32_t id = 0;
  // The scalar, which is also element 0 of the array.
  RValue value;
  // Row r, column c; row 0 column 0 is never used.
  std::vector<std::vector<RValue>> array;
};

class CVariableList {
 public:
  int32_t count() const { return int32_t(vars_.size()); }

  // The variable with [id], or null. [hint] is a position to try first; it
  // is updated to where the variable was found, so that a code-tree node
  // passing its own hint finds its variable at once on the next access.
  RVariable* Find(int32_t id, int32_t& hint) {
    const size_t position = size_t(hint);
    if (position < vars_.size() && vars_[position].id == id) return &vars_[position];
    return FindSlow(id, hint);
  }
  RVariable* Find(int32_t id) {
    int32_t hint = -1;
    return Find(id, hint);
  }
  // The variable with [id], appended (scalar real 0, no array) if missing.
  RVariable& FindOrAdd(int32_t id, int32_t& hint) {
    if (RVariable* found = Find(id, hint)) return *found;
    return Add(id, hint);
  }
  RVariable& FindOrAdd(int32_t id) {
    int32_t hint = -1;
    return FindOrAdd(id, hint);
  }

  const std::vector<RVariable>& variables() const { return vars_; }
  void Clear();
  void CopyFrom(const CVariableList& source);

 private:
  RVariable* FindSlow(int32_t id, int32_t& hint);
  RVariable& Add(int32_t id, int32_t& hint);
  void RebuildIndex();
  void IndexInsert(int32_t id, int32_t position);

  std::vector<RVariable> vars_;
  // Open-addressing index from id to position + 1 (0 = empty), kept only
  // once the list is long enough for a linear scan to hurt.
  std::vector<int32_t> index_;
};

// The element [index] (combined, see kArrayLimit) of [variable], or null
// when it does not exist. Index 0 is the scalar.
inline const RValue* ElementOf(const RVariable& variable, int32_t index) {
  if (index == 0) return &variable.value;
  const size_t row = size_t(index / kArrayLimit);
  const size_t column = size_t(index % kArrayLimit);
  if (row >= variable.array.size()) return nullptr;
  const std::vector<RValue>& elements = variable.array[row];
  return column < elements.size() ? &elements[column] : nullptr;
}
// The element [index], created (with every missing element before it in
// its row, as real 0) when missing.
RValue& GrowElement(RVariable& variable, int32_t index);
inline RValue& ElementForWrite(RVariable& variable, int32_t index) {
  if (index == 0) return variable.value;
  const size_t row = size_t(index / kArrayLimit);
  const size_t column = size_t(index % kArrayLimit);
  if (row < variable.array.size() && column < variable.array[row].size())
    return variable.array[row][column];
  return GrowElement(variable, index);
}

// Settings that change how variables behave; the runner copies them from
// the game settings.
struct VariableOptions {
  // Reading a missing variable or element gives real 0 instead of an error.
  bool uninitialized_is_zero = false;
};

VariableOptions& VariableSettings();

// Copies the variable [id], element [index], into [out]. A missing variable
// or element gives false, or real 0 and true when uninitialized_is_zero is
// on.
bool GetVariable(CVariableList& list, int32_t id, int32_t index, RValue& out);
void SetVariable(CVariableList& list, int32_t id, int32_t index, const RValue& value);
void ClearVariables(CVariableList& list);
void CopyVariables(CVariableList& list, const CVariableList& source);

// The stream form used by saved games (format version 440). Reading clears
// the list first and leaves it empty for another version.
void WriteVariables(const CVariableList& list, runner::CStream& stream);
void ReadVariables(CVariableList& list, runner::CStream& stream);

namespace detail {
extern CVariableList g_global_variables;
}

// The game's global variables (owner global), alive for the whole run.
inline CVariableList& GlobalVariables() { return detail::g_global_variables; }

}  // namespace vendrel::interp
