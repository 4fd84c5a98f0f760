#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <string>

namespace vendrel::platform {

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= size_t(written);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectoryOf(const std::string& path) {
  int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A new temporary file beside [path] (so the rename stays on one file
// system), opened for writing; -1 on failure.
int CreateTemporaryBeside(const std::string& path, std::string& temporary) {
  temporary = path + ".tmp-XXXXXX";
  return ::mkostemp(temporary.data(), O_CLOEXEC);
}

// Writes [data] to a temporary file and renames it over [path]; the new
// file gets [mode] (or, when [mode] is 0, the usual permissions).
bool ReplaceThroughTemporary(const std::string& path, std::string_view data, bool durable,
                             int source_fd, mode_t mode) {
  std::string temporary;
  int fd = CreateTemporaryBeside(path, temporary);
  if (fd < 0) return false;
  bool ok = true;
  if (source_fd >= 0) {
    char buffer[65536];
    for (;;) {
      ssize_t got = ::read(source_fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) ok = false;
      if (got <= 0) break;
      if (!WriteAll(fd, buffer, size_t(got))) {
        ok = false;
        break;
      }
    }
  } else {
    ok = WriteAll(fd, data.data(), data.size());
  }
  if (mode == 0) {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ok = ok && ::fchmod(fd, mode) == 0;
  if (durable) ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  if (ok && durable) SyncDirectoryOf(path);
  return ok;
}

// [path], or the file a symbolic link at [path] points to.
std::string FollowLink(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved)) return resolved;
  return path;
}

}  // namespace

// FileHandle -----------------------------------------------------------------

bool FileHandle::Open(const std::string& path, Mode mode) {
  Close();
  int flags = O_CLOEXEC;
  const char* stdio_mode = "rb";
  switch (mode) {
    case Mode::Read:
      flags |= O_RDONLY;
      stdio_mode = "rb";
      break;
    case Mode::Write:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      stdio_mode = "wb";
      break;
    case Mode::Append:
      flags |= O_WRONLY | O_CREAT | O_APPEND;
      stdio_mode = "ab";
      break;
    case Mode::ReadWrite:
      flags |= O_RDWR;
      stdio_mode = "r+b";
      break;
    case Mode::WriteExisting:
      flags |= O_WRONLY;
      stdio_mode = "wb";  // fdopen never truncates
      break;
    case Mode::ReadWriteCreate:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      stdio_mode = "w+b";
      break;
  }
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return false;
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  file_ = ::fdopen(fd, stdio_mode);
  if (!file_) {
    ::close(fd);
    return false;
  }
  written_ = false;
  last_ = LastAccess::None;
  return true;
}

bool FileHandle::Close() {
  if (!file_) return true;
  bool ok = std::fflush(file_) == 0;
  if (written_) ok = ::fsync(::fileno(file_)) == 0 && ok;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

bool FileHandle::PrepareFor(LastAccess access) {
  if (!file_) return false;
  // C streams need a positioning call between a write and a read.
  if (last_ != LastAccess::None && last_ != access && std::fseek(file_, 0, SEEK_CUR) != 0)
    return false;
  last_ = access;
  return true;
}

int FileHandle::Get() {
  if (!PrepareFor(LastAccess::Read)) return -1;
  int c = std::getc(file_);
  return c == EOF ? -1 : c;
}

int FileHandle::Peek() {
  if (!PrepareFor(LastAccess::Read)) return -1;
  int c = std::getc(file_);
  if (c == EOF) {
    std::clearerr(file_);
    return -1;
  }
  std::ungetc(c, file_);
  return c;
}

bool FileHandle::Write(std::string_view bytes, bool flush) {
  if (!PrepareFor(LastAccess::Write)) return false;
  written_ = true;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    return false;
  return !flush || std::fflush(file_) == 0;
}

int64_t FileHandle::Size() {
  if (!file_ || std::fflush(file_) != 0) return -1;
  struct stat info;
  if (::fstat(::fileno(file_), &info) != 0) return -1;
  return int64_t(info.st_size);
}

int64_t FileHandle::Position() {
  if (!file_) return -1;
  return int64_t(::ftello(file_));
}

bool FileHandle::Seek(int64_t position) {
  if (!file_ || position < 0) return false;
  last_ = LastAccess::None;
  return ::fseeko(file_, off_t(position), SEEK_SET) == 0;
}

bool FileHandle::Truncate() {
  if (!file_ || std::fflush(file_) != 0) return false;
  if (::ftruncate(::fileno(file_), 0) != 0) return false;
  written_ = true;
  last_ = LastAccess::None;
  return ::fseeko(file_, 0, SEEK_SET) == 0;
}

// File-system operations ------------------------------------------------------

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsExecutableFile(const std::string& path) {
  return IsRegularFile(path) && ::access(path.c_str(), X_OK) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool CreateDirectories(const std::string& path) {
  if (IsDirectory(path)) return true;
  std::string partial;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    partial = path.substr(0, end);
    if (!partial.empty() && ::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return false;
    start = end + 1;
  }
  return IsDirectory(path);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace flag: check, then rename.
  struct stat info;
  if (::lstat(to.c_str(), &info) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyFileAtomically(const std::string& from, const std::string& to) {
  int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return false;
  struct stat info;
  bool ok = ::fstat(source, &info) == 0 && S_ISREG(info.st_mode) &&
            ReplaceThroughTemporary(FollowLink(to), {}, true, source, info.st_mode & 07777);
  ::close(source);
  return ok;
}

bool ReplaceFileContents(const std::string& link, std::string_view data, bool durable) {
  std::string path = FollowLink(link);
  struct stat info;
  mode_t mode = ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
  return ReplaceThroughTemporary(path, data, durable, -1, mode);
}

bool SyncFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  SyncDirectoryOf(path);
  return ok;
}

bool ReadFileIdentity(const std::string& path, FileIdentity& identity) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  identity.device = uint64_t(info.st_dev);
  identity.inode = uint64_t(info.st_ino);
  identity.size = int64_t(info.st_size);
  identity.modified_nanoseconds =
      int64_t(info.st_mtim.tv_sec) * 1000000000 + int64_t(info.st_mtim.tv_nsec);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  std::string read;
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    read.append(buffer, size_t(got));
  }
  ::close(fd);
  if (ok) contents = std::move(read);
  return ok;
}

}  // namespace vendrel::platform
