// The built-in function families that belong to the language itself (math,
// strings and conversions, dates), the argument conversions every handler
// shares, and the real/string conversions other subsystems reuse when they
// turn values into text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "code/function_registry.h"
#include "interpreter/value.h"

// Defines a built-in function handler [name] with the registry's signature
// (code/function_registry.h); a handler need not use every parameter.
#define VENDREL_BUILTIN(name)                                                      \
  void name([[maybe_unused]] ::vendrel::runtime::CInstance* self,                  \
            [[maybe_unused]] ::vendrel::runtime::CInstance* other,                 \
            [[maybe_unused]] int argc, [[maybe_unused]] ::vendrel::interp::RValue& result, \
            [[maybe_unused]] ::vendrel::interp::RValue* args)

namespace vendrel::interp {

// Registration, called once from runner/builtin_families.cpp.
void RegisterMathFunctions();
void RegisterStringFunctions();
void RegisterDateFunctions();
void RegisterCodeFunctions();
void RegisterVariableFunctions();
void RegisterEventFunctions();
void RegisterSystemFunctions();

// Argument conversions. A handler reads an argument by its real field (a
// string counts as 0) or by its string field (a real counts as ""); the
// field of the other kind may hold a stale value and is never read.
inline double ArgReal(const RValue& value) { return value.IsReal() ? value.real : 0.0; }
inline const std::string& ArgString(const RValue& value) {
  static const std::string kEmpty;
  return value.IsString() ? value.str : kEmpty;
}
// The argument rounded to an integer, halves to even.
inline int64_t ArgInt(const RValue& value) { return RoundHalfEven(ArgReal(value)); }
// A whole-number argument (an index, a count, a coordinate): rounded as
// ArgInt, then held within the int range, so that a huge index names
// nothing rather than wrapping round to a valid one.
inline int ArgInt32(const RValue& value) {
  const int64_t n = ArgInt(value);
  return n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : int(n);
}
// A truth argument: 0.5 or more.
inline bool ArgBool(const RValue& value) { return ArgReal(value) >= 0.5; }
// A truth result: 1 or 0.
inline void SetBool(RValue& result, bool value) { result.SetReal(value ? 1.0 : 0.0); }

// The text of a real as `string` gives it: an integral value as a plain
// integer ("3", "-0" as "0"), any other value with exactly two decimals
// ("0.50", "3.14"), and a value whose integer part needs more than ten
// digits in exponent notation ("1.5E20"). The separator is always a period.
std::string FormatReal(double value);

// Fixed-point text with [decimals] decimals (negative counts as 0), rounded
// halves away from zero after the value has been taken to 18 significant
// digits, the digits beyond those written as 0; padded on the left with
// spaces to at least [width] bytes. A value whose integer part needs more
// than 18 digits is written in exponent notation.
std::string FormatRealFixed(double value, int64_t width, int64_t decimals);

// Parses [text] as `real` does: surrounding bytes of value 32 or less are
// ignored; an empty text is 0; otherwise an optional sign, digits with an
// optional period and an optional exponent ("-1.5e3"). Returns false for
// any other text (and for a value too large for a double).
bool ParseReal(std::string_view text, double& value);

// Date-times: days since 30 December 1899 at 0:00, local time, the time of
// day being the fraction.
double DateTimeNow();
struct DateTimeFields {
  int64_t year, month, day;
  int64_t weekday;  // 1 Sunday to 7 Saturday
  int64_t hour, minute, second;
};
// The calendar fields of a date-time (any real; read to the millisecond).
DateTimeFields DecodeDateTime(double value);

}  // namespace vendrel::interp
