#include "runtime/collision_masks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace vendrel::runtime {

namespace {

// How room pixels are carried into frame pixels.
enum class Mapping {
  kDirect,   // plain integer offsets: no scale, no rotation
  kScaled,   // divided by the scales
  kRotated,  // turned back by the angle, then divided by the scales
};

// Carries room points into the frame of one placed mask and reads its
// solid pixels.
class FrameMapper {
 public:
  FrameMapper(const MaskPlacement& mask, Mapping mapping) : mask_(mask), mapping_(mapping) {
    const double theta = -mask.angle * std::numbers::pi / 180.0;
    cos_ = std::cos(theta);
    sin_ = std::sin(theta);
  }

  // Whether room point ([px], [py]) falls inside the frame on a pixel that
  // is solid (every pixel is solid without masks).
  bool Solid(double px, double py) const {
    const resources::CSprite& sprite = *mask_.sprite;
    const double dx = px - mask_.x, dy = py - mask_.y;
    double ix, iy;
    switch (mapping_) {
      case Mapping::kDirect:
        ix = dx + sprite.x_origin;
        iy = dy + sprite.y_origin;
        break;
      case Mapping::kScaled:
        ix = std::floor(dx / mask_.xscale + sprite.x_origin);
        iy = std::floor(dy / mask_.yscale + sprite.y_origin);
        break;
      default:
        ix = std::floor((dx * cos_ + dy * sin_) / mask_.xscale + sprite.x_origin);
        iy = std::floor((dy * cos_ - dx * sin_) / mask_.yscale + sprite.y_origin);
        break;
    }
    // Written so that NaN (a scale of 0) counts as outside.
    if (!(ix >= 0.0 && ix < double(sprite.width) && iy >= 0.0 && iy < double(sprite.height)))
      return false;
    return !sprite.HasMasks() || sprite.MaskAt(mask_.frame, int(ix), int(iy));
  }

 private:
  const MaskPlacement& mask_;
  Mapping mapping_;
  double cos_ = 1.0, sin_ = 0.0;
};

bool HasFrames(const MaskPlacement& mask) {
  return mask.sprite != nullptr && mask.sprite->FrameCount() > 0;
}

bool Unscaled(const MaskPlacement& mask) {
  return mask.xscale == 1.0 && mask.yscale == 1.0 && mask.angle == 0.0;
}

// Scans the pixels of the box [left]..[right] by [top]..[bottom] column by
// column, top to bottom; true at the first one that [hit] accepts.
template <class Hit>
bool ScanBox(int left, int top, int right, int bottom, Hit hit) {
  // 64-bit counters: a box may end at the largest int.
  for (int64_t px = left; px <= right; ++px)
    for (int64_t py = top; py <= bottom; ++py)
      if (hit(double(px), double(py))) return true;
  return false;
}

}  // namespace

bool MasksOverlap(const MaskPlacement& a, const MaskPlacement& b) {
  if (!HasFrames(a) || !HasFrames(b)) return false;
  const int left = std::max(a.left, b.left), right = std::min(a.right, b.right);
  const int top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
  if (left > right || top > bottom) return false;
  Mapping mapping = Mapping::kScaled;
  if (Unscaled(a) && Unscaled(b))
    mapping = Mapping::kDirect;
  else if (a.angle != 0.0 || b.angle != 0.0)
    mapping = Mapping::kRotated;
  const FrameMapper in_a(a, mapping), in_b(b, mapping);
  return ScanBox(left, top, right, bottom,
                 [&](double px, double py) { return in_a.Solid(px, py) && in_b.Solid(px, py); });
}

bool MaskHitsPoint(const MaskPlacement& mask, int px, int py) {
  if (mask.sprite == nullptr) return false;
  if (!mask.sprite->HasMasks()) return true;
  if (!HasFrames(mask)) return false;
  const FrameMapper frame(mask, mask.angle != 0.0 ? Mapping::kRotated : Mapping::kScaled);
  return frame.Solid(px, py);
}

namespace {

// The rectangle and ellipse tests: the pixels of the instance's box within
// the rectangle that [wanted] admits.
template <class Wanted>
bool ScanRectangle(const MaskPlacement& mask, int left, int top, int right, int bottom,
                   Wanted wanted) {
  if (mask.sprite == nullptr) return false;
  if (!mask.sprite->HasMasks()) return true;
  if (!HasFrames(mask)) return false;
  const FrameMapper frame(mask, Unscaled(mask) ? Mapping::kDirect : Mapping::kRotated);
  return ScanBox(std::max(mask.left, left), std::max(mask.top, top),
                 std::min(mask.right, right), std::min(mask.bottom, bottom),
                 [&](double px, double py) { return wanted(px, py) && frame.Solid(px, py); });
}

}  // namespace

bool MaskHitsRectangle(const MaskPlacement& mask, int left, int top, int right, int bottom) {
  return ScanRectangle(mask, left, top, right, bottom, [](double, double) { return true; });
}

bool MaskHitsEllipse(const MaskPlacement& mask, int left, int top, int right, int bottom) {
  const double cx = (left + right) / 2.0, rx = (right - left) / 2.0;
  const double cy = (top + bottom) / 2.0, ry = (bottom - top) / 2.0;
  return ScanRectangle(mask, left, top, right, bottom, [&](double px, double py) {
    const double u = (px - cx) / rx, v = (py - cy) / ry;
    return u * u + v * v <= 1.0;
  });
}

bool MaskHitsLine(const MaskPlacement& mask, int x1, int y1, int x2, int y2) {
  if (mask.sprite == nullptr) return false;
  if (!mask.sprite->HasMasks()) return true;
  if (!HasFrames(mask)) return false;
  if (x1 == x2 || y1 == y2)
    return MaskHitsRectangle(mask, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2),
                             std::max(y1, y2));
  const FrameMapper frame(mask, Mapping::kRotated);
  if (std::abs(int64_t(x1) - x2) < std::abs(int64_t(y1) - y2)) {
    // Steep: one sample per pixel row.
    if (y2 < y1) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const double slope = double(int64_t(x2) - x1) / double(int64_t(y2) - y1);
    const int64_t last = std::min(mask.bottom, y2);
    for (int64_t py = std::max(mask.top, y1); py <= last; ++py)
      if (frame.Solid(double(py - y1) * slope + x1, double(py))) return true;
  } else {
    if (x2 < x1) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const double slope = double(int64_t(y2) - y1) / double(int64_t(x2) - x1);
    const int64_t last = std::min(mask.right, x2);
    for (int64_t px = std::max(mask.left, x1); px <= last; ++px)
      if (frame.Solid(double(px), double(px - x1) * slope + y1)) return true;
  }
  return false;
}

}  // namespace vendrel::runtime
