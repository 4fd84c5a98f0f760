// The texture table and surfaces, on a recording device whose textures and
// render targets are plain pixel arrays.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "graphics/bmp.h"
#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/surface.h"
#include "graphics/texture.h"
#include "tests/graphics/recording_fixture.h"
#include "tests/temp_path.h"

namespace vendrel::graphics {
namespace {

// Pixel (x, y) holds x + 1000 y, opaque.
runner::CBitmap32 Numbered(int width, int height) {
  runner::CBitmap32 image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.pixels.push_back(0xFF000000u | uint32_t(x + 1000 * y));
  }
  return image;
}

class TextureTest : public testing::RecordingDeviceTest {
 protected:
  uint32_t TexturePixel(int id, int x, int y) {
    const RTexture* entry = TextureEntry(id);
    const std::vector<uint32_t>* pixels = device_->PixelsOf(entry->texture);
    return (*pixels)[size_t(y) * size_t(entry->texture_width) + size_t(x)];
  }
};

TEST_F(TextureTest, ImagesArePaddedToPowersOfTwoWithTheirLastRowAndColumnRepeated) {
  int id = TextureFromBitmap(Numbered(100, 50));
  ASSERT_GE(id, 0);
  const RTexture* entry = TextureEntry(id);
  EXPECT_EQ(entry->image_width, 100);
  EXPECT_EQ(entry->image_height, 50);
  EXPECT_EQ(entry->texture_width, 128);
  EXPECT_EQ(entry->texture_height, 64);
  EXPECT_DOUBLE_EQ(TextureWidthFraction(id), 0.78125);
  EXPECT_DOUBLE_EQ(TextureHeightFraction(id), 0.78125);
  EXPECT_EQ(TexturePixel(id, 99, 49), 0xFF000000u + 99 + 49000);
  EXPECT_EQ(TexturePixel(id, 100, 7), TexturePixel(id, 99, 7));    // column 100 repeats 99
  EXPECT_EQ(TexturePixel(id, 12, 50), TexturePixel(id, 12, 49));   // row 50 repeats 49
  EXPECT_EQ(TexturePixel(id, 100, 50), TexturePixel(id, 99, 49));  // the corner too
  EXPECT_EQ(TexturePixel(id, 101, 7), 0u);                         // then transparent
  EXPECT_EQ(TexturePixel(id, 12, 51), 0u);
}

TEST_F(TextureTest, ImagesThatFillTheTextureGetNoPadding) {
  int square = TextureFromBitmap(Numbered(64, 64));
  EXPECT_EQ(TextureEntry(square)->texture_width, 64);
  EXPECT_EQ(TexturePixel(square, 63, 63), 0xFF000000u + 63 + 63000);
  // Full width, short height: only the extra row.
  int wide = TextureFromBitmap(Numbered(64, 30));
  EXPECT_EQ(TextureEntry(wide)->texture_height, 32);
  EXPECT_EQ(TexturePixel(wide, 63, 30), TexturePixel(wide, 63, 29));
  EXPECT_EQ(TexturePixel(wide, 63, 31), 0u);
}

TEST_F(TextureTest, SlotsAreReusedAndMissingIdsGiveNeutralResults) {
  int a = TextureFromBitmap(Numbered(2, 2));
  int b = TextureFromBitmap(Numbered(2, 2));
  int c = TextureFromBitmap(Numbered(2, 2));
  EXPECT_EQ(b, a + 1);
  EXPECT_EQ(c, a + 2);
  FreeTexture(b);
  EXPECT_FALSE(TextureExists(b));
  EXPECT_EQ(device_->LiveTextures(), 2);
  EXPECT_DOUBLE_EQ(TextureWidthFraction(b), 1.0);
  EXPECT_EQ(TextureEntry(b), nullptr);
  EXPECT_EQ(TextureFromBitmap(Numbered(3, 3)), b);  // the first free slot
  for (int id : {-1, 99, c + 1}) {
    EXPECT_FALSE(TextureExists(id));
    EXPECT_FALSE(PreloadTexture(id));
    EXPECT_DOUBLE_EQ(TextureHeightFraction(id), 1.0);
    FreeTexture(id);  // nothing happens
  }
  EXPECT_TRUE(PreloadTexture(a));
}

TEST_F(TextureTest, FailuresGiveMinusOneAndLeaveNoEntry) {
  EXPECT_EQ(TextureFromBitmap(runner::CBitmap32()), -1);
  runner::CBitmap32 short_pixels = Numbered(4, 4);
  short_pixels.pixels.resize(3);
  EXPECT_EQ(TextureFromBitmap(short_pixels), -1);
  device_->fail_texture_creation = true;
  EXPECT_EQ(TextureFromBitmap(Numbered(4, 4)), -1);
  EXPECT_EQ(CreateSurface(4, 4), -1);
  device_->fail_texture_creation = false;
  device_->max_texture_size = 64;
  EXPECT_EQ(TextureFromBitmap(Numbered(65, 2)), -1);
  EXPECT_EQ(device_->LiveTextures(), 0);
}

TEST_F(TextureTest, AlphaMapsAreWhiteWithTheirAlpha) {
  const uint8_t alpha[6] = {0, 1, 2, 128, 254, 255};
  int id = TextureFromAlphaMap(3, 2, alpha);
  ASSERT_GE(id, 0);
  EXPECT_EQ(TexturePixel(id, 0, 0), 0x00FFFFFFu);
  EXPECT_EQ(TexturePixel(id, 2, 0), 0x02FFFFFFu);
  EXPECT_EQ(TexturePixel(id, 0, 1), 0x80FFFFFFu);
  EXPECT_EQ(TexturePixel(id, 3, 1), 0xFFFFFFFFu);  // padding repeats the last column
}

using SurfaceTest = testing::RecordingDeviceTest;

TEST_F(SurfaceTest, SurfacesAreRenderTargetTexturesWithTheirRequestedSize) {
  int s = CreateSurface(100, 30);
  ASSERT_GE(s, 0);
  EXPECT_TRUE(SurfaceExists(s));
  EXPECT_EQ(SurfaceWidth(s), 100);
  EXPECT_EQ(SurfaceHeight(s), 30);
  int texture = SurfaceTexture(s);
  ASSERT_TRUE(TextureExists(texture));
  EXPECT_EQ(TextureEntry(texture)->texture_width, 128);
  FreeSurface(s);
  EXPECT_FALSE(SurfaceExists(s));
  EXPECT_FALSE(TextureExists(texture));
  EXPECT_EQ(SurfaceWidth(s), -1);
  EXPECT_EQ(SurfaceTexture(s), -1);
  EXPECT_EQ(CreateSurface(4, 4), s);  // the slot is reused
  EXPECT_EQ(CreateSurface(-1, 4), -1);
}

TEST_F(SurfaceTest, TargetsTakeTheWholeSurfaceAndGiveTheScreenBack) {
  int s = CreateSurface(40, 20);
  SetViewport(10, 10, 100, 50);
  SetViewTransform(5, 5, 100, 50, 0);
  ViewState before = CurrentViewState();

  ASSERT_TRUE(SetSurfaceTarget(s));
  EXPECT_EQ(CurrentSurfaceTarget(), s);
  EXPECT_EQ(device_->RenderTarget(), TextureEntry(SurfaceTexture(s))->texture);
  platform::DeviceViewport viewport = device_->Viewport();
  EXPECT_EQ(viewport.x, 0);
  EXPECT_EQ(viewport.width, 40);
  EXPECT_EQ(viewport.height, 20);
  // Already the target: true, nothing changes.
  device_->ClearRecord();
  SetViewport(1, 1, 2, 2);
  EXPECT_TRUE(SetSurfaceTarget(s));
  EXPECT_EQ(device_->Viewport().width, 2);

  ASSERT_TRUE(ResetSurfaceTarget());
  EXPECT_EQ(CurrentSurfaceTarget(), -1);
  EXPECT_EQ(device_->RenderTarget(), platform::kBackBuffer);
  // Drawing after the reset goes on in the screen's coordinates.
  viewport = device_->Viewport();
  EXPECT_EQ(viewport.x, before.viewport.x);
  EXPECT_EQ(viewport.width, before.viewport.width);
  EXPECT_EQ(device_->Transform(platform::TransformKind::View).m[3][0], before.view.m[3][0]);
  EXPECT_FALSE(ResetSurfaceTarget());  // nothing to give back
  EXPECT_FALSE(SetSurfaceTarget(s + 1));
}

TEST_F(SurfaceTest, SwitchingAndFreeingTargetsRestoresTheScreen) {
  int a = CreateSurface(8, 8), b = CreateSurface(16, 16);
  ASSERT_TRUE(SetSurfaceTarget(a));
  ASSERT_TRUE(SetSurfaceTarget(b));  // resets a first
  EXPECT_EQ(CurrentSurfaceTarget(), b);
  ASSERT_TRUE(ResetSurfaceTarget());
  EXPECT_EQ(device_->RenderTarget(), platform::kBackBuffer);
  ASSERT_TRUE(SetSurfaceTarget(a));
  FreeSurface(a);
  EXPECT_EQ(CurrentSurfaceTarget(), -1);
  EXPECT_EQ(device_->RenderTarget(), platform::kBackBuffer);
}

// Fills a rectangle of the surface through a viewport clear.
void Fill(int surface, int x, int y, int w, int h, int64_t color) {
  ASSERT_TRUE(SetSurfaceTarget(surface));
  SetViewport(x, y, w, h);
  DrawClear(color);
  ResetSurfaceTarget();
}

TEST_F(SurfaceTest, PixelsAndCapturesReadTheSurface) {
  int s = CreateSurface(10, 10);
  Fill(s, 0, 0, 10, 10, 0);
  Fill(s, 5, 5, 5, 5, 255);
  EXPECT_EQ(SurfacePixel(s, 5, 5), 255);
  EXPECT_EQ(SurfacePixel(s, 4, 5), 0);
  EXPECT_EQ(SurfacePixel(s, 10, 5), 0);  // outside
  EXPECT_EQ(SurfacePixel(s + 1, 0, 0), 0);
  runner::CBitmap32 part = CaptureSurface(s, 8, 3, 5, 5);
  ASSERT_EQ(part.width, 2);
  ASSERT_EQ(part.height, 5);
  EXPECT_EQ(part.pixels[0], 0xFF000000u);
  EXPECT_EQ(part.pixels[2 * 2 + 0], 0xFFFF0000u);  // row 5 of the surface
  runner::CBitmap32 corner = CaptureSurface(s, -2, -2, 3, 3);
  EXPECT_EQ(corner.width, 3);  // the start raised to 0, the size kept
  EXPECT_EQ(corner.height, 3);
  EXPECT_TRUE(CaptureSurface(s, 10, 0, 5, 5).Empty());
}

TEST_F(SurfaceTest, CopiesAreClippedToSourceThenDestination) {
  int source = CreateSurface(4, 4), dest = CreateSurface(6, 6);
  Fill(source, 0, 0, 4, 4, 255);
  Fill(source, 0, 0, 1, 1, 65280);  // a green top-left pixel
  Fill(dest, 0, 0, 6, 6, 0);
  struct Case {
    int x, y, sx, sy, w, h;
    int green_x, green_y;  // where the source's top-left pixel lands, or -1
    int red_x, red_y;      // a red pixel that must be there
    int black_x, black_y;  // a pixel that must stay black
  };
  const Case cases[] = {
      // A source rectangle starting at (-1, -1): only its part inside the
      // source is copied, shifted by the cut.
      {2, 2, -1, -1, 3, 3, 3, 3, 4, 4, 2, 2},
      {-2, 0, 0, 0, 4, 4, -1, -1, 0, 0, 2, 0},  // negative x cuts the source's left
      {4, 4, 0, 0, 4, 4, 4, 4, 5, 5, 3, 3},     // cut at the destination's edge
  };
  for (const Case& c : cases) {
    Fill(dest, 0, 0, 6, 6, 0);
    CopySurfacePart(dest, c.x, c.y, source, c.sx, c.sy, c.w, c.h);
    if (c.green_x >= 0) {
      EXPECT_EQ(SurfacePixel(dest, c.green_x, c.green_y), 65280);
    }
    EXPECT_EQ(SurfacePixel(dest, c.red_x, c.red_y), 255) << "copy to " << c.x << "," << c.y;
    EXPECT_EQ(SurfacePixel(dest, c.black_x, c.black_y), 0) << "copy to " << c.x << "," << c.y;
  }
  Fill(dest, 0, 0, 6, 6, 0);
  CopySurface(dest, 1, 1, source);
  EXPECT_EQ(SurfacePixel(dest, 1, 1), 65280);
  EXPECT_EQ(SurfacePixel(dest, 4, 4), 255);
  EXPECT_EQ(SurfacePixel(dest, 5, 5), 0);
  CopySurface(dest, 0, 0, source + 5);  // no such source: nothing
  EXPECT_EQ(SurfacePixel(dest, 1, 1), 65280);
}

TEST_F(SurfaceTest, SavedBitmapsHoldTheSurfaceRowsFromTheBottom) {
  int s = CreateSurface(3, 2);
  Fill(s, 0, 0, 3, 2, 0);
  Fill(s, 0, 0, 1, 1, 255);  // top-left red
  std::string path = testing::TestTempPath(".bmp");
  ASSERT_TRUE(SaveSurface(s, path, 0, 0, 3, 2));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 54u + 3 * 2 * 4);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[18], 3);   // width
  EXPECT_EQ(bytes[22], 2);   // height, positive: bottom row first
  EXPECT_EQ(bytes[28], 32);  // bits per pixel
  // The second stored row is the top row; its first pixel is red (B, G, R, A).
  size_t top_left = 54 + 3 * 4;
  EXPECT_EQ(bytes[top_left + 0], 0);
  EXPECT_EQ(bytes[top_left + 1], 0);
  EXPECT_EQ(bytes[top_left + 2], 255);
  EXPECT_EQ(bytes[54 + 2], 0);  // bottom-left is black
  std::remove(path.c_str());
  EXPECT_FALSE(SaveSurface(s, path, 5, 5, 1, 1));  // nothing to write
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(SaveSurface(s, "/nonexistent-dir/x.bmp", 0, 0, 3, 2));
}

}  // namespace
}  // namespace vendrel::graphics
