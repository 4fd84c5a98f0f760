// A small stored font for the text tests: characters 32 to 127 with
// advances simple enough to add up by hand, written as a font record and
// read back the way the game data loader reads it.
//
// Advances: space 4; lower-case letters 6 except i and l 3, m and w 9;
// capitals 8 except M 10 and W 11; digits 7; '-' 5; '#' 8; '.' 3; every
// other character 6. Offsets are 0 except j (-1) and T (1). Every cell is
// 14 pixels high and one pixel wider than its advance; cells lie 16 to a
// row in a 256 by 128 bitmap whose coverage byte is the character code at
// the cell's top-left pixel and (x + y) elsewhere.
#pragma once

#include <gtest/gtest.h>

#include "resources/font.h"
#include "runner/stream.h"

namespace vendrel::testing {

inline int32_t TestFontAdvance(int c) {
  if (c == ' ') return 4;
  if (c == 'i' || c == 'l') return 3;
  if (c == 'm' || c == 'w') return 9;
  if (c >= 'a' && c <= 'z') return 6;
  if (c == 'M') return 10;
  if (c == 'W') return 11;
  if (c >= 'A' && c <= 'Z') return 8;
  if (c >= '0' && c <= '9') return 7;
  if (c == '-') return 5;
  if (c == '#') return 8;
  if (c == '.') return 3;
  return 6;
}

inline constexpr int32_t kTestFontHeight = 14;

inline resources::CFont MakeTestFont(int32_t first = 32, int32_t last = 127) {
  resources::CFont font;
  font.font_name = "Test Sans";
  font.size = 10;
  font.first = first;
  font.last = last;
  font.bitmap_width = 256;
  font.bitmap_height = 128;
  for (int c = first; c <= last; ++c) {
    size_t i = size_t(c);
    font.advance[i] = TestFontAdvance(c);
    font.offset[i] = c == 'j' ? -1 : c == 'T' ? 1 : 0;
    font.cell_width[i] = font.advance[i] + 1;
    font.cell_height[i] = kTestFontHeight;
    font.glyph_x[i] = ((c - 32) % 16) * 16;
    font.glyph_y[i] = ((c - 32) / 16) * 16;
  }
  font.glyph_bitmap.resize(size_t(font.bitmap_width * font.bitmap_height));
  for (int y = 0; y < font.bitmap_height; ++y)
    for (int x = 0; x < font.bitmap_width; ++x)
      font.glyph_bitmap[size_t(y * font.bitmap_width + x)] = uint8_t(x + y);
  for (int c = first; c <= last; ++c)
    font.glyph_bitmap[size_t(font.glyph_y[size_t(c)] * font.bitmap_width +
                             font.glyph_x[size_t(c)])] = uint8_t(c);

  // Stored and loaded again, as fonts reach the game.
  runner::CStream stream;
  font.Write(stream);
  stream.Seek(0);
  resources::CFont loaded;
  EXPECT_TRUE(loaded.Read(stream));
  return loaded;
}

}  // namespace vendrel::testing
