#include "code/function_registry.h"

#include <unordered_map>
#include <vector>

#include "resources/game_resources.h"

namespace vendrel::code {

namespace {

constexpr size_t kMaxNameLength = 64;

struct Registry {
  std::vector<RBuiltinFunction> entries;
  std::unordered_map<std::string, int> index_by_name;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterFunction(std::string_view name, FunctionHandler handler, int argcount) {
  Registry& registry = TheRegistry();
  std::string key(name.substr(0, kMaxNameLength));
  if (registry.index_by_name.contains(key)) return;
  registry.index_by_name.emplace(key, int(registry.entries.size()));
  registry.entries.push_back({std::move(key), handler, argcount});
}

void RegisterFamily(std::span<const FunctionTableRow> rows) {
  for (const FunctionTableRow& row : rows) RegisterFunction(row.name, row.handler, row.argcount);
}

int FindBuiltinFunction(std::string_view name) {
  const Registry& registry = TheRegistry();
  auto found = registry.index_by_name.find(std::string(name));
  return found == registry.index_by_name.end() ? -1 : found->second;
}

int FindFunction(std::string_view name) {
  int builtin = FindBuiltinFunction(name);
  if (builtin >= 0) return builtin;
  int script = resources::Resources().scripts.Find(name);
  return script >= 0 ? kScriptFunctionBase + script : -1;
}

int FunctionArgCount(int index) {
  const Registry& registry = TheRegistry();
  if (index < 0 || index >= int(registry.entries.size())) return -100;
  return registry.entries[size_t(index)].argcount;
}

const RBuiltinFunction& BuiltinFunctionAt(int index) {
  return TheRegistry().entries.at(size_t(index));
}

int BuiltinFunctionCount() { return int(TheRegistry().entries.size()); }

}  // namespace vendrel::code
