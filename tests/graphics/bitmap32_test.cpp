// Treatments of 32-bit images before they become textures.
#include "graphics/bitmap32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vendrel::graphics {
namespace {

constexpr uint32_t kMagenta = 0xFFFF00FF, kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

runner::CBitmap32 FromRows(const std::vector<std::vector<uint32_t>>& rows) {
  runner::CBitmap32 bitmap;
  bitmap.height = int(rows.size());
  bitmap.width = int(rows[0].size());
  for (const auto& row : rows) bitmap.pixels.insert(bitmap.pixels.end(), row.begin(), row.end());
  return bitmap;
}

uint32_t At(const runner::CBitmap32& bitmap, int x, int y) {
  return bitmap.pixels[size_t(y * bitmap.width + x)];
}

TEST(Bitmap32Test, RemovingTheBackgroundKeepsNeighbourColoursInTheHoles) {
  runner::CBitmap32 bitmap = FromRows({{kMagenta, kRed, kMagenta},
                                       {kBlue, kMagenta, kMagenta},
                                       {kMagenta, kMagenta, kMagenta}});
  RemoveBackground(bitmap);
  // Visible pixels stay; each transparent one takes the colour of its first
  // visible neighbour, left, right, above, below, in that order.
  EXPECT_EQ(At(bitmap, 1, 0), kRed);
  EXPECT_EQ(At(bitmap, 0, 1), kBlue);
  EXPECT_EQ(At(bitmap, 0, 0), 0x00FF0000u);  // right: red
  EXPECT_EQ(At(bitmap, 1, 1), 0x000000FFu);  // left: blue
  EXPECT_EQ(At(bitmap, 2, 0), 0x00FF0000u);  // left: red
  EXPECT_EQ(At(bitmap, 0, 2), 0x000000FFu);  // above: blue
  EXPECT_EQ(At(bitmap, 2, 2), 0x00FF00FFu);  // no visible neighbour: kept
  for (uint32_t pixel : {At(bitmap, 0, 0), At(bitmap, 2, 1), At(bitmap, 1, 2)}) {
    EXPECT_EQ(pixel >> 24, 0u);
  }

  runner::CBitmap32 single = FromRows({{kRed}});
  RemoveBackground(single);
  EXPECT_EQ(single.pixels[0], 0x00FF0000u);  // fully transparent
}

TEST(Bitmap32Test, SmoothingTakesAlphaAroundTransparentPixels) {
  // One transparent pixel in the middle of opaque ones.
  std::vector<std::vector<uint32_t>> rows(3, std::vector<uint32_t>(3, kRed));
  rows[1][1] = 0x00FF0000;
  runner::CBitmap32 bitmap = FromRows(rows);
  SmoothEdges(bitmap);
  EXPECT_EQ(At(bitmap, 0, 0) >> 24, 0xDFu);
  EXPECT_EQ(At(bitmap, 2, 2) >> 24, 0xDFu);
  EXPECT_EQ(At(bitmap, 1, 1) >> 24, 0u);

  // A pixel between two holes loses 32 twice; one already below 32 keeps
  // what it has.
  runner::CBitmap32 line = FromRows({{0x00000000, 0xFF00FF00, 0x00000000, 0x1F00FF00}});
  SmoothEdges(line);
  EXPECT_EQ(At(line, 1, 0) >> 24, 0xBFu);
  EXPECT_EQ(At(line, 3, 0) >> 24, 0x1Fu);
}

TEST(Bitmap32Test, PixelsWithoutAlphaBecomeOpaqueBeforeTheTreatments) {
  const uint32_t pixels[4] = {0x00FF0000, 0x0000FF00, 0x00112233, 0x00112233};
  runner::CBitmap32 plain = BitmapFromPixels(2, 2, pixels, false, false, false);
  EXPECT_EQ(plain.pixels[0], 0xFFFF0000u);
  runner::CBitmap32 removed = BitmapFromPixels(2, 2, pixels, false, false, true);
  EXPECT_EQ(removed.pixels[3] >> 24, 0u);  // the key colour
  EXPECT_EQ(removed.pixels[0], 0xFFFF0000u);
  runner::CBitmap32 smoothed = BitmapFromPixels(2, 2, pixels, false, true, true);
  EXPECT_EQ(smoothed.pixels[0] >> 24, 0xBFu);  // next to two holes
  runner::CBitmap32 kept = BitmapFromPixels(2, 2, pixels, true, true, false);
  EXPECT_EQ(kept.pixels[0], 0x00FF0000u);  // alpha taken as it is, no smoothing alone
}

TEST(Bitmap32Test, SubRectanglesMustLieInsideTheSource) {
  runner::CBitmap32 source = FromRows({{1, 2, 3}, {4, 5, 6}});
  runner::CBitmap32 part = SubBitmap(source, 2, 1, 1, 1);
  EXPECT_EQ(part.pixels, (std::vector<uint32_t>{5, 6}));
  EXPECT_TRUE(SubBitmap(source, 3, 1, 1, 1).Empty());
  EXPECT_TRUE(SubBitmap(source, 1, 1, -1, 0).Empty());
  EXPECT_TRUE(SubBitmap(runner::CBitmap32(), 1, 1, 0, 0).Empty());
}

TEST(Bitmap32Test, FilledAndGradientImagesAreOpaque) {
  runner::CBitmap32 filled = FilledBitmap(0, -3, 255);
  EXPECT_EQ(filled.width, 1);
  EXPECT_EQ(filled.height, 1);
  EXPECT_EQ(filled.pixels[0], 0xFFFF0000u);

  // Black to white over 4 columns: merge(i / 4) per column.
  runner::CBitmap32 across = GradientBitmap(4, 2, 0, 0xFFFFFF, 0);
  EXPECT_EQ(At(across, 0, 1), 0xFF000000u);
  EXPECT_EQ(At(across, 2, 0), 0xFF808080u);
  EXPECT_EQ(At(across, 3, 1), 0xFFBFBFBFu);  // round(191.25)
  runner::CBitmap32 down = GradientBitmap(2, 4, 0, 0xFFFFFF, 1);
  EXPECT_EQ(At(down, 1, 2), 0xFF808080u);
  // Rectangles towards the centre, g = 0..3 in merge(g / 3); the last one
  // is empty.
  runner::CBitmap32 boxes = GradientBitmap(6, 6, 0, 0xFFFFFF, 2);
  EXPECT_EQ(At(boxes, 0, 3), 0xFF000000u);
  EXPECT_EQ(At(boxes, 1, 4), 0xFF555555u);
  EXPECT_EQ(At(boxes, 2, 2), 0xFFAAAAAAu);
  // From both sides: the edge columns in colour 1, the middle in colour 2.
  runner::CBitmap32 sides = GradientBitmap(5, 1, 0, 0xFFFFFF, 4);
  EXPECT_EQ(At(sides, 0, 0), 0xFF000000u);
  EXPECT_EQ(At(sides, 4, 0), 0xFF808080u);  // column 5 - 1 is drawn with i = 1
  EXPECT_EQ(At(sides, 2, 0), 0xFFFFFFFFu);
  runner::CBitmap32 ellipse = GradientBitmap(8, 8, 255, 0xFF0000, 3);
  EXPECT_EQ(At(ellipse, 0, 0), 0xFFFF0000u);  // the corner keeps colour 1
  EXPECT_EQ(At(ellipse, 4, 4), 0xFF4000BFu);  // the innermost ellipse, g = 3 of 4
  runner::CBitmap32 none = GradientBitmap(3, 3, 255, 0xFF0000, 9);
  EXPECT_EQ(At(none, 1, 1), 0xFF000000u);
}

TEST(Bitmap32Test, AlphaFromAnotherImageAndResizing) {
  runner::CBitmap32 bitmap = FromRows({{kRed, kRed}, {kRed, 0x10FF0000}});
  runner::CBitmap32 mask = FromRows({{0xFF303030, 0xFFFFFFFF}});
  AlphaFromBitmap(bitmap, mask);
  EXPECT_EQ(At(bitmap, 0, 0), 0x30FF0000u);
  EXPECT_EQ(At(bitmap, 1, 0), kRed);
  EXPECT_EQ(At(bitmap, 1, 1), 0x10FF0000u);  // outside the mask: kept

  runner::CBitmap32 small = FromRows({{1, 2}, {3, 4}});
  ResizeBitmap(small, 4, 3);
  EXPECT_EQ(small.width, 4);
  EXPECT_EQ(small.pixels, (std::vector<uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4}));
  ResizeBitmap(small, 2, 1);
  EXPECT_EQ(small.pixels, (std::vector<uint32_t>{1, 2}));
}

TEST(Bitmap32Test, TheVisibleBoxHoldsEveryPixelWithAlpha) {
  runner::CBitmap32 bitmap = FromRows({{0, 0, 0, 0}, {0, 0, kRed, 0}, {0, kRed, 0, 0}});
  BitmapBox box = VisibleBox(bitmap);
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.top, 1);
  EXPECT_EQ(box.right, 2);
  EXPECT_EQ(box.bottom, 2);
  BitmapBox inverted = VisibleBox(FromRows({{0, 0, 0}, {0, 0, 0}}));
  EXPECT_EQ(inverted.left, 2);
  EXPECT_EQ(inverted.top, 1);
  EXPECT_EQ(inverted.right, 0);
  EXPECT_EQ(inverted.bottom, 0);
  BitmapBox empty = VisibleBox(runner::CBitmap32());
  EXPECT_EQ(empty.left + empty.top + empty.right + empty.bottom, 0);
}

}  // namespace
}  // namespace vendrel::graphics
