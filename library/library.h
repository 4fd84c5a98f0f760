// The library subsystem: data structures, files, directories, the registry
// store, INI files, program execution and the command line, as built-in
// function families of the game language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vendrel::library {

// Registers the ds_* functions.
void RegisterDataStructureFunctions();
// Registers the file, directory, registry, INI and program functions, and
// reads the secure-mode preference from the registry store.
void RegisterFileFunctions();

// The game's command line: [parameters][0] is the game file, the rest are
// the parameters given after it (parameter_count, parameter_string).
void SetGameParameters(std::vector<std::string> parameters);
// The game id from the game file; it names the registry key of the game
// (registry_* functions without _ext).
void SetGameId(int64_t game_id);

// The secure-mode switch, which game code reads as secure_mode: refuses
// writes outside the working directory, program execution and registry
// writes outside the game's key.
bool SecureMode();
void SetSecureMode(bool secure);
// Reads the secure-mode preference ("Warning" and "VendrelRunning" under
// "\Software\Vendrel\Version 6\Preferences" of the current user).
bool SecureModePreference();

// Called every 50 ms while execute_program waits for a program to end, so
// that the window keeps processing its events.
void SetWaitCallback(void (*callback)());

// Closes every open file (flushing what was written) and forgets the
// directory search and the INI file; the runner calls it when the game ends.
void CloseAllFiles();

}  // namespace vendrel::library
