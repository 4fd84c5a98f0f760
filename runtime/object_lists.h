// Per-event object lists: for every event type and number, the objects
// (ascending) that have or inherit the event, so that an event is
// dispatched only to objects that react to it; and the collision pairs.
// Built at game start and rebuilt when game code changes an object's parent
// or events.
#pragma once

#include <utility>
#include <vector>

namespace vendrel::runtime {

// Event numbers are indexed 0..255; only these ranges are filled:
// create, destroy and draw 0; alarm 0..12; step 0..2; keyboard, key press
// and key release 0..128; mouse 0..61; other 0..50; collision none.
inline constexpr int kEventNumberSlots = 256;

void RebuildObjectLists();
// The objects that have the event (type, number); empty for anything
// outside the filled ranges.
const std::vector<int>& ObjectsWithEvent(int type, int number);
// (object a, object b) pairs, a ascending and within a, b ascending, for
// which a has or inherits a collision event with b.
const std::vector<std::pair<int, int>>& CollisionPairs();

}  // namespace vendrel::runtime
