// Sound files through the decoders: WAV, FLAC and OGG by libsndfile, MP3 by
// mpg123, MIDI files parsed by our reader.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstring>

#include "platform/audio_decoders.h"
#include "sound/midi_sequence.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

// Encodes [samples] (mono) with libsndfile in [format], through a file.
std::vector<uint8_t> Encode(const std::vector<float>& samples, int format, const TempDir& dir) {
  std::string path = dir.File("encoded");
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return {};
  sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
  sf_close(file);
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Decoders, CompressedFormatsDecodeToTheirSignal) {
  TempDir dir;
  std::vector<float> tone = Sine(kRate / 2, 440, 0.5f);
  struct Case {
    const char* extension;
    int format;
    double tolerance;
  };
  for (const Case c : {Case{".flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1e-3},
                       Case{".ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.02}}) {
    std::vector<uint8_t> bytes = Encode(tone, c.format, dir);
    ASSERT_FALSE(bytes.empty()) << c.extension;
    EXPECT_EQ(platform::DetectAudioFileKind(bytes, ""), platform::AudioFileKind::Pcm);
    platform::DecodedAudio audio;
    std::string error;
    ASSERT_TRUE(platform::DecodeAudio(bytes, c.extension, audio, &error)) << error;
    EXPECT_EQ(audio.sample_rate, kRate);
    EXPECT_EQ(audio.channels, 1);
    ASSERT_EQ(audio.Frames(), tone.size()) << c.extension;
    EXPECT_NEAR(ToneAmplitude(audio.samples, 440, 1000, 20000), 0.5, c.tolerance) << c.extension;
  }
}

// MPEG-1 layer III frames whose side information is all zero decode to
// silence, 1152 frames each.
std::vector<uint8_t> SilentMp3(int frames, bool mono) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < frames; ++i) {
    // 128 kbit/s, 44100 Hz, no padding: 417 bytes a frame.
    std::vector<uint8_t> frame(417, 0);
    frame[0] = 0xFF;
    frame[1] = 0xFB;
    frame[2] = 0x90;
    frame[3] = mono ? 0xC0 : 0x00;
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  }
  return bytes;
}

TEST(Decoders, Mp3DecodesToStereo) {
  for (bool mono : {false, true}) {
    std::vector<uint8_t> bytes = SilentMp3(20, mono);
    EXPECT_EQ(platform::DetectAudioFileKind(bytes, ".mp3"), platform::AudioFileKind::Mp3);
    platform::DecodedAudio audio;
    std::string error;
    ASSERT_TRUE(platform::DecodeAudio(bytes, ".mp3", audio, &error)) << error;
    EXPECT_EQ(audio.sample_rate, 44100);
    EXPECT_EQ(audio.channels, 2);
    // Decoders may hold back a frame at the start or end.
    EXPECT_GE(audio.Frames(), 18u * 1152);
    EXPECT_LE(audio.Frames(), 20u * 1152);
    EXPECT_EQ(Peak(audio.samples), 0.0);
  }
}

TEST(Decoders, KindIsJudgedByContentThenExtension) {
  struct Case {
    std::vector<uint8_t> bytes;
    const char* extension;
    platform::AudioFileKind kind;
  };
  const Case cases[] = {
      {{'M', 'T', 'h', 'd'}, ".wav", platform::AudioFileKind::Midi},
      {{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'}, "", platform::AudioFileKind::Midi},
      {{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, ".mid", platform::AudioFileKind::Pcm},
      {{'O', 'g', 'g', 'S'}, "", platform::AudioFileKind::Pcm},
      {{'I', 'D', '3', 4}, "", platform::AudioFileKind::Mp3},
      {{0, 0, 0, 0}, ".MP3", platform::AudioFileKind::Mp3},
      {{0, 0, 0, 0}, "MID", platform::AudioFileKind::Midi},
      {{0, 0, 0, 0}, ".xyz", platform::AudioFileKind::Unknown},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::DetectAudioFileKind(c.bytes, c.extension), c.kind) << c.extension;
  std::string error;
  platform::DecodedAudio audio;
  EXPECT_FALSE(platform::DecodeAudio(std::vector<uint8_t>{1, 2, 3, 4, 5}, ".xyz", audio, &error));
  EXPECT_FALSE(error.empty());
}

TEST(Decoders, RmidFilesHoldAStandardMidiFile) {
  std::vector<uint8_t> smf = MidiFile({{60, 0, 480}}, 480);
  std::vector<uint8_t> rmid = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'L', 'I', 'S', 'T', 1, 0, 0, 0, 'x', 0,
                               'd', 'a', 't', 'a'};
  uint32_t size = uint32_t(smf.size());
  Put32(rmid, size);
  rmid.insert(rmid.end(), smf.begin(), smf.end());
  std::span<const uint8_t> inner = platform::StandardMidiData(rmid);
  EXPECT_EQ(std::vector<uint8_t>(inner.begin(), inner.end()), smf);
  EXPECT_TRUE(platform::StandardMidiData(std::vector<uint8_t>{'R', 'I', 'F', 'F'}).empty());
}

TEST(MidiSequence, MergesTracksInTimeOrderWithRunningStatus) {
  // Format 1, 96 ticks per quarter: a tempo track and a note track using
  // running status and a note-on with velocity 0 as note-off.
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96,
                               // track 1: tempo 600000 at 0, again 400000 at 200, end at 300
                               'M', 'T', 'r', 'k', 0, 0, 0, 19, 0x00, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, 0x81, 0x48,
                               0xFF, 0x51, 0x03, 0x06, 0x1A, 0x80, 0x64, 0xFF, 0x2F, 0x00,
                               // track 2: note on 60 at 10, (running) note 64 at 20, off 60 at 150
                               'M', 'T', 'r', 'k', 0, 0, 0, 17, 0x0A, 0x91, 60, 100, 0x0A, 64, 90, 0x81, 0x02, 60,
                               0, 0x00, 0xFF, 0x2F, 0x00};
  MidiSequence sequence;
  std::string error;
  ASSERT_TRUE(sequence.Parse(file, &error)) << error;
  EXPECT_EQ(sequence.ticks_per_quarter(), 96);
  EXPECT_EQ(sequence.end_tick(), 300u);
  const auto& e = sequence.events();
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].kind, MidiEvent::Kind::Tempo);
  EXPECT_EQ(e[0].value, 600000u);
  EXPECT_EQ(e[1].tick, 10u);
  EXPECT_EQ(e[1].status, 0x91);
  EXPECT_EQ(e[2].tick, 20u);
  EXPECT_EQ(e[2].data1, 64);
  EXPECT_EQ(e[2].data2, 90);
  EXPECT_EQ(e[3].tick, 150u);
  EXPECT_EQ(e[3].data2, 0);
  EXPECT_EQ(e[4].tick, 200u);
  EXPECT_EQ(e[4].value, 400000u);
}

