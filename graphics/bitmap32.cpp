#include "graphics/bitmap32.h"

#include <algorithm>
#include <cmath>

#include "graphics/color.h"

namespace vendrel::graphics {

namespace {

bool Usable(const runner::CBitmap32& bitmap) {
  return !bitmap.Empty() &&
         bitmap.pixels.size() >= size_t(bitmap.width) * size_t(bitmap.height);
}

uint32_t& At(runner::CBitmap32& bitmap, int x, int y) {
  return bitmap.pixels[size_t(y) * size_t(bitmap.width) + size_t(x)];
}

uint32_t At(const runner::CBitmap32& bitmap, int x, int y) {
  return bitmap.pixels[size_t(y) * size_t(bitmap.width) + size_t(x)];
}

// The opaque pixel of a game colour (red in the low byte).
uint32_t OpaquePixel(int64_t color) {
  uint32_t c = uint32_t(color);
  return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

runner::CBitmap32 Blank(int width, int height, uint32_t pixel) {
  runner::CBitmap32 bitmap;
  bitmap.width = std::max(width, 1);
  bitmap.height = std::max(height, 1);
  bitmap.pixels.assign(size_t(bitmap.width) * size_t(bitmap.height), pixel);
  return bitmap;
}

// Fills the pixels x0 <= x < x1, y0 <= y < y1 that lie in the bitmap.
void FillRect(runner::CBitmap32& bitmap, int x0, int y0, int x1, int y1, uint32_t pixel) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, bitmap.width);
  y1 = std::min(y1, bitmap.height);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) At(bitmap, x, y) = pixel;
  }
}

// Fills the ellipse inscribed in the box x0 <= x < x1, y0 <= y < y1: the
// pixels whose centres lie inside it.
void FillEllipse(runner::CBitmap32& bitmap, int x0, int y0, int x1, int y1, uint32_t pixel) {
  double rx = (x1 - x0) / 2.0, ry = (y1 - y0) / 2.0;
  if (rx <= 0 || ry <= 0) return;
  double cx = x0 + rx, cy = y0 + ry;
  for (int y = std::max(y0, 0); y < std::min(y1, bitmap.height); ++y) {
    for (int x = std::max(x0, 0); x < std::min(x1, bitmap.width); ++x) {
      double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) At(bitmap, x, y) = pixel;
    }
  }
}

// merge(t) of the gradient, opaque; a zero divisor counts as t = 0.
uint32_t Mix(int64_t color1, int64_t color2, double numerator, double denominator) {
  double t = denominator == 0 ? 0.0 : numerator / denominator;
  return OpaquePixel(MergeColor(color1, color2, t));
}

}  // namespace

runner::CBitmap32 SubBitmap(const runner::CBitmap32& source, int width, int height, int left,
                            int top) {
  runner::CBitmap32 part;
  if (!Usable(source) || width <= 0 || height <= 0 || left < 0 || top < 0 ||
      left + width > source.width || top + height > source.height) {
    return part;
  }
  part.width = width;
  part.height = height;
  part.pixels.reserve(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = &source.pixels[size_t(top + y) * size_t(source.width) + size_t(left)];
    part.pixels.insert(part.pixels.end(), row, row + width);
  }
  return part;
}

runner::CBitmap32 FilledBitmap(int width, int height, int64_t color) {
  return Blank(width, height, OpaquePixel(color));
}

runner::CBitmap32 GradientBitmap(int width, int height, int64_t color1, int64_t color2,
                                 int kind) {
  runner::CBitmap32 bitmap = Blank(width, height, 0xFF000000);
  int w = bitmap.width, h = bitmap.height;
  switch (kind) {
    case 0:
      for (int i = 0; i < w; ++i) FillRect(bitmap, i, 0, i + 1, h, Mix(color1, color2, i, w));
      break;
    case 1:
      for (int i = 0; i < h; ++i) FillRect(bitmap, 0, i, w, i + 1, Mix(color1, color2, i, h));
      break;
    case 2:
    case 3: {
      int n = std::min(w, h) / 2;
      if (kind == 3) FillRect(bitmap, 0, 0, w, h, OpaquePixel(color1));
      for (int g = 0; g <= n; ++g) {
        uint32_t pixel = Mix(color1, color2, g, n);
        if (kind == 2) {
          FillRect(bitmap, g, g, w - g, h - g, pixel);
        } else {
          FillEllipse(bitmap, g, g, w - g, h - g, pixel);
        }
      }
      break;
    }
    case 4:
      for (int i = 0; i <= w / 2; ++i) {
        uint32_t pixel = Mix(color1, color2, i, w / 2);
        FillRect(bitmap, i, 0, i + 1, h, pixel);
        FillRect(bitmap, w - i, 0, w - i + 1, h, pixel);
      }
      break;
    case 5:
      for (int i = 0; i <= h / 2; ++i) {
        uint32_t pixel = Mix(color1, color2, i, h / 2);
        FillRect(bitmap, 0, i, w, i + 1, pixel);
        FillRect(bitmap, 0, h - i, w, h - i + 1, pixel);
      }
      break;
    default:
      break;
  }
  return bitmap;
}

