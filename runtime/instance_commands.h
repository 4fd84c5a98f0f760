// The instance commands behind instance_create, instance_destroy,
// instance_change and their relatives, and the room-change requests of
// room_goto and game_end. Object arguments: -3 all, 0..99999 an object with
// its descendants, 100000 and up an instance id; -1 and -2 the calling and
// the other instance where a command says so.
#pragma once

namespace vendrel::runtime {

class CInstance;

inline constexpr int kNoone = -4;

// Creates an instance of [object] at (x, y) in the current room and
// performs its create event; its id. For an object that does not exist
// reports "Creating instance for non-existing object: N" and gives noone.
int CreateInstance(int object, double x, double y);
// The copy's id; the copy keeps the caller's variables, motion and alarms.
int CopyInstance(CInstance* caller, bool perform_event);
// [caller] becomes an instance of [object]: a new instance with the
// caller's id and state takes its place and the caller is destroyed.
void ChangeInstance(CInstance* caller, int object, bool perform_events);
// Performs the destroy event, then marks [instance] destroyed.
void DestroyInstance(CInstance* instance);
void DestroyAtPosition(double x, double y);
void ChangeAtPosition(double x, double y, int object, bool perform_events);
// The id of the [n]-th live instance of [object], or noone.
int FindInstance(int object, int n);
bool InstanceExists(CInstance* self, CInstance* other, int object);
int InstanceNumber(CInstance* self, CInstance* other, int object);

void DeactivateAll(CInstance* caller, bool not_me);
void DeactivateObject(CInstance* self, CInstance* other, int object);
void DeactivateRegion(CInstance* caller, double left, double top, double width, double height,
                      bool inside, bool not_me);
void ActivateAll();
void ActivateObject(CInstance* self, CInstance* other, int object);
void ActivateRegion(double left, double top, double width, double height, bool inside);

// Requests a change to room [room]; a room that does not exist is a fatal
// error "Unexisting room number: N" that aborts the game.
void RequestRoom(int room);
void RequestPreviousRoom();
void RequestNextRoom();
// The room before / after [room] in the room order; -1 for a room that
// does not exist and for the first / last room.
int PreviousRoom(int room);
int NextRoom(int room);

// Whether object [object] is [ancestor] or descends from it.
bool IsObjectOrDescendant(int object, int ancestor);

}  // namespace vendrel::runtime
