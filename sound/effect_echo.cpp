// Echo: a delay line per channel, fed back; with pan delay each repeat
// crosses to the other channel.
#include <cmath>

#include "sound/dsp.h"
#include "sound/effects.h"

namespace vendrel::sound {

namespace {

constexpr double kMaxDelayMs = 2000;

class Echo final : public EffectUnit {
 public:
  explicit Echo(int sample_rate)
      : EffectUnit(EffectType::Echo),
        rate_(sample_rate),
        left_(size_t(std::ceil(kMaxDelayMs * sample_rate / 1000.0)) + 1),
        right_(size_t(std::ceil(kMaxDelayMs * sample_rate / 1000.0)) + 1) {
    SetParams(EchoParams{});
  }

  void SetParams(const EffectParams& params) override {
    if (const auto* p = std::get_if<EchoParams>(&params)) {
      params_ = Clamped(*p);
      left_delay_ = DelayFrames(params_.left_delay);
      right_delay_ = DelayFrames(params_.right_delay);
    }
  }

  void Process(float* left, float* right, int frames) override {
    const float wet = params_.wet_dry_mix / 100.0f;
    const float dry = 1.0f - wet;
    const float feedback = params_.feedback / 100.0f;
    const bool cross = params_.pan_delay != 0;
    for (int i = 0; i < frames; ++i) {
      float yl = left_.Read(left_delay_);
      float yr = right_.Read(right_delay_);
      left_.Write(left[i] + feedback * (cross ? yr : yl));
      right_.Write(right[i] + feedback * (cross ? yl : yr));
      left[i] = dry * left[i] + wet * yl;
      right[i] = dry * right[i] + wet * yr;
    }
  }

  uint64_t TailFrames() const override {
    double f = params_.feedback / 100.0;
    if (f >= 1.0) return kEndlessTail;
    double repeats = f > 0 ? std::ceil(std::log(1e-5) / std::log(f)) : 0;
    return uint64_t(double(std::max(left_delay_, right_delay_)) * (repeats + 1));
  }

 private:
  size_t DelayFrames(float ms) const {
    return std::max<size_t>(1, size_t(std::lround(double(ms) * rate_ / 1000.0)));
  }

  int rate_;
  EchoParams params_;
  DelayLine left_, right_;
  size_t left_delay_ = 1, right_delay_ = 1;
};

}  // namespace

EchoParams Clamped(EchoParams p) {
  p.wet_dry_mix = ClampParam(p.wet_dry_mix, 0, 100);
  p.feedback = ClampParam(p.feedback, 0, 100);
  p.left_delay = ClampParam(p.left_delay, 1, 2000);
  p.right_delay = ClampParam(p.right_delay, 1, 2000);
  p.pan_delay = std::clamp(p.pan_delay, 0, 1);
  return p;
}

std::unique_ptr<EffectUnit> MakeEcho(int sample_rate) { return std::make_unique<Echo>(sample_rate); }

}  // namespace vendrel::sound
