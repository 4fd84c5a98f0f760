#include "graphics/font_system.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/font_rasterizer.h"

namespace vendrel::graphics {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the rest of the code page equals
// Latin-1.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

uint32_t Cp1252ToUnicode(uint8_t code) {
  if (code >= 0x80 && code <= 0x9F) return kCp1252High[code - 0x80];
  return code;
}

int FontPixelSize(int32_t points) {
  int64_t p = points == 0 ? 12 : std::llabs(int64_t(points));
  // MulDiv(points, 96, 72): rounded, halves away from zero.
  int64_t pixels = (p * 96 + 36) / 72;
  return int(std::clamp<int64_t>(pixels, 1, kMaxFontPixels));
}

void PackGlyphCells(resources::CFont& font, const std::array<GlyphExtent, 256>& extents,
                    int32_t height) {
  const int32_t h = std::max<int32_t>(0, height);
  int32_t w = 64;
  int32_t total_height = 0;
  do {
    w *= 2;
    int32_t x = 0, y = 0;
    for (int32_t code = font.first; code <= font.last; ++code) {
      const size_t c = size_t(code);
      const GlyphExtent& e = extents[c];
      if (e.has_abc) {
        font.cell_width[c] = e.b + 1;
        font.advance[c] = e.a + e.b + e.c;
        font.offset[c] = e.a;
      } else {
        font.cell_width[c] = font.italic ? h / 2 + e.width + 2 : e.width + 1;
        font.advance[c] = e.width;
        font.offset[c] = 0;
      }
      font.cell_height[c] = h;
      if (x > 0 && x + font.cell_width[c] >= w) {
        y += h + 1;
        x = 0;
      }
      font.glyph_x[c] = x;
      font.glyph_y[c] = y;
      x += font.cell_width[c] + 1;
    }
    total_height = y + h + 1;
  } while (w < total_height);
  font.bitmap_width = w;
  font.bitmap_height = total_height;
}

bool RenderSystemFont(resources::CFont& font, const std::string& name, int32_t size, bool bold,
                      bool italic, int32_t first, int32_t last) {
  font = resources::CFont();
  font.font_name = name;
  font.size = size;
  font.bold = bold;
  font.italic = italic;
  font.first = std::max<int32_t>(0, first);
  font.last = std::min<int32_t>(255, last);

  std::string error;
  std::unique_ptr<platform::RasterFont> raster =
      platform::RasterFont::Open(name, FontPixelSize(size), bold, italic, &error);
  if (!raster) return false;

  // Render every character once; the layout needs the extents, the
  // drawing the coverage.
  std::vector<platform::RasterGlyph> glyphs(256);
  std::array<GlyphExtent, 256> extents{};
  for (int32_t code = font.first; code <= font.last; ++code) {
    platform::RasterGlyph& glyph = glyphs[size_t(code)];
    GlyphExtent& e = extents[size_t(code)];
    if (!raster->RenderGlyph(Cp1252ToUnicode(uint8_t(code)), glyph) || glyph.width <= 0 ||
        glyph.height <= 0) {
      // A blank character (the space): no black box, only the advance.
      int32_t advance = glyph.advance;
      glyph = platform::RasterGlyph();
      e = {true, 0, 0, advance, 0};
      continue;
    }
    e.a = glyph.left;
    e.b = glyph.width;
    e.c = glyph.advance - glyph.left - glyph.width;
  }
  const int32_t h = raster->Height();
  PackGlyphCells(font, extents, h);

  // Each glyph goes into its cell with the cell's top-left corner at
  // (glyph x - A, glyph y), so that the black box starts at glyph x and the
  // baseline lies [ascent] rows below glyph y. Pixels outside the cell are
  // dropped, so no glyph reaches into a neighbour's cell.
  font.glyph_bitmap.assign(size_t(font.bitmap_width) * size_t(font.bitmap_height), 0);
  const int32_t ascent = raster->Ascent();
  for (int32_t code = font.first; code <= font.last; ++code) {
    const size_t c = size_t(code);
    const platform::RasterGlyph& glyph = glyphs[c];
    for (int32_t row = 0; row < glyph.height; ++row) {
      int32_t cell_row = ascent - glyph.top + row;
      if (cell_row < 0 || cell_row >= h) continue;
      int32_t y = font.glyph_y[c] + cell_row;
      for (int32_t col = 0; col < glyph.width && col < font.cell_width[c]; ++col) {
        int32_t x = font.glyph_x[c] + col;
        if (x >= font.bitmap_width) break;
        font.glyph_bitmap[size_t(y) * size_t(font.bitmap_width) + size_t(x)] =
            glyph.coverage[size_t(row) * size_t(glyph.width) + size_t(col)];
      }
    }
  }
  return true;
}

}  // namespace vendrel::graphics
