// A script: named game code, called like a function.
#pragma once

#include <memory>
#include <string>

namespace vendrel::code {
class CCode;
}

namespace vendrel::resources {

class CScript {
 public:
  CScript();
  ~CScript();
  std::string source;
  // Compiled at start-up; none until then.
  std::unique_ptr<code::CCode> code;
};

}  // namespace vendrel::resources
