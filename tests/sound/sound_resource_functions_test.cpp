// The sound resource functions of game code: properties of sounds, sounds
// added from files while the game runs, replaced, deleted, discarded and
// restored, called through the registry.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "code/errors.h"
#include "code/function_registry.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "resources/game_resources.h"
#include "resources/sound.h"
#include "sound/functions_sound.h"
#include "sound/sound_system.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;
using interp::RValue;

RValue Call(std::string_view name, std::vector<RValue> args) {
  static const bool registered = (RegisterSoundFunctions(), RegisterSoundResourceFunctions(), true);
  (void)registered;
  const int index = code::FindBuiltinFunction(name);
  if (index < 0) {
    ADD_FAILURE() << "no function " << name;
    return RValue();
  }
  const code::RBuiltinFunction& function = code::BuiltinFunctionAt(index);
  EXPECT_EQ(function.argcount, int(args.size())) << name;
  const int argc = int(args.size());
  args.resize(16);
  RValue result;
  function.handler(nullptr, nullptr, argc, result, args.data());
  return result;
}

RValue R(double v) { return RValue(v); }
RValue S(std::string v) { return RValue(std::move(v)); }

class SoundResourceFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetHeadless(true);
    code::ErrorSettings().write_error_log = false;
    code::ErrorSettings().show_errors = false;
    code::Errors() = code::ErrorState();
    resources::Resources().sounds.Reset();
    SetTempFileMaker([this](std::string_view suffix) {
      return dir_.File("t" + std::to_string(++temp_count_) + std::string(suffix));
    });
    StartSoundSystem(true);
    previous_directory_ = platform::GameWorkingDirectory();
    platform::SetGameWorkingDirectory(dir_.path());
    std::filesystem::create_directory(dir_.File("Sounds"));
    dir_.Write("Sounds/beep.wav", FloatWav(Constant(200, 0.5f)));
    dir_.Write("ramp.wav", FloatWav(Ramp(300)));
  }
  void TearDown() override {
    platform::SetGameWorkingDirectory(previous_directory_);
    ShutdownSoundSystem();
    resources::Resources().sounds.Reset();
    SetTempFileMaker(nullptr);
  }
  resources::CSound* Sound(int index) { return resources::Resources().sounds.Get(index); }
  std::string LastError() { return code::Errors().last_error; }

  TempDir dir_;
  int temp_count_ = 0;
  std::string previous_directory_;
};

TEST_F(SoundResourceFunctions, MissingSoundsGiveNeutralAnswers) {
  resources::Resources().sounds.Reset(2);  // two empty slots
  struct Case {
    const char* name;
    double index;
    RValue answer;
  };
  const Case cases[] = {
      {"sound_name", 1, S("<undefined>")},   {"sound_get_name", 5, S("<undefined>")},
      {"sound_exists", 0, R(0)},             {"sound_exists", -1, R(0)},
      {"sound_get_kind", 1, R(-1)},          {"sound_get_preload", 9, R(-1)},
      {"sound_discard", 0, R(0)},            {"sound_restore", 0, R(0)},
  };
  for (const Case& c : cases) {
    const RValue got = Call(c.name, {R(c.index)});
    EXPECT_EQ(got.kind, c.answer.kind) << c.name;
    EXPECT_EQ(got.real, c.answer.real) << c.name;
    EXPECT_EQ(got.str, c.answer.str) << c.name;
  }
  EXPECT_EQ(LastError(), "");
}

TEST_F(SoundResourceFunctions, AddedSoundIsNamedPreparedAndPlays) {
  resources::Resources().sounds.Reset(3);
  // A Windows name relative to the game's directory, in other capitals.
  const int s = int(Call("sound_add", {S("sounds\\BEEP.wav"), R(0), R(1)}).real);
  ASSERT_EQ(s, 3);
  EXPECT_EQ(Call("sound_name", {R(s)}).str, "__newsound3");
  EXPECT_EQ(Call("sound_exists", {R(s)}).real, 1);
  EXPECT_EQ(Call("sound_get_kind", {R(s)}).real, 0);
  EXPECT_EQ(Call("sound_get_preload", {R(s)}).real, 1);
  EXPECT_EQ(Sound(s)->file_name, "beep.wav");
  EXPECT_EQ(Sound(s)->file_type, ".wav");
  EXPECT_GE(Sound(s)->engine_index, 0);  // prepared at once

  Call("sound_play", {R(s)});
  EXPECT_EQ(Call("sound_isplaying", {R(s)}).real, 1);
  Stereo out = RenderFrames(Engine(), 100);
  EXPECT_FLOAT_EQ(out.L(50), 0.5f);

  // Without preloading the sound is prepared when first played.
  const int later = int(Call("sound_add", {S("ramp.wav"), R(0), R(0.4)}).real);
  ASSERT_EQ(later, 4);
  EXPECT_EQ(Call("sound_get_preload", {R(later)}).real, 0);
  EXPECT_EQ(Sound(later)->engine_index, -1);
  Call("sound_play", {R(later)});
  EXPECT_GE(Sound(later)->engine_index, 0);
  EXPECT_EQ(LastError(), "");
}

