#include "runner/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "platform/exit_cleanup.h"

namespace vendrel::runner {

namespace fs = std::filesystem;

namespace {

std::string g_temp_dir;

// Separate from the game's generator so that a seeded game still gets
// fresh directory names.
std::mt19937& NameGenerator() {
  static std::mt19937 generator{std::random_device{}()};
  return generator;
}

int RandomNumber() { return std::uniform_int_distribution<int>(0, 99999)(NameGenerator()); }

bool TryBase(const fs::path& base) {
  if (base.empty()) return false;
  std::error_code error;
  // Give up on a base after a bounded number of names taken.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    fs::path candidate = base / ("vn_ttt_" + std::to_string(RandomNumber()));
    if (fs::exists(candidate, error)) continue;
    fs::create_directories(candidate, error);
    if (error || !fs::is_directory(candidate, error)) return false;
    g_temp_dir = fs::absolute(candidate, error).string();
    if (error) g_temp_dir = candidate.string();
    return true;
  }
  return false;
}

}  // namespace

bool CreateTempDir() {
  std::vector<fs::path> bases;
  if (const char* temp = std::getenv("temp"); temp && *temp) {
    bases.emplace_back(temp);
  } else if (const char* tmp = std::getenv("tmp"); tmp && *tmp) {
    bases.emplace_back(tmp);
  }
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && *tmpdir) bases.emplace_back(tmpdir);
  bases.emplace_back("/tmp");
  std::error_code error;
  bases.push_back(fs::current_path(error));
  for (const fs::path& base : bases) {
    if (TryBase(base)) {
      platform::RemoveDirectoryAtExit(g_temp_dir);
      return true;
    }
  }
  return false;
}

const std::string& TempDir() { return g_temp_dir; }

void RemoveTempDir() {
  if (g_temp_dir.empty()) return;
  platform::RemoveTrackedDirectoryNow();
  g_temp_dir.clear();
}

std::string MakeTempFileName(std::string_view suffix) {
  if (g_temp_dir.empty()) return {};
  std::error_code error;
  for (;;) {
    fs::path candidate =
        fs::path(g_temp_dir) / ("a" + std::to_string(RandomNumber()) + std::string(suffix));
    if (!fs::exists(candidate, error)) return candidate.string();
  }
}

}  // namespace vendrel::runner
