#include "library/data_structures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "library/library.h"
#include "library_test_support.h"

namespace vendrel::library {
namespace {

using namespace vendrel::library::testing;

constexpr const char* kNoStructure = "Data structure with index does not exist.";
constexpr const char* kDamaged = "Cannot read data structure: the string is damaged.";

class DataStructureFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetHeadless(true);
    RegisterDataStructureFunctions();
    ResetDataStructures();
    ClearErrors();
  }
  void TearDown() override { ResetDataStructures(); }

  TemporaryDirectory directory_;  // the error log is written here
};

// Describes a value for failure messages.
std::string Show(const RValue& value) {
  return value.IsString() ? "\"" + value.str + "\"" : std::to_string(value.real);
}

bool Same(const RValue& a, const RValue& b) {
  if (a.kind != b.kind) return false;
  if (a.IsString()) return a.str == b.str;
  return a.real == b.real || (std::isnan(a.real) && std::isnan(b.real));
}

// Comparison --------------------------------------------------------------

TEST_F(DataStructureFunctions, CompareValuesFollowsPrecisionKindAndByteOrder) {
  struct Case {
    RValue a, b;
    double precision;
    int expected;
  };
  const Case cases[] = {
      {R(1), R(1 + 1e-9), 1e-8, 0},          // within ε
      {R(1), R(1 + 2e-8), 1e-8, -1},         // beyond ε
      {R(3), R(2), 1e-8, 1},
      {R(0.1 + 0.2), R(0.3), 1e-8, 0},
      {R(0.1 + 0.2), R(0.3), 0, 0},          // relative 1e-12 rule
      {R(1), R(1.000001), 0, -1},
      {R(0), R(5e-13), 0, 0},                // absolute floor 1e-12
      {R(0), R(2e-12), 0, -1},
      {R(1e6), R(1e6 + 5e-7), 0, 0},          // 1e6 * 1e-12 = 1e-6
      {R(5), R(7), 3, 0},                    // ds_set_precision(-3) gives 3
      {R(-1e300), S(""), 1e-8, -1},          // a real is below every string
      {S("a"), R(1e300), 1e-8, 1},
      {S("B"), S("a"), 1e-8, -1},            // bytes, case-sensitive
      {S("ab"), S("abc"), 1e-8, -1},         // a proper prefix is smaller
      {S("\xE9"), S("z"), 1e-8, 1},          // unsigned bytes
      {S("abc"), S("abc"), 1e-8, 0},
  };
  for (const Case& c : cases) {
    SetDataStructurePrecision(c.precision);
    EXPECT_EQ(CompareValues(c.a, c.b), c.expected) << Show(c.a) << " vs " << Show(c.b);
    EXPECT_EQ(CompareValues(c.b, c.a), -c.expected) << Show(c.b) << " vs " << Show(c.a);
  }
  Call("ds_set_precision", {R(-3)});
  EXPECT_EQ(DataStructurePrecision(), 3);
}

TEST_F(DataStructureFunctions, ListFindIndexUsesPrecision) {
  double list = Real(Call("ds_list_create"));
  Call("ds_list_add", {R(list), S("0.3")});
  Call("ds_list_add", {R(list), R(0.3)});
  Call("ds_list_add", {R(list), R(1)});
  EXPECT_EQ(Real(Call("ds_list_find_index", {R(list), R(0.1 + 0.2)})), 1);
  Call("ds_set_precision", {R(0)});
  EXPECT_EQ(Real(Call("ds_list_find_index", {R(list), R(0.1 + 0.2)})), 1);
  EXPECT_EQ(Real(Call("ds_list_find_index", {R(list), R(1.000001)})), -1);
  EXPECT_EQ(Real(Call("ds_list_find_index", {R(list), S("0.3")})), 0);
  EXPECT_EQ(Real(Call("ds_list_find_index", {R(list), S("0.30")})), -1);
}

// Ids and errors ----------------------------------------------------------

TEST_F(DataStructureFunctions, IdsAreReusedLowestFirstPerKind) {
  EXPECT_EQ(Real(Call("ds_list_create")), 0);
  EXPECT_EQ(Real(Call("ds_list_create")), 1);
  EXPECT_EQ(Real(Call("ds_list_create")), 2);
  EXPECT_EQ(Real(Call("ds_map_create")), 0);  // each kind has its own table
  Call("ds_list_destroy", {R(2)});
  Call("ds_list_destroy", {R(0)});
  EXPECT_EQ(Real(Call("ds_list_create")), 0);
  EXPECT_EQ(Real(Call("ds_list_create")), 2);
  EXPECT_EQ(Real(Call("ds_list_create")), 3);
  EXPECT_EQ(LastError(), "");
  // Ids are rounded halves to even: 0.5 is list 0.
  Call("ds_list_add", {R(0.5), R(7)});
  EXPECT_EQ(Real(Call("ds_list_size", {R(0)})), 1);
}

