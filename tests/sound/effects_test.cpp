// Each effect unit against test signals: impulse responses for the delay
// effects, sines for the filters, steady levels for the compressor.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "sound/effects.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

struct Planar {
  std::vector<float> left, right;
};

// Runs [input] (the same on both channels) through [unit] in blocks of
// 256 frames, as the mixer does.
Planar Process(EffectUnit& unit, const std::vector<float>& input) {
  Planar out{input, input};
  for (size_t offset = 0; offset < input.size(); offset += 256) {
    int n = int(std::min<size_t>(256, input.size() - offset));
    unit.Process(out.left.data() + offset, out.right.data() + offset, n);
  }
  return out;
}

std::vector<float> Impulse(size_t frames) {
  std::vector<float> s(frames, 0.0f);
  s[0] = 1.0f;
  return s;
}

size_t Frames(double ms) { return size_t(std::lround(ms * kRate / 1000)); }

TEST(Echo, RepeatsAtItsDelaysWithFeedback) {
  auto echo = MakeEcho(kRate);
  EchoParams p;
  p.wet_dry_mix = 50;
  p.feedback = 50;
  p.left_delay = 100;
  p.right_delay = 250;
  echo->SetParams(p);
  Planar out = Process(*echo, Impulse(Frames(600)));
  EXPECT_FLOAT_EQ(out.left[0], 0.5f);  // dry half
  EXPECT_FLOAT_EQ(out.left[Frames(100)], 0.5f);
  EXPECT_FLOAT_EQ(out.left[Frames(200)], 0.25f);
  EXPECT_FLOAT_EQ(out.left[Frames(300)], 0.125f);
  EXPECT_FLOAT_EQ(out.right[Frames(250)], 0.5f);
  EXPECT_FLOAT_EQ(out.right[Frames(500)], 0.25f);
  // Nothing between the repeats.
  out.left[0] = out.left[Frames(100)] = out.left[Frames(200)] = out.left[Frames(300)] = 0;
  out.left[Frames(400)] = out.left[Frames(500)] = 0;
  EXPECT_EQ(Peak(out.left), 0.0);
}

TEST(Echo, PanDelayCrossesEachRepeatToTheOtherSide) {
  auto echo = MakeEcho(kRate);
  EchoParams p;
  p.wet_dry_mix = 100;
  p.feedback = 100;
  p.left_delay = 10;
  p.right_delay = 10;
  p.pan_delay = 1;
  echo->SetParams(p);
  Planar in{Impulse(Frames(40)), std::vector<float>(Frames(40), 0.0f)};
  echo->Process(in.left.data(), in.right.data(), int(in.left.size()));
  EXPECT_FLOAT_EQ(in.left[Frames(10)], 1.0f);
  EXPECT_FLOAT_EQ(in.right[Frames(10)], 0.0f);
  EXPECT_FLOAT_EQ(in.right[Frames(20)], 1.0f);
  EXPECT_FLOAT_EQ(in.left[Frames(20)], 0.0f);
  EXPECT_FLOAT_EQ(in.left[Frames(30)], 1.0f);
  EXPECT_EQ(echo->TailFrames(), kEndlessTail);
}

// With the oscillator stopped, a chorus or flanger is a fixed delay: the
// set delay on the left, and on the right the delay swept by the depth at
// the phase offset.
TEST(ModulatedDelay, StoppedOscillatorGivesTheSweptDelay) {
  struct Case {
    bool flanger;
    float delay_ms, depth;
    int waveform, phase;
    double right_factor;  // right delay / set delay
  };
  const Case cases[] = {
      {false, 10, 50, 1, 3, 1.5},   // +90 degrees: sine at its top
      {false, 10, 50, 1, 1, 0.5},   // -90 degrees: at its bottom
      {false, 10, 50, 0, 3, 1.5},   // the triangle peaks there too
      {false, 10, 50, 1, 2, 1.0},   // in phase
      {true, 2, 100, 1, 3, 2.0},
      {true, 4, 25, 0, 1, 0.75},
  };
  for (const Case& c : cases) {
    std::unique_ptr<EffectUnit> unit = c.flanger ? MakeFlanger(kRate) : MakeChorus(kRate);
    if (c.flanger)
      unit->SetParams(FlangerParams{100, c.depth, 0, 0, c.waveform, c.delay_ms, c.phase});
    else
      unit->SetParams(ChorusParams{100, c.depth, 0, 0, c.waveform, c.delay_ms, c.phase});
    Planar out = Process(*unit, Impulse(Frames(50)));
    // A fractional delay spreads the impulse over two frames; their sum is
    // the impulse and their centre of gravity the delay.
    auto delay_of = [](const std::vector<float>& y) {
      double sum = 0, moment = 0;
      for (size_t i = 0; i < y.size(); ++i) {
        sum += y[i];
        moment += double(i) * y[i];
      }
      EXPECT_NEAR(sum, 1.0, 1e-5);
      return moment / sum;
    };
    double expected_left = c.delay_ms * kRate / 1000.0;
    EXPECT_NEAR(delay_of(out.left), expected_left, 1e-3) << c.delay_ms << " " << c.phase;
    EXPECT_NEAR(delay_of(out.right), expected_left * c.right_factor, 1e-3) << c.delay_ms << " " << c.phase;
  }
}

