// RValue: the one value type of the game language, a real or a byte string.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

namespace vendrel::interp {

enum class ValueKind : int32_t { Real = 0, String = 1 };

struct RValue {
  ValueKind kind = ValueKind::Real;
  double real = 0.0;
  // Windows-1252 bytes; any byte may occur. Read only when kind is String.
  std::string str;

  RValue() = default;
  explicit RValue(double value) : real(value) {}
  explicit RValue(std::string value) : kind(ValueKind::String), str(std::move(value)) {}

  bool IsReal() const { return kind == ValueKind::Real; }
  bool IsString() const { return kind == ValueKind::String; }
  // A real value never keeps the text of an earlier string.
  void SetReal(double value) {
    if (kind == ValueKind::String) str.clear();
    kind = ValueKind::Real;
    real = value;
  }
  void SetString(std::string value) {
    kind = ValueKind::String;
    str = std::move(value);
  }
};

// Rounds to the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4), as
// every integer argument of the language is rounded. Values outside the
// 64-bit range saturate and NaN gives 0.
inline int64_t RoundHalfEven(double value) {
  // Below 2^51 in magnitude, adding and removing 1.5 * 2^52 rounds to an
  // integer with ties to even in the default rounding mode, without a call.
  constexpr double kMagic = 6755399441055744.0;
  if (std::fabs(value) < 2251799813685248.0)
    return static_cast<int64_t>((value + kMagic) - kMagic);
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return INT64_MAX;
  if (value <= -9.2233720368547758e18) return INT64_MIN;
  return static_cast<int64_t>(std::nearbyint(value));  // default mode: ties to even
}

// Truth of a value for the operators: a real of 0.5 or more.
inline bool IsTrue(const RValue& value) { return value.IsReal() && value.real >= 0.5; }

}  // namespace vendrel::interp