TEST_F(DataStructureFunctions, EveryFunctionReportsAMissingStructure) {
  Call("ds_list_create");
  Call("ds_list_destroy", {R(0)});
  // (function, argument count): each is called with id 0 (destroyed or
  // never created) and further arguments of 1.
  const std::pair<const char*, int> calls[] = {
      {"ds_stack_destroy", 1}, {"ds_stack_size", 1}, {"ds_stack_push", 2},
      {"ds_stack_pop", 1}, {"ds_stack_write", 1}, {"ds_stack_read", 2},
      {"ds_queue_clear", 1}, {"ds_queue_dequeue", 1}, {"ds_queue_tail", 1},
      {"ds_list_destroy", 1}, {"ds_list_add", 2}, {"ds_list_find_value", 2},
      {"ds_list_sort", 2}, {"ds_map_add", 3}, {"ds_map_find_first", 1},
      {"ds_map_exists", 2}, {"ds_priority_add", 3}, {"ds_priority_delete_max", 1},
      {"ds_grid_get", 3}, {"ds_grid_resize", 3}, {"ds_grid_get_disk_sum", 4},
      {"ds_grid_value_exists", 6}, {"ds_grid_width", 1},
  };
  for (auto [name, argc] : calls) {
    ClearErrors();
    std::vector<RValue> arguments(size_t(argc), R(1));
    arguments[0] = R(0);
    RValue result = Call(name, arguments);
    EXPECT_TRUE(ErrorEndsWith(kNoStructure)) << name << ": " << LastError();
    EXPECT_TRUE(result.IsReal() && result.real == 0) << name;
  }
  ClearErrors();
  Call("ds_map_create");
  Call("ds_map_size", {R(-1)});
  EXPECT_TRUE(ErrorEndsWith(kNoStructure));
  ClearErrors();
  Call("ds_map_size", {R(1)});
  EXPECT_TRUE(ErrorEndsWith(kNoStructure));
}

// Stacks and queues -----------------------------------------------------------

TEST_F(DataStructureFunctions, StackAndQueueOrders) {
  double stack = Real(Call("ds_stack_create"));
  double queue = Real(Call("ds_queue_create"));
  for (int i = 1; i <= 40; ++i) {
    Call("ds_stack_push", {R(stack), R(i)});
    Call("ds_queue_enqueue", {R(queue), R(i)});
  }
  Call("ds_stack_push", {R(stack), S("top")});
  EXPECT_EQ(Str(Call("ds_stack_top", {R(stack)})), "top");
  EXPECT_EQ(Str(Call("ds_stack_pop", {R(stack)})), "top");
  EXPECT_EQ(Real(Call("ds_stack_pop", {R(stack)})), 40);
  EXPECT_EQ(Real(Call("ds_stack_size", {R(stack)})), 39);
  // Dequeue past the compaction point: order and size stay right.
  for (int i = 1; i <= 30; ++i) EXPECT_EQ(Real(Call("ds_queue_dequeue", {R(queue)})), i);
  EXPECT_EQ(Real(Call("ds_queue_size", {R(queue)})), 10);
  EXPECT_EQ(Real(Call("ds_queue_head", {R(queue)})), 31);
  EXPECT_EQ(Real(Call("ds_queue_tail", {R(queue)})), 40);
  Call("ds_queue_enqueue", {R(queue), S("last")});
  EXPECT_EQ(Str(Call("ds_queue_tail", {R(queue)})), "last");
  for (int i = 31; i <= 40; ++i) EXPECT_EQ(Real(Call("ds_queue_dequeue", {R(queue)})), i);
  EXPECT_EQ(Str(Call("ds_queue_dequeue", {R(queue)})), "last");
  // Empty containers give 0 and stay empty.
  EXPECT_EQ(Real(Call("ds_queue_dequeue", {R(queue)})), 0);
  EXPECT_EQ(Real(Call("ds_queue_head", {R(queue)})), 0);
  EXPECT_EQ(Real(Call("ds_queue_size", {R(queue)})), 0);
  EXPECT_EQ(Real(Call("ds_queue_empty", {R(queue)})), 1);
  Call("ds_stack_clear", {R(stack)});
  EXPECT_EQ(Real(Call("ds_stack_pop", {R(stack)})), 0);
  EXPECT_EQ(Real(Call("ds_stack_top", {R(stack)})), 0);
  EXPECT_EQ(Real(Call("ds_stack_empty", {R(stack)})), 1);
  EXPECT_EQ(LastError(), "");
}

// Lists --------------------------------------------------------------------

std::vector<RValue> ListContents(double list) {
  std::vector<RValue> values;
  int64_t size = int64_t(Real(Call("ds_list_size", {R(list)})));
  for (int64_t i = 0; i < size; ++i) values.push_back(Call("ds_list_find_value", {R(list), R(double(i))}));
  return values;
}

