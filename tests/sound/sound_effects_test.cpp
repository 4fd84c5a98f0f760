// Effects on sounds in the engine: setting them, their parameters, and
// their tails after the sound has ended.
#include <gtest/gtest.h>

#include <cmath>

#include "sound/sound_engine.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

std::vector<float> Click() {
  std::vector<float> s(10, 0.0f);
  s[0] = 1.0f;
  return s;
}

TEST(SoundEffects, EchoRingsOnAfterTheSoundHasEnded) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Click()), ".wav", 0);
  engine.SetEffects(s, kEffectEcho);
  engine.SetEffectParams(s, EchoParams{50, 50, 500, 500, 0});
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, kRate * 2);
  EXPECT_FALSE(engine.IsPlaying(s));
  EXPECT_FLOAT_EQ(out.L(0), 0.5f);
  EXPECT_FLOAT_EQ(out.L(kRate / 2), 0.5f);
  EXPECT_FLOAT_EQ(out.L(kRate), 0.25f);
  EXPECT_FLOAT_EQ(out.L(kRate * 3 / 2), 0.125f);
}

TEST(SoundEffects, ParametersNeedTheirEffectInPlace) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Click()), ".wav", 0);
  // No echo set: the parameters go nowhere, and setting the echo later
  // starts from its defaults (500 ms).
  engine.SetEffectParams(s, EchoParams{50, 0, 100, 100, 0});
  engine.SetEffects(s, kEffectEcho);
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, kRate);
  EXPECT_EQ(out.L(kRate / 10), 0.0f);
  EXPECT_FLOAT_EQ(out.L(kRate / 2), 0.5f);
}

TEST(SoundEffects, EqualizerParametersReachTheFirstOfItsTwoStages) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Sine(kRate, 1000, 0.1f)), ".wav", 0);
  engine.SetEffects(s, kEffectEqualizer);
  EXPECT_EQ(engine.EffectBits(s), kEffectEqualizer);
  engine.SetEffectParams(s, EqualizerParams{1000, 12, 12});
  engine.Play(s, false);
  std::vector<float> left = RenderFrames(engine, kRate).Left();
  // Only one stage boosts: +12 dB, not +24.
  EXPECT_NEAR(Db(ToneAmplitude(left, 1000, kRate / 2, kRate) / 0.1), 12.0, 0.1);
}

TEST(SoundEffects, RemovingEffectsRestoresTheDrySound) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(1000, 0.5f)), ".wav", 0);
  engine.SetEffects(s, kEffectGargle | kEffectCompressor);
  engine.SetEffects(s, 0);
  EXPECT_EQ(engine.EffectBits(s), 0);
  engine.Play(s, false);
  EXPECT_EQ(RenderFrames(engine, 100).L(77), 0.5f);
}

TEST(SoundEffects, GargleOnAPlayingSoundChangesItAtOnce) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(kRate, 0.5f)), ".wav", 0);
  engine.Play(s, false);
  RenderFrames(engine, 1000);
  engine.SetEffects(s, kEffectGargle);
  engine.SetEffectParams(s, GargleParams{100, 1});
  Stereo out = RenderFrames(engine, 1000);
  // 441-frame periods, on for the first half.
  EXPECT_EQ(out.L(10), 0.5f);
  EXPECT_EQ(out.L(300), 0.0f);
  EXPECT_EQ(out.L(451), 0.5f);
}

TEST(SoundEffects, EffectsFollowTheVolumeAndPan) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Click()), ".wav", 0);
  engine.SetEffects(s, kEffectEcho);
  engine.SetPan(s, -1);
  engine.SetVolume(s, 0, 0.5);
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, kRate);
  EXPECT_NEAR(out.L(kRate / 2), 0.5 * std::pow(10.0, -2.4), 1e-6);
  EXPECT_EQ(out.R(kRate / 2), 0.0f);
}

}  // namespace
}  // namespace vendrel::sound
