// Functions that run game code given at run time: a text compiled on the
// spot (execute_string), a file of code (execute_file) and a script chosen
// by number (script_execute). Compiled text is discarded after each call.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "code/code.h"
#include "code/errors.h"
#include "interpreter/executor.h"
#include "interpreter/function_families.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "resources/game_resources.h"

namespace vendrel::interp {

namespace {

constexpr char kCR = '\r';

// Compiles [text] as a program and runs it for [self] and [other]; the
// result is the code's return value. A compile error is shown, prefixed by
// [what], and the calling code goes on; run-time errors are shown by
// RunCode.
void CompileAndRun(runtime::CInstance* self, runtime::CInstance* other, const std::string& text,
                   std::string_view what, RValue& result) {
  code::CCode compiled(text, false);
  if (!compiled.Compile()) {
    code::ShowError(std::string(what) + kCR + code::Errors().text, false);
    code::Errors().pending = false;
    return;
  }
  RValue value;
  if (code::RunCode(self, other, compiled, value)) result = std::move(value);
}

// The lines of [bytes] (ended by CR LF, LF or CR), each followed by CR, so
// that the line numbers of error messages are the file's line numbers.
std::string JoinLines(const std::string& bytes) {
  std::string joined;
  joined.reserve(bytes.size() + 1);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    joined.append(bytes, start, end - start);
    joined.push_back(kCR);
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
        bytes[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  return joined;
}

VENDREL_BUILTIN(ExecuteString) {
  CompileAndRun(self, other, ArgString(args[0]), "COMPILATION ERROR in string to be executed",
                result);
}

VENDREL_BUILTIN(ExecuteFile) {
  const std::string host = platform::ResolveGamePath(ArgString(args[0]));
  std::ifstream file;
  if (platform::IsRegularFile(host)) file.open(host, std::ios::binary);
  if (!file.is_open()) {
    code::ShowRunError("Trying to execute non-existing file.", false);
    return;
  }
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  CompileAndRun(self, other, JoinLines(bytes), "COMPILATION ERROR in file to be executed", result);
}

// At most this many arguments follow the script.
constexpr int kMaxScriptArguments = 15;

VENDREL_BUILTIN(ScriptExecute) {
  if (argc < 1) {
    code::ShowRunError("Trying to execute non-existing script.", false);
    return;
  }
  const int64_t index = ArgInt(args[0]);
  auto& scripts = resources::Resources().scripts;
  if (index < 0 || index > INT32_MAX || !scripts.Exists(int(index))) {
    code::ShowRunError("Trying to execute non-existing script.", false);
    return;
  }
  const int count = std::min(argc - 1, kMaxScriptArguments);
  RValue value;
  if (CallScript(int(index), self, other, value, args + 1, count)) {
    result = std::move(value);
    return;
  }
  // The script's error is shown here, as running a piece of code would,
  // so that the calling code continues undisturbed; the result stays 0.
  code::ErrorState& errors = code::Errors();
  if (errors.pending) {
    code::ShowRunError(errors.text, false);
    errors.pending = false;
  }
}

}  // namespace

static const code::FunctionTableRow kCodeFunctions[] = {
    {"execute_string", 1, ExecuteString},
    {"execute_file", 1, ExecuteFile},
    {"script_execute", code::kAnyArgCount, ScriptExecute},
};

void RegisterCodeFunctions() { code::RegisterFamily(kCodeFunctions); }

}  // namespace vendrel::interp
