#include "library/data_structures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vendrel::library {

namespace {

constexpr double kDefaultPrecision = 0.00000001;
double g_precision = kDefaultPrecision;

// The tolerance for comparing two reals.
double Tolerance(double a, double b) {
  if (g_precision != 0) return g_precision;
  return std::max(std::min(std::fabs(a), std::fabs(b)) * 1e-12, 1e-12);
}

int CompareReals(double a, double b) {
  if (std::fabs(a - b) <= Tolerance(a, b)) return 0;
  return a < b ? -1 : 1;
}

// Text form --------------------------------------------------------------
//
// A container is written as upper-case hexadecimal digits of a little-endian
// record: the container's kind code, the format version, then its contents.
// A value is its kind (0 real, 1 string) followed by the IEEE double, or by
// the byte length and the bytes. Hexadecimal text survives every place game
// code keeps strings (INI files, text files, the registry) unchanged.

constexpr int32_t kFormatVersion = 1;
constexpr int32_t kStackCode = 101;
constexpr int32_t kQueueCode = 102;
constexpr int32_t kListCode = 103;
constexpr int32_t kMapCode = 104;
constexpr int32_t kPriorityCode = 105;
constexpr int32_t kGridCode = 106;
// The fewest bytes a stored value takes (a kind and an empty string).
constexpr size_t kMinValueBytes = 8;

class RecordWriter {
 public:
  RecordWriter(int32_t code) {
    Integer(code);
    Integer(kFormatVersion);
  }
  void Integer(int32_t value) {
    uint32_t bits = uint32_t(value);
    for (int i = 0; i < 4; ++i) bytes_.push_back(char((bits >> (8 * i)) & 0xFF));
  }
  void Real(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) bytes_.push_back(char((bits >> (8 * i)) & 0xFF));
  }
  void Value(const RValue& value) {
    if (value.IsString()) {
      Integer(1);
      Integer(int32_t(value.str.size()));
      bytes_ += value.str;
    } else {
      Integer(0);
      Real(value.real);
    }
  }
  void Count(size_t count) { Integer(int32_t(count)); }
  std::string Hex() const {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes_.size() * 2);
    for (char c : bytes_) {
      unsigned char byte = static_cast<unsigned char>(c);
      text.push_back(kDigits[byte >> 4]);
      text.push_back(kDigits[byte & 15]);
    }
    return text;
  }

 private:
  std::string bytes_;
};

// Reads a record written by RecordWriter. Every read checks what remains, so
// a damaged or truncated string fails cleanly instead of reading past its end.
class RecordReader {
 public:
  RecordReader(std::string_view text, int32_t code) {
    if (text.size() % 2 != 0) return;
    bytes_.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
      int high = Digit(text[i]);
      int low = Digit(text[i + 1]);
      if (high < 0 || low < 0) return;
      bytes_.push_back(char(high * 16 + low));
    }
    int32_t stored_code = 0;
    int32_t version = 0;
    ok_ = Integer(stored_code) && Integer(version) && stored_code == code &&
          version == kFormatVersion;
  }
  bool ok() const { return ok_; }
  bool Integer(int32_t& value) {
    if (bytes_.size() - position_ < 4) return false;
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
      bits |= uint32_t(static_cast<unsigned char>(bytes_[position_ + size_t(i)])) << (8 * i);
    position_ += 4;
    value = int32_t(bits);
    return true;
  }
  bool Real(double& value) {
    if (bytes_.size() - position_ < 8) return false;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
      bits |= uint64_t(static_cast<unsigned char>(bytes_[position_ + size_t(i)])) << (8 * i);
    position_ += 8;
    std::memcpy(&value, &bits, sizeof value);
    return true;
  }
  bool Value(RValue& value) {
    int32_t kind = 0;
    if (!Integer(kind)) return false;
    if (kind == 0) {
      double real = 0;
      if (!Real(real)) return false;
      value = RValue(real);
      return true;
    }
    if (kind != 1) return false;
    int32_t length = 0;
    if (!Integer(length) || length < 0 || size_t(length) > bytes_.size() - position_)
      return false;
    value = RValue(bytes_.substr(position_, size_t(length)));
    position_ += size_t(length);
    return true;
  }
  // A count of items of at least [item_bytes] bytes each; a count that the
  // remaining bytes cannot hold is damage, caught before anything is
  // allocated for it.
  bool Count(size_t& count, size_t item_bytes) {
    int32_t stored = 0;
    if (!Integer(stored) || stored < 0) return false;
    if (size_t(stored) > (bytes_.size() - position_) / item_bytes) return false;
    count = size_t(stored);
    return true;
  }
  bool AtEnd() const { return position_ == bytes_.size(); }

 private:
  static int Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  }
  std::string bytes_;
  size_t position_ = 0;
  bool ok_ = false;
};

