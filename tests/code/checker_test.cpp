#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "code/variable_names.h"
#include "tests/code/code_runner.h"

namespace vendrel::code {
namespace {

class CheckerTest : public testing::CodeTest {};

TEST_F(CheckerTest, NumbersAndStringsBecomeValues) {
  struct Case {
    const char* source;
    double value;
  } cases[] = {
      {"$ff", 255}, {"$FF", 255}, {"$", 0},     {"0.5", 0.5},   {".5", 0.5},
      {"1.2.3", 1.23}, {"5.", 5}, {"007", 7},   {"$10", 16},    {"12.25", 12.25},
  };
  for (const Case& c : cases) {
    testing::Outcome outcome = testing::Eval(c.source);
    ASSERT_TRUE(outcome.ran) << c.source;
    EXPECT_TRUE(outcome.value.IsReal()) << c.source;
    EXPECT_DOUBLE_EQ(outcome.value.real, c.value) << c.source;
  }
  EXPECT_TRUE(testing::Eval("'a\"b'").IsString("a\"b"));
  EXPECT_TRUE(testing::Eval("\"it's\"").IsString("it's"));
}

TEST_F(CheckerTest, IdentifiersResolveToCallsConstantsOrVariables) {
  testing::AddScript("my_script", "return 1");
  EXPECT_EQ(testing::TreeOf("x = my_script(c_red, noone)"),
            "{(= x@-6 (call" + std::to_string(kScriptFunctionBase) + " 255 -4))}");
  // A name followed by "(" is never a variable or a constant.
  testing::Outcome outcome = testing::Run("x = 1\r\ny = foo(1)");
  EXPECT_FALSE(outcome.compiled);
  EXPECT_EQ(outcome.Message(), "Unknown function or script: foo");
  EXPECT_EQ(outcome.Column(), 6);  // counted from the line feed
  EXPECT_EQ(testing::Run("c_red(1)").Message(), "Unknown function or script: c_red");
  // A resource name hides a variable of that name: x is the script's index.
  testing::AddScript("x", "");
  EXPECT_EQ(testing::Run("x = 5").Message(), "Variable name expected.");
  EXPECT_TRUE(testing::Eval("x").IsReal(1));
}

TEST_F(CheckerTest, BuiltinFunctionsWinOverScriptsOfTheSameName) {
  testing::AddScript("test_sum", "return 100");
  testing::AddScript("own", "return 7");
  ASSERT_TRUE(CompileScripts());
  EXPECT_EQ(FindFunction("test_sum"), FindBuiltinFunction("test_sum"));
  EXPECT_EQ(FindFunction("own"), kScriptFunctionBase + 1);
  EXPECT_EQ(FindFunction("Own"), -1);
  EXPECT_TRUE(testing::Run("return test_sum(1, 2) + own()").IsReal(10));
}

TEST_F(CheckerTest, VariableIdsAreSharedAndStable) {
  const int first = VariableId("some_new_name");
  EXPECT_GE(first, kFirstUserVariableId);
  EXPECT_EQ(VariableId("some_new_name"), first);
  EXPECT_NE(VariableId("Some_New_Name"), first);
  EXPECT_EQ(VariableName(first), "some_new_name");
  EXPECT_EQ(VariableId("argument0"), interp::FindBuiltinVariable("argument0"));
  EXPECT_EQ(VariableName(interp::FindBuiltinVariable("speed")), "speed");
  EXPECT_EQ(VariableName(kFirstUserVariableId + 1000000), "<unknown variable>");
  EXPECT_EQ(VariableName(99999), "<unknown built-in variable>");
}

TEST_F(CheckerTest, FixesOwnersAndLocalScopes) {
  struct Case {
    const char* source;
    const char* tree;
  } cases[] = {
      {"self.x = other.y + global.z", "{(= x@-1 (+ y@-2 z@-5))}"},
      {"x = noone.y + all.z + local.w", "{(= x@-6 (+ (+ y@-4 z@-3) w@-7))}"},
      {"x = (100001).y + (2.5).z", "{(= x@-6 (+ y@100001 z@2))}"},
      {"x = 1; var x; x = 2", "{(= x@-6 1) (var x) (= x@-7 2)}"},
      {"var a; a[2] = a", "{(var a) (= (var a -7 2) a@-7)}"},
      {"{ var q } q = 1", "error"},
      {"if 1 { var q } q = 1", "{(if 1 {(var q)}) (= q@-7 1)}"},
      {"x = (a + 1).b", "{(= x@-6 (var b (+ a@-6 1)))}"},
  };
  for (const Case& c : cases) {
    std::string tree = testing::TreeOf(c.source);
    if (std::string(c.tree) == "error")
      EXPECT_EQ(tree.rfind("error: ", 0), 0u) << c.source;
    else
      EXPECT_EQ(tree, c.tree) << c.source;
  }
  // A script or object name before the dot gives its index as the owner.
  testing::AddScript("thing", "");
  EXPECT_EQ(testing::TreeOf("thing.x = 1"), "{(= x@0 1)}");
  testing::Outcome outcome = testing::Run("x = 'abc'.y");
  EXPECT_EQ(outcome.Message(), "Left hand side must be a real value.");
  EXPECT_EQ(outcome.Column(), 5);
}

TEST_F(CheckerTest, FoldsConstantOperationsBottomUp) {
  struct Case {
    const char* source;
    const char* tree;
  } cases[] = {
      {"x = (1 + 2) * 3", "{(= x@-6 9)}"},
      {"x = -(2)", "{(= x@-6 -2)}"},
      {"x = 'a' + 'b'", "{(= x@-6 'ab')}"},
      {"x = 3 * 'ab'", "{(= x@-6 'ababab')}"},
      {"x = a + 1 * 2", "{(= x@-6 (+ a@-6 2))}"},
      {"x = 1 + 2 + a", "{(= x@-6 (+ 3 a@-6))}"},
      {"x = a + 1 + 2", "{(= x@-6 (+ (+ a@-6 1) 2))}"},
      {"x = not 0.49 and c_white > 0", "{(= x@-6 1)}"},
      {"x = ~5", "{(= x@-6 -6)}"},
  };
  for (const Case& c : cases) EXPECT_EQ(testing::TreeOf(c.source), c.tree) << c.source;
}

TEST_F(CheckerTest, OperatorErrorsWhileFoldingFailTheCompilation) {
  struct Case {
    const char* source;
    const char* message;
    int column;
  } cases[] = {
      {"x = 1 / 0", "Division by 0.", 9},
      {"x = 'a' + 1", "Wrong type of arguments to +.", 11},
      {"x = 'x' * 2", "Wrong type of arguments to *.", 11},
      {"x = -'a'", "Wrong type of arguments to unary operator.", 6},
      {"x = 1 + (2 mod 0)", "Modulo by 0.", 16},
      {"x = 'a' == 1", "Cannot compare arguments.", 12},
  };
  for (const Case& c : cases) {
    testing::Outcome outcome = testing::Run(c.source);
    EXPECT_FALSE(outcome.compiled) << c.source;
    EXPECT_EQ(outcome.Message(), c.message) << c.source;
    EXPECT_EQ(outcome.Column(), c.column) << c.source;
  }
}

}  // namespace
}  // namespace vendrel::code
