#include <gtest/gtest.h>

#include <string>

#include "interpreter/executor.h"
#include "runner/stream.h"
#include "tests/code/code_runner.h"

namespace vendrel::interp {
namespace {

class VariablesTest : public testing::CodeTest {};

TEST_F(VariablesTest, ArraysShareTheScalarAndGrowByRow) {
  runtime::CInstance* self = testing::TestWorld::Get().Add(0);
  ASSERT_TRUE(testing::Run("a[5] = 1", self).ran);
  EXPECT_TRUE(testing::Run("return a + a[0] + a[1] + a[4] + a[0, 0] + a[5] * 10", self)
                  .IsReal(10));
  testing::Outcome outcome = testing::Run("return a[6]", self);
  EXPECT_EQ(outcome.Message(), "Unknown variable a or array index out of bounds");
  EXPECT_EQ(testing::Run("return a[1, 0]", self).Message(),
            "Unknown variable a or array index out of bounds");

  ASSERT_TRUE(testing::Run("b[1, 2] = 7", self).ran);
  EXPECT_TRUE(testing::Run("return b[1, 2] + b[1, 0] + b[1, 1]", self).IsReal(7));
  EXPECT_FALSE(testing::Run("return b[2]", self).ran);
  EXPECT_FALSE(testing::Run("return b[0, 2]", self).ran);
  // Scalar and element 0 are one storage.
  EXPECT_TRUE(testing::Run("c = 3; c[0] = 4; return c", self).IsReal(4));
  EXPECT_TRUE(testing::Run("d[0, 0] = 'x'; return d", self).IsString("x"));
}

TEST_F(VariablesTest, IndexChecksAndTheLimitOf32000) {
  struct Case {
    const char* source;
    const char* message;
    int column;
  } cases[] = {
      {"a[-1] = 1", "Negative array index", 4},  // the folded -1 stands at the 1,
      {"a[32000] = 1", "Array index >= 32000", 3},
      {"a[31999.5] = 1", "Array index >= 32000", 3},
      {"a[1, 32000] = 1", "Array index >= 32000", 6},
      {"a[32000, 0] = 1", "Array index >= 32000", 3},
      {"x = a[-0.6]", "Negative array index", 8},
      {"a['1'] = 1", "Wrong type of array index", 3},
      {"a[1, '1'] = 1", "Wrong type of array index", 6},
      {"('o').x[1] = 1", "Wrong type of variable index", 2},
  };
  for (const Case& c : cases) {
    testing::Outcome outcome = testing::Run(c.source);
    ASSERT_TRUE(outcome.compiled) << c.source << "\n" << outcome.error;
    EXPECT_EQ(outcome.Message(), c.message) << c.source;
    EXPECT_EQ(outcome.Column(), c.column) << c.source;
  }
  // The largest indices work; a[0.4] is a.
  EXPECT_TRUE(testing::Run("a[31999] = 2; a[31999, 31999] = 3; return a[31999] + a[31999, 31999]")
                  .IsReal(5));
  EXPECT_TRUE(testing::Run("a = 6; return a[0.4]").IsReal(6));
  EXPECT_TRUE(testing::Run("a[2.5] = 6; return a[2]").IsReal(6));
}

TEST_F(VariablesTest, OwnersChooseTheStorage) {
  testing::TestWorld& world = testing::TestWorld::Get();
  runtime::CInstance* a = world.Add(4);
  runtime::CInstance* b = world.Add(4);
  runtime::CInstance* c = world.Add(5);
  const std::string b_id = std::to_string(b->id);
  // Object index: written to every instance, read from the first.
  ASSERT_TRUE(testing::Run("(4).hp = 10; b_only = 0", c).ran);
  EXPECT_TRUE(testing::Run("return hp", a).IsReal(10));
  EXPECT_TRUE(testing::Run("return hp", b).IsReal(10));
  ASSERT_TRUE(testing::Run("hp = 3", b).ran);
  EXPECT_TRUE(testing::Run("return (4).hp", c).IsReal(10));
  // Instance id.
  EXPECT_TRUE(testing::Run("return (" + b_id + ").hp", c).IsReal(3));
  ASSERT_TRUE(testing::Run("(" + b_id + ").mark[2] = 'm'", c).ran);
  EXPECT_TRUE(testing::Run("return mark[2]", b).IsString("m"));
  // all: written to every live instance, read from the first.
  a->destroyed = true;
  ASSERT_TRUE(testing::Run("all.team = 1", c).ran);
  EXPECT_TRUE(testing::Run("return team", b).IsReal(1));
  EXPECT_FALSE(testing::Run("return team", a).ran);
  EXPECT_TRUE(testing::Run("return all.team + (4).hp", c).IsReal(4));
  // Missing targets: writes do nothing, reads fail.
  EXPECT_TRUE(testing::Run("(9).x = 1; (999999).x = 1", c).ran);
  testing::Outcome outcome = testing::Run("return (999999).x", c);
  EXPECT_EQ(outcome.Message(), "Unknown variable x");
  EXPECT_FALSE(testing::Run("return noone.x", c).ran);
  EXPECT_FALSE(testing::Run("return (-9).x", c).ran);
  EXPECT_EQ(testing::Run("noone.x = 1", c).Message(), "Cannot assign to the variable");
  // Owner expressions are evaluated at run time when the variable is indexed.
  EXPECT_TRUE(testing::Run("var o; o = " + b_id + "; return o.mark[2]", c).IsString("m"));
}

TEST_F(VariablesTest, GlobalsAreOneListSeparateFromBuiltins) {
  runtime::CInstance* self = testing::TestWorld::Get().Add(0);
  ASSERT_TRUE(testing::Run("global.score = 4; global.speed = 2; speed = 9", self).ran);
  EXPECT_TRUE(testing::Run("return global.score * 10 + global.speed").IsReal(42));
  EXPECT_TRUE(testing::Run("return speed", self).IsReal(9));
  EXPECT_FALSE(testing::Run("return global.unset").ran);
  EXPECT_EQ(testing::Run("return global.unset").Message(), "Unknown variable unset");
  EXPECT_TRUE(testing::Run("global.arr[3] = 1; return global.arr[3]").IsReal(1));
}

TEST_F(VariablesTest, ListsFindVariablesWhateverTheirNumber) {
  CVariableList list;
  for (int i = 0; i < 300; ++i) SetVariable(list, 100000 + i * 7, 0, RValue(double(i)));
  EXPECT_EQ(list.count(), 300);
  for (int i = 0; i < 300; ++i) {
    RValue out;
    ASSERT_TRUE(GetVariable(list, 100000 + i * 7, 0, out));
    EXPECT_EQ(out.real, i);
  }
  RValue out;
  EXPECT_FALSE(GetVariable(list, 100001, 0, out));
  SetVariable(list, 100000 + 7, 0, RValue(std::string("again")));
  EXPECT_EQ(list.count(), 300);
  ASSERT_TRUE(GetVariable(list, 100007, 0, out));
  EXPECT_EQ(out.str, "again");
  CVariableList copy;
  CopyVariables(copy, list);
  ClearVariables(list);
  EXPECT_EQ(list.count(), 0);
  EXPECT_FALSE(GetVariable(list, 100007, 0, out));
  ASSERT_TRUE(GetVariable(copy, 100000 + 299 * 7, 0, out));
  EXPECT_EQ(out.real, 299);
}

TEST_F(VariablesTest, StreamFormRoundTripsEveryElement) {
  CVariableList list;
  SetVariable(list, 100000, 0, RValue(1.5));
  SetVariable(list, 100001, 0, RValue(std::string("text")));
  SetVariable(list, 100001, 3, RValue(std::string("three")));
  SetVariable(list, 100001, 2 * kArrayLimit + 1, RValue(-2.0));
  SetVariable(list, 7, 0, RValue(3.0));  // a built-in id stored as a plain variable
  runner::CStream stream;
  WriteVariables(list, stream);
  stream.Seek(0);
  EXPECT_EQ(stream.ReadInteger(), 440);
  stream.Seek(0);
  CVariableList restored;
  SetVariable(restored, 100099, 0, RValue(1.0));  // replaced by reading
  ReadVariables(restored, stream);
  EXPECT_EQ(stream.Remaining(), 0u);
  ASSERT_EQ(restored.count(), 3);
  RValue out;
  EXPECT_FALSE(GetVariable(restored, 100099, 0, out));
  ASSERT_TRUE(GetVariable(restored, 100001, 3, out));
  EXPECT_EQ(out.str, "three");
  ASSERT_TRUE(GetVariable(restored, 100001, 2 * kArrayLimit + 1, out));
  EXPECT_TRUE(out.IsReal());
  EXPECT_EQ(out.real, -2);
  ASSERT_TRUE(GetVariable(restored, 100001, 1, out));  // a filled gap
  EXPECT_EQ(out.real, 0);
  ASSERT_TRUE(GetVariable(restored, 7, 0, out));
  EXPECT_EQ(out.real, 3);

  // Another version leaves the list empty.
  runner::CStream other;
  other.WriteInteger(441);
  other.WriteInteger(1);
  other.Seek(0);
  ReadVariables(restored, other);
  EXPECT_EQ(restored.count(), 0);
}

TEST_F(VariablesTest, ReadsAndWritesThroughTheOwnerRouting) {
  runtime::CInstance* self = testing::TestWorld::Get().Add(0);
  runtime::CInstance* other = testing::TestWorld::Get().Add(1);
  ExecContext context;
  context.self = self;
  context.other = other;
  code::CCode code("x");
  context.code = &code;
  RValue out;
  EXPECT_TRUE(WriteVariable(context, kOwnerOther, 100500, 0, RValue(2.0)));
  EXPECT_TRUE(GetInstanceVariable(other, 100500, 0, out));
  EXPECT_EQ(out.real, 2);
  EXPECT_FALSE(ReadVariable(context, kOwnerLocal, 100500, 0, out));
  EXPECT_TRUE(WriteVariable(context, kOwnerLocal, 100500, 0, RValue(5.0)));
  EXPECT_TRUE(ReadVariable(context, kOwnerLocal, 100500, 0, out));
  EXPECT_EQ(out.real, 5);
  EXPECT_FALSE(WriteVariable(context, kOwnerNoone, 100500, 0, RValue(5.0)));
  EXPECT_FALSE(WriteVariable(context, -12, 100500, 0, RValue(5.0)));
  const int speed = FindBuiltinVariable("speed");
  const int id = FindBuiltinVariable("id");
  EXPECT_TRUE(SetInstanceVariable(self, speed, 0, RValue(4.0)));
  EXPECT_TRUE(ReadVariable(context, kOwnerSelf, speed, 0, out));
  EXPECT_EQ(out.real, 4);
  EXPECT_FALSE(SetInstanceVariable(self, id, 0, RValue(4.0)));
  EXPECT_TRUE(ReadVariable(context, kOwnerUnwritten, id, 0, out));
  EXPECT_EQ(out.real, self->id);
}

}  // namespace
}  // namespace vendrel::interp
