// The drawing functions rendered by OpenGL without a display and read back
// pixel by pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <numbers>
#include <set>
#include <utility>
#include <vector>

#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/surface.h"
#include "graphics/texture.h"
#include "platform/png.h"
#include "tests/graphics/headless_gl.h"
#include "tests/temp_path.h"

namespace vendrel::graphics {
namespace {

constexpr int kSize = 48;
constexpr int64_t kRed = 255, kGreen = 65280, kWhite = 16777215;

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VENDREL_OPEN_GL_OR_SKIP(gl_, kSize, kSize, kSize, kSize);
    InstallDevice(gl_.TakeDevice(), kSize, kSize, false);
    ResetDrawState();
    BeginScene();
  }

  void TearDown() override {
    SetBlendMode(0);
    SetTextureInterpolation(true);
    Set3DMode(false);
    ResetDrawState();
    DestroyDevice();
  }

  std::vector<uint32_t> Screen() { return Capture(0, 0, kSize, kSize).pixels; }

  // Pixels that are not black.
  std::set<std::pair<int, int>> Lit() {
    std::set<std::pair<int, int>> lit;
    std::vector<uint32_t> pixels = Screen();
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        if ((pixels[size_t(y * kSize + x)] & 0xFFFFFF) != 0) lit.insert({x, y});
      }
    }
    return lit;
  }

  static std::set<std::pair<int, int>> Box(int x1, int y1, int x2, int y2) {
    std::set<std::pair<int, int>> box;
    for (int y = y1; y <= y2; ++y) {
      for (int x = x1; x <= x2; ++x) box.insert({x, y});
    }
    return box;
  }

  testing::HeadlessGl gl_;
};

TEST_F(RenderTest, FilledRectanglesCoverTheirCornerPixelsButNotTheFarEdges) {
  SetDrawColor(kWhite);
  DrawRectangle(10, 12, 20, 15, false);
  EXPECT_EQ(Lit(), Box(10, 12, 19, 14));
  // Corners given the other way round cover the same pixels.
  DrawClear(0);
  DrawRectangle(20, 15, 10, 12, false);
  EXPECT_EQ(Lit(), Box(10, 12, 19, 14));
}

TEST_F(RenderTest, OutlineRectanglesTouchAllFourCorners) {
  SetDrawColor(kWhite);
  DrawRectangle(5, 6, 15, 11, true);
  std::set<std::pair<int, int>> expected = Box(5, 6, 15, 11);
  for (auto inside : Box(6, 7, 14, 10)) expected.erase(inside);
  EXPECT_EQ(Lit(), expected);
}

TEST_F(RenderTest, LinesAndPointsLightTheirPixels) {
  SetDrawColor(kWhite);
  DrawLine(2, 5, 8, 5);
  DrawPoint(30, 30);
  std::set<std::pair<int, int>> expected = Box(2, 5, 7, 5);
  expected.insert({30, 30});
  EXPECT_EQ(Lit(), expected);
  EXPECT_EQ(ScreenPixel(30, 30), kWhite);
}

TEST_F(RenderTest, ColouredShapesInterpolateBetweenTheirCorners) {
  DrawRectangleColor(0, 0, 40, 4, kRed, kGreen, kGreen, kRed, false);
  int left = ScreenPixel(0, 1), right = ScreenPixel(39, 1), middle = ScreenPixel(20, 1);
  EXPECT_GT(left & 0xFF, 240);
  EXPECT_GT((right >> 8) & 0xFF, 240);
  EXPECT_NEAR(middle & 0xFF, 128, 4);
  EXPECT_NEAR((middle >> 8) & 0xFF, 128, 4);
}

// The screen is grey (100, 100, 100); a square of (200, 50, 0) is drawn
// over it with each blend mode.
TEST_F(RenderTest, BlendModesMixWithTheScreen) {
  struct Case {
    int mode;
    int red, green, blue;
  };
  const Case cases[] = {
      {0, 200, 50, 0},    // normal
      {1, 255, 150, 100}, // add, saturated
      {2, 222, 130, 100}, // max: source plus destination times (1 - source)
      {3, 22, 80, 100},   // subtract: destination times (1 - source)
  };
  for (const Case& c : cases) {
    SetBlendMode(0);
    DrawClear(100 + 100 * 256 + 100 * 65536);
    SetBlendMode(c.mode);
    SetDrawColor(200 + 50 * 256);
    DrawRectangle(0, 0, 8, 8, false);
    int pixel = ScreenPixel(4, 4);
    EXPECT_NEAR(pixel & 0xFF, c.red, 1) << "mode " << c.mode;
    EXPECT_NEAR((pixel >> 8) & 0xFF, c.green, 1) << "mode " << c.mode;
    EXPECT_NEAR((pixel >> 16) & 0xFF, c.blue, 1) << "mode " << c.mode;
    EXPECT_EQ(ScreenPixel(10, 10), 100 + 100 * 256 + 100 * 65536);
  }
}

