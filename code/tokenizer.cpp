// Pass 1: source text to raw tokens.
#include <algorithm>
#include <array>
#include <string_view>

#include "code/compiler.h"
#include "code/errors.h"

namespace vendrel::code {

namespace {

struct Keyword {
  std::string_view word;
  int32_t code;
};

constexpr std::array<Keyword, 25> kKeywords = {{
    {"begin", token::kBegin},   {"end", token::kEnd},       {"if", token::kIf},
    {"then", token::kThen},     {"else", token::kElse},     {"while", token::kWhile},
    {"do", token::kDo},         {"for", token::kFor},       {"with", token::kWith},
    {"until", token::kUntil},   {"repeat", token::kRepeat}, {"exit", token::kExit},
    {"return", token::kReturn}, {"break", token::kBreak},   {"continue", token::kContinue},
    {"switch", token::kSwitch}, {"case", token::kCase},     {"default", token::kDefault},
    {"and", token::kAnd},       {"or", token::kOr},         {"not", token::kNot},
    {"div", token::kDiv},       {"mod", token::kMod},       {"xor", token::kXor},
    {"var", token::kVar},
}};

struct Operator {
  char first;
  char second;  // 0 for a one-character operator
  int32_t code;
};

// Tried in this order: the two-character operators first.
constexpr std::array<Operator, 18> kTwoCharOperators = {{
    {':', '=', token::kAssign},       {'+', '=', token::kAddAssign},
    {'-', '=', token::kSubAssign},    {'*', '=', token::kMulAssign},
    {'/', '=', token::kDivAssign},    {'&', '&', token::kAnd},
    {'|', '|', token::kOr},           {'<', '=', token::kLessEqual},
    {'=', '=', token::kEqual},        {'!', '=', token::kNotEqual},
    {'<', '>', token::kNotEqual},     {'>', '=', token::kGreaterEqual},
    {'|', '=', token::kOrAssign},     {'&', '=', token::kAndAssign},
    {'^', '=', token::kXorAssign},    {'<', '<', token::kShiftLeft},
    {'>', '>', token::kShiftRight},   {'^', '^', token::kXor},
}};

constexpr std::array<Operator, 22> kOneCharOperators = {{
    {'!', 0, token::kNot},          {'&', 0, token::kBitAnd},      {'(', 0, token::kOpenParen},
    {')', 0, token::kCloseParen},   {'*', 0, token::kTimes},       {'+', 0, token::kPlus},
    {',', 0, token::kComma},        {'-', 0, token::kMinus},       {'.', 0, token::kDot},
    {'/', 0, token::kSlash},        {':', 0, token::kColon},       {';', 0, token::kSemicolon},
    {'<', 0, token::kLess},         {'=', 0, token::kAssign},      {'>', 0, token::kGreater},
    {'[', 0, token::kOpenBracket},  {']', 0, token::kCloseBracket}, {'^', 0, token::kBitXor},
    {'{', 0, token::kBegin},        {'|', 0, token::kBitOr},       {'}', 0, token::kEnd},
    {'~', 0, token::kBitNot},
}};

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsWordChar(unsigned char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

class Scanner {
 public:
  // Three trailing spaces guarantee that every real character has a
  // successor, which the two-character operator test relies on.
  explicit Scanner(const std::string& source) : text_(source + "   ") {}

  // Reads the token at the current position into [out].
  void Next(RToken1& out) {
    out.text.clear();
    const size_t size = text_.size();
    for (;;) {
      while (pos_ < size && static_cast<unsigned char>(text_[pos_]) <= 32) ++pos_;
      if (pos_ >= size) {
        out.kind = token::kEndOfSource;
        out.position = int32_t(pos_ + 1);
        return;
      }
      if (text_[pos_] == '/' && At(pos_ + 1) == '/') {
        while (pos_ < size && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
        pos_ = std::min(pos_ + 1, size);  // the line break itself
        continue;
      }
      if (text_[pos_] == '/' && At(pos_ + 1) == '*') {
        // The scan starts at the opening slash, so "/*/" closes itself.
        size_t i = pos_;
        while (i + 1 < size && !(text_[i] == '*' && text_[i + 1] == '/')) ++i;
        pos_ = std::min(i + 2, size);
        continue;
      }
      break;
    }

    const unsigned char c = static_cast<unsigned char>(text_[pos_]);
    out.position = int32_t(pos_ + 1);
    if (IsLetter(c) || c == '_') {
      size_t start = pos_;
      while (pos_ < size && IsWordChar(static_cast<unsigned char>(text_[pos_]))) ++pos_;
      out.text.assign(text_, start, pos_ - start);
      out.kind = token::kIdentifier;
      for (const Keyword& keyword : kKeywords) {
        if (keyword.word == out.text) {
          out.kind = keyword.code;
          break;
        }
      }
      return;
    }
    if (c == '$') {
      size_t start = pos_++;
      while (pos_ < size && IsHexDigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
      out.text.assign(text_, start, pos_ - start);
      out.kind = token::kNumber;
      return;
    }
    if (IsDigit(c) || (c == '.' && IsDigit(static_cast<unsigned char>(At(pos_ + 1))))) {
      size_t start = pos_;
      while (pos_ < size && (IsDigit(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.'))
        ++pos_;
      out.text.assign(text_, start, pos_ - start);
      out.kind = token::kNumber;
      return;
    }
    if (c == '"' || c == '\'') {
      size_t start = pos_ + 1;
      size_t close = text_.find(char(c), start);
      if (close == std::string::npos) {
        out.text.assign(text_, start, std::string::npos);
        pos_ = size;
      } else {
        out.text.assign(text_, start, close - start);
        pos_ = close + 1;
      }
      out.kind = token::kString;
      return;
    }
    const char next = At(pos_ + 1);
    for (const Operator& op : kTwoCharOperators) {
      if (op.first == char(c) && op.second == next) {
        out.text.assign(text_, pos_, 2);
        out.kind = op.code;
        pos_ += 2;
        return;
      }
    }
    for (const Operator& op : kOneCharOperators) {
      if (op.first == char(c)) {
        out.text.assign(1, char(c));
        out.kind = op.code;
        pos_ += 1;
        return;
      }
    }
    out.kind = token::kErrorToken;
    pos_ += 1;
  }

 private:
  char At(size_t index) const { return index < text_.size() ? text_[index] : '\0'; }

  std::string text_;
  size_t pos_ = 0;  // 0-based
};

}  // namespace

bool Tokenize(const CCode& code, RTokenList1& list) {
  Errors().pending = false;
  Scanner scanner(code.source);
  list.count = 0;
  list.tokens.clear();
  for (;;) {
    RToken1& current = list.tokens.emplace_back();
    scanner.Next(current);
    list.count = int32_t(list.tokens.size());
    if (current.kind == token::kErrorToken) {
      ReportError(code, current.position, "Unexpected symbol.");
      return false;
    }
    if (current.kind == token::kEndOfSource) return true;
  }
}

}  // namespace vendrel::code
