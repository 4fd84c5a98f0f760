#include "runtime/room_state.h"

#include <algorithm>
#include <cmath>

#include "resources/game_resources.h"

namespace vendrel::runtime {

namespace {

const std::vector<CInstance*>* ListOf(const std::vector<std::vector<CInstance*>>& lists,
                                      int object) {
  if (object < 0 || object >= int(lists.size())) return nullptr;
  return &lists[size_t(object)];
}

}  // namespace

int NextInstanceId() { return ++resources::Resources().last_instance_id; }

std::unique_ptr<CRunRoom> CRunRoom::FromResource(int room_index) {
  const resources::CRoom* resource = resources::Resources().rooms.Get(room_index);
  if (resource == nullptr) return nullptr;
  auto room = std::make_unique<CRunRoom>();
  room->index = room_index;
  room->data = *resource;
  room->data.instances.clear();
  for (const resources::RPlacedInstance& placed : resource->instances) {
    auto instance =
        std::make_unique<CInstance>(placed.id, placed.object, double(placed.x), double(placed.y));
    instance->creation_code = placed.creation_code;
    room->active.push_back(std::move(instance));
  }
  room->RebuildLists();
  return room;
}

int CRunRoom::ObjectCount(int object) const {
  const auto* list = ListOf(object_lists_, object);
  return list != nullptr ? int(list->size()) : 0;
}

CInstance* CRunRoom::ObjectAt(int object, int position) const {
  const auto* list = ListOf(object_lists_, object);
  if (list == nullptr || position < 0 || position >= int(list->size())) return nullptr;
  return (*list)[size_t(position)];
}

int CRunRoom::FamilyCount(int object) const {
  const auto* list = ListOf(family_lists_, object);
  return list != nullptr ? int(list->size()) : 0;
}

CInstance* CRunRoom::FamilyAt(int object, int position) const {
  const auto* list = ListOf(family_lists_, object);
  if (list == nullptr || position < 0 || position >= int(list->size())) return nullptr;
  return (*list)[size_t(position)];
}

CInstance* CRunRoom::Find(int id) const {
  auto found = by_id_.find(id);
  if (found == by_id_.end() || found->second.empty()) return nullptr;
  for (CInstance* instance : found->second)
    if (!instance->destroyed) return instance;
  return found->second.front();
}

void CRunRoom::ChangeId(CInstance* instance, int id) {
  auto found = by_id_.find(instance->id);
  if (found != by_id_.end()) {
    std::erase(found->second, instance);
    if (found->second.empty()) by_id_.erase(found);
  }
  instance->id = id;
  by_id_[id].push_back(instance);
}

void CRunRoom::IndexInstance(CInstance* instance) {
  by_id_[instance->id].push_back(instance);
  const auto& objects = resources::Resources().objects;
  const int object_count = objects.Count();
  const int object = instance->object_index;
  if (object < 0 || object >= object_count) return;
  if (int(object_lists_.size()) < object_count) {
    object_lists_.resize(size_t(object_count));
    family_lists_.resize(size_t(object_count));
  }
  object_lists_[size_t(object)].push_back(instance);
  // The family lists of the object and of each ancestor. The walk is
  // bounded by the number of objects so that a parent loop cannot hang it.
  int current = object;
  for (int steps = 0; steps <= object_count; ++steps) {
    family_lists_[size_t(current)].push_back(instance);
    const resources::CObject* definition = objects.Get(current);
    if (definition == nullptr) break;
    const int parent = definition->parent;
    if (parent < 0 || !objects.Exists(parent) || parent == object) break;
    current = parent;
  }
}

CInstance* CRunRoom::Append(std::unique_ptr<CInstance> instance) {
  CInstance* raw = instance.get();
  active.push_back(std::move(instance));
  IndexInstance(raw);
  return raw;
}

CInstance* CRunRoom::CreateInstance(int object, double x, double y) {
  return Append(std::make_unique<CInstance>(NextInstanceId(), object, x, y));
}

void CRunRoom::RebuildLists() {
  const size_t object_count = size_t(resources::Resources().objects.Count());
  object_lists_.assign(object_count, {});
  family_lists_.assign(object_count, {});
  by_id_.clear();
  for (const auto& instance : active) IndexInstance(instance.get());
}

void CRunRoom::Sweep() {
  const size_t before = active.size();
  std::erase_if(active, [](const std::unique_ptr<CInstance>& instance) {
    return instance->destroyed;
  });
  if (active.size() != before) RebuildLists();
}

void CRunRoom::ApplyActivation() {
  bool moved = false;
  std::vector<std::unique_ptr<CInstance>> still_inactive;
  for (auto& instance : inactive) {
    if (!instance->deactivated) {
      instance->active = true;
      active.push_back(std::move(instance));
      moved = true;
    } else {
      still_inactive.push_back(std::move(instance));
    }
  }
  inactive = std::move(still_inactive);
  std::vector<std::unique_ptr<CInstance>> still_active;
  for (auto& instance : active) {
    if (instance->deactivated) {
      instance->active = false;
      inactive.push_back(std::move(instance));
      moved = true;
    } else {
      still_active.push_back(std::move(instance));
    }
  }
  active = std::move(still_active);
  if (moved) RebuildLists();
}

void CRunRoom::SortByDepth() {
  // Rooms are drawn every step, and their order seldom changes: when the
  // list is already in order (and holds no depth that is not a number, which
  // the sort may move) sorting would keep it as it is, and the lists built
  // from it are still right.
  bool in_order = true;
  for (size_t i = 0; i < active.size() && in_order; ++i) {
    const double depth = active[i]->depth;
    in_order = !std::isnan(depth) && (i == 0 || depth <= active[i - 1]->depth);
  }
  if (in_order) return;
  std::stable_sort(active.begin(), active.end(),
                   [](const std::unique_ptr<CInstance>& a, const std::unique_ptr<CInstance>& b) {
                     return a->depth > b->depth;
                   });
  RebuildLists();
}

}  // namespace vendrel::runtime
