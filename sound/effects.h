// Sound effects: one small DSP unit per effect, each with the parameter
// record and ranges that game code sets through sound_effect_*, and the
// chain of units that a sound's effect bits select.
//
// Units process planar stereo blocks in place on the audio thread; they
// allocate only when constructed (on the game thread).
#pragma once

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace vendrel::sound {

// Effect bits of a sound (se_chorus ... se_equalizer, plus the two that have
// no constant).
enum EffectBits : int {
  kEffectChorus = 1,
  kEffectEcho = 2,
  kEffectFlanger = 4,
  kEffectGargle = 8,
  kEffectReverb = 16,
  kEffectCompressor = 32,
  kEffectEqualizer = 64,
  kEffectDistortion = 128,
  kEffectI3dl2Reverb = 256,
};

enum class EffectType : uint8_t {
  Chorus,
  Echo,
  Flanger,
  Gargle,
  Equalizer,
  Reverb,
  Compressor,
  Distortion,
  I3dl2Reverb,
};

// Parameter records. Every field is clamped to its range (given beside it)
// when set; the initial values are each effect's defaults.
struct ChorusParams {
  float wet_dry_mix = 50;  // 0..100, percent of processed signal
  float depth = 10;        // 0..100, percent of the delay swept by the LFO
  float feedback = 25;     // -99..99, percent
  float frequency = 1.1f;  // 0..10 Hz, LFO rate
  int waveform = 1;        // 0 triangle, 1 sine
  float delay = 16;        // 0..20 ms
  int phase = 3;           // 0..4: right LFO -180, -90, 0, 90, 180 degrees from the left
};

struct FlangerParams {
  float wet_dry_mix = 50;   // 0..100
  float depth = 100;        // 0..100
  float feedback = -50;     // -99..99
  float frequency = 0.25f;  // 0..10 Hz
  int waveform = 1;         // 0 triangle, 1 sine
  float delay = 2;          // 0..4 ms
  int phase = 2;            // 0..4 as for the chorus
};

struct EchoParams {
  float wet_dry_mix = 50;   // 0..100
  float feedback = 50;      // 0..100, percent fed back into the delays
  float left_delay = 500;   // 1..2000 ms
  float right_delay = 500;  // 1..2000 ms
  int pan_delay = 0;        // 0 or 1: 1 swaps the channels on every repeat
};

struct GargleParams {
  int rate_hz = 20;    // 1..1000
  int wave_shape = 0;  // 0 triangle, 1 square
};

struct EqualizerParams {
  float center = 8000;   // 80..16000 Hz
  float bandwidth = 12;  // 1..36 semitones
  float gain = 0;        // -15..15 dB at the centre
};

struct ReverbParams {
  float in_gain = 0;                 // -96..0 dB
  float reverb_mix = 0;              // -96..0 dB, level of the reverberation
  float reverb_time = 1000;          // 0.001..3000 ms to decay by 60 dB
  float high_freq_rt_ratio = 0.001f;  // 0.001..0.999, high-frequency decay time / reverb time
};

struct CompressorParams {
  float gain = 0;         // -60..60 dB after compression
  float attack = 10;      // 0.01..500 ms
  float release = 200;    // 50..3000 ms
  float threshold = -20;  // -60..0 dB
  float ratio = 3;        // 1..100
  float predelay = 4;     // 0..4 ms the signal lags its level detector
};

struct DistortionParams {
  float gain = -18;                       // -60..0 dB
  float edge = 15;                        // 0..100, strength of the clipping
  float post_eq_center_frequency = 2400;  // 100..8000 Hz
  float post_eq_bandwidth = 2400;         // 100..8000 Hz
  float pre_lowpass_cutoff = 8000;        // 100..8000 Hz
};

// [value] limited to [low, high]; NaN gives [low].
inline float ClampParam(float value, float low, float high) {
  return value >= low ? (value <= high ? value : high) : low;
}

ChorusParams Clamped(ChorusParams p);
FlangerParams Clamped(FlangerParams p);
EchoParams Clamped(EchoParams p);
GargleParams Clamped(GargleParams p);
EqualizerParams Clamped(EqualizerParams p);
ReverbParams Clamped(ReverbParams p);
CompressorParams Clamped(CompressorParams p);
DistortionParams Clamped(DistortionParams p);

// Any one parameter record, as it travels to the audio thread.
using EffectParams = std::variant<ChorusParams, FlangerParams, EchoParams, GargleParams,
                                  EqualizerParams, ReverbParams, CompressorParams, DistortionParams>;

// Frames a unit keeps sounding after its input fell silent.
inline constexpr uint64_t kEndlessTail = UINT64_MAX;

class EffectUnit {
 public:
  explicit EffectUnit(EffectType type) : type_(type) {}
  virtual ~EffectUnit() = default;
  EffectType type() const { return type_; }
  // Takes the record that matches type(); others are ignored.
  virtual void SetParams(const EffectParams& params) = 0;
  virtual void Process(float* left, float* right, int frames) = 0;
  virtual uint64_t TailFrames() const = 0;

 private:
  EffectType type_;
};

std::unique_ptr<EffectUnit> MakeChorus(int sample_rate);
std::unique_ptr<EffectUnit> MakeFlanger(int sample_rate);
std::unique_ptr<EffectUnit> MakeEcho(int sample_rate);
std::unique_ptr<EffectUnit> MakeGargle(int sample_rate);
std::unique_ptr<EffectUnit> MakeEqualizer(int sample_rate);
std::unique_ptr<EffectUnit> MakeReverb(int sample_rate);
// The I3DL2 environmental reverb at its default (generic room) setting.
std::unique_ptr<EffectUnit> MakeI3dl2Reverb(int sample_rate);
std::unique_ptr<EffectUnit> MakeCompressor(int sample_rate);
std::unique_ptr<EffectUnit> MakeDistortion(int sample_rate);

// The units that a set of effect bits selects, in the fixed order chorus,
// echo, flanger, gargle, equaliser, reverb, compressor, second equaliser,
// distortion, I3DL2 reverb. The equaliser bit inserts two equaliser units;
// parameters set by game code reach the first unit of a type.
class EffectChain {
 public:
  EffectChain(int bits, int sample_rate);
  int bits() const { return bits_; }
  bool empty() const { return units_.empty(); }
  EffectUnit* First(EffectType type) const;
  void Process(float* left, float* right, int frames);
  // The longest tail of the units (kEndlessTail when one never ends).
  uint64_t TailFrames() const;
  size_t size() const { return units_.size(); }
  const EffectUnit& unit(size_t i) const { return *units_[i]; }

 private:
  int bits_;
  std::vector<std::unique_ptr<EffectUnit>> units_;
};

}  // namespace vendrel::sound
