// Text reaching the device: the glyph texture, the quads of each glyph
// with their corners, texture coordinates and colours (recorded), and text
// rendered by OpenGL without a display, read back pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/font_resource.h"
#include "graphics/text.h"
#include "graphics/texture.h"
#include "resources/game_resources.h"
#include "tests/graphics/headless_gl.h"
#include "tests/graphics/recording_fixture.h"
#include "tests/graphics/text_test_font.h"

namespace vendrel::graphics {
namespace {

constexpr int64_t kRed = 255, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

class TextDrawTest : public testing::RecordingDeviceTest {
 protected:
  void SetUp() override {
    RecordingDeviceTest::SetUp();
    resources::Resources().Clear();
    ResetTextState();
    resources::Resources().fonts.Set(
        0, std::make_unique<resources::CFont>(testing::MakeTestFont()), "fnt_test");
    MakeFontTextures();
    font_ = resources::Resources().fonts.Get(0);
    SetDrawFont(0);
    device_->ClearRecord();
  }
  void TearDown() override {
    SetBlendMode(0);
    ResetTextState();
    resources::Resources().Clear();
    RecordingDeviceTest::TearDown();
  }

  // Checks one recorded glyph quad: cell [code] of the test font with its
  // top-left corner at (x, y), unturned, with corner colours [colors].
  void ExpectGlyphQuad(const platform::RecordedDraw& draw, char code, double x, double y,
                       const uint32_t (&colors)[4]) {
    SCOPED_TRACE(std::string("glyph ") + code);
    const size_t c = size_t(uint8_t(code));
    ASSERT_EQ(draw.type, platform::PrimitiveType::TriangleFan);
    ASSERT_EQ(draw.count, 2);
    ASSERT_EQ(draw.vertices.size(), 4u);
    EXPECT_EQ(draw.texture, TextureEntry(font_->texture)->texture);
    const double w = font_->cell_width[c], h = font_->cell_height[c];
    const double corners[4][2] = {{x - 0.5, y - 0.5},
                                  {x + w - 0.5, y - 0.5},
                                  {x + w - 0.5, y + h - 0.5},
                                  {x - 0.5, y + h - 0.5}};
    // The texture is 256 by 128, the size of the glyph bitmap.
    const double u0 = font_->glyph_x[c] / 256.0, v0 = font_->glyph_y[c] / 128.0;
    const double u1 = (font_->glyph_x[c] + w) / 256.0, v1 = (font_->glyph_y[c] + h) / 128.0;
    const double uv[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(draw.vertices[size_t(i)].x, float(corners[i][0])) << i;
      EXPECT_FLOAT_EQ(draw.vertices[size_t(i)].y, float(corners[i][1])) << i;
      EXPECT_FLOAT_EQ(draw.vertices[size_t(i)].u, float(uv[i][0])) << i;
      EXPECT_FLOAT_EQ(draw.vertices[size_t(i)].v, float(uv[i][1])) << i;
      EXPECT_EQ(draw.vertices[size_t(i)].color, colors[i]) << std::hex << i;
    }
  }