TEST(ModulatedDelay, FeedbackRepeatsWithItsSignAndMixBlendsDry) {
  auto chorus = MakeChorus(kRate);
  chorus->SetParams(ChorusParams{50, 0, -50, 0, 1, 10, 2});
  Planar out = Process(*chorus, Impulse(Frames(40)));
  EXPECT_FLOAT_EQ(out.left[0], 0.5f);
  EXPECT_NEAR(out.left[Frames(10)], 0.5, 1e-6);
  EXPECT_NEAR(out.left[Frames(20)], -0.25, 1e-6);
  EXPECT_NEAR(out.left[Frames(30)], 0.125, 1e-6);
}

TEST(ModulatedDelay, OscillatorSweepsTheDelayAtItsRate) {
  // A steady 1 kHz tone through a fully wet flanger whose delay swings at
  // 2 Hz: the pitch rises and falls twice a second (Doppler of the sweep).
  auto flanger = MakeFlanger(kRate);
  flanger->SetParams(FlangerParams{100, 100, 0, 2, 1, 4, 2});
  Planar out = Process(*flanger, Sine(kRate, 1000, 0.5f));
  // The delay is 4 ms (1 + sin(2 pi 2 t)): growing over the first quarter
  // of each sweep (pitch falls), shrinking over the third (pitch rises).
  double first = ZeroCrossingFrequency(out.left, Frames(20), Frames(110));
  double third = ZeroCrossingFrequency(out.left, Frames(270), Frames(360));
  double second_cycle_first = ZeroCrossingFrequency(out.left, Frames(520), Frames(610));
  EXPECT_LT(first, 990);
  EXPECT_GT(third, 1010);
  EXPECT_NEAR(second_cycle_first, first, 3);
}

TEST(Gargle, ModulatesAtItsRate) {
  struct Case {
    int rate_hz, shape;
  };
  for (const Case c : {Case{10, 1}, Case{50, 1}, Case{20, 0}}) {
    auto gargle = MakeGargle(kRate);
    gargle->SetParams(GargleParams{c.rate_hz, c.shape});
    Planar out = Process(*gargle, Constant(kRate, 1.0f));
    const size_t period = size_t(kRate / c.rate_hz);
    if (c.shape == 1) {
      // Square: on for the first half of each period, off for the second.
      for (size_t cycle = 0; cycle < 3; ++cycle) {
        size_t start = cycle * period;
        EXPECT_EQ(out.left[start + 1], 1.0f) << c.rate_hz;
        EXPECT_EQ(out.left[start + period / 2 - 2], 1.0f) << c.rate_hz;
        EXPECT_EQ(out.left[start + period / 2 + 2], 0.0f) << c.rate_hz;
        EXPECT_EQ(out.left[start + period - 2], 0.0f) << c.rate_hz;
      }
    } else {
      // Triangle: silent at the period starts, full in the middles.
      EXPECT_NEAR(out.left[period], 0.0, 1e-3);
      EXPECT_NEAR(out.left[period + period / 2], 1.0, 1e-3);
      EXPECT_NEAR(out.left[period + period / 4], 0.5, 1e-3);
      EXPECT_NEAR(out.left[2 * period], 0.0, 1e-3);
    }
  }
}

TEST(Equalizer, GainAtTheCentreFallingAwayFromIt) {
  struct Case {
    float center, bandwidth, gain;
  };
  for (const Case c : {Case{1000, 12, 12}, Case{1000, 12, -15}, Case{4000, 6, 6}, Case{200, 36, -6}}) {
    auto eq = MakeEqualizer(kRate);
    eq->SetParams(EqualizerParams{c.center, c.bandwidth, c.gain});
    Planar at_centre = Process(*eq, Sine(kRate / 2, c.center, 0.1f));
    EXPECT_NEAR(Db(ToneAmplitude(at_centre.left, c.center, kRate / 4, kRate / 2) / 0.1), c.gain, 0.1)
        << c.center << " " << c.gain;
    // Five octaves from the centre the filter is nearly flat.
    double far = c.center >= 1000 ? c.center / 32 : std::min(c.center * 32.0, 15000.0);
    if (c.bandwidth <= 12) {
      auto flat = MakeEqualizer(kRate);
      flat->SetParams(EqualizerParams{c.center, c.bandwidth, c.gain});
      Planar away = Process(*flat, Sine(kRate / 2, far, 0.1f));
      EXPECT_NEAR(Db(ToneAmplitude(away.left, far, kRate / 4, kRate / 2) / 0.1), 0.0, 0.5) << far;
    }
  }
}

