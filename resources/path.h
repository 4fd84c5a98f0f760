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

  // Editing. Every operation that changes the path recomputes it.
  // Control point [index]; (0, 0, 100) outside 0..count-1.
  RPathPoint ControlPoint(int index) const;
  // Any kind but 0 and 1 becomes 0.
  void SetKind(int new_kind);
  void SetClosed(bool new_closed);
  // Clamped to 0..8.
  void SetPrecision(int new_precision);
  // Appends a control point and gives its index.
  int AddPoint(double x, double y, double speed);
  // Inserts at [index] (0..count; count appends); nothing outside.
  void InsertPoint(int index, double x, double y, double speed);
  // Nothing for an index outside 0..count-1.
  void ChangePoint(int index, double x, double y, double speed);
  void DeletePoint(int index);
  void ClearPoints();
  void Reverse();
  void Shift(double dx, double dy);
  // Mirror reflects x and Flip reflects y about the centre of the control
  // points' extent; Rotate (degrees) and Scale work about that centre too.
  void Mirror();
  void Flip();
  void Rotate(double degrees);
  void Scale(double x_factor, double y_factor);
  // Adds [other]'s control points after this path's (other may be this).
  void Append(const CPath& other);

  // Reads a path record (values taken without clamping) and computes the
  // path points. False for another version.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
