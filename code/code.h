// CCode: one piece of game code, compiled once and executed many times.
#pragma once

#include <string>

namespace vendrel::code {

class CCode {
 public:
  // TODO(compiler): fields and passes.
  std::string source;
};

}  // namespace vendrel::code
