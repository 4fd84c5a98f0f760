// Gargle: amplitude modulation by a triangle or square wave.
#include <algorithm>

#include "sound/effects.h"

namespace vendrel::sound {

namespace {

class Gargle final : public EffectUnit {
 public:
  explicit Gargle(int sample_rate) : EffectUnit(EffectType::Gargle), rate_(sample_rate) {
    SetParams(GargleParams{});
  }

  void SetParams(const EffectParams& params) override {
    if (const auto* p = std::get_if<GargleParams>(&params)) params_ = Clamped(*p);
  }

  // One modulation cycle lasts rate / rate_hz frames: the triangle rises
  // from 0 to 1 over its first half and falls back over the second; the
  // square is 1 for the first half and 0 for the second.
  void Process(float* left, float* right, int frames) override {
    const double step = double(params_.rate_hz) / rate_;
    for (int i = 0; i < frames; ++i) {
      float m;
      if (params_.wave_shape == 1)
        m = phase_ < 0.5 ? 1.0f : 0.0f;
      else
        m = float(phase_ < 0.5 ? 2 * phase_ : 2 - 2 * phase_);
      left[i] *= m;
      right[i] *= m;
      phase_ += step;
      if (phase_ >= 1.0) phase_ -= 1.0;
    }
  }

  uint64_t TailFrames() const override { return 0; }

 private:
  int rate_;
  GargleParams params_;
  double phase_ = 0;
};

}  // namespace

GargleParams Clamped(GargleParams p) {
  p.rate_hz = std::clamp(p.rate_hz, 1, 1000);
  p.wave_shape = std::clamp(p.wave_shape, 0, 1);
  return p;
}

std::unique_ptr<EffectUnit> MakeGargle(int sample_rate) { return std::make_unique<Gargle>(sample_rate); }

}  // namespace vendrel::sound
