// Open files and file-system operations for the file functions of game
// code: a byte-level file handle, and copy, rename, delete and directory
// creation that never leave a half-written file behind.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vendrel::platform {

// One open file. Reads and writes may be mixed; the handle inserts the
// repositioning that C streams need between them. Descriptors are closed
// on exec, so started programs do not inherit them.
class FileHandle {
 public:
  enum class Mode {
    Read,             // existing file, reading
    Write,            // created or emptied, writing
    Append,           // created when missing, writing at the end
    ReadWrite,        // existing file, reading and writing
    WriteExisting,    // existing file, writing from the start without emptying
    ReadWriteCreate,  // created or emptied, reading and writing
  };

  FileHandle() = default;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Close(); }

  // False when the file cannot be opened in [mode] (directories cannot).
  bool Open(const std::string& path, Mode mode);
  bool IsOpen() const { return file_ != nullptr; }
  // Flushes, makes written data durable (fsync) and closes; false when any
  // step failed. Closing a closed handle succeeds.
  bool Close();

  // The next byte, or -1 at the end of the file or on an error.
  int Get();
  int Peek();
  bool AtEnd() { return Peek() < 0; }
  // Writes [bytes]; with [flush] they are handed to the operating system
  // at once (no buffering left behind in the process).
  bool Write(std::string_view bytes, bool flush = true);
  int64_t Size();
  int64_t Position();
  bool Seek(int64_t position);
  // Empties the file and moves to its start.
  bool Truncate();

 private:
  enum class LastAccess { None, Read, Write };
  bool PrepareFor(LastAccess access);

  std::FILE* file_ = nullptr;
  bool written_ = false;
  LastAccess last_ = LastAccess::None;
};

bool IsRegularFile(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsExecutableFile(const std::string& path);
// Whether the two paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b);

// Creates [path] and every missing parent directory.
bool CreateDirectories(const std::string& path);
// Deletes a file (not a directory).
bool RemoveFile(const std::string& path);
// Renames [from] to [to]; fails when [to] exists, as Windows does.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);
// The next two follow a symbolic link at the target and replace the file it
// points to.
// Copies [from] over [to] through a temporary file renamed into place, so
// [to] is either its old or its complete new contents.
bool CopyFileAtomically(const std::string& from, const std::string& to);
// Replaces the contents of [path] through a temporary file renamed into
// place. With [durable] the data reach the disk before the rename;
// without, only the file's completeness is guaranteed (SyncFile later).
bool ReplaceFileContents(const std::string& path, std::string_view data, bool durable);
// Flushes [path]'s data and its directory entry to the disk.
bool SyncFile(const std::string& path);
// What tells one version of a file from another.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_nanoseconds = 0;
  bool operator==(const FileIdentity&) const = default;
};
// False when nothing exists at [path].
bool ReadFileIdentity(const std::string& path, FileIdentity& identity);

// The whole contents of a regular file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);

}  // namespace vendrel::platform
