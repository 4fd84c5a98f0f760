// Saved games: a game state written and read back whole (rooms, persistent
// rooms, active, inactive and destroyed instances, variables with arrays
// and strings, globals, tiles, views), damaged and foreign files that must
// leave the running game untouched, and saving that keeps the old file
// when the write fails.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/files.h"
#include "platform/paths.h"
#include "runner/game_data.h"
#include "runner/stream.h"
#include "runtime/saved_game.h"
#include "tests/runtime/game_fixture.h"
#include "tests/temp_path.h"

namespace vendrel::testing {
namespace {

using namespace resources;
using interp::RValue;
using runtime::CInstance;
using runtime::Game;
using runtime::SavedGameStatus;

constexpr int32_t kGameId = 4242;

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(platform::WriteFileAtomically(path, bytes.data(), bytes.size()));
}

void PutInteger(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
  ASSERT_LE(offset + 4, bytes.size());
  std::memcpy(bytes.data() + offset, &value, 4);
}

class SavedGameTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    runner::Identity().GameId = kGameId;
    runtime::InstallSavedGameHooks();
    code::ErrorSettings().show_errors = false;
    interp::GlobalVariables().Clear();
  }
  void TearDown() override {
    interp::GlobalVariables().Clear();
    for (const std::string& path : cleanup_) std::remove(path.c_str());
    GameTest::TearDown();
  }

  std::string Scratch(const std::string& suffix) {
    cleanup_.push_back(TestTempPath(suffix));
    return cleanup_.back();
  }

  // The running state as a saved-game image: equal images mean equal
  // saved state, field for field.
  static std::vector<uint8_t> Image() {
    runner::CStream stream;
    runtime::WriteSavedGame(stream);
    return stream.Bytes();
  }

  // A game in its second room (non-persistent) after a visit of a
  // persistent first room that holds an inactive and a destroyed instance;
  // instances and globals carry arrays and strings.
  void BuildGame() {
    const int o = AddObject("o");
    Code(o, kEventCreate, 0, "log('create', id)");
    Code(o, kEventOther, 4, "log('room start', id)");
    hall_ = AddRoom("hall");
    Room(hall_).persistent = true;
    vault_ = AddRoom("vault");
    for (int i = 0; i < 3; ++i) Place(hall_, o, 10 * i, 5);
    Place(vault_, o, 64, 32);
    ASSERT_TRUE(Prepare());
    runtime::StartGame();
    runtime::CRunRoom* hall = runtime::CurrentRoom();
    ASSERT_NE(hall, nullptr);
    hall->ActiveAt(0)->deactivated = true;
    hall->ApplyActivation();
    interp::SetVariable(hall->InactiveAt(0)->variables, 100001, 0, RValue("asleep"));
    runtime::GoToRoom(vault_);
    // Leaving a room sweeps it, so the instance is destroyed afterwards, as
    // by code that reaches into a room kept for later.
    Game().runtime_rooms[size_t(hall_)]->ActiveAt(0)->destroyed = true;

    runtime::CRunRoom* vault = runtime::CurrentRoom();
    ASSERT_NE(vault, nullptr);
    CInstance* hero = vault->ActiveAt(0);
    hero->SetPosition(70.5, 33.25);
    hero->SetSpeed(3);
    hero->SetDirection(45);
    hero->SetAlarm(3, 17);
    hero->path_index = 2;
    hero->path_position = 0.25;
    hero->timeline_index = 1;
    hero->timeline_position = 12;
    hero->creation_code = "x = 1";
    interp::SetVariable(hero->variables, 100001, 0, RValue(7.5));
    interp::SetVariable(hero->variables, 100002, 5, RValue("five"));         // a[5]
    interp::SetVariable(hero->variables, 100002, 2 * 32000 + 3, RValue(9));  // a[2, 3]
    interp::SetVariable(interp::GlobalVariables(), 100003, 0, RValue("global text"));
    interp::SetVariable(interp::GlobalVariables(), 100004, 40, RValue(-1.5));
    vault->data.caption = "The vault";
    vault->data.views_enabled = true;
    vault->data.views[1].visible = true;
    vault->data.views[1].view_x = 100;
    vault->data.views[1].angle = 30;
    vault->data.backgrounds[2].x = 12.5;
    vault->data.backgrounds[2].horizontal_speed = -0.5;
    vault->data.tiles.push_back({1.5, 2.5, 0, 4, 4, 16, 16, 1000, 10000001, 2, 1, 0xFF00, 0.5,
                                 false});
    Game().score = 1234;
    Game().lives = 3;
    Game().health = 42.5;
    Game().cursor_sprite = 5;
    Game().step_counter = 99;
    Game().transition_kind = 4;
    Game().automatic_draw = false;
    R().last_tile_id = 10000001;
  }

  // Moves the game elsewhere so that a load has everything to restore.
  void ChangeGame() {
    runtime::GoToRoom(hall_);
    Game().score = 1;
    Game().health = 1;
    interp::GlobalVariables().Clear();
    interp::SetVariable(interp::GlobalVariables(), 100009, 0, RValue(1));
    runtime::CurrentRoom()->CreateInstance(0, 1, 1);
    Log().clear();
  }

  int hall_ = -1;
  int vault_ = -1;
  std::vector<std::string> cleanup_;
};

