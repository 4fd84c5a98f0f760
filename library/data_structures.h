// The containers that game code creates with the ds_* functions: stacks,
// queues, lists, sorted maps, priority queues and grids of game values, each
// kind with its own table of ids, plus the value comparison they all share
// and their text form (ds_*_write / ds_*_read).
//
// Every ordering and equality test goes through CompareValues, which treats
// reals closer than the data-structure precision as equal. That equality is
// not transitive, so the map keeps the exact array positions and binary
// search of a flat sorted array (in a BlockSequence, to stay fast at a
// million entries), and the priority queue answers its scans through exact
// indexes whenever the answer provably equals that of the linear scan.
#pragma once

#include <cstdint>
#include <memory>
#include <queue>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/value.h"
#include "library/block_sequence.h"

namespace vendrel::library {

using interp::RValue;

// The precision ε below which two reals count as equal (initially 1e-8).
double DataStructurePrecision();
// Sets ε to |precision|.
void SetDataStructurePrecision(double precision);

// -1, 0 or 1. Reals are equal when they differ by at most ε (with ε = 0:
// by at most max(min(|a|, |b|) * 1e-12, 1e-12)); strings compare byte-wise,
// case-sensitively; a real is smaller than any string.
int CompareValues(const RValue& a, const RValue& b);

// A total order that ignores the precision: reals by value (NaN last), then
// strings by bytes; -1, 0 or 1. Only used to index values.
int ExactCompare(const RValue& a, const RValue& b);

class CDS_Stack {
 public:
  void Clear() { values_.clear(); }
  int64_t Size() const { return int64_t(values_.size()); }
  void Push(const RValue& value) { values_.push_back(value); }
  RValue Pop();
  RValue Top() const;

  std::string Write() const;
  bool Read(std::string_view text);

 private:
  std::vector<RValue> values_;  // bottom first
};

class CDS_Queue {
 public:
  void Clear();
  int64_t Size() const { return int64_t(values_.size() - head_); }
  void Enqueue(const RValue& value) { values_.push_back(value); }
  // Takes the head value; when more than 16 dead slots lead the array and
  // they are more than half of it, the live values move to the front.
  RValue Dequeue();
  RValue Head() const;
  RValue Tail() const;

  std::string Write() const;
  bool Read(std::string_view text);

 private:
  std::vector<RValue> values_;  // the live values are [head_, size)
  size_t head_ = 0;
};

class CDS_List {
 public:
  void Clear() { values_.clear(); }
  int64_t Size() const { return int64_t(values_.size()); }
  void Add(const RValue& value) { values_.push_back(value); }
  void Insert(int64_t position, const RValue& value);
  void Replace(int64_t position, const RValue& value);
  void Delete(int64_t position);
  // The first position holding a value equal to [value], or -1.
  int64_t FindIndex(const RValue& value) const;
  // The value at [position]; real 0 outside the list.
  RValue FindValue(int64_t position) const;
  // The result of an insertion sort: ascending keeps equal values in their
  // order, descending puts later equal values first.
  void Sort(bool ascending);

  std::string Write() const;
  bool Read(std::string_view text);

 private:
  void InsertionSort(bool ascending);
  std::vector<RValue> values_;
};

class CDS_Map {
 public:
  void Clear() { pairs_.clear(); }
  int64_t Size() const { return int64_t(pairs_.size()); }
  // Inserts after every key that is <= [key]; equal keys are kept twice.
  void Add(const RValue& key, const RValue& value);
  void Replace(const RValue& key, const RValue& value);
  void Delete(const RValue& key);
  bool Exists(const RValue& key) const;
  RValue FindValue(const RValue& key) const;
  RValue FindPrevious(const RValue& key) const;
  RValue FindNext(const RValue& key) const;
  RValue FindFirst() const;
  RValue FindLast() const;

  std::string Write() const;
  bool Read(std::string_view text);

 private:
  struct Pair {
    RValue key;
    RValue value;
  };
  // The first index whose key is >= [key] and the last whose key is <= [key]
  // (-1 when none), by binary search down to 8 entries, then a scan.
  int64_t Lower(const RValue& key) const;
  int64_t Upper(const RValue& key) const;
  // Lower(key) when that key compares equal to [key], else -1.
  int64_t FindEqual(const RValue& key) const;

  BlockSequence<Pair> pairs_;
};

class CDS_Priority {
 public:
  void Clear();
  int64_t Size() const { return int64_t(values_.size()); }
  void Add(const RValue& value, const RValue& priority);
  void ChangePriority(const RValue& value, const RValue& priority);
  RValue FindPriority(const RValue& value) const;
  void DeleteValue(const RValue& value);
  RValue DeleteMin();
  RValue FindMin() const;
  RValue DeleteMax();
  RValue FindMax() const;

  std::string Write() const;
  bool Read(std::string_view text);

