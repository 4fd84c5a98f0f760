// The game data: a scrambled header, the game's identity, its settings,
// the resource tables, the game information, the library initialisation
// code and the room order, read front to back in one pass. Every record
// checks its own version word.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "resources/game_resources.h"
#include "runner/settings.h"
#include "runner/stream.h"

namespace vendrel::runner {

inline constexpr int32_t kGameDataMagic = 1230600;
inline constexpr int32_t kGameDataInnerMagic = 1234321;
inline constexpr int32_t kGameDataVersion = 600;

// The failure messages of the loader.
inline constexpr std::string_view kNotAGameMessage = "Error: Not a valid Vendrel 6 file.";
inline constexpr std::string_view kWrongVersionMessage = "Error: Wrong version number.";
inline constexpr std::string_view kBadResourceDataMessage = "Error: Error in resource data.";
// What the start-up shows when reading raises StreamError.
inline constexpr std::string_view kCorruptedGameDataMessage =
    "Failed to load the game data. File seems corrupted.";

struct GameIdentity {
  // Run with the debug window.
  bool DebugMode = false;
  // Names the F5/F6 save file and the high-score key; game_id.
  int32_t GameId = 0;
  // The application GUID of multiplayer sessions.
  std::array<uint8_t, 16> GameGuid{};
};

// The identity of the running game.
GameIdentity& Identity();

// Everything the game data holds.
struct GameData {
  // The seed the data after the header is scrambled with; kept so that a
  // game can be written back as it came.
  int32_t seed = 4000;
  GameIdentity identity;
  GameSettings settings;
  resources::GameResources resources;
};

enum class LoadStatus {
  Loaded,
  NotAGame,         // either magic is wrong
  WrongVersion,     // the version is not 600
  BadResourceData,  // the settings or a section failed
};

struct LoadResult {
  LoadStatus status = LoadStatus::Loaded;
  // The message to show; empty when loaded.
  std::string message;
  // Messages that do not stop the load, in the order they arose
  // ("Failed to locate action function NAME").
  std::vector<std::string> warnings;

  bool Loaded() const { return status == LoadStatus::Loaded; }
};

// Told the progress in percent and its text. The first call, (0,
// "Loading"), comes right after the settings are read: that is when the
// loading screen is set up from them and shown. Then one call per section:
// 5 "Loading sounds" up to 49 "Loading room order".
using ProgressCallback = std::function<void(int percent, std::string_view text)>;
// The registry index of a built-in function, or -1.
using FunctionLookup = std::function<int(std::string_view name)>;

struct LoadHooks {
  ProgressCallback progress;
  // Called once the identity and settings are read, right before progress
  // (0, "Loading"): what the loading screen is made from.
  std::function<void(const GameIdentity&, const GameSettings&)> settings_read;
  // Resolves the function names of actions. Unset: every action keeps
  // function -1 and no warning is given (the packer, which only moves
  // records, loads this way).
  FunctionLookup find_function;
};

// Reads the whole game data into [game]. Failures of the format give a
// result with its message (the caller shows it); truncated data or a bad
// compressed block throws StreamError, which the start-up reports as
// kCorruptedGameDataMessage. After a failure [game] keeps what was read.
// The stream is unscrambled in place.
LoadResult ReadGameData(CStream& stream, GameData& game, const LoadHooks& hooks = {});

// Reads the game data into the running game (Identity(), Settings(),
// resources::Resources()), resolving action functions among the
// registered built-in functions. Identity() and Settings() are filled
// before the first progress call, so the loading screen can use them;
// [settings_read] is called right then (the start-up shows the loading
// screen there).
LoadResult ReadGameData(CStream& stream, const ProgressCallback& progress = {},
                        const std::function<void()>& settings_read = {});

// The game data stream for [game], scrambled with its seed: the inverse of
// ReadGameData.
std::vector<uint8_t> WriteGameData(const GameData& game);

}  // namespace vendrel::runner
