#include <gtest/gtest.h>

#include <string>

#include "tests/code/code_runner.h"

namespace vendrel::code {
namespace {

// Tokens as "kind:text@position", separated by spaces, the end token last.
std::string Tokens(const std::string& source) {
  CCode code(source);
  RTokenList1 list;
  bool ok = Tokenize(code, list);
  std::string text;
  for (int i = 0; i < list.count; ++i) {
    const RToken1& t = list.tokens[size_t(i)];
    if (i) text += " ";
    text += std::to_string(t.kind) + ":" + t.text + "@" + std::to_string(t.position);
  }
  if (!ok) {
    text += " | " + Errors().text;
    Errors().pending = false;
  }
  return text;
}

class TokenizerTest : public testing::CodeTest {};

TEST_F(TokenizerTest, ProducesKindTextAndPosition) {
  struct Case {
    const char* source;
    const char* tokens;
  } cases[] = {
      {"", "-2:@4"},
      {"  // only a comment", "-2:@23"},
      {"/* open comment", "-2:@19"},
      {"a<>b", "0:a@1 207:<>@2 0:b@4 -2:@8"},
      {"a=>b", "0:a@1 101:=@2 209:>@3 0:b@4 -2:@8"},
      {"x=.5", "0:x@1 101:=@2 1:.5@3 -2:@8"},
      {"x.y", "0:x@1 112:.@2 0:y@3 -2:@7"},
      {"$1F $1f", "1:$1F@1 1:$1f@5 -2:@11"},
      {"$G", "1:$@1 0:G@2 -2:@6"},
      {"'it\"s'", "2:it\"s@1 -2:@10"},
      {"a/*/b", "0:a@1 0:b@5 -2:@9"},
      {"12abc", "1:12@1 0:abc@3 -2:@9"},
      {"1.2.3", "1:1.2.3@1 -2:@9"},
      {"\"open", "2:open   @1 -2:@9"},
      {"If BEGIN begin end", "0:If@1 0:BEGIN@4 11:begin@10 12:end@16 -2:@22"},
      {"a // c\r\nb", "0:a@1 0:b@9 -2:@13"},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.source), c.tokens) << c.source;
}

TEST_F(TokenizerTest, KeywordsAndOperatorsHaveTheirCodes) {
  struct Case {
    const char* text;
    int code;
  } cases[] = {
      {"begin", 11}, {"{", 11},      {"end", 12},     {"}", 12},       {"if", 13},
      {"then", 14},  {"else", 15},   {"while", 16},   {"do", 17},      {"for", 18},
      {"until", 19}, {"repeat", 20}, {"exit", 21},    {"break", 22},   {"continue", 23},
      {"with", 24},  {"return", 25}, {"switch", 26},  {"case", 27},    {"default", 28},
      {"var", 29},   {":=", 101},    {"=", 101},      {"+=", 102},     {"-=", 103},
      {"*=", 104},   {"/=", 105},    {"|=", 114},     {"&=", 115},     {"^=", 116},
      {"(", 106},    {")", 107},     {";", 108},      {",", 109},      {"[", 110},
      {"]", 111},    {".", 112},     {":", 113},      {"&&", 201},     {"and", 201},
      {"||", 202},   {"or", 202},    {"!", 203},      {"not", 203},    {"<", 204},
      {"<=", 205},   {"==", 206},    {"!=", 207},     {"<>", 207},     {">=", 208},
      {">", 209},    {"+", 210},     {"-", 211},      {"*", 212},      {"/", 213},
      {"div", 214},  {"mod", 215},   {"^^", 216},     {"xor", 216},    {"|", 217},
      {"&", 218},    {"^", 219},     {"~", 220},      {"<<", 221},     {">>", 222},
  };
  for (const Case& c : cases) {
    CCode code(c.text);
    RTokenList1 list;
    ASSERT_TRUE(Tokenize(code, list)) << c.text;
    ASSERT_EQ(list.count, 2) << c.text;
    EXPECT_EQ(list.tokens[0].kind, c.code) << c.text;
    EXPECT_EQ(list.tokens[0].text, c.text);
  }
}

TEST_F(TokenizerTest, CharactersThatStartNoTokenAreRejectedWhereTheyStand) {
  struct Case {
    const char* source;
    int column;
  } cases[] = {
      {"x = 5 % 2", 7}, {"#", 1}, {"a ? b", 3}, {"@x", 1}, {"a\\b", 2}, {"x = \xe9", 5},
  };
  for (const Case& c : cases) {
    testing::Outcome outcome = testing::Run(c.source);
    EXPECT_FALSE(outcome.compiled) << c.source;
    EXPECT_EQ(outcome.Message(), "Unexpected symbol.") << c.source;
    EXPECT_EQ(outcome.Column(), c.column) << c.source;
  }
  // Inside a string literal any byte is fine.
  EXPECT_TRUE(testing::Run("x = '%#?@\\\xe9'").compiled);
}

TEST_F(TokenizerTest, EachTokenizingClearsTheEarlierPendingError) {
  EXPECT_NE(testing::CompileError("%"), "");
  Errors().pending = true;
  CCode code("a");
  RTokenList1 list;
  EXPECT_TRUE(Tokenize(code, list));
  EXPECT_FALSE(Errors().pending);
}

}  // namespace
}  // namespace vendrel::code
