// Distortion: a low-pass before a soft clipper, a band-pass after it, and
// an output gain.
#include <cmath>

#include "sound/dsp.h"
#include "sound/effects.h"

namespace vendrel::sound {

namespace {

class Distortion final : public EffectUnit {
 public:
  explicit Distortion(int sample_rate) : EffectUnit(EffectType::Distortion), rate_(sample_rate) {
    SetParams(DistortionParams{});
  }

  void SetParams(const EffectParams& params) override {
    const auto* p = std::get_if<DistortionParams>(&params);
    if (!p) return;
    params_ = Clamped(*p);
    double cutoff = std::min<double>(params_.pre_lowpass_cutoff, 0.45 * rate_);
    lowpass_ = float(std::exp(-2 * std::numbers::pi * cutoff / rate_));
    drive_ = 1.0f + params_.edge / 100.0f * 30.0f;
    normalise_ = 1.0f / std::tanh(drive_);
    double center = std::min<double>(params_.post_eq_center_frequency, 0.45 * rate_);
    band_left_.SetBandPass(rate_, center, params_.post_eq_bandwidth);
    band_right_ = band_left_;
    gain_ = DbToGain(params_.gain);
  }

  void Process(float* left, float* right, int frames) override {
    for (int i = 0; i < frames; ++i) {
      low_left_ = (1 - lowpass_) * left[i] + lowpass_ * low_left_;
      low_right_ = (1 - lowpass_) * right[i] + lowpass_ * low_right_;
      left[i] = gain_ * band_left_.Process(std::tanh(drive_ * low_left_) * normalise_);
      right[i] = gain_ * band_right_.Process(std::tanh(drive_ * low_right_) * normalise_);
    }
  }

  uint64_t TailFrames() const override { return uint64_t(rate_ / 10); }

 private:
  int rate_;
  DistortionParams params_;
  float lowpass_ = 0, drive_ = 1, normalise_ = 1, gain_ = 1;
  float low_left_ = 0, low_right_ = 0;
  Biquad band_left_, band_right_;
};

}  // namespace

DistortionParams Clamped(DistortionParams p) {
  p.gain = ClampParam(p.gain, -60, 0);
  p.edge = ClampParam(p.edge, 0, 100);
  p.post_eq_center_frequency = ClampParam(p.post_eq_center_frequency, 100, 8000);
  p.post_eq_bandwidth = ClampParam(p.post_eq_bandwidth, 100, 8000);
  p.pre_lowpass_cutoff = ClampParam(p.pre_lowpass_cutoff, 100, 8000);
  return p;
}

std::unique_ptr<EffectUnit> MakeDistortion(int sample_rate) { return std::make_unique<Distortion>(sample_rate); }

}  // namespace vendrel::sound
