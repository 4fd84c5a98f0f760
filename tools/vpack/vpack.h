// vpack: packs a readable project folder into a game file and back.
#pragma once

#include <filesystem>
#include <string>

namespace vendrel::vpack {

// The first line of every game file, so that Linux runs it with vrun.
inline constexpr const char* kLaunchLine = "#!/usr/bin/env vrun\n";

// Packs [project] into the game file [game]: the launch line, padding up to
// the container's offset, then the container with the project's extension
// files and its game data. The file is written atomically and marked
// executable. Throws std::runtime_error naming what is wrong.
void BuildGameFile(const std::filesystem::path& project, const std::filesystem::path& game);

// Unpacks the game file [game] into the project folder [project].
void UnpackGameFile(const std::filesystem::path& game, const std::filesystem::path& project);

}  // namespace vendrel::vpack
