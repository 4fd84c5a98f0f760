// Calling a registered built-in function from a test as game code would,
// with the argument count checked against the registry.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "code/function_registry.h"
#include "interpreter/value.h"

namespace vendrel::testing {

// Calls the built-in [name] with [arguments] for [self] (also the other
// instance). A name no family registered, or an argument count the
// function does not take, fails the test.
inline interp::RValue CallBuiltin(const std::string& name, std::vector<interp::RValue> arguments,
                                  runtime::CInstance* self = nullptr) {
  interp::RValue result;
  const int index = code::FindBuiltinFunction(name);
  if (index < 0) {
    ADD_FAILURE() << "no built-in function " << name;
    return result;
  }
  const code::RBuiltinFunction& function = code::BuiltinFunctionAt(index);
  EXPECT_EQ(function.argcount, int(arguments.size())) << name;
  function.handler(self, self, int(arguments.size()), result, arguments.data());
  return result;
}

}  // namespace vendrel::testing
