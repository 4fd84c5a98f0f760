// The container at the fixed offset of a game file: its flags, the support
// files it carries and the game data block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/stream.h"

namespace vendrel::runner {

inline constexpr size_t kContainerOffset = 567974;
inline constexpr int32_t kContainerMagic = 18198315;
inline constexpr int32_t kContainerVersion = 19903631;
inline constexpr const char* kEndOfFilesName = "READY";

struct ContainerFile {
  std::string name;
  std::vector<uint8_t> bytes;
};

struct Container {
  bool remove_files_at_end = false;
  bool overwrite_files = false;
  int32_t extract_to_temp = 0;
  ContainerFile library;  // written to the temporary directory
  std::vector<ContainerFile> extension_files;
  std::vector<uint8_t> game_data;
};

// Why a file holds no usable container. The texts are the messages shown.
enum class ContainerProblem { None, NotAGameFile, WrongVersion, Corrupted };
const char* ContainerProblemMessage(ContainerProblem problem);

struct ContainerReadResult {
  ContainerProblem problem = ContainerProblem::None;
  Container container;
};

// Reads the container of a whole game file held in [file]. Never throws:
// truncated or damaged data, and support file names that are not plain file
// names, give ContainerProblem::Corrupted.
ContainerReadResult ReadContainer(CStream& file);

// True for a name that can be created inside a directory without leaving
// it: not empty, no path separator of either system, not "." or "..", no
// drive prefix.
bool IsPlainFileName(const std::string& name);

// Appends the container for [container] at the stream's position.
void WriteContainer(CStream& out, const Container& container);

}  // namespace vendrel::runner
