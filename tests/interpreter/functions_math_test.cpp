#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "tests/interpreter/functions_test_support.h"

namespace vendrel::interp::testing {
namespace {

using MathFunctions = FunctionTest;

struct RealCase {
  const char* function;
  std::vector<double> arguments;
  double expected;
};

std::vector<RValue> Reals(const std::vector<double>& values) {
  std::vector<RValue> arguments;
  for (double value : values) arguments.push_back(Real(value));
  return arguments;
}

std::string Describe(const RealCase& c) {
  std::ostringstream text;
  text << c.function << "(";
  for (size_t i = 0; i < c.arguments.size(); ++i) text << (i ? ", " : "") << c.arguments[i];
  text << ")";
  return text.str();
}

TEST_F(MathFunctions, TypeTestsLookAtTheKindOnly) {
  EXPECT_EQ(CallReal("is_real", {Real(0)}), 1);
  EXPECT_EQ(CallReal("is_real", {Str("12")}), 0);
  EXPECT_EQ(CallReal("is_string", {Str("")}), 1);
  EXPECT_EQ(CallReal("is_string", {Real(1)}), 0);
}

TEST_F(MathFunctions, RoundingFamily) {
  const RealCase cases[] = {
      {"round", {2.5}, 2},        {"round", {3.5}, 4},          {"round", {-2.5}, -2},
      {"round", {-2.6}, -3},      {"round", {0.49999}, 0},      {"round", {1e300}, 1e300},
      {"floor", {-0.5}, -1},      {"floor", {2.9}, 2},          {"floor", {-3}, -3},
      {"ceil", {-0.5}, 0},        {"ceil", {2.1}, 3},           {"ceil", {4}, 4},
      // floor and ceil give 32-bit integers: larger values stay at the ends.
      {"floor", {1e12}, 2147483647}, {"ceil", {-1e12}, -2147483648.0},
      {"sign", {-3}, -1},         {"sign", {0}, 0},             {"sign", {0.001}, 1},
      {"frac", {-1.25}, -0.25},   {"frac", {3.75}, 0.75},       {"frac", {7}, 0},
      {"abs", {-2.5}, 2.5},       {"abs", {3}, 3},
  };
  for (const RealCase& c : cases) {
    double result = CallReal(c.function, Reals(c.arguments));
    EXPECT_EQ(result, c.expected) << Describe(c);
    // No negative zero leaks out: string(ceil(-0.5)) must not read "-0".
    if (c.expected == 0) {
      EXPECT_FALSE(std::signbit(result)) << Describe(c);
    }
  }
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(MathFunctions, StringArgumentsCountAsZero) {
  EXPECT_EQ(CallReal("abs", {Str("-5")}), 0);
  EXPECT_EQ(CallReal("cos", {Str("3")}), 1);
  EXPECT_EQ(CallReal("power", {Real(2), Str("9")}), 1);
}

TEST_F(MathFunctions, ArithmeticAndTrigonometry) {
  const double pi = std::numbers::pi;
  const RealCase cases[] = {
      {"sqrt", {16}, 4},         {"sqr", {-3}, 9},         {"exp", {0}, 1},
      {"ln", {std::numbers::e}, 1}, {"log2", {8}, 3},      {"log10", {1000}, 3},
      {"logn", {2, 8}, 3},       {"logn", {10, 0.01}, -2}, {"power", {2, 10}, 1024},
      {"power", {-8, 3}, -512},  {"power", {0, 0}, 1},     {"power", {4, 0.5}, 2},
      {"sin", {0}, 0},           {"cos", {pi}, -1},        {"tan", {0}, 0},
      {"arcsin", {1}, pi / 2},   {"arccos", {-1}, pi},     {"arctan", {1}, pi / 4},
      {"arctan2", {1, 0}, pi / 2}, {"arctan2", {0, -1}, pi}, {"arctan2", {-1, -1}, -3 * pi / 4},
      {"degtorad", {180}, pi},   {"radtodeg", {pi / 2}, 90},
  };
  for (const RealCase& c : cases)
    EXPECT_DOUBLE_EQ(CallReal(c.function, Reals(c.arguments)), c.expected) << Describe(c);
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(MathFunctions, ArithmeticFailuresReportAndGiveZero) {
  const struct {
    RealCase call;
    const char* message;
  } cases[] = {
      {{"ln", {0}, 0}, "Error in function ln()."},
      {{"ln", {-1}, 0}, "Error in function ln()."},
      {{"log2", {0}, 0}, "Error in function log2()."},
      {{"log10", {-5}, 0}, "Error in function log10()."},
      {{"arcsin", {1.5}, 0}, "Error in function arcsin()."},
      {{"arccos", {-2}, 0}, "Error in function arccos()."},
      {{"power", {0, -1}, 0}, "Error in function power()."},
      {{"power", {-8, 1.0 / 3}, 0}, "Error in function power()."},
      {{"power", {10, 400}, 0}, "Error in function power()."},
      {{"logn", {1, 5}, 0}, "Error in function logn()."},
      {{"logn", {0, 5}, 0}, "Error in function logn()."},
      {{"logn", {-2, 4}, 0}, "Error in function logn()."},
      {{"logn", {2, 0}, 0}, "Error in function logn()."},
      {{"arctan2", {NAN, 1}, 0}, "Error in function arctan2()."},
      {{"sqrt", {-1}, 0}, "Error in function sqrt()."},
  };
  for (const auto& c : cases) {
    RValue result = Call(c.call.function, Reals(c.call.arguments));
    EXPECT_TRUE(result.IsReal() && result.real == 0) << Describe(c.call);
    EXPECT_TRUE(TakeError(c.message)) << Describe(c.call) << " reported: " << ReportedError();
  }
}

TEST_F(MathFunctions, ErrorsAreNotFatalAndReachTheLog) {
  Call("ln", {Real(0)});
  EXPECT_FALSE(code::Errors().aborting);
  std::ifstream log("game_errors.log", std::ios::binary);
  std::stringstream contents;
  contents << log.rdbuf();
  EXPECT_NE(contents.str().find("Error in function ln()."), std::string::npos);
}

TEST_F(MathFunctions, MinimumAndMaximum) {
  EXPECT_EQ(CallReal("min", {Real(3), Real(1), Real(2)}), 1);
  EXPECT_EQ(CallReal("max", {Real(-1), Real(-5)}), -1);
  EXPECT_EQ(CallReal("min", {Real(7)}), 7);
  EXPECT_EQ(CallReal("min", {}), 0);
  EXPECT_EQ(CallReal("max", {}), 0);
  EXPECT_EQ(CallReal("min3", {Real(4), Real(2), Real(9)}), 2);
  EXPECT_EQ(CallReal("max3", {Real(4), Real(2), Real(9)}), 9);
  // Strings compare byte-wise: upper case before lower case, bytes unsigned,
  // a prefix before the longer string.
  EXPECT_EQ(CallString("max", {Str("a"), Str("b")}), "b");
  EXPECT_EQ(CallString("max", {Str("a"), Str("B")}), "a");
  EXPECT_EQ(CallString("max", {Str("z"), Str("\xE9")}), "\xE9");
  EXPECT_EQ(CallString("min", {Str("abc"), Str("ab"), Str("abd")}), "ab");
  EXPECT_EQ(CallString("min3", {Str("q"), Str("p"), Str("r")}), "p");
}

TEST_F(MathFunctions, MeanAndMedian) {
  const RealCase cases[] = {
      {"mean", {1, 2, 3, 4}, 2.5},
      {"mean", {}, 0},
      {"mean", {-6}, -6},
      // The median is the lower middle value of an even count and the value
      // below the middle one of an odd count, taken in argument order.
      {"median", {1, 2, 3}, 1},
      {"median", {1, 2, 3, 4, 5}, 2},
      {"median", {5, 4, 3, 2, 1}, 2},
      {"median", {4, 1, 3, 2}, 2},
      {"median", {9, 1}, 1},
      {"median", {3, 3, 3}, 3},
      {"median", {2, 7, 7, 1}, 2},
      {"median", {7}, 7},
      {"median", {}, 0},
  };
  for (const RealCase& c : cases)
    EXPECT_EQ(CallReal(c.function, Reals(c.arguments)), c.expected) << Describe(c);
}

TEST_F(MathFunctions, PointDirection) {
  const RealCase cases[] = {
      {"point_direction", {0, 0, 1, 0}, 0},    {"point_direction", {0, 0, 0, -1}, 90},
      {"point_direction", {0, 0, -1, 0}, 180}, {"point_direction", {0, 0, 0, 1}, 270},
      {"point_direction", {0, 0, 1, -1}, 45},  {"point_direction", {0, 0, -1, 1}, 225},
      {"point_direction", {5, 5, 5, 5}, 0},    {"point_direction", {10, 10, 11, 11}, 315},
  };
  for (const RealCase& c : cases) {
    double result = CallReal(c.function, Reals(c.arguments));
    EXPECT_DOUBLE_EQ(result, c.expected) << Describe(c);
    EXPECT_FALSE(std::signbit(result)) << Describe(c);
  }
  EXPECT_EQ(CallReal("point_distance", {Real(1), Real(1), Real(4), Real(5)}), 5);
  EXPECT_EQ(CallReal("point_distance", {Real(2), Real(2), Real(2), Real(2)}), 0);
}

TEST_F(MathFunctions, LengthDirSnapsNearIntegers) {
  const RealCase cases[] = {
      {"lengthdir_x", {10, 90}, 0},    {"lengthdir_y", {10, 90}, -10},
      {"lengthdir_x", {10, 180}, -10}, {"lengthdir_y", {10, 180}, 0},
      {"lengthdir_x", {10, 270}, 0},   {"lengthdir_y", {10, 270}, 10},
      {"lengthdir_x", {3, 0}, 3},      {"lengthdir_y", {3, 360}, 0},
      {"lengthdir_y", {10, 30}, -5},   {"lengthdir_x", {2, 60}, 1},
  };
  for (const RealCase& c : cases) {
    // Exactly, not nearly: positions built from these stay whole numbers.
    EXPECT_EQ(CallReal(c.function, Reals(c.arguments)), c.expected) << Describe(c);
  }
  // Values that are not near an integer are left as they are.
  EXPECT_DOUBLE_EQ(CallReal("lengthdir_x", {Real(10), Real(45)}), 10 * std::sqrt(0.5));
  EXPECT_DOUBLE_EQ(CallReal("lengthdir_x", {Real(0.001), Real(60)}), 0.0005);
}

}  // namespace
}  // namespace vendrel::interp::testing
