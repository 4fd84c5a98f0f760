// Pixel conversions between stored images and PNG files, and the BMP
// files the loading-screen settings hold.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/png.h"
#include "runner/stream.h"

namespace vendrel::vpack {

// PNG pixels (R, G, B, A bytes) to a stored image (0xAARRGGBB words).
runner::CBitmap32 BitmapFromRgba(const platform::PngPixels& pixels);
platform::PngPixels RgbaFromBitmap(const runner::CBitmap32& bitmap);
// A 24-bit BMP file of the pixels' colours (a loading screen has no alpha).
std::vector<uint8_t> BmpFromRgba(const platform::PngPixels& pixels);

}  // namespace vendrel::vpack
