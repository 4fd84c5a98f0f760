// The executor: walks a compiled code tree directly, evaluating expression
// nodes and executing statement nodes, with the status codes by which exit,
// return, break, continue and errors travel up the tree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "code/tree.h"
#include "interpreter/value.h"
#include "interpreter/variables.h"

namespace vendrel::code {
class CCode;
}
namespace vendrel::runtime {
class CInstance;
}

namespace vendrel::interp {

// Status of every statement and expression routine.
inline constexpr int kStatusNormal = 0;
inline constexpr int kStatusError = -1;  // the message is pending
inline constexpr int kStatusExit = -2;   // exit or return
inline constexpr int kStatusBreak = -3;
inline constexpr int kStatusContinue = -4;

// Owner codes of variables and with.
inline constexpr int kOwnerSelf = -1;
inline constexpr int kOwnerOther = -2;
inline constexpr int kOwnerAll = -3;
inline constexpr int kOwnerNoone = -4;
inline constexpr int kOwnerGlobal = -5;
inline constexpr int kOwnerUnwritten = -6;
inline constexpr int kOwnerLocal = -7;

// One running piece of code.
struct ExecContext {
  runtime::CInstance* self = nullptr;
  runtime::CInstance* other = nullptr;
  // The var locals; null until the first assignment to one.
  CVariableList* locals = nullptr;
  const code::CCode* code = nullptr;
  int depth = 0;  // nesting of running code pieces, for the locals pool
};

// Runs [code] (compiled, of kind Program or Expression) for [self] and
// [other]; used by code::ExecuteCode once the instances are checked.
bool RunCompiledCode(runtime::CInstance* self, runtime::CInstance* other, code::CCode& code,
                     RValue& result);

int Evaluate(ExecContext& context, const code::RToken& node, RValue& destination);
int Execute(ExecContext& context, const code::RToken& node, RValue& result);

// Calls script [script_index] with [argc] arguments for [self] and [other],
// its result going into [destination]. The 16 global argument slots are
// saved around the call. On failure the pending error gets the prefix
// "In script NAME:" and [destination] holds "ERROR".
bool CallScript(int script_index, runtime::CInstance* self, runtime::CInstance* other,
                RValue& destination, RValue* args, int argc);

// Variable access by owner code (see kOwner...).
bool ReadVariable(ExecContext& context, int owner, int id, int index, RValue& out);
bool WriteVariable(ExecContext& context, int owner, int id, int index, const RValue& value);
bool GetInstanceVariable(runtime::CInstance* instance, int id, int index, RValue& out);
bool SetInstanceVariable(runtime::CInstance* instance, int id, int index, const RValue& value);

// Nested code pieces and script calls may use this much of the stack
// before they fail with a run-time error instead of overflowing it.
void SetStackBudget(size_t bytes);
size_t StackBudget();

}  // namespace vendrel::interp
