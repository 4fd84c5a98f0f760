// The code tree: the parser's output, checked and folded by the fourth
// compiler pass and walked directly by the executor.
#pragma once

#include <cstdint>
#include <vector>

#include "interpreter/value.h"

namespace vendrel::code {

namespace node {
inline constexpr int32_t kEmptyProgram = -2;
inline constexpr int32_t kEmptyStatement = -1;  // also the kind of a new node
inline constexpr int32_t kValue = 5;
inline constexpr int32_t kCall = 6;            // children: the arguments
inline constexpr int32_t kVariable = 7;        // [0] owner, [1] index, [2] index
inline constexpr int32_t kFixedVariable = 8;   // as 7; the owner is in `owner`
inline constexpr int32_t kUnary = 1010;        // [0] operand
inline constexpr int32_t kBinary = 1011;       // [0] left, [1] right
inline constexpr int32_t kAssignment = 101;    // [0] target, [1] value
inline constexpr int32_t kBlock = 1000;        // the statements
inline constexpr int32_t kIf = 13;             // [0] condition, [1] then, [2] else
inline constexpr int32_t kWhile = 16;          // [0] condition, [1] body
inline constexpr int32_t kDo = 17;             // [0] body, [1] condition
inline constexpr int32_t kFor = 18;            // [0] init, [1] condition, [2] step, [3] body
inline constexpr int32_t kRepeat = 20;         // [0] count, [1] body
inline constexpr int32_t kWith = 24;           // [0] instances, [1] body
inline constexpr int32_t kSwitch = 26;         // [0] value, then the body's statements
inline constexpr int32_t kCase = 27;           // [0] label
inline constexpr int32_t kDefault = 28;
inline constexpr int32_t kReturn = 25;         // [0] value
inline constexpr int32_t kExit = 21;
inline constexpr int32_t kBreak = 22;
inline constexpr int32_t kContinue = 23;
inline constexpr int32_t kVar = 29;            // one value node per declared id
}  // namespace node

// The owner expression of a variable written without one.
inline constexpr double kNoOwner = -6.0;

// One node of the code tree. A node owns its children.
struct RToken {
  int32_t kind = node::kEmptyStatement;
  // Call: function index; variable: variable id; unary and binary: operator
  // code; assignment: assignment operator code; var children: declared id.
  int32_t id = 0;
  // Kind 8 only: the fixed owner code of the variable.
  int32_t owner = 0;
  interp::RValue value;  // kind 5 only
  std::vector<RToken> children;
  // Source position for error messages.
  int32_t position = 0;
  // Executor cache, not part of the tree's meaning: where a variable of this
  // node was last found in a variable list, tried first on the next access.
  mutable int32_t slot_hint = 0;

  RToken() = default;
  RToken(int32_t node_kind, int32_t node_position) : kind(node_kind), position(node_position) {}

  int32_t count() const { return int32_t(children.size()); }
};

}  // namespace vendrel::code