TEST(Compressor, ReducesLevelsAboveTheThresholdByItsRatio) {
  struct Case {
    float input, gain, threshold, ratio;
    double expected_db;
  };
  const Case cases[] = {
      // -6.02 dB in, threshold -20, ratio 4: -20 + 13.98 / 4 = -16.51 dB
      {0.5f, 0, -20, 4, -20 + (Db(0.5) + 20) / 4},
      {0.5f, 6, -20, 4, -20 + (Db(0.5) + 20) / 4 + 6},  // make-up gain
      {0.05f, 0, -20, 4, Db(0.05)},                      // below: untouched
      {0.5f, 0, -30, 100, -30 + (Db(0.5) + 30) / 100},   // near limiting
  };
  for (const Case& c : cases) {
    auto compressor = MakeCompressor(kRate);
    compressor->SetParams(CompressorParams{c.gain, 10, 200, c.threshold, c.ratio, 0});
    Planar out = Process(*compressor, Constant(kRate, c.input));
    EXPECT_NEAR(Db(out.left[kRate - 1]), c.expected_db, 0.05) << c.input << " " << c.ratio;
  }
}

TEST(Compressor, AttackTimeShapesTheOnsetAndPredelayShiftsTheSignal) {
  auto fast = MakeCompressor(kRate);
  fast->SetParams(CompressorParams{0, 1, 200, -20, 10, 0});
  auto slow = MakeCompressor(kRate);
  slow->SetParams(CompressorParams{0, 100, 200, -20, 10, 0});
  Planar f = Process(*fast, Constant(kRate, 0.5f));
  Planar s = Process(*slow, Constant(kRate, 0.5f));
  // 10 ms in, the fast one has clamped down, the slow one barely started.
  EXPECT_LT(f.left[Frames(10)], 0.5 * s.left[Frames(10)]);
  EXPECT_NEAR(f.left[kRate - 1], s.left[kRate - 1], 1e-3);

  auto delayed = MakeCompressor(kRate);
  delayed->SetParams(CompressorParams{0, 10, 200, 0, 1, 4});
  Planar d = Process(*delayed, Impulse(Frames(10)));
  EXPECT_FLOAT_EQ(d.left[Frames(4)], 1.0f);
  EXPECT_EQ(d.left[0], 0.0f);
}

// The tail of an impulse decays by 60 dB over the reverb time.
TEST(Reverb, TailDecaysOverTheReverbTime) {
  for (float time : {500.0f, 1500.0f}) {
    auto reverb = MakeReverb(kRate);
    reverb->SetParams(ReverbParams{0, 0, time, 0.999f});
    Planar out = Process(*reverb, Impulse(Frames(time)));
    // Level over 50 ms windows at a fifth and at three fifths of the time:
    // 24 dB apart for a 60 dB decay over the whole time.
    size_t w = Frames(50);
    double early = Rms(out.left, Frames(time * 0.2), Frames(time * 0.2) + w);
    double late = Rms(out.left, Frames(time * 0.6), Frames(time * 0.6) + w);
    EXPECT_NEAR(Db(early / late), 24.0, 3.0) << time;
  }
}

TEST(Reverb, MixAndInputGain) {
  auto dry = MakeReverb(kRate);
  dry->SetParams(ReverbParams{0, -96, 1000, 0.5f});
  Planar out = Process(*dry, Impulse(Frames(300)));
  EXPECT_FLOAT_EQ(out.left[0], 1.0f);
  EXPECT_LT(Peak(out.left, 1), 1e-4);

  auto quiet = MakeReverb(kRate);
  quiet->SetParams(ReverbParams{-6, 0, 1000, 0.5f});
  Planar q = Process(*quiet, Impulse(10));
  EXPECT_NEAR(q.left[0], std::pow(10.0, -6.0 / 20), 1e-6);

  // High frequencies die sooner with a low ratio.
  auto dark = MakeReverb(kRate);
  dark->SetParams(ReverbParams{0, 0, 1500, 0.1f});
  auto bright = MakeReverb(kRate);
  bright->SetParams(ReverbParams{0, 0, 1500, 0.999f});
  std::vector<float> noise(Frames(50));
  uint32_t seed = 1;
  for (float& x : noise) {
    seed = seed * 1664525 + 1013904223;
    x = float(int32_t(seed)) / 2147483648.0f;
  }
  noise.resize(kRate, 0.0f);
  Planar d = Process(*dark, noise), b = Process(*bright, noise);
  EXPECT_LT(ToneAmplitude(d.left, 8000, Frames(300), Frames(500)),
            0.3 * ToneAmplitude(b.left, 8000, Frames(300), Frames(500)));
}

