#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace vendrel::platform {

namespace {

bool WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= size_t(written);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  std::string temporary = path + ".tmp-XXXXXX";
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data, size) && ::fsync(fd) == 0;
  // mkstemp makes the file 0600; give it the usual permissions.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ok = ::fchmod(fd, 0666 & ~mask) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

bool AppendToFile(const std::string& path, const std::string& text, bool truncate) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : O_APPEND);
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

bool FileExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PathExists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

std::string OwnExecutablePath() {
  char buffer[4096];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, size_t(length));
}

bool DirectoryExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace vendrel::platform
