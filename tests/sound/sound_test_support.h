// Test signals, sound files made from them, and measurements of rendered
// sound.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "sound/sound_engine.h"

namespace vendrel::sound::testing {

constexpr int kRate = 44100;

// ---- Signals (mono unless said otherwise) ----------------------------------

inline std::vector<float> Constant(size_t frames, float value) { return std::vector<float>(frames, value); }

inline std::vector<float> Sine(size_t frames, double frequency, float amplitude, int rate = kRate) {
  std::vector<float> s(frames);
  for (size_t i = 0; i < frames; ++i)
    s[i] = amplitude * float(std::sin(2 * std::numbers::pi * frequency * double(i) / rate));
  return s;
}

// 0, 1/n, 2/n ... : every frame different, so positions can be read back.
inline std::vector<float> Ramp(size_t frames) {
  std::vector<float> s(frames);
  for (size_t i = 0; i < frames; ++i) s[i] = float(i + 1) / float(frames + 1);
  return s;
}

// ---- Sound files -------------------------------------------------------------

inline void Put(std::vector<uint8_t>& out, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) { Put(out, &v, 4); }
inline void Put16(std::vector<uint8_t>& out, uint16_t v) { Put(out, &v, 2); }

// A WAV file of 32-bit float samples (interleaved when [channels] is 2).
inline std::vector<uint8_t> FloatWav(const std::vector<float>& samples, int channels = 1, int rate = kRate) {
  std::vector<uint8_t> out;
  uint32_t data_bytes = uint32_t(samples.size() * 4);
  Put(out, "RIFF", 4);
  Put32(out, 4 + 26 + 12 + 8 + data_bytes);
  Put(out, "WAVE", 4);
  Put(out, "fmt ", 4);
  Put32(out, 18);
  Put16(out, 3);
  Put16(out, uint16_t(channels));
  Put32(out, uint32_t(rate));
  Put32(out, uint32_t(rate * channels * 4));
  Put16(out, uint16_t(channels * 4));
  Put16(out, 32);
  Put16(out, 0);
  Put(out, "fact", 4);
  Put32(out, 4);
  Put32(out, uint32_t(samples.size() / size_t(channels)));
  Put(out, "data", 4);
  Put32(out, data_bytes);
  Put(out, samples.data(), data_bytes);
  return out;
}

// A WAV file of 16-bit integer samples.
inline std::vector<uint8_t> Pcm16Wav(const std::vector<int16_t>& samples, int channels, int rate) {
  std::vector<uint8_t> out;
  uint32_t data_bytes = uint32_t(samples.size() * 2);
  Put(out, "RIFF", 4);
  Put32(out, 36 + data_bytes);
  Put(out, "WAVE", 4);
  Put(out, "fmt ", 4);
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, uint16_t(channels));
  Put32(out, uint32_t(rate));
  Put32(out, uint32_t(rate * channels * 2));
  Put16(out, uint16_t(channels * 2));
  Put16(out, 16);
  Put(out, "data", 4);
  Put32(out, data_bytes);
  Put(out, samples.data(), data_bytes);
  return out;
}

// A one-track MIDI file: [notes] are (key, start tick, end tick) on
// channel 0 with program 0, 480 ticks per quarter at 120 beats per minute
// (so 960 ticks a second); the track ends at [end_tick].
struct TestNote {
  int key;
  uint32_t start, end;
};
inline std::vector<uint8_t> MidiFile(const std::vector<TestNote>& notes, uint32_t end_tick) {
  struct Event {
    uint32_t tick;
    std::vector<uint8_t> bytes;
  };
  std::vector<Event> events;
  events.push_back({0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}});  // 500000 us per quarter
  events.push_back({0, {0xC0, 0x00}});
  for (const TestNote& n : notes) {
    events.push_back({n.start, {0x90, uint8_t(n.key), 100}});
    events.push_back({n.end, {0x80, uint8_t(n.key), 0}});
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
  events.push_back({end_tick, {0xFF, 0x2F, 0x00}});
  std::vector<uint8_t> track;
  uint32_t last = 0;
  for (const Event& e : events) {
    uint32_t delta = e.tick - last;
    last = e.tick;
    uint8_t var[5];
    int n = 0;
    var[n++] = uint8_t(delta & 0x7F);
    while (delta >>= 7) var[n++] = uint8_t(0x80 | (delta & 0x7F));
    while (n > 0) track.push_back(var[--n]);
    track.insert(track.end(), e.bytes.begin(), e.bytes.end());
  }
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0};
  out.insert(out.end(), {'M', 'T', 'r', 'k'});
  uint32_t size = uint32_t(track.size());
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(size >> shift));
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

// ---- Rendering and measuring ------------------------------------------------------

// Interleaved stereo frames.
struct Stereo {
  std::vector<float> samples;
  size_t frames() const { return samples.size() / 2; }
  float L(size_t i) const { return samples[2 * i]; }
  float R(size_t i) const { return samples[2 * i + 1]; }
  std::vector<float> Left() const {
    std::vector<float> s(frames());
    for (size_t i = 0; i < frames(); ++i) s[i] = L(i);
    return s;
  }
  std::vector<float> Right() const {
    std::vector<float> s(frames());
    for (size_t i = 0; i < frames(); ++i) s[i] = R(i);
    return s;
  }
};

inline Stereo RenderFrames(SoundEngine& engine, size_t frames) {
  Stereo out;
  out.samples.resize(frames * 2);
  engine.Render(out.samples.data(), int(frames));
  return out;
}

inline double Peak(const std::vector<float>& s, size_t from = 0, size_t to = SIZE_MAX) {
  double peak = 0;
  for (size_t i = from; i < std::min(to, s.size()); ++i) peak = std::max(peak, double(std::fabs(s[i])));
  return peak;
}

inline double Rms(const std::vector<float>& s, size_t from = 0, size_t to = SIZE_MAX) {
  double sum = 0;
  size_t n = 0;
  for (size_t i = from; i < std::min(to, s.size()); ++i, ++n) sum += double(s[i]) * s[i];
  return n ? std::sqrt(sum / double(n)) : 0;
}

// Amplitude of the [frequency] component over [from, to) (Goertzel).
inline double ToneAmplitude(const std::vector<float>& s, double frequency, size_t from, size_t to, int rate = kRate) {
  double w = 2 * std::numbers::pi * frequency / rate;
  double re = 0, im = 0;
  for (size_t i = from; i < to; ++i) {
    re += s[i] * std::cos(w * double(i));
    im += s[i] * std::sin(w * double(i));
  }
  return 2 * std::sqrt(re * re + im * im) / double(to - from);
}

// Frequency from the number of rising zero crossings over [from, to).
inline double ZeroCrossingFrequency(const std::vector<float>& s, size_t from, size_t to, int rate = kRate) {
  int crossings = 0;
  size_t first = 0, last = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (s[i - 1] < 0 && s[i] >= 0) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return double(crossings - 1) * rate / double(last - first);
}

inline double Db(double gain) { return 20 * std::log10(gain); }

// A fresh directory, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vendrel-sound-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::string file = File(name);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return file;
  }

 private:
  std::string path_;
};

}  // namespace vendrel::sound::testing
