// CFont: a pre-rendered font: a glyph table for a range of character codes
// and an 8-bit coverage bitmap of all glyphs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runner/stream.h"

namespace vendrel::resources {

class CFont {
 public:
  static constexpr int32_t kRecordVersion = 540;
  static constexpr int kCodes = 256;

  // The system font's name; empty for a sprite font.
  std::string font_name;
  int32_t size = 12;
  bool bold = false;
  bool italic = false;
  // The range of character codes the font holds.
  int32_t first = 32;
  int32_t last = 128;
  // For a sprite font, the sprite index; -1 otherwise.
  int32_t sprite = -1;
  // Per character code: the glyph's cell in the bitmap, how far the pen
  // moves after it and the offset at which the cell is drawn.
  std::array<int32_t, kCodes> glyph_x{};
  std::array<int32_t, kCodes> glyph_y{};
  std::array<int32_t, kCodes> cell_width{};
  std::array<int32_t, kCodes> cell_height{};
  std::array<int32_t, kCodes> advance{};
  std::array<int32_t, kCodes> offset{};
  int32_t bitmap_width = 0;
  int32_t bitmap_height = 0;
  // Coverage (0 to 255) of each pixel, row by row from the top; holds
  // exactly bitmap_width * bitmap_height bytes, or none when either is 0
  // or less.
  std::vector<uint8_t> glyph_bitmap;
  // Made at start-up (-1: none).
  int texture = -1;

  // Reads a font record; false for another version. A glyph block that
  // holds fewer bytes than the bitmap's size is damaged data (StreamError).
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
