#include "graphics/bmp.h"

#include <algorithm>
#include <array>
#include <bit>

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

// Little-endian fields of a file, read with bounds checks.
class BmpReader {
 public:
  explicit BmpReader(const std::vector<uint8_t>& file) : file_(file) {}
  bool Has(size_t at, size_t count) const {
    return at <= file_.size() && count <= file_.size() - at;
  }
  uint32_t U8(size_t at) const { return file_[at]; }
  uint32_t U16(size_t at) const { return U8(at) | U8(at + 1) << 8; }
  uint32_t U32(size_t at) const { return U16(at) | U16(at + 2) << 16; }
  const uint8_t* Data(size_t at) const { return file_.data() + at; }
  size_t Size() const { return file_.size(); }

 private:
  const std::vector<uint8_t>& file_;
};

// One colour channel of a bit-field pixel, scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit Channel(uint32_t m = 0) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    max = mask >> shift;
  }
  uint32_t Extract(uint32_t value) const {
    if (max == 0) return 0;
    return ((value & mask) >> shift) * 255u / max;
  }
};

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

// Expands run-length coded indexes (RLE8, or RLE4 with [nibbles]) into
// [indexes], rows from the bottom. Pixels the codes skip keep index 0.
// False when the codes run past the data.
bool ExpandRle(const BmpReader& in, size_t at, int width, int height, bool nibbles,
               std::vector<uint8_t>& indexes) {
  indexes.assign(size_t(width) * size_t(height), 0);
  int x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](uint32_t index) {
    if (x < width && y < height) indexes[size_t(y) * size_t(width) + size_t(x)] = uint8_t(index);
    ++x;
  };
  while (true) {
    if (!in.Has(at, 2)) return false;
    uint32_t count = in.U8(at), value = in.U8(at + 1);
    at += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i)
        put(nibbles ? ((i & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // move right and up
      if (!in.Has(at, 2)) return false;
      x += int(in.U8(at));
      y += int(in.U8(at + 1));
      at += 2;
    } else {  // [value] indexes as they are, padded to a 16-bit boundary
      size_t bytes = nibbles ? (value + 1) / 2 : value;
      if (!in.Has(at, bytes)) return false;
      for (uint32_t i = 0; i < value; ++i) {
        uint32_t byte = in.U8(at + (nibbles ? i / 2 : i));
        put(nibbles ? ((i & 1) ? byte & 15 : byte >> 4) : byte);
      }
      at += (bytes + 1) & ~size_t(1);
    }
    if (y >= height) return true;
  }
}

}  // namespace

