// A picture of one colour, the starting point of most drawing fixtures.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runner/stream.h"

namespace vendrel::testing {

inline runner::CBitmap32 SolidImage(int width, int height, uint32_t color = 0xFFFFFFFF) {
  runner::CBitmap32 image;
  image.width = width;
  image.height = height;
  image.pixels.assign(size_t(width) * size_t(height), color);
  return image;
}

}  // namespace vendrel::testing
