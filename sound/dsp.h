// Building blocks of the effect units: delay lines, biquad filters and
// low-frequency oscillators.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace vendrel::sound {

inline float DbToGain(double db) { return float(std::pow(10.0, db / 20.0)); }

// A circular delay line of fixed length. Read(k) gives the sample written
// k calls of Write ago (k >= 1), Read of a fraction interpolates linearly.
class DelayLine {
 public:
  explicit DelayLine(size_t max_delay = 1) {
    size_t size = 2;
    while (size < max_delay + 2) size *= 2;
    buffer_.assign(size, 0.0f);
    mask_ = size - 1;
  }
  size_t MaxDelay() const { return buffer_.size() - 2; }
  void Clear() { std::fill(buffer_.begin(), buffer_.end(), 0.0f); }
  float Read(size_t delay) const { return buffer_[(write_ - delay) & mask_]; }
  float ReadFractional(double delay) const {
    delay = std::clamp(delay, 1.0, double(MaxDelay()));
    size_t whole = size_t(delay);
    float frac = float(delay - double(whole));
    float a = Read(whole);
    float b = Read(whole + 1);
    return a + (b - a) * frac;
  }
  void Write(float value) {
    buffer_[write_ & mask_] = value;
    ++write_;
  }

 private:
  std::vector<float> buffer_;
  size_t mask_ = 1;
  size_t write_ = 0;
};

// A second-order filter in direct form I with normalised coefficients.
struct Biquad {
  float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  float x1 = 0, x2 = 0, y1 = 0, y2 = 0;

  float Process(float x) {
    float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
  void Clear() { x1 = x2 = y1 = y2 = 0; }

  void Set(double nb0, double nb1, double nb2, double na0, double na1, double na2) {
    b0 = float(nb0 / na0);
    b1 = float(nb1 / na0);
    b2 = float(nb2 / na0);
    a1 = float(na1 / na0);
    a2 = float(na2 / na0);
  }

  // A peaking equaliser: [gain_db] at [center] Hz, falling off to 0 dB over
  // [octaves] of bandwidth (the usual audio-cookbook design).
  void SetPeaking(double rate, double center, double octaves, double gain_db) {
    double w0 = 2 * std::numbers::pi * center / rate;
    double a = std::pow(10.0, gain_db / 40.0);
    double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * octaves * w0 / std::sin(w0));
    double c = std::cos(w0);
    Set(1 + alpha * a, -2 * c, 1 - alpha * a, 1 + alpha / a, -2 * c, 1 - alpha / a);
  }

  // A band-pass with 0 dB at [center] Hz and [width] Hz between its -3 dB points.
  void SetBandPass(double rate, double center, double width) {
    double w0 = 2 * std::numbers::pi * center / rate;
    double q = center / std::max(width, 1.0);
    double alpha = std::sin(w0) / (2 * q);
    double c = std::cos(w0);
    Set(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
  }
};

enum class LfoShape { Triangle, Sine };

// The value of a unit-amplitude oscillator at [phase] (in cycles, any real
// number). Both shapes start at 0 and rise, so a triangle and a sine at the
// same phase agree at every quarter cycle.
inline float LfoValue(LfoShape shape, double phase) {
  double p = phase - std::floor(phase);
  if (shape == LfoShape::Sine) return float(std::sin(2 * std::numbers::pi * p));
  if (p < 0.25) return float(4 * p);
  if (p < 0.75) return float(2 - 4 * p);
  return float(4 * p - 4);
}

}  // namespace vendrel::sound
