// Playing, looping, stopping and the level controls of the engine, measured
// on rendered sound.
#include <gtest/gtest.h>

#include <cmath>

#include "sound/sound_engine.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

TEST(Playback, StartsAndStopsAtTheRightSample) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Ramp(1000)), ".wav", 0);
  ASSERT_GE(s, 0);
  RenderFrames(engine, 300);  // silence before
  engine.Play(s, false);
  EXPECT_TRUE(engine.IsPlaying(s));
  Stereo out = RenderFrames(engine, 1200);
  std::vector<float> ramp = Ramp(1000);
  for (size_t i = 0; i < 1000; ++i) {
    ASSERT_EQ(out.L(i), ramp[i]) << "frame " << i;
    ASSERT_EQ(out.R(i), ramp[i]) << "frame " << i;
  }
  for (size_t i = 1000; i < 1200; ++i) ASSERT_EQ(out.L(i), 0.0f) << "frame " << i;
  EXPECT_FALSE(engine.IsPlaying(s));
  EXPECT_EQ(engine.FramesRendered(), 1500u);
}

TEST(Playback, StopEndsTheSoundAtTheNextRender) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(5000, 0.25f)), ".wav", 0);
  engine.Play(s, false);
  Stereo first = RenderFrames(engine, 100);
  EXPECT_EQ(first.L(99), 0.25f);
  engine.Stop(s);
  // The game sees the stop at once, before the mixer has run.
  EXPECT_FALSE(engine.IsPlaying(s));
  Stereo second = RenderFrames(engine, 100);
  EXPECT_EQ(Peak(second.samples), 0.0);
  // Playing again after a stop starts from the beginning.
  engine.Play(s, false);
  EXPECT_TRUE(engine.IsPlaying(s));
  EXPECT_EQ(RenderFrames(engine, 1).L(0), 0.25f);
}

TEST(Playback, LoopRepeatsSeamlesslyUntilStopped) {
  SoundEngine engine(kRate);
  std::vector<float> ramp = Ramp(100);
  int s = engine.LoadFromMemory(FloatWav(ramp), ".wav", 0);
  engine.Play(s, true);
  Stereo out = RenderFrames(engine, 1050);
  for (size_t i = 0; i < 1050; ++i) ASSERT_EQ(out.L(i), ramp[i % 100]) << "frame " << i;
  EXPECT_TRUE(engine.IsPlaying(s));
  engine.Stop(s);
  EXPECT_EQ(Peak(RenderFrames(engine, 200).samples), 0.0);
  EXPECT_FALSE(engine.IsPlaying(s));
}

TEST(Playback, PlaysOfOneSoundOverlapAndAdd) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(1000, 0.25f)), ".wav", 0);
  engine.Play(s, false);
  RenderFrames(engine, 500);
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, 1100);
  EXPECT_EQ(out.L(0), 0.5f);  // both
  EXPECT_EQ(out.L(499), 0.5f);
  EXPECT_EQ(out.L(500), 0.25f);  // the first has ended
  EXPECT_EQ(out.L(999), 0.25f);
  EXPECT_EQ(out.L(1000), 0.0f);
}

TEST(Playback, StereoSoundsKeepTheirChannels) {
  SoundEngine engine(kRate);
  std::vector<float> frames;
  for (int i = 0; i < 100; ++i) frames.insert(frames.end(), {0.5f, -0.25f});
  int s = engine.LoadFromMemory(FloatWav(frames, 2), ".wav", 0);
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, 100);
  EXPECT_EQ(out.L(50), 0.5f);
  EXPECT_EQ(out.R(50), -0.25f);
}

TEST(Playback, SixteenBitFilesAtOtherRatesAreConverted) {
  SoundEngine engine(kRate);
  // 100 Hz at 22050 Hz, one second: it must still last one second and
  // sound at 100 Hz.
  std::vector<int16_t> samples(22050);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(std::lround(16384 * std::sin(2 * std::numbers::pi * 100 * double(i) / 22050)));
  int s = engine.LoadFromMemory(Pcm16Wav(samples, 1, 22050), ".WAV", 0);
  ASSERT_GE(s, 0);
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, kRate + 100);
  std::vector<float> left = out.Left();
  EXPECT_NEAR(ZeroCrossingFrequency(left, 0, kRate), 100.0, 0.5);
  EXPECT_NEAR(ToneAmplitude(left, 100, 0, kRate), 0.5, 0.01);
  EXPECT_GT(Peak(left, kRate - 200, kRate - 1), 0.1);
  EXPECT_EQ(Peak(left, kRate + 2), 0.0);
}

TEST(Playback, UndecodableDataGivesNoEntry) {
  SoundEngine engine(kRate);
  std::vector<uint8_t> junk = {'R', 'I', 'F', 'F', 1, 2, 3, 4, 'W', 'A', 'V', 'E', 9, 9};
  EXPECT_EQ(engine.LoadFromMemory(junk, ".wav", 0), -1);
  EXPECT_EQ(engine.LoadFromMemory({}, ".wav", 0), -1);
  // A memory image cannot go to the media player.
  EXPECT_EQ(engine.LoadFromMemory(FloatWav(Constant(10, 0.1f)), ".wav", 3), -1);
  EXPECT_EQ(engine.EntryCount(), 0);
}

