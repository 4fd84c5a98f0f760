// File-system services the subsystems share: atomic writes, temporary
// directories and existence checks.
#pragma once

#include <cstddef>
#include <string>

namespace vendrel::platform {

// Writes [size] bytes to [path] through a temporary file in the same
// directory, flushed to disk and renamed over the target, so a crash never
// leaves a half-written file. Returns false on any failure (the target is
// then untouched).
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);

// Appends [text] to [path] and flushes it to disk before returning, so that
// earlier contents survive a crash. When [truncate] is set the file is
// emptied first. Returns false on failure.
bool AppendToFile(const std::string& path, const std::string& text, bool truncate);

bool FileExists(const std::string& path);
// Any kind of directory entry, dangling links included.
bool PathExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// The absolute path of the running program's own file.
std::string OwnExecutablePath();

}  // namespace vendrel::platform