runner::CBitmap32 BitmapFromPixels(int width, int height, const uint32_t* pixels,
                                   bool has_alpha, bool smooth, bool remove_background) {
  runner::CBitmap32 bitmap;
  if (width <= 0 || height <= 0 || pixels == nullptr) return bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.assign(pixels, pixels + size_t(width) * size_t(height));
  if (!has_alpha) {
    for (uint32_t& pixel : bitmap.pixels) pixel |= 0xFF000000u;
  }
  if (remove_background) {
    RemoveBackground(bitmap);
    if (smooth) SmoothEdges(bitmap);
  }
  return bitmap;
}

void RemoveBackground(runner::CBitmap32& bitmap) {
  if (!Usable(bitmap)) return;
  uint32_t key = At(bitmap, 0, bitmap.height - 1) & 0x00FFFFFF;
  for (uint32_t& pixel : bitmap.pixels) {
    if ((pixel & 0x00FFFFFF) == key) pixel &= 0x00FFFFFF;
  }
  BleedColor(bitmap);
}

void BleedColor(runner::CBitmap32& bitmap) {
  if (!Usable(bitmap)) return;
  const int dx[4] = {-1, 1, 0, 0}, dy[4] = {0, 0, -1, 1};
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      uint32_t& pixel = At(bitmap, x, y);
      if ((pixel >> 24) != 0) continue;
      for (int k = 0; k < 4; ++k) {
        int nx = x + dx[k], ny = y + dy[k];
        if (nx < 0 || ny < 0 || nx >= bitmap.width || ny >= bitmap.height) continue;
        uint32_t neighbour = At(bitmap, nx, ny);
        if ((neighbour >> 24) != 0) {
          pixel = neighbour & 0x00FFFFFF;
          break;
        }
      }
    }
  }
}

void SmoothEdges(runner::CBitmap32& bitmap) {
  if (!Usable(bitmap)) return;
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      if ((At(bitmap, x, y) >> 24) != 0) continue;
      for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, bitmap.height - 1); ++ny) {
        for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, bitmap.width - 1); ++nx) {
          uint32_t& neighbour = At(bitmap, nx, ny);
          if (neighbour > 0x1FFFFFFFu) neighbour -= 0x20000000u;
        }
      }
    }
  }
}

void AlphaFromBitmap(runner::CBitmap32& bitmap, const runner::CBitmap32& other) {
  if (!Usable(bitmap) || !Usable(other)) return;
  int w = std::min(bitmap.width, other.width), h = std::min(bitmap.height, other.height);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t source = At(other, x, y);
      uint32_t mean = (((source >> 16) & 0xFF) + ((source >> 8) & 0xFF) + (source & 0xFF)) / 3;
      uint32_t& pixel = At(bitmap, x, y);
      uint32_t alpha = std::min(pixel >> 24, mean);
      pixel = (pixel & 0x00FFFFFF) | (alpha << 24);
    }
  }
}

void ResizeBitmap(runner::CBitmap32& bitmap, int width, int height) {
  if (!Usable(bitmap)) return;
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == bitmap.width && height == bitmap.height) return;
  runner::CBitmap32 resized;
  resized.width = width;
  resized.height = height;
  resized.pixels.resize(size_t(width) * size_t(height));
  for (int i = 0; i < height; ++i) {
    int source_y = int(int64_t(i) * bitmap.height / height);
    for (int j = 0; j < width; ++j) {
      int source_x = int(int64_t(j) * bitmap.width / width);
      At(resized, j, i) = At(bitmap, source_x, source_y);
    }
  }
  bitmap = std::move(resized);
}

BitmapBox VisibleBox(const runner::CBitmap32& bitmap) {
  BitmapBox box;
  if (!Usable(bitmap)) return box;
  box = {bitmap.width - 1, bitmap.height - 1, 0, 0};
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      if ((At(bitmap, x, y) >> 24) == 0) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

}  // namespace vendrel::graphics