TEST(Playback, FreedEntriesAreReusedFirstFreeFirst) {
  SoundEngine engine(kRate);
  std::vector<uint8_t> wav = FloatWav(Constant(10, 0.1f));
  EXPECT_EQ(engine.LoadFromMemory(wav, ".wav", 0), 0);
  EXPECT_EQ(engine.LoadFromMemory(wav, ".wav", 0), 1);
  EXPECT_EQ(engine.LoadFromMemory(wav, ".wav", 0), 2);
  engine.Play(1, true);
  engine.Free(1);
  engine.Free(0);
  EXPECT_FALSE(engine.InUse(0));
  EXPECT_EQ(engine.EntryKind(1), -1);
  EXPECT_EQ(engine.LoadFromMemory(wav, ".wav", 1), 0);
  EXPECT_EQ(engine.LoadFromMemory(wav, ".wav", 0), 1);
  EXPECT_EQ(engine.EntryKind(0), 1);
  EXPECT_EQ(engine.LoadFromMemory(wav, ".wav", -1), 3);
  EXPECT_EQ(engine.EntryKind(3), 0);  // unknown kinds play as normal sounds
  // The freed looping sound is silent.
  EXPECT_EQ(Peak(RenderFrames(engine, 100).samples), 0.0);
  // Operations on free or missing entries do nothing.
  engine.Play(7, false);
  engine.Stop(-1);
  engine.SetVolume(9, 0, 0.5);
  EXPECT_FALSE(engine.IsPlaying(7));
}

TEST(Playback, MusicReplacesMusicButNormalSoundsOverlap) {
  SoundEngine engine(kRate);
  int music_a = engine.LoadFromMemory(FloatWav(Constant(100, 0.125f)), ".wav", 1);
  int music_b = engine.LoadFromMemory(FloatWav(Constant(100, 0.25f)), ".wav", 1);
  int effect = engine.LoadFromMemory(FloatWav(Constant(100, 0.5f)), ".wav", 0);
  engine.Play(music_a, true);
  engine.Play(effect, true);
  EXPECT_EQ(RenderFrames(engine, 10).L(5), 0.625f);
  engine.Play(music_b, true);
  EXPECT_FALSE(engine.IsPlaying(music_a));
  EXPECT_TRUE(engine.IsPlaying(music_b));
  EXPECT_TRUE(engine.IsPlaying(effect));
  EXPECT_EQ(RenderFrames(engine, 10).L(5), 0.75f);
  // The same music started again replaces itself rather than doubling.
  engine.Play(music_b, true);
  EXPECT_EQ(RenderFrames(engine, 10).L(5), 0.75f);
  engine.StopAll();
  EXPECT_FALSE(engine.IsPlaying(music_b));
  EXPECT_FALSE(engine.IsPlaying(effect));
  EXPECT_EQ(Peak(RenderFrames(engine, 10).samples), 0.0);
}

TEST(Playback, PanAttenuatesTheFarChannel) {
  struct Case {
    double pan;
    int value;
    double left, right;
  };
  const Case cases[] = {
      {0, 0, 1, 1},
      {-1, -10000, 1, 0},
      {1, 10000, 0, 1},
      {0.5, 5000, std::pow(10.0, -2.5), 1},     // far side 50 dB down
      {-0.1, -1000, 1, std::pow(10.0, -0.5)},   // 10 dB
      {3, 10000, 0, 1},                         // held at the ends
  };
  for (const Case& c : cases) {
    SoundEngine engine(kRate);
    int s = engine.LoadFromMemory(FloatWav(Constant(100, 0.5f)), ".wav", 0);
    engine.SetPan(s, c.pan);
    EXPECT_EQ(engine.PanValue(s), c.value) << c.pan;
    engine.Play(s, false);
    Stereo out = RenderFrames(engine, 10);
    EXPECT_NEAR(out.L(5), 0.5 * c.left, 1e-6) << c.pan;
    EXPECT_NEAR(out.R(5), 0.5 * c.right, 1e-6) << c.pan;
  }
}

TEST(Playback, VolumeIsAttenuationInHundredthsOfADecibel) {
  struct Case {
    double volume;
    int value;
    double gain;
  };
  const Case cases[] = {
      {1, 0, 1},
      {0.5, -4800, std::pow(10.0, -2.4)},
      {0.75, -2400, std::pow(10.0, -1.2)},
      {0, -9600, std::pow(10.0, -4.8)},
      {1.5, 4800, 1},  // sent unclamped, but the level stops at 0 dB
  };
  for (const Case& c : cases) {
    SoundEngine engine(kRate);
    int s = engine.LoadFromMemory(FloatWav(Constant(100, 0.5f)), ".wav", 0);
    engine.SetVolume(s, 0, c.volume);
    EXPECT_EQ(engine.VolumeValue(s), c.value) << c.volume;
    engine.Play(s, false);
    EXPECT_NEAR(RenderFrames(engine, 10).L(5), 0.5 * c.gain, 1e-6) << c.volume;
  }
}

