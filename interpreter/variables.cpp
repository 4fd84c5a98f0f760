#include "interpreter/variables.h"

#include "runner/stream.h"

namespace vendrel::interp {

namespace {

// Lists up to this length are scanned; longer ones keep a hash index.
constexpr size_t kScanLimit = 12;
constexpr int32_t kStreamVersion = 440;

size_t HashSlot(int32_t id, size_t mask) {
  return size_t((uint32_t(id) * 2654435761u) >> 7) & mask;
}

void WriteValue(const RValue& value, runner::CStream& stream) {
  stream.WriteInteger(int32_t(value.kind));
  stream.WriteReal(value.real);
  stream.WriteString(value.IsString() ? std::string_view(value.str) : std::string_view());
}

void ReadValue(RValue& value, runner::CStream& stream) {
  int32_t kind = stream.ReadInteger();
  value.real = stream.ReadReal();
  value.str = stream.ReadString();
  value.kind = kind == int32_t(ValueKind::String) ? ValueKind::String : ValueKind::Real;
}

}  // namespace

RVariable* CVariableList::FindSlow(int32_t id, int32_t& hint) {
  if (index_.empty()) {
    for (size_t i = vars_.size(); i-- > 0;) {
      if (vars_[i].id == id) {
        hint = int32_t(i);
        return &vars_[i];
      }
    }
    return nullptr;
  }
  const size_t mask = index_.size() - 1;
  for (size_t slot = HashSlot(id, mask);; slot = (slot + 1) & mask) {
    const int32_t entry = index_[slot];
    if (entry == 0) return nullptr;
    if (vars_[size_t(entry - 1)].id == id) {
      hint = entry - 1;
      return &vars_[size_t(entry - 1)];
    }
  }
}

void CVariableList::IndexInsert(int32_t id, int32_t position) {
  const size_t mask = index_.size() - 1;
  size_t slot = HashSlot(id, mask);
  while (index_[slot] != 0) slot = (slot + 1) & mask;
  index_[slot] = position + 1;
}

void CVariableList::RebuildIndex() {
  size_t capacity = 32;
  while (capacity < vars_.size() * 2) capacity *= 2;
  index_.assign(capacity, 0);
  for (size_t i = 0; i < vars_.size(); ++i) IndexInsert(vars_[i].id, int32_t(i));
}

RVariable& CVariableList::Add(int32_t id, int32_t& hint) {
  vars_.emplace_back().id = id;
  hint = int32_t(vars_.size()) - 1;
  if (vars_.size() > kScanLimit) {
    if (index_.empty() || vars_.size() * 2 > index_.size())
      RebuildIndex();
    else
      IndexInsert(id, hint);
  }
  return vars_.back();
}

void CVariableList::Clear() {
  vars_.clear();
  index_.clear();
}

void CVariableList::CopyFrom(const CVariableList& source) {
  if (&source == this) return;
  vars_ = source.vars_;
  index_ = source.index_;
}

RValue& GrowElement(RVariable& variable, int32_t index) {
  if (index == 0) return variable.value;
  const size_t row = size_t(index / kArrayLimit);
  const size_t column = size_t(index % kArrayLimit);
  if (variable.array.size() <= row) variable.array.resize(row + 1);
  std::vector<RValue>& elements = variable.array[row];
  if (elements.size() <= column) elements.resize(column + 1);
  return elements[column];
}

VariableOptions& VariableSettings() {
  static VariableOptions options;
  return options;
}

bool GetVariable(CVariableList& list, int32_t id, int32_t index, RValue& out) {
  if (const RVariable* variable = list.Find(id)) {
    if (const RValue* element = ElementOf(*variable, index)) {
      out = *element;
      return true;
    }
  }
  if (VariableSettings().uninitialized_is_zero) {
    out.SetReal(0.0);
    return true;
  }
  return false;
}

void SetVariable(CVariableList& list, int32_t id, int32_t index, const RValue& value) {
  ElementForWrite(list.FindOrAdd(id), index) = value;
}

void ClearVariables(CVariableList& list) { list.Clear(); }

void CopyVariables(CVariableList& list, const CVariableList& source) { list.CopyFrom(source); }

void WriteVariables(const CVariableList& list, runner::CStream& stream) {
  stream.WriteInteger(kStreamVersion);
  stream.WriteInteger(list.count());
  for (const RVariable& variable : list.variables()) {
    stream.WriteInteger(variable.id);
    WriteValue(variable.value, stream);
    stream.WriteInteger(int32_t(variable.array.size()));
    for (const std::vector<RValue>& row : variable.array) {
      stream.WriteInteger(int32_t(row.size()));
      for (const RValue& element : row) WriteValue(element, stream);
    }
  }
}

void ReadVariables(CVariableList& list, runner::CStream& stream) {
  list.Clear();
  if (stream.ReadInteger() != kStreamVersion) return;
  const int32_t count = stream.ReadInteger();
  for (int32_t i = 0; i < count; ++i) {
    RVariable& variable = list.FindOrAdd(stream.ReadInteger());
    ReadValue(variable.value, stream);
    const int32_t rows = stream.ReadInteger();
    variable.array.clear();
    for (int32_t r = 0; r < rows; ++r) {
      std::vector<RValue>& row = variable.array.emplace_back();
      const int32_t elements = stream.ReadInteger();
      for (int32_t e = 0; e < elements; ++e) ReadValue(row.emplace_back(), stream);
    }
  }
}

namespace detail {
// Constant-initialised, so usable from any static initialiser.
constinit CVariableList g_global_variables;
}  // namespace detail

}  // namespace vendrel::interp
