#include "runner/container.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "runner/runner.h"

namespace vendrel::runner {
namespace {

namespace fs = std::filesystem;

Container SampleContainer() {
  Container container;
  container.remove_files_at_end = true;
  container.overwrite_files = false;
  container.extract_to_temp = 1;
  container.library = {"D3DX8.dll", {1, 2, 3}};
  container.extension_files = {{"music.dll", {4, 5}}, {"notes.txt", {'h', 'i'}}};
  container.game_data = {9, 8, 7, 6};
  return container;
}

std::vector<uint8_t> GameFile(const Container& container) {
  CStream out;
  std::vector<uint8_t> padding(kContainerOffset, 0);
  out.WriteBytes(padding.data(), padding.size());
  WriteContainer(out, container);
  return out.Bytes();
}

TEST(Container, RoundTrip) {
  CStream file(GameFile(SampleContainer()));
  ContainerReadResult read = ReadContainer(file);
  ASSERT_EQ(read.problem, ContainerProblem::None);
  const Container& back = read.container;
  EXPECT_TRUE(back.remove_files_at_end);
  EXPECT_FALSE(back.overwrite_files);
  EXPECT_EQ(back.extract_to_temp, 1);
  EXPECT_EQ(back.library.name, "D3DX8.dll");
  EXPECT_EQ(back.library.bytes, (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_EQ(back.extension_files.size(), 2u);
  EXPECT_EQ(back.extension_files[1].name, "notes.txt");
  EXPECT_EQ(back.game_data, (std::vector<uint8_t>{9, 8, 7, 6}));
}

TEST(Container, EmptyFileListIsJustReady) {
  Container container = SampleContainer();
  container.extension_files.clear();
  CStream file(GameFile(container));
  ContainerReadResult read = ReadContainer(file);
  ASSERT_EQ(read.problem, ContainerProblem::None);
  EXPECT_TRUE(read.container.extension_files.empty());
}

TEST(Container, DamagedFilesGiveTheirMessages) {
  std::vector<uint8_t> good = GameFile(SampleContainer());
  auto with_word = [&](size_t offset, int32_t value) {
    std::vector<uint8_t> copy = good;
    std::memcpy(copy.data() + offset, &value, 4);
    return copy;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    ContainerProblem expected;
  };
  std::vector<Case> cases = {
      {"shorter than the offset", std::vector<uint8_t>(kContainerOffset - 1), ContainerProblem::NotAGameFile},
      {"empty", {}, ContainerProblem::NotAGameFile},
      {"wrong magic", with_word(kContainerOffset, 1234), ContainerProblem::NotAGameFile},
      {"wrong version", with_word(kContainerOffset + 4, 600), ContainerProblem::WrongVersion},
      {"ends at the magic", std::vector<uint8_t>(good.begin(), good.begin() + kContainerOffset + 4),
       ContainerProblem::Corrupted},
      {"truncated game data", std::vector<uint8_t>(good.begin(), good.end() - 2), ContainerProblem::Corrupted},
      {"library block of length 0", with_word(kContainerOffset + 20 + 9, 0), ContainerProblem::Corrupted},
  };
  for (const char* name : {"../evil.so", "/etc/evil", "sub/evil", "sub\\evil", "..", "", "C:evil"}) {
    Container hostile = SampleContainer();
    hostile.extension_files[0].name = name;
    cases.push_back({name, GameFile(hostile), ContainerProblem::Corrupted});
  }
  Container hostile_library = SampleContainer();
  hostile_library.library.name = "../D3DX8.dll";
  cases.push_back({"library name", GameFile(hostile_library), ContainerProblem::Corrupted});

  for (Case& c : cases) {
    CStream file(c.bytes);
    ContainerReadResult read = ReadContainer(file);
    EXPECT_EQ(read.problem, c.expected) << c.what;
    EXPECT_TRUE(read.container.extension_files.empty()) << c.what;
  }
  EXPECT_STREQ(ContainerProblemMessage(ContainerProblem::Corrupted),
               "Failed to load the game data. File seems corrupted.");
}

class SupportFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vendrel-support-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "temp");
    fs::create_directories(root_ / "current");
  }
  void TearDown() override { fs::remove_all(root_); }

  static std::string Contents(const fs::path& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  fs::path root_;
};

TEST_F(SupportFiles, ExistingUserFileIsKeptAndSurvivesTheEnd) {
  Container container = SampleContainer();
  container.extract_to_temp = 0;
  std::ofstream(root_ / "current" / "notes.txt") << "mine";

  ExtractedFiles extracted;
  ASSERT_TRUE(WriteSupportFiles(container, (root_ / "temp").string(),
                                (root_ / "current").string(), extracted));
  EXPECT_TRUE(fs::exists(root_ / "temp" / "D3DX8.dll"));
  EXPECT_EQ(Contents(root_ / "current" / "notes.txt"), "mine");
  EXPECT_EQ(Contents(root_ / "current" / "music.dll"), std::string("\x04\x05"));
  EXPECT_EQ(extracted.paths.size(), 2u);  // both are listed
  ASSERT_EQ(extracted.written.size(), 1u);

  RemoveExtractedFiles(extracted);
  EXPECT_FALSE(fs::exists(root_ / "current" / "music.dll"));
  EXPECT_EQ(Contents(root_ / "current" / "notes.txt"), "mine");
}

TEST_F(SupportFiles, OverwriteReplacesAndExtractToTempUsesTheTempDir) {
  Container container = SampleContainer();
  container.overwrite_files = true;
  container.remove_files_at_end = false;
  std::ofstream(root_ / "temp" / "notes.txt") << "old";
  ExtractedFiles extracted;
  ASSERT_TRUE(WriteSupportFiles(container, (root_ / "temp").string(),
                                (root_ / "current").string(), extracted));
  EXPECT_EQ(Contents(root_ / "temp" / "notes.txt"), "hi");
  EXPECT_TRUE(fs::is_empty(root_ / "current"));
  RemoveExtractedFiles(extracted);  // not asked for: everything stays
  EXPECT_TRUE(fs::exists(root_ / "temp" / "notes.txt"));
}

}  // namespace
}  // namespace vendrel::runner