TEST(MidiSequence, DamagedFilesAreRefused) {
  const std::vector<uint8_t> cases[] = {
      {'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96},
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0},
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0},  // no time division
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 7, 0, 1, 0, 96},  // format 7
      // data byte before any status byte
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 3, 0, 60, 100},
  };
  for (const auto& file : cases) {
    MidiSequence sequence;
    std::string error;
    EXPECT_FALSE(sequence.Parse(file, &error));
    EXPECT_FALSE(error.empty());
  }
  // A track cut short keeps the events before the cut.
  std::vector<uint8_t> cut = MidiFile({{60, 0, 100}, {62, 200, 300}}, 400);
  cut.resize(cut.size() - 6);
  MidiSequence sequence;
  EXPECT_TRUE(sequence.Parse(cut, nullptr));
  EXPECT_GE(sequence.events().size(), 3u);
}

TEST(MidiSequence, SmpteTimeCountsTicksPerSecond) {
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0xE7, 40,  // 25 fps, 40 per frame
                               'M', 'T', 'r', 'k', 0, 0, 0, 8, 0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00};
  MidiSequence sequence;
  ASSERT_TRUE(sequence.Parse(file, nullptr));
  EXPECT_EQ(sequence.ticks_per_quarter(), 0);
  EXPECT_EQ(sequence.ticks_per_second(), 1000.0);
}

}  // namespace
}  // namespace vendrel::sound
