// Compressor: a peak level detector with attack and release times drives
// the gain; above the threshold the level rises only by 1/ratio of the
// input's rise. The signal passes a short delay (pre-delay) so that the
// detector reacts before a sudden peak reaches the output.
#include <algorithm>
#include <cmath>

#include "sound/dsp.h"
#include "sound/effects.h"

namespace vendrel::sound {

namespace {

constexpr double kMaxPredelayMs = 4;

class Compressor final : public EffectUnit {
 public:
  explicit Compressor(int sample_rate)
      : EffectUnit(EffectType::Compressor),
        rate_(sample_rate),
        left_(size_t(std::ceil(kMaxPredelayMs * sample_rate / 1000.0)) + 1),
        right_(size_t(std::ceil(kMaxPredelayMs * sample_rate / 1000.0)) + 1) {
    SetParams(CompressorParams{});
  }

  void SetParams(const EffectParams& params) override {
    const auto* p = std::get_if<CompressorParams>(&params);
    if (!p) return;
    params_ = Clamped(*p);
    attack_ = Coefficient(params_.attack);
    release_ = Coefficient(params_.release);
    delay_ = size_t(std::lround(double(params_.predelay) * rate_ / 1000.0));
    makeup_db_ = params_.gain;
    slope_ = 1.0 - 1.0 / params_.ratio;
  }

  void Process(float* left, float* right, int frames) override {
    const double threshold = params_.threshold;
    for (int i = 0; i < frames; ++i) {
      double level = std::max(std::fabs(left[i]), std::fabs(right[i]));
      double c = level > envelope_ ? attack_ : release_;
      envelope_ = c * envelope_ + (1.0 - c) * level;
      double reduction = 0;
      if (envelope_ > 1e-9) {
        double over = 20.0 * std::log10(envelope_) - threshold;
        if (over > 0) reduction = over * slope_;
      }
      float gain = DbToGain(makeup_db_ - reduction);
      float l = left[i], r = right[i];
      if (delay_ > 0) {
        // Read(1) is the sample just written, so the lag is delay_ frames.
        left_.Write(l);
        right_.Write(r);
        l = left_.Read(delay_ + 1);
        r = right_.Read(delay_ + 1);
      }
      left[i] = l * gain;
      right[i] = r * gain;
    }
  }

  uint64_t TailFrames() const override {
    return delay_ + uint64_t(5.0 * params_.release * rate_ / 1000.0);
  }

 private:
  // One-pole smoothing coefficient for a time constant of [ms].
  double Coefficient(double ms) const { return std::exp(-1.0 / (ms * rate_ / 1000.0)); }

  int rate_;
  CompressorParams params_;
  DelayLine left_, right_;
  size_t delay_ = 0;
  double attack_ = 0, release_ = 0, envelope_ = 0, makeup_db_ = 0, slope_ = 0;
};

}  // namespace

CompressorParams Clamped(CompressorParams p) {
  p.gain = ClampParam(p.gain, -60, 60);
  p.attack = ClampParam(p.attack, 0.01f, 500);
  p.release = ClampParam(p.release, 50, 3000);
  p.threshold = ClampParam(p.threshold, -60, 0);
  p.ratio = ClampParam(p.ratio, 1, 100);
  p.predelay = ClampParam(p.predelay, 0, 4);
  return p;
}

std::unique_ptr<EffectUnit> MakeCompressor(int sample_rate) { return std::make_unique<Compressor>(sample_rate); }

}  // namespace vendrel::sound
