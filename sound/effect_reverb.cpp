// Reverberation: per channel, eight damped comb filters in parallel and
// four all-pass filters in series (the classic Schroeder-Moorer design).
// Each comb's feedback gives a 60 dB decay over the reverb time; a low-pass
// in its loop makes high frequencies decay over reverb time times the
// high-frequency ratio.
#include <array>
#include <cmath>

#include "sound/dsp.h"
#include "sound/effects.h"

namespace vendrel::sound {

namespace {

// Loop lengths in frames at 44100 Hz; the right channel's are a little
// longer so that the two channels decorrelate.
constexpr std::array<int, 8> kCombLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> kAllpassLengths = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
constexpr float kCombInput = 0.125f;
constexpr float kAllpassFeedback = 0.5f;

struct Comb {
  DelayLine line;
  size_t length = 1;
  float feedback = 0;
  float damping = 0;
  float state = 0;

  float Process(float x) {
    float y = line.Read(length);
    state = (1 - damping) * y + damping * state;
    line.Write(x + feedback * state);
    return y;
  }
};

struct Allpass {
  DelayLine line;
  size_t length = 1;

  float Process(float x) {
    float delayed = line.Read(length);
    line.Write(x + kAllpassFeedback * delayed);
    return delayed - x;
  }
};

struct Channel {
  std::array<Comb, 8> combs;
  std::array<Allpass, 4> allpasses;

  Channel(double scale, int spread) {
    for (size_t i = 0; i < combs.size(); ++i) {
      combs[i].length = size_t(std::lround((kCombLengths[i] + spread) * scale));
      combs[i].line = DelayLine(combs[i].length);
    }
    for (size_t i = 0; i < allpasses.size(); ++i) {
      allpasses[i].length = size_t(std::lround((kAllpassLengths[i] + spread) * scale));
      allpasses[i].line = DelayLine(allpasses[i].length);
    }
  }

  void Tune(double time_frames, double hf_ratio) {
    for (Comb& comb : combs) {
      double length = double(comb.length);
      double g = time_frames > 0 ? std::pow(10.0, -3.0 * length / time_frames) : 0.0;
      double g_high = time_frames > 0 ? std::pow(10.0, -3.0 * length / (time_frames * hf_ratio)) : 0.0;
      comb.feedback = float(g);
      // The loop's gain is g at 0 Hz and g_high at the Nyquist frequency.
      comb.damping = g + g_high > 0 ? float((g - g_high) / (g + g_high)) : 0.0f;
    }
  }

  float Process(float x) {
    float sum = 0;
    for (Comb& comb : combs) sum += comb.Process(x * kCombInput);
    for (Allpass& allpass : allpasses) sum = allpass.Process(sum);
    return sum;
  }
};

class Reverb final : public EffectUnit {
 public:
  Reverb(EffectType type, int sample_rate)
      : EffectUnit(type),
        rate_(sample_rate),
        left_(sample_rate / 44100.0, 0),
        right_(sample_rate / 44100.0, kStereoSpread) {
    SetParams(ReverbParams{});
  }

  void SetParams(const EffectParams& params) override {
    const auto* p = std::get_if<ReverbParams>(&params);
    if (!p) return;
    params_ = Clamped(*p);
    in_gain_ = DbToGain(params_.in_gain);
    mix_gain_ = DbToGain(params_.reverb_mix);
    double frames = double(params_.reverb_time) * rate_ / 1000.0;
    left_.Tune(frames, params_.high_freq_rt_ratio);
    right_.Tune(frames, params_.high_freq_rt_ratio);
  }

  void Process(float* left, float* right, int frames) override {
    for (int i = 0; i < frames; ++i) {
      float l = left[i] * in_gain_;
      float r = right[i] * in_gain_;
      left[i] = l + mix_gain_ * left_.Process(l);
      right[i] = r + mix_gain_ * right_.Process(r);
    }
  }

  uint64_t TailFrames() const override {
    // 100 dB down, plus the longest loop.
    return uint64_t(params_.reverb_time * rate_ / 1000.0 * 100.0 / 60.0) + uint64_t(rate_ / 10);
  }

 private:
  int rate_;
  ReverbParams params_;
  float in_gain_ = 1, mix_gain_ = 1;
  Channel left_, right_;
};

}  // namespace

ReverbParams Clamped(ReverbParams p) {
  p.in_gain = ClampParam(p.in_gain, -96, 0);
  p.reverb_mix = ClampParam(p.reverb_mix, -96, 0);
  p.reverb_time = ClampParam(p.reverb_time, 0.001f, 3000);
  p.high_freq_rt_ratio = ClampParam(p.high_freq_rt_ratio, 0.001f, 0.999f);
  return p;
}

std::unique_ptr<EffectUnit> MakeReverb(int sample_rate) {
  return std::make_unique<Reverb>(EffectType::Reverb, sample_rate);
}

std::unique_ptr<EffectUnit> MakeI3dl2Reverb(int sample_rate) {
  auto unit = std::make_unique<Reverb>(EffectType::I3dl2Reverb, sample_rate);
  // The generic environment: room -10 dB with reverberation +2 dB on it,
  // 1.49 s decay, high frequencies decaying over 0.83 of that.
  ReverbParams generic;
  generic.reverb_mix = -8;
  generic.reverb_time = 1490;
  generic.high_freq_rt_ratio = 0.83f;
  unit->SetParams(generic);
  return unit;
}

}  // namespace vendrel::sound
