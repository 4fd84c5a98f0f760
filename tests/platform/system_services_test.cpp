#include "platform/system_services.h"

#include <gtest/gtest.h>

#include "platform/message_box.h"

namespace vendrel::platform {
namespace {

TEST(Cp1252, EveryByteSurvivesUtf8) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += char(byte);
  EXPECT_EQ(Cp1252FromUtf8(Utf8FromCp1252(all)), all);
  EXPECT_EQ(Utf8FromCp1252("\x80\x99\xE9"), "\xE2\x82\xAC\xE2\x84\xA2\xC3\xA9");  // euro, trade mark, e acute
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Cp1252FromUtf8("a\xE2\x86\x92" "b"), "a?b");  // an arrow
  EXPECT_EQ(Cp1252FromUtf8("\xF0\x9F\x98\x80"), "?");      // an emoji
  EXPECT_EQ(Cp1252FromUtf8("x\xC3"), "x?");               // cut short
}

TEST(Clipboard, HeadlessRunsKeepTheirOwn) {
  SetHeadless(true);
  SetClipboardGameText("");
  EXPECT_FALSE(ClipboardHasText());
  SetClipboardGameText("caf\xE9 \x80");
  EXPECT_TRUE(ClipboardHasText());
  EXPECT_EQ(ClipboardGameText(), "caf\xE9 \x80");
}

}  // namespace
}  // namespace vendrel::platform
