// Changes that game code makes to the game's resources while it runs:
// new, copied and deleted resources, code added to objects' events and to
// time-line moments, parents, and the instances and tiles of room
// resources. The running room is not touched: a room resource is the
// template of the next visit.
//
// Action lists that are running when game code changes them keep running
// as they were: a change to a running list, and every later change to the
// same object or time line, takes effect once the running events finish,
// and deleted objects and time lines stay in memory until then.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "resources/resource_table.h"
#include "resources/room.h"

namespace vendrel::runtime {

// Name prefixes of resources made while the game runs.
inline constexpr std::string_view kNewPathPrefix = "__newpath";
inline constexpr std::string_view kNewTimeLinePrefix = "__newtimeline";
inline constexpr std::string_view kNewObjectPrefix = "__newobject";
inline constexpr std::string_view kNewRoomPrefix = "__newroom";

// Appends a resource with its defaults, named prefix + its index; the new
// index.
template <class T>
int AddEmptyResource(resources::ResourceTable<T>& table, std::string_view prefix) {
  const int index = table.Count();
  return table.Add(std::make_unique<T>(), std::string(prefix) + std::to_string(index));
}

// Appends a copy of resource [index], named prefix + its new index; -1
// when [index] does not exist.
template <class T>
int DuplicateResource(resources::ResourceTable<T>& table, int index, std::string_view prefix) {
  const T* source = table.Get(index);
  if (source == nullptr) return -1;
  auto copy = std::make_unique<T>(*source);
  const int new_index = table.Count();
  return table.Add(std::move(copy), std::string(prefix) + std::to_string(new_index));
}

// Makes resource [index] a copy of [source], keeping its name (an empty
// slot gets a resource). False when [source] does not exist or [index] is
// outside the table.
template <class T>
bool AssignResource(resources::ResourceTable<T>& table, int index, int source) {
  const T* from = table.Get(source);
  if (from == nullptr || index < 0 || index >= table.Count()) return false;
  if (index == source) return true;
  if (T* to = table.Get(index)) {
    *to = *from;
  } else {
    // A deleted resource's slot has no name; it keeps none.
    table.Set(index, std::make_unique<T>(*from), std::string());
  }
  return true;
}

// Objects ----------------------------------------------------------------------
// Appends a code action running [code] for self to event (type, number) of
// [object], making the event when missing, and prepares it at once. False,
// with nothing added, when the object does not exist, the type is outside
// 0..10, the number is negative or the code does not compile (the compile
// error is shown as for any action). The per-event object lists are
// rebuilt.
bool AddObjectEventCode(int object, int type, int number, const std::string& code);
// Removes every action of event (type, number) of [object] when it has
// that event; the per-event object lists are rebuilt.
void ClearObjectEvent(int object, int type, int number);
// Sets [object]'s parent (any index; -1 for none) and rebuilds the
// per-event object lists and the rooms' family lists.
void SetObjectParent(int object, int parent);
// Deletes [object]; false when it does not exist. Its instances stay and
// have no events any more.
bool DeleteObject(int object);

// Time lines ---------------------------------------------------------------------
// Appends a code action running [code] to the moment at [step] of
// [time_line], making the moment when missing, and prepares it at once.
// False when the time line does not exist or the code does not compile.
bool AddMomentCode(int time_line, int step, const std::string& code);
// Removes the moment at [step] of [time_line] when there is one.
void ClearMoment(int time_line, int step);
// Deletes [time_line]; false when it does not exist. Instances that run
// it run nothing any more.
bool DeleteTimeLine(int time_line);

// Rooms ------------------------------------------------------------------------
// Places an instance of [object] at (x, y) in room resource [room] with the
// next instance id; the id, or -1 when the room does not exist.
int AddRoomInstance(int room, int object, int x, int y);
void ClearRoomInstances(int room);
// Adds a copy of [tile] to room resource [room] with the next tile id; the
// id, or -1 when the room does not exist.
int AddRoomTile(int room, const resources::RTile& tile);
void ClearRoomTiles(int room);

}  // namespace vendrel::runtime
