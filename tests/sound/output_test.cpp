// The virtual clock of game steps and the WAV file written offline.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/audio_decoders.h"
#include "platform/audio_out.h"
#include "sound/sound_engine.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(GameSteps, EachStepRendersItsShareOfTheSecond) {
  struct Case {
    int speed;
    uint64_t first_step;
  };
  for (const Case c : {Case{30, 1470}, Case{60, 735}, Case{7, 6300}, Case{31, 1422}, Case{1, 44100}}) {
    SoundEngine engine(kRate);
    engine.RenderStep(c.speed);
    EXPECT_EQ(engine.FramesRendered(), c.first_step) << c.speed;
    // A whole second of steps is a whole second of frames, none lost.
    for (int i = 1; i < c.speed; ++i) engine.RenderStep(c.speed);
    EXPECT_EQ(engine.FramesRendered(), uint64_t(kRate)) << c.speed;
  }
}

TEST(GameSteps, ASoundPlayedInAStepStartsWithThatStepsFrames) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(2000, 0.5f)), ".wav", 0);
  TempDir dir;
  ASSERT_TRUE(engine.StartFileOutput(dir.File("out.wav")));
  engine.RenderStep(30);  // frames 0..1469: silence
  engine.Play(s, false);
  engine.RenderStep(30);  // 1470..2939: the sound
  engine.RenderStep(30);  // 2940..4409: its last 530 frames, then silence
  EXPECT_FALSE(engine.IsPlaying(s));
  ASSERT_TRUE(engine.FinishFileOutput());

  std::vector<uint8_t> bytes = ReadFile(dir.File("out.wav"));
  platform::DecodedAudio audio;
  ASSERT_TRUE(platform::DecodeAudio(bytes, ".wav", audio, nullptr));
  EXPECT_EQ(audio.sample_rate, kRate);
  EXPECT_EQ(audio.channels, 2);
  ASSERT_EQ(audio.Frames(), 4410u);
  auto left = [&](size_t frame) { return audio.samples[2 * frame]; };
  EXPECT_EQ(left(1469), 0.0f);
  EXPECT_EQ(left(1470), 0.5f);
  EXPECT_EQ(left(3469), 0.5f);
  EXPECT_EQ(left(3470), 0.0f);
}

TEST(WavFile, AppearsOnlyWhenFinished) {
  TempDir dir;
  const std::string target = dir.File("sound.wav");
  {
    platform::WavFileWriter writer;
    ASSERT_TRUE(writer.Open(target, kRate));
    float frames[4] = {0.25f, -0.25f, 0.5f, -0.5f};
    ASSERT_TRUE(writer.Write(frames, 2));
    EXPECT_FALSE(std::filesystem::exists(target));
    // Dropped unfinished: no target and no temporary file left behind.
  }
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  // An earlier file stays whole until the new one replaces it.
  std::ofstream(target) << "old";
  platform::WavFileWriter writer;
  ASSERT_TRUE(writer.Open(target, 48000));
  float frames[6] = {0.25f, -0.25f, 0.5f, -0.5f, 1.0f, -1.0f};
  ASSERT_TRUE(writer.Write(frames, 3));
  EXPECT_EQ(ReadFile(target).size(), 3u);
  ASSERT_TRUE(writer.Finish());
  EXPECT_FALSE(writer.IsOpen());
  std::vector<uint8_t> bytes = ReadFile(target);
  ASSERT_EQ(bytes.size(), 58u + 24u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  platform::DecodedAudio audio;
  ASSERT_TRUE(platform::DecodeAudio(bytes, ".wav", audio, nullptr));
  EXPECT_EQ(audio.sample_rate, 48000);
  EXPECT_EQ(audio.samples, std::vector<float>(frames, frames + 6));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WavFile, UnwritableTargetFails) {
  platform::WavFileWriter writer;
  EXPECT_FALSE(writer.Open("/nonexistent-directory/x.wav", kRate));
  EXPECT_FALSE(writer.Finish());
}

}  // namespace
}  // namespace vendrel::sound
