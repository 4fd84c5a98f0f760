#include "runtime/motion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "interpreter/random.h"
#include "interpreter/value.h"
#include "resources/game_resources.h"
#include "runtime/collision.h"
#include "runtime/game_state.h"

namespace vendrel::runtime {

namespace {

constexpr double kNoDistance = 1000000.0;
constexpr int kDefaultSteps = 1000;

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

double RoundReal(double value) { return double(interp::RoundHalfEven(value)); }

bool FreeAt(CInstance& instance, double x, double y, bool solid_only) {
  return solid_only ? PlaceFree(instance, x, y) : PlaceEmpty(instance, x, y);
}

bool FreeHere(CInstance& instance, bool solid_only) {
  return !OverlapsAny(instance, solid_only);
}

int StepLimit(double maxdist) {
  if (maxdist <= 0.0) return kDefaultSteps;
  return int(std::clamp<int64_t>(interp::RoundHalfEven(maxdist), 0, INT32_MAX));
}

int RoomWidth() {
  const CRunRoom* room = CurrentRoom();
  return room != nullptr ? room->data.width : 0;
}

int RoomHeight() {
  const CRunRoom* room = CurrentRoom();
  return room != nullptr ? room->data.height : 0;
}

// The number of integers in [start, end); 0 for an empty or broken range.
int64_t RangeLength(double start, double end) {
  const double length = end - start;
  return length > 0.0 && length < 9e15 ? int64_t(length) : 0;
}

}  // namespace

bool PlaceFree(CInstance& instance, double x, double y) {
  return AtPosition(instance, x, y, [&] { return !OverlapsAny(instance, true); });
}

bool PlaceEmpty(CInstance& instance, double x, double y) {
  return AtPosition(instance, x, y, [&] { return !OverlapsAny(instance, false); });
}

int InstancePlace(CInstance& instance, double x, double y, int obj) {
  return AtPosition(instance, x, y, [&] {
    const CInstance* found = FirstOverlapping(instance, obj);
    return found != nullptr ? found->id : kNoone;
  });
}

bool PlaceSnapped(const CInstance& instance, double hsnap, double vsnap) {
  if (hsnap > 0.0 && std::fabs(instance.x - hsnap * RoundReal(instance.x / hsnap)) >= 0.001)
    return false;
  if (vsnap > 0.0 && std::fabs(instance.y - vsnap * RoundReal(instance.y / vsnap)) >= 0.001)
    return false;
  return true;
}

void MoveSnap(CInstance& instance, double hsnap, double vsnap) {
  double x = instance.x, y = instance.y;
  if (hsnap > 0.0) x = hsnap * RoundReal(x / hsnap);
  if (vsnap > 0.0) y = vsnap * RoundReal(y / vsnap);
  instance.SetPosition(x, y);
}

void MoveRandom(CInstance& instance, double hsnap, double vsnap) {
  const int width = RoomWidth(), height = RoomHeight();
  double x_start = 0.0, x_end = width, y_start = 0.0, y_end = height;
  const auto& sprites = resources::Resources().sprites;
  if (sprites.Exists(instance.sprite_index) || sprites.Exists(instance.mask_index)) {
    // The positions at which the box lies inside the room.
    x_start = RoundReal(instance.x - instance.bbox_left);
    x_end = RoundReal(instance.x + width - instance.bbox_right);
    y_start = RoundReal(instance.y - instance.bbox_top);
    y_end = RoundReal(instance.y + height - instance.bbox_bottom);
  }
  const double hgrid = RoundReal(hsnap), vgrid = RoundReal(vsnap);
  for (int attempt = 0; attempt < 100; ++attempt) {
    double x = x_start + double(interp::RandomInteger(RangeLength(x_start, x_end)));
    double y = y_start + double(interp::RandomInteger(RangeLength(y_start, y_end)));
    if (hgrid > 0.0) x = hgrid * std::floor(x / hgrid);
    if (vgrid > 0.0) y = vgrid * std::floor(y / vgrid);
    if (PlaceFree(instance, x, y)) {
      instance.SetPosition(x, y);
      return;
    }
  }
}

void MoveTowardsPoint(CInstance& instance, double x, double y, double speed) {
  instance.SetHSpeed(x - instance.x);
  instance.SetVSpeed(y - instance.y);
  instance.SetSpeed(speed);
}

void MoveContact(CInstance& instance, double direction, double maxdist, bool solid_only) {
  if (!FreeHere(instance, solid_only)) return;
  const double dx = std::cos(Radians(direction)), dy = -std::sin(Radians(direction));
  const int steps = StepLimit(maxdist);
  for (int i = 0; i < steps; ++i) {
    const double x = instance.x + dx, y = instance.y + dy;
    if (!FreeAt(instance, x, y, solid_only)) break;
    instance.SetPosition(x, y);
  }
}

void MoveOutside(CInstance& instance, double direction, double maxdist, bool solid_only) {
  const double dx = std::cos(Radians(direction)), dy = -std::sin(Radians(direction));
  const int steps = StepLimit(maxdist);
  for (int i = 0; i < steps && !FreeHere(instance, solid_only); ++i)
    instance.SetPosition(instance.x + dx, instance.y + dy);
}

void MoveBounce(CInstance& instance, bool advanced, bool solid_only) {
  bool bounced = false;
  if (!FreeHere(instance, solid_only)) {
    instance.SetPosition(instance.xprevious, instance.yprevious);
    bounced = true;
  }
  if (advanced) {
    const double base = 10.0 * RoundReal(instance.direction / 10.0);
    auto free_towards = [&](double angle) {
      return FreeAt(instance, instance.x + std::cos(Radians(angle)) * instance.speed,
                    instance.y - std::sin(Radians(angle)) * instance.speed, solid_only);
    };
    double a1 = base, a2 = base;
    for (int i = 0; i < 35; ++i) {
      a1 -= 10.0;
      if (free_towards(a1)) break;
      bounced = true;
    }
    for (int i = 0; i < 35; ++i) {
      a2 += 10.0;
      if (free_towards(a2)) break;
      bounced = true;
    }
    if (bounced) instance.SetDirection(a1 + a2 + 180.0 - base);
    return;
  }
  const bool h_free = FreeAt(instance, instance.x + instance.hspeed, instance.y, solid_only);
  const bool v_free = FreeAt(instance, instance.x, instance.y + instance.vspeed, solid_only);
  if (!h_free && !v_free) {
    instance.SetHSpeed(-instance.hspeed);
    instance.SetVSpeed(-instance.vspeed);
  } else if (v_free && !h_free) {
    instance.SetHSpeed(-instance.hspeed);
  } else if (h_free && !v_free) {
    instance.SetVSpeed(-instance.vspeed);
  }
}

void MoveWrap(CInstance& instance, bool horizontal, bool vertical, double margin) {
  if (horizontal) {
    const double width = RoomWidth();
    if (instance.x < -margin) instance.SetPosition(instance.x + width + 2 * margin, instance.y);
    if (instance.x > width + margin)
      instance.SetPosition(instance.x - width - 2 * margin, instance.y);
  }
  if (vertical) {
    const double height = RoomHeight();
    if (instance.y < -margin) instance.SetPosition(instance.x, instance.y + height + 2 * margin);
    if (instance.y > height + margin)
      instance.SetPosition(instance.x, instance.y - height - 2 * margin);
  }
}

double DistanceToPoint(const CInstance& instance, double x, double y) {
  double dx = 0.0, dy = 0.0;
  if (x > instance.bbox_right)
    dx = x - instance.bbox_right;
  else if (x < instance.bbox_left)
    dx = x - instance.bbox_left;
  if (y > instance.bbox_bottom)
    dy = y - instance.bbox_bottom;
  else if (y < instance.bbox_top)
    dy = y - instance.bbox_top;
  return std::sqrt(dx * dx + dy * dy);
}

namespace {

double BoxDistance(const CInstance& a, const CInstance& b) {
  double dx = 0.0, dy = 0.0;
  if (a.bbox_right < b.bbox_left)
    dx = double(b.bbox_left) - a.bbox_right;
  else if (a.bbox_left > b.bbox_right)
    dx = double(b.bbox_right) - a.bbox_left;
  if (a.bbox_bottom < b.bbox_top)
    dy = double(b.bbox_top) - a.bbox_bottom;
  else if (a.bbox_top > b.bbox_bottom)
    dy = double(b.bbox_bottom) - a.bbox_top;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

double DistanceToObject(const CInstance& instance, const CInstance* other, int obj) {
  if (obj == kOwnerOther) obj = other != nullptr ? other->id : kNoone;
  double best = kNoDistance;
  FindTarget(obj, [&](const CInstance& candidate) {
    if (&candidate != &instance) best = std::min(best, BoxDistance(instance, candidate));
    return false;
  });
  return best;
}

}  // namespace vendrel::runtime
