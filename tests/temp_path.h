// A scratch file path that belongs to the running test alone. Tests run in
// parallel processes (and several build trees may test at once), so a fixed
// name in the shared temporary folder lets one test read another's file.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace vendrel::testing {

inline std::string TestTempPath(const std::string& suffix) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "vendrel_";
  if (info) name += std::string(info->test_suite_name()) + "_" + info->name() + "_";
  for (char& c : name)
    if (c == '/') c = '_';  // parameterised tests carry a slash in their names
  return ::testing::TempDir() + "/" + name + std::to_string(getpid()) + suffix;
}

}  // namespace vendrel::testing
