#include <set>
#include <string>
#include <vector>

#include "interpreter/random.h"
#include "tests/interpreter/functions_test_support.h"

namespace vendrel::interp::testing {
namespace {

using RandomFunctions = FunctionTest;

std::vector<double> Draws(int count, double range) {
  std::vector<double> values;
  for (int i = 0; i < count; ++i) values.push_back(CallReal("random", {Real(range)}));
  return values;
}

TEST_F(RandomFunctions, ASeedFixesTheSequence) {
  SeedRandom(12345);
  std::vector<double> first = Draws(20, 100);
  SeedRandom(12345);
  EXPECT_EQ(Draws(20, 100), first);
  SeedRandom(12346);
  EXPECT_NE(Draws(20, 100), first);
  EXPECT_EQ(RandomSeed(), 12346u);
}

TEST_F(RandomFunctions, GameStartRestartsAFixedSeed) {
  SeedRandom(7);
  std::vector<double> first = Draws(10, 1);
  Draws(3, 1);
  // A restarted game repeats its random numbers when the seed was fixed.
  RandomizeForGameStart();
  EXPECT_EQ(Draws(10, 1), first);
  EXPECT_EQ(RandomSeed(), 7u);
}

TEST_F(RandomFunctions, RandomStaysInItsRange) {
  SeedRandom(1);
  double sum = 0;
  for (double value : Draws(10000, 1)) {
    ASSERT_GE(value, 0);
    ASSERT_LT(value, 1);
    sum += value;
  }
  // Uniform on [0, 1): the mean of 10000 seeded draws lies near 1/2.
  EXPECT_NEAR(sum / 10000, 0.5, 0.02);
  for (double value : Draws(1000, -10)) {
    ASSERT_GT(value, -10);
    ASSERT_LE(value, 0);
  }
  for (double value : Draws(10, 0)) EXPECT_EQ(value, 0);
}

TEST_F(RandomFunctions, RandomIntegersCoverTheirRange) {
  SeedRandom(99);
  std::set<int64_t> seen;
  for (int i = 0; i < 1000; ++i) {
    int64_t value = RandomInteger(6);
    ASSERT_GE(value, 0);
    ASSERT_LT(value, 6);
    seen.insert(value);
  }
  EXPECT_EQ(seen.size(), 6u);
  EXPECT_EQ(RandomInteger(0), 0);
  EXPECT_EQ(RandomInteger(-5), 0);
  EXPECT_EQ(RandomInteger(1), 0);
}

TEST_F(RandomFunctions, ChooseReturnsEachArgumentWithItsKind) {
  SeedRandom(3);
  std::set<std::string> seen;
  for (int i = 0; i < 300; ++i) {
    RValue chosen = Call("choose", {Real(1), Str("two"), Real(3)});
    if (chosen.IsString()) {
      EXPECT_EQ(chosen.str, "two");
      seen.insert(chosen.str);
    } else {
      EXPECT_TRUE(chosen.real == 1 || chosen.real == 3) << chosen.real;
      seen.insert(std::to_string(int(chosen.real)));
    }
  }
  EXPECT_EQ(seen, (std::set<std::string>{"1", "two", "3"}));
  EXPECT_EQ(CallReal("choose", {}), 0);
  SeedRandom(3);
  std::vector<double> picks;
  for (int i = 0; i < 10; ++i) picks.push_back(CallReal("choose", {Real(1), Real(2), Real(3)}));
  SeedRandom(3);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(CallReal("choose", {Real(1), Real(2), Real(3)}), picks[size_t(i)]);
}

}  // namespace
}  // namespace vendrel::interp::testing
