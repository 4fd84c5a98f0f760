// MIDI music through the General MIDI synthesizer: when it sounds, when it
// ends, looping and the tempo factor. Skipped where no sound font is
// installed.
#include <gtest/gtest.h>

#include "platform/audio_decoders.h"
#include "sound/sound_engine.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

class Midi : public ::testing::Test {
 protected:
  void SetUp() override {
    if (platform::GeneralMidiSoundFontPath().empty()) GTEST_SKIP() << "no General MIDI sound font";
  }
  // 960 ticks a second: one note from 0.25 s to 0.5 s, the piece ends at 1 s.
  std::vector<uint8_t> Piece() const { return MidiFile({{69, 240, 480}}, 960); }
};

TEST_F(Midi, NotesSoundAtTheirTimesAndThePieceEndsOnTime) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(Piece(), ".mid", 1);
  ASSERT_GE(s, 0);
  engine.Play(s, false);
  std::vector<float> left = RenderFrames(engine, kRate * 3 / 2).Left();
  // MIDI events take effect on 64-frame boundaries.
  EXPECT_LT(Peak(left, 0, kRate / 4 - 64), 1e-4);
  EXPECT_GT(Rms(left, kRate * 3 / 10, kRate * 9 / 20), 1e-3);
  // A4: 440 Hz dominates while the note is held.
  EXPECT_GT(ToneAmplitude(left, 440, kRate * 3 / 10, kRate * 9 / 20),
            4 * ToneAmplitude(left, 330, kRate * 3 / 10, kRate * 9 / 20));
  EXPECT_FALSE(engine.IsPlaying(s));

  // Still playing just before the end, not after it.
  engine.Play(s, false);
  RenderFrames(engine, kRate - 128);
  EXPECT_TRUE(engine.IsPlaying(s));
  RenderFrames(engine, 128);
  EXPECT_FALSE(engine.IsPlaying(s));
}

TEST_F(Midi, TempoScalesTheTimeline) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(Piece(), ".mid", 0);
  engine.SetTempo(2.0);
  engine.Play(s, false);
  std::vector<float> left = RenderFrames(engine, kRate).Left();
  // Twice as fast: the note sounds from 0.125 s to 0.25 s; the piece ends at 0.5 s.
  EXPECT_LT(Peak(left, 0, kRate / 8 - 64), 1e-4);
  EXPECT_GT(Rms(left, kRate * 3 / 20, kRate * 9 / 40), 1e-3);
  EXPECT_FALSE(engine.IsPlaying(s));
}

TEST_F(Midi, LoopingPiecesStartOverAndStopReleasesTheirNotes) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(Piece(), ".mid", 1);
  engine.Play(s, true);
  std::vector<float> left = RenderFrames(engine, kRate * 2).Left();
  // The note again in the second round.
  EXPECT_GT(Rms(left, kRate + kRate * 3 / 10, kRate + kRate * 9 / 20), 1e-3);
  EXPECT_TRUE(engine.IsPlaying(s));
  RenderFrames(engine, kRate * 3 / 10);  // into the third round's note
  engine.Stop(s);
  EXPECT_FALSE(engine.IsPlaying(s));
  // The released note fades away rather than holding on.
  std::vector<float> after = RenderFrames(engine, kRate * 2).Left();
  EXPECT_LT(Rms(after, kRate, kRate * 2), 1e-4);
}

TEST_F(Midi, MusicReplacesMidiMusic) {
  SoundEngine engine(kRate);
  int midi = engine.LoadFromMemory(Piece(), ".mid", 1);
  int wave = engine.LoadFromMemory(FloatWav(Constant(100, 0.25f)), ".wav", 1);
  engine.Play(midi, true);
  RenderFrames(engine, kRate / 2);
  engine.Play(wave, true);
  EXPECT_FALSE(engine.IsPlaying(midi));
  RenderFrames(engine, kRate);
  // Only the wave is left once the released notes have faded.
  Stereo out = RenderFrames(engine, 100);
  EXPECT_NEAR(out.L(50), 0.25, 1e-4);
}

}  // namespace
}  // namespace vendrel::sound
