// Pictures loaded from image files for sprites and backgrounds, and their
// conversion into the 32-bit images that resources keep.
//
// The format is found from the file's contents, whatever its name: BMP,
// PNG, JPEG and GIF. Parts of a picture that its format marks transparent
// are laid on the backdrop colour (red 64, green 128, blue 0, the game
// colour 32832) when the background is to be removed, so that the colour
// of the bottom-left pixel takes them away with the rest of the
// background. PNG and BMP pictures with real alpha keep it.
#pragma once

#include <string>
#include <vector>

#include "runner/stream.h"

namespace vendrel::graphics {

// The backdrop of transparent picture parts and GIF animations, as a pixel.
inline constexpr uint32_t kPictureBackdrop = 0xFF408000u;

struct Picture {
  // Pixels as the file gives them; parts the format marks transparent
  // have alpha 0.
  runner::CBitmap32 bitmap;
  // Whether the alpha is the picture's own, kept through the conversion
  // (PNG and BMP files with translucent pixels), rather than a transparent
  // colour (GIF).
  bool own_alpha = false;
};

// Reads the picture in the host file [path]; for a GIF file, its first
// image. False when the file is missing, too large or cannot be decoded.
bool ReadPicture(const std::string& path, Picture& picture);

// The images of the GIF file at [path] composed as an animation, one opaque
// image of the animation's size per image of the file: a canvas filled
// with the backdrop colour takes each image at its place (its transparent
// pixels leave the canvas as it was) and becomes a frame; then the image's
// disposal method is applied (2 restores its area to the backdrop, 3 the
// canvas from before the image; 0 and 1 leave it in place). False when the
// file cannot be read or decoded; [is_gif] tells whether it is a GIF file.
bool ReadGifAnimation(const std::string& path, std::vector<runner::CBitmap32>& frames,
                      bool& is_gif);

// The image a resource keeps of [picture]: pixels without alpha of their
// own are laid on the backdrop colour (when [remove_background]) or on
// black and become opaque. Then, with [remove_background], the colour of
// the bottom-left pixel is removed (when that pixel is visible) and
// colours are bled into transparent pixels; with [smooth] as well, the
// edges next to transparent pixels are softened.
runner::CBitmap32 ConvertPicture(const Picture& picture, bool smooth, bool remove_background);

}  // namespace vendrel::graphics