runner::CBitmap32 DecodeBmp(const std::vector<uint8_t>& file) {
  const runner::CBitmap32 failed;
  BmpReader in(file);
  if (!in.Has(0, 18) || file[0] != 'B' || file[1] != 'M') return failed;
  const size_t pixel_offset = in.U32(10);
  const size_t header_size = in.U32(14);
  if (header_size < 12 || !in.Has(14, header_size)) return failed;

  int64_t width = 0, height = 0;
  uint32_t bits = 0, compression = kBiRgb, colors_used = 0;
  bool core = header_size < 40;
  if (core) {
    width = in.U16(18);
    height = in.U16(20);
    bits = in.U16(24);
  } else {
    width = int32_t(in.U32(18));
    height = int32_t(in.U32(22));
    bits = in.U16(28);
    compression = in.U32(30);
    colors_used = in.U32(46);
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxBmpPixels)
    return failed;
  const bool rle = compression == kBiRle8 || compression == kBiRle4;
  if (rle && top_down) return failed;
  if ((compression == kBiRle8 && bits != 8) || (compression == kBiRle4 && bits != 4))
    return failed;

  // Bit fields: inside version 2 and later headers, else right after a
  // version 1 header.
  std::array<uint32_t, 4> masks{};
  bool has_alpha_mask = false;
  size_t after_header = 14 + header_size;
  if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
    if (bits != 16 && bits != 32) return failed;
    size_t count = compression == kBiAlphaBitfields ? 4 : 3;
    size_t at = 14 + 40;
    if (header_size == 40) {
      if (!in.Has(after_header, count * 4)) return failed;
      at = after_header;
      after_header += count * 4;
    } else if (header_size >= 56) {
      count = 4;
    } else if (header_size >= 52) {
      count = 3;
    } else {
      return failed;
    }
    for (size_t i = 0; i < count; ++i) masks[i] = in.U32(at + 4 * i);
  } else if (compression == kBiRgb || rle) {
    if (bits == 16) masks = {0x7C00, 0x03E0, 0x001F, 0};
    if (bits == 24 || bits == 32) masks = {0xFF0000, 0x00FF00, 0x0000FF, 0};
  } else {
    return failed;  // JPEG, PNG or unknown compression
  }
  has_alpha_mask = masks[3] != 0;

  std::vector<uint32_t> palette;
  if (bits == 1 || bits == 4 || bits == 8) {
    size_t entries = colors_used != 0 && colors_used < (1u << bits) ? colors_used : 1u << bits;
    size_t entry_size = core ? 3 : 4;
    palette.assign(size_t(1) << bits, 0xFF000000u);
    for (size_t i = 0; i < entries; ++i) {
      size_t at = after_header + i * entry_size;
      if (!in.Has(at, 3)) break;  // a short palette leaves the rest black
      palette[i] = 0xFF000000u | in.U8(at + 2) << 16 | in.U8(at + 1) << 8 | in.U8(at);
    }
  } else if (bits != 16 && bits != 24 && bits != 32) {
    return failed;
  }

  runner::CBitmap32 bitmap;
  bitmap.width = int(width);
  bitmap.height = int(height);
  bitmap.pixels.resize(size_t(width) * size_t(height));
  auto row_of = [&](int64_t stored_row) {
    int64_t y = top_down ? stored_row : height - 1 - stored_row;
    return bitmap.pixels.data() + size_t(y) * size_t(width);
  };

  if (rle) {
    std::vector<uint8_t> indexes;
    if (!ExpandRle(in, pixel_offset, int(width), int(height), compression == kBiRle4, indexes))
      return failed;
    for (int64_t row = 0; row < height; ++row) {
      uint32_t* out = row_of(row);
      for (int64_t x = 0; x < width; ++x)
        out[x] = palette[indexes[size_t(row) * size_t(width) + size_t(x)]];
    }
    return bitmap;
  }

  const size_t row_bytes = ((size_t(width) * bits + 31) / 32) * 4;
  if (!in.Has(pixel_offset, row_bytes * size_t(height))) return failed;
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  bool any_alpha = false;
  for (int64_t row = 0; row < height; ++row) {
    const uint8_t* data = in.Data(pixel_offset + size_t(row) * row_bytes);
    uint32_t* out = row_of(row);
    for (int64_t x = 0; x < width; ++x) {
      if (bits < 16) {
        size_t bit = size_t(x) * bits;
        uint32_t index = (data[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        out[x] = palette[index];
        continue;
      }
      const uint8_t* p = data + size_t(x) * (bits / 8);
      uint32_t value = bits == 16   ? uint32_t(p[0] | p[1] << 8)
                       : bits == 24 ? uint32_t(p[0] | p[1] << 8 | p[2] << 16)
                                    : uint32_t(p[0] | p[1] << 8 | p[2] << 16) |
                                          uint32_t(p[3]) << 24;
      uint32_t a = 255;
      if (has_alpha_mask) {
        a = alpha.Extract(value);
      } else if (bits == 32) {
        a = value >> 24;  // kept only if some pixel has it, see below
        any_alpha = any_alpha || a != 0;
      }
      out[x] = a << 24 | red.Extract(value) << 16 | green.Extract(value) << 8 | blue.Extract(value);
    }
  }
  // Plain 32-bit files mostly leave the fourth byte 0: then it is padding,
  // not alpha.
  if (bits == 32 && !has_alpha_mask && !any_alpha)
    for (uint32_t& pixel : bitmap.pixels) pixel |= 0xFF000000u;
  return bitmap;
}

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
