// Bitmap (.bmp) files: writing screen and surface captures (32 bits per
// pixel, uncompressed, rows stored from the bottom as the format demands),
// and reading the bitmaps that games store and load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/stream.h"

namespace vendrel::graphics {

std::vector<uint8_t> EncodeBmp(const runner::CBitmap32& bitmap);
// Writes the file atomically; false for an empty bitmap or a write error.
bool WriteBmpFile(const std::string& path, const runner::CBitmap32& bitmap);

// Images larger than this many pixels are refused rather than allocated.
inline constexpr uint64_t kMaxBmpPixels = uint64_t(1) << 26;

// Decodes a BMP file: core (OS/2 1.x) and Windows info headers up to
// version 5; 1, 4 and 8 bits per pixel with a palette (also RLE8 and RLE4),
// 16, 24 and 32 bits (plain or with bit-field masks); rows stored from the
// bottom or, with a negative height, from the top. Pixels are opaque unless
// the file gives them alpha: through an alpha mask, or as a 32-bit image
// whose fourth bytes are not all 0. Anything else (not a BMP, truncated,
// JPEG or PNG inside, too large) gives an empty bitmap.
runner::CBitmap32 DecodeBmp(const std::vector<uint8_t>& file);

}  // namespace vendrel::graphics
