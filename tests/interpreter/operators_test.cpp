#include <gtest/gtest.h>

#include <string>

#include "interpreter/operators.h"
#include "tests/code/code_runner.h"

namespace vendrel::interp {
namespace {

class OperatorsTest : public testing::CodeTest {};

// A result as text: a real as %.17g, a string quoted, an error as its message.
std::string Show(const testing::Outcome& outcome) {
  if (!outcome.error.empty()) return "error: " + outcome.Message();
  if (outcome.value.IsString()) return "'" + outcome.value.str + "'";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", outcome.value.real);
  return buffer;
}

struct BinaryCase {
  const char* left;
  const char* op;
  const char* right;
  const char* expected;
};

// Every case runs twice: folded by the compiler and computed at run time
// from variables. Both must agree.
const BinaryCase kBinaryCases[] = {
    {"1", "+", "2", "3"},
    {"'a'", "+", "'b'", "'ab'"},
    {"'a'", "+", "1", "error: Wrong type of arguments to +."},
    {"1", "+", "'a'", "error: Wrong type of arguments to +."},
    {"5", "-", "7", "-2"},
    {"'a'", "-", "'b'", "error: Wrong type of arguments to -."},
    {"3", "*", "'ab'", "'ababab'"},
    {"0", "*", "'x'", "''"},
    {"-2", "*", "'x'", "''"},
    {"2.5", "*", "'x'", "'xx'"},
    {"3.5", "*", "'x'", "'xxxx'"},
    {"'ab'", "*", "3", "error: Wrong type of arguments to *."},
    {"1000000000000", "*", "'ab'", "error: Out of memory."},
    {"1000000000000", "*", "''", "''"},
    {"'ab'", "*", "'c'", "error: Wrong type of arguments to *."},
    {"1.5", "*", "4", "6"},
    {"7", "/", "2", "3.5"},
    {"5", "/", "0", "error: Division by 0."},
    {"'a'", "/", "0", "error: Wrong type of arguments to /."},
    {"7.5", "div", "2", "3"},
    {"-7", "div", "2", "-3"},
    {"5", "div", "0", "error: Division by 0."},
    {"'a'", "div", "1", "error: Wrong type of arguments to div."},
    {"5.5", "mod", "2", "1.5"},
    {"-7", "mod", "3", "-1"},
    {"7", "mod", "-3", "1"},
    {"5", "mod", "0", "error: Modulo by 0."},
    {"'a'", "mod", "0", "error: Wrong type of arguments to mod."},
    {"0.5", "&&", "1", "1"},
    {"0.4", "and", "1", "0"},
    {"0.4", "||", "0.4", "0"},
    {"0.4", "or", "0.5", "1"},
    {"1", "^^", "0", "1"},
    {"1", "xor", "1", "0"},
    {"'a'", "&&", "1", "error: Wrong type of arguments for &&."},
    {"1", "||", "'a'", "error: Wrong type of arguments for ||."},
    {"'a'", "^^", "1", "error: Wrong type of arguments for ^^."},
    {"5", "|", "2", "7"},
    {"6", "&", "3", "2"},
    {"6", "^", "3", "5"},
    {"2.5", "|", "0", "2"},
    {"3.5", "|", "0", "4"},
    {"'a'", "|", "0", "error: Wrong type of arguments for |."},
    {"'a'", "&", "0", "error: Wrong type of arguments for &."},
    {"'a'", "^", "0", "error: Wrong type of arguments for ^."},
    {"1", "<<", "3", "8"},
    {"1", "<<", "64", "0"},
    {"1", "<<", "127", "0"},
    {"5", "<<", "0", "5"},
    {"16", ">>", "2", "4"},
    {"-1", ">>", "60", "15"},
    {"-8", ">>", "1", "9.2233720368547758e+18"},
    {"-1", ">>", "64", "0"},
    {"'a'", "<<", "1", "error: Wrong type of arguments for <<."},
    {"1", ">>", "'a'", "error: Wrong type of arguments for >>."},
    {"1", "==", "1", "1"},
    {"1", "=", "2", "0"},
    {"1 - 0.9", "==", "0.1", "0"},
    // Fraction digits accumulate as value + factor * digit: 0.3 is 0.1 * 3.
    {"0.1 + 0.2", "==", "0.3", "1"},
    {"1", "!=", "2", "1"},
    {"1", "<>", "1", "0"},
    {"1", "<", "2", "1"},
    {"2", "<=", "2", "1"},
    {"3", ">", "2", "1"},
    {"2", ">=", "3", "0"},
    {"'abc'", "<", "'abd'", "1"},
    {"'B'", "<", "'a'", "1"},
    {"'ab'", "<", "'abc'", "1"},
    {"'abc'", "==", "'abc'", "1"},
    {"'\xe9'", ">", "'z'", "1"},
    {"'a'", "==", "1", "error: Cannot compare arguments."},
    {"1", "<", "'a'", "error: Cannot compare arguments."},
};

TEST_F(OperatorsTest, BinaryOperatorsFoldedAndAtRunTime) {
  for (const BinaryCase& c : kBinaryCases) {
    std::string expression = std::string(c.left) + " " + c.op + " " + c.right;
    testing::Outcome folded = testing::Run("return " + expression);
    EXPECT_EQ(Show(folded), c.expected) << "folded: " << expression;
    testing::Outcome computed = testing::Run(std::string("var l, r; l = ") + c.left +
                                             "; r = " + c.right + "; return l " + c.op + " r");
    EXPECT_EQ(Show(computed), c.expected) << "run: " << expression;
    if (!computed.error.empty()) {
      EXPECT_TRUE(computed.compiled) << expression;
    }
  }
}

TEST_F(OperatorsTest, UnaryOperators) {
  struct Case {
    const char* source;
    const char* expected;
  } cases[] = {
      {"not 0.5", "0"},  {"not 0.49", "1"}, {"!1", "0"},   {"-3", "-3"},
      {"+3", "3"},       {"~0", "-1"},      {"~5", "-6"},  {"~2.5", "-3"},
      {"-'a'", "error: Wrong type of arguments to unary operator."},
      {"!'a'", "error: Wrong type of arguments to unary operator."},
      {"+'a'", "error: Wrong type of arguments to unary operator."},
      {"~'a'", "error: Wrong type of arguments to unary operator."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Show(testing::Run(std::string("return ") + c.source)), c.expected) << c.source;
    // The same at run time, operand from a variable.
    std::string op(c.source, c.source[0] == 'n' ? 4 : 1);
    std::string operand(c.source + op.size());
    EXPECT_EQ(Show(testing::Run("var v; v = " + operand + "; return " + op + " v")), c.expected)
        << c.source;
  }
}

TEST_F(OperatorsTest, ErrorsStandAtTheRightOperand) {
  testing::Outcome outcome = testing::Run("var a, b; a = 1; b = 0;\rx = a / b");
  EXPECT_EQ(outcome.Message(), "Division by 0.");
  EXPECT_EQ(outcome.Column(), 9);
  outcome = testing::Run("var a; a = 'q'; x = -a");
  EXPECT_EQ(outcome.Message(), "Wrong type of arguments to unary operator.");
  EXPECT_EQ(outcome.Column(), 22);
}

TEST_F(OperatorsTest, UnknownOperatorCodesAreInternalErrors) {
  code::CCode code("x");
  RValue left(1.0);
  RValue right(2.0);
  EXPECT_FALSE(ApplyBinary(code, 1, 203, right, left));
  EXPECT_NE(code::Errors().text.find("Internal error: unknown binary operator."),
            std::string::npos);
  code::Errors().pending = false;
  EXPECT_FALSE(ApplyUnary(code, 1, 212, left));
  EXPECT_NE(code::Errors().text.find("Internal error: unknown unary operator."),
            std::string::npos);
}

TEST_F(OperatorsTest, ComparisonTurnsAStringOperandIntoACleanReal) {
  code::CCode code("x");
  RValue left(std::string("abc"));
  ASSERT_TRUE(ApplyBinary(code, 1, 206, RValue(std::string("abc")), left));
  EXPECT_TRUE(left.IsReal());
  EXPECT_EQ(left.real, 1);
  EXPECT_TRUE(left.str.empty());
}

}  // namespace
}  // namespace vendrel::interp
