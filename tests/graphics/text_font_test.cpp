// Font resources: the Windows-1252 mapping, the packing of glyph cells,
// fonts rendered from system fonts, sprite fonts, the font table and the
// font and text built-ins.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "code/errors.h"
#include "code/function_registry.h"
#include "graphics/font_resource.h"
#include "graphics/font_system.h"
#include "graphics/function_families.h"
#include "graphics/text.h"
#include "platform/font_rasterizer.h"
#include "platform/message_box.h"
#include "resources/game_resources.h"
#include "tests/graphics/text_test_font.h"
#include "tests/builtin_call.h"

namespace vendrel::graphics {
namespace {

std::string LiberationSansMissing() {
  platform::ResolvedFont font;
  std::string why;
  if (platform::ResolveFont("Arial", false, false, font, &why) &&
      font.family == "Liberation Sans")
    return "";
  return "the Liberation fonts (fonts-liberation2) are not installed: Arial resolves to \"" +
         font.family + "\" " + why;
}

#define REQUIRE_LIBERATION_SANS()                         \
  do {                                                    \
    std::string missing = LiberationSansMissing();        \
    if (!missing.empty()) GTEST_SKIP() << missing;        \
  } while (0)

TEST(Cp1252Test, MapsBytesToUnicode) {
  struct Case {
    uint8_t byte;
    uint32_t code_point;
  } cases[] = {
      {0x00, 0x0000}, {0x41, 0x0041}, {0x7F, 0x007F},
      // The range Latin-1 leaves to control characters holds printable
      // characters in Windows-1252.
      {0x80, 0x20AC}, {0x82, 0x201A}, {0x85, 0x2026}, {0x8A, 0x0160}, {0x8C, 0x0152},
      {0x91, 0x2018}, {0x93, 0x201C}, {0x96, 0x2013}, {0x97, 0x2014}, {0x99, 0x2122},
      {0x9C, 0x0153}, {0x9F, 0x0178},
      // The five undefined bytes stay control characters.
      {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},
      // The upper half is Latin-1.
      {0xA0, 0x00A0}, {0xA9, 0x00A9}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Cp1252ToUnicode(c.byte), c.code_point) << std::hex << int(c.byte);
}

TEST(FontPixelSizeTest, PointsAtNinetySixPixelsPerInch) {
  struct Case {
    int32_t points;
    int pixels;
  } cases[] = {{12, 16}, {10, 13}, {8, 11}, {9, 12}, {11, 15}, {1, 1},   {72, 96},
               {0, 16},  {-12, 16}, {384, 512}, {100000, kMaxFontPixels}};
  for (const Case& c : cases) EXPECT_EQ(FontPixelSize(c.points), c.pixels) << c.points;
}

TEST(PackGlyphCellsTest, CellsFillRowsOfAPowerOfTwoWidth) {
  resources::CFont font;
  font.first = 65;
  font.last = 70;
  std::array<GlyphExtent, 256> extents{};
  for (int c = 65; c <= 70; ++c) extents[size_t(c)] = {true, 1, 10, 1, 0};
  extents[66] = {true, -2, 5, 3, 0};
  PackGlyphCells(font, extents, 12);
  EXPECT_EQ(font.bitmap_width, 128);
  EXPECT_EQ(font.bitmap_height, 13);
  // A: cell 11 wide at 0, then one blank column between cells.
  EXPECT_EQ(font.glyph_x[65], 0);
  EXPECT_EQ(font.cell_width[65], 11);
  EXPECT_EQ(font.advance[65], 12);
  EXPECT_EQ(font.offset[65], 1);
  EXPECT_EQ(font.glyph_x[66], 12);
  EXPECT_EQ(font.cell_width[66], 6);
  EXPECT_EQ(font.advance[66], 6);
  EXPECT_EQ(font.offset[66], -2);
  EXPECT_EQ(font.glyph_x[67], 19);
  for (int c = 65; c <= 70; ++c) {
    EXPECT_EQ(font.glyph_y[size_t(c)], 0);
    EXPECT_EQ(font.cell_height[size_t(c)], 12);
  }
}

TEST(PackGlyphCellsTest, RowsWrapAndTheWidthDoublesUntilTheHeightFits) {
  struct Case {
    int count;
    int32_t black_width;
    int per_row;
    int32_t width, height;
  } cases[] = {
      // Cells of 31 step by 32: four fit in 128 (the fourth ends at 127).
      {20, 30, 4, 128, 5 * 13},
      // Sixteen rows would be 208 high: the width doubles to 256.
      {64, 30, 8, 256, 8 * 13},
      // Cells of 32: the fourth would end at 131, so three to a row.
      {9, 31, 3, 128, 3 * 13},
  };
  for (const Case& c : cases) {
    resources::CFont font;
    font.first = 10;
    font.last = 10 + c.count - 1;
    std::array<GlyphExtent, 256> extents{};
    for (int i = font.first; i <= font.last; ++i) extents[size_t(i)] = {true, 0, c.black_width, 0, 0};
    PackGlyphCells(font, extents, 12);
    EXPECT_EQ(font.bitmap_width, c.width) << c.count;
    EXPECT_EQ(font.bitmap_height, c.height) << c.count;
    for (int i = 0; i < c.count; ++i) {
      size_t code = size_t(font.first + i);
      EXPECT_EQ(font.glyph_x[code], (i % c.per_row) * (c.black_width + 2)) << c.count << " " << i;
      EXPECT_EQ(font.glyph_y[code], (i / c.per_row) * 13) << c.count << " " << i;
    }
  }
}

TEST(PackGlyphCellsTest, WithoutAbcWidthsItalicCellsGetRoomToLean) {
  std::array<GlyphExtent, 256> extents{};
  extents[65] = {false, 0, 0, 0, 7};
  for (bool italic : {false, true}) {
    resources::CFont font;
    font.first = font.last = 65;
    font.italic = italic;
    PackGlyphCells(font, extents, 12);
    EXPECT_EQ(font.cell_width[65], italic ? 12 / 2 + 7 + 2 : 8);
    EXPECT_EQ(font.advance[65], 7);
    EXPECT_EQ(font.offset[65], 0);
  }
}

TEST(RenderSystemFontTest, RangeIsClampedAndGlyphsLandInTheirCells) {
  REQUIRE_LIBERATION_SANS();
  resources::CFont font;
  ASSERT_TRUE(RenderSystemFont(font, "Arial", 12, false, false, -5, 300));
  EXPECT_EQ(font.first, 0);
  EXPECT_EQ(font.last, 255);
  EXPECT_EQ(font.font_name, "Arial");
  EXPECT_EQ(font.size, 12);
  EXPECT_EQ(font.texture, -1);
  EXPECT_GE(font.bitmap_width, font.bitmap_height);
  EXPECT_EQ(font.bitmap_width & (font.bitmap_width - 1), 0);
  ASSERT_EQ(font.glyph_bitmap.size(), size_t(font.bitmap_width) * size_t(font.bitmap_height));

  // Arial at 12 points is 16 pixels per em, 18 high with an ascent of 15.
  EXPECT_EQ(FontLineHeight(font), 18);
  EXPECT_EQ(FontAdvance(font, ' '), 4);

  std::string error;
  auto raster = platform::RasterFont::Open("Arial", 16, false, false, &error);
  ASSERT_NE(raster, nullptr) << error;
  // Each byte's cell holds the glyph of the character the byte stands for
  // in Windows-1252, baseline at row 15 of the cell.
  for (uint8_t code : {uint8_t('H'), uint8_t('g'), uint8_t(0x80), uint8_t(0x8C), uint8_t(0x99),
                       uint8_t(0xE9)}) {
    platform::RasterGlyph glyph;
    ASSERT_TRUE(raster->RenderGlyph(Cp1252ToUnicode(code), glyph));
    ASSERT_GT(glyph.width, 0);
    EXPECT_EQ(font.cell_width[code], glyph.width + 1) << int(code);
    EXPECT_EQ(font.offset[code], glyph.left) << int(code);
    EXPECT_EQ(font.advance[code], glyph.advance) << int(code);
    int mismatches = 0;
    for (int row = 0; row < font.cell_height[code]; ++row) {
      for (int col = 0; col < font.cell_width[code]; ++col) {
        int glyph_row = row - (15 - glyph.top);
        uint8_t expected = glyph_row >= 0 && glyph_row < glyph.height && col < glyph.width
                               ? glyph.coverage[size_t(glyph_row * glyph.width + col)]
                               : 0;
        size_t at = size_t(font.glyph_y[code] + row) * size_t(font.bitmap_width) +
                    size_t(font.glyph_x[code] + col);
        mismatches += font.glyph_bitmap[at] != expected ? 1 : 0;
      }
    }
    EXPECT_EQ(mismatches, 0) << "cell of byte " << int(code);
  }
  // The euro sign and the Latin-1 control character at 0x80 differ: the
  // cell shows the euro sign's ink.
  int ink = 0;
  for (int row = 0; row < font.cell_height[0x80]; ++row)
    for (int col = 0; col < font.cell_width[0x80]; ++col)
      ink += font.glyph_bitmap[size_t(font.glyph_y[0x80] + row) * size_t(font.bitmap_width) +
                               size_t(font.glyph_x[0x80] + col)];
  EXPECT_GT(ink, 255 * 10);
}

TEST(RenderSystemFontTest, StylesChangeTheGlyphs) {
  REQUIRE_LIBERATION_SANS();
  resources::CFont regular, bold, large;
  ASSERT_TRUE(RenderSystemFont(regular, "Arial", 12, false, false, 32, 127));
  ASSERT_TRUE(RenderSystemFont(bold, "Arial", 12, true, false, 32, 127));
  ASSERT_TRUE(RenderSystemFont(large, "Arial", 24, false, true, 32, 127));
  EXPECT_TRUE(bold.bold);
  EXPECT_TRUE(large.italic);
  EXPECT_GT(FontTextWidth(bold, "Hello World"), FontTextWidth(regular, "Hello World"));
  EXPECT_EQ(FontLineHeight(large), 36);
  EXPECT_GT(FontTextWidth(large, "Hello"), 2 * FontTextWidth(regular, "Hello") - 4);
}

// A sprite of [frames] 6 by 8 frames; frame f has opaque columns f..f+2
// (none for frames listed in [blank]).
std::unique_ptr<resources::CSprite> MakeSprite(int frames, std::vector<int> blank = {}) {
  auto sprite = std::make_unique<resources::CSprite>();
  sprite->width = 6;
  sprite->height = 8;
  for (int f = 0; f < frames; ++f) {
    runner::CBitmap32 frame;
    frame.width = 6;
    frame.height = 8;
    frame.pixels.assign(48, 0x00000000);
    if (std::find(blank.begin(), blank.end(), f) == blank.end())
      for (int y = 2; y < 5; ++y)
        for (int x = f % 4; x < f % 4 + 3; ++x) frame.pixels[size_t(y * 6 + x)] = 0xFFFFFFFF;
    sprite->frames.push_back(frame);
  }
  return sprite;
}

TEST(SpriteFontTest, FramesBecomeCharacters) {
  auto sprite = MakeSprite(10, {3});
  resources::CFont font;
  CreateFontFromSprite(font, sprite.get(), 4, 48, false, 2);
  EXPECT_EQ(font.sprite, 4);
  EXPECT_TRUE(font.font_name.empty());
  EXPECT_EQ(font.first, 48);
  EXPECT_EQ(font.last, 57);
  for (int c = 48; c <= 57; ++c) {
    EXPECT_EQ(font.advance[size_t(c)], 6 + 2) << c;
    EXPECT_EQ(font.offset[size_t(c)], 0) << c;
    EXPECT_EQ(font.cell_height[size_t(c)], 8) << c;
  }
  EXPECT_EQ(FontLineHeight(font), 8);

  // Proportional: frame f shows columns f%4 .. f%4+2, so the advance is
  // (f%4 + 2) + separation - f%4 and the cell moves left by f%4.
  CreateFontFromSprite(font, sprite.get(), 4, 48, true, 1);
  for (int f : {0, 1, 2, 5}) {
    EXPECT_EQ(font.advance[size_t(48 + f)], 3) << f;
    EXPECT_EQ(font.offset[size_t(48 + f)], -(f % 4)) << f;
  }
  // A frame that shows nothing keeps the sprite's width instead of moving
  // the pen backwards.
  EXPECT_EQ(font.advance[51], 6 + 1);
  EXPECT_EQ(font.offset[51], 0);
}

TEST(SpriteFontTest, RangeIsClampedAndAMissingSpriteLeavesTheFontCleared) {
  auto sprite = MakeSprite(10);
  resources::CFont font;
  CreateFontFromSprite(font, sprite.get(), 0, -3, false, 0);
  EXPECT_EQ(font.first, 0);
  EXPECT_EQ(font.last, 9);
  CreateFontFromSprite(font, sprite.get(), 0, 250, false, 0);
  EXPECT_EQ(font.first, 250);
  EXPECT_EQ(font.last, 255);
  CreateFontFromSprite(font, nullptr, 7, 48, true, 0);
  EXPECT_EQ(font.sprite, -1);
  EXPECT_TRUE(font.font_name.empty());
  EXPECT_EQ(FontTextWidth(font, "0123"), 0);
}

// The font and text built-ins called through the registry, headless, with
// errors kept rather than shown.
class FontFunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetHeadless(true);
    code::ErrorSettings().show_errors = false;
    code::ErrorSettings().write_error_log = false;
    ClearError();
    RegisterTextFunctions();
    RegisterFontFunctions();
    resources::Resources().Clear();
    ResetTextState();
  }
  void TearDown() override {
    resources::Resources().Clear();
    ResetTextState();
    code::ErrorSettings() = code::ErrorOptions();
  }

