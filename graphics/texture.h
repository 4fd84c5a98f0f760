// The texture table: every image the game draws lives in a texture of the
// device, referred to everywhere (game code included) by its index in this
// table, the texture id; -1 means none.
//
// Textures get sizes the device accepts (powers of two); the image sits in
// the top-left corner, so its texture coordinates run from (0, 0) to
// (image width / texture width, image height / texture height).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics_device.h"
#include "runner/stream.h"

namespace vendrel::graphics {

struct RTexture {
  platform::TextureHandle texture = platform::kNoTexture;
  int32_t image_width = 0;
  int32_t image_height = 0;
  int32_t texture_width = 0;
  int32_t texture_height = 0;
  bool in_use = false;
};

// Creates a texture for an image of [width] by [height]; the id or -1.
// Takes the first free slot, else appends one.
int CreateTexture(int width, int height, bool render_target);
// Fills the texture with an image of its image size, given as 0xAARRGGBB
// rows from the top. Where the texture is larger than the image, one extra
// column and row repeat the image's last column and row, so that linear
// filtering does not pull transparent black in at the right and bottom
// edges.
bool FillTexture(int id, const uint32_t* pixels);
// A texture holding [bitmap]; -1 for an empty bitmap or on failure.
int TextureFromBitmap(const runner::CBitmap32& bitmap);
// A texture whose pixels are white with the given alpha bytes (one per
// pixel, rows from the top); fonts build their glyphs this way.
int TextureFromAlphaMap(int width, int height, const uint8_t* alpha);
void FreeTexture(int id);
bool TextureExists(int id);
// The table entry of a texture in use, or nullptr.
const RTexture* TextureEntry(int id);
// image width / texture width (1 for a texture that does not exist).
double TextureWidthFraction(int id);
double TextureHeightFraction(int id);
// OpenGL keeps textures resident as it sees fit; these only check the id.
bool PreloadTexture(int id);
bool SetTexturePriority(int id, int priority);
// Sets the texture of stage 0; an id that does not exist sets none.
void SetCurrentTexture(int id);
// Frees every texture (device creation and shutdown).
void EmptyTextureTable();
int TextureTableSize();

}  // namespace vendrel::graphics
