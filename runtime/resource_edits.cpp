#include "runtime/resource_edits.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <set>
#include <utility>

#include "interpreter/actions.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"
#include "runtime/object_lists.h"
#include "runtime/room_state.h"

namespace vendrel::runtime {

namespace {

using resources::CAction;
using resources::CEvent;
using resources::CObject;
using resources::CTimeLine;

// Objects and time lines with changes waiting for the running action lists
// to finish; later changes to them wait too, so that they apply in order.
std::set<int>& WaitingObjects() {
  static std::set<int> objects;
  return objects;
}
std::set<int>& WaitingTimeLines() {
  static std::set<int> time_lines;
  return time_lines;
}

// Runs [change] to [index] of [waiting] now, or, when [running] or an
// earlier change to the same resource waits, once no action list runs.
void ApplyInOrder(std::set<int>& waiting, int index, bool running, std::function<void()> change) {
  if (!running && !waiting.contains(index)) {
    change();
    return;
  }
  waiting.insert(index);
  interp::WhenActionListsIdle([&waiting, index, change = std::move(change)] {
    waiting.erase(index);
    change();
  });
}

bool AnyEventRunning(const CObject& object) {
  for (const auto& row : object.events)
    for (const auto& [number, event] : row)
      if (interp::ActionListRunning(event)) return true;
  return false;
}

bool AnyMomentRunning(const CTimeLine& line) {
  return std::any_of(line.moments.begin(), line.moments.end(),
                     [](const resources::RMoment& m) { return interp::ActionListRunning(m.event); });
}

// A code action as game code adds it: it runs [code] for self, with no
// arguments, and is prepared (compiled) at once. Null when the code does
// not compile; the compile error has then been shown.
std::shared_ptr<CAction> PreparedCodeAction(const std::string& code) {
  auto action = std::make_shared<CAction>();
  action->kind = resources::kActionCode;
  action->execution_type = resources::kExecuteCode;
  action->applies_to_settable = false;
  action->argument_count = 0;
  action->argument_texts[0] = code;
  action->text_count = 1;
  if (!interp::PrepareAction(*action)) return nullptr;
  return action;
}

// Rebuilding the per-event object lists asks every object about every
// event. The game loop reads them only between events, so a burst of
// changes by one piece of code is followed by a single rebuild once the
// running events end (at once when none runs).
void RebuildObjectListsSoon() {
  static bool scheduled = false;
  if (scheduled) return;
  scheduled = true;
  interp::WhenActionListsIdle([] {
    scheduled = false;
    RebuildObjectLists();
  });
}

// The per-room family lists follow the parent chains.
void RebuildRoomLists() {
  for (const std::unique_ptr<CRunRoom>& room : Game().runtime_rooms)
    if (room != nullptr) room->RebuildLists();
}

int32_t NextTileId() { return ++resources::Resources().last_tile_id; }

}  // namespace

// Objects ----------------------------------------------------------------------

bool AddObjectEventCode(int object, int type, int number, const std::string& code) {
  CObject* definition = resources::Resources().objects.Get(object);
  if (definition == nullptr || type < 0 || type >= resources::kEventTypeCount || number < 0)
    return false;
  std::shared_ptr<CAction> action = PreparedCodeAction(code);
  if (action == nullptr) return false;
  const CEvent* existing = definition->Event(type, number);
  const bool running = existing != nullptr && interp::ActionListRunning(*existing);
  ApplyInOrder(WaitingObjects(), object, running, [object, type, number, action] {
    CObject* target = resources::Resources().objects.Get(object);
    if (target == nullptr) return;
    target->EventForWriting(type, number)->actions.push_back(std::move(*action));
    RebuildObjectListsSoon();
  });
  return true;
}

void ClearObjectEvent(int object, int type, int number) {
  CObject* definition = resources::Resources().objects.Get(object);
  if (definition == nullptr) return;
  const CEvent* event = definition->Event(type, number);
  if (event == nullptr && !WaitingObjects().contains(object)) return;
  const bool running = event != nullptr && interp::ActionListRunning(*event);
  ApplyInOrder(WaitingObjects(), object, running, [object, type, number] {
    CObject* target = resources::Resources().objects.Get(object);
    CEvent* cleared = target != nullptr ? target->Event(type, number) : nullptr;
    if (cleared == nullptr) return;
    cleared->actions.clear();
    RebuildObjectListsSoon();
  });
}

void SetObjectParent(int object, int parent) {
  CObject* definition = resources::Resources().objects.Get(object);
  if (definition == nullptr) return;
  definition->parent = parent;
  RebuildObjectListsSoon();
  RebuildRoomLists();
}

bool DeleteObject(int object) {
  auto& objects = resources::Resources().objects;
  CObject* definition = objects.Get(object);
  if (definition == nullptr) return false;
  // The object's events may be running (an object may delete itself); its
  // action lists move out of the table and live on until they finish.
  // Moving the event rows keeps every event where it was.
  const bool running = AnyEventRunning(*definition);
  auto kept = std::make_shared<CObject>(std::move(*definition));
  objects.Remove(object);
  if (running) interp::WhenActionListsIdle([kept] {});
  RebuildObjectListsSoon();
  RebuildRoomLists();
  return true;
}

// Time lines ---------------------------------------------------------------------

bool AddMomentCode(int time_line, int step, const std::string& code) {
  CTimeLine* line = resources::Resources().time_lines.Get(time_line);
  if (line == nullptr) return false;
  std::shared_ptr<CAction> action = PreparedCodeAction(code);
  if (action == nullptr) return false;
  // Inserting a moment moves the moments after it, so nothing of a time
  // line whose moment runs may change before it ends.
  ApplyInOrder(WaitingTimeLines(), time_line, AnyMomentRunning(*line),
               [time_line, step, action] {
                 CTimeLine* target = resources::Resources().time_lines.Get(time_line);
                 if (target == nullptr) return;
                 target->MomentForWriting(step).actions.push_back(std::move(*action));
               });
  return true;
}

void ClearMoment(int time_line, int step) {
  CTimeLine* line = resources::Resources().time_lines.Get(time_line);
  if (line == nullptr) return;
  ApplyInOrder(WaitingTimeLines(), time_line, AnyMomentRunning(*line), [time_line, step] {
    if (CTimeLine* target = resources::Resources().time_lines.Get(time_line))
      target->ClearMoment(step);
  });
}

bool DeleteTimeLine(int time_line) {
  auto& time_lines = resources::Resources().time_lines;
  CTimeLine* line = time_lines.Get(time_line);
  if (line == nullptr) return false;
  const bool running = AnyMomentRunning(*line);
  // Moving the moments keeps each moment's event where it was.
  auto kept = std::make_shared<CTimeLine>(std::move(*line));
  time_lines.Remove(time_line);
  if (running) interp::WhenActionListsIdle([kept] {});
  return true;
}

// Rooms ------------------------------------------------------------------------

int AddRoomInstance(int room, int object, int x, int y) {
  resources::CRoom* target = resources::Resources().rooms.Get(room);
  if (target == nullptr) return -1;
  const int id = NextInstanceId();
  target->instances.push_back({x, y, object, id, std::string()});
  return id;
}

void ClearRoomInstances(int room) {
  if (resources::CRoom* target = resources::Resources().rooms.Get(room)) target->instances.clear();
}

int AddRoomTile(int room, const resources::RTile& tile) {
  resources::CRoom* target = resources::Resources().rooms.Get(room);
  if (target == nullptr) return -1;
  resources::RTile added = tile;
  added.id = NextTileId();
  target->tiles.push_back(added);
  return added.id;
}

void ClearRoomTiles(int room) {
  if (resources::CRoom* target = resources::Resources().rooms.Get(room)) target->tiles.clear();
}

}  // namespace vendrel::runtime
