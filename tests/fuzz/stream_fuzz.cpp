// Reads arbitrary bytes with every stream reader, in an order the input
// chooses, and unscrambles with a seed the input chooses. Damaged input
// must end in StreamError, never in a fault.
#include <cstdint>
#include <cstring>

#include "runner/stream.h"

using vendrel::runner::CStream;
using vendrel::runner::StreamError;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  int32_t seed;
  std::memcpy(&seed, data, 4);
  CStream stream(std::vector<uint8_t>(data + 4, data + size));
  try {
    stream.Unscramble(seed, 1, 0);
    stream.Unscramble(seed, 1, 0);
  } catch (const StreamError&) {
  }
  stream.Seek(0);
  try {
    while (stream.Remaining() > 0) {
      uint8_t operation;
      stream.ReadBytes(&operation, 1);
      switch (operation % 6) {
        case 0: stream.ReadInteger(); break;
        case 1: stream.ReadReal(); break;
        case 2: stream.ReadString(); break;
        case 3: stream.ReadCompressed(); break;
        case 4: stream.ReadImage(); break;
        case 5: stream.ReadBitmap(); break;
      }
    }
  } catch (const StreamError&) {
  }
  return 0;
}