TEST_F(DataStructureFunctions, ListPositionsOutsideDoNothing) {
  double list = Real(Call("ds_list_create"));
  Call("ds_list_add", {R(list), R(1)});
  Call("ds_list_insert", {R(list), R(0), S("a")});   // front
  Call("ds_list_insert", {R(list), R(2), S("z")});   // at count: append
  Call("ds_list_insert", {R(list), R(4), S("x")});   // beyond: nothing
  Call("ds_list_insert", {R(list), R(-1), S("x")});
  Call("ds_list_replace", {R(list), R(3), S("x")});  // at count: nothing
  Call("ds_list_replace", {R(list), R(1), R(2)});
  Call("ds_list_delete", {R(list), R(3)});
  Call("ds_list_delete", {R(list), R(-1)});
  std::vector<RValue> values = ListContents(list);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(Str(values[0]), "a");
  EXPECT_EQ(Real(values[1]), 2);
  EXPECT_EQ(Str(values[2]), "z");
  Call("ds_list_delete", {R(list), R(0)});
  EXPECT_EQ(Real(Call("ds_list_find_value", {R(list), R(0)})), 2);
  EXPECT_EQ(Real(Call("ds_list_find_value", {R(list), R(2)})), 0);
  EXPECT_EQ(Real(Call("ds_list_find_value", {R(list), R(-1)})), 0);
  EXPECT_EQ(LastError(), "");
}

TEST_F(DataStructureFunctions, ListSortOrdersRealsBeforeStrings) {
  double list = Real(Call("ds_list_create"));
  for (const RValue& value : {S("b"), R(2), S("a"), R(1)}) Call("ds_list_add", {R(list), value});
  Call("ds_list_sort", {R(list), R(1)});
  std::vector<RValue> ascending = ListContents(list);
  EXPECT_EQ(Real(ascending[0]), 1);
  EXPECT_EQ(Real(ascending[1]), 2);
  EXPECT_EQ(Str(ascending[2]), "a");
  EXPECT_EQ(Str(ascending[3]), "b");
  Call("ds_list_sort", {R(list), R(0)});
  std::vector<RValue> descending = ListContents(list);
  EXPECT_EQ(Str(descending[0]), "b");
  EXPECT_EQ(Str(descending[1]), "a");
  EXPECT_EQ(Real(descending[2]), 2);
  EXPECT_EQ(Real(descending[3]), 1);
}

TEST_F(DataStructureFunctions, ListSortOfEqualValues) {
  // 1 and 1 + 1e-9 are equal under the precision but tell apart exactly.
  const double a = 1.0, b = 1.0 + 1e-9, c = 1.0 + 2e-9;
  double list = Real(Call("ds_list_create"));
  for (double value : {b, 0.0, a, c}) Call("ds_list_add", {R(list), R(value)});
  Call("ds_list_sort", {R(list), R(1)});  // ascending keeps equal values in order
  std::vector<RValue> values = ListContents(list);
  EXPECT_EQ(values[0].real, 0.0);
  EXPECT_EQ(values[1].real, b);
  EXPECT_EQ(values[2].real, a);
  EXPECT_EQ(values[3].real, c);
  Call("ds_list_sort", {R(list), R(0)});  // descending puts later equal values first
  values = ListContents(list);
  EXPECT_EQ(values[0].real, c);
  EXPECT_EQ(values[1].real, a);
  EXPECT_EQ(values[2].real, b);
  EXPECT_EQ(values[3].real, 0.0);
}

// The insertion sort that defines the order of ds_list_sort.
void ReferenceSort(std::vector<RValue>& values, bool ascending) {
  for (size_t i = 1; i < values.size(); ++i)
    for (size_t k = i; k > 0; --k) {
      int order = CompareValues(values[k - 1], values[k]);
      if (ascending ? order <= 0 : order > 0) break;
      std::swap(values[k - 1], values[k]);
    }
}

RValue RandomValue(std::mt19937& random, bool near_equal) {
  int pick = int(random() % 10);
  if (pick < 2) return S(std::string(1, char('a' + random() % 4)) + (random() % 2 ? "x" : ""));
  double base = double(random() % 20);
  // Steps of 6e-9 chain values that are equal to their neighbours only.
  if (near_equal && pick < 5) base += double(random() % 4) * 6e-9;
  return R(base);
}

TEST_F(DataStructureFunctions, ListSortMatchesInsertionSortOnRandomLists) {
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    bool near_equal = round % 2 == 1;
    bool ascending = round % 4 < 2;
    std::vector<RValue> values(size_t(random() % 60));
    for (RValue& value : values) value = RandomValue(random, near_equal);
    CDS_List list;
    for (const RValue& value : values) list.Add(value);
    list.Sort(ascending);
    ReferenceSort(values, ascending);
    for (size_t i = 0; i < values.size(); ++i)
      ASSERT_TRUE(Same(list.FindValue(int64_t(i)), values[i]))
          << "round " << round << " position " << i;
  }
}

// Maps ---------------------------------------------------------------------