  static void ClearError() {
    code::Errors().last_error.clear();
    code::Errors().error_occurred = false;
  }
  // Whether the last error reported ends in [message]; clears it.
  static bool TookError(const std::string& message) {
    bool took = code::Errors().error_occurred && code::Errors().last_error.ends_with(message);
    ClearError();
    return took;
  }

  static interp::RValue Call(const char* name, std::vector<interp::RValue> args) {
    return testing::CallBuiltin(name, std::move(args));
  }
  static interp::RValue R(double v) { return interp::RValue(v); }
  static interp::RValue S(const char* s) { return interp::RValue(std::string(s)); }
};

TEST_F(FontFunctionsTest, PropertiesOfStoredFontsAndMissingOnes) {
  auto font = std::make_unique<resources::CFont>(testing::MakeTestFont());
  font->bold = true;
  resources::Resources().fonts.Set(1, std::move(font), "fnt_test");
  struct Case {
    const char* name;
    double index;
    double expected;
  } reals[] = {
      {"font_exists", 1, 1},      {"font_exists", 0, 0},     {"font_exists", 1.4, 1},
      {"font_get_size", 1, 10},   {"font_get_size", 0, -1},  {"font_get_bold", 1, 1},
      {"font_get_italic", 1, 0},  {"font_get_first", 1, 32}, {"font_get_last", 1, 127},
      {"font_get_last", 5, -1},   {"font_get_bold", -1, -1},
  };
  for (const Case& c : reals) EXPECT_EQ(Call(c.name, {R(c.index)}).real, c.expected) << c.name;
  EXPECT_EQ(Call("font_get_name", {R(1)}).str, "fnt_test");
  EXPECT_EQ(Call("font_name", {R(0)}).str, "<undefined>");
  EXPECT_EQ(Call("font_get_fontname", {R(1)}).str, "Test Sans");
  EXPECT_TRUE(Call("font_get_fontname", {R(3)}).IsString());
  EXPECT_EQ(Call("font_get_fontname", {R(3)}).str, "");
}

