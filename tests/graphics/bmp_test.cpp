// Reading BMP files in the forms games store them, and writing captures.
#include "graphics/bmp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vendrel::graphics {
namespace {

// A BMP file put together field by field.
struct BmpLayout {
  uint32_t header_size = 40;
  int32_t width = 1;
  int32_t height = 1;  // negative: rows from the top
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colors_used = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::vector<uint32_t> masks;    // after a 40-byte header, or inside a larger one
  std::vector<uint8_t> pixels;    // exactly as stored
};

void Put(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + size_t(i)] = uint8_t(value >> (8 * i));
}

std::vector<uint8_t> MakeBmp(const BmpLayout& layout) {
  const bool core = layout.header_size == 12;
  std::vector<uint8_t> file(14 + layout.header_size, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put(file, 14, layout.header_size, 4);
  if (core) {
    Put(file, 18, uint32_t(layout.width), 2);
    Put(file, 20, uint32_t(layout.height), 2);
    Put(file, 22, 1, 2);
    Put(file, 24, layout.bits, 2);
  } else {
    Put(file, 18, uint32_t(layout.width), 4);
    Put(file, 22, uint32_t(layout.height), 4);
    Put(file, 26, 1, 2);
    Put(file, 28, layout.bits, 2);
    Put(file, 30, layout.compression, 4);
    Put(file, 46, layout.colors_used, 4);
  }
  auto append = [&](uint32_t value, int bytes) {
    file.resize(file.size() + size_t(bytes));
    Put(file, file.size() - size_t(bytes), value, bytes);
  };
  if (layout.header_size == 40) {
    for (uint32_t mask : layout.masks) append(mask, 4);
  } else {
    for (size_t i = 0; i < layout.masks.size(); ++i) Put(file, 14 + 40 + 4 * i, layout.masks[i], 4);
  }
  for (uint32_t color : layout.palette) append(color, core ? 3 : 4);
  Put(file, 10, uint32_t(file.size()), 4);
  file.insert(file.end(), layout.pixels.begin(), layout.pixels.end());
  Put(file, 2, uint32_t(file.size()), 4);
  return file;
}

uint32_t At(const runner::CBitmap32& bitmap, int x, int y) {
  return bitmap.pixels[size_t(y) * size_t(bitmap.width) + size_t(x)];
}

TEST(BmpDecodeTest, TwentyFourBitRowsArePaddedAndStoredFromTheBottom) {
  BmpLayout layout;
  layout.width = 3;
  layout.height = 2;
  // Bottom row first: blue, green, red triples; 9 bytes padded to 12.
  layout.pixels = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0xEE, 0xEE, 0xEE,  // bottom
                 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE};      // top
  runner::CBitmap32 bitmap = DecodeBmp(MakeBmp(layout));
  ASSERT_EQ(bitmap.width, 3);
  ASSERT_EQ(bitmap.height, 2);
  EXPECT_EQ(At(bitmap, 0, 1), 0xFFFF0000u);
  EXPECT_EQ(At(bitmap, 1, 1), 0xFF00FF00u);
  EXPECT_EQ(At(bitmap, 2, 1), 0xFF0000FFu);
  EXPECT_EQ(At(bitmap, 0, 0), 0xFF030201u);
  EXPECT_EQ(At(bitmap, 2, 0), 0xFF090807u);

  // The same rows with a negative height are read from the top.
  layout.height = -2;
  runner::CBitmap32 top_down = DecodeBmp(MakeBmp(layout));
  ASSERT_EQ(top_down.height, 2);
  EXPECT_EQ(At(top_down, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(At(top_down, 2, 1), 0xFF090807u);
}

TEST(BmpDecodeTest, ThirtyTwoBitAlphaIsKeptOnlyWhenTheFileUsesIt) {
  // A capture written by EncodeBmp comes back with its alpha.
  runner::CBitmap32 capture;
  capture.width = 2;
  capture.height = 2;
  capture.pixels = {0x80102030, 0xFF405060, 0x00708090, 0x40A0B0C0};
  runner::CBitmap32 back = DecodeBmp(EncodeBmp(capture));
  EXPECT_EQ(back.width, 2);
  EXPECT_EQ(back.pixels, capture.pixels);

  // Fourth bytes that are all 0 are padding: the image is opaque.
  BmpLayout layout;
  layout.width = 2;
  layout.bits = 32;
  layout.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  runner::CBitmap32 opaque = DecodeBmp(MakeBmp(layout));
  ASSERT_EQ(opaque.width, 2);
  EXPECT_EQ(At(opaque, 0, 0), 0xFF030201u);
  EXPECT_EQ(At(opaque, 1, 0), 0xFF060504u);

  // An alpha mask in a version 4 header decides, even when it gives 0.
  layout.header_size = 108;
  layout.compression = 3;
  layout.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  runner::CBitmap32 masked = DecodeBmp(MakeBmp(layout));
  ASSERT_EQ(masked.width, 2);
  EXPECT_EQ(At(masked, 0, 0), 0x00030201u);
}

TEST(BmpDecodeTest, PaletteImagesOfEveryDepthPickTheirColours) {
  const std::vector<uint32_t> colors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  struct Case {
    uint16_t bits;
    std::vector<uint8_t> row;  // indexes 1, 0, 3, 2 (1-bit: 1, 0, 1, 1), padded
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      {8, {1, 0, 3, 2}, {0xFFFF0000, 0xFF000000, 0xFF0000FF, 0xFF00FF00}},
      {4, {0x10, 0x32, 0, 0}, {0xFFFF0000, 0xFF000000, 0xFF0000FF, 0xFF00FF00}},
      {1, {0xB0, 0, 0, 0}, {0xFFFF0000, 0xFF000000, 0xFFFF0000, 0xFFFF0000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    BmpLayout layout;
    layout.width = 4;
    layout.bits = c.bits;
    layout.palette = c.bits == 1 ? std::vector<uint32_t>{0x000000, 0xFF0000} : colors;
    layout.colors_used = uint32_t(layout.palette.size());
    layout.pixels = c.row;
    runner::CBitmap32 bitmap = DecodeBmp(MakeBmp(layout));
    ASSERT_EQ(bitmap.width, 4);
    EXPECT_EQ(bitmap.pixels, c.expected);
  }

  // A core header has three-byte palette entries and 16-bit sizes.
  BmpLayout core;
  core.header_size = 12;
  core.width = 2;
  core.bits = 8;
  core.palette.assign(256, 0);
  core.palette[0] = 0x123456;
  core.palette[255] = 0xABCDEF;
  core.pixels = {255, 0, 0, 0};
  runner::CBitmap32 bitmap = DecodeBmp(MakeBmp(core));
  ASSERT_EQ(bitmap.width, 2);
  EXPECT_EQ(At(bitmap, 0, 0), 0xFFABCDEFu);
  EXPECT_EQ(At(bitmap, 1, 0), 0xFF123456u);
}

TEST(BmpDecodeTest, SixteenBitPixelsScaleTheirChannels) {
  // Plain 16-bit files are 5-5-5; bit fields give 5-6-5.
  BmpLayout layout;
  layout.width = 2;
  layout.bits = 16;
  layout.pixels = {0x00, 0x7C, 0x1F, 0x00};  // pure red, pure blue
  runner::CBitmap32 plain = DecodeBmp(MakeBmp(layout));
  ASSERT_EQ(plain.width, 2);
  EXPECT_EQ(At(plain, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(At(plain, 1, 0), 0xFF0000FFu);

  layout.compression = 3;
  layout.masks = {0xF800, 0x07E0, 0x001F};
  layout.pixels = {0xE0, 0x07, 0x20, 0x00};  // full green, green 1 of 63
  runner::CBitmap32 fields = DecodeBmp(MakeBmp(layout));
  ASSERT_EQ(fields.width, 2);
  EXPECT_EQ(At(fields, 0, 0), 0xFF00FF00u);
  EXPECT_EQ(At(fields, 1, 0), 0xFF000400u);
}

TEST(BmpDecodeTest, RunLengthCodesExpandWithDeltasAndLiterals) {
  BmpLayout layout;
  layout.width = 5;
  layout.height = 2;
  layout.bits = 8;
  layout.compression = 1;
  layout.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  // Bottom row: two of index 1, then the literal indexes 2, 3, 1 (padded
  // to a word), end of line. Top row: move right 1, two of index 3, end of
  // bitmap; the pixels skipped keep index 0.
  layout.pixels = {2, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 0, 2, 3, 0, 1};
  runner::CBitmap32 bitmap = DecodeBmp(MakeBmp(layout));
  ASSERT_EQ(bitmap.width, 5);
  const uint32_t k = 0xFF000000, r = 0xFFFF0000, g = 0xFF00FF00, b = 0xFF0000FF;
  EXPECT_EQ(bitmap.pixels, (std::vector<uint32_t>{k, b, b, k, k, r, r, g, b, r}));

  // RLE4 alternates the two nibbles of a run.
  BmpLayout rle4 = layout;
  rle4.height = 1;
  rle4.bits = 4;
  rle4.compression = 2;
  rle4.pixels = {5, 0x12, 0, 1};
  runner::CBitmap32 nibbles = DecodeBmp(MakeBmp(rle4));
  ASSERT_EQ(nibbles.width, 5);
  EXPECT_EQ(nibbles.pixels, (std::vector<uint32_t>{r, g, r, g, r}));

  // Codes that stop in the middle are refused.
  layout.pixels = {3, 1, 0};
  EXPECT_TRUE(DecodeBmp(MakeBmp(layout)).Empty());
}

TEST(BmpDecodeTest, DamagedOrUnsupportedFilesDecodeToNothing) {
  BmpLayout good;
  good.width = 2;
  good.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
  ASSERT_FALSE(DecodeBmp(MakeBmp(good)).Empty());

  std::vector<uint8_t> not_bmp = MakeBmp(good);
  not_bmp[0] = 'P';
  std::vector<uint8_t> truncated = MakeBmp(good);
  truncated.pop_back();
  BmpLayout no_width = good;
  no_width.width = 0;
  BmpLayout huge = good;
  huge.width = 1 << 14;
  huge.height = 1 << 14;
  BmpLayout png_inside = good;
  png_inside.compression = 5;
  BmpLayout odd_depth = good;
  odd_depth.bits = 7;
  BmpLayout rle_top_down = good;
  rle_top_down.bits = 8;
  rle_top_down.compression = 1;
  rle_top_down.height = -1;
  rle_top_down.pixels = {0, 1};
  std::vector<uint8_t> cut_header = MakeBmp(good);
  cut_header.resize(30);

  const std::vector<uint8_t> files[] = {
      {},
      not_bmp,
      truncated,
      cut_header,
      MakeBmp(no_width),
      MakeBmp(huge),
      MakeBmp(png_inside),
      MakeBmp(odd_depth),
      MakeBmp(rle_top_down),
  };
  for (size_t i = 0; i < std::size(files); ++i) {
    SCOPED_TRACE(i);
    runner::CBitmap32 bitmap = DecodeBmp(files[i]);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_TRUE(bitmap.pixels.empty());
  }
}

}  // namespace
}  // namespace vendrel::graphics
