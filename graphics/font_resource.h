// The operations of font resources: making them from system fonts and
// sprites, their glyph textures, their metrics, and the font table's
// run-time additions, replacements and deletions.
//
// A font's glyph texture is one alpha texture of its coverage bitmap. A
// sprite font has neither: its characters are the frames of its sprite.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "resources/font.h"
#include "resources/sprite.h"

namespace vendrel::graphics {

// Back to a cleared font, its texture freed.
void ClearFont(resources::CFont& font);
// Frees the old texture; a font with a name that is not a sprite font gets
// an alpha texture of its glyph bitmap (none when the bitmap is empty or
// there is no device).
void MakeFontTexture(resources::CFont& font);

// A font rendered from the system font [name] (see RenderSystemFont), with
// its texture.
void CreateFontFromSystem(resources::CFont& font, const std::string& name, int32_t size,
                          bool bold, bool italic, int32_t first, int32_t last);
// A font whose characters are the frames of [sprite] (index
// [sprite_index]): frame f is character first + f. With [proportional] the
// advance of a character is its frame's visible width plus [separation],
// else the sprite width plus [separation]. A null sprite leaves the font
// cleared.
void CreateFontFromSprite(resources::CFont& font, const resources::CSprite* sprite,
                          int32_t sprite_index, int32_t first, bool proportional,
                          int32_t separation);

// The part of each character's cell that carries ink (coverage above 0),
// relative to the cell's top-left corner; an empty box (width 0) for a
// character without ink. Only the glyph bitmap is looked at; a font
// without a glyph texture (a sprite font among them) has no ink boxes.
struct GlyphInk {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};
// Computed once per glyph texture and kept until the texture is freed.
const std::array<GlyphInk, 256>& FontGlyphInk(const resources::CFont& font);

// Metrics. The codes a font holds are first..last within 0..255.
bool FontHolds(const resources::CFont& font, int code);
// The advance of [code]; a code the font does not hold moves the pen as far
// as the space does, or as the first character when the space is missing
// too.
int32_t FontAdvance(const resources::CFont& font, uint8_t code);
// The sum of the advances of the bytes of [text].
int64_t FontTextWidth(const resources::CFont& font, std::string_view text);
// The cell height of the first character: the height of a line of text.
int32_t FontLineHeight(const resources::CFont& font);

// The font table (resources::Resources().fonts). New fonts are named
// "__newfont" followed by their index.
int AddFontFromSystem(const std::string& name, int32_t size, bool bold, bool italic,
                      int32_t first, int32_t last);
// The sprite is looked up in the sprite table; -1 when it does not exist.
int AddFontFromSprite(int32_t sprite, int32_t first, bool proportional, int32_t separation);
// False only for an index outside the table; an empty slot is filled. The
// slot keeps its name.
bool ReplaceFontFromSystem(int index, const std::string& name, int32_t size, bool bold,
                           bool italic, int32_t first, int32_t last);
bool ReplaceFontFromSprite(int index, int32_t sprite, int32_t first, bool proportional,
                           int32_t separation);
// Frees the font and its texture; the slot stays, empty.
void DeleteFont(int index);
// Makes the texture of every font of the table (start-up, after the
// device exists).
void MakeFontTextures();

}  // namespace vendrel::graphics
