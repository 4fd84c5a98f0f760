// Motion and placement of an instance: tests of a position against solid
// or all instances, moving to contact or out of other instances, bouncing,
// snapping, random placement, wrapping around the room, and distances.
#pragma once

#include "runtime/instance.h"

namespace vendrel::runtime {

// Whether [instance] placed at (x, y) overlaps no solid instance
// (PlaceFree) or no instance at all (PlaceEmpty); precise masks count.
bool PlaceFree(CInstance& instance, double x, double y);
bool PlaceEmpty(CInstance& instance, double x, double y);
// The id of the first instance of [obj] that [instance] placed at (x, y)
// overlaps, or noone (-4).
int InstancePlace(CInstance& instance, double x, double y, int obj);

// Whether the position lies on the grid of [hsnap] by [vsnap] (a size of 0
// or less leaves that axis free).
bool PlaceSnapped(const CInstance& instance, double hsnap, double vsnap);
void MoveSnap(CInstance& instance, double hsnap, double vsnap);
// Up to 100 tries of a random free position (on the grid when snapping)
// at which the instance's box lies in the room.
void MoveRandom(CInstance& instance, double hsnap, double vsnap);
void MoveTowardsPoint(CInstance& instance, double x, double y, double speed);

// Moves pixel by pixel in [direction] until the next pixel is not free, at
// most round(maxdist) pixels (1000 when maxdist <= 0); nothing when the
// instance is not free where it is. [solid_only]: free of solid instances,
// otherwise of all.
void MoveContact(CInstance& instance, double direction, double maxdist, bool solid_only);
// Moves pixel by pixel in [direction] while the instance is not free.
void MoveOutside(CInstance& instance, double direction, double maxdist, bool solid_only);
// Bounces off solid (or all) instances: back to the previous position when
// it is not free, then reflects the motion (by trying directions 10
// degrees apart when [advanced], else by the free axis).
void MoveBounce(CInstance& instance, bool advanced, bool solid_only);
// Wraps the position around the room when it leaves it by more than
// [margin] pixels.
void MoveWrap(CInstance& instance, bool horizontal, bool vertical, double margin);

// Distance from the instance's box to (x, y); 0 inside it.
double DistanceToPoint(const CInstance& instance, double x, double y);
// The smallest box-to-box distance to the instances of [obj] (-2 the other
// instance); 1000000 when there is none.
double DistanceToObject(const CInstance& instance, const CInstance* other, int obj);

}  // namespace vendrel::runtime
