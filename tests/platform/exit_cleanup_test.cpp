#include "platform/exit_cleanup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vendrel::platform {
namespace {

namespace fs = std::filesystem;

// Runs [end] in a child that tracks a directory with files in it, and
// checks that the directory is gone however the child ended.
void ExpectRemovedWhenChild(void (*end)(), int expected_signal) {
  fs::path directory = fs::temp_directory_path() /
                       ("vendrel-exit-" + std::to_string(::getpid()) + "-" +
                        std::to_string(expected_signal));
  fs::create_directories(directory);
  for (int i = 0; i < 300; ++i) std::ofstream(directory / ("file" + std::to_string(i))) << i;

  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RemoveDirectoryAtExit(directory.string());
    end();
    ::_exit(99);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  if (expected_signal == 0) {
    EXPECT_TRUE(WIFEXITED(status));
  } else {
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), expected_signal);
  }
  EXPECT_FALSE(fs::exists(directory));
  fs::remove_all(directory);
}

TEST(ExitCleanup, DirectoryIsRemovedAtEveryKindOfExit) {
  ExpectRemovedWhenChild([] { std::exit(3); }, 0);
  ExpectRemovedWhenChild([] { std::raise(SIGINT); }, SIGINT);
  ExpectRemovedWhenChild([] { std::raise(SIGTERM); }, SIGTERM);
  ExpectRemovedWhenChild([] { std::abort(); }, SIGABRT);
}

}  // namespace
}  // namespace vendrel::platform