// Reads a record holding a count and that many values.
bool ReadValues(std::string_view text, int32_t code, std::vector<RValue>& values) {
  RecordReader reader(text, code);
  size_t count = 0;
  if (!reader.ok() || !reader.Count(count, kMinValueBytes)) return false;
  std::vector<RValue> read(count);
  for (RValue& value : read)
    if (!reader.Value(value)) return false;
  if (!reader.AtEnd()) return false;
  values = std::move(read);
  return true;
}

template <class Iterator>
std::string WriteValues(int32_t code, Iterator begin, Iterator end) {
  RecordWriter writer(code);
  writer.Count(size_t(end - begin));
  for (Iterator it = begin; it != end; ++it) writer.Value(*it);
  return writer.Hex();
}

// Reals that compare unequal to themselves (NaN) or that sit closer than the
// tolerance to a different real make the comparison inconsistent for a
// sort. Without them it is a strict weak order on [values].
bool ComparisonIsConsistent(const std::vector<RValue>& values) {
  std::vector<double> reals;
  for (const RValue& value : values) {
    if (!value.IsReal()) continue;
    if (!std::isfinite(value.real)) return false;
    reals.push_back(value.real);
  }
  std::sort(reals.begin(), reals.end());
  for (size_t i = 1; i < reals.size(); ++i)
    if (reals[i] != reals[i - 1] && CompareReals(reals[i - 1], reals[i]) == 0) return false;
  return true;
}

}  // namespace

double DataStructurePrecision() { return g_precision; }
void SetDataStructurePrecision(double precision) { g_precision = std::fabs(precision); }

