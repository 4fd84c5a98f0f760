// Saved games: the whole run-time state of a game (global state and
// variables, every room state with its instances and tiles, the id
// counters) written to a file and read back by the same game.
//
// A file is read completely into a staging SavedGame and checked before
// anything live changes, so a file that is damaged, truncated or written by
// another game leaves the running game exactly as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "interpreter/variables.h"
#include "runtime/room_state.h"

namespace vendrel::runner {
class CStream;
}

namespace vendrel::runtime {

// Format version of the file and of each room record in it.
inline constexpr int32_t kSavedGameVersion = 540;

// A saved game parsed from a file, not yet applied.
struct SavedGame {
  int32_t room = -1;
  int32_t transition_kind = 0;
  int32_t score = 0;
  int32_t lives = -1;
  double health = 100.0;
  int32_t cursor_sprite = -1;
  int32_t step_counter = 0;
  bool automatic_draw = true;
  interp::CVariableList globals;
  // One entry per room index; null where the game held no state.
  std::vector<std::unique_ptr<CRunRoom>> rooms;
  int32_t last_instance_id = 0;
  int32_t last_tile_id = 0;
};

enum class SavedGameStatus {
  kOk,
  // The first word is not kSavedGameVersion.
  kOtherVersion,
  // The file names another game id.
  kOtherGame,
  // Ends early, has impossible counts or versions, or no current room.
  kDamaged,
};

// Writes the running game's state in the saved-game layout at the
// stream's position.
void WriteSavedGame(runner::CStream& stream);

// Reads a whole saved game from [stream] into [saved], checking that it
// belongs to the game [game_id]. Never reads outside the stream; on any
// status but kOk [saved] holds nothing meaningful.
SavedGameStatus ParseSavedGame(runner::CStream& stream, int32_t game_id, SavedGame& saved);

// Replaces the running game's state by [saved] (which it consumes): the
// global state and variables, every room slot, the current room and the
// id counters; then adapts the window to the room. No event runs.
void ApplySavedGame(SavedGame& saved);

// Saves the game to the game file name [file]. Reports a refusal (secure
// mode with a folder in the name) or a failed write as a non-fatal run-time
// error and returns false; a failed write leaves any earlier file intact.
bool SaveGame(const std::string& file);

// Loads the game from the game file name [file]: nothing when no such file
// exists; otherwise any failure is reported as a non-fatal run-time error
// and leaves the running game unchanged.
bool LoadGame(const std::string& file);

// Installs SaveGame and LoadGame as the runtime's save and load hooks.
void InstallSavedGameHooks();

}  // namespace vendrel::runtime
