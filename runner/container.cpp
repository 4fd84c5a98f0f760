#include "runner/container.h"

namespace vendrel::runner {

const char* ContainerProblemMessage(ContainerProblem problem) {
  switch (problem) {
    case ContainerProblem::None: return "";
    case ContainerProblem::NotAGameFile: return "Error: Not a valid Vendrel 6 file.";
    case ContainerProblem::WrongVersion: return "Error: Wrong version number.";
    case ContainerProblem::Corrupted: return "Failed to load the game data. File seems corrupted.";
  }
  return "";
}

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (c == '/' || c == '\\' || c == ':' || c == '\0') return false;
  return true;
}

namespace {

std::vector<uint8_t> ReadBlock(CStream& stream) { return std::move(stream.ReadCompressed()->MutableBytes()); }

void ReadContainerBody(CStream& file, Container& container) {
  container.remove_files_at_end = file.ReadBoolean();
  container.overwrite_files = file.ReadBoolean();
  container.extract_to_temp = file.ReadInteger();
  container.library.name = file.ReadString();
  container.library.bytes = ReadBlock(file);
  if (!IsPlainFileName(container.library.name)) throw StreamError("bad library name");
  for (;;) {
    std::string name = file.ReadString();
    if (name == kEndOfFilesName) break;
    if (!IsPlainFileName(name)) throw StreamError("bad extension file name");
    container.extension_files.push_back({std::move(name), ReadBlock(file)});
  }
  container.game_data = ReadBlock(file);
}

}  // namespace

ContainerReadResult ReadContainer(CStream& file) {
  ContainerReadResult result;
  if (file.Size() < kContainerOffset) {
    result.problem = ContainerProblem::NotAGameFile;
    return result;
  }
  try {
    file.Seek(kContainerOffset);
    if (file.ReadInteger() != kContainerMagic) {
      result.problem = ContainerProblem::NotAGameFile;
    } else if (file.ReadInteger() != kContainerVersion) {
      result.problem = ContainerProblem::WrongVersion;
    } else {
      ReadContainerBody(file, result.container);
    }
  } catch (const StreamError&) {
    result.problem = ContainerProblem::Corrupted;
  }
  if (result.problem != ContainerProblem::None) result.container = {};
  return result;
}

void WriteContainer(CStream& out, const Container& container) {
  out.WriteInteger(kContainerMagic);
  out.WriteInteger(kContainerVersion);
  out.WriteBoolean(container.remove_files_at_end);
  out.WriteBoolean(container.overwrite_files);
  out.WriteInteger(container.extract_to_temp);
  out.WriteString(container.library.name);
  out.WriteCompressed(container.library.bytes);
  for (const ContainerFile& file : container.extension_files) {
    out.WriteString(file.name);
    out.WriteCompressed(file.bytes);
  }
  out.WriteString(kEndOfFilesName);
  out.WriteCompressed(container.game_data);
}

}  // namespace vendrel::runner
