#include <gtest/gtest.h>

#include <string>

#include "tests/code/code_runner.h"

namespace vendrel::code {
namespace {

class ParserTest : public testing::CodeTest {};

TEST_F(ParserTest, BuildsStatementTrees) {
  struct Case {
    const char* source;
    const char* tree;
  } cases[] = {
      {"", "<empty program>"},
      {"// nothing", "<empty program>"},
      {"a = 1 b = 2", "{(= a@-6 1) (= b@-6 2)}"},
      {"a = 1;;; b := 2", "{(= a@-6 1) (= b@-6 2)}"},
      {"{ a += 1 }", "{(+= a@-6 1)}"},
      {"begin a -= 1; b *= 2; c /= 3; d |= 4; e &= 5; f ^= 6 end",
       "{(-= a@-6 1) (*= b@-6 2) (/= c@-6 3) (|= d@-6 4) (&= e@-6 5) (^= f@-6 6)}"},
      {"if a then b = 1 else b = 2", "{(if a@-6 (= b@-6 1) (= b@-6 2))}"},
      {"if (a) b = 1", "{(if a@-6 (= b@-6 1))}"},
      {"if x ; else y = 1", "{(if x@-6 <empty> (= y@-6 1))}"},
      {"while a do a -= 1", "{(while a@-6 (-= a@-6 1))}"},
      {"do a += 1 until a > 3", "{(do (+= a@-6 1) (> a@-6 3))}"},
      {"for (i = 0; i < 3; i += 1) {}", "{(for (= i@-6 0) (< i@-6 3) (+= i@-6 1) {})}"},
      {"for (i = 0 i < 3 i += 1) x = i", "{(for (= i@-6 0) (< i@-6 3) (+= i@-6 1) (= x@-6 i@-6))}"},
      {"repeat 3 n += 1", "{(repeat 3 (+= n@-6 1))}"},
      {"with (other) do x = 1", "{(with -2 (= x@-6 1))}"},
      {"exit; break; continue", "{exit break continue}"},
      {"return a + 1", "{(return (+ a@-6 1))}"},
      {"switch (a) { case 1: b = 1 break default: b = 2 }",
       "{(switch a@-6 (case 1) (= b@-6 1) break default (= b@-6 2))}"},
      {"case 1: default:", "{(case 1) default}"},
      {"var a, b c", "{(var a b c)}"},
      {"test_sum(1, 2)", "{(call0 1 2)}"},
      {"test_count(1,)", "{(call1 1)}"},
      {"test_count()", "{(call1)}"},
      {"a[1] = b[2, 3]", "{(= (var a -6 1) (var b -6 2 3))}"},
      {"a[] = 1", "{(= a@-6 1)}"},
      {"other.x = global.y", "{(= x@-2 y@-5)}"},
      {"a.b.c = 1", "{(= (var c (var b a@-6)) 1)}"},
      {"(a).x[1] = 1", "{(= (var x a@-6 1) 1)}"},
  };
  for (const Case& c : cases) EXPECT_EQ(testing::TreeOf(c.source), c.tree) << c.source;
}

TEST_F(ParserTest, ExpressionsFollowTheEightPrecedenceLevels) {
  struct Case {
    const char* source;
    const char* tree;
  } cases[] = {
      {"x = a || b && c", "{(= x@-6 (&& (|| a@-6 b@-6) c@-6))}"},
      {"x = a and b xor c or d", "{(= x@-6 (|| (^^ (&& a@-6 b@-6) c@-6) d@-6))}"},
      {"x = a < b < c", "{(= x@-6 (< (< a@-6 b@-6) c@-6))}"},
      {"x = a = b", "{(= x@-6 (= a@-6 b@-6))}"},
      {"x = a == b && c != d", "{(= x@-6 (&& (== a@-6 b@-6) (!= c@-6 d@-6)))}"},
      {"x = a | b < c", "{(= x@-6 (< (| a@-6 b@-6) c@-6))}"},
      {"x = a & b ^ c | d", "{(= x@-6 (| (^ (& a@-6 b@-6) c@-6) d@-6))}"},
      {"x = a << b | c", "{(= x@-6 (| (<< a@-6 b@-6) c@-6))}"},
      {"x = a + b << c", "{(= x@-6 (<< (+ a@-6 b@-6) c@-6))}"},
      {"x = a - b - c", "{(= x@-6 (- (- a@-6 b@-6) c@-6))}"},
      {"x = a + b * c", "{(= x@-6 (+ a@-6 (* b@-6 c@-6)))}"},
      {"x = a div b mod c / d", "{(= x@-6 (/ (mod (div a@-6 b@-6) c@-6) d@-6))}"},
      {"x = -a * b", "{(= x@-6 (* (- a@-6) b@-6))}"},
      {"x = - - a", "{(= x@-6 (- (- a@-6)))}"},
      {"x = not - a", "{(= x@-6 (! (- a@-6)))}"},
      {"x = !a.b", "{(= x@-6 (! (var b a@-6)))}"},
      {"x = ~a + +b", "{(= x@-6 (+ (~ a@-6) (+ b@-6)))}"},
      {"x = (a + b) * c", "{(= x@-6 (* (+ a@-6 b@-6) c@-6))}"},
  };
  for (const Case& c : cases) EXPECT_EQ(testing::TreeOf(c.source), c.tree) << c.source;
}

TEST_F(ParserTest, ExpressionCodeParsesOneExpression) {
  EXPECT_EQ(testing::TreeOf("", true), "0");
  EXPECT_EQ(testing::TreeOf("1 2", true), "1");
  EXPECT_EQ(testing::TreeOf("a + 1 b", true), "(+ a@-6 1)");
  testing::Outcome outcome = testing::Eval("1 2");
  EXPECT_TRUE(outcome.IsReal(1));
}

TEST_F(ParserTest, ReportsEachErrorAtItsToken) {
  // An error at the end token stands at the last character of the source.
  struct Case {
    const char* source;
    const char* message;
    int column;
  } cases[] = {
      {"{ a = 1 } b = 2", "Program ends before end of the code.", 11},
      {"{ a = 1", "Symbol } expected.", 7},
      {"do a = 1 b = 2", "Keyword until expected.", 10},
      {"for i = 0", "Symbol ( expected.", 5},
      {"for (;;) {}", "Unexpected symbol in expression.", 8},
      {"for (i = 0; i < 1; i += 1 x = 1", "Symbol ) expected.", 27},
      {"switch (a) case 1:", "Symbol { expected.", 12},
      {"switch (a) { case 1: b = 1", "Symbol } expected.", 26},
      {"case 1 b = 1", "Symbol : expected.", 8},
      {"default b = 1", "Symbol : expected.", 9},
      {"var argument0", "Cannot redeclare a builtin variable.", 5},
      {"var x = 5", "Unexpected symbol in expression.", 7},
      {"if", "Unexpected symbol in expression.", 2},
      {"a = ", "Unexpected symbol in expression.", 4},
      {"a = (1 + 2", "Symbol ) expected.", 10},
      {"5 = x", "Variable name expected.", 3},
      {"a.'s' = 1", "Variable name expected.", 3},
      {"a.5 = 1", "Assignment operator expected.", 2},
      {"a b", "Assignment operator expected.", 3},
      {"a == 1", "Assignment operator expected.", 3},
      {"test_sum(1, 2, 3)", "Wrong number of arguments to function or script.", 17},
      {"test_sum(1)", "Wrong number of arguments to function or script.", 11},
      {"test_nothing(1)", "Wrong number of arguments to function or script.", 15},
      {"test_count(1 2)", "Symbol , or ) expected.", 14},
      {"test_count(1", "Symbol ) expected.", 12},
      {"test_count(", "Symbol ) expected.", 11},
      {"test_count(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17)",
       "Wrong number of arguments to function or script.", 53},
      {"a[1, 2, 3] = 1", "Only 1- and 2-dimensional arrays are supported.", 12},
      {"a[1 2] = 1", "Symbol , or ] expected.", 5},
      {"a[1", "Symbol ] expected.", 3},
      {"x = )", "Unexpected symbol in expression.", 5},
  };
  for (const Case& c : cases) {
    testing::Outcome outcome = testing::Run(c.source);
    EXPECT_FALSE(outcome.compiled) << c.source;
    EXPECT_EQ(outcome.Message(), c.message) << c.source;
    EXPECT_EQ(outcome.Column(), c.column) << c.source;
  }
}

TEST_F(ParserTest, ScriptsAcceptUpToSixteenArguments) {
  testing::AddScript("scr", "return argument15");
  ASSERT_TRUE(CompileScripts());
  EXPECT_TRUE(testing::Run("x = scr()").compiled);
  EXPECT_TRUE(testing::Run("return scr(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16)").IsReal(16));
  testing::Outcome outcome = testing::Run("scr(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17)");
  EXPECT_EQ(outcome.Message(), "Wrong number of arguments to function or script.");
}

TEST_F(ParserTest, RefusesNestingThatWouldExhaustTheStack) {
  std::string deep = "x = " + std::string(5000, '(') + "1" + std::string(5000, ')');
  testing::Outcome outcome = testing::Run(deep);
  EXPECT_FALSE(outcome.compiled);
  EXPECT_EQ(outcome.Message(), "Code is nested too deeply.");

  std::string chain = "x = a";
  for (int i = 0; i < 5000; ++i) chain += " + a";
  EXPECT_EQ(testing::Run(chain).Message(), "Code is nested too deeply.");

  std::string statements;
  for (int i = 0; i < 5000; ++i) statements += "if a ";
  statements += "b = 1";
  EXPECT_EQ(testing::Run(statements).Message(), "Code is nested too deeply.");

  // Ordinary depth is fine, and folds; long chains run.
  std::string moderate = "return " + std::string(200, '(') + "1" + std::string(200, ')');
  EXPECT_TRUE(testing::Run(moderate).IsReal(1));
  std::string sum = "a = 1; return a";
  for (int i = 0; i < 3000; ++i) sum += " + a";
  EXPECT_TRUE(testing::Run(sum).IsReal(3001));
}

}  // namespace
}  // namespace vendrel::code
