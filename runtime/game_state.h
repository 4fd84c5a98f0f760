// The global state of a running game: score, lives and health with their
// captions, the current room and the run-time states of the rooms, the
// pending room change, and the input state the built-in variables expose.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/instance.h"
#include "runtime/room_state.h"

namespace vendrel::runtime {

// Pending room change codes; 0 or more names a room.
inline constexpr int kNoRoomChange = -1;
inline constexpr int kEndGame = -100;
inline constexpr int kRestartGame = -200;
inline constexpr int kLoadGame = -300;
inline constexpr int kAbortGame = -400;

struct GameState {
  bool running = false;
  bool paused = false;
  // Transition used when the next frame is presented; reset after each.
  int transition_kind = 0;
  int score = 0;
  bool show_score = true;
  // show_score was assigned, so the caption shows the score even at 0.
  bool score_shown_because_set = false;
  std::string caption_score = "Score: ";
  int lives = -1;
  bool show_lives = false;
  std::string caption_lives = "Lives: ";
  double health = 100.0;
  bool show_health = false;
  std::string caption_health = "Health: ";
  bool secure_mode = false;
  int cursor_sprite = -1;
  int step_counter = 0;
  // The loop draws and presents frames itself.
  bool automatic_draw = true;
  int room = -1;
  // One slot per room index: the state of a visited persistent room, or
  // of the current room.
  std::vector<std::unique_ptr<CRunRoom>> runtime_rooms;
  int pending_room_change = kNoRoomChange;
  std::string pending_load_file;
  // Persistent instances between the end of one room and the start of the
  // next.
  std::vector<std::unique_ptr<CInstance>> carried;
  // Steps counted in the last whole second.
  int fps = 0;
  // The view being drawn; 0 outside drawing.
  int view_current = 0;
  // Steps run since the loop started (for --frames).
  int64_t steps_run = 0;
};

GameState& Game();

// The state of the current room, or null before the first room starts.
CRunRoom* CurrentRoom();

bool RoomChangePending();

// Assign lives and health as game code and actions do: when the value was
// above 0 and no longer is, every instance's "no more lives" (other event 6)
// or "no more health" (other event 9) event runs at once.
void SetLives(int lives);
void SetHealth(double health);

// Keyboard and mouse state that game code reads and writes through the
// built-in variables; the input handling fills it.
struct InputState {
  double mouse_x = 0.0;
  double mouse_y = 0.0;
  int mouse_button = 0;
  int mouse_lastbutton = 0;
  int keyboard_key = 0;
  int keyboard_lastkey = 0;
  std::string keyboard_lastchar;
  std::string keyboard_string;
};

InputState& Input();

// Installs the interpreter's access to the current room's instance lists.
void InstallInstanceAccess();

}  // namespace vendrel::runtime
