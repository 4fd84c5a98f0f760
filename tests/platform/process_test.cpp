#include "platform/process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/message_box.h"

namespace vendrel::platform {
namespace {

namespace fs = std::filesystem;

TEST(Process, SplitsWindowsCommandLines) {
  using Arguments = std::vector<std::string>;
  struct Case {
    const char* line;
    Arguments arguments;
  };
  const Case cases[] = {
      {"", {}},
      {"  a  b\tc ", {"a", "b", "c"}},
      {"\"two words\" x", {"two words", "x"}},
      {"a\"b c\"d", {"ab cd"}},                   // quotes group inside a word
      {"\"\"", {""}},                             // an empty argument
      {"a\\\"b", {"a\"b"}},                       // \" is a quote
      {"a\\\\\"b c\"", {"a\\b c"}},               // \\" is a backslash, then quoting
      {"C:\\dir\\file.txt", {"C:\\dir\\file.txt"}},  // other backslashes stay
      {"\"C:\\Program Files\\\\\" x", {"C:\\Program Files\\", "x"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},     // "" inside quotes is a quote
      {"\"open", {"open"}},                       // an unclosed quote runs to the end
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << c.line;
}

class Programs : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vendrel-process-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
  }
  std::string Read(const std::string& name) {
    std::ifstream in(directory_ / name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path directory_;
};

// Counts calls of the wait callback.
int g_waited = 0;
void CountWait() { ++g_waited; }

TEST_F(Programs, StartsInTheGivenDirectoryAndWaits) {
  std::string shell = FindOnPath("sh");
  ASSERT_FALSE(shell.empty());
  g_waited = 0;
  // The program is still running for a while after it wrote its first
  // file, so returning early would miss the second one.
  EXPECT_TRUE(StartProgram(shell, {"-c", "pwd > where.txt; sleep 0.3; echo \"$0\" > done.txt", "x y"},
                           directory_.string(), true, CountWait));
  EXPECT_EQ(Read("where.txt"), directory_.string() + "\n");
  EXPECT_EQ(Read("done.txt"), "x y\n");
  EXPECT_GT(g_waited, 0);
}

TEST_F(Programs, ReportsWhatCannotStart) {
  EXPECT_FALSE(StartProgram((directory_ / "missing").string(), {}, directory_.string(), true,
                            nullptr));
  std::ofstream(directory_ / "data.txt") << "not a program";
  EXPECT_FALSE(StartProgram((directory_ / "data.txt").string(), {}, directory_.string(), false,
                            nullptr));
  EXPECT_FALSE(StartProgram(FindOnPath("true"), {}, (directory_ / "no-such-dir").string(), true,
                            nullptr));
  EXPECT_EQ(FindOnPath("surely-no-such-program-here"), "");
  EXPECT_EQ(FindOnPath("a/b"), "");
  SetHeadless(true);
  EXPECT_TRUE(OpenDocument((directory_ / "data.txt").string(), directory_.string()));
}

TEST(Process, EnvironmentVariablesIgnoreCaseWhenNotExact) {
  ::setenv("VENDREL_PROCESS_TEST", "upper", 1);
  EXPECT_EQ(EnvironmentVariable("VENDREL_PROCESS_TEST"), "upper");
  EXPECT_EQ(EnvironmentVariable("Vendrel_Process_Test"), "upper");
  ::setenv("vendrel_process_test", "lower", 1);
  EXPECT_EQ(EnvironmentVariable("vendrel_process_test"), "lower");  // the exact name first
  ::unsetenv("VENDREL_PROCESS_TEST");
  ::unsetenv("vendrel_process_test");
  EXPECT_EQ(EnvironmentVariable("VENDREL_PROCESS_TEST"), "");
  EXPECT_EQ(EnvironmentVariable(""), "");
  EXPECT_EQ(EnvironmentVariable("A=B"), "");
}

}  // namespace
}  // namespace vendrel::platform
