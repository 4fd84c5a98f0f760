// BlockSequence: an indexable sequence with cheap insertion and removal in
// the middle. The values live in blocks of at most kSplitSize entries; a
// Fenwick tree over the block sizes finds the block of an index in
// O(log blocks), so reading, inserting and erasing at any index cost
// O(kSplitSize + log n) instead of the O(n) of one flat array. The sorted
// map keeps its pairs here so that a map of a million entries stays fast
// while its positions behave exactly like those of a flat array.
#pragma once

#include <cstddef>
#include <tuple>
#include <utility>
#include <vector>

namespace vendrel::library {

template <class T>
class BlockSequence {
 public:
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](size_t index) {
    auto [block, offset] = Locate(index);
    return blocks_[block][offset];
  }
  const T& operator[](size_t index) const {
    auto [block, offset] = Locate(index);
    return blocks_[block][offset];
  }

  // Inserts [value] before position [index] (0 <= index <= size()).
  void insert(size_t index, T value) {
    if (blocks_.empty()) {
      blocks_.emplace_back();
      blocks_.back().reserve(kSplitSize + 1);
      RebuildIndex();
    }
    size_t block;
    size_t offset;
    if (index >= size_) {
      block = blocks_.size() - 1;
      offset = blocks_[block].size();
    } else {
      std::tie(block, offset) = Locate(index);
    }
    std::vector<T>& target = blocks_[block];
    target.insert(target.begin() + std::ptrdiff_t(offset), std::move(value));
    ++size_;
    if (target.size() > kSplitSize) {
      SplitBlock(block);
    } else {
      AddToBlockSize(block, 1);
      cache_valid_ = false;
    }
  }

  void push_back(T value) { insert(size_, std::move(value)); }

  // Removes the value at [index] (index < size()).
  void erase(size_t index) {
    auto [block, offset] = Locate(index);
    std::vector<T>& target = blocks_[block];
    target.erase(target.begin() + std::ptrdiff_t(offset));
    --size_;
    cache_valid_ = false;
    if (target.empty() && blocks_.size() > 1) {
      blocks_.erase(blocks_.begin() + std::ptrdiff_t(block));
      RebuildIndex();
    } else if (target.size() >= kMergeSize || !MergeWithNeighbour(block)) {
      AddToBlockSize(block, -1);
    }
  }

  void clear() {
    blocks_.clear();
    fenwick_.clear();
    size_ = 0;
    cache_valid_ = false;
  }

  // Calls [visit] for every value in order.
  template <class F>
  void ForEach(F&& visit) const {
    for (const std::vector<T>& block : blocks_)
      for (const T& value : block) visit(value);
  }

 private:
  // Blocks split in two above kSplitSize entries; a block shrinking below
  // kMergeSize joins a neighbour when both fit in kMergeLimit, so that a
  // long run of insertions or removals costs amortised O(1) index rebuilds.
  static constexpr size_t kSplitSize = 256;
  static constexpr size_t kMergeSize = 64;
  static constexpr size_t kMergeLimit = 192;

  // The block holding [index] and the offset inside it.
  std::pair<size_t, size_t> Locate(size_t index) const {
    if (cache_valid_ && index >= cache_start_ &&
        index - cache_start_ < blocks_[cache_block_].size())
      return {cache_block_, index - cache_start_};
    // Fenwick descent: the number of whole blocks before [index].
    size_t position = 0;
    size_t remaining = index;
    for (size_t step = top_step_; step > 0; step >>= 1) {
      size_t next = position + step;
      if (next < fenwick_.size() && fenwick_[next] <= remaining) {
        position = next;
        remaining -= fenwick_[next];
      }
    }
    cache_valid_ = true;
    cache_block_ = position;
    cache_start_ = index - remaining;
    return {position, remaining};
  }

  void AddToBlockSize(size_t block, long delta) {
    for (size_t i = block + 1; i < fenwick_.size(); i += i & (~i + 1))
      fenwick_[i] = size_t(long(fenwick_[i]) + delta);
  }

  void RebuildIndex() {
    fenwick_.assign(blocks_.size() + 1, 0);
    for (size_t i = 1; i < fenwick_.size(); ++i) {
      fenwick_[i] += blocks_[i - 1].size();
      size_t parent = i + (i & (~i + 1));
      if (parent < fenwick_.size()) fenwick_[parent] += fenwick_[i];
    }
    top_step_ = 1;
    while (top_step_ * 2 < fenwick_.size()) top_step_ *= 2;
    cache_valid_ = false;
  }

  void SplitBlock(size_t block) {
    std::vector<T>& full = blocks_[block];
    std::vector<T> upper;
    upper.reserve(kSplitSize + 1);
    size_t half = full.size() / 2;
    for (size_t i = half; i < full.size(); ++i) upper.push_back(std::move(full[i]));
    full.resize(half);
    blocks_.insert(blocks_.begin() + std::ptrdiff_t(block) + 1, std::move(upper));
    RebuildIndex();
  }

  // Joins [block] with a neighbour when the two are small enough together.
  bool MergeWithNeighbour(size_t block) {
    size_t left;
    if (block + 1 < blocks_.size() &&
        blocks_[block].size() + blocks_[block + 1].size() <= kMergeLimit) {
      left = block;
    } else if (block > 0 && blocks_[block - 1].size() + blocks_[block].size() <= kMergeLimit) {
      left = block - 1;
    } else {
      return false;
    }
    std::vector<T>& into = blocks_[left];
    for (T& value : blocks_[left + 1]) into.push_back(std::move(value));
    blocks_.erase(blocks_.begin() + std::ptrdiff_t(left) + 1);
    RebuildIndex();
    return true;
  }

  std::vector<std::vector<T>> blocks_;
  std::vector<size_t> fenwick_;  // 1-based sums of block sizes
  size_t top_step_ = 1;
  size_t size_ = 0;
  // The last block found, so that scans of neighbouring indexes skip the
  // tree descent.
  mutable bool cache_valid_ = false;
  mutable size_t cache_block_ = 0;
  mutable size_t cache_start_ = 0;
};

}  // namespace vendrel::library
