#include "code/code.h"

#include <utility>

#include "code/compiler.h"
#include "code/errors.h"
#include "interpreter/executor.h"

namespace vendrel::code {

CCode::CCode(std::string code_source, bool expression)
    : kind(expression ? CodeKind::Expression : CodeKind::Program),
      source(std::move(code_source)) {}

bool CCode::Compile() {
  if (compiled) {
    ReportError(*this, 0, "Internal Error: Recompiling compiled code.");
    return false;
  }
  RTokenList1 raw;
  if (!Tokenize(*this, raw)) return false;
  RTokenList2 resolved;
  if (!ResolveTokens(*this, raw, resolved)) return false;
  raw = {};
  RToken tree;
  const bool parsed = kind == CodeKind::Program ? ParseProgram(*this, resolved, tree)
                                                : ParseExpression(*this, resolved, tree);
  if (!parsed) return false;
  if (!CheckTree(*this, tree)) return false;
  root = std::move(tree);
  if (kind == CodeKind::Expression && root.kind == node::kValue) {
    constant = root.value;
    kind = CodeKind::Constant;
  }
  compiled = true;
  return true;
}

bool ExecuteCode(runtime::CInstance* self, runtime::CInstance* other, CCode& code,
                 interp::RValue& result) {
  Errors().pending = false;
  if (!code.compiled) {
    ReportError(code, 0, "Internal Error: Executing non-compiled code.");
    return false;
  }
  if (code.kind == CodeKind::Constant) {
    result = code.constant;
    return true;
  }
  if (self == nullptr || other == nullptr) {
    ReportError(code, 0, "Internal Error: Executing code for nil instance.");
    return false;
  }
  return interp::RunCompiledCode(self, other, code, result);
}

bool RunCode(runtime::CInstance* self, runtime::CInstance* other, CCode& code,
             interp::RValue& result) {
  if (ExecuteCode(self, other, code, result)) return true;
  ShowRunError(Errors().text, false);
  Errors().pending = false;
  return false;
}

bool EvaluateCode(runtime::CInstance* self, runtime::CInstance* other, CCode& code,
                  interp::RValue& result) {
  if (ExecuteCode(self, other, code, result)) return true;
  result.SetString("ERROR");
  return false;
}

}  // namespace vendrel::code
