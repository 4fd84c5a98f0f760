// The project folder of a game and the game data built from it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace vendrel::vpack {

// Reads the project folder [project] (game.json and the resource folders)
// and returns the unscrambled-then-scrambled game data stream, ready to be
// stored as the container's last block. Throws std::runtime_error with a
// message naming the file and field at fault.
std::vector<uint8_t> BuildGameData(const std::filesystem::path& project);

// Writes the project folder for [game_data] into [project] (created).
// Throws runner::StreamError for damaged data.
void UnpackGameData(const std::vector<uint8_t>& game_data, const std::filesystem::path& project);

}  // namespace vendrel::vpack