TEST_F(RenderTest, DrawingAlphaBlendsShapesOverTheScreen) {
  DrawClear(kWhite);
  SetDrawColor(0);
  SetDrawAlpha(0.25);
  DrawRectangle(0, 0, 4, 4, false);
  EXPECT_NEAR(ScreenPixel(1, 1) & 0xFF, 191, 1);
}

runner::CBitmap32 Checker(int width, int height, uint32_t a, uint32_t b) {
  runner::CBitmap32 image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.pixels.push_back((x + y) % 2 ? b : a);
  }
  return image;
}

TEST_F(RenderTest, SpritesAtWholeCoordinatesAreExactWithOrWithoutInterpolation) {
  runner::CBitmap32 image = Checker(5, 3, 0xFFFF0000, 0xFF00FF00);
  int texture = TextureFromBitmap(image);
  ASSERT_GE(texture, 0);
  for (bool interpolate : {true, false}) {
    SetTextureInterpolation(interpolate);
    DrawClear(0);
    DrawTexture(texture, 7, 9);
    runner::CBitmap32 drawn = Capture(7, 9, 5, 3);
    EXPECT_EQ(drawn.pixels, image.pixels) << "interpolation " << interpolate;
    EXPECT_EQ(ScreenPixel(6, 9), 0);
    EXPECT_EQ(ScreenPixel(12, 9), 0);
    EXPECT_EQ(ScreenPixel(7, 12), 0);
  }
}

TEST_F(RenderTest, ScaledSpritesWithoutInterpolationRepeatWholePixels) {
  int texture = TextureFromBitmap(Checker(2, 2, 0xFFFF0000, 0xFF0000FF));
  SetTextureInterpolation(false);
  DrawTextureExt(texture, kWhite, 0, 0, 10, 10, 3, 2, 0, 1);
  EXPECT_EQ(ScreenPixel(10, 10), kRed);
  EXPECT_EQ(ScreenPixel(12, 11), kRed);
  EXPECT_EQ(ScreenPixel(13, 10), 16711680);
  EXPECT_EQ(ScreenPixel(15, 13), kRed);
  EXPECT_EQ(ScreenPixel(16, 10), 0);
  EXPECT_EQ(ScreenPixel(10, 14), 0);
}

TEST_F(RenderTest, PaddingKeepsStretchedEdgesFromFadingOut) {
  // A white 3 by 1 image lives in a 4 by 1 texture. Stretched with linear
  // filtering, its right end samples next to the padding column, which
  // repeats the image's edge instead of transparent black.
  runner::CBitmap32 image = Checker(3, 1, 0xFFFFFFFF, 0xFFFFFFFF);
  int texture = TextureFromBitmap(image);
  ASSERT_EQ(TextureEntry(texture)->texture_width, 4);
  SetTextureInterpolation(true);
  DrawTextureExt(texture, kWhite, 0, 0, 0, 0, 10, 10, 0, 1);
  EXPECT_EQ(ScreenPixel(29, 5), kWhite);
  EXPECT_EQ(ScreenPixel(0, 9), kWhite);
  EXPECT_EQ(ScreenPixel(30, 5), 0);
}

TEST_F(RenderTest, TurnedSpritesTurnCounterClockwiseAboutTheirPosition) {
  // A 4 by 1 bar from (20, 20) to the right, turned by 90 degrees, points up.
  int texture = TextureFromBitmap(Checker(4, 1, 0xFFFFFFFF, 0xFFFFFFFF));
  SetTextureInterpolation(false);
  DrawTextureExt(texture, kWhite, 0, 0, 20, 20, 1, 1, std::numbers::pi / 2, 1);
  EXPECT_EQ(Lit(), Box(20, 17, 20, 20));
}

TEST_F(RenderTest, BlendColourAndAlphaTintSprites) {
  int texture = TextureFromBitmap(Checker(2, 2, 0xFFFFFFFF, 0xFFFFFFFF));
  DrawTextureExt(texture, kRed, 0, 0, 0, 0, 1, 1, 0, 1);
  EXPECT_EQ(ScreenPixel(0, 0), kRed);
  DrawTextureExt(texture, kWhite, 0, 0, 4, 0, 1, 1, 0, 0.5);
  EXPECT_NEAR(ScreenPixel(4, 0) & 0xFF, 128, 1);
  SetTextureBlending(false);  // the texture alone: colour and alpha ignored
  DrawTextureExt(texture, kRed, 0, 0, 8, 0, 1, 1, 0, 0.5);
  EXPECT_EQ(ScreenPixel(8, 0), kWhite);
  SetTextureBlending(true);
}

TEST_F(RenderTest, TransparentPixelsPassTheAlphaTestOnlyOutside3DMode) {
  // With blending that ignores alpha, only the alpha test keeps the
  // transparent half of the image from overwriting the screen.
  int texture = TextureFromBitmap(Checker(2, 1, 0x00FF0000, 0xFF00FF00));
  SetTextureInterpolation(false);
  SetBlendModeExt(2, 1);  // one, zero
  DrawClear(kWhite);
  DrawTextureExt(texture, kWhite, 0, 0, 0, 0, 2, 2, 0, 1);
  EXPECT_EQ(ScreenPixel(0, 0), kRed);  // written, alpha and all
  Set3DMode(true);                     // hidden-surface removal: alpha > 0
  DrawClear(kWhite);
  DrawTextureExt(texture, kWhite, 0, 0, 0, 0, 2, 2, 0, 1);
  EXPECT_EQ(ScreenPixel(0, 0), kWhite);
  EXPECT_EQ(ScreenPixel(2, 0), kGreen);
}

