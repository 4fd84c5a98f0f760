// A script: named game code, called like a function.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runner/stream.h"

namespace vendrel::code {
class CCode;
}

namespace vendrel::resources {

class CScript {
 public:
  static constexpr int32_t kRecordVersion = 400;
  // The text block is scrambled as a whole with this seed.
  static constexpr int32_t kTextSeed = 70814;

  CScript();
  ~CScript();
  std::string source;
  // Compiled at start-up; none until then.
  std::unique_ptr<code::CCode> code;

  // Reads a script record: the version, then a compressed block holding
  // the scrambled source string. False for another version.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