TEST_F(DataStructureFunctions, MapDuplicateKeysAndNeighbours) {
  double map = Real(Call("ds_map_create"));
  Call("ds_map_add", {R(map), R(5), S("x")});
  Call("ds_map_add", {R(map), R(5), S("y")});
  EXPECT_EQ(Real(Call("ds_map_size", {R(map)})), 2);
  EXPECT_EQ(Str(Call("ds_map_find_value", {R(map), R(5)})), "x");
  Call("ds_map_replace", {R(map), R(5), S("z")});
  EXPECT_EQ(Str(Call("ds_map_find_value", {R(map), R(5)})), "z");
  Call("ds_map_delete", {R(map), R(5)});
  EXPECT_EQ(Real(Call("ds_map_size", {R(map)})), 1);
  EXPECT_EQ(Str(Call("ds_map_find_value", {R(map), R(5)})), "y");
  Call("ds_map_replace", {R(map), R(6), S("none")});  // missing key: nothing
  EXPECT_EQ(Real(Call("ds_map_size", {R(map)})), 1);

  Call("ds_map_clear", {R(map)});
  for (double key : {9.0, 1.0, 5.0}) Call("ds_map_add", {R(map), R(key), R(key * 10)});
  struct Case {
    const char* function;
    double key;
    double expected;
  };
  const Case cases[] = {
      {"ds_map_find_previous", 100, 9}, {"ds_map_find_previous", 5, 1},
      {"ds_map_find_previous", 6, 5},   {"ds_map_find_previous", 1, 0},
      {"ds_map_find_previous", 0, 0},   {"ds_map_find_next", 0, 1},
      {"ds_map_find_next", 1, 5},       {"ds_map_find_next", 6, 9},
      {"ds_map_find_next", 9, 0},       {"ds_map_find_value", 9, 90},
      {"ds_map_find_value", 9 + 1e-9, 90}, {"ds_map_find_value", 4, 0},
      {"ds_map_exists", 1, 1},          {"ds_map_exists", 2, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Real(Call(c.function, {R(map), R(c.key)})), c.expected)
        << c.function << "(" << c.key << ")";
  EXPECT_EQ(Real(Call("ds_map_find_first", {R(map)})), 1);
  EXPECT_EQ(Real(Call("ds_map_find_last", {R(map)})), 9);
  Call("ds_map_add", {R(map), S("b"), R(0)});
  Call("ds_map_add", {R(map), S("a"), R(0)});
  EXPECT_EQ(Str(Call("ds_map_find_last", {R(map)})), "b");
  EXPECT_EQ(Str(Call("ds_map_find_next", {R(map), R(1000)})), "a");
  EXPECT_EQ(Real(Call("ds_map_find_previous", {R(map), S("")})), 9);
  double empty = Real(Call("ds_map_create"));
  EXPECT_EQ(Real(Call("ds_map_find_first", {R(empty)})), 0);
  EXPECT_EQ(Real(Call("ds_map_find_previous", {R(empty), R(3)})), 0);
  EXPECT_EQ(Real(Call("ds_map_find_next", {R(empty), R(3)})), 0);
  EXPECT_EQ(LastError(), "");
}

// The flat sorted array with the binary searches that define the map.
class ReferenceMap {
 public:
  int64_t Lower(const RValue& key) const {
    int64_t low = 0, high = int64_t(keys.size()) - 1;
    while (high - low + 1 > 8) {
      int64_t mid = (low + high) / 2;
      if (CompareValues(keys[size_t(mid)], key) < 0) low = mid + 1; else high = mid;
    }
    for (int64_t i = low; i <= high; ++i)
      if (CompareValues(keys[size_t(i)], key) >= 0) return i;
    return -1;
  }
  int64_t Upper(const RValue& key) const {
    int64_t low = 0, high = int64_t(keys.size()) - 1;
    while (high - low + 1 > 8) {
      int64_t mid = (low + high) / 2;
      if (CompareValues(keys[size_t(mid)], key) > 0) high = mid - 1; else low = mid;
    }
    int64_t found = -1;
    for (int64_t i = low; i <= high; ++i)
      if (CompareValues(keys[size_t(i)], key) <= 0) found = i;
    return found;
  }
  int64_t Equal(const RValue& key) const {
    int64_t i = Lower(key);
    return i >= 0 && CompareValues(keys[size_t(i)], key) == 0 ? i : -1;
  }
  std::vector<RValue> keys, values;
};

TEST_F(DataStructureFunctions, MapMatchesTheFlatArrayUnderRandomOperations) {
  // Enough entries to spread the map over many blocks; near-equal keys and
  // precision changes make the comparison inconsistent on purpose.
  std::mt19937 random(777);
  CDS_Map map;
  ReferenceMap reference;
  auto random_key = [&]() -> RValue {
    if (random() % 8 == 0) return S(std::string(1, char('a' + random() % 26)));
    return R(double(random() % 3000) + double(random() % 4) * 4e-9);
  };
  for (int step = 0; step < 20000; ++step) {
    if (step == 12000) SetDataStructurePrecision(0);
    if (step == 16000) SetDataStructurePrecision(0.5);
    RValue key = random_key();
    int operation = int(random() % 10);
    if (operation < 5) {
      RValue value = R(step);
      map.Add(key, value);
      size_t at = size_t(reference.Upper(key) + 1);
      reference.keys.insert(reference.keys.begin() + std::ptrdiff_t(at), key);
      reference.values.insert(reference.values.begin() + std::ptrdiff_t(at), value);
    } else if (operation < 7) {
      map.Delete(key);
      int64_t i = reference.Equal(key);
      if (i >= 0) {
        reference.keys.erase(reference.keys.begin() + i);
        reference.values.erase(reference.values.begin() + i);
      }
    } else if (operation == 7) {
      map.Replace(key, R(-step));
      int64_t i = reference.Equal(key);
      if (i >= 0) reference.values[size_t(i)] = R(-step);
    }
    int64_t lower = reference.Lower(key), upper = reference.Upper(key);
    int64_t equal = reference.Equal(key);
    RValue expected_value = equal >= 0 ? reference.values[size_t(equal)] : RValue();
    RValue expected_previous = lower > 0 ? reference.keys[size_t(lower - 1)]
                               : lower == 0 || reference.keys.empty() ? RValue()
                                                                     : reference.keys.back();
    RValue expected_next = upper + 1 < int64_t(reference.keys.size())
                               ? reference.keys[size_t(upper + 1)] : RValue();
    ASSERT_EQ(map.Size(), int64_t(reference.keys.size())) << "step " << step;
    ASSERT_TRUE(Same(map.FindValue(key), expected_value)) << "step " << step;
    ASSERT_EQ(map.Exists(key), equal >= 0) << "step " << step;
    ASSERT_TRUE(Same(map.FindPrevious(key), expected_previous)) << "step " << step;
    ASSERT_TRUE(Same(map.FindNext(key), expected_next)) << "step " << step;
  }
  ASSERT_FALSE(reference.keys.empty());
  EXPECT_TRUE(Same(map.FindFirst(), reference.keys.front()));
  EXPECT_TRUE(Same(map.FindLast(), reference.keys.back()));
}

// Priority queues ------------------------------------------------------------

// The unordered arrays and linear scans that define the priority queue.
class ReferencePriority {
 public:
  int64_t FindValue(const RValue& value) const {
    for (size_t i = 0; i < values.size(); ++i)
      if (CompareValues(values[i], value) == 0) return int64_t(i);
    return -1;
  }
  int64_t Extreme(int sign) const {
    if (values.empty()) return -1;
    size_t best = 0;
    for (size_t i = 1; i < values.size(); ++i)
      if (CompareValues(priorities[i], priorities[best]) == sign) best = i;
    return int64_t(best);
  }
  RValue Remove(int64_t i) {
    if (i < 0) return RValue();
    RValue value = values[size_t(i)];
    values[size_t(i)] = values.back();
    priorities[size_t(i)] = priorities.back();
    values.pop_back();
    priorities.pop_back();
    return value;
  }
  std::vector<RValue> values, priorities;
};

TEST_F(DataStructureFunctions, PriorityEarliestOfEqualExtremesWins) {
  double queue = Real(Call("ds_priority_create"));
  Call("ds_priority_add", {R(queue), S("a"), R(3)});
  Call("ds_priority_add", {R(queue), S("b"), R(1)});
  Call("ds_priority_add", {R(queue), S("c"), R(3)});
  Call("ds_priority_add", {R(queue), S("d"), R(1)});
  EXPECT_EQ(Str(Call("ds_priority_find_min", {R(queue)})), "b");
  EXPECT_EQ(Str(Call("ds_priority_find_max", {R(queue)})), "a");
  // Removing "b" moves the last pair ("d") into its place.
  EXPECT_EQ(Str(Call("ds_priority_delete_min", {R(queue)})), "b");
  EXPECT_EQ(Str(Call("ds_priority_delete_min", {R(queue)})), "d");
  Call("ds_priority_change_priority", {R(queue), S("c"), R(10)});
  EXPECT_EQ(Real(Call("ds_priority_find_priority", {R(queue), S("c")})), 10);
  EXPECT_EQ(Real(Call("ds_priority_find_priority", {R(queue), S("q")})), 0);
  EXPECT_EQ(Str(Call("ds_priority_delete_max", {R(queue)})), "c");
  Call("ds_priority_delete_value", {R(queue), S("a")});
  EXPECT_EQ(Real(Call("ds_priority_empty", {R(queue)})), 1);
  EXPECT_EQ(Real(Call("ds_priority_delete_min", {R(queue)})), 0);
  EXPECT_EQ(Real(Call("ds_priority_find_max", {R(queue)})), 0);
  EXPECT_EQ(LastError(), "");
}

TEST_F(DataStructureFunctions, PriorityMatchesTheLinearScansUnderRandomOperations) {
  std::mt19937 random(4242);
  for (int round = 0; round < 3; ++round) {
    CDS_Priority queue;
    ReferencePriority reference;
    auto random_priority = [&]() -> RValue {
      int pick = int(random() % 40);
      if (pick == 0) return S(std::string(1, char('a' + random() % 3)));
      if (pick == 1 && round == 2) return R(std::nan(""));
      double base = double(random() % 50);
      if (round >= 1 && pick < 8) base += double(random() % 4) * 4e-9;  // near-equal
      return R(base);
    };
    auto random_value = [&]() -> RValue {
      if (random() % 5 == 0) return S(std::to_string(random() % 30));
      return R(double(random() % 300) + (round >= 1 ? double(random() % 3) * 6e-9 : 0.0));
    };
    for (int step = 0; step < 6000; ++step) {
      int operation = int(random() % 12);
      RValue value = random_value();
      if (operation < 5) {
        RValue priority = random_priority();
        queue.Add(value, priority);
        reference.values.push_back(value);
        reference.priorities.push_back(priority);
      } else if (operation == 5) {
        RValue priority = random_priority();
        queue.ChangePriority(value, priority);
        int64_t i = reference.FindValue(value);
        if (i >= 0) reference.priorities[size_t(i)] = priority;
      } else if (operation == 6) {
        queue.DeleteValue(value);
        reference.Remove(reference.FindValue(value));
      } else if (operation == 7) {
        ASSERT_TRUE(Same(queue.DeleteMin(), reference.Remove(reference.Extreme(-1))))
            << "round " << round << " step " << step;
      } else if (operation == 8) {
        ASSERT_TRUE(Same(queue.DeleteMax(), reference.Remove(reference.Extreme(1))))
            << "round " << round << " step " << step;
      }
      int64_t found = reference.FindValue(value);
      ASSERT_TRUE(Same(queue.FindPriority(value),
                       found >= 0 ? reference.priorities[size_t(found)] : RValue()))
          << "round " << round << " step " << step;
      int64_t minimum = reference.Extreme(-1), maximum = reference.Extreme(1);
      ASSERT_TRUE(Same(queue.FindMin(), minimum >= 0 ? reference.values[size_t(minimum)] : RValue()))
          << "round " << round << " step " << step;
      ASSERT_TRUE(Same(queue.FindMax(), maximum >= 0 ? reference.values[size_t(maximum)] : RValue()))
          << "round " << round << " step " << step;
      ASSERT_EQ(queue.Size(), int64_t(reference.values.size()));
    }
  }
}

// Grids --------------------------------------------------------------------

TEST_F(DataStructureFunctions, GridRegionsDisksAndStatistics) {
  double grid = Real(Call("ds_grid_create", {R(5), R(4)}));
  EXPECT_EQ(Real(Call("ds_grid_width", {R(grid)})), 5);
  EXPECT_EQ(Real(Call("ds_grid_height", {R(grid)})), 4);
  Call("ds_grid_set_region", {R(grid), R(3), R(2), R(1), R(-5), R(2)});  // corners swapped, clipped
  EXPECT_EQ(Real(Call("ds_grid_get_sum", {R(grid), R(0), R(0), R(4), R(3)})), 2 * 3 * 3);
  EXPECT_EQ(Real(Call("ds_grid_get", {R(grid), R(3), R(2)})), 2);
  EXPECT_EQ(Real(Call("ds_grid_get", {R(grid), R(4), R(2)})), 0);
  EXPECT_EQ(Real(Call("ds_grid_get", {R(grid), R(5), R(0)})), 0);  // outside
  Call("ds_grid_multiply_region", {R(grid), R(0), R(0), R(4), R(3), R(3)});
  EXPECT_EQ(Real(Call("ds_grid_get_max", {R(grid), R(0), R(0), R(4), R(3)})), 6);
  EXPECT_EQ(Real(Call("ds_grid_get_min", {R(grid), R(0), R(0), R(4), R(3)})), 0);
  EXPECT_DOUBLE_EQ(Real(Call("ds_grid_get_mean", {R(grid), R(0), R(0), R(4), R(3)})),
                   6.0 * 9 / 20);

  // The disk of radius 1 around (2, 1): (2,1) and its 4 neighbours.
  Call("ds_grid_clear", {R(grid), R(0)});
  Call("ds_grid_add_disk", {R(grid), R(2), R(1), R(1), R(1)});
  EXPECT_EQ(Real(Call("ds_grid_get_sum", {R(grid), R(0), R(0), R(4), R(3)})), 5);
  EXPECT_EQ(Real(Call("ds_grid_get", {R(grid), R(1), R(0)})), 0);
  EXPECT_EQ(Real(Call("ds_grid_get", {R(grid), R(2), R(0)})), 1);
  EXPECT_EQ(Real(Call("ds_grid_get_disk_sum", {R(grid), R(2), R(1), R(1.5)})), 5);
  EXPECT_EQ(Real(Call("ds_grid_get_disk_max", {R(grid), R(0), R(3), R(0.5)})), 0);
  // Disks clip at the edges and accept huge or odd radii.
  Call("ds_grid_set_disk", {R(grid), R(0), R(0), R(1e300), R(7)});
  EXPECT_EQ(Real(Call("ds_grid_get_min", {R(grid), R(0), R(0), R(4), R(3)})), 7);
  Call("ds_grid_set_disk", {R(grid), R(0), R(0), R(std::nan("")), R(1)});
  Call("ds_grid_set_disk", {R(grid), R(2), R(2), R(-1), R(1)});
  EXPECT_EQ(Real(Call("ds_grid_get_max", {R(grid), R(0), R(0), R(4), R(3)})), 7);
  EXPECT_EQ(LastError(), "");
}

TEST_F(DataStructureFunctions, GridStringCellsAndSearches) {
  double grid = Real(Call("ds_grid_create", {R(3), R(3)}));
  Call("ds_grid_set_region", {R(grid), R(0), R(0), R(2), R(2), S("s")});
  EXPECT_EQ(Real(Call("ds_grid_get_max", {R(grid), R(0), R(0), R(2), R(2)})), -100000000);
  EXPECT_EQ(Real(Call("ds_grid_get_min", {R(grid), R(0), R(0), R(2), R(2)})), 100000000);
  EXPECT_EQ(Real(Call("ds_grid_get_mean", {R(grid), R(0), R(0), R(2), R(2)})), 0);
  Call("ds_grid_add", {R(grid), R(1), R(1), S("t")});  // strings append
  Call("ds_grid_add", {R(grid), R(1), R(1), R(5)});    // a real leaves a string cell alone
  Call("ds_grid_multiply", {R(grid), R(1), R(1), R(5)});
  EXPECT_EQ(Str(Call("ds_grid_get", {R(grid), R(1), R(1)})), "st");
  EXPECT_EQ(Real(Call("ds_grid_value_exists", {R(grid), R(0), R(0), R(2), R(2), S("st")})), 0);

  Call("ds_grid_set", {R(grid), R(2), R(0), R(4)});
  Call("ds_grid_set", {R(grid), R(1), R(2), R(4)});
  Call("ds_grid_add", {R(grid), R(1), R(2), S("x")});  // a string adds 0 to a real cell
  // Columns first: (1, 2) is found before (2, 0).
  EXPECT_EQ(Real(Call("ds_grid_value_x", {R(grid), R(0), R(0), R(2), R(2), R(4 + 1e-9)})), 1);
  EXPECT_EQ(Real(Call("ds_grid_value_y", {R(grid), R(0), R(0), R(2), R(2), R(4)})), 2);
  EXPECT_EQ(Real(Call("ds_grid_value_exists", {R(grid), R(0), R(0), R(2), R(2), R(4)})), 1);
  EXPECT_EQ(Real(Call("ds_grid_value_x", {R(grid), R(2), R(0), R(2), R(2), R(4)})), 2);
  EXPECT_EQ(Real(Call("ds_grid_value_disk_y", {R(grid), R(2), R(0), R(0.5), R(4)})), 0);
  EXPECT_EQ(Real(Call("ds_grid_value_disk_exists", {R(grid), R(2), R(0), R(0.5), R(4)})), 1);
  EXPECT_EQ(Real(Call("ds_grid_value_disk_x", {R(grid), R(0), R(0), R(0.5), R(4)})), 0);
  EXPECT_EQ(Real(Call("ds_grid_value_x", {R(grid), R(0), R(0), R(2), R(2), R(9)})), 0);
}

TEST_F(DataStructureFunctions, GridResizeKeepsTheOverlap) {
  double grid = Real(Call("ds_grid_create", {R(2), R(3)}));
  for (int x = 0; x < 2; ++x)
    for (int y = 0; y < 3; ++y) Call("ds_grid_set", {R(grid), R(x), R(y), R(10 * x + y)});
  Call("ds_grid_resize", {R(grid), R(3), R(2)});
  const double expected[3][2] = {{0, 1}, {10, 11}, {0, 0}};
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 2; ++y)
      EXPECT_EQ(Real(Call("ds_grid_get", {R(grid), R(x), R(y)})), expected[x][y]) << x << "," << y;
  EXPECT_EQ(Real(Call("ds_grid_get", {R(grid), R(0), R(2)})), 0);
  Call("ds_grid_resize", {R(grid), R(-4), R(2)});
  EXPECT_EQ(Real(Call("ds_grid_width", {R(grid)})), 0);
  EXPECT_EQ(LastError(), "");
  Call("ds_grid_resize", {R(grid), R(1e6), R(1e6)});
  EXPECT_TRUE(ErrorEndsWith("Grid is too large."));
  ClearErrors();
  EXPECT_EQ(Real(Call("ds_grid_create", {R(1e9), R(1e9)})), -1);
  EXPECT_TRUE(ErrorEndsWith("Grid is too large."));
}

