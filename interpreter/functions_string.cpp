// String functions of the language and the conversions between reals and
// strings. Strings are byte strings; positions are 1-based byte positions.
// Number texts always use a period as decimal separator, whatever the
// player's regional settings.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"

namespace vendrel::interp {

namespace {

// A string result larger than this is refused with the function's error
// rather than exhausting memory (string_repeat('x', 1e12)).
constexpr int64_t kMaxResultBytes = int64_t(1) << 30;

// Significant digits carried by fixed-point texts; later digits are 0.
constexpr int kSignificantDigits = 18;

void ReportFunctionError(const char* name) {
  code::ShowRunError(std::string("Error in function ") + name + "().", false);
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Exponent notation with up to 15 significant digits and no trailing zeros:
// 1.5E20, 1.23456789015E10, 2E-7.
std::string FormatExponent(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);
  std::string text = buffer;
  size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  int exponent = std::stoi(text.substr(e + 1));
  if (mantissa.find('.') != std::string::npos) {
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  return mantissa + "E" + std::to_string(exponent);
}

// Fixed-point text of a finite [value] with [decimals] decimals: the value
// is first taken to 18 significant digits, then rounded at the last decimal
// with halves away from zero. Returns an empty string when the integer part
// needs more than [max_integer_digits] digits.
std::string FormatFixed(double value, int decimals, int max_integer_digits) {
  // digits holds the significant digits; the decimal point lies after the
  // first point_position of them (padding with zeros on either side).
  std::string digits;
  int point_position = 0;
  if (value != 0) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, std::fabs(value));
    std::string_view text = buffer;
    size_t e = text.find('e');
    digits = std::string(1, text[0]) + std::string(text.substr(2, e - 2));
    point_position = std::stoi(std::string(text.substr(e + 1))) + 1;
  }
  int keep = point_position + decimals;
  if (keep < int(digits.size())) {
    bool round_up = keep >= 0 && digits[size_t(keep)] >= '5';
    digits.resize(size_t(std::max(keep, 0)));
    if (round_up) {
      int i = int(digits.size()) - 1;
      for (; i >= 0 && digits[size_t(i)] == '9'; --i) digits[size_t(i)] = '0';
      if (i >= 0) {
        ++digits[size_t(i)];
      } else {
        digits.insert(digits.begin(), '1');
        ++point_position;
      }
    }
  }
  if (point_position > max_integer_digits) return {};

  auto digit_at = [&](int i) {
    return i >= 0 && i < int(digits.size()) ? digits[size_t(i)] : '0';
  };
  std::string text;
  if (point_position <= 0) text = "0";
  for (int i = 0; i < point_position; ++i) text += digit_at(i);
  if (decimals > 0) {
    text += '.';
    for (int i = point_position; i < point_position + decimals; ++i) text += digit_at(i);
  }
  bool nonzero = digits.find_first_not_of('0') != std::string::npos;
  if (value < 0 && nonzero) text.insert(text.begin(), '-');
  return text;
}

// Whether [text] is a decimal number: an optional sign, digits with an
// optional period (at least one digit in all), an optional exponent.
bool IsDecimalNumber(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t mantissa_digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++mantissa_digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissa_digits;
  }
  if (mantissa_digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponent_digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == text.size();
}

// For a number text whose value does not fit a double: whether it is too
// large (rather than too small, which reads as 0). Compares the decimal
// magnitude, the position of the first significant digit plus the exponent.
bool OverflowsDouble(std::string_view text) {
  size_t i = 0;
  if (text[i] == '+' || text[i] == '-') ++i;
  int64_t magnitude = 0;
  bool significant = false;
  bool after_point = false;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    if (text[i] == '.') {
      after_point = true;
    } else if (!significant && text[i] == '0') {
      if (after_point) --magnitude;
    } else {
      significant = true;
      if (!after_point) ++magnitude;
    }
  }
  if (!significant) return false;
  if (i < text.size()) {
    // Exponents beyond a few thousand decide the question alone.
    std::string_view exponent = text.substr(i + 1);
    bool negative = exponent.front() == '-';
    if (exponent.front() == '+' || exponent.front() == '-') exponent.remove_prefix(1);
    int64_t value = 0;
    for (char c : exponent) value = std::min<int64_t>(value * 10 + (c - '0'), 1000000);
    magnitude += negative ? -value : value;
  }
  return magnitude > 0;
}

// Whether a string result of [bytes] would exceed kMaxResultBytes; if so
// function [name] reports its error and [result] becomes the empty string.
bool ResultTooLarge(int64_t bytes, const char* name, RValue& result) {
  if (bytes <= kMaxResultBytes) return false;
  result.SetString("");
  ReportFunctionError(name);
  return true;
}

