// Sprites, backgrounds and surfaces on the screen: the textures that
// sprites and backgrounds draw with, and the drawing wrappers that give the
// textured quads (graphics/draw.h) their texture and origin.
//
// Sprite frames wrap: frame f of a sprite with n frames draws frame
// f mod n (negative remainders count up from n). A sprite without frames
// draws nothing. Resources that do not exist are reported as run-time
// errors ("Trying to draw non-existing sprite." and the like) and draw
// nothing. Angles are degrees here.
#pragma once

#include <cstdint>

namespace vendrel::resources {
class CSprite;
class CBackground;
}  // namespace vendrel::resources

namespace vendrel::graphics {

// Frees the resource's old textures and makes new ones from its images
// (one per sprite frame); preloads them when the resource asks for it.
void BuildSpriteTextures(resources::CSprite& sprite);
void BuildBackgroundTexture(resources::CBackground& background);
void FreeSpriteTextures(resources::CSprite& sprite);
void FreeBackgroundTexture(resources::CBackground& background);
// The textures of every background, then every sprite (start-up).
void BuildResourceTextures();

// The texture of frame [frame] of a sprite (wrapped), or -1 when the sprite
// does not exist or has no frames.
int SpriteFrameTexture(int sprite, int64_t frame);

// What the drawing wrappers draw from.
enum class ImageSource { Sprite, Background, Surface };

// The draw_sprite / draw_background / draw_surface families. [frame] is
// used for sprites only.
void DrawImage(ImageSource source, int id, int64_t frame, double x, double y);
void DrawImageExt(ImageSource source, int id, int64_t frame, double x, double y,
                  double x_scale, double y_scale, double angle, int64_t color, double alpha);
void DrawImageStretched(ImageSource source, int id, int64_t frame, double x, double y,
                        double width, double height, int64_t color, double alpha);
void DrawImagePart(ImageSource source, int id, int64_t frame, double left, double top,
                   double width, double height, double x, double y, double x_scale,
                   double y_scale, int64_t color, double alpha);
void DrawImageGeneral(ImageSource source, int id, int64_t frame, double left, double top,
                      double width, double height, double x, double y, double x_scale,
                      double y_scale, double angle, int64_t c1, int64_t c2, int64_t c3,
                      int64_t c4, double alpha);
// Tiled in both directions over (0, 0, room width, room height).
void DrawImageTiled(ImageSource source, int id, int64_t frame, double x, double y,
                    double x_scale, double y_scale, int64_t color, double alpha);

// draw_path: the path as a line strip in the drawing colour, through the
// points at every 4 pixels or so of its length; at its own coordinates when
// [absolute], else moved so that it starts at (x, y). Uses (and leaves
// behind) the user-primitive buffer.
void DrawPath(int path, double x, double y, bool absolute);

}  // namespace vendrel::graphics
