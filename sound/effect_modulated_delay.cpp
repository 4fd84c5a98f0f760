// Chorus and flanger: a delay line per channel whose length an oscillator
// sweeps, mixed with the dry signal and partly fed back. They differ only
// in their ranges and defaults.
#include <cmath>

#include "sound/dsp.h"
#include "sound/effects.h"

namespace vendrel::sound {

namespace {

// Phase of the right oscillator relative to the left, in cycles, for the
// phase parameter 0..4.
constexpr double kPhaseOffsets[5] = {-0.5, -0.25, 0.0, 0.25, 0.5};

struct SweepSettings {
  float wet_dry_mix;
  float depth;
  float feedback;
  float frequency;
  int waveform;
  float delay;
  int phase;
};

class ModulatedDelay : public EffectUnit {
 public:
  ModulatedDelay(EffectType type, int sample_rate, double max_delay_ms)
      : EffectUnit(type),
        rate_(sample_rate),
        // The sweep reaches twice the set delay at full depth.
        left_(size_t(std::ceil(2 * max_delay_ms * sample_rate / 1000.0)) + 2),
        right_(size_t(std::ceil(2 * max_delay_ms * sample_rate / 1000.0)) + 2) {}

  void Apply(const SweepSettings& s) { settings_ = s; }

  void Process(float* left, float* right, int frames) override {
    const SweepSettings& s = settings_;
    const float wet = s.wet_dry_mix / 100.0f;
    const float dry = 1.0f - wet;
    const float feedback = s.feedback / 100.0f;
    const double base = double(s.delay) * rate_ / 1000.0;
    const double depth = s.depth / 100.0;
    const double step = double(s.frequency) / rate_;
    const LfoShape shape = s.waveform == 0 ? LfoShape::Triangle : LfoShape::Sine;
    const double offset = kPhaseOffsets[s.phase];
    for (int i = 0; i < frames; ++i) {
      double dl = base * (1.0 + depth * LfoValue(shape, phase_));
      double dr = base * (1.0 + depth * LfoValue(shape, phase_ + offset));
      float yl = left_.ReadFractional(dl);
      float yr = right_.ReadFractional(dr);
      left_.Write(left[i] + feedback * yl);
      right_.Write(right[i] + feedback * yr);
      left[i] = dry * left[i] + wet * yl;
      right[i] = dry * right[i] + wet * yr;
      phase_ += step;
      if (phase_ >= 1.0) phase_ -= 1.0;
    }
  }

  uint64_t TailFrames() const override {
    double longest = 2.0 * settings_.delay * rate_ / 1000.0 + 2;
    double f = std::fabs(settings_.feedback / 100.0);
    // Repeats until the feedback has brought them 100 dB down.
    double repeats = f > 0 ? std::ceil(std::log(1e-5) / std::log(f)) : 0;
    return uint64_t(longest * (repeats + 1));
  }

 protected:
  int rate_;
  SweepSettings settings_{};

 private:
  DelayLine left_, right_;
  double phase_ = 0;
};

class Chorus final : public ModulatedDelay {
 public:
  explicit Chorus(int rate) : ModulatedDelay(EffectType::Chorus, rate, 20) { SetParams(ChorusParams{}); }
  void SetParams(const EffectParams& params) override {
    if (const auto* p = std::get_if<ChorusParams>(&params)) {
      ChorusParams c = Clamped(*p);
      Apply({c.wet_dry_mix, c.depth, c.feedback, c.frequency, c.waveform, c.delay, c.phase});
    }
  }
};

class Flanger final : public ModulatedDelay {
 public:
  explicit Flanger(int rate) : ModulatedDelay(EffectType::Flanger, rate, 4) { SetParams(FlangerParams{}); }
  void SetParams(const EffectParams& params) override {
    if (const auto* p = std::get_if<FlangerParams>(&params)) {
      FlangerParams c = Clamped(*p);
      Apply({c.wet_dry_mix, c.depth, c.feedback, c.frequency, c.waveform, c.delay, c.phase});
    }
  }
};

}  // namespace

ChorusParams Clamped(ChorusParams p) {
  p.wet_dry_mix = ClampParam(p.wet_dry_mix, 0.0, 100.0);
  p.depth = ClampParam(p.depth, 0.0, 100.0);
  p.feedback = ClampParam(p.feedback, -99.0, 99.0);
  p.frequency = ClampParam(p.frequency, 0.0, 10.0);
  p.waveform = std::clamp(p.waveform, 0, 1);
  p.delay = ClampParam(p.delay, 0.0, 20.0);
  p.phase = std::clamp(p.phase, 0, 4);
  return p;
}

FlangerParams Clamped(FlangerParams p) {
  p.wet_dry_mix = ClampParam(p.wet_dry_mix, 0.0, 100.0);
  p.depth = ClampParam(p.depth, 0.0, 100.0);
  p.feedback = ClampParam(p.feedback, -99.0, 99.0);
  p.frequency = ClampParam(p.frequency, 0.0, 10.0);
  p.waveform = std::clamp(p.waveform, 0, 1);
  p.delay = ClampParam(p.delay, 0.0, 4.0);
  p.phase = std::clamp(p.phase, 0, 4);
  return p;
}

std::unique_ptr<EffectUnit> MakeChorus(int sample_rate) { return std::make_unique<Chorus>(sample_rate); }
std::unique_ptr<EffectUnit> MakeFlanger(int sample_rate) { return std::make_unique<Flanger>(sample_rate); }

}  // namespace vendrel::sound
