#include "runtime/collision.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "interpreter/events.h"
#include "interpreter/value.h"
#include "resources/event.h"
#include "resources/game_resources.h"
#include "runtime/collision_masks.h"
#include "runtime/hooks.h"
#include "runtime/object_lists.h"
#include "runtime/path.h"

namespace vendrel::runtime {

namespace {

constexpr int kOtherOutsideRoom = 0;
constexpr int kOtherIntersectBoundary = 1;

int Round(double value) {
  return int(std::clamp<int64_t>(interp::RoundHalfEven(value), INT32_MIN, INT32_MAX));
}

int FloorToInt(double value) {
  if (std::isnan(value)) return 0;
  return int(std::clamp(std::floor(value), double(INT32_MIN), double(INT32_MAX)));
}

// The sprite that serves as [instance]'s mask, when it exists and has
// images.
const resources::CSprite* MaskSprite(const CInstance& instance) {
  const int index = instance.mask_index >= 0 ? instance.mask_index : instance.sprite_index;
  const resources::CSprite* sprite = resources::Resources().sprites.Get(index);
  return sprite != nullptr && sprite->FrameCount() > 0 ? sprite : nullptr;
}

MaskPlacement Placement(const CInstance& instance, const resources::CSprite* sprite) {
  MaskPlacement mask;
  mask.sprite = sprite;
  mask.frame = FloorToInt(instance.image_index);
  mask.x = Round(instance.x);
  mask.y = Round(instance.y);
  mask.xscale = instance.image_xscale;
  mask.yscale = instance.image_yscale;
  mask.angle = instance.image_angle;
  mask.left = instance.bbox_left;
  mask.top = instance.bbox_top;
  mask.right = instance.bbox_right;
  mask.bottom = instance.bbox_bottom;
  return mask;
}

// A rectangle's extent rounded to integers, corners ordered.
struct RoundedBox {
  int left, top, right, bottom;
};

RoundedBox Rounded(double x1, double y1, double x2, double y2) {
  return {Round(std::min(x1, x2)), Round(std::min(y1, y2)), Round(std::max(x1, x2)),
          Round(std::max(y1, y2))};
}

bool BoxMeets(const CInstance& instance, const RoundedBox& box) {
  return instance.bbox_right >= box.left && instance.bbox_left <= box.right &&
         instance.bbox_bottom >= box.top && instance.bbox_top <= box.bottom;
}

}  // namespace

bool PointTest(const CInstance& instance, double x, double y, bool prec) {
  if (instance.destroyed) return false;
  const int px = Round(x), py = Round(y);
  if (px < instance.bbox_left || px > instance.bbox_right || py < instance.bbox_top ||
      py > instance.bbox_bottom)
    return false;
  if (!prec || !instance.precise) return true;
  const resources::CSprite* sprite = MaskSprite(instance);
  return sprite != nullptr && MaskHitsPoint(Placement(instance, sprite), px, py);
}

bool RectangleTest(const CInstance& instance, double x1, double y1, double x2, double y2,
                   bool prec) {
  if (instance.destroyed) return false;
  const RoundedBox box = Rounded(x1, y1, x2, y2);
  if (!BoxMeets(instance, box)) return false;
  if (!prec || !instance.precise) return true;
  const resources::CSprite* sprite = MaskSprite(instance);
  return sprite != nullptr &&
         MaskHitsRectangle(Placement(instance, sprite), box.left, box.top, box.right, box.bottom);
}

bool EllipseTest(const CInstance& instance, double x1, double y1, double x2, double y2,
                 bool prec) {
  if (instance.destroyed) return false;
  const RoundedBox box = Rounded(x1, y1, x2, y2);
  if (!BoxMeets(instance, box)) return false;
  // A flat ellipse is its rectangle.
  if (Round(x1) == Round(x2) || Round(y1) == Round(y2))
    return RectangleTest(instance, x1, y1, x2, y2, prec);
  const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
  const bool spans_centre = (instance.bbox_left <= cx && cx <= instance.bbox_right) ||
                            (instance.bbox_top <= cy && cy <= instance.bbox_bottom);
  if (!spans_centre) {
    const double ex = (box.left + box.right) / 2.0, rx = (box.right - box.left) / 2.0;
    const double ey = (box.top + box.bottom) / 2.0, ry = (box.bottom - box.top) / 2.0;
    auto inside = [&](double px, double py) {
      const double u = (px - ex) / rx, v = (py - ey) / ry;
      return u * u + v * v <= 1.0;
    };
    if (!inside(instance.bbox_left, instance.bbox_top) &&
        !inside(instance.bbox_left, instance.bbox_bottom) &&
        !inside(instance.bbox_right, instance.bbox_top) &&
        !inside(instance.bbox_right, instance.bbox_bottom))
      return false;
  }
  if (!prec || !instance.precise) return true;
  const resources::CSprite* sprite = MaskSprite(instance);
  return sprite != nullptr &&
         MaskHitsEllipse(Placement(instance, sprite), box.left, box.top, box.right, box.bottom);
}

bool LineTest(const CInstance& instance, double x1, double y1, double x2, double y2, bool prec) {
  if (instance.destroyed) return false;
  if (!BoxMeets(instance, Rounded(x1, y1, x2, y2))) return false;
  if (x2 < x1) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  // Clip the segment to the box's columns; a vertical segment stays.
  const double left = instance.bbox_left, right = instance.bbox_right;
  if (x1 < x2 && left > x1) {
    y1 += (left - x1) * (y2 - y1) / (x2 - x1);
    x1 = left;
  }
  if (x1 < x2 && x2 > right) {
    y2 += (right - x2) * (y2 - y1) / (x2 - x1);
    x2 = right;
  }
  if ((y1 < instance.bbox_top && y2 < instance.bbox_top) ||
      (y1 > instance.bbox_bottom && y2 > instance.bbox_bottom))
    return false;
  if (!prec || !instance.precise) return true;
  const resources::CSprite* sprite = MaskSprite(instance);
  return sprite != nullptr &&
         MaskHitsLine(Placement(instance, sprite), Round(x1), Round(y1), Round(x2), Round(y2));
}

bool InstancesOverlap(const CInstance& a, const CInstance& b, bool prec) {
  if (a.bbox_right < b.bbox_left || a.bbox_left > b.bbox_right || a.bbox_bottom < b.bbox_top ||
      a.bbox_top > b.bbox_bottom)
    return false;
  if (&a == &b || a.destroyed || b.destroyed) return false;
  if (!prec || (!a.precise && !b.precise)) return true;
  const resources::CSprite* sprite_a = MaskSprite(a);
  const resources::CSprite* sprite_b = MaskSprite(b);
  if (sprite_a == nullptr || sprite_b == nullptr) return false;
  return MasksOverlap(Placement(a, sprite_a), Placement(b, sprite_b));
}

int ReplaceSelfOther(int obj, const CInstance* self, const CInstance* other) {
  if (obj == kOwnerSelf) return self != nullptr ? self->id : kNoone;
  if (obj == kOwnerOther) return other != nullptr ? other->id : kNoone;
  return obj;
}

// Searches ---------------------------------------------------------------------

namespace {

template <class Test>
int Search(const CInstance* self, int obj, bool notme, Test test) {
  const CInstance* found = FindTarget(obj, [&](const CInstance& candidate) {
    return !(notme && &candidate == self) && test(candidate);
  });
  return found != nullptr ? found->id : kNoone;
}

}  // namespace

int CollisionPoint(const CInstance* self, double x, double y, int obj, bool prec, bool notme) {
  return Search(self, obj, notme,
                [&](const CInstance& candidate) { return PointTest(candidate, x, y, prec); });
}

int CollisionRectangle(const CInstance* self, double x1, double y1, double x2, double y2,
                       int obj, bool prec, bool notme) {
  return Search(self, obj, notme, [&](const CInstance& candidate) {
    return RectangleTest(candidate, x1, y1, x2, y2, prec);
  });
}

int CollisionEllipse(const CInstance* self, double x1, double y1, double x2, double y2, int obj,
                     bool prec, bool notme) {
  return Search(self, obj, notme, [&](const CInstance& candidate) {
    return EllipseTest(candidate, x1, y1, x2, y2, prec);
  });
}

int CollisionLine(const CInstance* self, double x1, double y1, double x2, double y2, int obj,
                  bool prec, bool notme) {
  return Search(self, obj, notme, [&](const CInstance& candidate) {
    return LineTest(candidate, x1, y1, x2, y2, prec);
  });
}

int InstancePosition(double x, double y, int obj) {
  return Search(nullptr, obj, false,
                [&](const CInstance& candidate) { return PointTest(candidate, x, y, true); });
}

namespace {

// The instance of [obj] whose squared distance from (x, y) [better] prefers
// over the best so far, starting from [start]; ties keep the earlier one.
template <class Better>
int ByDistance(double x, double y, int obj, double start, Better better) {
  if (obj != kAllInstances && (obj < 0 || obj >= kFirstInstanceId)) return kNoone;
  double best = start;
  int found = kNoone;
  FindTarget(obj, [&](const CInstance& candidate) {
    const double dx = candidate.x - x, dy = candidate.y - y;
    const double distance = dx * dx + dy * dy;
    if (better(distance, best)) {
      best = distance;
      found = candidate.id;
    }
    return false;
  });
  return found;
}

}  // namespace

int InstanceNearest(double x, double y, int obj) {
  return ByDistance(x, y, obj, 1e10, [](double d, double best) { return d < best; });
}

int InstanceFurthest(double x, double y, int obj) {
  return ByDistance(x, y, obj, -1.0, [](double d, double best) { return d > best; });
}

bool OverlapsAny(const CInstance& instance, bool solid_only) {
  return FindTarget(kAllInstances, [&](const CInstance& candidate) {
           return (!solid_only || candidate.solid) &&
                  InstancesOverlap(instance, candidate, true);
         }) != nullptr;
}

CInstance* FirstOverlapping(const CInstance& instance, int obj) {
  return FindTarget(obj, [&](const CInstance& candidate) {
    return InstancesOverlap(instance, candidate, true);
  });
}

// Events -----------------------------------------------------------------------

namespace {

void MoveBack(CInstance& instance) {
  instance.SetPosition(instance.xprevious, instance.yprevious);
  instance.path_position = instance.path_positionprevious;
}

}  // namespace

void HandleCollisions() {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  const std::vector<std::pair<int, int>>& pairs = CollisionPairs();
  for (size_t p = 0; p < pairs.size(); ++p) {
    const int a = pairs[p].first, b = pairs[p].second;
    // The lists are read afresh at each position: events may create
    // instances (appended) or change the activation (shortened).
    for (int i = 0; i < room->ObjectCount(a); ++i) {
      CInstance* first = room->ObjectAt(a, i);
      if (first->destroyed) continue;
      for (int j = 0; j < room->ObjectCount(b); ++j) {
        CInstance* second = room->ObjectAt(b, j);
        if (!InstancesOverlap(*first, *second, true)) continue;
        const bool solid = first->solid || second->solid;
        if (solid) {
          MoveBack(*first);
          MoveBack(*second);
        }
        interp::PerformEvent(first, second, resources::kEventCollision, second->object_index);
        interp::PerformEvent(second, first, resources::kEventCollision, first->object_index);
        if (solid) {
          StepPath(*first);
          StepPath(*second);
          first->SetPosition(first->x + first->hspeed, first->y + first->vspeed);
          second->SetPosition(second->x + second->hspeed, second->y + second->vspeed);
          if (InstancesOverlap(*first, *second, true)) {
            MoveBack(*first);
            MoveBack(*second);
          }
        }
      }
    }
  }
}

void HandleBoundaryEvents() {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  // The lists and the room's size are read afresh for each instance: an
  // event may change them.
  auto dispatch = [room](int number, auto condition) {
    for (size_t k = 0; k < ObjectsWithEvent(resources::kEventOther, number).size(); ++k) {
      const int object = ObjectsWithEvent(resources::kEventOther, number)[k];
      for (int j = 0; j < room->ObjectCount(object); ++j) {
        CInstance* instance = room->ObjectAt(object, j);
        if (instance->destroyed) continue;
        if (condition(*instance, room->data.width, room->data.height))
          interp::PerformEvent(instance, instance, resources::kEventOther, number);
      }
    }
  };
  dispatch(kOtherOutsideRoom, [](const CInstance& i, int width, int height) {
    return i.bbox_right < 0 || i.bbox_left > width || i.bbox_bottom < 0 || i.bbox_top > height;
  });
  dispatch(kOtherIntersectBoundary, [](const CInstance& i, int width, int height) {
    return !(i.bbox_left >= 0 && i.bbox_right <= width && i.bbox_top >= 0 &&
             i.bbox_bottom <= height);
  });
}

void InstallCollisionHooks() {
  RuntimeHooks& hooks = Hooks();
  hooks.step_path = [](CInstance* instance) { return StepPath(*instance); };
  hooks.boundary_events = HandleBoundaryEvents;
  hooks.collision_events = HandleCollisions;
  hooks.point_test = [](CInstance* instance, double x, double y) {
    return PointTest(*instance, x, y, true);
  };
}

}  // namespace vendrel::runtime
