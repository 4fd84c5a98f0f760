// The sound functions of the game language, called through the registry
// on the sound resources of a game.
#include <gtest/gtest.h>

#include <filesystem>

#include "code/errors.h"
#include "code/function_registry.h"
#include "platform/message_box.h"
#include "resources/game_resources.h"
#include "resources/sound.h"
#include "runtime/hooks.h"
#include "sound/functions_sound.h"
#include "sound/sound_system.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;
using interp::RValue;

RValue Call(std::string_view name, std::vector<RValue> args) {
  static const bool registered = (RegisterSoundFunctions(), true);
  (void)registered;
  int index = code::FindBuiltinFunction(name);
  if (index < 0) {
    ADD_FAILURE() << "no function " << name;
    return RValue();
  }
  const code::RBuiltinFunction& function = code::BuiltinFunctionAt(index);
  EXPECT_EQ(function.argcount, int(args.size())) << name;
  int argc = int(args.size());
  args.resize(16);
  RValue result;
  function.handler(nullptr, nullptr, argc, result, args.data());
  return result;
}

RValue R(double v) { return RValue(v); }

class SoundFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetHeadless(true);
    code::ErrorSettings().write_error_log = false;
    code::ErrorSettings().show_errors = false;
    code::Errors() = code::ErrorState();
    resources::Resources().sounds.Reset();
    SetTempFileMaker([this](std::string_view suffix) {
      return dir_.File("a" + std::to_string(++temp_count_) + std::string(suffix));
    });
    StartSoundSystem(true);
  }
  void TearDown() override {
    ShutdownSoundSystem();
    resources::Resources().sounds.Reset();
    SetTempFileMaker(nullptr);
  }

  // Adds a sound resource holding [wav] and gives its index.
  int AddResource(std::vector<uint8_t> bytes, int kind, bool preload = true, std::string type = ".wav") {
    auto sound = std::make_unique<resources::CSound>();
    sound->kind = kind;
    sound->file_type = type;
    sound->data = std::move(bytes);
    sound->preload = preload;
    resources::CSound* raw = sound.get();
    int index = resources::Resources().sounds.Add(std::move(sound), "snd");
    if (preload) PrepareSound(*raw);
    return index;
  }
  resources::CSound& Sound(int index) { return *resources::Resources().sounds.Get(index); }
  std::string LastError() { return code::Errors().last_error; }

  TempDir dir_;
  int temp_count_ = 0;
};

TEST_F(SoundFunctions, PlayLoopStopAndIsPlaying) {
  int s = AddResource(FloatWav(Ramp(100)), 0);
  Call("sound_loop", {R(s)});
  EXPECT_EQ(Call("sound_isplaying", {R(s)}).real, 1);
  Stereo out = RenderFrames(Engine(), 250);
  EXPECT_EQ(out.L(150), Ramp(100)[50]);
  Call("sound_stop", {R(s)});
  EXPECT_EQ(Call("sound_isplaying", {R(s)}).real, 0);
  Call("sound_play", {R(s)});
  RenderFrames(Engine(), 50);
  EXPECT_EQ(Call("sound_isplaying", {R(s)}).real, 1);
  Call("sound_stop_all", {});
  EXPECT_EQ(Call("sound_isplaying", {R(s)}).real, 0);
  EXPECT_TRUE(LastError().empty());
}

TEST_F(SoundFunctions, MissingSoundsReportOrAnswerFalse) {
  const char* reporting[] = {"sound_play", "sound_loop", "sound_stop"};
  for (const char* name : reporting) {
    code::Errors() = code::ErrorState();
    Call(name, {R(7)});
    EXPECT_NE(LastError().find("Sound does not exist."), std::string::npos) << name;
  }
  code::Errors() = code::ErrorState();
  Call("sound_volume", {R(-1), R(0.5)});
  EXPECT_NE(LastError().find("Sound does not exist."), std::string::npos);
  code::Errors() = code::ErrorState();
  EXPECT_EQ(Call("sound_isplaying", {R(3)}).real, 0);
  EXPECT_TRUE(LastError().empty());
}

