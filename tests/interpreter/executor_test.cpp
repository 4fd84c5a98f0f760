#include <gtest/gtest.h>

#include <string>

#include "interpreter/executor.h"
#include "tests/code/code_runner.h"

namespace vendrel::interp {
namespace {

class ExecutorTest : public testing::CodeTest {
 protected:

  // Compiles the scripts added so far.
  static void CompileAll() { ASSERT_TRUE(code::CompileScripts()) << code::Errors().text; }
};

struct ResultCase {
  const char* source;
  double expected;
};

TEST_F(ExecutorTest, StatementsComputeTheirResults) {
  const ResultCase cases[] = {
      {"x = 0; if (0.5) x = 1; return x", 0},
      {"x = 0; if (0.51) x = 1; return x", 1},
      {"x = 0; if 0 x = 1 else x = 2; return x", 2},
      {"n = 0; x = 0.5; while (x) { n += 1; x = 0 } return n", 1},
      {"for (i = 0; i < 3; i += 1) {} return i", 3},
      {"n = 0; repeat (2.5) n += 1; return n", 2},
      {"n = 0; repeat (3.5) n += 1; return n", 4},
      {"n = 0; repeat (-1) n += 1; return n", 0},
      {"n = 0; do n += 1 until n >= 3; return n", 3},
      {"n = 0; do { n += 1; if n < 5 continue; break; } until 0; return n", 5},
      {"n = 0; while 1 { n += 1; if n == 4 break } return n", 4},
      {"s = 0; for (i = 0; i < 10; i += 1) { if i mod 2 continue; s += i } return s", 20},
      {"s = 0; for (i = 0; i < 10; i += 1) { if i == 3 break; s += i } return s", 3},
      {"n = 0; repeat 10 { n += 1; if n == 6 break; } return n", 6},
      {"n = 0; repeat 4 { if n >= 2 { n += 10; continue } n += 1 } return n", 22},
      {"a = 0 b = 0 c = 0 switch (2) { case 1: a = 1 case 2: b = 1 case 3: c = 1 } "
       "return a * 100 + b * 10 + c",
       11},
      {"a = 0 b = 0 c = 0 switch (2) { case 1: a = 1 case 2: b = 1 break case 3: c = 1 } "
       "return a * 100 + b * 10 + c",
       10},
      {"x = 0; switch ('1') { case 1: x = 1 } return x", 0},
      {"x = 0; switch ('a' + 'b') { case 'ab': x = 1 } return x", 1},
      {"x = 0; switch (5) { default: x = 1 case 5: x += 2 } return x", 3},
      {"x = 0; switch (9) { case 5: x = 1 default: x += 2 } return x", 2},
      {"n = 0; for (i = 0; i < 4; i += 1) { switch i { case 1: continue; } n += 1 } return n", 3},
      {"x = 1; exit; x = 2", 1},
      {"x = 5", 5},
      {"x = 5; var y", 5},
      {"x = 2; x *= 3; x -= 1; x /= 2", 2.5},
      {"x = 6; x |= 1; x &= 3; x ^= 1", 2},
      {"break; x = 1", 0},
      {"{ x = 1; continue; x = 2 }", 1},
      {"test_sum(2, 3)", 5},
      {"x = 7; test_nothing()", 0},
  };
  for (const ResultCase& c : cases) {
    testing::Outcome outcome = testing::Run(c.source);
    ASSERT_TRUE(outcome.ran) << c.source << "\n" << outcome.error;
    EXPECT_TRUE(outcome.IsReal(c.expected)) << c.source << " gave " << outcome.value.real;
  }
}

TEST_F(ExecutorTest, RunTimeErrorsStopTheCodeAtTheirNode) {
  struct Case {
    const char* source;
    const char* message;
    int column;
  } cases[] = {
      {"var s; s = 'a'; if s x = 1", "Expression expected", 20},
      {"var s; s = 'a'; while s x = 1", "Boolean expression expected", 23},
      {"var s; s = 'a'; do x = 1 until s", "Boolean expression expected", 32},
      {"var s; s = 'a'; for (i = 0; s; i += 1) {}", "Expression expected", 29},
      {"var s; s = 'a'; repeat s x = 1", "Repeat count must be a number", 24},
      {"var s; s = 'a'; with s x = 1", "Object id expected", 22},
      {"with local x = 1", "Cannot use local in with statement.", 6},
      {"with (global) x = 1", "Cannot use global in with statement.", 6},
      {"case 1: x = 1", "Case statement only allowed inside switch statement.", 6},
      {"default: x = 1", "Default statement only allowed inside switch statement.", 8},
      {"if x ; else y = 1", "Unknown variable x", 4},
      {"x = 1; if x ; else y = 1", "Statement expected.", 13},
      {"x = y + 1", "Unknown variable y", 5},
      {"x = 1; x += 'a'", "Wrong type of arguments to +.", 8},
      {"z += 1", "Unknown variable z", 1},
      {"a[3] += 1", "Unknown variable a or array index out of bounds", 1},
      {"noone.x = 1", "Cannot assign to the variable", 1},
      {"(-9).x = 1", "Cannot assign to the variable", 1},
      {"id = 1", "Cannot assign to the variable", 1},
      {"x = test_sum(1, y)", "Unknown variable y", 17},
  };
  for (const Case& c : cases) {
    testing::Outcome outcome = testing::Run(c.source);
    ASSERT_TRUE(outcome.compiled) << c.source << "\n" << outcome.error;
    EXPECT_FALSE(outcome.ran) << c.source;
    EXPECT_EQ(outcome.Message(), c.message) << c.source;
    EXPECT_EQ(outcome.Column(), c.column) << c.source;
  }
}

TEST_F(ExecutorTest, FailedCompoundAssignmentLeavesTheVariable) {
  runtime::CInstance* self = testing::TestWorld::Get().Add(0);
  ASSERT_TRUE(testing::Run("x = 1", self).ran);
  EXPECT_FALSE(testing::Run("x += 'a'", self).ran);
  EXPECT_TRUE(testing::Run("return x", self).IsReal(1));
}

TEST_F(ExecutorTest, UninitializedIsZeroSetting) {
  VariableSettings().uninitialized_is_zero = true;
  EXPECT_TRUE(testing::Run("x += 5; return x").IsReal(5));
  EXPECT_TRUE(testing::Run("return y + a[3, 4] + global.q + other.w").IsReal(0));
  EXPECT_TRUE(testing::Run("var v; return v").IsReal(0));
}

TEST_F(ExecutorTest, VarLocalsBelongToOneRunOfTheCode) {
  runtime::CInstance* self = testing::TestWorld::Get().Add(0);
  EXPECT_TRUE(testing::Run("x = 1; var x; x = 2; return self.x * 10 + x", self).IsReal(12));
  EXPECT_TRUE(testing::Run("return x", self).IsReal(1));
  // Locals do not survive the run.
  ASSERT_TRUE(testing::Run("t_set = 0", self).ran);
  code::CCode code("var t; if t_set == 1 return t; t = 5; t_set = 1; return t");
  ASSERT_TRUE(code.Compile());
  RValue result;
  ASSERT_TRUE(code::ExecuteCode(self, self, code, result));
  EXPECT_FALSE(code::ExecuteCode(self, self, code, result));
  EXPECT_NE(code::Errors().text.find("Unknown variable t"), std::string::npos);
  // local is the locals list, usable without var.
  EXPECT_TRUE(testing::Run("local.q = 3; return local.q + 1").IsReal(4));
}

TEST_F(ExecutorTest, WithChoosesInstancesAndSwapsSelfAndOther) {
  testing::TestWorld& world = testing::TestWorld::Get();
  runtime::CInstance* a = world.Add(1);
  runtime::CInstance* b = world.Add(2);
  runtime::CInstance* c = world.Add(1);
  runtime::CInstance* gone = world.Add(1);
  gone->destroyed = true;
  EXPECT_TRUE(testing::Run("n = 0; with (1) { n_seen = 1; other.n += 1 } return n", a).IsReal(2));
  EXPECT_TRUE(testing::Run("return c.n_seen", b).compiled);  // c is a variable here
  EXPECT_FALSE(testing::Run("return n_seen", b).ran);
  EXPECT_TRUE(testing::Run("return n_seen", c).IsReal(1));
  EXPECT_FALSE(testing::Run("return n_seen", gone).ran);

  // with (all) counts the instances at its start.
  EXPECT_TRUE(testing::Run("k = 0; with (all) { other.k += 1; test_spawn = 1 } return k", a)
                  .IsReal(3));
  // Instance ids, noone and missing ids.
  std::string by_id = "with (" + std::to_string(b->id) + ") v = 7";
  ASSERT_TRUE(testing::Run(by_id, a).ran);
  EXPECT_TRUE(testing::Run("return v", b).IsReal(7));
  EXPECT_TRUE(testing::Run("with (noone) v = 1; with (999999) v = 1; with (55) v = 1", a).ran);
  EXPECT_TRUE(testing::Run("return v", b).IsReal(7));
  // with (other) { with (other) x = 1 } sets x of the outer self.
  EXPECT_TRUE(testing::Run("mark = 0; with (other) { with (other) mark = 1 } return mark", a)
                  .IsReal(1));
  // break leaves the with, continue goes on, exit leaves the code.
  EXPECT_TRUE(
      testing::Run("n = 0; with (1) { other.n += 1; break } return n", a).IsReal(1));
  EXPECT_TRUE(
      testing::Run("n = 0; with (1) { other.n += 1; continue } return n", a).IsReal(2));
  EXPECT_TRUE(
      testing::Run("n = 0; with (1) { other.n += 1; exit } n = 10", a).IsReal(1));
  // self is restored after the body.
  EXPECT_TRUE(testing::Run("with (2) {} return id", a).IsReal(a->id));
}

TEST_F(ExecutorTest, InstancesCreatedDuringWithAllAreNotVisited) {
  static testing::TestWorld* world = &testing::TestWorld::Get();
  static const code::FunctionTableRow kSpawn[] = {
      {"test_spawn_instance", 0,
       [](runtime::CInstance*, runtime::CInstance*, int, RValue& result, RValue*) {
         result.SetReal(world->Add(3)->id);
       }},
  };
  code::RegisterFamily(kSpawn);
  runtime::CInstance* a = world->Add(1);
  world->Add(1);
  EXPECT_TRUE(
      testing::Run("n = 0; with (all) { test_spawn_instance(); other.n += 1 } return n", a)
          .IsReal(2));
  EXPECT_EQ(world->Count(), 4);
}

TEST_F(ExecutorTest, ScriptsGetArgumentsAndGiveResults) {
  testing::AddScript("add", "return argument0 + argument1");
  testing::AddScript("count_args", "return argument[2] + argument15");
  testing::AddScript("assigns", "a = 5");
  testing::AddScript("empty", "");
  testing::AddScript("exits", "x = 3; exit; x = 4");
  testing::AddScript("nested", "return add(argument0, 1) * 10 + argument0");
  testing::AddScript("set_arg", "argument3 = 9; return argument3");
  CompileAll();
  const ResultCase cases[] = {
      {"return add(2, 3)", 5},
      {"return count_args(1, 2, 3)", 3},
      {"x = assigns()", 5},
      {"x = 4; x = empty(); return x", 0},
      {"return exits() + x", 6},
      {"return nested(4)", 54},
      {"return set_arg() + argument3", 9},
      {"argument1 = 8; add(1, 1); return argument1", 8},
  };
  for (const ResultCase& c : cases) {
    testing::Outcome outcome = testing::Run(c.source);
    ASSERT_TRUE(outcome.ran) << c.source << "\n" << outcome.error;
    EXPECT_TRUE(outcome.IsReal(c.expected)) << c.source << " gave " << outcome.value.real;
  }
  // Argument slots are restored around every call and cleared beyond the
  // arguments passed.
  EXPECT_TRUE(testing::Run("argument0 = 'x'; argument5 = 5; y = add(1, 2); "
                           "return string_of(argument0, argument5)")
                  .compiled == false);
  EXPECT_TRUE(testing::Run("argument0 = 'k'; argument5 = 5; y = add(1, 2); "
                           "return argument0 + test_concat(argument5, y)")
                  .IsString("k53"));
  testing::AddScript("peek5", "return argument5");
  CompileAll();
  EXPECT_TRUE(testing::Run("argument5 = 5; return peek5(1)").IsReal(0));
}

TEST_F(ExecutorTest, ArgumentSlotsCanBeSetForAWhileAndRestored) {
  SetArgumentSlot(1, RValue(std::string("kept")));
  SavedArguments saved;
  SaveArguments(saved);
  SetArgumentSlot(1, RValue(2.0));
  SetArgumentSlot(6, RValue(6.0));
  EXPECT_TRUE(testing::Run("return argument1 + argument[6]").IsReal(8));
  RestoreArguments(saved);
  EXPECT_TRUE(testing::Run("return argument1").IsString("kept"));
  EXPECT_TRUE(testing::Run("return argument6").IsReal(0));
  // argument[i] outside 0..15 means argument0.
  SetArgumentSlot(0, RValue(4.0));
  EXPECT_TRUE(testing::Run("return argument[16] + argument[20]").IsReal(8));
}

TEST_F(ExecutorTest, ScriptsThatReturnNothingGiveZeroInExpressions) {
  testing::AddScript("nothing", "");
  testing::AddScript("once", "if global.done == 0 { global.done = 1; return 1 }");
  CompileAll();
  const ResultCase cases[] = {
      // Argument arrays and condition temporaries are fresh each time.
      {"test_sum(7, 1); return test_sum(nothing(), 1)", 1},
      {"global.done = 0; n = 0; while (once() && n < 5) n += 1; return n", 1},
      {"global.done = 0; n = 0; while (once()) { n += 1; if n > 5 break } return n", 1},
      {"x = 4; x = nothing(); return x", 0},
      {"x = 4; return 1 + nothing()", 1},
      // return evaluates straight into the result slot.
      {"x = 5; return nothing()", 5},
      // A call statement leaves the slot as the script left it.
      {"x = 6; nothing()", 6},
  };
  for (const ResultCase& c : cases) {
    testing::Outcome outcome = testing::Run(c.source);
    ASSERT_TRUE(outcome.ran) << c.source << "\n" << outcome.error;
    EXPECT_TRUE(outcome.IsReal(c.expected)) << c.source << " gave " << outcome.value.real;
  }
}

TEST_F(ExecutorTest, ScriptErrorsNameEveryScriptLevel) {
  testing::AddScript("inner", "x = 1\ry = missing");
  testing::AddScript("outer", "return inner()");
  CompileAll();
  testing::Outcome outcome = testing::Run("z = outer()");
  EXPECT_FALSE(outcome.ran);
  EXPECT_EQ(outcome.error,
            "In script outer:\rIn script inner:\rError in code at line 2:\r   y = missing\r\r"
            "at position 5: Unknown variable missing");
}

TEST_F(ExecutorTest, DeepRecursionEndsWithARunTimeError) {
  testing::AddScript("forever", "return forever(argument0 + 1)");
  testing::AddScript("depth", "if argument0 <= 0 return 0; return depth(argument0 - 1) + 1");
  CompileAll();
  testing::Outcome outcome = testing::Run("x = forever(0)");
  EXPECT_FALSE(outcome.ran);
  EXPECT_EQ(outcome.Message(), "Stack overflow: too many nested script calls.");
  EXPECT_EQ(outcome.error.rfind("In script forever:\r", 0), 0u);
  // The error text names a bounded number of script levels.
  EXPECT_LT(outcome.error.size(), 4000u);
  // Reasonable recursion still works afterwards.
  EXPECT_TRUE(testing::Run("return depth(500)").IsReal(500));
}

TEST_F(ExecutorTest, BuiltinFunctionsReportTheirOwnErrorsAndTheCodeGoesOn) {
  code::ErrorSettings() = code::ErrorOptions{false, false, false};
  testing::Outcome outcome = testing::Run("x = 1; test_complain(); x = 2");
  EXPECT_TRUE(outcome.ran);
  EXPECT_TRUE(outcome.IsReal(2));
  EXPECT_NE(code::Errors().last_error.find("Trying to do the impossible."), std::string::npos);
  EXPECT_TRUE(code::Errors().error_occurred);
  EXPECT_TRUE(testing::Run("return error_occurred").IsReal(1));
  EXPECT_TRUE(testing::Run("error_occurred = 0.4; return error_occurred").IsReal(0));
}

TEST_F(ExecutorTest, AResultSlotKeepsStringsAndCalls) {
  EXPECT_TRUE(testing::Run("s = 'ab'; s += 'cd'").IsString("abcd"));
  EXPECT_TRUE(testing::Run("test_concat('a', 'b')").IsString("ab"));
  EXPECT_TRUE(testing::Run("s = 'x'; s = 3 * s; return s + '!'").IsString("xxx!"));
}

}  // namespace
}  // namespace vendrel::interp