// Conversions ---------------------------------------------------------------

VENDREL_BUILTIN(Real) {
  if (args[0].IsReal()) {
    result.SetReal(args[0].real);
    return;
  }
  double value = 0;
  if (!ParseReal(args[0].str, value)) {
    ReportFunctionError("real");
    return;
  }
  result.SetReal(value);
}

VENDREL_BUILTIN(String) {
  if (args[0].IsString()) {
    result.SetString(args[0].str);
    return;
  }
  result.SetString(FormatReal(args[0].real));
}

VENDREL_BUILTIN(StringFormat) {
  if (args[0].IsString()) {
    result.SetString(args[0].str);
    return;
  }
  int64_t width = ArgInt(args[1]);
  int64_t decimals = ArgInt(args[2]);
  if (ResultTooLarge(std::max(width, decimals), "string_format", result)) return;
  result.SetString(FormatRealFixed(args[0].real, width, decimals));
}

VENDREL_BUILTIN(Chr) {
  result.SetString(std::string(1, char(uint8_t(uint64_t(ArgInt(args[0]))))));
}

VENDREL_BUILTIN(Ord) {
  const std::string& s = ArgString(args[0]);
  result.SetReal(s.empty() ? 0.0 : double(static_cast<unsigned char>(s[0])));
}

// Positions and pieces ------------------------------------------------------

VENDREL_BUILTIN(StringLength) { result.SetReal(double(ArgString(args[0]).size())); }

VENDREL_BUILTIN(StringPos) {
  const std::string& sub = ArgString(args[0]);
  const std::string& s = ArgString(args[1]);
  if (sub.empty()) return;
  size_t found = s.find(sub);
  result.SetReal(found == std::string::npos ? 0.0 : double(found + 1));
}

// [count] bytes of [s] from the 1-based [index] on: an index below 1 counts
// as 1 without reducing the count; an index past the end or a negative
// count gives nothing; the count stops at the end.
std::string Copy(const std::string& s, int64_t index, int64_t count) {
  if (index < 1) index = 1;
  if (index > int64_t(s.size()) || count <= 0) return {};
  return s.substr(size_t(index - 1), size_t(std::min<int64_t>(count, int64_t(s.size()))));
}

VENDREL_BUILTIN(StringCopy) {
  result.SetString(Copy(ArgString(args[0]), ArgInt(args[1]), ArgInt(args[2])));
}

VENDREL_BUILTIN(StringCharAt) { result.SetString(Copy(ArgString(args[0]), ArgInt(args[1]), 1)); }

VENDREL_BUILTIN(StringDelete) {
  std::string s = ArgString(args[0]);
  int64_t index = ArgInt(args[1]);
  int64_t count = ArgInt(args[2]);
  if (index >= 1 && index <= int64_t(s.size()) && count > 0)
    s.erase(size_t(index - 1), size_t(std::min<int64_t>(count, int64_t(s.size()))));
  result.SetString(std::move(s));
}

VENDREL_BUILTIN(StringInsert) {
  const std::string& sub = ArgString(args[0]);
  std::string s = ArgString(args[1]);
  int64_t index = std::clamp<int64_t>(ArgInt(args[2]), 1, int64_t(s.size()) + 1);
  s.insert(size_t(index - 1), sub);
  result.SetString(std::move(s));
}

// Case and filters ------------------------------------------------------------

VENDREL_BUILTIN(StringLower) {
  std::string s = ArgString(args[0]);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  result.SetString(std::move(s));
}

VENDREL_BUILTIN(StringUpper) {
  std::string s = ArgString(args[0]);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  result.SetString(std::move(s));
}

template <bool (*Keep)(char)>
VENDREL_BUILTIN(StringFilter) {
  std::string kept;
  for (char c : ArgString(args[0]))
    if (Keep(c)) kept += c;
  result.SetString(std::move(kept));
}

bool IsLetterOrDigit(char c) { return IsLetter(c) || IsDigit(c); }

VENDREL_BUILTIN(StringRepeat) {
  const std::string& s = ArgString(args[0]);
  int64_t times = ArgInt(args[1]);
  std::string repeated;
  if (times > 0 && !s.empty()) {
    if (times > kMaxResultBytes / int64_t(s.size()) &&
        ResultTooLarge(kMaxResultBytes + 1, "string_repeat", result))
      return;
    repeated.reserve(s.size() * size_t(times));
    for (int64_t i = 0; i < times; ++i) repeated += s;
  }
  result.SetString(std::move(repeated));
}

// Search and replace ----------------------------------------------------------

