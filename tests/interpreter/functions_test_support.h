// Calls built-in functions of the language families through the registry,
// as compiled code does, and captures the run-time errors they report.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "interpreter/value.h"
#include "platform/message_box.h"

namespace vendrel::interp::testing {

inline RValue Real(double value) { return RValue(value); }
inline RValue Str(std::string value) { return RValue(std::move(value)); }

// Calls the registered function [name] with no instances, [arguments] in an
// argument array of 16 slots (the rest real 0) and a result preset to real
// 0; checks the argument count against the registered one.
inline RValue Call(std::string_view name, std::vector<RValue> arguments) {
  static const bool registered = [] {
    RegisterMathFunctions();
    RegisterStringFunctions();
    RegisterDateFunctions();
    return true;
  }();
  (void)registered;
  int index = code::FindBuiltinFunction(name);
  if (index < 0) {
    ADD_FAILURE() << "no built-in function " << name;
    return RValue();
  }
  const code::RBuiltinFunction& function = code::BuiltinFunctionAt(index);
  if (function.argcount != code::kAnyArgCount) {
    EXPECT_EQ(function.argcount, int(arguments.size())) << name;
  }
  int argc = int(arguments.size());
  arguments.resize(16);
  RValue result;
  function.handler(nullptr, nullptr, argc, result, arguments.data());
  return result;
}

inline double CallReal(std::string_view name, std::vector<RValue> arguments) {
  RValue result = Call(name, std::move(arguments));
  EXPECT_TRUE(result.IsReal()) << name << " gave a string: " << result.str;
  return result.real;
}

inline std::string CallString(std::string_view name, std::vector<RValue> arguments) {
  RValue result = Call(name, std::move(arguments));
  EXPECT_TRUE(result.IsString()) << name << " gave a real: " << result.real;
  return result.str;
}

// Runs each test headless (errors are echoed, never shown in a dialog) in a
// fresh temporary directory, which receives "game_errors.log".
class FunctionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetHeadless(true);
    original_directory_ = std::filesystem::current_path();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vendrel-functions-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
    std::filesystem::current_path(directory_);
    ClearError();
  }

  void TearDown() override {
    std::filesystem::current_path(original_directory_);
    std::filesystem::remove_all(directory_);
  }

  static void ClearError() {
    code::Errors().last_error.clear();
    code::Errors().error_occurred = false;
    code::Errors().aborting = false;
  }

  // The message of the error reported since the last ClearError, or "".
  static std::string ReportedError() {
    return code::Errors().error_occurred ? code::Errors().last_error : std::string();
  }

  // Whether a run-time error ending in [message] was reported; clears it.
  static bool TakeError(std::string_view message) {
    std::string error = ReportedError();
    ClearError();
    return error.size() >= message.size() && error.ends_with(message);
  }

 private:
  std::filesystem::path original_directory_;
  std::filesystem::path directory_;
};

}  // namespace vendrel::interp::testing
