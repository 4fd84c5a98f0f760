// Parametric equaliser: one peaking filter per channel.
#include <algorithm>

#include "sound/dsp.h"
#include "sound/effects.h"

namespace vendrel::sound {

namespace {

class Equalizer final : public EffectUnit {
 public:
  explicit Equalizer(int sample_rate) : EffectUnit(EffectType::Equalizer), rate_(sample_rate) {
    SetParams(EqualizerParams{});
  }

  void SetParams(const EffectParams& params) override {
    const auto* p = std::get_if<EqualizerParams>(&params);
    if (!p) return;
    params_ = Clamped(*p);
    // A centre at or above the Nyquist frequency cannot be filtered; keep
    // it just below.
    double center = std::min<double>(params_.center, 0.45 * rate_);
    left_.SetPeaking(rate_, center, params_.bandwidth / 12.0, params_.gain);
    right_.b0 = left_.b0;
    right_.b1 = left_.b1;
    right_.b2 = left_.b2;
    right_.a1 = left_.a1;
    right_.a2 = left_.a2;
  }

  void Process(float* left, float* right, int frames) override {
    if (params_.gain == 0) return;  // flat: the filter is the identity
    for (int i = 0; i < frames; ++i) {
      left[i] = left_.Process(left[i]);
      right[i] = right_.Process(right[i]);
    }
  }

  uint64_t TailFrames() const override { return params_.gain == 0 ? 0 : uint64_t(rate_ / 10); }

 private:
  int rate_;
  EqualizerParams params_;
  Biquad left_, right_;
};

}  // namespace

EqualizerParams Clamped(EqualizerParams p) {
  p.center = ClampParam(p.center, 80, 16000);
  p.bandwidth = ClampParam(p.bandwidth, 1, 36);
  p.gain = ClampParam(p.gain, -15, 15);
  return p;
}

std::unique_ptr<EffectUnit> MakeEqualizer(int sample_rate) { return std::make_unique<Equalizer>(sample_rate); }

}  // namespace vendrel::sound