TEST_F(SavedGameTest, LoadRestoresEveryRoomInstanceAndVariableWithoutEvents) {
  BuildGame();
  const std::vector<uint8_t> saved_image = Image();
  const int saved_instance_id = R().last_instance_id;
  const std::string file = Scratch(".sav");
  ASSERT_TRUE(runtime::SaveGame(file));
  EXPECT_EQ(ReadFileBytes(file), saved_image);

  ChangeGame();
  ASSERT_NE(Image(), saved_image);
  ASSERT_TRUE(runtime::LoadGame(file)) << code::Errors().last_error;

  EXPECT_TRUE(Log().empty()) << Log().front();  // no create or room start events
  EXPECT_EQ(Image(), saved_image);
  EXPECT_EQ(Game().room, vault_);
  EXPECT_EQ(R().last_instance_id, saved_instance_id);
  EXPECT_EQ(Game().score, 1234);
  EXPECT_EQ(Game().health, 42.5);
  EXPECT_FALSE(Game().automatic_draw);

  runtime::CRunRoom* vault = runtime::CurrentRoom();
  ASSERT_NE(vault, nullptr);
  ASSERT_EQ(vault->ActiveCount(), 1);
  CInstance* hero = vault->ActiveAt(0);
  EXPECT_EQ(vault->Find(hero->id), hero);  // the lists were rebuilt
  EXPECT_EQ(vault->FamilyCount(0), 1);
  EXPECT_EQ(hero->x, 70.5);
  EXPECT_EQ(hero->Alarm(3), 17);
  RValue value;
  ASSERT_TRUE(interp::GetVariable(hero->variables, 100002, 5, value));
  EXPECT_EQ(value.str, "five");
  ASSERT_TRUE(interp::GetVariable(hero->variables, 100002, 2 * 32000 + 3, value));
  EXPECT_EQ(value.real, 9);
  ASSERT_TRUE(interp::GetVariable(hero->variables, 100002, 3, value));
  EXPECT_TRUE(value.IsReal() && value.real == 0);  // grown with a[5]
  EXPECT_FALSE(interp::GetVariable(hero->variables, 100002, 6, value));
  ASSERT_TRUE(interp::GetVariable(interp::GlobalVariables(), 100003, 0, value));
  EXPECT_EQ(value.str, "global text");
  EXPECT_FALSE(interp::GetVariable(interp::GlobalVariables(), 100009, 0, value));
  ASSERT_EQ(vault->data.tiles.size(), 1u);
  EXPECT_EQ(vault->data.tiles[0].alpha, 0.5);

  // The persistent room keeps its inactive instance and its destroyed one,
  // which the next sweep removes.
  runtime::CRunRoom* hall = Game().runtime_rooms[size_t(hall_)].get();
  ASSERT_NE(hall, nullptr);
  ASSERT_EQ(hall->InactiveCount(), 1);
  EXPECT_FALSE(hall->InactiveAt(0)->active);
  EXPECT_TRUE(hall->InactiveAt(0)->deactivated);
  ASSERT_EQ(hall->ActiveCount(), 2);
  EXPECT_TRUE(hall->ActiveAt(0)->destroyed);
  hall->Sweep();
  EXPECT_EQ(hall->ActiveCount(), 1);
}

TEST_F(SavedGameTest, NonPersistentRoomsThatAreNotCurrentHaveNoSlot) {
  BuildGame();
  runtime::GoToRoom(hall_);  // the vault is not persistent: its state goes
  runner::CStream stream(Image());
  runtime::SavedGame saved;
  ASSERT_EQ(runtime::ParseSavedGame(stream, kGameId, saved), SavedGameStatus::kOk);
  ASSERT_EQ(saved.rooms.size(), 2u);
  EXPECT_NE(saved.rooms[size_t(hall_)], nullptr);
  EXPECT_EQ(saved.rooms[size_t(vault_)], nullptr);
}

// Every prefix of a good file is damaged; parsing must notice without
// reading past the end.
TEST_F(SavedGameTest, EveryTruncationIsDamaged) {
  BuildGame();
  const std::vector<uint8_t> image = Image();
  for (size_t length = 0; length < image.size(); ++length) {
    runner::CStream stream(std::vector<uint8_t>(image.begin(), image.begin() + ptrdiff_t(length)));
    runtime::SavedGame saved;
    ASSERT_EQ(runtime::ParseSavedGame(stream, kGameId, saved), SavedGameStatus::kDamaged)
        << "length " << length;
  }
}

