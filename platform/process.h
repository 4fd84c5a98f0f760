// Starting programs and opening documents for game code, and the process
// environment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vendrel::platform {

// Splits a Windows command line into its arguments by the rules Windows
// programs use: blanks separate, double quotes group, backslashes escape a
// quote (2n backslashes and a quote give n backslashes and toggle quoting,
// 2n + 1 give n backslashes and a literal quote), and "" inside quotes is a
// literal quote.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// The executable file named [name] in the directories of $PATH, or "".
std::string FindOnPath(const std::string& name);

// Starts the program file [path] with [arguments] (after the program name)
// in [working_directory]. Returns false when it cannot be started. With
// [wait], returns once it has ended, calling [while_waiting] (when given)
// every 50 ms meanwhile. Programs started without waiting are reaped later,
// so they leave no zombie processes.
bool StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                  const std::string& working_directory, bool wait, void (*while_waiting)());

// Opens a document, folder or address with the desktop's opener (xdg-open).
// Headless runs open nothing and report success, as their dialogs answer
// with the default button.
bool OpenDocument(const std::string& target, const std::string& working_directory);

// The environment variable [name]; when no variable has exactly that name,
// one whose name differs only in case (Windows names ignore case). "" when
// none.
std::string EnvironmentVariable(std::string_view name);

}  // namespace vendrel::platform
