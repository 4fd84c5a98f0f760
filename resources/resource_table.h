// ResourceTable: the per-kind table of resource slots. The slot index is the
// resource's identity; a missing slot keeps its index and has no object.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vendrel::resources {

// The name of a missing resource.
inline const std::string kUndefinedName = "<undefined>";

template <class T>
class ResourceTable {
 public:
  // Frees every resource and leaves [count] empty slots.
  void Reset(int count = 0) {
    slots_.clear();
    slots_.resize(size_t(count < 0 ? 0 : count));
  }
  int Count() const { return int(slots_.size()); }
  bool Exists(int index) const { return Get(index) != nullptr; }
  T* Get(int index) const {
    return index >= 0 && index < Count() ? slots_[size_t(index)].object.get() : nullptr;
  }
  // The resource's name, or "<undefined>" for a missing or out-of-range slot.
  const std::string& Name(int index) const {
    return Exists(index) ? slots_[size_t(index)].name : kUndefinedName;
  }
  // The first existing slot whose name is exactly [name], or -1.
  int Find(std::string_view name) const {
    for (size_t i = 0; i < slots_.size(); ++i)
      if (slots_[i].object && slots_[i].name == name) return int(i);
    return -1;
  }
  void Set(int index, std::unique_ptr<T> object, std::string name) {
    if (index >= Count()) slots_.resize(size_t(index) + 1);
    slots_[size_t(index)] = {std::move(object), std::move(name)};
  }
  // Appends a resource and returns its index.
  int Add(std::unique_ptr<T> object, std::string name) {
    slots_.push_back({std::move(object), std::move(name)});
    return Count() - 1;
  }
  void Remove(int index) {
    if (index >= 0 && index < Count()) slots_[size_t(index)] = {};
  }

 private:
  struct Slot {
    std::unique_ptr<T> object;
    std::string name;
  };
  std::vector<Slot> slots_;
};

}  // namespace vendrel::resources