TEST_F(RenderTest, UserPrimitivesDrawWithTheirOwnTexture) {
  int texture = TextureFromBitmap(Checker(1, 1, 0xFF00FF00, 0xFF00FF00));
  SetDrawColor(kWhite);  // vertices without a colour of their own take it
  PrimitiveBeginTexture(kPrTriangleStrip, texture);
  PrimitiveVertexTexture(0, 0, 0, 0);
  PrimitiveVertexTexture(10, 0, 0.5, 0);
  PrimitiveVertexTexture(0, 10, 0, 0.5);
  PrimitiveVertexTexture(10, 10, 0.5, 0.5);
  PrimitiveEnd();
  EXPECT_EQ(ScreenPixel(5, 5), kGreen);
  // Afterwards shapes draw untextured again.
  SetDrawColor(kRed);
  DrawRectangle(20, 20, 24, 24, false);
  EXPECT_EQ(ScreenPixel(21, 21), kRed);
}

TEST_F(RenderTest, SurfacesAreDrawnIntoAndThenDrawnLikeSprites) {
  int surface = CreateSurface(16, 8);
  ASSERT_GE(surface, 0);
  ASSERT_TRUE(SetSurfaceTarget(surface));
  DrawClearAlpha(0, 0);
  SetDrawColor(kRed);
  DrawRectangle(0, 0, 16, 1, false);  // the top row
  SetDrawColor(kGreen);
  DrawPoint(15, 7);  // the bottom-right corner
  EXPECT_EQ(SurfacePixel(surface, 3, 0), kRed);
  EXPECT_EQ(SurfacePixel(surface, 15, 7), kGreen);
  EXPECT_EQ(SurfacePixel(surface, 3, 3), 0);
  ASSERT_TRUE(ResetSurfaceTarget());

  // The screen was left alone, and drawing there uses the screen's
  // coordinates again.
  EXPECT_TRUE(Lit().empty());
  SetDrawColor(kWhite);
  DrawRectangle(40, 40, 48, 48, false);
  EXPECT_EQ(ScreenPixel(47, 47), kWhite);

  DrawTexture(SurfaceTexture(surface), 10, 20);
  EXPECT_EQ(ScreenPixel(10, 20), kRed);
  EXPECT_EQ(ScreenPixel(25, 20), kRed);
  EXPECT_EQ(ScreenPixel(25, 27), kGreen);
  EXPECT_EQ(ScreenPixel(12, 23), 0);  // transparent inside
  EXPECT_EQ(ScreenPixel(26, 20), 0);
}

TEST_F(RenderTest, SurfaceCopiesMovePixelsBetweenSurfaces) {
  int source = CreateSurface(4, 4), dest = CreateSurface(8, 8);
  ASSERT_TRUE(SetSurfaceTarget(source));
  DrawClear(kRed);
  ASSERT_TRUE(SetSurfaceTarget(dest));
  DrawClear(0);
  ResetSurfaceTarget();
  CopySurfacePart(dest, 2, 2, source, -1, -1, 3, 3);
  EXPECT_EQ(SurfacePixel(dest, 3, 3), kRed);
  EXPECT_EQ(SurfacePixel(dest, 4, 4), kRed);
  EXPECT_EQ(SurfacePixel(dest, 2, 2), 0);
  EXPECT_EQ(SurfacePixel(dest, 5, 5), 0);
  CopySurface(dest, 6, 6, source);
  EXPECT_EQ(SurfacePixel(dest, 7, 7), kRed);
}

TEST_F(RenderTest, ScreenshotsHoldTheRegionAsPng) {
  SetDrawColor(kRed);
  DrawRectangle(0, 0, 3, 2, false);
  SetDrawColor(kGreen);
  DrawPoint(47, 47);
  std::string path = testing::TestTempPath(".png");
  std::string error;
  ASSERT_TRUE(SaveScreenshot(path, &error)) << error;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  platform::PngPixels png;
  ASSERT_TRUE(platform::DecodePng(file, platform::PngFormat::Rgba, png, error)) << error;
  ASSERT_EQ(png.width, kSize);
  ASSERT_EQ(png.height, kSize);
  auto rgba = [&png](int x, int y) {
    const uint8_t* p = &png.bytes[(size_t(y) * size_t(png.width) + size_t(x)) * 4];
    return std::vector<int>{p[0], p[1], p[2], p[3]};
  };
  EXPECT_EQ(rgba(2, 1), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(rgba(3, 1), (std::vector<int>{0, 0, 0, 255}));
  EXPECT_EQ(rgba(47, 47), (std::vector<int>{0, 255, 0, 255}));
  std::remove(path.c_str());
  EXPECT_FALSE(SaveScreenshot("/nonexistent-dir/shot.png", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vendrel::graphics
