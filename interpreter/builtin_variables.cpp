#include "interpreter/builtin_variables.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "code/errors.h"
#include "platform/message_box.h"

namespace vendrel::interp {

namespace {

constexpr size_t kMaxNameLength = 64;

struct Registry {
  std::vector<RBuiltinVariable> entries;
  std::unordered_map<std::string, int> id_by_name;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

RValue g_arguments[kArgumentSlots];
// Direct storage by id, filled at registration (see BuiltinStorage).
const RValue* g_storage_table[kMaxBuiltinVariables] = {};
int g_arguments_in_use = 0;

template <int kSlot>
bool GetArgumentSlot(runtime::CInstance*, int, RValue& out) {
  out = g_arguments[kSlot];
  return true;
}

template <int kSlot>
bool SetArgumentSlotValue(runtime::CInstance*, int, const RValue& value) {
  SetArgumentSlot(kSlot, value);
  return true;
}

}  // namespace

namespace detail {
const RValue* const* g_builtin_storage = g_storage_table;
int g_builtin_storage_count = 0;
}  // namespace detail

int RegisterBuiltinVariable(std::string_view name, BuiltinGetter getter, BuiltinSetter setter) {
  Registry& registry = TheRegistry();
  if (registry.entries.size() >= size_t(kMaxBuiltinVariables)) {
    platform::ShowMessageBox("Vendrel", "INTERNAL ERROR: Adding too many variables",
                             platform::MessageIcon::Error, {"OK"}, 0);
    return -1;
  }
  std::string key(name.substr(0, kMaxNameLength));
  const int id = int(registry.entries.size());
  registry.id_by_name.try_emplace(key, id);
  const RValue* storage = nullptr;
  for (int slot = 0; slot < kArgumentSlots; ++slot)
    if (getter == kArgumentGetters[slot]) storage = &g_arguments[slot];
  registry.entries.push_back({std::move(key), getter, setter, setter != nullptr, storage});
  g_storage_table[id] = storage;
  detail::g_builtin_storage_count = id + 1;
  return id;
}

int FindBuiltinVariable(std::string_view name) {
  const Registry& registry = TheRegistry();
  auto found = registry.id_by_name.find(std::string(name));
  return found == registry.id_by_name.end() ? -1 : found->second;
}

int BuiltinVariableCount() { return int(TheRegistry().entries.size()); }

const RBuiltinVariable* BuiltinVariableAt(int id) {
  const Registry& registry = TheRegistry();
  if (id < 0 || id >= int(registry.entries.size())) return nullptr;
  return &registry.entries[size_t(id)];
}

bool GetBuiltin(int id, runtime::CInstance* instance, int index, RValue& out) {
  const RBuiltinVariable* variable = BuiltinVariableAt(id);
  if (variable == nullptr || variable->getter == nullptr) return false;
  return variable->getter(instance, index, out);
}

bool SetBuiltin(int id, runtime::CInstance* instance, int index, const RValue& value) {
  const RBuiltinVariable* variable = BuiltinVariableAt(id);
  if (variable == nullptr || !variable->writable || variable->setter == nullptr) return false;
  return variable->setter(instance, index, value);
}

const BuiltinGetter kArgumentGetters[kArgumentSlots] = {
    &GetArgumentSlot<0>, &GetArgumentSlot<1>, &GetArgumentSlot<2>, &GetArgumentSlot<3>, &GetArgumentSlot<4>, &GetArgumentSlot<5>, &GetArgumentSlot<6>, &GetArgumentSlot<7>, &GetArgumentSlot<8>, &GetArgumentSlot<9>, &GetArgumentSlot<10>, &GetArgumentSlot<11>, &GetArgumentSlot<12>, &GetArgumentSlot<13>, &GetArgumentSlot<14>, &GetArgumentSlot<15>};
const BuiltinSetter kArgumentSetters[kArgumentSlots] = {
    &SetArgumentSlotValue<0>, &SetArgumentSlotValue<1>, &SetArgumentSlotValue<2>, &SetArgumentSlotValue<3>, &SetArgumentSlotValue<4>, &SetArgumentSlotValue<5>, &SetArgumentSlotValue<6>, &SetArgumentSlotValue<7>, &SetArgumentSlotValue<8>, &SetArgumentSlotValue<9>, &SetArgumentSlotValue<10>, &SetArgumentSlotValue<11>, &SetArgumentSlotValue<12>, &SetArgumentSlotValue<13>, &SetArgumentSlotValue<14>, &SetArgumentSlotValue<15>};

RValue* ArgumentSlots() { return g_arguments; }
int ArgumentSlotsInUse() { return g_arguments_in_use; }
void SetArgumentSlotsInUse(int count) { g_arguments_in_use = count; }

void SetArgumentSlot(int slot, const RValue& value) {
  if (slot < 0 || slot >= kArgumentSlots) return;
  g_arguments[slot] = value;
  if (slot >= g_arguments_in_use) g_arguments_in_use = slot + 1;
}

void SaveArguments(SavedArguments& saved) {
  saved.in_use = g_arguments_in_use;
  for (int i = 0; i < g_arguments_in_use; ++i) saved.values[i] = g_arguments[i];
}

void RestoreArguments(const SavedArguments& saved) {
  for (int i = 0; i < saved.in_use; ++i) g_arguments[i] = saved.values[i];
  for (int i = saved.in_use; i < g_arguments_in_use; ++i) g_arguments[i].SetReal(0.0);
  g_arguments_in_use = saved.in_use;
}

bool GetArgumentArray(runtime::CInstance*, int index, RValue& out) {
  out = g_arguments[index >= 0 && index < kArgumentSlots ? index : 0];
  return true;
}

bool SetArgumentArray(runtime::CInstance*, int index, const RValue& value) {
  SetArgumentSlot(index >= 0 && index < kArgumentSlots ? index : 0, value);
  return true;
}

bool GetErrorOccurred(runtime::CInstance*, int, RValue& out) {
  out.SetReal(code::Errors().error_occurred ? 1.0 : 0.0);
  return true;
}

bool SetErrorOccurred(runtime::CInstance*, int, const RValue& value) {
  code::Errors().error_occurred = value.IsReal() && value.real >= 0.5;
  return true;
}

bool GetErrorLast(runtime::CInstance*, int, RValue& out) {
  out.SetString(code::Errors().last_error);
  return true;
}

bool SetErrorLast(runtime::CInstance*, int, const RValue& value) {
  code::Errors().last_error = value.IsString() ? value.str : std::string();
  return true;
}

}  // namespace vendrel::interp
