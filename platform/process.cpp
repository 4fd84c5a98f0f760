#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/file_system.h"
#include "platform/message_box.h"

extern char** environ;

namespace vendrel::platform {

namespace {

// Children started without waiting; reaped whenever another starts.
std::vector<pid_t> g_children;

void ReapFinishedChildren() {
  for (size_t i = 0; i < g_children.size();) {
    int status = 0;
    pid_t done = ::waitpid(g_children[i], &status, WNOHANG);
    if (done == g_children[i] || (done < 0 && errno == ECHILD)) {
      g_children[i] = g_children.back();
      g_children.pop_back();
    } else {
      ++i;
    }
  }
}

bool Spawn(const std::string& path, const std::vector<std::string>& arguments,
           const std::string& working_directory, pid_t& pid) {
  std::vector<std::string> argv_strings;
  argv_strings.push_back(path);
  argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : argv_strings) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (::posix_spawn_file_actions_init(&actions) != 0) return false;
  bool ok = working_directory.empty() ||
            ::posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str()) == 0;
  // posix_spawn reports a program that cannot be executed as an error.
  ok = ok && ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  ::posix_spawn_file_actions_destroy(&actions);
  return ok;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  for (;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < line.size()) {
      char c = line[i];
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\') {
        size_t backslashes = 0;
        while (i < line.size() && line[i] == '\\') {
          ++backslashes;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          argument.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            argument.push_back('"');
            ++i;
          }
        } else {
          argument.append(backslashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument.push_back('"');
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      argument.push_back(c);
      ++i;
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string FindOnPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return "";
  const char* path = std::getenv("PATH");
  std::string_view directories = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= directories.size()) {
    size_t end = directories.find(':', start);
    if (end == std::string_view::npos) end = directories.size();
    // An empty entry means the current directory.
    std::string candidate(end > start ? directories.substr(start, end - start) : ".");
    candidate += '/';
    candidate += name;
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return "";
}

bool StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                  const std::string& working_directory, bool wait, void (*while_waiting)()) {
  ReapFinishedChildren();
  pid_t pid = 0;
  if (!Spawn(path, arguments, working_directory, pid)) return false;
  if (!wait) {
    g_children.push_back(pid);
    return true;
  }
  for (;;) {
    int status = 0;
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) break;
    if (while_waiting) while_waiting();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

bool OpenDocument(const std::string& target, const std::string& working_directory) {
  if (IsHeadless()) return true;
  std::string opener = FindOnPath("xdg-open");
  if (opener.empty()) return false;
  return StartProgram(opener, {target}, working_directory, false, nullptr);
}

std::string EnvironmentVariable(std::string_view name) {
  std::string exact(name);
  if (exact.empty() || exact.find('=') != std::string::npos) return "";
  if (const char* value = std::getenv(exact.c_str())) return value;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text = *entry;
    size_t equals = text.find('=');
    if (equals != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < equals && same; ++i) {
      unsigned char a = static_cast<unsigned char>(text[i]);
      unsigned char b = static_cast<unsigned char>(name[i]);
      same = (a >= 'A' && a <= 'Z' ? a + 32 : a) == (b >= 'A' && b <= 'Z' ? b + 32 : b);
    }
    if (same) return std::string(text.substr(equals + 1));
  }
  return "";
}

}  // namespace vendrel::platform
