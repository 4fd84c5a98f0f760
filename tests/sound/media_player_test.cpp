// Kind 3: files played one at a time by the media player, outside volume,
// pan, effects and the master volume.
#include <gtest/gtest.h>

#include <filesystem>

#include "sound/sound_engine.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

TEST(MediaPlayer, PlaysOneFileAtATime) {
  TempDir dir;
  SoundEngine engine(kRate);
  int a = engine.LoadFromFile(dir.Write("a.wav", FloatWav(Constant(1000, 0.25f))), 3);
  int b = engine.LoadFromFile(dir.Write("b.wav", FloatWav(Constant(1000, 0.5f))), 3);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_EQ(engine.EntryKind(a), 3);
  engine.Play(a, false);
  EXPECT_TRUE(engine.IsPlaying(a));
  EXPECT_EQ(RenderFrames(engine, 10).L(5), 0.25f);
  engine.Play(b, false);
  EXPECT_FALSE(engine.IsPlaying(a));
  EXPECT_TRUE(engine.IsPlaying(b));
  EXPECT_EQ(engine.MediaPlayerFile(), dir.File("b.wav"));
  Stereo out = RenderFrames(engine, 1100);
  EXPECT_EQ(out.L(5), 0.5f);
  EXPECT_EQ(out.L(999), 0.5f);
  EXPECT_EQ(out.L(1000), 0.0f);
  EXPECT_FALSE(engine.IsPlaying(b));
}

TEST(MediaPlayer, StopActsOnlyOnTheOpenFile) {
  TempDir dir;
  SoundEngine engine(kRate);
  int a = engine.LoadFromFile(dir.Write("a.wav", FloatWav(Constant(1000, 0.25f))), 3);
  int b = engine.LoadFromFile(dir.Write("b.wav", FloatWav(Constant(1000, 0.5f))), 3);
  engine.Play(a, true);
  engine.Stop(b);  // not the player's file: nothing happens
  EXPECT_TRUE(engine.IsPlaying(a));
  EXPECT_EQ(RenderFrames(engine, 10).L(5), 0.25f);
  engine.Stop(a);
  EXPECT_FALSE(engine.IsPlaying(a));
  EXPECT_EQ(Peak(RenderFrames(engine, 10).samples), 0.0);
}

TEST(MediaPlayer, LoopsAndIgnoresLevelControls) {
  TempDir dir;
  SoundEngine engine(kRate);
  std::vector<float> ramp = Ramp(100);
  int a = engine.LoadFromFile(dir.Write("a.wav", FloatWav(ramp)), 3);
  engine.SetVolume(a, 0, 0.0);
  engine.SetPan(a, 1);
  engine.SetEffects(a, kEffectEcho);
  engine.SetMasterVolume(0);
  EXPECT_EQ(engine.VolumeValue(a), 0);
  EXPECT_EQ(engine.EffectBits(a), 0);
  engine.Play(a, true);
  Stereo out = RenderFrames(engine, 350);
  for (size_t i = 0; i < 350; ++i) ASSERT_EQ(out.L(i), ramp[i % 100]) << i;
  EXPECT_EQ(out.R(250), ramp[50]);
}

TEST(MediaPlayer, FilesThatCannotBeDecodedForTheMixerGoToThePlayer) {
  TempDir dir;
  SoundEngine engine(kRate);
  EXPECT_EQ(engine.LoadFromFile(dir.File("missing.wav"), 0), -1);
  // Not decodable as a normal sound: the entry becomes a player entry,
  // which opens nothing and so never plays.
  int junk = engine.LoadFromFile(dir.Write("junk.mov", {1, 2, 3, 4, 5, 6}), 0);
  ASSERT_GE(junk, 0);
  EXPECT_EQ(engine.EntryKind(junk), 3);
  engine.Play(junk, false);
  EXPECT_FALSE(engine.IsPlaying(junk));
  EXPECT_EQ(Peak(RenderFrames(engine, 10).samples), 0.0);
  // A good file of kind 0 stays kind 0.
  int good = engine.LoadFromFile(dir.Write("good.wav", FloatWav(Constant(10, 0.5f))), 0);
  EXPECT_EQ(engine.EntryKind(good), 0);
}

TEST(MediaPlayer, AFileRemovedAfterLoadingDoesNotPlay) {
  TempDir dir;
  SoundEngine engine(kRate);
  std::string path = dir.Write("gone.wav", FloatWav(Constant(1000, 0.5f)));
  int a = engine.LoadFromFile(path, 3);
  std::filesystem::remove(path);
  engine.Play(a, false);
  EXPECT_FALSE(engine.IsPlaying(a));
  EXPECT_EQ(Peak(RenderFrames(engine, 10).samples), 0.0);
}

TEST(MediaPlayer, FreeingThePlayingEntryStopsThePlayer) {
  TempDir dir;
  SoundEngine engine(kRate);
  int a = engine.LoadFromFile(dir.Write("a.wav", FloatWav(Constant(1000, 0.5f))), 3);
  engine.Play(a, true);
  RenderFrames(engine, 10);
  engine.Free(a);
  EXPECT_EQ(Peak(RenderFrames(engine, 10).samples), 0.0);
  EXPECT_TRUE(engine.MediaPlayerFile().empty());
}

}  // namespace
}  // namespace vendrel::sound
