#include "tools/vpack/project_images.h"

#include <cstring>

namespace vendrel::vpack {

runner::CBitmap32 BitmapFromRgba(const platform::PngPixels& pixels) {
  runner::CBitmap32 bitmap;
  bitmap.width = pixels.width;
  bitmap.height = pixels.height;
  bitmap.pixels.resize(size_t(pixels.width) * size_t(pixels.height));
  for (size_t i = 0; i < bitmap.pixels.size(); ++i) {
    const uint8_t* p = &pixels.bytes[i * 4];
    bitmap.pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  return bitmap;
}

platform::PngPixels RgbaFromBitmap(const runner::CBitmap32& bitmap) {
  platform::PngPixels pixels;
  pixels.width = bitmap.width;
  pixels.height = bitmap.height;
  pixels.bytes.resize(bitmap.pixels.size() * 4);
  for (size_t i = 0; i < bitmap.pixels.size(); ++i) {
    uint32_t word = bitmap.pixels[i];
    uint8_t* p = &pixels.bytes[i * 4];
    p[0] = uint8_t(word >> 16);
    p[1] = uint8_t(word >> 8);
    p[2] = uint8_t(word);
    p[3] = uint8_t(word >> 24);
  }
  return pixels;
}

std::vector<uint8_t> BmpFromRgba(const platform::PngPixels& pixels) {
  // Rows are stored bottom up, each padded to a multiple of 4 bytes.
  uint32_t row_bytes = (uint32_t(pixels.width) * 3 + 3) & ~3u;
  uint32_t image_bytes = row_bytes * uint32_t(pixels.height);
  std::vector<uint8_t> file(54 + image_bytes, 0);
  auto put16 = [&](size_t at, uint16_t value) { std::memcpy(&file[at], &value, 2); };
  auto put32 = [&](size_t at, uint32_t value) { std::memcpy(&file[at], &value, 4); };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, uint32_t(file.size()));
  put32(10, 54);               // pixel data offset
  put32(14, 40);               // BITMAPINFOHEADER
  put32(18, uint32_t(pixels.width));
  put32(22, uint32_t(pixels.height));
  put16(26, 1);                // planes
  put16(28, 24);               // bits per pixel
  put32(34, image_bytes);
  put32(38, 2835);             // 72 dpi
  put32(42, 2835);
  for (int y = 0; y < pixels.height; ++y) {
    uint8_t* row = &file[54 + size_t(pixels.height - 1 - y) * row_bytes];
    for (int x = 0; x < pixels.width; ++x) {
      const uint8_t* p = &pixels.bytes[(size_t(y) * size_t(pixels.width) + size_t(x)) * 4];
      row[x * 3] = p[2];
      row[x * 3 + 1] = p[1];
      row[x * 3 + 2] = p[0];
    }
  }
  return file;
}

}  // namespace vendrel::vpack
