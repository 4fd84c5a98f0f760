// Reads arbitrary bytes as the container of a game file.
#include <cstdint>
#include <vector>

#include "runner/container.h"

using namespace vendrel::runner;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> file;
  file.assign(kContainerOffset, 0);
  file.insert(file.end(), data, data + size);
  CStream stream(std::move(file));
  ContainerReadResult read = ReadContainer(stream);
  if (read.problem == ContainerProblem::None) {
    for (const ContainerFile& extension : read.container.extension_files)
      if (!IsPlainFileName(extension.name)) __builtin_trap();
  }
  file = std::move(stream.MutableBytes());
  return 0;
}
