#include "graphics/font_resource.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>

#include "graphics/font_system.h"
#include "graphics/texture.h"
#include "resources/game_resources.h"

namespace vendrel::graphics {

namespace {

constexpr const char* kNewFontPrefix = "__newfont";

// The table entry of the first character, kept within 0..255 (stored fonts
// may carry any range).
size_t FirstEntry(const resources::CFont& font) {
  return size_t(std::clamp<int32_t>(font.first, 0, 255));
}

struct Box {
  int32_t left, top, right, bottom;
};

// The smallest rectangle (inclusive) around the pixels of [frame] whose
// alpha is not 0; false when the frame shows nothing.
bool VisibleBox(const runner::CBitmap32& frame, Box& box) {
  box = {frame.width - 1, frame.height - 1, 0, 0};
  bool any = false;
  for (int32_t y = 0; y < frame.height; ++y) {
    for (int32_t x = 0; x < frame.width; ++x) {
      if ((frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)] >> 24) == 0) continue;
      any = true;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return any;
}

// The ink boxes of the fonts' glyph textures, by texture id, with the
// bitmap they were computed from.
struct InkEntry {
  const uint8_t* bitmap = nullptr;
  int32_t width = 0, height = 0;
  std::array<GlyphInk, 256> ink{};
};

std::unordered_map<int, InkEntry>& InkCache() {
  static std::unordered_map<int, InkEntry> cache;
  return cache;
}

void FreeFontTexture(resources::CFont& font) {
  if (font.texture < 0) return;
  InkCache().erase(font.texture);
  FreeTexture(font.texture);
  font.texture = -1;
}

void ComputeInk(const resources::CFont& font, std::array<GlyphInk, 256>& ink) {
  ink.fill(GlyphInk());
  if (font.sprite >= 0 || font.bitmap_width <= 0 || font.bitmap_height <= 0 ||
      font.glyph_bitmap.size() < size_t(font.bitmap_width) * size_t(font.bitmap_height))
    return;
  for (int code = std::max(0, font.first); code <= std::min(255, font.last); ++code) {
    const size_t c = size_t(code);
    // The cell, cut to the bitmap.
    int32_t x0 = std::max(0, font.glyph_x[c]), y0 = std::max(0, font.glyph_y[c]);
    int32_t x1 = std::min(font.bitmap_width, font.glyph_x[c] + font.cell_width[c]);
    int32_t y1 = std::min(font.bitmap_height, font.glyph_y[c] + font.cell_height[c]);
    int32_t left = x1, right = x0 - 1, top = y1, bottom = y0 - 1;
    for (int32_t y = y0; y < y1; ++y) {
      const uint8_t* row = font.glyph_bitmap.data() + size_t(y) * size_t(font.bitmap_width);
      for (int32_t x = x0; x < x1; ++x) {
        if (row[x] == 0) continue;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    if (right < left) continue;
    ink[c] = {left - font.glyph_x[c], top - font.glyph_y[c], right - left + 1, bottom - top + 1};
  }
}

std::unique_ptr<resources::CFont> NewSystemFont(const std::string& name, int32_t size,
                                                bool bold, bool italic, int32_t first,
                                                int32_t last) {
  auto font = std::make_unique<resources::CFont>();
  CreateFontFromSystem(*font, name, size, bold, italic, first, last);
  return font;
}

std::unique_ptr<resources::CFont> NewSpriteFont(int32_t sprite, int32_t first,
                                                bool proportional, int32_t separation) {
  auto font = std::make_unique<resources::CFont>();
  CreateFontFromSprite(*font, resources::Resources().sprites.Get(sprite), sprite, first,
                       proportional, separation);
  return font;
}

int AddFont(std::unique_ptr<resources::CFont> font) {
  auto& table = resources::Resources().fonts;
  int index = table.Count();
  return table.Add(std::move(font), kNewFontPrefix + std::to_string(index));
}

bool ReplaceFont(int index, std::unique_ptr<resources::CFont> font) {
  auto& table = resources::Resources().fonts;
  if (index < 0 || index >= table.Count()) return false;
  std::string name = table.Exists(index) ? table.Name(index)
                                         : kNewFontPrefix + std::to_string(index);
  if (resources::CFont* old = table.Get(index)) ClearFont(*old);
  table.Set(index, std::move(font), std::move(name));
  return true;
}

}  // namespace

void ClearFont(resources::CFont& font) {
  FreeFontTexture(font);
  font = resources::CFont();
}

void MakeFontTexture(resources::CFont& font) {
  FreeFontTexture(font);
  if (font.sprite >= 0 || font.font_name.empty()) return;
  if (font.bitmap_width <= 0 || font.bitmap_height <= 0 ||
      font.glyph_bitmap.size() < size_t(font.bitmap_width) * size_t(font.bitmap_height))
    return;
  font.texture = TextureFromAlphaMap(font.bitmap_width, font.bitmap_height,
                                     font.glyph_bitmap.data());
  // The id may have served another font before the texture table was
  // emptied: its ink boxes are computed afresh.
  if (font.texture >= 0) InkCache().erase(font.texture);
}

void CreateFontFromSystem(resources::CFont& font, const std::string& name, int32_t size,
                          bool bold, bool italic, int32_t first, int32_t last) {
  ClearFont(font);
  RenderSystemFont(font, name, size, bold, italic, first, last);
  MakeFontTexture(font);
}

void CreateFontFromSprite(resources::CFont& font, const resources::CSprite* sprite,
                          int32_t sprite_index, int32_t first, bool proportional,
                          int32_t separation) {
  ClearFont(font);
  if (sprite == nullptr) return;
  font.sprite = sprite_index;
  font.first = std::clamp<int32_t>(first, 0, 255);
  font.last = std::min<int32_t>(255, font.first + sprite->FrameCount() - 1);
  for (int32_t code = font.first; code <= font.last; ++code) {
    const size_t c = size_t(code);
    const runner::CBitmap32& frame = sprite->frames[size_t(code - font.first)];
    Box box{0, 0, sprite->width, sprite->height};
    // A frame that shows nothing (a space) keeps the full width: its
    // visible box would be inverted and move the pen backwards.
    if (proportional && !VisibleBox(frame, box)) box = {0, 0, sprite->width, sprite->height};
    font.cell_width[c] = sprite->width;
    font.cell_height[c] = sprite->height;
    font.advance[c] = box.right + separation - box.left;
    font.offset[c] = -box.left;
  }
}

const std::array<GlyphInk, 256>& FontGlyphInk(const resources::CFont& font) {
  static const std::array<GlyphInk, 256> kNoInk{};
  if (font.texture < 0) return kNoInk;
  InkEntry& entry = InkCache()[font.texture];
  if (entry.bitmap != font.glyph_bitmap.data() || entry.width != font.bitmap_width ||
      entry.height != font.bitmap_height) {
    ComputeInk(font, entry.ink);
    entry.bitmap = font.glyph_bitmap.data();
    entry.width = font.bitmap_width;
    entry.height = font.bitmap_height;
  }
  return entry.ink;
}

bool FontHolds(const resources::CFont& font, int code) {
  return code >= font.first && code <= font.last && code >= 0 && code <= 255;
}

int32_t FontAdvance(const resources::CFont& font, uint8_t code) {
  if (FontHolds(font, code)) return font.advance[code];
  if (FontHolds(font, ' ')) return font.advance[size_t(' ')];
  return font.advance[FirstEntry(font)];
}

int64_t FontTextWidth(const resources::CFont& font, std::string_view text) {
  int64_t width = 0;
  for (char ch : text) width += FontAdvance(font, uint8_t(ch));
  return width;
}

int32_t FontLineHeight(const resources::CFont& font) {
  return font.cell_height[FirstEntry(font)];
}

int AddFontFromSystem(const std::string& name, int32_t size, bool bold, bool italic,
                      int32_t first, int32_t last) {
  return AddFont(NewSystemFont(name, size, bold, italic, first, last));
}

int AddFontFromSprite(int32_t sprite, int32_t first, bool proportional, int32_t separation) {
  if (!resources::Resources().sprites.Exists(sprite)) return -1;
  return AddFont(NewSpriteFont(sprite, first, proportional, separation));
}

bool ReplaceFontFromSystem(int index, const std::string& name, int32_t size, bool bold,
                           bool italic, int32_t first, int32_t last) {
  auto& table = resources::Resources().fonts;
  if (index < 0 || index >= table.Count()) return false;
  return ReplaceFont(index, NewSystemFont(name, size, bold, italic, first, last));
}

bool ReplaceFontFromSprite(int index, int32_t sprite, int32_t first, bool proportional,
                           int32_t separation) {
  auto& table = resources::Resources().fonts;
  if (index < 0 || index >= table.Count()) return false;
  return ReplaceFont(index, NewSpriteFont(sprite, first, proportional, separation));
}

void DeleteFont(int index) {
  auto& table = resources::Resources().fonts;
  if (resources::CFont* font = table.Get(index)) ClearFont(*font);
  table.Remove(index);
}

void MakeFontTextures() {
  auto& table = resources::Resources().fonts;
  for (int i = 0; i < table.Count(); ++i)
    if (resources::CFont* font = table.Get(i)) MakeFontTexture(*font);
}

}  // namespace vendrel::graphics
