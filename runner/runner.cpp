#include "runner/runner.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <exception>
#include <vector>

#include "code/constants.h"
#include "code/errors.h"
#include "code/scripts.h"
#include "graphics/game_graphics.h"
#include "interpreter/actions.h"
#include "interpreter/events.h"
#include "interpreter/random.h"
#include "interpreter/variables.h"
#include "library/library.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "runner/builtin_families.h"
#include "runner/game_data.h"
#include "runner/loading_screen.h"
#include "runner/settings.h"
#include "runner/stream.h"
#include "runner/temp_dir.h"
#include "runtime/builtin_variables.h"
#include "runtime/collision.h"
#include "runtime/game_loop.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"
#include "runtime/input.h"
#include "runtime/saved_game.h"
#include "sound/sound_system.h"

namespace vendrel::runner {

namespace fs = std::filesystem;

void ShowStartupMessage(const std::string& message) {
  // The message must not open behind the loading screen, which has no use
  // once the start-up has failed.
  HideLoadingScreen();
  platform::ShowMessageBox("Vendrel", message, platform::MessageIcon::Error, {"OK"}, 0,
                           /*to_stderr=*/true);
}

bool WriteSupportFiles(const Container& container, const std::string& temp_dir,
                       const std::string& current_dir, ExtractedFiles& extracted) {
  extracted = {};
  extracted.remove_at_end = container.remove_files_at_end;
  // The library is written whatever the flags; nothing loads it, since the
  // matrix and texture routines it held are our own.
  if (!temp_dir.empty()) {
    std::string path = (fs::path(temp_dir) / container.library.name).string();
    if (!platform::WriteFileAtomically(path, container.library.bytes.data(),
                                       container.library.bytes.size()))
      return false;
  }
  const std::string& directory = container.extract_to_temp != 0 ? temp_dir : current_dir;
  for (const ContainerFile& file : container.extension_files) {
    std::string path = (fs::path(directory) / file.name).string();
    if (container.overwrite_files || !platform::PathExists(path)) {
      if (!platform::WriteFileAtomically(path, file.bytes.data(), file.bytes.size()))
        return false;
      extracted.written.push_back(path);
    }
    extracted.paths.push_back(path);
  }
  return true;
}

void RemoveExtractedFiles(const ExtractedFiles& extracted) {
  if (!extracted.remove_at_end) return;
  std::error_code ignored;
  for (const std::string& path : extracted.written) fs::remove(path, ignored);
}

namespace {

// Reads the container and writes its support files. On failure the message
// has been shown and false is returned.
bool ReadGameContainer(const std::string& game_file, ExtractedFiles& extracted,
                       CStream& game_data) {
  CStream file;
  try {
    file.LoadFromFile(game_file);
  } catch (const StreamError&) {
    ShowStartupMessage("Error: Cannot read the file.");
    return false;
  }
  ContainerReadResult read = ReadContainer(file);
  file.Clear();
  if (read.problem != ContainerProblem::None) {
    ShowStartupMessage(ContainerProblemMessage(read.problem));
    return false;
  }
  std::error_code error;
  std::string current_dir = fs::current_path(error).string();
  if (!WriteSupportFiles(read.container, TempDir(), current_dir, extracted)) {
    RemoveExtractedFiles({extracted.paths, extracted.written, true});
    ShowStartupMessage(ContainerProblemMessage(ContainerProblem::Corrupted));
    return false;
  }
  game_data = CStream(std::move(read.container.game_data));
  return true;
}

// Reads the game data into the running game's tables, showing progress.
// On failure the message has been shown and false is returned.
bool LoadGame(CStream& game_data) {
  try {
    LoadResult result = ReadGameData(game_data, ShowProgress,
                                     [] { ShowLoadingScreen(Identity().DebugMode); });
    if (!result.Loaded()) {
      ShowStartupMessage(result.message);
      return false;
    }
    // Actions whose function does not exist are reported one by one; the
    // load goes on.
    for (const std::string& warning : result.warnings)
      platform::ShowMessageBox("Vendrel", warning, platform::MessageIcon::Warning, {"OK"}, 0);
  } catch (const StreamError&) {
    ShowStartupMessage(std::string(kCorruptedGameDataMessage));
    return false;
  }
  return true;
}

// The error, variable and loop options of this run, from the game settings
// and the command line.
void ApplySettings(const RunOptions& options) {
  const GameSettings& settings = Settings();
  code::ErrorOptions& errors = code::ErrorSettings();
  errors.abort_on_error = settings.AbortOnError;
  errors.show_errors = settings.ShowErrors;
  errors.write_error_log = settings.WriteErrorLog;
  interp::VariableSettings().uninitialized_is_zero = settings.UninitializedIsZero;
  runtime::LoopOptions& loop = runtime::LoopSettings();
  loop.virtual_clock = options.no_wait;
  loop.max_steps = options.frames;
}

// Constants, compilation of time lines, scripts and objects, sounds and
// graphics, each step announced on the loading screen. On failure the
// message has been shown and false is returned.
bool PrepareGame() {
  // The process priority setting is left to the operating system's
  // scheduler: raising it needs privileges a game should not ask for.
  std::vector<code::UserConstant> constants;
  for (const GameConstant& constant : Settings().Constants)
    constants.push_back({constant.name, constant.value});
  if (!code::DefineUserConstants(constants)) {
    ShowStartupMessage("Failed to define the constants.");
    return false;
  }
  ShowProgress(50, "Compiling time line actions");
  if (!interp::PrepareTimeLineActions()) {
    ShowStartupMessage("Failed to compile the actions in the time lines.");
    return false;
  }
  ShowProgress(60, "Compiling scripts");
  if (!code::CompileScripts()) {
    ShowStartupMessage("Failed to compile the scripts.");
    return false;
  }
  ShowProgress(70, "Compiling object actions");
  if (!interp::PrepareObjectActions()) {
    ShowStartupMessage("Failed to compile the actions in the objects.");
    return false;
  }
  runtime::RuntimeHooks& hooks = runtime::Hooks();
  ShowProgress(80, "Preparing sounds");
  if (hooks.prepare_sounds != nullptr && !hooks.prepare_sounds()) {
    ShowStartupMessage("Failed to prepare the sounds.");
    return false;
  }
  ShowProgress(90, "Preparing graphics");
  if (hooks.prepare_graphics != nullptr && !hooks.prepare_graphics()) {
    if (hooks.shut_down_sound != nullptr) hooks.shut_down_sound();
    return false;
  }
  if (hooks.clear_input != nullptr) hooks.clear_input();
  ShowProgress(100, "Ready");
  HideLoadingScreen();
  return true;
}

// Releases what PrepareGame set up.
void ShutDownRunner() {
  runtime::RuntimeHooks& hooks = runtime::Hooks();
  if (hooks.shut_down_graphics != nullptr) hooks.shut_down_graphics();
  if (hooks.shut_down_sound != nullptr) hooks.shut_down_sound();
  library::CloseAllFiles();
}

}  // namespace

int RunGame(const RunOptions& options) {
  platform::SetHeadless(options.headless);
  // Whichever way the start-up ends, the loading screen does not outlive it.
  struct LoadingScreenCloser {
    ~LoadingScreenCloser() { HideLoadingScreen(); }
  } loading_screen_closer;
  if (!CreateTempDir())
    ShowStartupMessage("Failed to create temp dir. This can create serious problems with sounds, etc.");

  RunOptions effective = options;
  if (effective.game.empty()) {
    effective.game = platform::OwnExecutablePath();
    effective.game_parameters.insert(effective.game_parameters.begin(), effective.game);
  }
  SetCurrentOptions(effective);
  library::SetGameParameters(effective.game_parameters);
  std::error_code no_directory;
  platform::SetGameWorkingDirectory(fs::current_path(no_directory).string());
  if (!TempDir().empty()) platform::SetExtraAllowedDirectories({TempDir()});

  RegisterAllFunctionFamilies();
  runtime::RegisterBuiltinVariables();
  std::string input_error;
  if (!runtime::InstallInput(effective.input, &input_error)) {
    ShowStartupMessage(input_error);
    return kExitStartupFailed;
  }
  runtime::InstallCollisionHooks();
  runtime::InstallSavedGameHooks();
  graphics::InstallGameGraphics();
  sound::InstallSoundHooks();
  if (!effective.audio_out.empty() && !sound::StartOfflineOutput(effective.audio_out)) {
    ShowStartupMessage("Cannot write the sound output file " + effective.audio_out + ".");
    return kExitStartupFailed;
  }
  if (effective.seed) interp::SeedRandom(*effective.seed);
  ExtractedFiles extracted;
  CStream game_data;
  if (!ReadGameContainer(effective.game, extracted, game_data)) return kExitStartupFailed;
  bool loaded = LoadGame(game_data);
  game_data.Clear();
  if (!loaded) {
    RemoveExtractedFiles(extracted);
    return kExitStartupFailed;
  }

  ApplySettings(effective);
  library::SetGameId(Identity().GameId);
  interp::InstallErrorHooks();
  runtime::InstallInstanceAccess();
  int status = kExitOk;
  try {
    if (!PrepareGame()) {
      RemoveExtractedFiles(extracted);
      return kExitStartupFailed;
    }
    if (runtime::RunGame()) status = kExitGameAborted;
  } catch (const std::exception&) {
    ShowStartupMessage("Unexpected error occured when running the game.");
    RemoveExtractedFiles(extracted);
    return kExitStartupFailed;
  }
  ShutDownRunner();
  RemoveExtractedFiles(extracted);
  return status;
}

}  // namespace vendrel::runner