TEST(Playback, FadeFollowsALinearDecibelCurve) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(3 * kRate, 0.5f)), ".wav", 0);
  engine.Play(s, false);
  engine.SetVolume(s, 1000, 0.0);  // to -96 dB over one second
  Stereo out = RenderFrames(engine, 2 * kRate);
  for (size_t frame : {size_t(0), size_t(4410), size_t(11025), size_t(22050), size_t(33075), size_t(44099)}) {
    double mb = -9600.0 * double(frame) / kRate;
    EXPECT_NEAR(out.L(frame), 0.5 * std::pow(10.0, mb / 2000), 1e-5) << "frame " << frame;
  }
  EXPECT_NEAR(out.L(kRate + 1000), 0.5 * std::pow(10.0, -4.8), 1e-7);

  // A new fade starts from the level reached, not from the old target.
  engine.SetVolume(s, 0, 1.0);
  engine.SetVolume(s, 500, 0.5);  // 0 -> -4800 over 22050 frames
  RenderFrames(engine, 11025);   // half way: -2400
  engine.SetVolume(s, 500, 1.0);  // back up from -2400 to 0
  Stereo back = RenderFrames(engine, 22050);
  EXPECT_NEAR(back.L(0), 0.5 * std::pow(10.0, -1.2), 1e-5);
  EXPECT_NEAR(back.L(11025), 0.5 * std::pow(10.0, -0.6), 1e-5);
  EXPECT_NEAR(back.L(22049), 0.5, 1e-4);
}

TEST(Playback, FrequencyChangesPitchAndLength) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Sine(kRate, 441, 0.5f)), ".wav", 0);
  engine.SetFrequency(s, 2.0);
  engine.Play(s, false);
  std::vector<float> left = RenderFrames(engine, kRate).Left();
  EXPECT_NEAR(ZeroCrossingFrequency(left, 0, kRate / 2 - 10), 882.0, 1.0);
  EXPECT_NEAR(ToneAmplitude(left, 882, 0, kRate / 2), 0.5, 0.01);
  // Twice as fast: over after half the frames.
  EXPECT_EQ(Peak(left, kRate / 2 + 1), 0.0);
  EXPECT_FALSE(engine.IsPlaying(s));

  engine.SetFrequency(s, 0.5);
  engine.Play(s, false);
  left = RenderFrames(engine, kRate).Left();
  EXPECT_NEAR(ZeroCrossingFrequency(left, 0, kRate), 220.5, 0.5);
  EXPECT_TRUE(engine.IsPlaying(s));
}

TEST(Playback, MasterVolumeValuesAndLevel) {
  struct Case {
    double volume;
    int value;
  };
  const Case cases[] = {{1, 1000}, {0.95, 450}, {2, 1000}, {0.5, -4500}, {0, -10000}, {-1, -10000}};
  for (const Case& c : cases) {
    SoundEngine engine(kRate);
    engine.SetMasterVolume(c.volume);
    EXPECT_EQ(engine.MasterVolumeValue(), c.value) << c.volume;
    int s = engine.LoadFromMemory(FloatWav(Constant(100, 0.5f)), ".wav", 0);
    engine.Play(s, false);
    // The top value plays sounds at their recorded level.
    double gain = std::pow(10.0, (c.value - 1000) / 2000.0);
    EXPECT_NEAR(RenderFrames(engine, 10).L(5), 0.5 * gain, 1e-6) << c.volume;
  }
}

TEST(Playback, TempoIsHeldWithinItsRange) {
  SoundEngine engine(kRate);
  const std::pair<double, double> cases[] = {{0, 0.01}, {1, 1}, {2.5, 2.5}, {1000, 100}, {-3, 0.01}};
  for (auto [tempo, sent] : cases) {
    engine.SetTempo(tempo);
    EXPECT_EQ(engine.TempoValue(), sent) << tempo;
  }
}

TEST(Playback, OutputIsClippedToFullScale) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(100, 0.75f)), ".wav", 0);
  engine.Play(s, false);
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, 10);
  EXPECT_EQ(out.L(3), 1.0f);
}

TEST(Playback, EveryVoiceBusyTheOldestGivesWay) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(1000, 0.001f)), ".wav", 0);
  for (int i = 0; i < kMaxVoices + 10; ++i) engine.Play(s, true);
  Stereo out = RenderFrames(engine, 10);
  EXPECT_NEAR(out.L(0), 0.001 * kMaxVoices, 1e-5);
  EXPECT_TRUE(engine.IsPlaying(s));
  engine.Stop(s);
  EXPECT_EQ(Peak(RenderFrames(engine, 10).samples), 0.0);
}

}  // namespace
}  // namespace vendrel::sound
