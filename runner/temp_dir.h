// The per-run temporary directory: support files, sounds written for
// playback and other run-time files live there; it is removed at exit.
#pragma once

#include <string>
#include <string_view>

namespace vendrel::runner {

// Makes the directory "vn_ttt_<n>" in the first base that works: the
// environment variable "temp", else "tmp", else TMPDIR or /tmp, then the
// system's temporary directory, then the current directory. Returns false
// when none works (the run goes on without a temporary directory).
bool CreateTempDir();

// Full path of the temporary directory; empty when there is none.
const std::string& TempDir();

// Empties and removes the directory now (it is also removed at any exit).
void RemoveTempDir();

// A new file name in the temporary directory: "a<random><suffix>", drawn
// again until no such file exists. Empty when there is no directory.
std::string MakeTempFileName(std::string_view suffix);

}  // namespace vendrel::runner
