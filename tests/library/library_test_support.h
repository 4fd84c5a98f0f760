// Helpers for the library tests: calling built-in functions through the
// registry, reading the last run-time error, and a temporary working
// directory that each test starts in.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/value.h"
#include "platform/message_box.h"

namespace vendrel::library::testing {

using interp::RValue;

inline RValue R(double value) { return RValue(value); }
inline RValue S(std::string text) { return RValue(std::move(text)); }

// Calls the built-in function [name] with [arguments], as the interpreter
// does: the registered argument count must match, the result starts as
// real 0, and there are no instances.
inline RValue Call(const std::string& name, std::vector<RValue> arguments = {}) {
  int index = code::FindBuiltinFunction(name);
  if (index < 0) {
    ADD_FAILURE() << name << " is not registered";
    return RValue();
  }
  const code::RBuiltinFunction& function = code::BuiltinFunctionAt(index);
  if (function.argcount != code::kAnyArgCount) {
    EXPECT_EQ(function.argcount, int(arguments.size())) << name;
  }
  RValue result;
  function.handler(nullptr, nullptr, int(arguments.size()), result, arguments.data());
  return result;
}

inline double Real(const RValue& value) {
  EXPECT_TRUE(value.IsReal()) << "string \"" << value.str << "\" where a real was expected";
  return value.real;
}

inline std::string Str(const RValue& value) {
  EXPECT_TRUE(value.IsString()) << "real " << value.real << " where a string was expected";
  return value.str;
}

// The message of the last run-time error since ClearErrors, or "" when none.
inline std::string LastError() {
  const code::ErrorState& state = code::Errors();
  if (!state.error_occurred) return "";
  return state.last_error;
}

inline bool ErrorEndsWith(const std::string& message) {
  std::string last = LastError();
  return last.size() >= message.size() &&
         last.compare(last.size() - message.size(), message.size(), message) == 0;
}

inline void ClearErrors() { code::Errors() = code::ErrorState(); }

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A fresh temporary directory that is also the process's current directory
// for the length of a test (the error log lands there too).
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vendrel-library-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

}  // namespace vendrel::library::testing