// Text form ------------------------------------------------------------------

TEST_F(DataStructureFunctions, WriteGivesTheDocumentedTextForms) {
  // Kind code, version 1, count, then per value its kind and data, as
  // little-endian hexadecimal.
  double list = Real(Call("ds_list_create"));
  EXPECT_EQ(Str(Call("ds_list_write", {R(list)})), "670000000100000000000000");
  Call("ds_list_add", {R(list), R(1)});
  Call("ds_list_add", {R(list), S("ab")});
  EXPECT_EQ(Str(Call("ds_list_write", {R(list)})),
            "67000000" "01000000" "02000000"
            "00000000" "000000000000F03F"
            "01000000" "02000000" "6162");
  double map = Real(Call("ds_map_create"));
  Call("ds_map_add", {R(map), S("k"), R(-2)});
  EXPECT_EQ(Str(Call("ds_map_write", {R(map)})),
            "68000000" "01000000" "01000000"
            "01000000" "01000000" "6B"
            "00000000" "00000000000000C0");
  double grid = Real(Call("ds_grid_create", {R(2), R(1)}));
  Call("ds_grid_set", {R(grid), R(1), R(0), S("")});
  EXPECT_EQ(Str(Call("ds_grid_write", {R(grid)})),
            "6A000000" "01000000" "02000000" "01000000"
            "00000000" "0000000000000000"
            "01000000" "00000000");
}

