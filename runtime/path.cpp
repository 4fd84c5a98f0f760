#include "runtime/path.h"

#include <cmath>
#include <numbers>

#include "resources/game_resources.h"
#include "runtime/instance.h"

namespace vendrel::runtime {

using resources::CPath;
using resources::RComputedPathPoint;

RComputedPathPoint PathPosition(const CPath& path, double t) {
  const std::vector<RComputedPathPoint>& points = path.path_points;
  if (points.empty()) return {0.0, 0.0, 100.0, 0.0};
  if (points.size() == 1 || path.total_length == 0.0) return points.front();
  // NaN fails both comparisons of a plain clamp; it reads as the start.
  if (!(t > 0.0)) return points.front();
  if (t >= 1.0) return points.back();
  const double length = t * path.total_length;
  size_t i = 0;
  while (i + 2 < points.size() && length >= points[i + 1].length) ++i;
  const RComputedPathPoint& a = points[i];
  const RComputedPathPoint& b = points[i + 1];
  if (b.length == a.length) return a;
  const double share = (length - a.length) / (b.length - a.length);
  return {a.x + (b.x - a.x) * share, a.y + (b.y - a.y) * share,
          a.speed + (b.speed - a.speed) * share, length};
}

namespace {

// The path [instance] follows when it can be followed: it exists and has
// a length above 0.
const CPath* FollowedPath(const CInstance& instance) {
  if (instance.path_index < 0) return nullptr;
  const CPath* path = resources::Resources().paths.Get(instance.path_index);
  if (path == nullptr || !(path->total_length > 0.0)) return nullptr;
  return path;
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

}  // namespace

void StartPath(CInstance& instance, int path_index, bool relative, int endaction,
               double orientation, double scale, double speed) {
  instance.path_index = path_index;
  if (path_index < 0) return;
  const CPath* path = resources::Resources().paths.Get(path_index);
  if (path == nullptr || !(path->total_length > 0.0)) {
    instance.path_index = -1;
    return;
  }
  instance.path_speed = speed;
  instance.path_position = speed >= 0.0 ? 0.0 : 1.0;
  instance.path_positionprevious = instance.path_position;
  instance.path_scale = scale;
  if (scale < 0.0) {
    instance.path_index = -1;
    return;
  }
  instance.path_orientation = orientation;
  instance.path_endaction = endaction;
  if (!relative) {
    const RComputedPathPoint at = PathPosition(*path, instance.path_position);
    instance.SetPosition(at.x, at.y);
  }
  if (relative) {
    instance.path_xorigin = instance.x;
    instance.path_yorigin = instance.y;
  } else {
    const RComputedPathPoint first = PathPosition(*path, 0.0);
    instance.path_xorigin = first.x;
    instance.path_yorigin = first.y;
  }
}

bool StepPath(CInstance& instance) {
  const CPath* path = FollowedPath(instance);
  if (path == nullptr || instance.path_speed == 0.0) return false;
  const double o = Radians(instance.path_orientation);
  const double c = std::cos(o), s = std::sin(o);
  const double factor = PathPosition(*path, instance.path_position).speed;
  const double scale = instance.path_scale;
  double& position = instance.path_position;
  position += instance.path_speed * (factor / (100.0 * scale)) / path->total_length;

  const bool ended = !(position > 0.0 && position < 1.0);
  if (ended) {
    int action = instance.path_endaction;
    // An advance that is no finite number (a path scale of 0, say) would
    // keep the position off the path for good: the path stops at the end
    // it was heading for.
    if (!std::isfinite(position)) {
      action = kPathEndStop;
      position = instance.path_speed >= 0.0 ? 1.0 : 0.0;
    }
    // The end that was passed: a position of exactly 0 is the start, so a
    // path run backwards that lands on 0 wraps, continues or turns there
    // rather than at the far end.
    const bool at_far_end = position > 0.0;
    switch (action) {
      case kPathEndRestart:
        position += at_far_end ? -1.0 : 1.0;
        break;
      case kPathEndContinue: {
        const RComputedPathPoint end = PathPosition(*path, 1.0);
        const RComputedPathPoint start = PathPosition(*path, 0.0);
        const double dx = end.x - start.x, dy = end.y - start.y;
        const double ox = (c * dx + s * dy) * scale;
        const double oy = (c * dy - s * dx) * scale;
        if (at_far_end) {
          instance.path_xorigin += ox;
          instance.path_yorigin += oy;
          position -= 1.0;
        } else {
          instance.path_xorigin -= ox;
          instance.path_yorigin -= oy;
          position += 1.0;
        }
        break;
      }
      case kPathEndReverse:
        if (at_far_end) {
          position = 2.0 - position;
          instance.path_speed = -std::fabs(instance.path_speed);
        } else {
          position = -position;
          instance.path_speed = std::fabs(instance.path_speed);
        }
        break;
      default:
        position = at_far_end ? 1.0 : 0.0;
        instance.path_index = -1;
        break;
    }
  }

  const RComputedPathPoint at = PathPosition(*path, position);
  const RComputedPathPoint first = PathPosition(*path, 0.0);
  const double px = at.x - first.x, py = at.y - first.y;
  const double nx = (c * px + s * py) * scale + instance.path_xorigin;
  const double ny = (c * py - s * px) * scale + instance.path_yorigin;
  instance.SetHSpeed(nx - instance.x);
  instance.SetVSpeed(ny - instance.y);
  instance.SetSpeed(0.0);
  instance.SetPosition(nx, ny);
  return ended;
}

}  // namespace vendrel::runtime
