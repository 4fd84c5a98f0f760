// Fonts rendered at run time from an installed system font: the glyph
// table is laid out cell by cell in a square-ish glyph bitmap, and each
// character's coverage is drawn into its cell.
//
// Game text is Windows-1252: the character code c of a font's tables is the
// byte c of a game string, rendered as the Unicode character that byte
// stands for in that code page.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "resources/font.h"

namespace vendrel::graphics {

// The Unicode code point of the Windows-1252 byte [code]. The five bytes
// the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// control characters of the same value, as Windows maps them.
uint32_t Cp1252ToUnicode(uint8_t code);

// Pixels per em of a font of [points] at the 96 pixels per inch the game's
// text was laid out for (12 points give 16 pixels). A size of 0 is 12
// points, a negative size counts as positive, and the result is kept
// within 1..kMaxFontPixels so that a silly size cannot ask for gigabytes
// of glyph bitmap.
int FontPixelSize(int32_t points);
inline constexpr int kMaxFontPixels = 512;

// What the system reports of one character before layout. With ABC widths
// (every scalable font has them) the glyph's black box is [b] pixels wide
// and starts [a] pixels right of the pen, and the pen moves a + b + c;
// without them the character is [width] pixels wide.
struct GlyphExtent {
  bool has_abc = true;
  int32_t a = 0;
  int32_t b = 0;
  int32_t c = 0;
  int32_t width = 0;
};

// Lays out the cells of codes font.first..font.last (already within
// 0..255) in a glyph bitmap: fills glyph x and y, cell width and height,
// advance and offset of those codes from [extents] and the text height
// [height], and sets the bitmap size. The bitmap is the first power-of-two
// width from 128 up whose rows of cells fit in a height no greater than
// the width. The glyph bitmap itself is not touched.
void PackGlyphCells(resources::CFont& font, const std::array<GlyphExtent, 256>& extents,
                    int32_t height);

// Makes [font] a font rendered from the system font [name] at [size]
// points with the given style, holding codes max(0, first)..min(255, last):
// the glyph table and the coverage bitmap. No texture is made. When no
// installed font can be opened the font keeps its name, style and range
// with empty tables and gives false.
bool RenderSystemFont(resources::CFont& font, const std::string& name, int32_t size, bool bold,
                      bool italic, int32_t first, int32_t last);

}  // namespace vendrel::graphics
