// Collisions of instances: the bounding-box and precise-mask tests of an
// instance against a point, a rectangle, an ellipse, a line or another
// instance; the searches over the instances an object argument names; the
// collision events with their handling of solid instances; and the outside
// room and intersect boundary events.
#pragma once

#include "runtime/instance.h"

namespace vendrel::runtime {

// The search result when nothing is found.
inline constexpr int kNoone = -4;
inline constexpr int kAllInstances = -3;
inline constexpr int kOwnerSelf = -1;
inline constexpr int kOwnerOther = -2;

// Collision tests of one instance. Each is false for a destroyed instance;
// [prec] asks for the pixel masks of instances that are precise.
bool PointTest(const CInstance& instance, double x, double y, bool prec);
bool RectangleTest(const CInstance& instance, double x1, double y1, double x2, double y2,
                   bool prec);
// The ellipse inscribed in the rectangle (x1, y1)..(x2, y2).
bool EllipseTest(const CInstance& instance, double x1, double y1, double x2, double y2,
                 bool prec);
bool LineTest(const CInstance& instance, double x1, double y1, double x2, double y2, bool prec);
// Whether [a] and [b] overlap; never for an instance with itself. A precise
// instance collides precisely with any other.
bool InstancesOverlap(const CInstance& a, const CInstance& b, bool prec);

// Visits the live instances that object argument [obj] names, in list
// order: -3 the active list, 0..99999 the family list of that object, an
// id the instance itself; anything else none. [visit] returns true to stop;
// the result is the instance it stopped at, or null.
template <class Visit>
CInstance* FindTarget(int obj, Visit visit);

// -1 and -2 replaced by the ids of [self] and [other] (for the functions
// that accept them); other values unchanged.
int ReplaceSelfOther(int obj, const CInstance* self, const CInstance* other);

// The searches: the id of the first instance of [obj] (other than [self]
// when [notme]) that the test finds, or kNoone.
int CollisionPoint(const CInstance* self, double x, double y, int obj, bool prec, bool notme);
int CollisionRectangle(const CInstance* self, double x1, double y1, double x2, double y2,
                       int obj, bool prec, bool notme);
int CollisionEllipse(const CInstance* self, double x1, double y1, double x2, double y2, int obj,
                     bool prec, bool notme);
int CollisionLine(const CInstance* self, double x1, double y1, double x2, double y2, int obj,
                  bool prec, bool notme);
// The first instance of [obj] whose precise point test at (x, y) succeeds.
int InstancePosition(double x, double y, int obj);
// By the distance from (x, y) to the instances' positions; [obj] is -3 or
// an object (an id gives kNoone).
int InstanceNearest(double x, double y, int obj);
int InstanceFurthest(double x, double y, int obj);

// [instance] moved to (x, y) for the duration of [test], then put back.
template <class Test>
auto AtPosition(CInstance& instance, double x, double y, Test test);
// Whether [instance] at its position overlaps a solid instance (or, with
// [solid_only] false, any instance).
bool OverlapsAny(const CInstance& instance, bool solid_only);
// The first instance of [obj] that [instance] overlaps, or null.
CInstance* FirstOverlapping(const CInstance& instance, int obj);

// The collision events of the step, with solid instances moved back.
void HandleCollisions();
// The outside room and intersect boundary events of the step.
void HandleBoundaryEvents();

// Installs the step's path, boundary, collision and point-test entries.
void InstallCollisionHooks();

}  // namespace vendrel::runtime

#include "runtime/collision_inline.h"
