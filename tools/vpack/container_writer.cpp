// The container side of vpack: container.json and the extensions/ folder of
// a project, and the self-launching layout of the game file.
//
// container.json (optional; every field has a default):
//   { "remove_files_at_end": false, "overwrite_files": false,
//     "extract_to_temp": true, "library_name": "D3DX8.dll" }
// extensions/: every plain file in it is carried as an extension file.
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "platform/files.h"
#include "runner/container.h"
#include "tools/vpack/project.h"
#include "tools/vpack/vpack.h"

namespace vendrel::vpack {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* kDefaultLibraryName = "D3DX8.dll";

std::vector<uint8_t> ReadWholeFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path.string());
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
}

void WriteWholeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  if (!platform::WriteFileAtomically(path.string(), bytes.data(), bytes.size()))
    throw std::runtime_error("cannot write " + path.string());
}

runner::Container ReadContainerSettings(const fs::path& project) {
  runner::Container container;
  container.extract_to_temp = 1;
  container.library.name = kDefaultLibraryName;
  fs::path settings_file = project / "container.json";
  if (fs::exists(settings_file)) {
    json settings;
    try {
      std::ifstream in(settings_file);
      settings = json::parse(in);
      container.remove_files_at_end = settings.value("remove_files_at_end", false);
      container.overwrite_files = settings.value("overwrite_files", false);
      container.extract_to_temp = settings.value("extract_to_temp", true) ? 1 : 0;
      container.library.name = settings.value("library_name", std::string(kDefaultLibraryName));
    } catch (const json::exception& error) {
      throw std::runtime_error(settings_file.string() + ": " + error.what());
    }
    if (!runner::IsPlainFileName(container.library.name))
      throw std::runtime_error(settings_file.string() + ": library_name must be a plain file name");
  }
  fs::path extensions = project / "extensions";
  if (fs::is_directory(extensions)) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(extensions))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::string name = file.filename().string();
      if (name == runner::kEndOfFilesName)
        throw std::runtime_error(file.string() + ": an extension file cannot be named READY");
      container.extension_files.push_back({name, ReadWholeFile(file)});
    }
  }
  return container;
}

void WriteContainerSettings(const runner::Container& container, const fs::path& project) {
  json settings = {{"remove_files_at_end", container.remove_files_at_end},
                   {"overwrite_files", container.overwrite_files},
                   {"extract_to_temp", container.extract_to_temp != 0},
                   {"library_name", container.library.name}};
  std::string text = settings.dump(2) + "\n";
  WriteWholeFile(project / "container.json", std::vector<uint8_t>(text.begin(), text.end()));
  if (container.extension_files.empty()) return;
  fs::create_directories(project / "extensions");
  for (const runner::ContainerFile& file : container.extension_files)
    WriteWholeFile(project / "extensions" / file.name, file.bytes);
}

}  // namespace

void BuildGameFile(const fs::path& project, const fs::path& game) {
  if (!fs::is_directory(project)) throw std::runtime_error(project.string() + " is not a folder");
  runner::Container container = ReadContainerSettings(project);
  container.game_data = BuildGameData(project);

  runner::CStream out;
  std::string launch_line = kLaunchLine;
  out.WriteBytes(launch_line.data(), launch_line.size());
  std::vector<uint8_t> padding(runner::kContainerOffset - launch_line.size(), 0);
  out.WriteBytes(padding.data(), padding.size());
  runner::WriteContainer(out, container);
  WriteWholeFile(game, out.Bytes());
  mode_t mask = ::umask(0);
  ::umask(mask);
  fs::permissions(game, static_cast<fs::perms>(0777 & ~mask), fs::perm_options::replace);
}

void UnpackGameFile(const fs::path& game, const fs::path& project) {
  runner::CStream file;
  try {
    file.LoadFromFile(game.string());
  } catch (const runner::StreamError&) {
    throw std::runtime_error("cannot read " + game.string());
  }
  runner::ContainerReadResult read = runner::ReadContainer(file);
  if (read.problem != runner::ContainerProblem::None)
    throw std::runtime_error(game.string() + ": " +
                             runner::ContainerProblemMessage(read.problem));
  fs::create_directories(project);
  UnpackGameData(read.container.game_data, project);
  WriteContainerSettings(read.container, project);
}

}  // namespace vendrel::vpack
