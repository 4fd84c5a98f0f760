// CAction: one action of an event's action list, either a call of a
// built-in action function or a piece of code, with up to eight arguments.
// The reader keeps everything the record carries; preparing and running
// actions is the interpreter's work.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "interpreter/value.h"
#include "runner/stream.h"

namespace vendrel::code {
class CCode;
}

namespace vendrel::resources {

// Action kinds.
enum ActionKind : int32_t {
  kActionNormal = 0,
  kActionBeginBlock = 1,
  kActionEndBlock = 2,
  kActionElse = 3,
  kActionExit = 4,
  kActionRepeat = 5,
  kActionVariable = 6,
  kActionCode = 7,
};

// Execution types.
enum ActionExecution : int32_t {
  kExecuteNothing = 0,
  kExecuteFunction = 1,
  kExecuteCode = 2,
};

class CAction {
 public:
  static constexpr int32_t kRecordVersion = 440;
  static constexpr int kMaxArguments = 8;

  CAction();
  ~CAction();
  CAction(CAction&&) noexcept;
  CAction& operator=(CAction&&) noexcept;

  // The stored version word. A record of another version holds nothing else
  // and leaves the action empty; it is kept so that it can be written back.
  int32_t record_version = kRecordVersion;
  // Stored with the action; nothing in the runner reads them.
  int32_t first_id = 0;
  int32_t second_id = 0;
  int32_t kind = kActionNormal;
  bool may_be_relative = false;
  bool is_question = false;
  bool applies_to_settable = false;
  int32_t execution_type = kExecuteNothing;
  // The built-in function's name as stored, and its registry index once
  // resolved (-1: none or not found).
  std::string function_name;
  int function = -1;
  // The action's own code (execution type 2).
  std::string code;
  int32_t argument_count = 0;
  // How many argument kinds and texts the record stores (0 to 8); the
  // entries beyond keep their defaults.
  int32_t kind_count = 0;
  int32_t text_count = 0;
  std::array<int32_t, kMaxArguments> argument_kinds{};
  // -1 self, -2 other, 0 or more: every instance of that object.
  int32_t applies_to = -1;
  bool relative = false;
  std::array<std::string, kMaxArguments> argument_texts;
  bool not_flag = false;

  // Filled when the action is prepared at start-up.
  std::unique_ptr<code::CCode> compiled;
  std::array<interp::RValue, kMaxArguments> argument_values;
  std::array<std::unique_ptr<code::CCode>, kMaxArguments> argument_codes;

  // Reads an action record. A record of another version leaves the action
  // empty and counts as read (the format goes on with the next bytes);
  // false only for data no valid game holds: more than 8 argument kinds or
  // texts. Truncated data throws StreamError.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;

  // A code action as the editor stores it: kind 7, run as code, with the
  // code as its one argument.
  static CAction MakeCodeAction(std::string code_text);
};

}  // namespace vendrel::resources
