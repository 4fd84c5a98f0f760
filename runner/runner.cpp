#include "runner/runner.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "interpreter/random.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "runner/builtin_families.h"
#include "runner/game_data.h"
#include "runner/loading_screen.h"
#include "runner/stream.h"
#include "runner/temp_dir.h"

namespace vendrel::runner {

namespace fs = std::filesystem;

void ShowStartupMessage(const std::string& message) {
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
    LoadResult result = ReadGameData(game_data, ShowProgress);
    if (!result.Loaded()) {
      ShowStartupMessage(result.message);
      return false;
    }
  } catch (const StreamError&) {
    ShowStartupMessage(std::string(kCorruptedGameDataMessage));
    return false;
  }
  return true;
}

}  // namespace

int RunGame(const RunOptions& options) {
  platform::SetHeadless(options.headless);
  if (!CreateTempDir())
    ShowStartupMessage("Failed to create temp dir. This can create serious problems with sounds, etc.");

  RunOptions effective = options;
  if (effective.game.empty()) {
    effective.game = platform::OwnExecutablePath();
    effective.game_parameters.insert(effective.game_parameters.begin(), effective.game);
  }
  SetCurrentOptions(effective);

  RegisterAllFunctionFamilies();
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

  // Preparing and running the game joins here once the runtime exists.
  std::fprintf(stderr, "vrun: the game was loaded; this build cannot run it yet\n");
  RemoveExtractedFiles(extracted);
  return kExitStartupFailed;
}

}  // namespace vendrel::runner