TEST_F(FontFunctionsTest, DrawingFontChoosesTheMetricsOfStringWidthAndHeight) {
  resources::Resources().fonts.Set(0, std::make_unique<resources::CFont>(testing::MakeTestFont()),
                                   "fnt_test");
  Call("draw_set_font", {R(0)});
  EXPECT_EQ(DrawFont(), 0);
  EXPECT_EQ(Call("string_width", {S("Hello#a")}).real, 26);
  EXPECT_EQ(Call("string_height", {S("Hello#a")}).real, 28);
  EXPECT_EQ(Call("string_width", {S("")}).real, 1);
  EXPECT_EQ(Call("string_height", {S("")}).real, 1);
  EXPECT_EQ(Call("string_width_ext", {S("the cat sat on the mat"), R(-1), R(50)}).real, 44);
  EXPECT_EQ(Call("string_height_ext", {S("the cat sat on the mat"), R(20), R(50)}).real, 54);
  EXPECT_EQ(Call("string_height_ext", {S("a#b"), R(-1), R(-1)}).real, 28);

  // A font that does not exist selects the default font.
  Call("draw_set_font", {R(7)});
  EXPECT_EQ(DrawFont(), -1);
  resources::Resources().fonts.Remove(0);
  Call("draw_set_font", {R(0)});
  EXPECT_EQ(DrawFont(), -1);
  Call("draw_set_halign", {R(2)});
  Call("draw_set_valign", {R(1)});
  EXPECT_EQ(HAlign(), 2);
  EXPECT_EQ(VAlign(), 1);
  Call("draw_set_halign", {R(3)});
  EXPECT_EQ(HAlign(), 0);
}

