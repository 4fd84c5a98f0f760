// Text lines, measuring and glyph placement against a stored test font,
// computed without a device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/font_resource.h"
#include "graphics/text.h"
#include "tests/graphics/text_test_font.h"

namespace vendrel::graphics {
namespace {

using testing::MakeTestFont;

class TextLayoutTest : public ::testing::Test {
 protected:
  resources::CFont font_ = MakeTestFont();
};

TEST_F(TextLayoutTest, StoredFontMetrics) {
  struct Case {
    const char* text;
    int64_t width;
  } cases[] = {
      {"", 0},
      {"Hello", 8 + 6 + 3 + 3 + 6},
      {"Mim", 10 + 3 + 9},
      {"W-1.", 11 + 5 + 7 + 3},
      {"a b", 6 + 4 + 6},
      // Characters outside 32..127 move the pen as far as the space.
      {"a\x01\xE9z", 6 + 4 + 4 + 6},
  };
  for (const Case& c : cases) EXPECT_EQ(FontTextWidth(font_, c.text), c.width) << c.text;
  EXPECT_EQ(FontLineHeight(font_), 14);
  EXPECT_EQ(FontAdvance(font_, 'T'), 8);
  EXPECT_EQ(font_.offset[size_t('T')], 1);
}

TEST_F(TextLayoutTest, AdvanceOutsideTheRangeFallsBackToSpaceThenFirst) {
  // Without the space in the range, a character outside it advances like
  // the first character (A).
  resources::CFont capitals = MakeTestFont('A', 'Z');
  EXPECT_EQ(FontAdvance(capitals, ' '), 8);
  EXPECT_EQ(FontAdvance(capitals, 'a'), 8);
  EXPECT_EQ(FontAdvance(capitals, 'M'), 10);
  EXPECT_FALSE(FontHolds(capitals, ' '));
  EXPECT_TRUE(FontHolds(capitals, 'Z'));
  EXPECT_EQ(FontAdvance(font_, 200), 4);
}

TEST_F(TextLayoutTest, LineBreaksAndTheEscapedHash) {
  using Lines = std::vector<std::string>;
  struct Case {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"ab", {"ab"}},
      {"a#b", {"a", "b"}},
      {"a\\#b", {"a#b"}},
      {"\\#", {"#"}},
      {"#", {""}},
      {"a#", {"a"}},
      {"##a", {"", "", "a"}},
      {"a\nb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      // A carriage return and a line feed each end a line.
      {"a\r\nb", {"a", "", "b"}},
      {"x\\#y#z", {"x#y", "z"}},
      {"back\\slash", {"back\\slash"}},
  };
  for (const Case& c : cases) EXPECT_EQ(TextLines(font_, c.text, -1), c.lines) << c.text;
}

TEST_F(TextLayoutTest, WordWrapFillsLinesGreedily) {
  using Lines = std::vector<std::string>;
  std::string long_word(25, 'a');  // 150 pixels
  struct Case {
    std::string text;
    int64_t width;
    Lines lines;
  } cases[] = {
      // Words: "the " 22, "cat " 22, "sat " 22, "on " 16, "the " 22,
      // "mat" 21.
      {"the cat sat on the mat", 50, {"the cat ", "sat on ", "the mat"}},
      {"the cat sat on the mat", 44, {"the cat ", "sat on ", "the mat"}},
      {"the cat sat on the mat", 43, {"the ", "cat ", "sat on ", "the mat"}},
      // A hyphen ends a word too: "well-" 26, "known " 37, "fact" 24.
      {"well-known fact", 40, {"well-", "known ", "fact"}},
      {"well-known fact", 63, {"well-known ", "fact"}},
      // A word wider than the width stands alone.
      {"hi " + long_word + " yo", 100, {"hi ", long_word + " ", "yo"}},
      {long_word, 100, {long_word}},
      // Breaks still cut, and an empty piece is an empty line.
      {"ab cd#ef", 20, {"ab ", "cd", "ef"}},
      {"ab##cd", 100, {"ab", "", "cd"}},
      // Width 0 puts every word on its own line.
      {"a b c", 0, {"a ", "b ", "c"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TextLines(font_, c.text, c.width), c.lines) << c.text << " / " << c.width;
}

TEST_F(TextLayoutTest, StringWidthAndHeight) {
  struct Case {
    const char* text;
    int64_t separation, width;
    int64_t string_width, string_height;
  } cases[] = {
      {"", -1, -1, 1, 1},
      {"#", -1, -1, 1, 14},
      {"Hello", -1, -1, 26, 14},
      {"ab#abc", -1, -1, 18, 28},
      {"a\\#b", -1, -1, 20, 14},
      {"a\r\nb", -1, -1, 6, 42},
      {"a#b#c", 20, -1, 6, 14 + 40},
      {"a#b#c", 0, -1, 6, 14},
      {"the cat sat on the mat", -1, 50, 44, 42},
      {"the cat sat on the mat", 10, 50, 44, 34},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextWidth(font_, c.text, c.width), c.string_width) << c.text;
    EXPECT_EQ(TextHeight(font_, c.text, c.separation, c.width), c.string_height) << c.text;
  }
}

struct Spot {
  char code;
  double x, y;
};

void ExpectGlyphs(const std::vector<PlacedGlyph>& glyphs, const std::vector<Spot>& spots,
                  double tolerance = 0.0) {
  ASSERT_EQ(glyphs.size(), spots.size());
  for (size_t i = 0; i < spots.size(); ++i) {
    EXPECT_EQ(glyphs[i].code, uint8_t(spots[i].code)) << i;
    EXPECT_NEAR(glyphs[i].x, spots[i].x, tolerance) << "glyph " << i << " " << spots[i].code;
    EXPECT_NEAR(glyphs[i].y, spots[i].y, tolerance) << "glyph " << i << " " << spots[i].code;
  }
}

TEST_F(TextLayoutTest, PlainTextPlacesCellsAtThePenPlusTheirOffset) {
  TextStyle style;
  // "Tj" at (10, 20): T is drawn one pixel right of the pen, j one left.
  ExpectGlyphs(LayoutText(font_, "Tja", 10, 20, style), {{'T', 11, 20}, {'j', 17, 20}, {'a', 24, 20}});
  // Lines go down by the line height; the space is placed like any glyph,
  // and characters outside the font only move the pen.
  ExpectGlyphs(LayoutText(font_, "a b#\x01" "c", 0.5, 0, style),
               {{'a', 0.5, 0}, {' ', 6.5, 0}, {'b', 10.5, 0}, {'c', 4.5, 14}});
  style.separation = 20;
  ExpectGlyphs(LayoutText(font_, "a##b", 0, 0, style), {{'a', 0, 0}, {'b', 0, 40}});
}

TEST_F(TextLayoutTest, AlignmentMovesLinesByWholePixels) {
  TextStyle style;
  style.separation = 15;
  struct Case {
    int halign, valign;
    // Where the first character of "aaaal" (27 wide) and of "ab" (12
    // wide) go, in three lines "aaaal#ab#a" drawn at (100, 50).
    double x1, y1, x2, y2;
  } cases[] = {
      {kAlignLeft, kAlignTop, 100, 50, 100, 65},
      // Centred lines start half their width (rounded down) to the left.
      {kAlignCenter, kAlignTop, 100 - 13, 50, 100 - 6, 65},
      {kAlignRight, kAlignTop, 100 - 27, 50, 100 - 12, 65},
      // Three lines of 15: 45 div 2 = 22 above for middle, 45 for bottom.
      {kAlignLeft, kAlignMiddle, 100, 50 - 22, 100, 65 - 22},
      {kAlignRight, kAlignBottom, 100 - 27, 50 - 45, 100 - 12, 65 - 45},
      // Values other than 0..2 are treated as left and top.
      {7, -1, 100, 50, 100, 65},
  };
  for (const Case& c : cases) {
    style.halign = c.halign == 1 || c.halign == 2 ? c.halign : kAlignLeft;
    style.valign = c.valign == 1 || c.valign == 2 ? c.valign : kAlignTop;
    std::vector<PlacedGlyph> glyphs = LayoutText(font_, "aaaal#ab#a", 100, 50, style);
    ASSERT_EQ(glyphs.size(), 8u);
    EXPECT_EQ(glyphs[0].x, c.x1) << c.halign << c.valign;
    EXPECT_EQ(glyphs[0].y, c.y1) << c.halign << c.valign;
    EXPECT_EQ(glyphs[5].x, c.x2) << c.halign << c.valign;
    EXPECT_EQ(glyphs[5].y, c.y2) << c.halign << c.valign;
  }
}

TEST_F(TextLayoutTest, WrappedAndCentredText) {
  TextStyle style;
  style.width = 50;
  style.halign = kAlignCenter;
  // Lines "the cat " (44), "sat on " (38), "the mat" (43), 14 apart.
  std::vector<PlacedGlyph> glyphs = LayoutText(font_, "the cat sat on the mat", 200, 10, style);
  ASSERT_EQ(glyphs.size(), 22u);
  EXPECT_EQ(glyphs[0].x, 200 - 22);
  EXPECT_EQ(glyphs[4].code, 'c');
  EXPECT_EQ(glyphs[4].x, 200 - 22 + 22);
  EXPECT_EQ(glyphs[8].code, 's');
  EXPECT_EQ(glyphs[8].x, 200 - 19);
  EXPECT_EQ(glyphs[8].y, 24);
  EXPECT_EQ(glyphs[15].code, 't');
  EXPECT_EQ(glyphs[15].x, 200 - 21);
  EXPECT_EQ(glyphs[15].y, 38);
}

TEST_F(TextLayoutTest, TransformedTextRoundsItsOffsets) {
  TextStyle style;
  style.transformed = true;
  // At scale 1 and angle 0, a centred line of 27 starts round(13.5) = 14 to
  // the left, where plain text starts 27 div 2 = 13 to the left.
  style.halign = kAlignCenter;
  ExpectGlyphs(LayoutText(font_, "aaaal", 100, 0, style),
               {{'a', 86, 0}, {'a', 92, 0}, {'a', 98, 0}, {'a', 104, 0}, {'l', 110, 0}});
  // Scaled: the pen and the offsets stretch with the x scale; lines step
  // by the separation times the y scale.
  style.halign = kAlignRight;
  style.x_scale = 2;
  style.y_scale = 1.5;
  ExpectGlyphs(LayoutText(font_, "Ta#b", 100, 0, style),
               {{'T', 100 - 28 + 2, 0}, {'a', 100 - 28 + 16, 0}, {'b', 100 - 12, 21}});
}

TEST_F(TextLayoutTest, TurnedTextRunsAlongItsAngle) {
  TextStyle style;
  style.transformed = true;
  style.x_scale = 2;
  style.angle = 90;
  // At 90 degrees a line runs up the screen, and the next line lies to its
  // right (one line down in the turned frame).
  ExpectGlyphs(LayoutText(font_, "ab#c", 100, 100, style),
               {{'a', 100, 100}, {'b', 100, 88}, {'c', 114, 100}}, 1e-9);
  // Vertical alignment rounds each component of the step: at 30 degrees
  // the step of 14 is (7, 12.12...); three lines in the middle go back by
  // round(10.5) = 10 and round(18.19) = 18.
  style.x_scale = 1;
  style.angle = 30;
  style.valign = kAlignMiddle;
  std::vector<PlacedGlyph> glyphs = LayoutText(font_, "a#b#c", 50, 50, style);
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_DOUBLE_EQ(glyphs[0].x, 40);
  EXPECT_DOUBLE_EQ(glyphs[0].y, 32);
  EXPECT_NEAR(glyphs[2].x, 40 + 14.0, 1e-9);
  EXPECT_NEAR(glyphs[2].y, 32 + 2 * 14 * 0.8660254037844387, 1e-9);
}

TEST_F(TextLayoutTest, GradientColoursFollowThePenAcrossEachLine) {
  TextStyle style;
  const int32_t black = 0, red = 255, blue = 0xFF0000, green = 0x00FF00;
  style.colors[0] = black;  // top-left
  style.colors[1] = red;    // top-right
  style.colors[2] = blue;   // bottom-right
  style.colors[3] = green;  // bottom-left
  // "ab" is 12 wide: a covers 0..6, b 6..12. Each line has its own box.
  std::vector<PlacedGlyph> glyphs = LayoutText(font_, "ab#aaaa", 0, 0, style);
  ASSERT_EQ(glyphs.size(), 6u);
  const int32_t half_red = 128, half_blue = 128 << 16, half_green = 128 << 8;
  const int32_t a[4] = {black, half_red, half_blue | half_green, green};
  const int32_t b[4] = {half_red, red, blue, half_blue | half_green};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(glyphs[0].colors[k], a[k]) << k;
    EXPECT_EQ(glyphs[1].colors[k], b[k]) << k;
  }
  // Second line, 24 wide: its third a runs from 12 to 18.
  EXPECT_EQ(glyphs[4].colors[0], half_red);
  EXPECT_EQ(glyphs[4].colors[1], 191);
}

TEST(TextOfValueTest, RealsDrawWithoutDecimalsOrWithTwo) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {{3, "3"}, {3.14159, "3.14"}, {-2.5, "-2.50"}, {0.005, "0.01"}, {1e6, "1000000"}};
  for (const Case& c : cases) EXPECT_EQ(TextOfValue(interp::RValue(c.value)), c.text);
  EXPECT_EQ(TextOfValue(interp::RValue(std::string("3.14159"))), "3.14159");
}

}  // namespace
}  // namespace vendrel::graphics
