// The runner's start-up and shut-down sequence: temporary directory,
// container, support files, game data, preparation, the game loop, and
// releasing everything at the end.
#pragma once

#include <string>
#include <vector>

#include "runner/container.h"
#include "runner/options.h"

namespace vendrel::runner {

// Exit statuses of vrun.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStartupFailed = 1;
inline constexpr int kExitUsage = 2;
// The game ran but ended because an error aborted it.
inline constexpr int kExitGameAborted = 3;

// Plays the game that [options] names; returns the process exit status.
int RunGame(const RunOptions& options);

// Shows a start-up failure: a message box, or with --headless the text on
// stderr.
void ShowStartupMessage(const std::string& message);

// The support files of a container once written out.
struct ExtractedFiles {
  // Every extension file path named by the container, in order.
  std::vector<std::string> paths;
  // The subset this run wrote itself; only these are removed at the end.
  std::vector<std::string> written;
  bool remove_at_end = false;
};

// Writes the library into [temp_dir] (when there is one) and the extension
// files into [temp_dir] or [current_dir] as the container's flags say,
// leaving existing files alone unless overwriting is asked for. Returns
// false when a file cannot be written.
bool WriteSupportFiles(const Container& container, const std::string& temp_dir,
                       const std::string& current_dir, ExtractedFiles& extracted);

// Removes the extension files this run wrote, when the container asked for it.
void RemoveExtractedFiles(const ExtractedFiles& extracted);

}  // namespace vendrel::runner