TEST_F(SoundFunctions, SoundsArePreparedOnFirstUse) {
  int s = AddResource(FloatWav(Constant(100, 0.5f)), 0, false);
  EXPECT_EQ(Sound(s).engine_index, -1);
  Call("sound_volume", {R(s), R(0.5)});
  ASSERT_GE(Sound(s).engine_index, 0);
  EXPECT_EQ(Engine().VolumeValue(Sound(s).engine_index), -4800);
  Call("sound_play", {R(s)});
  EXPECT_NEAR(RenderFrames(Engine(), 10).L(5), 0.5 * std::pow(10.0, -2.4), 1e-6);
}

TEST_F(SoundFunctions, PreparingAppliesTheStoredEffectsVolumeAndPan) {
  auto sound = std::make_unique<resources::CSound>();
  sound->kind = 0;
  sound->file_type = ".wav";
  sound->data = FloatWav(Constant(100, 0.5f));
  sound->effects = kEffectGargle | kEffectEqualizer;
  sound->volume = 0.75;
  sound->pan = 1;
  ASSERT_TRUE(PrepareSound(*sound));
  int e = sound->engine_index;
  EXPECT_EQ(Engine().EffectBits(e), kEffectGargle | kEffectEqualizer);
  EXPECT_EQ(Engine().VolumeValue(e), -2400);
  EXPECT_EQ(Engine().PanValue(e), 10000);
  // Preparing again replaces the entry instead of leaving it behind.
  auto entries_in_use = [] {
    int n = 0;
    for (int i = 0; i < Engine().EntryCount(); ++i) n += Engine().InUse(i);
    return n;
  };
  EXPECT_EQ(entries_in_use(), 1);
  ASSERT_TRUE(PrepareSound(*sound));
  ASSERT_TRUE(PrepareSound(*sound));
  EXPECT_EQ(entries_in_use(), 1);
  DiscardSound(*sound);
  EXPECT_EQ(sound->engine_index, -1);
  EXPECT_TRUE(sound->data.has_value());  // kept for the next preparation
}

TEST_F(SoundFunctions, MediaPlayerSoundsGoThroughATemporaryFile) {
  std::vector<uint8_t> wav = FloatWav(Constant(100, 0.5f));
  int s = AddResource(wav, 3);
  resources::CSound& sound = Sound(s);
  EXPECT_FALSE(sound.data.has_value());
  ASSERT_FALSE(sound.temp_file.empty());
  EXPECT_EQ(sound.temp_file.substr(sound.temp_file.size() - 4), ".wav");
  EXPECT_EQ(std::filesystem::file_size(sound.temp_file), wav.size());
  EXPECT_EQ(Engine().EntryKind(sound.engine_index), 3);
  Call("sound_play", {R(s)});
  EXPECT_EQ(Call("sound_isplaying", {R(s)}).real, 1);
  // Discarded and prepared again: from the temporary file.
  DiscardSound(sound);
  EXPECT_TRUE(PrepareSound(sound));
}

TEST_F(SoundFunctions, UndecodableSoundsBecomeMediaPlayerSounds) {
  int s = AddResource({'n', 'o', 'p', 'e'}, 0, true, ".avi");
  EXPECT_EQ(Sound(s).kind, 3);
  EXPECT_FALSE(Sound(s).temp_file.empty());
  // A sound without data has nothing to prepare.
  auto empty = std::make_unique<resources::CSound>();
  empty->kind = 0;
  EXPECT_FALSE(PrepareSound(*empty));
  EXPECT_EQ(empty->engine_index, -1);
}

