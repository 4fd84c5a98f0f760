// Windows file names from game code, mapped onto the Linux file system.
//
// Games were made on a case-insensitive system with "\" separators, drive
// letters and Windows-1252 file names. ResolveGamePath turns such a name
// into a host path: "\" and "/" both separate, a drive-less relative name
// starts at the game's working directory, "X:\" names start at "/", and a
// component that does not exist as written is looked up without case in its
// directory (component by component), also under its UTF-8 spelling. Names
// that do not exist at all keep the spelling the game gave (in UTF-8), so
// they can be created.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vendrel::platform {

// The directory that relative game names start from. Until it is set, the
// process's current directory.
void SetGameWorkingDirectory(const std::string& host_directory);
std::string GameWorkingDirectory();

// Directories besides the working directory that secure mode lets game code
// write into (the game's temporary directory).
void SetExtraAllowedDirectories(std::vector<std::string> host_directories);

// The host path for the game file name [game_path] (absolute).
std::string ResolveGamePath(std::string_view game_path);

// Whether [host_path], once symbolic links of its existing part are
// followed, lies inside the working directory or an extra allowed directory.
bool IsInsideAllowedArea(const std::string& host_path);

// A host file name as game code sees it: UTF-8 names whose characters all
// exist in Windows-1252 become Windows-1252; other names stay as they are.
std::string HostNameToGame(std::string_view host_name);
// A game file name as the host stores it: Windows-1252 bytes become UTF-8,
// text that is already valid UTF-8 stays as it is.
std::string GameNameToHost(std::string_view game_name);

// Windows-1252 text with its letters in lower case, for comparing names as
// Windows does (case-insensitively).
std::string FoldWindowsCase(std::string_view text);

// Whether [name] matches the Windows wildcard [mask] ("*", "?"; "*.*"
// matches every name, "name.*" also matches "name"), without case.
bool MatchesWildcard(std::string_view name, std::string_view mask);

// Windows file attributes.
enum FileAttribute : int {
  kAttributeReadOnly = 1,
  kAttributeHidden = 2,
  kAttributeSystem = 4,
  kAttributeVolumeId = 8,
  kAttributeDirectory = 16,
  kAttributeArchive = 32,
};

// The attributes of the file or directory at [host_path], or -1 when it
// cannot be read. Read-only: no write permission bit; hidden: a name that
// starts with "."; system: devices, pipes and sockets; archive: regular
// files.
int ReadFileAttributes(const std::string& host_path);

// The names (as game code sees them) in the directory of [game_mask] that
// match its last component, "." and ".." first, then sorted without case.
// As on Windows, entries that are hidden, system files or directories are
// only included when [attributes] asks for them.
std::vector<std::string> FindFiles(std::string_view game_mask, int attributes);

}  // namespace vendrel::platform
