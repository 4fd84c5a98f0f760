#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "tests/interpreter/functions_test_support.h"

namespace vendrel::interp::testing {
namespace {

using StringFunctions = FunctionTest;
using namespace std::string_literals;

TEST_F(StringFunctions, StringOfAReal) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {10, "10"},
      {-7, "-7"},
      {-0.0, "0"},
      {0.5, "0.50"},
      {std::numbers::pi, "3.14"},
      {0.1, "0.10"},
      {2.999, "3.00"},
      {-2.5, "-2.50"},
      // Two decimals, rounded halves away from zero on the decimal digits.
      {0.125, "0.13"},
      {-0.125, "-0.13"},
      {0.005, "0.01"},
      {2.675, "2.67"},  // the double lies below 2.675
      // A value that rounds to zero carries no sign.
      {-0.001, "0.00"},
      {1.5e-7, "0.00"},
      {1e10, "10000000000"},
      {9007199254740992.0, "9007199254740992"},
      {123456789.125, "123456789.13"},
      {1234567890.5, "1234567890.50"},
      // Integer parts of more than ten digits go to exponent notation.
      {12345678901.5, "1.23456789015E10"},
      {-99999999999.25, "-9.999999999925E10"},
      {1e20, "1E20"},
      {-2.5e30, "-2.5E30"},
  };
  for (const auto& c : cases) EXPECT_EQ(CallString("string", {Real(c.value)}), c.text) << c.value;
  EXPECT_EQ(CallString("string", {Str("as is")}), "as is");
}

TEST_F(StringFunctions, StringFormat) {
  const struct {
    double value, width, decimals;
    const char* text;
  } cases[] = {
      {3.14159, 8, 3, "   3.142"},
      {1, 5, 2, " 1.00"},
      {1234.5, 2, 1, "1234.5"},
      {2.5, 0, 0, "3"},
      {-2.5, 0, 0, "-3"},
      {0.5, 0, 0, "1"},
      {-0.4, 3, 0, "  0"},
      {5, 3, -2, "  5"},
      {0.05, 0, 1, "0.1"},
      {99.96, 6, 1, " 100.0"},
      {-12.625, 9, 2, "   -12.63"},  // a true half: away from zero
      // The width and the decimals are rounded, halves to even.
      {7, 2.5, 1.5, "7.00"},
      // At most 18 significant digits; later decimals are zeros.
      {1.0 / 3, 0, 20, "0.33333333333333331500"},
      {123456789012345678.0, 0, 2, "123456789012345680.00"},
      {1e20, 0, 2, "1E20"},
      {-1e20, 7, 2, "  -1E20"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallString("string_format", {Real(c.value), Real(c.width), Real(c.decimals)}),
              c.text)
        << c.value << " " << c.width << " " << c.decimals;
  }
  EXPECT_EQ(CallString("string_format", {Str("text"), Real(10), Real(2)}), "text");
}

TEST_F(StringFunctions, RealOfAString) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {" 12.5 ", 12.5}, {"", 0},         {"   ", 0},      {"-3", -3},       {"+4.5", 4.5},
      {"1e3", 1000},    {"1.5E-2", 0.015}, {".5", 0.5},    {"5.", 5},        {"-.25", -0.25},
      {"\t7\r\n", 7},   {"007", 7},       {"2E+2", 200},  {"1e-400", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CallReal("real", {Str(c.text)}), c.value) << c.text;
  EXPECT_EQ(ReportedError(), "");
  EXPECT_EQ(CallReal("real", {Real(-8.5)}), -8.5);
}

TEST_F(StringFunctions, RealOfANonNumberReports) {
  for (const char* text : {"abc", "1,5", "12abc", "0x10", "inf", "nan", "1e", "-", ".", "+-1",
                           "1 2", "1e400", "--1", "e5", "1.2.3"}) {
    RValue result = Call("real", {Str(text)});
    EXPECT_TRUE(result.IsReal() && result.real == 0) << text;
    EXPECT_TRUE(TakeError("Error in function real().")) << text;
  }
}

