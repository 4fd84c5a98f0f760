// vrun: plays a game file.
#include <cstdio>
#include <string>
#include <vector>

#include "runner/options.h"
#include "runner/runner.h"

int main(int argc, char** argv) {
  using namespace vendrel::runner;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  CommandLine command_line = ParseCommandLine(arguments);
  if (!command_line.error.empty()) {
    std::fprintf(stderr, "vrun: %s\n\n%s", command_line.error.c_str(), UsageText());
    return kExitUsage;
  }
  if (command_line.options.help) {
    std::fputs(UsageText(), stdout);
    return kExitOk;
  }
  if (command_line.options.version) {
    std::puts("vrun (Vendrel) " VENDREL_VERSION);
    return kExitOk;
  }
  return RunGame(command_line.options);
}