TEST_F(SavedGameTest, BadFilesLeaveTheGameAsItWas) {
  BuildGame();
  const std::vector<uint8_t> good = Image();
  // Offsets in the image: the header is 11 words and a double; the
  // globals follow, then the slot count, then slot 0 (the hall).
  runner::CStream globals;
  interp::WriteVariables(interp::GlobalVariables(), globals);
  const size_t globals_at = 44;
  const size_t slots_at = globals_at + globals.Size();
  const size_t hall_at = slots_at + 8;  // after the count and the present flag
  // A room record: version, caption (empty), six words, creation code
  // (empty), then the layer count, eight layers of 80 bytes, views enabled,
  // the view count, eight views of 64 bytes, the active count.
  const size_t layers_at = hall_at + 36;
  const size_t views_at = layers_at + 4 + 8 * 80 + 4;
  const size_t active_at = views_at + 4 + 8 * 64;
  ASSERT_EQ(Room(hall_).caption, "");

  struct Case {
    const char* what;
    size_t offset;
    int32_t value;
    const char* message;
  };
  const std::string damaged = "the file is damaged.";
  const Case cases[] = {
      {"version", 0, 541, "Cannot load game saved with other version."},
      {"game id", 4, kGameId + 1, "This is a save file for a different game!"},
      {"room out of range", 8, 2, nullptr},
      {"room without a state", 8, -1, nullptr},
      {"globals version", globals_at, 441, nullptr},
      {"slot count", slots_at, 0x7FFFFFFF, nullptr},
      {"negative slot count", slots_at, -3, nullptr},
      {"room version", hall_at, 541, nullptr},
      {"nine layers", layers_at, 9, nullptr},
      {"seven layers", layers_at, 7, nullptr},
      {"many views", views_at, 1000, nullptr},
      {"negative active count", active_at, -1, nullptr},
      {"huge active count", active_at, 1 << 30, nullptr},
      {"active count past the instances", active_at, 3, nullptr},
  };
  const std::string file = Scratch(".sav");
  ChangeGame();
  const std::vector<uint8_t> before = Image();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = good;
    PutInteger(bytes, c.offset, c.value);
    WriteFileBytes(file, bytes);
    code::Errors().last_error.clear();
    EXPECT_FALSE(runtime::LoadGame(file));
    const std::string expected = c.message != nullptr ? c.message : damaged;
    const std::string& error = code::Errors().last_error;
    EXPECT_EQ(error.substr(error.size() - std::min(error.size(), expected.size())), expected)
        << error;
    EXPECT_EQ(Image(), before);
  }
  // A cut file reports the same, and the good file still loads after all.
  WriteFileBytes(file, std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(active_at)));
  EXPECT_FALSE(runtime::LoadGame(file));
  EXPECT_EQ(Image(), before);
  WriteFileBytes(file, good);
  EXPECT_TRUE(runtime::LoadGame(file));
  EXPECT_EQ(Image(), good);
}

TEST_F(SavedGameTest, MissingFileIsSilentlyIgnored) {
  BuildGame();
  const std::vector<uint8_t> before = Image();
  EXPECT_FALSE(runtime::LoadGame(Scratch(".missing")));
  EXPECT_FALSE(code::Errors().error_occurred);
  EXPECT_EQ(Image(), before);
}

TEST_F(SavedGameTest, FailedWriteKeepsTheEarlierSave) {
  BuildGame();
  // A name that fits the file system while the temporary file beside it
  // does not: the write fails even for root.
  const std::string directory = Scratch("_dir");
  ASSERT_EQ(std::system(("mkdir -p '" + directory + "'").c_str()), 0);
  const std::string file = directory + "/" + std::string(250, 's');
  cleanup_.insert(cleanup_.begin(), file);
  const std::vector<uint8_t> earlier = {'o', 'l', 'd'};
  std::ofstream(file, std::ios::binary) << "old";
  EXPECT_FALSE(runtime::SaveGame(file));
  EXPECT_EQ(code::Errors().last_error.substr(code::Errors().last_error.find("Failed")),
            "Failed to save game to file " + file);
  EXPECT_EQ(ReadFileBytes(file), earlier);
}

TEST_F(SavedGameTest, SecureModeRefusesFolderNames) {
  BuildGame();
  Game().secure_mode = true;
  const std::string file = Scratch(".sav");
  EXPECT_FALSE(runtime::SaveGame(file));
  EXPECT_EQ(code::Errors().last_error.substr(code::Errors().last_error.find("In secure")),
            "In secure mode you cannot save game to file " + file);
  EXPECT_FALSE(platform::FileExists(file));
  EXPECT_FALSE(runtime::SaveGame("dir\\save.sav"));

  // A plain name lands in the game's working directory.
  const std::string directory = Scratch("_wd");
  ASSERT_EQ(std::system(("mkdir -p '" + directory + "'").c_str()), 0);
  const std::string previous = platform::GameWorkingDirectory();
  platform::SetGameWorkingDirectory(directory);
  cleanup_.insert(cleanup_.begin(), directory + "/plain.sav");
  EXPECT_TRUE(runtime::SaveGame("plain.sav"));
  platform::SetGameWorkingDirectory(previous);
  EXPECT_TRUE(platform::FileExists(directory + "/plain.sav"));
}

}  // namespace
}  // namespace vendrel::testing
