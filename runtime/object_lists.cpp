#include "runtime/object_lists.h"

#include <array>

#include "interpreter/events.h"
#include "resources/game_resources.h"

namespace vendrel::runtime {

namespace {

struct ObjectLists {
  std::array<std::vector<std::vector<int>>, resources::kEventTypeCount> by_event;
  std::vector<std::pair<int, int>> collision_pairs;
};

ObjectLists& Lists() {
  static ObjectLists lists;
  return lists;
}

// The highest event number filled for each event type (-1: none).
constexpr std::array<int, resources::kEventTypeCount> kLastFilledNumber = {
    0,    // create
    0,    // destroy
    12,   // alarm
    2,    // step
    -1,   // collision: the pairs below
    128,  // keyboard
    61,   // mouse
    50,   // other
    0,    // draw
    128,  // key press
    128,  // key release
};

}  // namespace

void RebuildObjectLists() {
  ObjectLists& lists = Lists();
  const auto& objects = resources::Resources().objects;
  const int count = objects.Count();
  for (int type = 0; type < resources::kEventTypeCount; ++type) {
    auto& rows = lists.by_event[size_t(type)];
    rows.assign(kEventNumberSlots, {});
    for (int number = 0; number <= kLastFilledNumber[size_t(type)]; ++number)
      for (int object = 0; object < count; ++object)
        if (interp::FindEvent(object, type, number).event != nullptr)
          rows[size_t(number)].push_back(object);
  }
  lists.collision_pairs.clear();
  for (int a = 0; a < count; ++a) {
    if (!objects.Exists(a)) continue;
    for (int b = 0; b < count; ++b)
      if (interp::FindEvent(a, resources::kEventCollision, b).event != nullptr)
        lists.collision_pairs.emplace_back(a, b);
  }
}

const std::vector<int>& ObjectsWithEvent(int type, int number) {
  static const std::vector<int> kNone;
  const ObjectLists& lists = Lists();
  if (type < 0 || type >= resources::kEventTypeCount) return kNone;
  const auto& rows = lists.by_event[size_t(type)];
  if (number < 0 || number >= int(rows.size())) return kNone;
  return rows[size_t(number)];
}

const std::vector<std::pair<int, int>>& CollisionPairs() { return Lists().collision_pairs; }

}  // namespace vendrel::runtime