TEST_F(DataStructureFunctions, EveryKindReadsBackWhatItWrote) {
  const std::string awkward("a\0b\r\n\xFF\"", 7);
  double stack = Real(Call("ds_stack_create"));
  double queue = Real(Call("ds_queue_create"));
  double list = Real(Call("ds_list_create"));
  double map = Real(Call("ds_map_create"));
  double priority = Real(Call("ds_priority_create"));
  double grid = Real(Call("ds_grid_create", {R(3), R(2)}));
  for (int i = 0; i < 20; ++i) {
    RValue value = i % 3 == 0 ? S(awkward + std::to_string(i)) : R(i * 0.1 - 1);
    Call("ds_stack_push", {R(stack), value});
    Call("ds_queue_enqueue", {R(queue), value});
    Call("ds_list_add", {R(list), value});
    Call("ds_map_add", {R(map), value, R(i)});
    Call("ds_priority_add", {R(priority), value, R(i % 4)});
  }
  for (int i = 0; i < 5; ++i) Call("ds_queue_dequeue", {R(queue)});  // a moved head
  Call("ds_grid_set", {R(grid), R(2), R(1), S(awkward)});
  Call("ds_grid_set", {R(grid), R(0), R(1), R(-0.0)});

  const char* kinds[] = {"stack", "queue", "list", "map", "priority", "grid"};
  const double ids[] = {stack, queue, list, map, priority, grid};
  for (int k = 0; k < 6; ++k) {
    std::string prefix = std::string("ds_") + kinds[k];
    std::string text = Str(Call(prefix + "_write", {R(ids[k])}));
    double copy = k == 5 ? Real(Call("ds_grid_create", {R(1), R(1)}))
                         : Real(Call(prefix + "_create"));
    EXPECT_EQ(Real(Call(prefix + "_read", {R(copy), S(text)})), 1) << kinds[k];
    EXPECT_EQ(Str(Call(prefix + "_write", {R(copy)})), text) << kinds[k];
    // Reading lowercase hexadecimal works as well.
    std::string lower = text;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Real(Call(prefix + "_read", {R(copy), S(lower)})), 1) << kinds[k];
    EXPECT_EQ(Str(Call(prefix + "_write", {R(copy)})), text) << kinds[k];
  }
  // The copies behave like the originals.
  EXPECT_EQ(Real(Call("ds_queue_head", {R(queue + 1)})), Real(Call("ds_queue_head", {R(queue)})));
  EXPECT_EQ(Str(Call("ds_grid_get", {R(grid + 1), R(2), R(1)})), awkward);
  EXPECT_EQ(Real(Call("ds_map_find_value", {R(map + 1), R(0.9)})), 19);
  EXPECT_EQ(Str(Call("ds_priority_find_max", {R(priority + 1)})), awkward + "3");
  EXPECT_EQ(LastError(), "");
}

