// Following paths: the position on a path at a fraction of its length, and
// how an instance starts a path and advances along it each step, with the
// four end actions (stop, restart, continue from here, reverse).
#pragma once

#include "resources/path.h"

namespace vendrel::runtime {

class CInstance;

// path_endaction values; any other value acts as kPathEndStop.
inline constexpr int kPathEndStop = 0;
inline constexpr int kPathEndRestart = 1;
inline constexpr int kPathEndContinue = 2;
inline constexpr int kPathEndReverse = 3;

// The point (x, y, speed factor) at fraction [t] of [path]'s total length:
// (0, 0, 100) without path points, the first point for a path of length 0;
// t is clamped to 0..1 (NaN reads as 0).
resources::RComputedPathPoint PathPosition(const resources::CPath& path, double t);

// Starts [path] for [instance]: -1 (or any negative index) ends the path
// the instance follows; a path that does not exist or has no length ends it
// too. [relative] maps the path's first point onto the instance's position;
// otherwise the instance jumps onto the path's own coordinates.
void StartPath(CInstance& instance, int path, bool relative, int endaction, double orientation,
               double scale, double speed);
// Advances [instance] along its path by path_speed pixels (scaled by the
// path's speed factor), applies the end action when an end is passed, and
// moves the instance there, leaving hspeed and vspeed at 0 with direction
// set to the direction of travel. True when an end was reached.
bool StepPath(CInstance& instance);

}  // namespace vendrel::runtime
