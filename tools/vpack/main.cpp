// vpack: packs a project folder into a game file, or unpacks one.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/vpack/vpack.h"

namespace {

const char* kUsage =
    "Usage: vpack build PROJECT -o GAME    pack a project folder into a game file\n"
    "       vpack unpack GAME -o PROJECT   unpack a game file into a project folder\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 5 || std::string(argv[3]) != "-o") {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string command = argv[1];
  try {
    if (command == "build") {
      vendrel::vpack::BuildGameFile(argv[2], argv[4]);
    } else if (command == "unpack") {
      vendrel::vpack::UnpackGameFile(argv[2], argv[4]);
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vpack: %s\n", error.what());
    return 1;
  }
  return 0;
}
