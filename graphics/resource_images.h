// Sprites and backgrounds made and changed while the game runs: loaded from
// image files, taken from the screen or a surface, filled with a colour or
// a gradient, given frames, merged, copied and deleted.
//
// Every change that touches images remakes what depends on them in this
// order: the textures (so the resource draws), then, for sprites, the
// bounding box and the collision masks. A resource's textures are its own:
// copies get textures of their own, and deleting a resource frees its
// textures.
//
// File names are the game's (Windows names, relative to the working
// directory; platform/paths.h). Sprites load every image of a file whose
// name ends in ".gif" (in any case) as frames; any other picture is cut
// into a strip of equally wide frames. See graphics/picture_file.h for the
// formats and the treatment of transparent parts.
#pragma once

#include <string>

#include "resources/background.h"
#include "resources/sprite.h"
#include "runner/stream.h"

namespace vendrel::graphics {

// Sprites ---------------------------------------------------------------------

// Replaces the frames of [sprite] with those of the file [game_path]: for a
// GIF animation every image (the count is ignored); otherwise the picture
// is cut into [frame_count] frames (1 when 0 or less, at most one per
// pixel column) of width picture width div count, left to right. The box
// becomes automatic and the other values are taken as given. False, with
// the sprite unchanged, when the file is missing or cannot be decoded.
bool LoadSpriteFromFile(resources::CSprite& sprite, const std::string& game_path,
                        int frame_count, int x_origin, int y_origin, bool preload, bool smooth,
                        bool transparent, bool precise);
// One frame made from [bitmap]: with [alpha] its pixels keep their alpha,
// otherwise they become opaque; then the background is removed and the
// edges smoothed as asked. An empty bitmap leaves the sprite without
// frames.
void CreateSpriteFromBitmap(resources::CSprite& sprite, const runner::CBitmap32& bitmap,
                            bool precise, bool alpha, int x_origin, int y_origin, bool preload,
                            bool smooth, bool transparent);
// Appends a frame converted as above (with the sprite's own smooth and
// transparent flags) and resized to the sprite's size by nearest pixels; a
// sprite without frames takes the bitmap's size. An empty bitmap adds
// nothing.
void AddSpriteFrame(resources::CSprite& sprite, const runner::CBitmap32& bitmap, bool alpha);
// Appends copies of [other]'s frames, each resized to [sprite]'s size (a
// sprite without frames takes [other]'s size). A sprite may merge itself.
void MergeSprite(resources::CSprite& sprite, const resources::CSprite& other);
// Frame i's alpha becomes at most the mean of red, green and blue of
// [other]'s frame i mod its frame count, where both have pixels. Only the
// textures are remade: box and masks stay as they were.
void SetSpriteAlphaFrom(resources::CSprite& sprite, const resources::CSprite& other);
// [sprite] becomes a copy of [other], with textures of its own.
void AssignSprite(resources::CSprite& sprite, const resources::CSprite& other);

// The sprite table. New sprites are named "__newsprite" and their index.
// Adds a sprite loaded from a file; its index, or -1 (nothing added) when
// the file cannot be loaded.
int AddSprite(const std::string& game_path, int frame_count, bool precise, bool transparent,
              bool smooth, bool preload, int x_origin, int y_origin);
// Loads sprite [index] anew (an empty slot gets a sprite). False for an
// index outside the table or a file that cannot be loaded (the slot is
// then unchanged).
bool ReplaceSprite(int index, const std::string& game_path, int frame_count, bool precise,
                   bool transparent, bool smooth, bool preload, int x_origin, int y_origin);
// Frees the sprite and its textures; the slot stays, empty. False when the
// sprite does not exist.
bool DeleteSprite(int index);
// Appends a copy; its index, or -1 when the sprite does not exist.
int DuplicateSprite(int index);
// Sprite [index] (inside the table; an empty slot gets a sprite) becomes a
// copy of [source]; its name stays. False when the source does not exist
// or the index is outside the table.
bool AssignSpriteFrom(int index, int source);
// Appends an empty sprite; its index.
int AddEmptySprite();
// Instances keep their bounding boxes in room coordinates; after a
// sprite's frames, origin or box changed, those of the running room
// (active and deactivated) are computed again from their sprites.
void RefreshInstanceBoxes();

// Backgrounds -----------------------------------------------------------------

// Loads the picture of [game_path] (for a GIF file its first image).
// False, with the background unchanged, when the file is missing or cannot
// be decoded.
bool LoadBackgroundFromFile(resources::CBackground& background, const std::string& game_path,
                            bool transparent, bool smooth, bool preload);
// The image made from [bitmap] as for sprites; an empty bitmap leaves the
// background without an image.
void CreateBackgroundFromBitmap(resources::CBackground& background,
                                const runner::CBitmap32& bitmap, bool transparent, bool alpha,
                                bool preload, bool smooth);
// An opaque image of [color] (each side at least 1 pixel; the background
// records the sizes as given). Sizes beyond what an image may hold leave
// the background without an image.
void CreateBackgroundColor(resources::CBackground& background, int width, int height,
                           bool preload, int64_t color);
// A gradient from [color1] to [color2] of [kind] (graphics/bitmap32.h).
void CreateBackgroundGradient(resources::CBackground& background, int width, int height,
                              bool preload, int kind, int64_t color1, int64_t color2);
// Alpha becomes at most the mean of red, green and blue of [other]'s pixel
// at the same place, over the common area; the texture is remade.
void SetBackgroundAlphaFrom(resources::CBackground& background,
                            const resources::CBackground& other);
// [background] becomes a copy of [other], with a texture of its own.
void AssignBackground(resources::CBackground& background, const resources::CBackground& other);

// The background table. New backgrounds are named "__newbackground" and
// their index. The table operations behave as those of sprites.
int AddBackground(const std::string& game_path, bool transparent, bool smooth, bool preload);
bool ReplaceBackground(int index, const std::string& game_path, bool transparent, bool smooth,
                       bool preload);
bool DeleteBackground(int index);
int DuplicateBackground(int index);
bool AssignBackgroundFrom(int index, int source);
int AddEmptyBackground();

}  // namespace vendrel::graphics