TEST_F(SoundResourceFunctions, AddingAMissingFileGivesMinusOneAndNoSlot) {
  EXPECT_EQ(Call("sound_add", {S("nothing.wav"), R(0), R(1)}).real, -1);
  EXPECT_EQ(Call("sound_add", {S(""), R(0), R(1)}).real, -1);
  EXPECT_EQ(resources::Resources().sounds.Count(), 0);
  EXPECT_EQ(LastError(), "");
}

TEST_F(SoundResourceFunctions, DiscardAndRestoreFreeAndRemakeTheEngineEntry) {
  const int s = int(Call("sound_add", {S("ramp.wav"), R(0), R(1)}).real);
  ASSERT_GE(Sound(s)->engine_index, 0);
  Call("sound_loop", {R(s)});
  Call("sound_discard", {R(s)});
  EXPECT_EQ(Sound(s)->engine_index, -1);
  EXPECT_EQ(Call("sound_isplaying", {R(s)}).real, 0);  // freeing stops it
  EXPECT_TRUE(Sound(s)->data.has_value());            // the data stays
  Call("sound_restore", {R(s)});
  EXPECT_GE(Sound(s)->engine_index, 0);
  Call("sound_play", {R(s)});
  Stereo out = RenderFrames(Engine(), 10);
  EXPECT_EQ(out.L(0), Ramp(300)[0]);
}

TEST_F(SoundResourceFunctions, ReplaceAndDelete) {
  const int s = int(Call("sound_add", {S("ramp.wav"), R(0), R(1)}).real);
  ASSERT_EQ(s, 0);
  EXPECT_EQ(Call("sound_replace", {R(s), S("Sounds/beep.wav"), R(1), R(0)}).real, 1);
  EXPECT_EQ(Sound(s)->file_name, "beep.wav");
  EXPECT_EQ(Call("sound_get_kind", {R(s)}).real, 1);
  EXPECT_EQ(Call("sound_get_preload", {R(s)}).real, 0);
  EXPECT_EQ(Call("sound_name", {R(s)}).str, "__newsound0");  // the name stays

  // A file that is not there leaves the sound as it was.
  EXPECT_EQ(Call("sound_replace", {R(s), S("gone.wav"), R(0), R(1)}).real, 0);
  EXPECT_EQ(Sound(s)->file_name, "beep.wav");
  EXPECT_EQ(Sound(s)->kind, 1);
  EXPECT_TRUE(Sound(s)->data.has_value());
  EXPECT_EQ(LastError(), "");

  Call("sound_play", {R(s)});
  Call("sound_delete", {R(s)});
  EXPECT_EQ(Call("sound_exists", {R(s)}).real, 0);
  EXPECT_EQ(Call("sound_name", {R(s)}).str, "<undefined>");
  EXPECT_EQ(Call("sound_isplaying", {R(s)}).real, 0);
  EXPECT_EQ(LastError(), "");

  struct Case {
    const char* name;
    std::vector<RValue> args;
    const char* message;
  };
  const Case misuse[] = {
      {"sound_delete", {R(s)}, "Trying to delete non-existing sound."},
      {"sound_replace", {R(s), S("ramp.wav"), R(0), R(1)}, "Trying to replace non-existing sound."},
      {"sound_replace", {R(8), S("ramp.wav"), R(0), R(1)}, "Trying to replace non-existing sound."},
  };
  for (const Case& c : misuse) {
    code::Errors() = code::ErrorState();
    EXPECT_EQ(Call(c.name, c.args).real, 0) << c.name;
    EXPECT_NE(LastError().find(c.message), std::string::npos) << LastError();
  }
  // The deleted slot stays empty.
  EXPECT_EQ(resources::Resources().sounds.Count(), 1);
  EXPECT_EQ(Sound(s), nullptr);
}

}  // namespace
}  // namespace vendrel::sound