TEST_F(SoundFunctions, LevelsAndEffectsThroughTheFunctions) {
  int s = AddResource(FloatWav(Constant(kRate, 0.5f)), 0);
  int e = Sound(s).engine_index;
  Call("sound_pan", {R(s), R(-0.5)});
  EXPECT_EQ(Engine().PanValue(e), -5000);
  Call("sound_fade", {R(s), R(0.5), R(1000)});
  EXPECT_EQ(Engine().VolumeValue(e), -4800);
  Call("sound_global_volume", {R(0.95)});
  EXPECT_EQ(Engine().MasterVolumeValue(), 450);
  Call("sound_background_tempo", {R(0)});
  EXPECT_EQ(Engine().TempoValue(), 0.01);
  Call("sound_set_search_directory", {RValue(std::string("/music"))});
  EXPECT_EQ(Engine().SearchDirectory(), "/music");
  Call("sound_effect_set", {R(s), R(kEffectGargle)});
  Call("sound_effect_gargle", {R(s), R(100), R(1)});
  Call("sound_global_volume", {R(1)});
  Call("sound_volume", {R(s), R(1)});
  Call("sound_pan", {R(s), R(0)});
  Call("sound_play", {R(s)});
  Stereo out = RenderFrames(Engine(), 500);
  EXPECT_EQ(out.L(10), 0.5f);
  EXPECT_EQ(out.L(300), 0.0f);
  // The other setters reach their units without disturbing anything.
  Call("sound_effect_set", {R(s), R(kEffectChorus | kEffectEcho | kEffectFlanger | kEffectReverb |
                                     kEffectCompressor | kEffectEqualizer)});
  Call("sound_effect_chorus", {R(s), R(50), R(10), R(25), R(1.1), R(1), R(16), R(3)});
  Call("sound_effect_echo", {R(s), R(50), R(50), R(500), R(500), R(0)});
  Call("sound_effect_flanger", {R(s), R(50), R(100), R(-50), R(0.25), R(1), R(2), R(2)});
  Call("sound_effect_reverb", {R(s), R(0), R(0), R(1000), R(0.001)});
  Call("sound_effect_compressor", {R(s), R(0), R(10), R(200), R(-20), R(3), R(4)});
  Call("sound_effect_equalizer", {R(s), R(8000), R(12), R(0)});
  EXPECT_GT(Peak(RenderFrames(Engine(), 2000).Left()), 0.01);
  EXPECT_TRUE(LastError().empty());
}

TEST_F(SoundFunctions, ThreeDFunctionsPlaceA3DSound) {
  int s = AddResource(FloatWav(Constant(1000, 0.5f)), 2);
  Call("sound_3d_set_sound_distance", {R(s), R(1), R(100)});
  Call("sound_3d_set_sound_position", {R(s), R(4), R(0), R(0)});
  Call("sound_3d_set_sound_velocity", {R(s), R(0), R(0), R(0)});
  Call("sound_3d_set_sound_cone", {R(s), R(-1), R(0), R(0), R(360), R(360), R(1)});
  Call("sound_play", {R(s)});
  Stereo out = RenderFrames(Engine(), 10);
  EXPECT_NEAR(out.R(5), 0.125, 1e-6);
  EXPECT_NEAR(out.L(5), 0.0, 1e-6);
}

TEST_F(SoundFunctions, CdFunctionsWithoutADriveAreNeutral) {
  for (const char* name : {"cd_present", "cd_number", "cd_playing", "cd_paused", "cd_track", "cd_length",
                           "cd_position", "cd_track_position"})
    EXPECT_EQ(Call(name, {}).real, 0) << name;
  EXPECT_EQ(Call("cd_track_length", {R(1)}).real, 0);
  Call("cd_init", {});
  Call("cd_play", {R(1), R(3)});
  Call("cd_set_position", {R(1000)});
  RValue reply = Call("MCI_command", {RValue(std::string("status cdaudio mode"))});
  EXPECT_TRUE(reply.IsString());
  EXPECT_EQ(reply.str, "");
}

