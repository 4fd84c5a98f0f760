#include "platform/font_rasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vendrel::platform {
namespace {

// Why the Liberation family [wanted] cannot be used, or "" when
// fontconfig resolves it to a file of that family.
std::string LiberationMissing(const std::string& wanted) {
  ResolvedFont probe;
  std::string why;
  if (ResolveFont(wanted, false, false, probe, &why) && probe.family == wanted) return "";
  return "the Liberation fonts (fonts-liberation2) are not installed: " + wanted +
         " resolves to \"" + probe.family + "\" " + why;
}

#define REQUIRE_LIBERATION(wanted)                                      \
  do {                                                                  \
    std::string missing = LiberationMissing(wanted);                    \
    if (!missing.empty()) GTEST_SKIP() << missing;                      \
  } while (0)

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

TEST(MetricCompatibleFamilyTest, MapsWindowsFamiliesAndKeepsOthers) {
  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {
      {"Arial", "Liberation Sans"},
      {"arial", "Liberation Sans"},
      {"  ARIAL ", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"},
      {"times new roman", "Liberation Serif"},
      {"Courier New", "Liberation Mono"},
      // Not a Windows family with a stand-in: asked for as it is.
      {"Arial Black", "Arial Black"},
      {"Courier", "Courier"},
      {"DejaVu Sans", "DejaVu Sans"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MetricCompatibleFamily(c.name), c.expected) << c.name;
}

TEST(ResolveFontTest, WindowsFamiliesResolveToLiberationFilesWithTheirStyles) {
  REQUIRE_LIBERATION("Liberation Sans");
  REQUIRE_LIBERATION("Liberation Serif");
  REQUIRE_LIBERATION("Liberation Mono");
  struct Case {
    const char* family;
    bool bold, italic;
    const char* file;
  } cases[] = {
      {"Arial", false, false, "LiberationSans-Regular.ttf"},
      {"Arial", true, false, "LiberationSans-Bold.ttf"},
      {"Arial", false, true, "LiberationSans-Italic.ttf"},
      {"Arial", true, true, "LiberationSans-BoldItalic.ttf"},
      {"Times New Roman", false, false, "LiberationSerif-Regular.ttf"},
      {"Times New Roman", true, true, "LiberationSerif-BoldItalic.ttf"},
      {"Courier New", false, false, "LiberationMono-Regular.ttf"},
      {"courier new", false, true, "LiberationMono-Italic.ttf"},
  };
  for (const Case& c : cases) {
    ResolvedFont font;
    std::string error;
    ASSERT_TRUE(ResolveFont(c.family, c.bold, c.italic, font, &error)) << error;
    EXPECT_EQ(FileName(font.path), c.file) << c.family << " " << c.bold << c.italic;
    EXPECT_EQ(font.bold, c.bold) << c.family;
    EXPECT_EQ(font.italic, c.italic) << c.family;
  }
}

TEST(ResolveFontTest, UnknownFamilyStillGetsAnInstalledFont) {
  ResolvedFont font;
  std::string error;
  ASSERT_TRUE(ResolveFont("No Such Family 12345", false, false, font, &error)) << error;
  EXPECT_FALSE(font.path.empty());
  EXPECT_FALSE(font.family.empty());
}

TEST(RasterFontTest, VerticalMetricsFollowTheWindowsAscentAndDescent) {
  REQUIRE_LIBERATION("Liberation Sans");
  // Liberation Sans, like Arial, has a Windows ascent of 1854 and descent
  // of 434 units per 2048: at 16 pixels per em 14.48 and 3.39 pixels, so
  // an ascent of 15 (rounded up) in a height of 18 (17.88 rounded).
  struct Case {
    int pixels, ascent, height;
  } cases[] = {{16, 15, 18}, {13, 12, 15}, {32, 29, 36}};
  for (const Case& c : cases) {
    std::string error;
    auto font = RasterFont::Open("Arial", c.pixels, false, false, &error);
    ASSERT_NE(font, nullptr) << error;
    EXPECT_EQ(font->Ascent(), c.ascent) << c.pixels;
    EXPECT_EQ(font->Height(), c.height) << c.pixels;
  }
}

TEST(RasterFontTest, GlyphsSitOnTheBaselineWithTheirCoverage) {
  REQUIRE_LIBERATION("Liberation Sans");
  std::string error;
  auto font = RasterFont::Open("Arial", 16, false, false, &error);
  ASSERT_NE(font, nullptr) << error;

  RasterGlyph space;
  ASSERT_TRUE(font->RenderGlyph(' ', space));
  EXPECT_EQ(space.width * space.height, 0);
  EXPECT_EQ(space.advance, 4);  // 569 units per 2048 at 16 pixels

  // A capital stands on the baseline: its lowest row is the last row above
  // it; a "p" hangs below.
  RasterGlyph h, p;
  ASSERT_TRUE(font->RenderGlyph('H', h));
  ASSERT_TRUE(font->RenderGlyph('p', p));
  EXPECT_EQ(h.top - h.height, 0);
  EXPECT_GT(h.top, 9);
  EXPECT_LE(h.top, font->Ascent());
  EXPECT_LT(p.top - p.height, 0);
  EXPECT_GE(p.top - p.height, -font->Descent());
  ASSERT_EQ(h.coverage.size(), size_t(h.width * h.height));
  // The stems of "H" are inked along the whole height, and its bar is one
  // row fully covered from stem to stem.
  int full_rows = 0;
  for (int row = 0; row < h.height; ++row) {
    EXPECT_GE(h.coverage[size_t(row * h.width)] + 0, 128) << row;
    EXPECT_GE(h.coverage[size_t(row * h.width + h.width - 1)] + 0, 128) << row;
    bool full = true;
    for (int col = 1; col + 1 < h.width; ++col) full &= h.coverage[size_t(row * h.width + col)] == 255;
    full_rows += full ? 1 : 0;
  }
  EXPECT_EQ(full_rows, 1);
}

TEST(RasterFontTest, MonospacedStandInHasOneAdvanceAndBoldIsHeavier) {
  REQUIRE_LIBERATION("Liberation Mono");
  REQUIRE_LIBERATION("Liberation Sans");
  std::string error;
  auto mono = RasterFont::Open("Courier New", 16, false, false, &error);
  ASSERT_NE(mono, nullptr) << error;
  RasterGlyph glyph;
  for (uint32_t c = 32; c < 127; ++c) {
    ASSERT_TRUE(mono->RenderGlyph(c, glyph));
    EXPECT_EQ(glyph.advance, 10) << char(c);  // 1229 units per 2048 at 16 pixels
  }

  auto regular = RasterFont::Open("Arial", 16, false, false, &error);
  auto bold = RasterFont::Open("Arial", 16, true, false, &error);
  ASSERT_NE(regular, nullptr);
  ASSERT_NE(bold, nullptr);
  auto ink = [](const RasterGlyph& g) {
    int sum = 0;
    for (uint8_t v : g.coverage) sum += v;
    return sum;
  };
  RasterGlyph thin, heavy;
  ASSERT_TRUE(regular->RenderGlyph('l', thin));
  ASSERT_TRUE(bold->RenderGlyph('l', heavy));
  EXPECT_GT(ink(heavy), ink(thin) * 3 / 2);
}

TEST(RasterFontTest, ReportsWhichCharactersTheFontHas) {
  REQUIRE_LIBERATION("Liberation Sans");
  std::string error;
  auto font = RasterFont::Open("Arial", 16, false, false, &error);
  ASSERT_NE(font, nullptr) << error;
  EXPECT_TRUE(font->HasGlyph('A'));
  EXPECT_TRUE(font->HasGlyph(0x20AC));  // euro sign
  EXPECT_TRUE(font->HasGlyph(0x0152));  // OE ligature
  EXPECT_FALSE(font->HasGlyph(0x0081));
  EXPECT_FALSE(font->HasGlyph(0xE0001));
}

}  // namespace
}  // namespace vendrel::platform
