#include "platform/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vendrel::platform {
namespace {

namespace fs = std::filesystem;

// A game directory with a few files whose names differ from what games
// ask for only in case or encoding.
class GamePaths : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vendrel-paths-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = fs::canonical(pattern);
    fs::create_directories(root_ / "Data" / "Levels");
    Touch(root_ / "Data" / "Levels" / "One.TXT");
    Touch(root_ / "Data" / "readme.txt");
    Touch(root_ / "caf\xC3\xA9.txt");         // café.txt in UTF-8
    Touch(root_ / "\xC3\x89T\xC3\x89.txt");   // ÉTÉ.txt in UTF-8
    Touch(root_ / "Save.dat");
    Touch(root_ / "save.dat");
    SetGameWorkingDirectory(root_.string());
    SetExtraAllowedDirectories({});
  }
  void TearDown() override {
    SetExtraAllowedDirectories({});
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  static void Touch(const fs::path& path) { std::ofstream(path) << "x"; }
  std::string At(const std::string& relative) const { return (root_ / relative).string(); }

  fs::path root_;
};

TEST_F(GamePaths, ResolvesWindowsNamesComponentByComponent) {
  struct Case {
    std::string game_name;
    std::string host_path;
  };
  const Case cases[] = {
      {"Data\\Levels\\One.TXT", At("Data/Levels/One.TXT")},        // as written
      {"DATA\\levels\\one.txt", At("Data/Levels/One.TXT")},        // every component without case
      {"data/LEVELS/one.txt", At("Data/Levels/One.TXT")},          // "/" separates as well
      {".\\data\\.\\Levels\\..\\README.TXT", At("Data/readme.txt")},
      {"data\\new\\File.txt", At("Data/new/File.txt")},            // missing: kept as written
      {"DATA\\Levels\\Two.txt", At("Data/Levels/Two.txt")},
      {"save.dat", At("save.dat")},                                // the exact name wins
      {"SAVE.DAT", At("Save.dat")},                                // else the first in byte order
      {"caf\xE9.txt", At("caf\xC3\xA9.txt")},                      // Windows-1252 name, UTF-8 file
      {"CAF\xC9.TXT", At("caf\xC3\xA9.txt")},                      // ... and without case
      {"\xE9t\xE9.TXT", At("\xC3\x89T\xC3\x89.txt")},
      {"caf\xC3\xA9.txt", At("caf\xC3\xA9.txt")},                  // already UTF-8
      {"new\xE9.txt", At("new\xC3\xA9.txt")},                      // created in UTF-8
      {"", root_.string()},
      {"C:data", At("Data")},                                      // drive-relative
      {root_.string() + "\\data\\README.txt", At("Data/readme.txt")},
      {"C:\\", "/"},
      {"..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..", "/"},     // never above the root
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveGamePath(c.game_name), c.host_path) << c.game_name;
  EXPECT_EQ(ResolveGamePath("C:\\TMP"), ResolveGamePath("/tmp"));
}

TEST_F(GamePaths, RelativeNamesStartAtTheWorkingDirectory) {
  fs::path previous = fs::current_path();
  fs::current_path(root_ / "Data");  // the process is elsewhere
  EXPECT_EQ(ResolveGamePath("save.dat"), At("save.dat"));
  SetGameWorkingDirectory(At("Data"));
  EXPECT_EQ(ResolveGamePath("levels\\one.txt"), At("Data/Levels/One.TXT"));
  EXPECT_EQ(GameWorkingDirectory(), At("Data"));
  EXPECT_EQ(ResolveGamePath("..\\SAVE.dat"), At("Save.dat"));
  fs::current_path(previous);
}