int CompareValues(const RValue& a, const RValue& b) {
  if (a.IsReal()) return b.IsReal() ? CompareReals(a.real, b.real) : -1;
  if (b.IsReal()) return 1;
  int order = a.str.compare(b.str);  // char_traits<char>: unsigned bytes
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int ExactCompare(const RValue& a, const RValue& b) {
  if (a.IsReal() != b.IsReal()) return a.IsReal() ? -1 : 1;
  if (a.IsString()) {
    int order = a.str.compare(b.str);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
  }
  bool a_nan = std::isnan(a.real), b_nan = std::isnan(b.real);
  if (a_nan || b_nan) return a_nan == b_nan ? 0 : a_nan ? 1 : -1;
  return a.real < b.real ? -1 : a.real > b.real ? 1 : 0;
}

// Stack --------------------------------------------------------------------

RValue CDS_Stack::Pop() {
  if (values_.empty()) return RValue();
  RValue value = std::move(values_.back());
  values_.pop_back();
  return value;
}

RValue CDS_Stack::Top() const { return values_.empty() ? RValue() : values_.back(); }

std::string CDS_Stack::Write() const {
  return WriteValues(kStackCode, values_.begin(), values_.end());
}

bool CDS_Stack::Read(std::string_view text) { return ReadValues(text, kStackCode, values_); }

// Queue --------------------------------------------------------------------

void CDS_Queue::Clear() {
  values_.clear();
  head_ = 0;
}

RValue CDS_Queue::Dequeue() {
  if (head_ >= values_.size()) return RValue();
  RValue value = std::move(values_[head_]);
  ++head_;
  if (head_ > 16 && head_ > values_.size() / 2) {
    values_.erase(values_.begin(), values_.begin() + std::ptrdiff_t(head_));
    head_ = 0;
  }
  return value;
}

RValue CDS_Queue::Head() const { return head_ < values_.size() ? values_[head_] : RValue(); }
RValue CDS_Queue::Tail() const { return head_ < values_.size() ? values_.back() : RValue(); }

std::string CDS_Queue::Write() const {
  return WriteValues(kQueueCode, values_.begin() + std::ptrdiff_t(head_), values_.end());
}

bool CDS_Queue::Read(std::string_view text) {
  if (!ReadValues(text, kQueueCode, values_)) return false;
  head_ = 0;
  return true;
}

// List ---------------------------------------------------------------------

void CDS_List::Insert(int64_t position, const RValue& value) {
  if (position < 0 || position > Size()) return;
  values_.insert(values_.begin() + position, value);
}

void CDS_List::Replace(int64_t position, const RValue& value) {
  if (position < 0 || position >= Size()) return;
  values_[size_t(position)] = value;
}

void CDS_List::Delete(int64_t position) {
  if (position < 0 || position >= Size()) return;
  values_.erase(values_.begin() + position);
}

int64_t CDS_List::FindIndex(const RValue& value) const {
  for (size_t i = 0; i < values_.size(); ++i)
    if (CompareValues(values_[i], value) == 0) return int64_t(i);
  return -1;
}

RValue CDS_List::FindValue(int64_t position) const {
  if (position < 0 || position >= Size()) return RValue();
  return values_[size_t(position)];
}

void CDS_List::Sort(bool ascending) {
  if (values_.size() < 2) return;
  if (!ComparisonIsConsistent(values_)) {
    InsertionSort(ascending);
    return;
  }
  // With a consistent comparison a stable merge sort gives exactly the
  // insertion sort's result: ascending keeps equal values in order;
  // descending moves later equal values first, which is a stable sort of
  // the reversed list.
  if (ascending) {
    std::stable_sort(values_.begin(), values_.end(), [](const RValue& a, const RValue& b) {
      return CompareValues(a, b) < 0;
    });
  } else {
    std::reverse(values_.begin(), values_.end());
    std::stable_sort(values_.begin(), values_.end(), [](const RValue& a, const RValue& b) {
      return CompareValues(a, b) > 0;
    });
  }
}

void CDS_List::InsertionSort(bool ascending) {
  for (size_t i = 1; i < values_.size(); ++i) {
    for (size_t k = i; k > 0; --k) {
      int order = CompareValues(values_[k - 1], values_[k]);
      bool swap = ascending ? order > 0 : order <= 0;
      if (!swap) break;
      std::swap(values_[k - 1], values_[k]);
    }
  }
}

std::string CDS_List::Write() const {
  return WriteValues(kListCode, values_.begin(), values_.end());
}

bool CDS_List::Read(std::string_view text) { return ReadValues(text, kListCode, values_); }

// Map ----------------------------------------------------------------------

int64_t CDS_Map::Lower(const RValue& key) const {
  int64_t low = 0;
  int64_t high = Size() - 1;
  while (high - low + 1 > 8) {
    int64_t mid = (low + high) / 2;
    if (CompareValues(pairs_[size_t(mid)].key, key) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  for (int64_t i = low; i <= high; ++i)
    if (CompareValues(pairs_[size_t(i)].key, key) >= 0) return i;
  return -1;
}

int64_t CDS_Map::Upper(const RValue& key) const {
  int64_t low = 0;
  int64_t high = Size() - 1;
  while (high - low + 1 > 8) {
    int64_t mid = (low + high) / 2;
    if (CompareValues(pairs_[size_t(mid)].key, key) > 0)
      high = mid - 1;
    else
      low = mid;
  }
  for (int64_t i = high; i >= low; --i)
    if (CompareValues(pairs_[size_t(i)].key, key) <= 0) return i;
  return -1;
}

int64_t CDS_Map::FindEqual(const RValue& key) const {
  int64_t i = Lower(key);
  return i >= 0 && CompareValues(pairs_[size_t(i)].key, key) == 0 ? i : -1;
}

void CDS_Map::Add(const RValue& key, const RValue& value) {
  pairs_.insert(size_t(Upper(key) + 1), Pair{key, value});
}

void CDS_Map::Replace(const RValue& key, const RValue& value) {
  int64_t i = FindEqual(key);
  if (i >= 0) pairs_[size_t(i)].value = value;
}

void CDS_Map::Delete(const RValue& key) {
  int64_t i = FindEqual(key);
  if (i >= 0) pairs_.erase(size_t(i));
}

bool CDS_Map::Exists(const RValue& key) const { return FindEqual(key) >= 0; }

RValue CDS_Map::FindValue(const RValue& key) const {
  int64_t i = FindEqual(key);
  return i >= 0 ? pairs_[size_t(i)].value : RValue();
}

RValue CDS_Map::FindPrevious(const RValue& key) const {
  int64_t i = Lower(key);
  if (i > 0) return pairs_[size_t(i - 1)].key;
  if (i == 0 || pairs_.empty()) return RValue();
  return pairs_[pairs_.size() - 1].key;  // every key is smaller
}

RValue CDS_Map::FindNext(const RValue& key) const {
  int64_t i = Upper(key);
  if (i + 1 < Size()) return pairs_[size_t(i + 1)].key;
  return RValue();
}

RValue CDS_Map::FindFirst() const { return pairs_.empty() ? RValue() : pairs_[0].key; }
RValue CDS_Map::FindLast() const {
  return pairs_.empty() ? RValue() : pairs_[pairs_.size() - 1].key;
}

std::string CDS_Map::Write() const {
  RecordWriter writer(kMapCode);
  writer.Count(pairs_.size());
  pairs_.ForEach([&](const Pair& pair) {
    writer.Value(pair.key);
    writer.Value(pair.value);
  });
  return writer.Hex();
}

bool CDS_Map::Read(std::string_view text) {
  RecordReader reader(text, kMapCode);
  size_t count = 0;
  if (!reader.ok() || !reader.Count(count, 2 * kMinValueBytes)) return false;
  BlockSequence<Pair> read;
  for (size_t i = 0; i < count; ++i) {
    Pair pair;
    if (!reader.Value(pair.key) || !reader.Value(pair.value)) return false;
    read.push_back(std::move(pair));
  }
  if (!reader.AtEnd()) return false;
  // Pairs come back in their stored order, exactly as written.
  pairs_ = std::move(read);
  return true;
}

// Priority queue -------------------------------------------------------------
//
// The pairs stay in the flat arrays that the specified scans walk (removal
// moves the last pair into the gap), and two ordered indexes over positions
// answer the scans in O(log n):
// - the first pair whose value compares equal to v: the values equal to v
//   form one run of the exact order, so the answer is the smallest position
//   among the first entries of the distinct values in that run;
// - the scan for the minimum priority keeps the first pair that is smaller
//   than the best so far. When no other priority is within the tolerance of
//   the exact minimum m, that is the earliest pair holding exactly m (every
//   pair before it is greater than m beyond the tolerance, nothing after it
//   is smaller). Otherwise, or with a NaN priority (which compares unequal
//   to everything), the scan itself runs. The maximum is symmetric.

void CDS_Priority::Clear() {
  by_value_.clear();
  by_priority_.clear();
  value_nodes_.clear();
  priority_nodes_.clear();
  values_.clear();
  priorities_.clear();
  nan_priorities_ = 0;
}

static bool IsNanPriority(const RValue& priority) {
  return priority.IsReal() && std::isnan(priority.real);
}

void CDS_Priority::Insert(int64_t position) {
  const RValue& priority = priorities_[size_t(position)];
  value_nodes_[size_t(position)] = by_value_.insert({values_[size_t(position)], position}).first;
  priority_nodes_[size_t(position)] = by_priority_.insert({priority, position}).first;
  if (IsNanPriority(priority)) ++nan_priorities_;
}

void CDS_Priority::Add(const RValue& value, const RValue& priority) {
  values_.push_back(value);
  priorities_.push_back(priority);
  value_nodes_.emplace_back();
  priority_nodes_.emplace_back();
  Insert(Size() - 1);
}

void CDS_Priority::Renumber(Index& index, std::vector<Index::iterator>& nodes, int64_t from,
                            int64_t to) {
  // The entry keeps its key; among equal keys its place may change, which
  // the hint (its old neighbour) usually gets right at once.
  Index::iterator old = nodes[size_t(from)];
  Index::iterator hint = std::next(old);
  Index::node_type node = index.extract(old);
  node.value().position = to;
  nodes[size_t(to)] = index.insert(hint, std::move(node));
}

void CDS_Priority::RemoveAt(int64_t position) {
  int64_t last = Size() - 1;
  if (IsNanPriority(priorities_[size_t(position)])) --nan_priorities_;
  by_value_.erase(value_nodes_[size_t(position)]);
  by_priority_.erase(priority_nodes_[size_t(position)]);
  if (position != last) {
    values_[size_t(position)] = std::move(values_[size_t(last)]);
    priorities_[size_t(position)] = std::move(priorities_[size_t(last)]);
    Renumber(by_value_, value_nodes_, last, position);
    Renumber(by_priority_, priority_nodes_, last, position);
  }
  values_.pop_back();
  priorities_.pop_back();
  value_nodes_.pop_back();
  priority_nodes_.pop_back();
}

int64_t CDS_Priority::FindValuePosition(const RValue& value) const {
  // Step back to the first exact value of the run that compares equal.
  auto it = by_value_.lower_bound(Probe{&value, std::numeric_limits<int64_t>::min()});
  while (it != by_value_.begin()) {
    auto previous = std::prev(it);
    if (CompareValues(previous->key, value) != 0) break;
    // Jump to the first entry of that exact value.
    it = by_value_.lower_bound(Probe{&previous->key, std::numeric_limits<int64_t>::min()});
  }
  int64_t best = -1;
  while (it != by_value_.end()) {
    if (CompareValues(it->key, value) != 0) break;
    if (best < 0 || it->position < best) best = it->position;
    // Skip the later entries of the same exact value: their positions are
    // larger.
    auto next = std::next(it);
    if (next != by_value_.end() && ExactCompare(next->key, it->key) == 0)
      next = by_value_.upper_bound(Probe{&it->key, std::numeric_limits<int64_t>::max()});
    it = next;
  }
  return best;
}

int64_t CDS_Priority::ScanForExtreme(int wanted_sign) const {
  if (values_.empty()) return -1;
  int64_t best = 0;
  for (int64_t i = 1; i < Size(); ++i)
    if (CompareValues(priorities_[size_t(i)], priorities_[size_t(best)]) == wanted_sign)
      best = i;
  return best;
}

int64_t CDS_Priority::MinPosition() const {
  if (values_.empty()) return -1;
  if (nan_priorities_ > 0) return ScanForExtreme(-1);
  auto first = by_priority_.begin();
  // The first entry of another exact value: usually the very next one.
  auto next = std::next(first);
  if (next != by_priority_.end() && ExactCompare(next->key, first->key) == 0)
    next = by_priority_.upper_bound(Probe{&first->key, std::numeric_limits<int64_t>::max()});
  if (next != by_priority_.end() && CompareValues(next->key, first->key) == 0)
    return ScanForExtreme(-1);
  return first->position;
}

int64_t CDS_Priority::MaxPosition() const {
  if (values_.empty()) return -1;
  if (nan_priorities_ > 0) return ScanForExtreme(1);
  auto last = std::prev(by_priority_.end());
  // The earliest entry holding exactly the maximum.
  auto first = last;
  if (first != by_priority_.begin() && ExactCompare(std::prev(first)->key, last->key) == 0)
    first = by_priority_.lower_bound(Probe{&last->key, std::numeric_limits<int64_t>::min()});
  if (first != by_priority_.begin() && CompareValues(std::prev(first)->key, last->key) == 0)
    return ScanForExtreme(1);
  return first->position;
}

void CDS_Priority::ChangePriority(const RValue& value, const RValue& priority) {
  int64_t position = FindValuePosition(value);
  if (position < 0) return;
  if (IsNanPriority(priorities_[size_t(position)])) --nan_priorities_;
  by_priority_.erase(priority_nodes_[size_t(position)]);
  priorities_[size_t(position)] = priority;
  priority_nodes_[size_t(position)] = by_priority_.insert({priority, position}).first;
  if (IsNanPriority(priority)) ++nan_priorities_;
}

RValue CDS_Priority::FindPriority(const RValue& value) const {
  int64_t position = FindValuePosition(value);
  return position >= 0 ? priorities_[size_t(position)] : RValue();
}

void CDS_Priority::DeleteValue(const RValue& value) {
  int64_t position = FindValuePosition(value);
  if (position >= 0) RemoveAt(position);
}

RValue CDS_Priority::DeleteMin() {
  int64_t position = MinPosition();
  if (position < 0) return RValue();
  RValue value = values_[size_t(position)];
  RemoveAt(position);
  return value;
}

RValue CDS_Priority::FindMin() const {
  int64_t position = MinPosition();
  return position >= 0 ? values_[size_t(position)] : RValue();
}

RValue CDS_Priority::DeleteMax() {
  int64_t position = MaxPosition();
  if (position < 0) return RValue();
  RValue value = values_[size_t(position)];
  RemoveAt(position);
  return value;
}

RValue CDS_Priority::FindMax() const {
  int64_t position = MaxPosition();
  return position >= 0 ? values_[size_t(position)] : RValue();
}

std::string CDS_Priority::Write() const {
  RecordWriter writer(kPriorityCode);
  writer.Count(values_.size());
  for (size_t i = 0; i < values_.size(); ++i) {
    writer.Value(values_[i]);
    writer.Value(priorities_[i]);
  }
  return writer.Hex();
}

bool CDS_Priority::Read(std::string_view text) {
  RecordReader reader(text, kPriorityCode);
  size_t count = 0;
  if (!reader.ok() || !reader.Count(count, 2 * kMinValueBytes)) return false;
  std::vector<RValue> values(count);
  std::vector<RValue> priorities(count);
  for (size_t i = 0; i < count; ++i)
    if (!reader.Value(values[i]) || !reader.Value(priorities[i])) return false;
  if (!reader.AtEnd()) return false;
  Clear();
  values_ = std::move(values);
  priorities_ = std::move(priorities);
  value_nodes_.resize(values_.size());
  priority_nodes_.resize(values_.size());
  for (int64_t i = 0; i < Size(); ++i) Insert(i);
  return true;
}

// Grid ---------------------------------------------------------------------

void CDS_Grid::Resize(int64_t width, int64_t height) {
  width = std::max<int64_t>(width, 0);
  height = std::max<int64_t>(height, 0);
  if (width == width_ && height == height_) return;
  std::vector<RValue> cells(size_t(width * height));
  for (int64_t x = 0; x < std::min(width, width_); ++x)
    for (int64_t y = 0; y < std::min(height, height_); ++y)
      cells[size_t(x * height + y)] = std::move(Cell(x, y));
  cells_ = std::move(cells);
  width_ = width;
  height_ = height;
}

void CDS_Grid::Clear(const RValue& value) { std::fill(cells_.begin(), cells_.end(), value); }

RValue CDS_Grid::Get(int64_t x, int64_t y) const { return Inside(x, y) ? Cell(x, y) : RValue(); }

bool CDS_Grid::Area::Covers(int64_t x, int64_t y) const {
  if (!disk) return true;
  double dx = double(x) - xm;
  double dy = double(y) - ym;
  return r * r >= dx * dx + dy * dy;
}

CDS_Grid::Area CDS_Grid::Region(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const {
  Area area{};
  area.x1 = std::max<int64_t>(0, std::min(x1, x2));
  area.x2 = std::min(width_ - 1, std::max(x1, x2));
  area.y1 = std::max<int64_t>(0, std::min(y1, y2));
  area.y2 = std::min(height_ - 1, std::max(y1, y2));
  return area;
}

CDS_Grid::Area CDS_Grid::Disk(double xm, double ym, double r) const {
  Area area{};
  area.disk = true;
  area.xm = xm;
  area.ym = ym;
  area.r = r;
  area.x1 = 0;
  area.x2 = -1;  // empty unless the bounds below are numbers
  area.y1 = 0;
  area.y2 = -1;
  double left = std::floor(xm - r);
  double right = std::ceil(xm + r);
  double top = std::floor(ym - r);
  double bottom = std::ceil(ym + r);
  if (std::isnan(left) || std::isnan(right) || std::isnan(top) || std::isnan(bottom))
    return area;
  // Clamp in doubles first so that huge or infinite bounds cannot overflow
  // the conversion to integers.
  auto clamp = [](double value, int64_t low, int64_t high) {
    if (value <= double(low)) return low;
    if (value >= double(high)) return high;
    return int64_t(value);
  };
  area.x1 = clamp(left, 0, width_);
  area.x2 = clamp(right, -1, width_ - 1);
  area.y1 = clamp(top, 0, height_);
  area.y2 = clamp(bottom, -1, height_ - 1);
  return area;
}

void CDS_Grid::ChangeArea(Change change, const Area& area, const RValue& value) {
  for (int64_t x = area.x1; x <= area.x2; ++x) {
    for (int64_t y = area.y1; y <= area.y2; ++y) {
      if (!area.Covers(x, y)) continue;
      RValue& cell = Cell(x, y);
      switch (change) {
        case Change::Set:
          cell = value;
          break;
        case Change::Add:
          // A string cell takes the string of a string value; a real cell
          // adds the real of a real value (a string value adds 0).
          if (cell.IsString()) {
            if (value.IsString()) cell.str += value.str;
          } else if (value.IsReal()) {
            cell.real += value.real;
          }
          break;
        case Change::Multiply:
          if (cell.IsReal()) cell.real *= value.IsReal() ? value.real : 0.0;
          break;
      }
    }
  }
}

double CDS_Grid::AreaStatistic(Statistic statistic, const Area& area) const {
  double sum = 0;
  double maximum = -100000000;
  double minimum = 100000000;
  int64_t count = 0;
  for (int64_t x = area.x1; x <= area.x2; ++x) {
    for (int64_t y = area.y1; y <= area.y2; ++y) {
      if (!area.Covers(x, y)) continue;
      const RValue& cell = Cell(x, y);
      if (!cell.IsReal()) continue;
      sum += cell.real;
      maximum = std::max(maximum, cell.real);
      minimum = std::min(minimum, cell.real);
      ++count;
    }
  }
  switch (statistic) {
    case Statistic::Sum:
      return sum;
    case Statistic::Max:
      return maximum;
    case Statistic::Min:
      return minimum;
    case Statistic::Mean:
      return count > 0 ? sum / double(count) : 0.0;
  }
  return 0;
}

double CDS_Grid::FindInArea(Found found, const Area& area, const RValue& value) const {
  for (int64_t x = area.x1; x <= area.x2; ++x) {
    for (int64_t y = area.y1; y <= area.y2; ++y) {
      if (!area.Covers(x, y)) continue;
      const RValue& cell = Cell(x, y);
      if (!cell.IsReal() || CompareValues(cell, value) != 0) continue;
      return found == Found::Exists ? 1.0 : found == Found::X ? double(x) : double(y);
    }
  }
  return 0;
}

void CDS_Grid::ChangeCell(Change change, int64_t x, int64_t y, const RValue& value) {
  if (Inside(x, y)) ChangeArea(change, Area{x, y, x, y, false, 0, 0, 0}, value);
}

void CDS_Grid::ChangeRegion(Change change, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                            const RValue& value) {
  ChangeArea(change, Region(x1, y1, x2, y2), value);
}

void CDS_Grid::ChangeDisk(Change change, double xm, double ym, double r, const RValue& value) {
  ChangeArea(change, Disk(xm, ym, r), value);
}

double CDS_Grid::RegionStatistic(Statistic statistic, int64_t x1, int64_t y1, int64_t x2,
                                 int64_t y2) const {
  return AreaStatistic(statistic, Region(x1, y1, x2, y2));
}

double CDS_Grid::DiskStatistic(Statistic statistic, double xm, double ym, double r) const {
  return AreaStatistic(statistic, Disk(xm, ym, r));
}

double CDS_Grid::FindInRegion(Found found, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                              const RValue& value) const {
  return FindInArea(found, Region(x1, y1, x2, y2), value);
}

double CDS_Grid::FindInDisk(Found found, double xm, double ym, double r,
                            const RValue& value) const {
  return FindInArea(found, Disk(xm, ym, r), value);
}

std::string CDS_Grid::Write() const {
  RecordWriter writer(kGridCode);
  writer.Integer(int32_t(width_));
  writer.Integer(int32_t(height_));
  for (const RValue& cell : cells_) writer.Value(cell);
  return writer.Hex();
}

bool CDS_Grid::Read(std::string_view text) {
  RecordReader reader(text, kGridCode);
  int32_t width = 0;
  int32_t height = 0;
  if (!reader.ok() || !reader.Integer(width) || !reader.Integer(height) || width < 0 ||
      height < 0)
    return false;
  int64_t cells = int64_t(width) * height;
  if (cells > kMaxCells) return false;
  std::vector<RValue> read;
  read.reserve(size_t(std::min<int64_t>(cells, 1 << 20)));
  for (int64_t i = 0; i < cells; ++i) {
    RValue value;
    if (!reader.Value(value)) return false;
    read.push_back(std::move(value));
  }
  if (!reader.AtEnd()) return false;
  cells_ = std::move(read);
  width_ = width;
  height_ = height;
  return true;
}

// Tables -------------------------------------------------------------------

DataStructureTables& DataStructures() {
  static DataStructureTables tables;
  return tables;
}

void ResetDataStructures() {
  DataStructureTables& tables = DataStructures();
  tables.stacks.Reset();
  tables.queues.Reset();
  tables.lists.Reset();
  tables.maps.Reset();
  tables.priorities.Reset();
  tables.grids.Reset();
  g_precision = kDefaultPrecision;
}

}  // namespace vendrel::library
