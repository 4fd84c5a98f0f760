// CRunRoom: the run-time state of a room: a working copy of the room
// resource's fields (layers, views, tiles, caption, speed...) and the live
// instances, in an active and an inactive list, with the per-object and
// per-family indexes derived from the active list.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "resources/room.h"
#include "runtime/instance.h"

namespace vendrel::runtime {

class CRunRoom {
 public:
  // An empty state with default fields and no instances.
  CRunRoom() = default;
  // A new state copied from room resource [room_index]: its fields, and
  // one new instance per placed instance with the stored id, object,
  // position and creation code. Null when the room does not exist.
  static std::unique_ptr<CRunRoom> FromResource(int room_index);

  int index = -1;
  // The room's fields as the game changes them while it runs. Its list of
  // placed instances stays empty: the live instances are below.
  resources::CRoom data;

  std::vector<std::unique_ptr<CInstance>> active;
  std::vector<std::unique_ptr<CInstance>> inactive;

  int ActiveCount() const { return int(active.size()); }
  CInstance* ActiveAt(int position) const {
    return position >= 0 && position < ActiveCount() ? active[size_t(position)].get() : nullptr;
  }
  int InactiveCount() const { return int(inactive.size()); }
  CInstance* InactiveAt(int position) const {
    return position >= 0 && position < InactiveCount() ? inactive[size_t(position)].get()
                                                       : nullptr;
  }
  // The active instances of object [object] (object list) and of it and
  // its descendants (family list), in active-list order; empty outside the
  // object range.
  int ObjectCount(int object) const;
  CInstance* ObjectAt(int object, int position) const;
  int FamilyCount(int object) const;
  CInstance* FamilyAt(int object, int position) const;
  // The first active instance with [id] that is not destroyed, else the
  // first with that id, else null.
  CInstance* Find(int id) const;

  // Appends a new instance of [object] at (x, y) with the next instance id
  // and adds it to the object and family lists. No event is performed.
  CInstance* CreateInstance(int object, double x, double y);
  // Gives active [instance], the last of the active list, the id [id] (a
  // copy taking over the id of the instance it replaces).
  void ChangeId(CInstance* instance, int id);
  // Appends [instance] to the active list and the object and family lists.
  CInstance* Append(std::unique_ptr<CInstance> instance);
  // Removes and frees every active instance marked destroyed, keeping the
  // order of the rest; rebuilds the indexes when anything went.
  void Sweep();
  // Moves instances whose deactivated flag disagrees with their list: the
  // reactivated ones to the end of the active list (in inactive-list order),
  // then the deactivated ones to the end of the inactive list.
  void ApplyActivation();
  // Reorders the active list so that greater depths come first (stable).
  void SortByDepth();
  void RebuildLists();

 private:
  void IndexInstance(CInstance* instance);

  std::vector<std::vector<CInstance*>> object_lists_;
  std::vector<std::vector<CInstance*>> family_lists_;
  // The active instances by id, in active-list order (ids repeat only
  // while a replaced instance waits for the sweep).
  std::unordered_map<int, std::vector<CInstance*>> by_id_;
};

// The next instance id: last instance id + 1; the counter advances.
int NextInstanceId();

}  // namespace vendrel::runtime
