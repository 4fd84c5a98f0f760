#include "platform/exit_cleanup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace vendrel::platform {

namespace {

// The signal handler may only use async-signal-safe calls, so the directory
// is kept open and its path is kept in a fixed buffer; entries are listed
// with the getdents64 system call and removed with unlinkat.
char g_path[4096];
int g_directory_fd = -1;

// The fixed head of a getdents64 record; the name follows it.
struct LinuxDirent64 {
  uint64_t inode;
  int64_t offset;
  unsigned short record_length;
  unsigned char type;
};
constexpr size_t kDirentNameOffset = 19;

void RemoveTracked() {
  int fd = g_directory_fd;
  if (fd < 0) return;
  g_directory_fd = -1;
  alignas(8) char buffer[4096];
  for (;;) {
    ::lseek(fd, 0, SEEK_SET);
    long length = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
    if (length <= 0) break;
    bool removed_any = false;
    for (long offset = 0; offset < length;) {
      auto* entry = reinterpret_cast<LinuxDirent64*>(buffer + offset);
      const char* name = reinterpret_cast<const char*>(entry) + kDirentNameOffset;
      offset += entry->record_length;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      if (::unlinkat(fd, name, 0) == 0) removed_any = true;
    }
    if (!removed_any) break;  // what is left cannot be removed
  }
  ::close(fd);
  ::rmdir(g_path);
}

void OnFatalSignal(int signal_number) {
  RemoveTracked();
  // Die of the same signal so that the parent sees the true cause.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void InstallHandlersOnce() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(RemoveTracked);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE,
                            SIGILL, SIGABRT}) {
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace

void RemoveDirectoryAtExit(const std::string& path) {
  if (path.size() >= sizeof g_path) return;
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  InstallHandlersOnce();
  if (g_directory_fd >= 0) ::close(g_directory_fd);
  std::memcpy(g_path, path.c_str(), path.size() + 1);
  g_directory_fd = fd;
}

void RemoveTrackedDirectoryNow() { RemoveTracked(); }

}  // namespace vendrel::platform