TEST_F(GamePaths, AllowedAreaFollowsLinks) {
  fs::path outside = root_.parent_path();
  fs::create_directory_symlink(outside, root_ / "up");
  fs::create_directory_symlink(root_ / "Data", root_ / "inner");
  struct Case {
    std::string host_path;
    bool inside;
  };
  const Case cases[] = {
      {root_.string(), true},
      {At("Data/Levels/One.TXT"), true},
      {At("missing/deeper/file"), true},
      {At("inner/readme.txt"), true},       // a link that stays inside
      {At("up/file"), false},               // a link that leads out
      {At("up"), false},
      {At("Data/../../x"), false},
      {"/etc/passwd", false},
      {root_.string() + "-sibling/x", false},  // a common prefix is not enough
  };
  for (const Case& c : cases) EXPECT_EQ(IsInsideAllowedArea(c.host_path), c.inside) << c.host_path;
  SetExtraAllowedDirectories({outside.string()});
  EXPECT_TRUE(IsInsideAllowedArea(At("up/file")));
  EXPECT_TRUE(IsInsideAllowedArea((outside / "x").string()));
  EXPECT_FALSE(IsInsideAllowedArea("/etc/passwd"));
}

TEST(FileNames, EncodingAndCase) {
  EXPECT_EQ(HostNameToGame("caf\xC3\xA9 \xE2\x82\xAC.txt"), "caf\xE9 \x80.txt");  // é and €
  EXPECT_EQ(HostNameToGame("\xE4\xB8\xAD.txt"), "\xE4\xB8\xAD.txt");  // not in 1252: as is
  EXPECT_EQ(HostNameToGame("bad\xFF.txt"), "bad\xFF.txt");            // not UTF-8: as is
  EXPECT_EQ(GameNameToHost("caf\xE9 \x80\x81.txt"), "caf\xC3\xA9 \xE2\x82\xAC\xC2\x81.txt");
  EXPECT_EQ(GameNameToHost("plain.txt"), "plain.txt");
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    std::string name = "n" + std::string(1, char(byte));
    EXPECT_EQ(HostNameToGame(GameNameToHost(name)), name) << byte;
  }
  EXPECT_EQ(FoldWindowsCase("ABC xyz \xC9\xD7\xDE\x8A\x9F"), "abc xyz \xE9\xD7\xFE\x9A\xFF");
}

TEST(FileNames, Wildcards) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"save1.sav", "*.sav", true},   {"SAVE1.SAV", "*.sav", true},
      {"save1.sav", "save?.*", true}, {"save10.sav", "save?.*", false},
      {"readme", "*.*", true},        {"readme", "*", true},
      {"readme", "readme.*", true},   {"readme.txt", "readme.", false},
      {"readme", "readme.", true},    {"a.b.c", "*.c", true},
      {"abc", "a*c*", true},          {"ab", "a?c", false},
      {"\xC9t\xE9", "\xE9T*", true},  {"x.txt", "*.dat", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesWildcard(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
}

TEST_F(GamePaths, FindFilesHonoursAttributes) {
  Touch(root_ / ".hidden");
  using Names = std::vector<std::string>;
  EXPECT_EQ(FindFiles("*.txt", 0), (Names{"caf\xE9.txt", "\xC9T\xC9.txt"}));
  EXPECT_EQ(FindFiles("*", 0), (Names{"caf\xE9.txt", "Save.dat", "save.dat", "\xC9T\xC9.txt"}));
  EXPECT_EQ(FindFiles("*", kAttributeHidden | kAttributeDirectory),
            (Names{".", "..", ".hidden", "caf\xE9.txt", "Data", "Save.dat", "save.dat",
                   "\xC9T\xC9.txt"}));
  EXPECT_EQ(FindFiles("data\\LEVELS\\*.txt", 0), (Names{"One.TXT"}));
  EXPECT_EQ(FindFiles("missing\\*", 63), (Names{}));
  EXPECT_EQ(FindFiles("data\\", 63), (Names{}));
  EXPECT_EQ(ReadFileAttributes(At("Data")), kAttributeDirectory);
  EXPECT_EQ(ReadFileAttributes(At(".hidden")), kAttributeHidden | kAttributeArchive);
  EXPECT_EQ(ReadFileAttributes(At("nothing")), -1);
  EXPECT_EQ(ReadFileAttributes("/dev/null") & kAttributeSystem, kAttributeSystem);
}

}  // namespace
}  // namespace vendrel::platform
