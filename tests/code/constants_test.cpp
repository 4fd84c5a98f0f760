#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tests/code/code_runner.h"

namespace vendrel::code {
namespace {

class ConstantsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ResetState();
    platform::SetHeadless(true);
  }
  void TearDown() override { testing::RestoreDefaults(); }

  static double Value(const char* name) {
    interp::RValue value;
    EXPECT_TRUE(FindConstant(name, value)) << name;
    EXPECT_TRUE(value.IsReal()) << name;
    return value.real;
  }
};

TEST_F(ConstantsTest, BuiltinTableHoldsEveryConstantOnce) {
  ASSERT_EQ(ConstantCount(), kBuiltinConstantCount);
  EXPECT_EQ(kBuiltinConstantCount, 285);
  std::set<std::string> names;
  for (int i = 0; i < ConstantCount(); ++i) {
    EXPECT_TRUE(names.insert(ConstantName(i)).second) << ConstantName(i);
    EXPECT_TRUE(ConstantValue(i).IsReal());
  }
  EXPECT_EQ(ConstantName(0), "self");
  EXPECT_EQ(ConstantName(284), "ef_snow");
}

TEST_F(ConstantsTest, BuiltinValues) {
  struct Case {
    const char* name;
    double value;
  } cases[] = {
      {"self", -1},          {"other", -2},           {"all", -3},
      {"noone", -4},         {"global", -5},          {"local", -7},
      {"true", 1},           {"false", 0},            {"pi", 3.141592653589793},
      {"c_aqua", 16776960},  {"c_red", 255},          {"c_orange_not", -999},
      {"c_ltgray", 12632256}, {"c_silver", 12632256}, {"c_white", 16777215},
      {"bm_src_alpha_sat", 11}, {"bm_zero", 1},       {"se_equalizer", 64},
      {"mb_any", -1},        {"vk_enter", 13},        {"vk_return", 13},
      {"vk_printscreen", 44}, {"vk_ralt", 165},       {"vk_f12", 123},
      {"ev_mouse_wheel_down", 61}, {"ev_user15", 25}, {"ev_step_end", 2},
      {"ev_joystick2_button8", 43}, {"ev_global_middle_release", 58},
      {"ty_string", 1},      {"dll_stdcall", 1},      {"fa_archive", 32},
      {"fa_bottom", 2},      {"cr_arrrow", -2},       {"cr_size_all", -22},
      {"cr_none", -1},       {"pt_shape_snow", 13},   {"ps_change_motion", 2},
      {"ef_rain", 10},       {"pr_trianglefan", 6},
  };
  for (const Case& c : cases) {
    interp::RValue value;
    if (c.value == -999) {
      EXPECT_FALSE(FindConstant(c.name, value));
      continue;
    }
    EXPECT_EQ(Value(c.name), c.value) << c.name;
  }
  interp::RValue value;
  EXPECT_FALSE(FindConstant("C_RED", value));  // names are case-sensitive
  EXPECT_FALSE(FindConstant("", value));
}

TEST_F(ConstantsTest, UserConstantsUseEarlierOnesAndLoseToBuiltins) {
  std::vector<UserConstant> constants = {
      {"  base  ", "c_red + 1"},
      {"twice", "base * 2"},
      {"c_red", "7"},
      {"greeting", "'hi' + ' there'"},
      {"_under_1", "-base"},
  };
  ASSERT_TRUE(DefineUserConstants(constants));
  EXPECT_EQ(Value("base"), 256);
  EXPECT_EQ(Value("twice"), 512);
  EXPECT_EQ(Value("c_red"), 255);
  EXPECT_EQ(Value("_under_1"), -256);
  interp::RValue value;
  ASSERT_TRUE(FindConstant("greeting", value));
  EXPECT_EQ(value.str, "hi there");
  EXPECT_TRUE(testing::Eval("twice + 1").IsReal(513));
}

TEST_F(ConstantsTest, InvalidUserConstantsStopWithTheirMessage) {
  struct Case {
    UserConstant constant;
    const char* message;
  } cases[] = {
      {{"1abc", "1"}, "Constant name 1abc  is not valid."},
      {{"", "1"}, "Constant name   is not valid."},
      {{"a-b", "1"}, "Constant name a-b  is not valid."},
      {{"good", "1 +"}, "Value for constant good  is not valid."},
      {{"good", "unknown_thing"}, "Value for constant good  is not valid."},
      {{"good", "1 / 0"}, "Value for constant good  is not valid."},
  };
  for (const Case& c : cases) {
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(DefineUserConstants({&c.constant, 1}));
    std::string shown = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(shown.find(c.message), std::string::npos) << shown;
    EXPECT_FALSE(Errors().pending);
    EXPECT_EQ(ConstantCount(), kBuiltinConstantCount);
  }
}

TEST_F(ConstantsTest, ResourceNamesComeBeforeConstants) {
  testing::AddScript("unused", "");
  testing::AddScript("c_blue", "");
  EXPECT_EQ(Value("c_blue"), 1);
  EXPECT_EQ(Value("unused"), 0);
}

}  // namespace
}  // namespace vendrel::code
