// CCode: one piece of game code (a program or an expression), compiled once
// through the four passes and executed any number of times for a pair of
// instances.
#pragma once

#include <cstdint>
#include <string>

#include "code/tree.h"
#include "interpreter/value.h"

namespace vendrel::runtime {
class CInstance;
}

namespace vendrel::code {

enum class CodeKind : int32_t {
  Program = 1,     // scripts, code actions, creation code
  Expression = 2,  // action arguments, constant values
  Constant = 3,    // an expression that compiled to a single value
};

class CCode {
 public:
  explicit CCode(std::string code_source = {}, bool expression = false);

  // Runs the four passes. Fails (error pending, see code/errors.h) on the
  // first error and when the code has been compiled before.
  bool Compile();

  CodeKind kind = CodeKind::Program;
  bool compiled = false;
  std::string source;
  RToken root;
  interp::RValue constant;  // kind Constant: the value
};

// Runs compiled [code] for [self] with [other], the result going into
// [result]. On failure the error stays pending (Errors().text).
bool ExecuteCode(runtime::CInstance* self, runtime::CInstance* other, CCode& code,
                 interp::RValue& result);
// ExecuteCode; a failure is shown as a non-fatal run-time error and the
// pending error is cleared.
bool RunCode(runtime::CInstance* self, runtime::CInstance* other, CCode& code,
             interp::RValue& result);
// ExecuteCode; on failure [result] becomes the string "ERROR" and the error
// stays pending, not shown.
bool EvaluateCode(runtime::CInstance* self, runtime::CInstance* other, CCode& code,
                  interp::RValue& result);

}  // namespace vendrel::code
