// Pixel tests of collision masks: a sprite frame placed in the room (at an
// integer position, scaled and rotated about its origin) against another
// placed frame, a point, a rectangle, an ellipse or a line segment. The
// callers have already found the bounding boxes to overlap; these tests
// scan only the overlap and stop at the first solid pixel.
#pragma once

#include "resources/sprite.h"

namespace vendrel::runtime {

// A sprite frame as an instance places it for collision tests.
struct MaskPlacement {
  const resources::CSprite* sprite = nullptr;
  // The frame (image index rounded down); taken modulo the frame count.
  int frame = 0;
  // The instance's position rounded to integers.
  int x = 0, y = 0;
  double xscale = 1.0, yscale = 1.0;
  double angle = 0.0;  // degrees, counter-clockwise
  // The instance's bounding box in room pixels, inclusive.
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Whether some room pixel inside both boxes is solid in both frames.
bool MasksOverlap(const MaskPlacement& a, const MaskPlacement& b);
// Whether room pixel ([px], [py]) is solid (always true without masks).
bool MaskHitsPoint(const MaskPlacement& mask, int px, int py);
// Whether a solid pixel lies in the rectangle [left]..[right] by
// [top]..[bottom] (inclusive, left <= right, top <= bottom).
bool MaskHitsRectangle(const MaskPlacement& mask, int left, int top, int right, int bottom);
// The same for the ellipse inscribed in that rectangle; the rectangle's
// corners must differ in both x and y.
bool MaskHitsEllipse(const MaskPlacement& mask, int left, int top, int right, int bottom);
// Whether the segment from ([x1], [y1]) to ([x2], [y2]), sampled once per
// pixel along its longer axis, meets a solid pixel.
bool MaskHitsLine(const MaskPlacement& mask, int x1, int y1, int x2, int y2);

}  // namespace vendrel::runtime