// The number of non-overlapping occurrences of [sub] in [s], scanning left
// to right; an empty [sub] occurs nowhere.
int64_t CountOccurrences(const std::string& sub, const std::string& s) {
  if (sub.empty()) return 0;
  int64_t count = 0;
  for (size_t found = s.find(sub); found != std::string::npos;
       found = s.find(sub, found + sub.size()))
    ++count;
  return count;
}

// [s] with the first ([all] false) or every non-overlapping occurrence of
// [old_text], scanning left to right, replaced by [new_text]. An empty
// [old_text] occurs nowhere.
std::string Replace(const std::string& s, const std::string& old_text,
                    const std::string& new_text, bool all) {
  if (old_text.empty()) return s;
  std::string replaced;
  size_t from = 0;
  for (;;) {
    size_t found = s.find(old_text, from);
    if (found == std::string::npos) break;
    replaced.append(s, from, found - from);
    replaced += new_text;
    from = found + old_text.size();
    if (!all) break;
  }
  replaced.append(s, from, std::string::npos);
  return replaced;
}

VENDREL_BUILTIN(StringReplace) {
  result.SetString(Replace(ArgString(args[0]), ArgString(args[1]), ArgString(args[2]), false));
}

VENDREL_BUILTIN(StringReplaceAll) {
  const std::string& s = ArgString(args[0]);
  const std::string& old_text = ArgString(args[1]);
  const std::string& new_text = ArgString(args[2]);
  if (new_text.size() > old_text.size()) {
    int64_t growth = CountOccurrences(old_text, s) * int64_t(new_text.size() - old_text.size());
    if (ResultTooLarge(int64_t(s.size()) + growth, "string_replace_all", result)) return;
  }
  result.SetString(Replace(s, old_text, new_text, true));
}

VENDREL_BUILTIN(StringCount) {
  result.SetReal(double(CountOccurrences(ArgString(args[0]), ArgString(args[1]))));
}

}  // namespace

std::string FormatReal(double value) {
  if (!std::isfinite(value)) return FormatExponent(value);
  // Integral values within the 64-bit range are written as integers.
  if (std::fabs(value) < 9.2233720368547758e18 && std::nearbyint(value) == value)
    return std::to_string(RoundHalfEven(value));
  std::string fixed = FormatFixed(value, 2, 10);
  return fixed.empty() ? FormatExponent(value) : fixed;
}

std::string FormatRealFixed(double value, int64_t width, int64_t decimals) {
  std::string text;
  if (std::isfinite(value))
    text = FormatFixed(value, int(std::clamp<int64_t>(decimals, 0, kMaxResultBytes)),
                       kSignificantDigits);
  if (text.empty()) text = FormatExponent(value);
  if (width > int64_t(text.size()))
    text.insert(0, size_t(std::min(width, kMaxResultBytes)) - text.size(), ' ');
  return text;
}

bool ParseReal(std::string_view text, double& value) {
  text = Trim(text);
  if (text.empty()) {
    value = 0;
    return true;
  }
  if (!IsDecimalNumber(text)) return false;
  // from_chars reads the C locale's format whatever the global locale, but
  // takes no plus sign.
  std::string_view unsigned_text = text;
  if (unsigned_text.front() == '+') unsigned_text.remove_prefix(1);
  double parsed = 0;
  auto [end, error] =
      std::from_chars(unsigned_text.data(), unsigned_text.data() + unsigned_text.size(), parsed);
  if (error == std::errc::result_out_of_range) {
    if (OverflowsDouble(text)) return false;
    parsed = unsigned_text.front() == '-' ? -0.0 : 0.0;
  } else if (error != std::errc() || end != unsigned_text.data() + unsigned_text.size()) {
    return false;
  }
  value = parsed;
  return true;
}

static const code::FunctionTableRow kStringFunctions[] = {
    {"real", 1, Real},
    {"string", 1, String},
    {"string_format", 3, StringFormat},
    {"chr", 1, Chr},
    {"ord", 1, Ord},
    {"string_length", 1, StringLength},
    {"string_pos", 2, StringPos},
    {"string_copy", 3, StringCopy},
    {"string_char_at", 2, StringCharAt},
    {"string_delete", 3, StringDelete},
    {"string_insert", 3, StringInsert},
    {"string_lower", 1, StringLower},
    {"string_upper", 1, StringUpper},
    {"string_repeat", 2, StringRepeat},
    {"string_letters", 1, StringFilter<IsLetter>},
    {"string_digits", 1, StringFilter<IsDigit>},
    {"string_lettersdigits", 1, StringFilter<IsLetterOrDigit>},
    {"string_replace", 3, StringReplace},
    {"string_replace_all", 3, StringReplaceAll},
    {"string_count", 2, StringCount},
};

void RegisterStringFunctions() { code::RegisterFamily(kStringFunctions); }

}  // namespace vendrel::interp
