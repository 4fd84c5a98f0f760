#include "library/text_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vendrel::library {

namespace {

// A decimal value: 0.d1d2d3... × 10^exponent; no digits means zero.
struct Decimal {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

// The decimal digits of |value| (41 significant ones, correctly rounded by
// the C library: far beyond the 15 that any format here keeps).
Decimal ExactDigits(double value) {
  Decimal decimal;
  decimal.negative = std::signbit(value);
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%.40e", std::fabs(value));
  std::string_view text = buffer;
  size_t e = text.find('e');
  decimal.digits.push_back(text[0]);
  decimal.digits.append(text.substr(2, e - 2));
  decimal.exponent = std::atoi(buffer + e + 1) + 1;
  while (!decimal.digits.empty() && decimal.digits.back() == '0') decimal.digits.pop_back();
  return decimal;
}

// Keeps [count] significant digits, rounding half away from zero.
void RoundDigits(Decimal& decimal, int count) {
  if (count < 0) {
    decimal.digits.clear();
    return;
  }
  if (int(decimal.digits.size()) <= count) return;
  bool up = decimal.digits[size_t(count)] >= '5';
  decimal.digits.resize(size_t(count));
  if (up) {
    int i = count - 1;
    while (i >= 0 && decimal.digits[size_t(i)] == '9') decimal.digits[size_t(i--)] = '0';
    if (i < 0) {
      decimal.digits.insert(decimal.digits.begin(), '1');
      ++decimal.exponent;
    } else {
      ++decimal.digits[size_t(i)];
    }
  }
  while (!decimal.digits.empty() && decimal.digits.back() == '0') decimal.digits.pop_back();
}

const char* NonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  return value > 0 ? "INF" : "-INF";
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Builds a double from decimal parts; overflow gives an infinity,
// underflow 0.
double ComposeReal(bool negative, const std::string& integer, const std::string& fraction,
                   bool exponent_negative, long exponent) {
  std::string text = integer.empty() ? "0" : integer;
  text += '.';
  text += fraction.empty() ? "0" : fraction;
  text += 'e';
  if (exponent_negative) text += '-';
  text += std::to_string(exponent);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    bool large = !exponent_negative && exponent > 0;
    value = large ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

constexpr std::string_view kNameDelimiters = "\\/:";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The index of the last character of [name] found in [delimiters], or npos.
size_t LastDelimiter(std::string_view name, std::string_view delimiters) {
  return name.find_last_of(delimiters);
}

}  // namespace

std::string FormatFixed4(double value) {
  if (!std::isfinite(value)) return NonFinite(value);
  Decimal decimal = ExactDigits(value);
  if (!decimal.digits.empty() && decimal.exponent > 10) return FormatGeneral(value, 10);
  RoundDigits(decimal, std::min(10, decimal.exponent + 4));
  std::string text;
  if (decimal.negative && !decimal.digits.empty()) text += '-';
  auto digit = [&](int index) {
    return index >= 0 && index < int(decimal.digits.size()) ? decimal.digits[size_t(index)] : '0';
  };
  if (decimal.digits.empty() || decimal.exponent <= 0) {
    text += '0';
  } else {
    for (int i = 0; i < decimal.exponent; ++i) text += digit(i);
  }
  text += '.';
  int start = decimal.digits.empty() ? 0 : decimal.exponent;
  for (int k = 0; k < 4; ++k) text += decimal.digits.empty() ? '0' : digit(start + k);
  return text;
}

std::string FormatGeneral(double value, int precision) {
  if (!std::isfinite(value)) return NonFinite(value);
  Decimal decimal = ExactDigits(value);
  RoundDigits(decimal, precision);
  if (decimal.digits.empty()) return "0";
  std::string text = decimal.negative ? "-" : "";
  const std::string& digits = decimal.digits;
  int exponent = decimal.exponent;
  if (exponent > precision || exponent < -3) {
    text += digits[0];
    if (digits.size() > 1) text += "." + digits.substr(1);
    text += 'E';
    text += std::to_string(exponent - 1);
  } else if (exponent <= 0) {
    text += "0." + std::string(size_t(-exponent), '0') + digits;
  } else {
    size_t integer = size_t(exponent);
    text += digits.substr(0, std::min(integer, digits.size()));
    if (digits.size() < integer) text.append(integer - digits.size(), '0');
    if (digits.size() > integer) text += "." + digits.substr(integer);
  }
  return text;
}

double ParseIniReal(std::string_view text) {
  bool negative = false, exponent_negative = false;
  bool in_fraction = false, in_exponent = false;
  std::string integer, fraction;
  long exponent = 0;
  for (char c : text) {
    if (c == '.' || c == ',') {
      if (in_fraction || in_exponent) break;
      in_fraction = true;
    } else if (c == 'E' || c == 'e') {
      if (in_exponent) break;
      in_exponent = true;
    } else if (c == '-') {
      if (in_exponent)
        exponent_negative = !exponent_negative;
      else
        negative = !negative;
    } else if (IsDigit(c)) {
      if (in_exponent)
        exponent = std::min(exponent * 10 + (c - '0'), 1000000L);
      else if (in_fraction)
        fraction += c;
      else
        integer += c;
    } else {
      break;
    }
  }
  return ComposeReal(negative, integer, fraction, exponent_negative, exponent);
}

bool ParseTextReal(std::string_view token, double& value) {
  size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  std::string integer, fraction;
  while (i < token.size() && IsDigit(token[i])) integer += token[i++];
  if (i < token.size() && token[i] == '.') {
    ++i;
    while (i < token.size() && IsDigit(token[i])) fraction += token[i++];
  }
  if (integer.empty() && fraction.empty()) return false;
  bool exponent_negative = false;
  long exponent = 0;
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
      exponent_negative = token[i++] == '-';
    if (i >= token.size() || !IsDigit(token[i])) return false;
    while (i < token.size() && IsDigit(token[i]))
      exponent = std::min(exponent * 10 + (token[i++] - '0'), 1000000L);
  }
  if (i != token.size()) return false;
  value = ComposeReal(negative, integer, fraction, exponent_negative, exponent);
  return true;
}

bool HasFolderPart(std::string_view name) {
  return name.find_first_of("\\/") != std::string_view::npos;
}

std::string FileNameName(std::string_view name) {
  size_t i = LastDelimiter(name, kNameDelimiters);
  return std::string(i == std::string_view::npos ? name : name.substr(i + 1));
}

std::string FileNamePath(std::string_view name) {
  size_t i = LastDelimiter(name, kNameDelimiters);
  return std::string(i == std::string_view::npos ? "" : name.substr(0, i + 1));
}

std::string FileNameDir(std::string_view name) {
  size_t i = LastDelimiter(name, kNameDelimiters);
  if (i == std::string_view::npos) return "";
  // Drop the final separator unless it is the root's ("C:\", "\").
  if (i > 0 && IsSeparator(name[i]) &&
      kNameDelimiters.find(name[i - 1]) == std::string_view::npos)
    return std::string(name.substr(0, i));
  return std::string(name.substr(0, i + 1));
}

std::string FileNameDrive(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':') return std::string(name.substr(0, 2));
  if (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) {
    // "\\server\share": up to the separator after the share, if any.
    size_t server_end = name.find_first_of("\\/", 2);
    if (server_end == std::string_view::npos) return std::string(name);
    size_t share_end = name.find_first_of("\\/", server_end + 1);
    return std::string(name.substr(0, share_end));
  }
  return "";
}

std::string FileNameExt(std::string_view name) {
  size_t i = name.find_last_of(".\\/:");
  if (i == std::string_view::npos || name[i] != '.') return "";
  return std::string(name.substr(i));
}

std::string FileNameChangeExt(std::string_view name, std::string_view ext) {
  size_t i = name.find_last_of(".\\/:");
  std::string result(i == std::string_view::npos || name[i] != '.' ? name : name.substr(0, i));
  result += ext;
  return result;
}

}  // namespace vendrel::library
