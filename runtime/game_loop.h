// The game loop: the start and end of a whole game, room starts and ends
// with persistent rooms and instances, one step of game logic in its fixed
// event order, and the timed loop that runs steps at the room's speed.
#pragma once

#include <cstdint>

namespace vendrel::runtime {

struct LoopOptions {
  // Skip the frame wait and run on a virtual clock that each wait
  // advances, so that a run is deterministic and as fast as possible.
  bool virtual_clock = false;
  // End the game (as game_end does) once this many steps have run and been
  // presented; -1: no limit.
  int64_t max_steps = -1;
};

LoopOptions& LoopSettings();

// Starts a new game: object lists, globals and game state, random seed,
// library initialisation code, then the first room of the room order.
void StartGame();
// Ends the current room as a game end and frees every room state.
void EndGame();
// Starts a game when none runs and runs the loop until the game ends (or
// is paused); ends the game when it is over. Returns whether the game ended
// after an error aborted it.
bool RunGame();
// For the debug window: PauseGame makes RunGame return after the current
// iteration; SingleStep runs one iteration of a paused game; StopGame ends
// a paused game. RunGame resumes a paused game.
void PauseGame();
void SingleStep();
void StopGame();

// One step of game logic in the current room.
void RunStep();
// Performs the pending room change, if any (end, restart, load, room).
void PerformPendingRoomChange();
void GoToRoom(int room);
void RoomStart(int room, bool game_start);
void RoomEnd(bool game_end);

// Performs (type, number) for every live instance of every object that
// has the event, objects ascending.
void DispatchEvent(int type, int number);

// The loop's clock in microseconds since the loop started, and the wait
// between steps (both virtual under LoopOptions::virtual_clock).
int64_t ClockNow();
void Wait(int64_t microseconds);

}  // namespace vendrel::runtime