TEST_F(SoundFunctions, TableAddReplaceAndDelete) {
  std::string file = dir_.Write("Boom.WAV", FloatWav(Constant(100, 0.5f)));
  resources::Resources().sounds.Reset(2);
  int index = sound::AddSound(file, 0, true);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(resources::Resources().sounds.Name(2), "__newsound2");
  resources::CSound& sound = Sound(2);
  EXPECT_EQ(sound.file_type, ".WAV");
  EXPECT_EQ(sound.file_name, "Boom.WAV");
  EXPECT_EQ(sound.volume, 1);
  EXPECT_GE(sound.engine_index, 0);
  EXPECT_EQ(sound::AddSound(dir_.File("missing.wav"), 0, true), -1);
  EXPECT_EQ(resources::Resources().sounds.Count(), 3);

  // Replace into an empty slot makes the sound there.
  EXPECT_TRUE(ReplaceSound(0, file, 1, false));
  EXPECT_EQ(Sound(0).kind, 1);
  EXPECT_EQ(Sound(0).engine_index, -1);
  EXPECT_FALSE(ReplaceSound(5, file, 0, true));
  EXPECT_FALSE(ReplaceSound(0, dir_.File("missing.wav"), 0, true));

  int engine_index = sound.engine_index;
  EXPECT_TRUE(DeleteSound(2));
  EXPECT_FALSE(resources::Resources().sounds.Exists(2));
  EXPECT_FALSE(Engine().InUse(engine_index));
  EXPECT_FALSE(DeleteSound(2));
}

TEST_F(SoundFunctions, StartUpHooksPrepareSoundsAndShutDownCompletesTheFile) {
  const std::string wav = dir_.File("game.wav");
  ASSERT_TRUE(StartOfflineOutput(wav));
  auto sound = std::make_unique<resources::CSound>();
  sound->kind = 0;
  sound->file_type = ".wav";
  sound->data = FloatWav(Constant(1000, 0.5f));
  resources::CSound* raw = sound.get();
  resources::Resources().sounds.Add(std::move(sound), "snd");
  auto lazy = std::make_unique<resources::CSound>(*raw);
  lazy->preload = false;
  resources::CSound* raw_lazy = lazy.get();
  resources::Resources().sounds.Add(std::move(lazy), "lazy");

  InstallSoundHooks();
  ASSERT_TRUE(runtime::Hooks().prepare_sounds());
  EXPECT_GE(raw->engine_index, 0);
  EXPECT_EQ(raw_lazy->engine_index, -1);
  Call("sound_play", {R(0)});
  RenderGameStep(30);
  RenderGameStep(30);
  runtime::Hooks().shut_down_sound();
  runtime::Hooks() = runtime::RuntimeHooks();
  EXPECT_EQ(raw->engine_index, -1);
  ASSERT_TRUE(std::filesystem::exists(wav));
  // Header, then two steps of 1470 stereo float frames.
  EXPECT_EQ(std::filesystem::file_size(wav), 58u + 2 * 1470 * 8);
}

TEST(SoundFunctionTable, NamesAndArgumentCounts) {
  RegisterSoundFunctions();
  const std::pair<const char*, int> expected[] = {
      {"sound_play", 1}, {"sound_loop", 1}, {"sound_stop", 1}, {"sound_stop_all", 0},
      {"sound_isplaying", 1}, {"sound_volume", 2}, {"sound_fade", 3}, {"sound_pan", 2},
      {"sound_background_tempo", 1}, {"sound_global_volume", 1}, {"sound_set_search_directory", 1},
      {"sound_effect_set", 2}, {"sound_effect_chorus", 8}, {"sound_effect_compressor", 7},
      {"sound_effect_echo", 6}, {"sound_effect_flanger", 8}, {"sound_effect_gargle", 3},
      {"sound_effect_equalizer", 4}, {"sound_effect_reverb", 5}, {"sound_3d_set_sound_position", 4},
      {"sound_3d_set_sound_velocity", 4}, {"sound_3d_set_sound_distance", 3}, {"sound_3d_set_sound_cone", 7},
      {"cd_init", 0}, {"cd_present", 0}, {"cd_number", 0}, {"cd_playing", 0}, {"cd_paused", 0},
      {"cd_track", 0}, {"cd_length", 0}, {"cd_track_length", 1}, {"cd_position", 0},
      {"cd_track_position", 0}, {"cd_play", 2}, {"cd_stop", 0}, {"cd_pause", 0}, {"cd_resume", 0},
      {"cd_set_position", 1}, {"cd_set_track_position", 1}, {"cd_open_door", 0}, {"cd_close_door", 0},
      {"MCI_command", 1},
  };
  for (auto [name, count] : expected) {
    int index = code::FindBuiltinFunction(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_EQ(code::FunctionArgCount(index), count) << name;
  }
}

}  // namespace
}  // namespace vendrel::sound
