// A bounded lock-free queue for exactly one producer thread and one
// consumer thread. Neither side blocks or allocates after construction.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>
#include <vector>

namespace vendrel::sound {

template <class T>
class SpscQueue {
 public:
  // Holds up to [capacity] items (rounded up to a power of two).
  explicit SpscQueue(size_t capacity) {
    size_t size = 2;
    while (size < capacity) size *= 2;
    slots_.resize(size);
    mask_ = size - 1;
  }

  // Producer: false when the queue is full.
  bool TryPush(const T& item) {
    size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) > mask_) return false;
    slots_[tail & mask_] = item;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // Producer: whether TryPush would fail now. Only the consumer can change
  // that, and only by making room, so a false answer holds until the
  // producer's next push.
  bool Full() const {
    return tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire) > mask_;
  }

  // Consumer: the oldest item, or null when empty. It stays queued until Pop.
  const T* Peek() const {
    size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return nullptr;
    return &slots_[head & mask_];
  }
  void Pop() { head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

  bool TryPop(T& out) {
    const T* item = Peek();
    if (!item) return false;
    out = *item;
    Pop();
    return true;
  }

  bool Empty() const { return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire); }

 private:
  std::vector<T> slots_;
  size_t mask_ = 1;
  alignas(64) std::atomic<size_t> head_{0};
  alignas(64) std::atomic<size_t> tail_{0};
};

}  // namespace vendrel::sound
