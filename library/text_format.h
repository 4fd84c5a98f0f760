// Text forms used by the file functions: numbers as text files and INI
// files store them, the INI number parser, the number reader of text files,
// and the parts of Windows file names.
#pragma once

#include <string>
#include <string_view>

namespace vendrel::library {

// Fixed-point text with 4 decimals, the value first rounded to 10
// significant digits (3.14159 gives "3.1416", 1234567.891234 gives
// "1234567.8910"); values of more than 10 integer digits use the general
// form with 10 digits. A result that rounds to zero has no minus sign.
std::string FormatFixed4(double value);

// The general decimal form with at most [precision] significant digits:
// fixed-point without trailing zeros while the value has at most
// [precision] integer digits and is at least 0.0001, else "1.5E-6" style
// (no "+", no leading exponent zeros). "NAN", "INF", "-INF" for the rest.
std::string FormatGeneral(double value, int precision = 15);

// The INI number parser: "." or "," starts the fraction, "E" or "e" the
// exponent, each "-" flips the sign of the exponent (once it started) or of
// the mantissa, digits accumulate, and any other character ends the number.
// "1,5e-2" is 0.015; " 5" and "" are 0.
double ParseIniReal(std::string_view text);

// A number token of a text file ([+-]digits[.digits][(e|E)[+-]digits], "."
// as the decimal separator); false when [token] is not one.
bool ParseTextReal(std::string_view token, double& value);

// Whether a file name has a folder part ("\" or "/").
bool HasFolderPart(std::string_view name);

// Parts of a file name; "\", "/" and the drive's ":" separate.
std::string FileNameName(std::string_view name);    // "C:\a\b.txt" -> "b.txt"
std::string FileNamePath(std::string_view name);    // "C:\a\b.txt" -> "C:\a\"
std::string FileNameDir(std::string_view name);     // "C:\a\b.txt" -> "C:\a", "C:\b" -> "C:\"
std::string FileNameDrive(std::string_view name);   // "C:\a" -> "C:", "\\srv\share\a" -> "\\srv\share"
std::string FileNameExt(std::string_view name);     // "a.tar.gz" -> ".gz"
std::string FileNameChangeExt(std::string_view name, std::string_view ext);

}  // namespace vendrel::library