TEST_F(StringFunctions, ChrAndOrd) {
  EXPECT_EQ(CallString("chr", {Real(65)}), "A");
  EXPECT_EQ(CallString("chr", {Real(321)}), "A");  // low 8 bits
  EXPECT_EQ(CallString("chr", {Real(-1)}), "\xFF");
  EXPECT_EQ(CallString("chr", {Real(65.5)}), "B");  // 66: halves to even
  EXPECT_EQ(CallString("chr", {Real(64.5)}), "@");
  EXPECT_EQ(CallString("chr", {Real(0)}), "\0"s);
  EXPECT_EQ(CallReal("ord", {Str("A")}), 65);
  EXPECT_EQ(CallReal("ord", {Str("\xE9x")}), 233);
  EXPECT_EQ(CallReal("ord", {Str("")}), 0);
  EXPECT_EQ(CallReal("ord", {Real(65)}), 0);  // a real counts as ""
}

TEST_F(StringFunctions, LengthAndPosition) {
  EXPECT_EQ(CallReal("string_length", {Str("hello")}), 5);
  EXPECT_EQ(CallReal("string_length", {Str("a\0b"s)}), 3);
  EXPECT_EQ(CallReal("string_length", {Real(12345)}), 0);
  const struct {
    const char *sub, *s;
    double position;
  } cases[] = {
      {"l", "hello", 3}, {"lo", "hello", 4}, {"hello", "hello", 1}, {"x", "hello", 0},
      {"", "hello", 0},  {"a", "", 0},       {"L", "hello", 0},     {"hello!", "hello", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CallReal("string_pos", {Str(c.sub), Str(c.s)}), c.position) << c.sub << " in " << c.s;
  EXPECT_EQ(CallReal("string_pos", {Str("b"), Str("a\0b"s)}), 3);
}

TEST_F(StringFunctions, CopyAndCharAt) {
  const struct {
    const char* s;
    double index, count;
    const char* copy;
  } cases[] = {
      {"hello", 0, 2, "he"},   {"hello", 4, 10, "lo"}, {"hello", 9, 1, ""},
      {"hello", 6, 1, ""},     {"hello", 5, 1, "o"},   {"hello", -3, 2, "he"},
      {"hello", 2, -1, ""},    {"hello", 2, 0, ""},    {"", 1, 1, ""},
      {"hello", 1.5, 2, "el"}, {"hello", 2, 2.5, "el"}, {"hello", 1, 99, "hello"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallString("string_copy", {Str(c.s), Real(c.index), Real(c.count)}), c.copy)
        << c.s << " " << c.index << " " << c.count;
  }
  const struct {
    double index;
    const char* character;
  } chars[] = {{1, "h"}, {5, "o"}, {0, "h"}, {-1, "h"}, {6, ""}, {3, "l"}};
  for (const auto& c : chars)
    EXPECT_EQ(CallString("string_char_at", {Str("hello"), Real(c.index)}), c.character) << c.index;
}

TEST_F(StringFunctions, DeleteAndInsert) {
  const struct {
    double index, count;
    const char* rest;
  } deletes[] = {
      {2, 2, "hlo"},   {0, 2, "hello"}, {6, 1, "hello"}, {2, 0, "hello"},
      {2, -1, "hello"}, {4, 10, "hel"}, {1, 5, ""},      {5, 1, "hell"},
  };
  for (const auto& c : deletes) {
    EXPECT_EQ(CallString("string_delete", {Str("hello"), Real(c.index), Real(c.count)}), c.rest)
        << c.index << " " << c.count;
  }
  const struct {
    const char *sub, *s;
    double index;
    const char* inserted;
  } inserts[] = {
      {"XY", "hello", 3, "heXYllo"},  {"XY", "hello", 1, "XYhello"}, {"XY", "hello", 0, "XYhello"},
      {"XY", "hello", -5, "XYhello"}, {"XY", "hello", 6, "helloXY"}, {"XY", "hello", 99, "helloXY"},
      {"", "abc", 2, "abc"},          {"X", "", 1, "X"},
  };
  for (const auto& c : inserts) {
    EXPECT_EQ(CallString("string_insert", {Str(c.sub), Str(c.s), Real(c.index)}), c.inserted)
        << c.sub << " " << c.s << " " << c.index;
  }
}

TEST_F(StringFunctions, CaseAndFilters) {
  EXPECT_EQ(CallString("string_lower", {Str("Hello, WORLD \xC9!")}), "hello, world \xC9!");
  EXPECT_EQ(CallString("string_upper", {Str("Hello, world \xE9!")}), "HELLO, WORLD \xE9!");
  const std::string mixed = "a1-B2 c\xE9" "3_Z\0" "9"s;
  EXPECT_EQ(CallString("string_letters", {Str(mixed)}), "aBcZ");
  EXPECT_EQ(CallString("string_digits", {Str(mixed)}), "1239");
  EXPECT_EQ(CallString("string_lettersdigits", {Str(mixed)}), "a1B2c3Z9");
  EXPECT_EQ(CallString("string_letters", {Real(5)}), "");
}

TEST_F(StringFunctions, Repeat) {
  const struct {
    const char* s;
    double times;
    const char* repeated;
  } cases[] = {{"ab", 3, "ababab"}, {"ab", 0, ""},  {"ab", -2, ""},
               {"ab", 2.5, "abab"}, {"ab", 3.5, "abababab"}, {"", 5, ""}};
  for (const auto& c : cases)
    EXPECT_EQ(CallString("string_repeat", {Str(c.s), Real(c.times)}), c.repeated) << c.times;
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(StringFunctions, ResultsBeyondMemoryAreRefused) {
  EXPECT_EQ(CallString("string_repeat", {Str("xy"), Real(1e12)}), "");
  EXPECT_TRUE(TakeError("Error in function string_repeat()."));
  EXPECT_EQ(CallString("string_format", {Real(1), Real(1e15), Real(0)}), "");
  EXPECT_TRUE(TakeError("Error in function string_format()."));
}

TEST_F(StringFunctions, ReplaceAndCount) {
  const struct {
    const char *s, *old_text, *new_text, *first, *all;
  } cases[] = {
      {"hello", "l", "L", "heLlo", "heLLo"},
      {"aaa", "a", "b", "baa", "bbb"},
      {"aaaa", "aa", "a", "aaa", "aa"},
      {"abab", "ab", "", "ab", ""},
      {"Hello", "h", "j", "Hello", "Hello"},  // case-sensitive
      {"abc", "", "x", "abc", "abc"},         // an empty text occurs nowhere
      {"abc", "abcd", "x", "abc", "abc"},
      {"a.b.c", ".", "..", "a..b.c", "a..b..c"},  // replacements are not rescanned
      {"", "a", "b", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallString("string_replace", {Str(c.s), Str(c.old_text), Str(c.new_text)}), c.first)
        << c.s << " " << c.old_text;
    EXPECT_EQ(CallString("string_replace_all", {Str(c.s), Str(c.old_text), Str(c.new_text)}),
              c.all)
        << c.s << " " << c.old_text;
  }
  const struct {
    const char *sub, *s;
    double count;
  } counts[] = {{"aa", "aaaa", 2}, {"a", "banana", 3}, {"", "abc", 0},  {"x", "", 0},
                {"aba", "ababa", 1}, {"ab", "AB", 0},  {"aa", "aaa", 1}};
  for (const auto& c : counts)
    EXPECT_EQ(CallReal("string_count", {Str(c.sub), Str(c.s)}), c.count) << c.sub << " in " << c.s;
}

// The conversions other subsystems use directly agree with the functions.
TEST_F(StringFunctions, SharedConversions) {
  EXPECT_EQ(FormatReal(0.5), "0.50");
  EXPECT_EQ(FormatRealFixed(3.14159, 8, 3), "   3.142");
  double value = -1;
  EXPECT_TRUE(ParseReal(" 1e2 ", value));
  EXPECT_EQ(value, 100);
  EXPECT_FALSE(ParseReal("1e2x", value));
}

}  // namespace
}  // namespace vendrel::interp::testing
