// Removal of the per-run temporary directory at every kind of exit: a
// normal return, exit(), Ctrl-C, termination signals and crashes.
#pragma once

#include <string>

namespace vendrel::platform {

// Makes [path] (a directory holding only plain files) be emptied and
// removed when the process ends, however it ends, short of SIGKILL.
// Only one directory is tracked; a second call replaces the first.
void RemoveDirectoryAtExit(const std::string& path);

// Empties and removes the tracked directory now (also stops tracking it).
void RemoveTrackedDirectoryNow();

}  // namespace vendrel::platform