TEST(EffectChain, BitsSelectUnitsInTheirFixedOrder) {
  EffectChain chain(kEffectCompressor | kEffectEqualizer | kEffectChorus | kEffectReverb | 256 | 128, kRate);
  std::vector<EffectType> types;
  for (size_t i = 0; i < chain.size(); ++i) types.push_back(chain.unit(i).type());
  EXPECT_EQ(types, (std::vector<EffectType>{EffectType::Chorus, EffectType::Equalizer, EffectType::Reverb,
                                            EffectType::Compressor, EffectType::Equalizer,
                                            EffectType::Distortion, EffectType::I3dl2Reverb}));
  EXPECT_EQ(chain.First(EffectType::Equalizer), &chain.unit(1));
  EXPECT_EQ(chain.First(EffectType::Echo), nullptr);
  EXPECT_TRUE(EffectChain(0, kRate).empty());
}

TEST(EffectParams, ValuesAreHeldWithinTheirRanges) {
  ChorusParams chorus = Clamped(ChorusParams{150, -5, 120, 11, 7, 25, -2});
  EXPECT_EQ(chorus.wet_dry_mix, 100);
  EXPECT_EQ(chorus.depth, 0);
  EXPECT_EQ(chorus.feedback, 99);
  EXPECT_EQ(chorus.frequency, 10);
  EXPECT_EQ(chorus.waveform, 1);
  EXPECT_EQ(chorus.delay, 20);
  EXPECT_EQ(chorus.phase, 0);
  FlangerParams flanger = Clamped(FlangerParams{50, 50, -200, 1, 0, 9, 9});
  EXPECT_EQ(flanger.feedback, -99);
  EXPECT_EQ(flanger.delay, 4);
  EXPECT_EQ(flanger.phase, 4);
  EchoParams echo = Clamped(EchoParams{50, 101, 0, 5000, 3});
  EXPECT_EQ(echo.feedback, 100);
  EXPECT_EQ(echo.left_delay, 1);
  EXPECT_EQ(echo.right_delay, 2000);
  EXPECT_EQ(echo.pan_delay, 1);
  GargleParams gargle = Clamped(GargleParams{0, 5});
  EXPECT_EQ(gargle.rate_hz, 1);
  EXPECT_EQ(gargle.wave_shape, 1);
  EqualizerParams eq = Clamped(EqualizerParams{20, 40, -20});
  EXPECT_EQ(eq.center, 80);
  EXPECT_EQ(eq.bandwidth, 36);
  EXPECT_EQ(eq.gain, -15);
  ReverbParams reverb = Clamped(ReverbParams{5, -100, 0, 1});
  EXPECT_EQ(reverb.in_gain, 0);
  EXPECT_EQ(reverb.reverb_mix, -96);
  EXPECT_FLOAT_EQ(reverb.reverb_time, 0.001f);
  EXPECT_FLOAT_EQ(reverb.high_freq_rt_ratio, 0.999f);
  CompressorParams compressor = Clamped(CompressorParams{70, 0, 10, 5, 0.5f, 10});
  EXPECT_EQ(compressor.gain, 60);
  EXPECT_FLOAT_EQ(compressor.attack, 0.01f);
  EXPECT_EQ(compressor.release, 50);
  EXPECT_EQ(compressor.threshold, 0);
  EXPECT_EQ(compressor.ratio, 1);
  EXPECT_EQ(compressor.predelay, 4);
  EXPECT_EQ(Clamped(EqualizerParams{NAN, 12, 0}).center, 80);
}

TEST(Distortion, ClipsHarderWithMoreEdge) {
  auto soft = MakeDistortion(kRate);
  soft->SetParams(DistortionParams{0, 0, 1000, 8000, 8000});
  auto hard = MakeDistortion(kRate);
  hard->SetParams(DistortionParams{0, 100, 1000, 8000, 8000});
  Planar s = Process(*soft, Sine(kRate / 2, 1000, 0.5f));
  Planar h = Process(*hard, Sine(kRate / 2, 1000, 0.5f));
  // The third harmonic measures the clipping.
  auto third = [](const Planar& p) {
    return ToneAmplitude(p.left, 3000, kRate / 4, kRate / 2) / ToneAmplitude(p.left, 1000, kRate / 4, kRate / 2);
  };
  EXPECT_GT(third(h), 4 * third(s));
}

}  // namespace
}  // namespace vendrel::sound
