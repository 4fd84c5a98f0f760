#include "resources/path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "resources/record_io.h"

namespace vendrel::resources {

namespace {

RComputedPathPoint At(const RPathPoint& point) { return {point.x, point.y, point.speed, 0.0}; }

RComputedPathPoint Mix(const RComputedPathPoint& a, const RComputedPathPoint& b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.speed + b.speed) / 2, 0.0};
}

double SquaredDistance(const RComputedPathPoint& a, const RComputedPathPoint& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// Adds the curve points of the quadratic segment from [s] through the
// control point [b] to [e]; the segment's ends themselves are not added.
void Subdivide(int depth, const RComputedPathPoint& s, const RComputedPathPoint& b,
               const RComputedPathPoint& e, std::vector<RComputedPathPoint>& out) {
  if (depth == 0) return;
  RComputedPathPoint m{(s.x + 2 * b.x + e.x) / 4, (s.y + 2 * b.y + e.y) / 4,
                       (s.speed + 2 * b.speed + e.speed) / 4, 0.0};
  if (SquaredDistance(b, s) > 16) Subdivide(depth - 1, s, Mix(s, b), m, out);
  out.push_back(m);
  if (SquaredDistance(b, e) > 16) Subdivide(depth - 1, m, Mix(b, e), e, out);
}

}  // namespace

void CPath::Recompute() {
  path_points.clear();
  size_t n = points.size();
  if (kind == 1) {
    if (n > 0) {
      // The stored precision is kept as it is, but the subdivision depth
      // never exceeds the editor's maximum: a damaged precision would
      // otherwise ask for 2^precision points per segment.
      int depth = std::clamp(precision, 0, kMaxPrecision);
      if (!closed) path_points.push_back(At(points[0]));
      size_t segments = closed ? n : (n >= 3 ? n - 2 : 0);
      for (size_t s = 0; s < segments; ++s) {
        RComputedPathPoint a = At(points[s % n]);
        RComputedPathPoint b = At(points[(s + 1) % n]);
        RComputedPathPoint c = At(points[(s + 2) % n]);
        Subdivide(depth, Mix(a, b), b, Mix(b, c), path_points);
      }
      if (closed) {
        if (!path_points.empty()) path_points.push_back(path_points.front());
      } else {
        path_points.push_back(At(points[n - 1]));
      }
    }
  } else {
    for (const RPathPoint& point : points) path_points.push_back(At(point));
    if (closed && n > 0) path_points.push_back(At(points[0]));
  }
  total_length = 0.0;
  for (size_t i = 0; i < path_points.size(); ++i) {
    if (i > 0)
      total_length += std::sqrt(SquaredDistance(path_points[i - 1], path_points[i]));
    path_points[i].length = total_length;
  }
}

RPathPoint CPath::ControlPoint(int index) const {
  if (index < 0 || size_t(index) >= points.size()) return {0.0, 0.0, 100.0};
  return points[size_t(index)];
}

void CPath::SetKind(int new_kind) {
  kind = new_kind == 0 || new_kind == 1 ? new_kind : 0;
  Recompute();
}

void CPath::SetClosed(bool new_closed) {
  closed = new_closed;
  Recompute();
}

void CPath::SetPrecision(int new_precision) {
  precision = std::clamp(new_precision, 0, int(kMaxPrecision));
  Recompute();
}

int CPath::AddPoint(double x, double y, double speed) {
  points.push_back({x, y, speed});
  Recompute();
  return int(points.size()) - 1;
}

void CPath::InsertPoint(int index, double x, double y, double speed) {
  if (index < 0 || size_t(index) > points.size()) return;
  points.insert(points.begin() + index, RPathPoint{x, y, speed});
  Recompute();
}

void CPath::ChangePoint(int index, double x, double y, double speed) {
  if (index < 0 || size_t(index) >= points.size()) return;
  points[size_t(index)] = {x, y, speed};
  Recompute();
}

void CPath::DeletePoint(int index) {
  if (index < 0 || size_t(index) >= points.size()) return;
  points.erase(points.begin() + index);
  Recompute();
}

void CPath::ClearPoints() {
  points.clear();
  Recompute();
}

void CPath::Reverse() {
  std::reverse(points.begin(), points.end());
  Recompute();
}

void CPath::Shift(double dx, double dy) {
  for (RPathPoint& point : points) {
    point.x += dx;
    point.y += dy;
  }
  Recompute();
}

namespace {

// The middle of the control points' extent; (0, 0) without points.
void Centre(const std::vector<RPathPoint>& points, double& cx, double& cy) {
  double min_x = 100000000.0, min_y = 100000000.0;
  double max_x = -100000000.0, max_y = -100000000.0;
  for (const RPathPoint& point : points) {
    min_x = std::min(min_x, point.x);
    max_x = std::max(max_x, point.x);
    min_y = std::min(min_y, point.y);
    max_y = std::max(max_y, point.y);
  }
  cx = (min_x + max_x) / 2;
  cy = (min_y + max_y) / 2;
}

}  // namespace

void CPath::Mirror() {
  double cx, cy;
  Centre(points, cx, cy);
  for (RPathPoint& point : points) point.x = 2 * cx - point.x;
  Recompute();
}

void CPath::Flip() {
  double cx, cy;
  Centre(points, cx, cy);
  for (RPathPoint& point : points) point.y = 2 * cy - point.y;
  Recompute();
}

void CPath::Rotate(double degrees) {
  double cx, cy;
  Centre(points, cx, cy);
  const double c = degrees * std::numbers::pi / 180.0;
  const double cosine = std::cos(c), sine = std::sin(c);
  for (RPathPoint& point : points) {
    const double x = point.x - cx, y = point.y - cy;
    point.x = cx + (x * cosine + y * sine);
    point.y = cy + (y * cosine - x * sine);
  }
  Recompute();
}

void CPath::Scale(double x_factor, double y_factor) {
  double cx, cy;
  Centre(points, cx, cy);
  for (RPathPoint& point : points) {
    point.x = cx + (point.x - cx) * x_factor;
    point.y = cy + (point.y - cy) * y_factor;
  }
  Recompute();
}

void CPath::Append(const CPath& other) {
  // A copy first: appending a path to itself must not read points that
  // the insertion moves.
  const std::vector<RPathPoint> added = other.points;
  points.insert(points.end(), added.begin(), added.end());
  Recompute();
}

bool CPath::Read(CStream& stream) {
  *this = CPath();
  if (stream.ReadInteger() != kRecordVersion) return false;
  kind = stream.ReadInteger();
  closed = stream.ReadBoolean();
  precision = stream.ReadInteger();
  int32_t count = ReadCount(stream, 24);
  points.resize(size_t(count));
  for (RPathPoint& point : points) {
    point.x = stream.ReadReal();
    point.y = stream.ReadReal();
    point.speed = stream.ReadReal();
  }
  Recompute();
  return true;
}

void CPath::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteInteger(kind);
  stream.WriteBoolean(closed);
  stream.WriteInteger(precision);
  stream.WriteInteger(int32_t(points.size()));
  for (const RPathPoint& point : points) {
    stream.WriteReal(point.x);
    stream.WriteReal(point.y);
    stream.WriteReal(point.speed);
  }
}

}  // namespace vendrel::resources