TEST_F(FontFunctionsTest, DefaultFontIsArialTwelveFromSpaceToDelete) {
  REQUIRE_LIBERATION_SANS();
  const resources::CFont& font = DefaultFont();
  EXPECT_EQ(&font, &FontInUse());
  EXPECT_EQ(font.font_name, "Arial");
  EXPECT_EQ(font.size, 12);
  EXPECT_EQ(font.first, 32);
  EXPECT_EQ(font.last, 127);
  EXPECT_FALSE(font.bold || font.italic);
  EXPECT_EQ(Call("string_height", {S("Hello")}).real, 18);
  EXPECT_EQ(Call("string_width", {S("Hello")}).real, double(FontTextWidth(font, "Hello")));
  EXPECT_GT(Call("string_width", {S("Hello")}).real, 20);
}

TEST_F(FontFunctionsTest, AddReplaceAndDeleteFonts) {
  REQUIRE_LIBERATION_SANS();
  auto sprite = MakeSprite(4);
  resources::Resources().sprites.Set(2, std::move(sprite), "spr_digits");
  resources::Resources().fonts.Reset(2);

  double added = Call("font_add", {S("Courier New"), R(10), R(0), R(1), R(48), R(57)}).real;
  EXPECT_EQ(added, 2);
  EXPECT_EQ(Call("font_get_name", {R(2)}).str, "__newfont2");
  EXPECT_EQ(Call("font_get_fontname", {R(2)}).str, "Courier New");
  EXPECT_EQ(Call("font_get_italic", {R(2)}).real, 1);
  EXPECT_EQ(Call("font_get_first", {R(2)}).real, 48);
  const resources::CFont* mono = resources::Resources().fonts.Get(2);
  ASSERT_NE(mono, nullptr);
  // Liberation Mono at 13 pixels: every digit advances the same.
  EXPECT_EQ(FontAdvance(*mono, '1'), FontAdvance(*mono, '8'));

  EXPECT_EQ(Call("font_add_sprite", {R(2), R(48), R(1), R(1)}).real, 3);
  EXPECT_EQ(resources::Resources().fonts.Get(3)->sprite, 2);
  EXPECT_EQ(Call("font_add_sprite", {R(9), R(48), R(1), R(1)}).real, 0);
  EXPECT_TRUE(TookError("Trying to create font from non-existing sprite."));

  EXPECT_EQ(Call("font_replace", {R(2), S("Arial"), R(20), R(1), R(0), R(32), R(127)}).real, 1);
  EXPECT_EQ(Call("font_get_name", {R(2)}).str, "__newfont2");
  EXPECT_EQ(Call("font_get_size", {R(2)}).real, 20);
  EXPECT_EQ(Call("font_replace", {R(0), S("Arial"), R(20), R(1), R(0), R(32), R(127)}).real, 0);
  EXPECT_TRUE(TookError("Trying to replace non-existing font."));
  EXPECT_EQ(Call("font_replace_sprite", {R(8), R(2), R(48), R(0), R(0)}).real, 0);
  EXPECT_TRUE(TookError("Trying to replace non-existing font."));
  EXPECT_EQ(Call("font_replace_sprite", {R(2), R(8), R(48), R(0), R(0)}).real, 0);
  EXPECT_TRUE(TookError("Trying to replace font from non-existing sprite."));
  EXPECT_EQ(Call("font_replace_sprite", {R(2), R(2), R(65), R(0), R(0)}).real, 1);
  EXPECT_EQ(Call("font_get_first", {R(2)}).real, 65);
  EXPECT_EQ(Call("font_get_last", {R(2)}).real, 68);

  Call("font_delete", {R(3)});
  EXPECT_FALSE(code::Errors().error_occurred);
  EXPECT_EQ(Call("font_exists", {R(3)}).real, 0);
  Call("font_delete", {R(3)});
  EXPECT_TRUE(TookError("Trying to delete non-existing font."));
}

TEST_F(FontFunctionsTest, TableReplacementRules) {
  resources::Resources().fonts.Reset(2);
  // An index beyond the table fails; an empty slot inside it is filled.
  EXPECT_FALSE(ReplaceFontFromSprite(2, 0, 48, false, 0));
  EXPECT_FALSE(ReplaceFontFromSystem(-1, "Arial", 12, false, false, 32, 127));
  EXPECT_TRUE(ReplaceFontFromSystem(1, "Arial", 12, false, false, 65, 90));
  EXPECT_TRUE(resources::Resources().fonts.Exists(1));
  EXPECT_EQ(resources::Resources().fonts.Get(1)->first, 65);
  EXPECT_EQ(AddFontFromSprite(5, 0, false, 0), -1);
  EXPECT_EQ(resources::Resources().fonts.Count(), 2);
  DeleteFont(1);
  EXPECT_FALSE(resources::Resources().fonts.Exists(1));
}

}  // namespace
}  // namespace vendrel::graphics