  resources::CFont* font_ = nullptr;
};

TEST_F(TextDrawTest, GlyphTextureIsWhiteWithTheCoverageAsAlpha) {
  ASSERT_GE(font_->texture, 0);
  const RTexture* entry = TextureEntry(font_->texture);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->image_width, 256);
  EXPECT_EQ(entry->image_height, 128);
  const std::vector<uint32_t>* pixels = device_->PixelsOf(entry->texture);
  ASSERT_NE(pixels, nullptr);
  ASSERT_EQ(pixels->size(), size_t(entry->texture_width * entry->texture_height));
  for (int y : {0, 5, 17, 127}) {
    for (int x : {0, 3, 16, 200, 255}) {
      uint32_t expected = (uint32_t(font_->glyph_bitmap[size_t(y * 256 + x)]) << 24) | 0xFFFFFF;
      EXPECT_EQ((*pixels)[size_t(y * entry->texture_width + x)], expected) << x << "," << y;
    }
  }
}

TEST_F(TextDrawTest, PlainTextDrawsOneQuadPerGlyphInTheDrawingColour) {
  SetDrawColor(kRed);
  SetDrawAlpha(0.5);
  SetHAlign(kAlignRight);
  // "Tj a" is 8 + 6 + 4 + 6 = 24 wide, so it starts at 76.
  DrawText(100, 20, "Tj a");
  ASSERT_EQ(device_->draws.size(), 4u);
  const uint32_t red[4] = {0x80FF0000, 0x80FF0000, 0x80FF0000, 0x80FF0000};
  ExpectGlyphQuad(device_->draws[0], 'T', 77, 20, red);
  ExpectGlyphQuad(device_->draws[1], 'j', 83, 20, red);
  ExpectGlyphQuad(device_->draws[2], ' ', 90, 20, red);
  ExpectGlyphQuad(device_->draws[3], 'a', 94, 20, red);
  for (const platform::RecordedDraw& draw : device_->draws)
    EXPECT_EQ(draw.address, platform::TextureAddress::Clamp);
}

TEST_F(TextDrawTest, ColouredTextIgnoresTheDrawingColour) {
  SetDrawColor(kWhite);
  DrawTextColor(0, 0, "ab", -1, -1, 0, kRed, kBlue, 0, 1.0);
  ASSERT_EQ(device_->draws.size(), 2u);
  // Top edge from black to red, bottom edge from black to blue, across the
  // 12 pixels of "ab".
  const uint32_t a[4] = {0xFF000000, 0xFF800000, 0xFF000080, 0xFF000000};
  const uint32_t b[4] = {0xFF800000, 0xFFFF0000, 0xFF0000FF, 0xFF000080};
  ExpectGlyphQuad(device_->draws[0], 'a', 0, 0, a);
  ExpectGlyphQuad(device_->draws[1], 'b', 6, 0, b);
}

TEST_F(TextDrawTest, TransformedTextTurnsEachQuadAroundItsCorner) {
  DrawTextTransformed(50, 60, "Ta", -1, -1, 2, 3, 90);
  ASSERT_EQ(device_->draws.size(), 2u);
  // T's cell (9 by 14) starts 2 pixels up the turned line; turned by 90
  // degrees its top edge runs up the screen and its left edge to the right.
  const std::vector<platform::DeviceVertex>& t = device_->draws[0].vertices;
  const double x = 50, y = 60 - 2;
  EXPECT_NEAR(t[0].x, x - 0.5, 1e-4);
  EXPECT_NEAR(t[0].y, y + 0.5, 1e-4);
  EXPECT_NEAR(t[1].x, x - 0.5, 1e-4);
  EXPECT_NEAR(t[1].y, y - (2 * 9 - 0.5), 1e-4);
  EXPECT_NEAR(t[3].x, x + (3 * 14 - 0.5), 1e-4);
  EXPECT_NEAR(t[3].y, y + 0.5, 1e-4);
  // The pen moves 2 * 8 up for the a.
  EXPECT_NEAR(device_->draws[1].vertices[0].y, 60 - 16 + 0.5, 1e-4);
}

// A test font whose "a" has ink only in the 2 by 3 block at (1, 4) of its
// cell and whose "b" has none.
std::unique_ptr<resources::CFont> SparseFont() {
  auto font = std::make_unique<resources::CFont>(testing::MakeTestFont());
  for (char code : {'a', 'b'}) {
    size_t c = size_t(code);
    for (int y = 0; y < font->cell_height[c]; ++y)
      for (int x = 0; x < font->cell_width[c]; ++x)
        font->glyph_bitmap[size_t((font->glyph_y[c] + y) * 256 + font->glyph_x[c] + x)] =
            code == 'a' && x >= 1 && x < 3 && y >= 4 && y < 7 ? 200 : 0;
  }
  return font;
}

TEST_F(TextDrawTest, OnlyTheInkOfAGlyphIsDrawnWhereTransparencyChangesNothing) {
  resources::Resources().fonts.Set(1, SparseFont(), "fnt_sparse");
  MakeFontTextures();
  const resources::CFont* sparse = resources::Resources().fonts.Get(1);
  SetDrawFont(1);
  device_->ClearRecord();
  const size_t a = size_t('a');
  const float u0 = float((sparse->glyph_x[a] + 1) / 256.0);
  const float v0 = float((sparse->glyph_y[a] + 4) / 128.0);

  // Normal blending: "b" draws nothing, "a" only its ink block.
  DrawText(10, 20, "ba");
  ASSERT_EQ(device_->draws.size(), 1u);
  const std::vector<platform::DeviceVertex>& quad = device_->draws[0].vertices;
  EXPECT_FLOAT_EQ(quad[0].x, 10 + 6 + 1 - 0.5f);
  EXPECT_FLOAT_EQ(quad[0].y, 20 + 4 - 0.5f);
  EXPECT_FLOAT_EQ(quad[2].x, 10 + 6 + 3 - 0.5f);
  EXPECT_FLOAT_EQ(quad[2].y, 20 + 7 - 0.5f);
  EXPECT_FLOAT_EQ(quad[0].u, u0);
  EXPECT_FLOAT_EQ(quad[0].v, v0);
  EXPECT_FLOAT_EQ(quad[2].u, float((sparse->glyph_x[a] + 3) / 256.0));
  EXPECT_FLOAT_EQ(quad[2].v, float((sparse->glyph_y[a] + 7) / 128.0));

  // Turned and scaled, the block's corner moves with the cell's axes: at
  // 90 degrees (1, 4) scaled by (2, 3) lies 12 right and 2 up.
  device_->ClearRecord();
  DrawTextTransformed(10, 20, "a", -1, -1, 2, 3, 90);
  ASSERT_EQ(device_->draws.size(), 1u);
  EXPECT_NEAR(device_->draws[0].vertices[0].x, 10 + 12 - 0.5, 1e-4);
  EXPECT_NEAR(device_->draws[0].vertices[0].y, 20 - 2 + 0.5, 1e-4);
  EXPECT_NEAR(device_->draws[0].vertices[1].y, 20 - 2 - (2 * 2 - 0.5), 1e-4);

  // Subtractive blending darkens the target under transparent pixels too:
  // whole cells, blank ones included. So do gradients, whose corner
  // colours belong to the whole cell.
  SetBlendMode(3);
  device_->ClearRecord();
  DrawText(10, 20, "ba");
  ASSERT_EQ(device_->draws.size(), 2u);
  EXPECT_FLOAT_EQ(device_->draws[1].vertices[0].x, 10 + 6 - 0.5f);
  EXPECT_FLOAT_EQ(device_->draws[1].vertices[2].y, 20 + 14 - 0.5f);
  SetBlendMode(0);
  device_->ClearRecord();
  DrawTextColor(10, 20, "ba", -1, -1, kRed, kBlue, kBlue, kRed, 1.0);
  EXPECT_EQ(device_->draws.size(), 2u);
}

TEST_F(TextDrawTest, NothingIsDrawnForTextOutsideTheFontOrWithoutADevice) {
  DrawText(0, 0, "\x01\x02");
  EXPECT_TRUE(device_->draws.empty());
  DestroyDevice();
  DrawText(0, 0, "abc");  // no device: nothing happens, nothing breaks
}

TEST_F(TextDrawTest, SpriteFontsDrawTheFramesOfTheirSprite) {
  auto sprite = std::make_unique<resources::CSprite>();
  sprite->width = 5;
  sprite->height = 7;
  for (int f = 0; f < 3; ++f) {
    runner::CBitmap32 frame;
    frame.width = 5;
    frame.height = 7;
    frame.pixels.assign(35, 0);
    for (int y = 0; y < 7; ++y) frame.pixels[size_t(y * 5 + 1 + f)] = 0xFFFFFFFF;
    sprite->textures.push_back(TextureFromBitmap(frame));
    sprite->frames.push_back(std::move(frame));
  }
  resources::Resources().sprites.Set(0, std::move(sprite), "spr_font");
  int index = AddFontFromSprite(0, '0', true, 2);
  ASSERT_EQ(index, 1);
  SetDrawFont(index);
  device_->ClearRecord();
  // Each frame shows one column, at 1 + f: advance 0 + 2, cell moved left
  // so that the column lands on the pen.
  DrawText(10, 10, "0123");
  const resources::CSprite* s = resources::Resources().sprites.Get(0);
  ASSERT_EQ(device_->draws.size(), 3u);
  for (int f = 0; f < 3; ++f) {
    const platform::RecordedDraw& draw = device_->draws[size_t(f)];
    EXPECT_EQ(draw.texture, TextureEntry(s->textures[size_t(f)])->texture) << f;
    const double x = 10 + 2 * f - (1 + f);
    EXPECT_FLOAT_EQ(draw.vertices[0].x, float(x - 0.5)) << f;
    EXPECT_FLOAT_EQ(draw.vertices[2].x, float(x + 5 - 0.5)) << f;
    EXPECT_FLOAT_EQ(draw.vertices[2].y, float(10 + 7 - 0.5)) << f;
  }
}

TEST_F(TextDrawTest, DeletingAFontFreesItsTexture) {
  int live = device_->LiveTextures();
  int texture = font_->texture;
  ASSERT_TRUE(TextureExists(texture));
  DeleteFont(0);
  EXPECT_FALSE(TextureExists(texture));
  EXPECT_EQ(device_->LiveTextures(), live - 1);
  // The drawing font is gone: text falls back to the default font.
  EXPECT_NE(&FontInUse(), font_);
}

// Text drawn by OpenGL without a display ------------------------------------

constexpr int kScreen = 64;

TEST(TextRenderTest, DefaultFontGlyphsReachTheScreenWithTheirCoverage) {
  testing::HeadlessGl gl;
  VENDREL_OPEN_GL_OR_SKIP(gl, kScreen, kScreen, kScreen, kScreen);
  InstallDevice(gl.TakeDevice(), kScreen, kScreen, false);
  ResetDrawState();
  ResetTextState();
  resources::Resources().Clear();
  BeginScene();
  DrawClear(0);
  SetDrawColor(kWhite);
  const resources::CFont& font = DefaultFont();
  ASSERT_GE(font.texture, 0);
  DrawText(3, 4, "Hi#g");
  std::vector<uint32_t> screen = Capture(0, 0, kScreen, kScreen).pixels;
  ASSERT_EQ(screen.size(), size_t(kScreen * kScreen));

  // What the screen should show: each glyph's coverage in its cell.
  std::vector<int> expected(size_t(kScreen * kScreen), 0);
  auto place = [&](uint8_t code, int x, int y) {
    for (int row = 0; row < font.cell_height[code]; ++row)
      for (int col = 0; col < font.cell_width[code]; ++col)
        expected[size_t((y + row) * kScreen + x + col)] =
            font.glyph_bitmap[size_t(font.glyph_y[code] + row) * size_t(font.bitmap_width) +
                              size_t(font.glyph_x[code] + col)];
  };
  place('H', 3 + font.offset['H'], 4);
  place('i', 3 + font.advance['H'] + font.offset['i'], 4);
  place('g', 3 + font.offset['g'], 4 + FontLineHeight(font));

  int worst = 0, lit = 0;
  for (size_t i = 0; i < screen.size(); ++i) {
    int red = int((screen[i] >> 16) & 0xFF);
    worst = std::max(worst, std::abs(red - expected[i]));
    lit += red > 128 ? 1 : 0;
  }
  EXPECT_LE(worst, 2);
  EXPECT_GT(lit, 20);

  ResetTextState();
  DestroyDevice();
}

}  // namespace
}  // namespace vendrel::graphics