TEST_F(DataStructureFunctions, DamagedTextIsReportedAndChangesNothing) {
  double list = Real(Call("ds_list_create"));
  Call("ds_list_add", {R(list), S("keep")});
  double other = Real(Call("ds_list_create"));
  Call("ds_list_add", {R(other), S("hello")});
  Call("ds_list_add", {R(other), R(2)});
  const std::string good = Str(Call("ds_list_write", {R(other)}));
  const std::string damaged[] = {
      "",                                          // nothing
      good.substr(0, good.size() - 1),             // odd length
      good.substr(0, good.size() - 2),             // one byte short
      good + "00",                                 // trailing byte
      "Z" + good.substr(1),                        // not hexadecimal
      "68" + good.substr(2),                       // a map's text
      good.substr(0, 8) + "02000000" + good.substr(16),  // unknown version
      "6700000001000000FFFFFF7F",                  // a count of 2^31 - 1 values
      "67000000010000000100000001000000FFFFFF7F",  // a string longer than the text
      "670000000100000001000000" "05000000",       // unknown value kind
  };
  for (const std::string& text : damaged) {
    ClearErrors();
    EXPECT_EQ(Real(Call("ds_list_read", {R(list), S(text)})), 0) << text;
    EXPECT_TRUE(ErrorEndsWith(kDamaged)) << text;
    EXPECT_EQ(Real(Call("ds_list_size", {R(list)})), 1) << text;
    EXPECT_EQ(Str(Call("ds_list_find_value", {R(list), R(0)})), "keep");
  }
  // No prefix and no single-byte change of a valid text may read outside
  // the text (the sanitizer build checks the memory accesses).
  double grid = Real(Call("ds_grid_create", {R(2), R(2)}));
  Call("ds_grid_set", {R(grid), R(0), R(0), S("cell")});
  const std::string grid_text = Str(Call("ds_grid_write", {R(grid)}));
  for (size_t cut = 0; cut < grid_text.size(); ++cut) {
    CDS_Grid copy(1, 1);
    EXPECT_FALSE(copy.Read(grid_text.substr(0, cut)));
    EXPECT_EQ(copy.Width(), 1);
  }
  for (size_t i = 0; i < grid_text.size(); ++i) {
    for (char digit : {'0', '7', 'F'}) {
      std::string changed = grid_text;
      changed[i] = digit;
      CDS_Grid copy(1, 1);
      if (!copy.Read(changed)) {
        EXPECT_EQ(copy.Width(), 1);
      }
    }
  }
}

}  // namespace
}  // namespace vendrel::library
