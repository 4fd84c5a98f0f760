#include "runtime/instance.h"

namespace vendrel::runtime {

InstanceAccess& Instances() {
  static InstanceAccess access;
  return access;
}

int ActiveInstanceCount() {
  const InstanceAccess& access = Instances();
  return access.active_count != nullptr ? access.active_count() : 0;
}

CInstance* ActiveInstanceAt(int position) {
  const InstanceAccess& access = Instances();
  return access.active_at != nullptr ? access.active_at(position) : nullptr;
}

int FamilyInstanceCount(int object_index) {
  const InstanceAccess& access = Instances();
  return access.family_count != nullptr ? access.family_count(object_index) : 0;
}

CInstance* FamilyInstanceAt(int object_index, int position) {
  const InstanceAccess& access = Instances();
  return access.family_at != nullptr ? access.family_at(object_index, position) : nullptr;
}

CInstance* FindLiveInstance(int id) {
  const InstanceAccess& access = Instances();
  if (access.find == nullptr) return nullptr;
  CInstance* instance = access.find(id);
  return instance != nullptr && !instance->destroyed ? instance : nullptr;
}

CInstance* FirstLiveInstance() {
  const int count = ActiveInstanceCount();
  for (int i = 0; i < count; ++i) {
    CInstance* instance = ActiveInstanceAt(i);
    if (instance != nullptr && !instance->destroyed) return instance;
  }
  return nullptr;
}

CInstance* FirstLiveFamilyInstance(int object_index) {
  const int count = FamilyInstanceCount(object_index);
  for (int i = 0; i < count; ++i) {
    CInstance* instance = FamilyInstanceAt(object_index, i);
    if (instance != nullptr && !instance->destroyed) return instance;
  }
  return nullptr;
}

}  // namespace vendrel::runtime
