// Tokens of the game language: the raw tokens of the first compiler pass
// (RToken1) and the resolved tokens of the second (RToken2), with every
// token code. Codes 201 to 222 are also the operator codes of the
// interpreter; 101 is both assignment and, inside expressions, equality.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interpreter/value.h"

namespace vendrel::code {

namespace token {
// Special tokens.
inline constexpr int32_t kEndOfSource = -2;
inline constexpr int32_t kErrorToken = -1;
inline constexpr int32_t kIdentifier = 0;
inline constexpr int32_t kNumber = 1;
inline constexpr int32_t kString = 2;
// Kinds that only resolved tokens carry.
inline constexpr int32_t kValue = 5;
inline constexpr int32_t kCall = 6;
inline constexpr int32_t kVariable = 7;
// Keywords and braces.
inline constexpr int32_t kBegin = 11;  // begin or {
inline constexpr int32_t kEnd = 12;    // end or }
inline constexpr int32_t kIf = 13;
inline constexpr int32_t kThen = 14;
inline constexpr int32_t kElse = 15;
inline constexpr int32_t kWhile = 16;
inline constexpr int32_t kDo = 17;
inline constexpr int32_t kFor = 18;
inline constexpr int32_t kUntil = 19;
inline constexpr int32_t kRepeat = 20;
inline constexpr int32_t kExit = 21;
inline constexpr int32_t kBreak = 22;
inline constexpr int32_t kContinue = 23;
inline constexpr int32_t kWith = 24;
inline constexpr int32_t kReturn = 25;
inline constexpr int32_t kSwitch = 26;
inline constexpr int32_t kCase = 27;
inline constexpr int32_t kDefault = 28;
inline constexpr int32_t kVar = 29;
// Assignment operators.
inline constexpr int32_t kAssign = 101;  // := or =
inline constexpr int32_t kAddAssign = 102;
inline constexpr int32_t kSubAssign = 103;
inline constexpr int32_t kMulAssign = 104;
inline constexpr int32_t kDivAssign = 105;
inline constexpr int32_t kOrAssign = 114;
inline constexpr int32_t kAndAssign = 115;
inline constexpr int32_t kXorAssign = 116;
// Punctuation.
inline constexpr int32_t kOpenParen = 106;
inline constexpr int32_t kCloseParen = 107;
inline constexpr int32_t kSemicolon = 108;
inline constexpr int32_t kComma = 109;
inline constexpr int32_t kOpenBracket = 110;
inline constexpr int32_t kCloseBracket = 111;
inline constexpr int32_t kDot = 112;
inline constexpr int32_t kColon = 113;
// Operators (also the operator codes of ApplyUnary and ApplyBinary).
inline constexpr int32_t kAnd = 201;  // && and
inline constexpr int32_t kOr = 202;   // || or
inline constexpr int32_t kNot = 203;  // ! not
inline constexpr int32_t kLess = 204;
inline constexpr int32_t kLessEqual = 205;
inline constexpr int32_t kEqual = 206;
inline constexpr int32_t kNotEqual = 207;  // != <>
inline constexpr int32_t kGreaterEqual = 208;
inline constexpr int32_t kGreater = 209;
inline constexpr int32_t kPlus = 210;
inline constexpr int32_t kMinus = 211;
inline constexpr int32_t kTimes = 212;
inline constexpr int32_t kSlash = 213;
inline constexpr int32_t kDiv = 214;
inline constexpr int32_t kMod = 215;
inline constexpr int32_t kXor = 216;  // ^^ xor
inline constexpr int32_t kBitOr = 217;
inline constexpr int32_t kBitAnd = 218;
inline constexpr int32_t kBitXor = 219;
inline constexpr int32_t kBitNot = 220;
inline constexpr int32_t kShiftLeft = 221;
inline constexpr int32_t kShiftRight = 222;
}  // namespace token

// A raw token of the first pass.
struct RToken1 {
  int32_t kind = token::kErrorToken;
  // The identifier or keyword, the number's characters (with a leading $ for
  // hexadecimal), a string literal's contents, the operator's characters;
  // empty for the end and error tokens.
  std::string text;
  // 1-based index in the source of the token's first character.
  int32_t position = 0;
};

struct RTokenList1 {
  int32_t count = 0;
  std::vector<RToken1> tokens;  // only the first count entries are valid
};

// A resolved token of the second pass: a value (5), a call (6), a variable
// (7), or any other token code unchanged.
struct RToken2 {
  int32_t kind = token::kErrorToken;
  // Call: function index; variable: variable id; else 0.
  int32_t index = 0;
  interp::RValue value;  // kind 5: the constant
  int32_t position = 0;
};

struct RTokenList2 {
  int32_t count = 0;
  std::vector<RToken2> tokens;
};

}  // namespace vendrel::code