 private:
  // An index entry: a copy of a value or priority and its array position,
  // ordered by the exact order of the value, then by position, so the
  // earliest of equal values comes first. Keeping the key in the node keeps
  // every comparison inside the tree.
  struct Entry {
    RValue key;
    int64_t position;
  };
  struct Probe {
    const RValue* key;
    int64_t position;
  };
  struct EntryLess {
    using is_transparent = void;
    static bool Less(const RValue& a, int64_t pa, const RValue& b, int64_t pb) {
      int order = ExactCompare(a, b);
      return order != 0 ? order < 0 : pa < pb;
    }
    bool operator()(const Entry& a, const Entry& b) const {
      return Less(a.key, a.position, b.key, b.position);
    }
    bool operator()(const Probe& a, const Entry& b) const {
      return Less(*a.key, a.position, b.key, b.position);
    }
    bool operator()(const Entry& a, const Probe& b) const {
      return Less(a.key, a.position, *b.key, b.position);
    }
  };
  using Index = std::set<Entry, EntryLess>;

  void Insert(int64_t position);
  void RemoveAt(int64_t position);
  // Gives the index entries of [from] the array position [to].
  void Renumber(Index& index, std::vector<Index::iterator>& nodes, int64_t from, int64_t to);
  // The position the specified linear scans choose, or -1.
  int64_t FindValuePosition(const RValue& value) const;
  int64_t MinPosition() const;
  int64_t MaxPosition() const;
  int64_t ScanForExtreme(int wanted_sign) const;

  std::vector<RValue> values_;
  std::vector<RValue> priorities_;
  Index by_value_;
  Index by_priority_;
  // The index entries of each position, for removal without a search.
  std::vector<Index::iterator> value_nodes_;
  std::vector<Index::iterator> priority_nodes_;
  int64_t nan_priorities_ = 0;  // a NaN priority defeats the indexed answers
};

class CDS_Grid {
 public:
  CDS_Grid(int64_t width, int64_t height) { Resize(width, height); }

  int64_t Width() const { return width_; }
  int64_t Height() const { return height_; }
  void Resize(int64_t width, int64_t height);
  void Clear(const RValue& value);
  bool Inside(int64_t x, int64_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  RValue Get(int64_t x, int64_t y) const;

  enum class Change { Set, Add, Multiply };
  enum class Statistic { Sum, Max, Min, Mean };
  enum class Found { Exists, X, Y };

  void ChangeCell(Change change, int64_t x, int64_t y, const RValue& value);
  void ChangeRegion(Change change, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                    const RValue& value);
  void ChangeDisk(Change change, double xm, double ym, double r, const RValue& value);
  double RegionStatistic(Statistic statistic, int64_t x1, int64_t y1, int64_t x2,
                         int64_t y2) const;
  double DiskStatistic(Statistic statistic, double xm, double ym, double r) const;
  double FindInRegion(Found found, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                      const RValue& value) const;
  double FindInDisk(Found found, double xm, double ym, double r, const RValue& value) const;

  std::string Write() const;
  bool Read(std::string_view text);

  // Grids larger than this many cells are refused rather than exhausting
  // memory.
  static constexpr int64_t kMaxCells = int64_t(1) << 26;

 private:
  struct Area {
    int64_t x1, y1, x2, y2;  // inclusive; empty when x1 > x2 or y1 > y2
    bool disk;
    double xm, ym, r;
    bool Covers(int64_t x, int64_t y) const;
  };
  Area Region(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const;
  Area Disk(double xm, double ym, double r) const;
  void ChangeArea(Change change, const Area& area, const RValue& value);
  double AreaStatistic(Statistic statistic, const Area& area) const;
  double FindInArea(Found found, const Area& area, const RValue& value) const;
  RValue& Cell(int64_t x, int64_t y) { return cells_[size_t(x * height_ + y)]; }
  const RValue& Cell(int64_t x, int64_t y) const { return cells_[size_t(x * height_ + y)]; }

  int64_t width_ = 0;
  int64_t height_ = 0;
  std::vector<RValue> cells_;  // column x holds cells [x * height_, (x + 1) * height_)
};

// The ids of one kind of container. A new container takes the lowest free
// id below the number of ids ever used, else the next one; destroyed ids are
// reused lowest first.
template <class T>
class DSTable {
 public:
  int64_t Create(std::unique_ptr<T> container) {
    if (!free_.empty()) {
      int64_t id = free_.top();
      free_.pop();
      slots_[size_t(id)] = std::move(container);
      return id;
    }
    slots_.push_back(std::move(container));
    return int64_t(slots_.size()) - 1;
  }
  T* Get(int64_t id) const {
    return id >= 0 && id < int64_t(slots_.size()) ? slots_[size_t(id)].get() : nullptr;
  }
  bool Destroy(int64_t id) {
    if (!Get(id)) return false;
    slots_[size_t(id)].reset();
    free_.push(id);
    return true;
  }
  void Reset() {
    slots_.clear();
    free_ = {};
  }

 private:
  std::vector<std::unique_ptr<T>> slots_;
  std::priority_queue<int64_t, std::vector<int64_t>, std::greater<int64_t>> free_;
};

struct DataStructureTables {
  DSTable<CDS_Stack> stacks;
  DSTable<CDS_Queue> queues;
  DSTable<CDS_List> lists;
  DSTable<CDS_Map> maps;
  DSTable<CDS_Priority> priorities;
  DSTable<CDS_Grid> grids;
};

// The tables of the whole run; containers survive game restarts.
DataStructureTables& DataStructures();
// Destroys every container and restores the default precision.
void ResetDataStructures();

}  // namespace vendrel::library
