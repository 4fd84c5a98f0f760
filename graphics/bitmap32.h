// Treatments of 32-bit images (runner::CBitmap32, pixels 0xAARRGGBB rows
// from the top) before they become textures: construction forms,
// background removal with colour bleeding, edge smoothing, alpha from
// another image, resizing and the bounding box of the visible pixels.
// Every operation on an empty bitmap does nothing.
#pragma once

#include <cstdint>

#include "runner/stream.h"

namespace vendrel::graphics {

// The rectangle of [source]; empty unless the source holds all of it.
runner::CBitmap32 SubBitmap(const runner::CBitmap32& source, int width, int height, int left,
                            int top);
// Every pixel the game colour [color], opaque; sizes raised to at least 1.
runner::CBitmap32 FilledBitmap(int width, int height, int64_t color);
// A gradient from [color1] to [color2], opaque: kind 0 left to right, 1 top
// to bottom, 2 rectangles to the centre, 3 ellipses to the centre, 4 from
// both sides to the middle column, 5 from top and bottom to the middle row.
// Other kinds leave the image black.
runner::CBitmap32 GradientBitmap(int width, int height, int64_t color1, int64_t color2,
                                 int kind);
// An image made from pixels that may carry alpha ([has_alpha]) or not (then
// every pixel becomes opaque), with the background removed and the edges
// smoothed as asked (smoothing only together with background removal).
runner::CBitmap32 BitmapFromPixels(int width, int height, const uint32_t* pixels,
                                   bool has_alpha, bool smooth, bool remove_background);

// Makes every pixel of the bottom-left pixel's colour transparent (colour
// bits kept), then bleeds colour into the transparent pixels.
void RemoveBackground(runner::CBitmap32& bitmap);
// Gives each transparent pixel the colour of its first visible neighbour
// (left, right, above, below), keeping it transparent.
void BleedColor(runner::CBitmap32& bitmap);
// Every transparent pixel takes 32 of alpha from each pixel around it
// that still has 32 or more.
void SmoothEdges(runner::CBitmap32& bitmap);
// Over the common area, alpha becomes the smaller of itself and the mean of
// [other]'s red, green and blue at the same place.
void AlphaFromBitmap(runner::CBitmap32& bitmap, const runner::CBitmap32& other);
// Nearest-neighbour resize to [width] by [height] (both at least 1).
void ResizeBitmap(runner::CBitmap32& bitmap, int width, int height);

struct BitmapBox {
  int left = 0, top = 0, right = 0, bottom = 0;  // inclusive
};
// The smallest box holding every pixel with alpha; (width - 1, height - 1,
// 0, 0) when there is none, (0, 0, 0, 0) for an empty bitmap.
BitmapBox VisibleBox(const runner::CBitmap32& bitmap);

}  // namespace vendrel::graphics
