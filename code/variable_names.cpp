#include "code/variable_names.h"

#include <unordered_map>
#include <vector>

#include "interpreter/builtin_variables.h"

namespace vendrel::code {

namespace {

struct NameTable {
  std::vector<std::string> names;
  std::unordered_map<std::string, int> index_by_name;
};

NameTable& Table() {
  static NameTable table;
  return table;
}

}  // namespace

int VariableId(std::string_view name) {
  int builtin = interp::FindBuiltinVariable(name);
  if (builtin >= 0) return builtin;
  NameTable& table = Table();
  std::string key(name);
  auto found = table.index_by_name.find(key);
  if (found != table.index_by_name.end()) return kFirstUserVariableId + found->second;
  const int index = int(table.names.size());
  table.names.push_back(key);
  table.index_by_name.emplace(std::move(key), index);
  return kFirstUserVariableId + index;
}

std::string VariableName(int id) {
  if (id >= kFirstUserVariableId) {
    const NameTable& table = Table();
    const size_t index = size_t(id - kFirstUserVariableId);
    return index < table.names.size() ? table.names[index] : "<unknown variable>";
  }
  const interp::RBuiltinVariable* builtin = interp::BuiltinVariableAt(id);
  return builtin != nullptr ? builtin->name : "<unknown built-in variable>";
}

int UserVariableCount() { return int(Table().names.size()); }

}  // namespace vendrel::code
