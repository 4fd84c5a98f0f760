#include "graphics/bmp.h"

#include "platform/files.h"

namespace vendrel::graphics {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const runner::CBitmap32& bitmap) {
  std::vector<uint8_t> out;
  if (bitmap.Empty() || bitmap.pixels.size() < size_t(bitmap.width) * size_t(bitmap.height)) {
    return out;
  }
  constexpr uint32_t kHeaders = 14 + 40;
  uint32_t image_size = uint32_t(bitmap.width) * uint32_t(bitmap.height) * 4;
  out.reserve(kHeaders + image_size);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  Put32(out, kHeaders + image_size);
  Put32(out, 0);
  Put32(out, kHeaders);
  // BITMAPINFOHEADER: positive height, rows from the bottom.
  Put32(out, 40);
  Put32(out, uint32_t(bitmap.width));
  Put32(out, uint32_t(bitmap.height));
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);  // BI_RGB
  Put32(out, image_size);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = bitmap.height - 1; y >= 0; --y) {
    const uint32_t* row = bitmap.pixels.data() + size_t(y) * size_t(bitmap.width);
    for (int x = 0; x < bitmap.width; ++x) Put32(out, row[x]);  // blue, green, red, alpha
  }
  return out;
}

bool WriteBmpFile(const std::string& path, const runner::CBitmap32& bitmap) {
  std::vector<uint8_t> bytes = EncodeBmp(bitmap);
  if (bytes.empty()) return false;
  return platform::WriteFileAtomically(path, bytes.data(), bytes.size());
}

}  // namespace vendrel::graphics
