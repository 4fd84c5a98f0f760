// CPath: a route of control points, followed straight or smoothed into a
// curve, open or closed, with the computed path points and their running
// lengths.
#pragma once

#include <cstdint>
#include <vector>

#include "runner/stream.h"

namespace vendrel::resources {

struct RPathPoint {
  double x = 0.0;
  double y = 0.0;
  // Speed factor in percent (100 = normal).
  double speed = 100.0;
};

struct RComputedPathPoint {
  double x = 0.0;
  double y = 0.0;
  double speed = 100.0;
  // Distance along the path from the first path point.
  double length = 0.0;
};

class CPath {
 public:
  static constexpr int32_t kRecordVersion = 530;
  // Subdivision depth of smooth curves.
  static constexpr int32_t kMaxPrecision = 8;

  // 0 straight lines, 1 smooth curve.
  int32_t kind = 0;
  bool closed = true;
  int32_t precision = 4;
  std::vector<RPathPoint> points;
  // Computed from the above by Recompute.
  std::vector<RComputedPathPoint> path_points;
  double total_length = 0.0;

  // Recomputes the path points and lengths from the control points.
  void Recompute();

  // Reads a path record (values taken without clamping) and computes the
  // path points. False for another version.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
