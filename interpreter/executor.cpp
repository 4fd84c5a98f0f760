#include "interpreter/executor.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "code/code.h"
#include "code/errors.h"
#include "code/function_registry.h"
#include "code/tokens.h"
#include "code/variable_names.h"
#include "interpreter/builtin_variables.h"
#include "interpreter/operators.h"
#include "resources/game_resources.h"
#include "runtime/instance.h"

namespace vendrel::interp {

using code::RToken;
namespace node = code::node;
namespace token = code::token;
using runtime::CInstance;

namespace {

constexpr int kMaxCallArguments = 16;
constexpr int kFirstUserId = code::kFirstUserVariableId;
// Errors deep inside recursion name at most this many calling scripts.
constexpr int kMaxScriptPrefixes = 64;

// Run-time state shared by all running code --------------------------------

struct Machine {
  // Stack addresses, for the recursion limit.
  uintptr_t stack_base = 0;
  size_t stack_budget = size_t(4) << 20;
  int code_depth = 0;    // running code pieces
  int script_depth = 0;  // running scripts
  // The locals lists of running code pieces, by depth, reused.
  std::vector<std::unique_ptr<CVariableList>> locals_pool;
  // Argument arrays of calls being evaluated, by call nesting.
  std::vector<std::unique_ptr<RValue[]>> argument_frames;
  int call_depth = 0;
  // Argument slots saved around script calls.
  std::vector<RValue> saved_arguments;
  size_t saved_top = 0;
};

Machine g_machine;

inline Machine& M() { return g_machine; }

inline uintptr_t StackAddress() { return uintptr_t(__builtin_frame_address(0)); }

bool StackExhausted() {
  const Machine& machine = M();
  const uintptr_t here = StackAddress();
  return machine.stack_base > here && machine.stack_base - here > machine.stack_budget;
}

const char kStackMessage[] = "Stack overflow: too many nested script calls.";

// Exchanges two values; reals (whose strings are empty) swap no strings.
inline void SwapValues(RValue& a, RValue& b) {
  std::swap(a.kind, b.kind);
  std::swap(a.real, b.real);
  if (!a.str.empty() || !b.str.empty()) a.str.swap(b.str);
}

// Copies [source] into [destination] without touching the string of a real.
inline void Assign(RValue& destination, const RValue& source) {
  if (source.IsReal()) {
    destination.SetReal(source.real);
  } else {
    destination.kind = ValueKind::String;
    destination.str = source.str;
  }
}

int Fail(const ExecContext& context, int position, std::string_view message) {
  code::ReportError(*context.code, position, message);
  return kStatusError;
}

std::string UnknownVariableMessage(int id, int index) {
  std::string message = "Unknown variable " + code::VariableName(id);
  if (index != 0) message += " or array index out of bounds";
  return message;
}

// Variable storage ----------------------------------------------------------

CVariableList& LocalsForWrite(ExecContext& context) {
  if (context.locals == nullptr) {
    Machine& machine = M();
    auto& pool = machine.locals_pool;
    if (pool.size() <= size_t(context.depth)) pool.resize(size_t(context.depth) + 1);
    auto& list = pool[size_t(context.depth)];
    if (!list) list = std::make_unique<CVariableList>();
    list->Clear();
    context.locals = list.get();
  }
  return *context.locals;
}

// The element of a stored variable, or null. [hint] speeds up the search.
inline const RValue* FindInList(CVariableList& list, int id, int index, int32_t& hint) {
  const RVariable* variable = list.Find(id, hint);
  return variable != nullptr ? ElementOf(*variable, index) : nullptr;
}

inline bool ReadList(CVariableList* list, int id, int index, RValue& out, int32_t& hint) {
  if (list != nullptr) {
    if (const RValue* element = FindInList(*list, id, index, hint)) {
      Assign(out, *element);
      return true;
    }
  }
  if (VariableSettings().uninitialized_is_zero) {
    out.SetReal(0.0);
    return true;
  }
  return false;
}

// Reads from one instance: built-in ids through their getter, the others
// from its variable list.
inline bool ReadInstance(CInstance* instance, int id, int index, RValue& out, int32_t& hint) {
  if (id < kFirstUserId) return GetBuiltin(id, instance, index, out);
  return ReadList(&instance->variables, id, index, out, hint);
}

inline void WriteList(CVariableList& list, int id, int index, const RValue& value,
                      int32_t& hint) {
  Assign(ElementForWrite(list.FindOrAdd(id, hint), index), value);
}

inline bool WriteInstance(CInstance* instance, int id, int index, const RValue& value,
                          int32_t& hint) {
  if (id < kFirstUserId) return SetBuiltin(id, instance, index, value);
  WriteList(instance->variables, id, index, value, hint);
  return true;
}

// The instance an owner code designates for reading, or null.
CInstance* ReadTarget(const ExecContext& context, int owner) {
  switch (owner) {
    case kOwnerSelf:
    case kOwnerUnwritten:
      return context.self;
    case kOwnerOther:
      return context.other;
    case kOwnerAll:
      return runtime::FirstLiveInstance();
    default:
      if (owner >= runtime::kFirstInstanceId) return runtime::FindLiveInstance(owner);
      if (owner >= 0) return runtime::FirstLiveFamilyInstance(owner);
      return nullptr;
  }
}

bool ReadVariableHinted(ExecContext& context, int owner, int id, int index, RValue& out,
                        int32_t& hint) {
  switch (owner) {
    case kOwnerLocal:
      if (context.locals == nullptr) return false;
      return ReadList(context.locals, id, index, out, hint);
    case kOwnerNoone:
      return false;
    case kOwnerGlobal:
      return ReadList(&GlobalVariables(), id, index, out, hint);
    default: {
      CInstance* instance = ReadTarget(context, owner);
      return instance != nullptr && ReadInstance(instance, id, index, out, hint);
    }
  }
}

bool WriteVariableHinted(ExecContext& context, int owner, int id, int index, const RValue& value,
                         int32_t& hint) {
  switch (owner) {
    case kOwnerLocal:
      WriteList(LocalsForWrite(context), id, index, value, hint);
      return true;
    case kOwnerNoone:
      return false;
    case kOwnerSelf:
    case kOwnerUnwritten:
      return WriteInstance(context.self, id, index, value, hint);
    case kOwnerGlobal:
      WriteList(GlobalVariables(), id, index, value, hint);
      return true;
    case kOwnerOther:
      return WriteInstance(context.other, id, index, value, hint);
    case kOwnerAll: {
      bool result = true;
      const int count = runtime::ActiveInstanceCount();
      for (int i = 0; i < count; ++i) {
        CInstance* instance = runtime::ActiveInstanceAt(i);
        if (instance != nullptr && !instance->destroyed)
          result = WriteInstance(instance, id, index, value, hint);
      }
      return result;
    }
    default:
      if (owner >= runtime::kFirstInstanceId) {
        CInstance* instance = runtime::FindLiveInstance(owner);
        return instance == nullptr || WriteInstance(instance, id, index, value, hint);
      }
      if (owner >= 0) {
        bool result = true;
        const int count = runtime::FamilyInstanceCount(owner);
        for (int i = 0; i < count; ++i) {
          CInstance* instance = runtime::FamilyInstanceAt(owner, i);
          if (instance != nullptr && !instance->destroyed)
            result = WriteInstance(instance, id, index, value, hint);
        }
        return result;
      }
      return false;
  }
}

// Where a variable node points: owner, id and combined index.
struct Target {
  int owner = kOwnerUnwritten;
  int index = 0;
};

inline const RValue* DirectOperand(const ExecContext& context, const RToken& node);

int EvaluateIndex(ExecContext& context, const RToken& child, int64_t& out) {
  const RValue* direct = DirectOperand(context, child);
  double index = 0.0;
  if (direct != nullptr && direct->IsReal()) {
    index = direct->real;
  } else {
    RValue value;
    if (Evaluate(context, child, value) != kStatusNormal) return kStatusError;
    if (!value.IsReal()) return Fail(context, child.position, "Wrong type of array index");
    index = value.real;
  }
  out = RoundHalfEven(index);
  if (out < 0) return Fail(context, child.position, "Negative array index");
  if (out >= kArrayLimit) return Fail(context, child.position, "Array index >= 32000");
  return kStatusNormal;
}

// Evaluates the owner and indices of a variable node.
int ResolveTarget(ExecContext& context, const RToken& variable, Target& target) {
  if (variable.kind == node::kFixedVariable) {
    target.owner = variable.owner;
    target.index = 0;
    return kStatusNormal;
  }
  const RToken& owner_node = variable.children[0];
  if (owner_node.kind == node::kValue && owner_node.value.IsReal()) {
    target.owner = int(std::clamp<int64_t>(RoundHalfEven(owner_node.value.real), INT32_MIN,
                                           INT32_MAX));
  } else {
    RValue owner;
    if (Evaluate(context, owner_node, owner) != kStatusNormal) return kStatusError;
    if (!owner.IsReal())
      return Fail(context, owner_node.position, "Wrong type of variable index");
    target.owner = int(std::clamp<int64_t>(RoundHalfEven(owner.real), INT32_MIN, INT32_MAX));
  }
  target.index = 0;
  const int count = variable.count();
  if (count > 1) {
    int64_t first = 0;
    if (EvaluateIndex(context, variable.children[1], first) != kStatusNormal)
      return kStatusError;
    int64_t index = first;
    if (count > 2) {
      int64_t second = 0;
      if (EvaluateIndex(context, variable.children[2], second) != kStatusNormal)
        return kStatusError;
      index = first * kArrayLimit + second;
    }
    target.index = int(index);
  }
  return kStatusNormal;
}

// Expressions ---------------------------------------------------------------

// The list a fixed-owner variable of a user id lives in, for the common
// owners; null for the others (and for locals not created yet).
inline CVariableList* FixedList(const ExecContext& context, int owner) {
  switch (owner) {
    case kOwnerLocal:
      return context.locals;
    case kOwnerSelf:
    case kOwnerUnwritten:
      return &context.self->variables;
    case kOwnerGlobal:
      return &GlobalVariables();
    case kOwnerOther:
      return &context.other->variables;
    default:
      return nullptr;
  }
}

// Reads a fixed-owner variable of the common owners without copying: the
// stored value, or null when the general path must run.
inline const RValue* PeekFixed(const ExecContext& context, const RToken& variable) {
  if (variable.id < kFirstUserId) {
    // Built-in variables that keep their value in one place (the argument
    // slots) are read there; global and local owners mean the lists.
    if (variable.owner == kOwnerSelf || variable.owner == kOwnerUnwritten ||
        variable.owner == kOwnerOther)
      return BuiltinStorage(variable.id);
  }
  CVariableList* list = FixedList(context, variable.owner);
  if (list == nullptr) return nullptr;
  const RVariable* found = list->Find(variable.id, variable.slot_hint);
  return found != nullptr ? &found->value : nullptr;
}

int ReadVariableNode(ExecContext& context, const RToken& variable, RValue& destination) {
  Target target;
  if (ResolveTarget(context, variable, target) != kStatusNormal) return kStatusError;
  if (ReadVariableHinted(context, target.owner, variable.id, target.index, destination,
                         variable.slot_hint))
    return kStatusNormal;
  if (VariableSettings().uninitialized_is_zero) {
    destination.SetReal(0.0);
    return kStatusNormal;
  }
  return Fail(context, variable.position, UnknownVariableMessage(variable.id, target.index));
}

// The value of [node] without evaluation when it is a constant or a stored
// variable, else null. Valid only until the next evaluation.
inline const RValue* DirectOperand(const ExecContext& context, const RToken& node) {
  if (node.kind == node::kValue) return &node.value;
  if (node.kind == node::kFixedVariable) return PeekFixed(context, node);
  return nullptr;
}

// Arithmetic and comparison of two reals, the common case; false for an
// operator (or a zero divisor) that needs the general routine.
inline bool RealBinary(int op, double left, double right, double& result) {
  switch (op) {
    case token::kPlus:
      result = left + right;
      return true;
    case token::kMinus:
      result = left - right;
      return true;
    case token::kTimes:
      result = left * right;
      return true;
    case token::kSlash:
      if (right == 0.0) return false;
      result = left / right;
      return true;
    case token::kDiv:
      if (right == 0.0) return false;
      result = double(TruncatedQuotient(left, right));
      return true;
    case token::kMod:
      if (right == 0.0) return false;
      result = left - double(TruncatedQuotient(left, right)) * right;
      return true;
    case token::kLess:
      result = (left - right) < 0.0 ? 1.0 : 0.0;
      return true;
    case token::kLessEqual:
      result = (left - right) <= 0.0 ? 1.0 : 0.0;
      return true;
    case token::kGreater:
      result = (left - right) > 0.0 ? 1.0 : 0.0;
      return true;
    case token::kGreaterEqual:
      result = (left - right) >= 0.0 ? 1.0 : 0.0;
      return true;
    case token::kAssign:
    case token::kEqual:
      result = (left - right) == 0.0 ? 1.0 : 0.0;
      return true;
    case token::kNotEqual:
      result = (left - right) != 0.0 ? 1.0 : 0.0;
      return true;
    case token::kAnd:
      result = left >= 0.5 && right >= 0.5 ? 1.0 : 0.0;
      return true;
    case token::kOr:
      result = left >= 0.5 || right >= 0.5 ? 1.0 : 0.0;
      return true;
    default:
      return false;
  }
}

// destination = destination op right, reals first.
inline int Combine(ExecContext& context, const RToken& binary, const RValue& right,
                   RValue& destination) {
  double result;
  if (destination.IsReal() && right.IsReal() &&
      RealBinary(binary.id, destination.real, right.real, result)) {
    destination.real = result;
    return kStatusNormal;
  }
  const RToken& right_node = binary.children[1];
  if (!ApplyBinary(*context.code, right_node.position, binary.id, right, destination))
    return kStatusError;
  return kStatusNormal;
}

int EvaluateBinary(ExecContext& context, const RToken& binary, RValue& destination) {
  const RToken& left_node = binary.children[0];
  const RToken& right_node = binary.children[1];
  const RValue* left = DirectOperand(context, left_node);
  const RValue* right = DirectOperand(context, right_node);
  if (left != nullptr && right != nullptr) {
    double result;
    if (left->IsReal() && right->IsReal() &&
        RealBinary(binary.id, left->real, right->real, result)) {
      destination.SetReal(result);
      return kStatusNormal;
    }
    Assign(destination, *left);
    return Combine(context, binary, *right, destination);
  }
  if (left != nullptr) {
    Assign(destination, *left);
  } else if (Evaluate(context, left_node, destination) != kStatusNormal) {
    return kStatusError;
  }
  // The right operand is looked up only now: evaluating the left one may
  // have moved stored values.
  right = DirectOperand(context, right_node);
  if (right != nullptr) return Combine(context, binary, *right, destination);
  RValue scratch;
  if (Evaluate(context, right_node, scratch) != kStatusNormal) return kStatusError;
  return Combine(context, binary, scratch, destination);
}

// The argument array of the call being evaluated at the current nesting.
class ArgumentFrame {
 public:
  ArgumentFrame() {
    Machine& machine = M();
    if (machine.argument_frames.size() <= size_t(machine.call_depth))
      machine.argument_frames.push_back(std::make_unique<RValue[]>(kMaxCallArguments));
    values_ = machine.argument_frames[size_t(machine.call_depth)].get();
    ++machine.call_depth;
  }
  ~ArgumentFrame() { --M().call_depth; }
  ArgumentFrame(const ArgumentFrame&) = delete;
  ArgumentFrame& operator=(const ArgumentFrame&) = delete;
  RValue* values() const { return values_; }

 private:
  RValue* values_;
};

int EvaluateCall(ExecContext& context, const RToken& call, RValue& destination) {
  ArgumentFrame frame;
  RValue* args = frame.values();
  const int argc = call.count();
  for (int i = 0; i < argc; ++i) {
    if (Evaluate(context, call.children[size_t(i)], args[i]) != kStatusNormal)
      return kStatusError;
  }
  if (call.id < code::kScriptFunctionBase) {
    const code::FunctionHandler handler = code::BuiltinFunctionAt(call.id).handler;
    destination.SetReal(0.0);
    if (handler != nullptr) handler(context.self, context.other, argc, destination, args);
    return kStatusNormal;
  }
  if (StackExhausted()) return Fail(context, call.position, kStackMessage);
  const int script = call.id - code::kScriptFunctionBase;
  if (!CallScript(script, context.self, context.other, destination, args, argc)) {
    // A script that vanished reports nothing of its own.
    if (!code::Errors().pending)
      return Fail(context, call.position, "Internal Error: Executing non-compiled code.");
    return kStatusError;
  }
  return kStatusNormal;
}

}  // namespace

int Evaluate(ExecContext& context, const RToken& node, RValue& destination) {
  switch (node.kind) {
    case node::kValue:
      Assign(destination, node.value);
      return kStatusNormal;
    case node::kFixedVariable:
      if (const RValue* stored = PeekFixed(context, node)) {
        Assign(destination, *stored);
        return kStatusNormal;
      }
      return ReadVariableNode(context, node, destination);
    case node::kVariable:
      return ReadVariableNode(context, node, destination);
    case node::kBinary:
      return EvaluateBinary(context, node, destination);
    case node::kUnary: {
      const RToken& operand = node.children[0];
      if (Evaluate(context, operand, destination) != kStatusNormal) return kStatusError;
      if (node.id == token::kMinus && destination.IsReal()) {
        destination.real = -destination.real;
        return kStatusNormal;
      }
      if (!ApplyUnary(*context.code, operand.position, node.id, destination)) return kStatusError;
      return kStatusNormal;
    }
    case node::kCall:
      // An expression's destination is a fresh temporary: a script that
      // leaves its result slot untouched gives real 0, not whatever a
      // reused slot held.
      if (node.id >= code::kScriptFunctionBase) destination.SetReal(0.0);
      return EvaluateCall(context, node, destination);
    default:
      return Fail(context, node.position, "(Sub-)expression expected.");
  }
}

// Statements ------------------------------------------------------------------

namespace {

int CompoundOperator(int assignment) {
  switch (assignment) {
    case token::kAddAssign:
      return token::kPlus;
    case token::kSubAssign:
      return token::kMinus;
    case token::kMulAssign:
      return token::kTimes;
    case token::kDivAssign:
      return token::kSlash;
    case token::kOrAssign:
      return token::kBitOr;
    case token::kAndAssign:
      return token::kBitAnd;
    default:
      return token::kBitXor;
  }
}

// Assignment to a fixed-owner user variable of self, other, global or the
// locals: the variable is found once and changed in place. False when the
// general path must run (other owners, a missing variable for a compound
// operator).
bool FastAssignment(ExecContext& context, const RToken& assignment, RValue& result,
                    int& status) {
  const RToken& variable = assignment.children[0];
  if (variable.kind != node::kFixedVariable || variable.id < kFirstUserId) return false;
  const int owner = variable.owner;
  if (FixedList(context, owner) == nullptr && owner != kOwnerLocal) return false;
  if (assignment.id == token::kAssign) {
    // The result slot receives the value, then the variable a copy. It
    // starts as real 0 like any fresh temporary: a script that returns
    // nothing gives 0.
    result.SetReal(0.0);
    status = Evaluate(context, assignment.children[1], result);
    if (status != kStatusNormal) return true;
    CVariableList& list = owner == kOwnerLocal ? LocalsForWrite(context)
                                               : *FixedList(context, owner);
    Assign(list.FindOrAdd(variable.id, variable.slot_hint).value, result);
    return true;
  }
  RValue value;
  status = Evaluate(context, assignment.children[1], value);
  if (status != kStatusNormal) return true;
  CVariableList* list = FixedList(context, owner);
  RVariable* stored = list != nullptr ? list->Find(variable.id, variable.slot_hint) : nullptr;
  if (stored == nullptr) {
    // A missing variable: the general path reports it or starts from 0.
    status = kStatusNormal;
    if (!VariableSettings().uninitialized_is_zero) {
      status = Fail(context, assignment.position, UnknownVariableMessage(variable.id, 0));
      return true;
    }
    result.SetReal(0.0);
    if (!ApplyBinary(*context.code, assignment.position, CompoundOperator(assignment.id), value,
                     result)) {
      status = kStatusError;
      return true;
    }
    CVariableList& target = owner == kOwnerLocal ? LocalsForWrite(context) : *list;
    Assign(target.FindOrAdd(variable.id, variable.slot_hint).value, result);
    return true;
  }
  RValue& current = stored->value;
  const int op = CompoundOperator(assignment.id);
  double combined;
  if (current.IsReal() && value.IsReal() && RealBinary(op, current.real, value.real, combined)) {
    current.real = combined;
    result.SetReal(combined);
    status = kStatusNormal;
    return true;
  }
  // A failing operator leaves the variable untouched.
  if (!ApplyBinary(*context.code, assignment.position, op, value, current)) {
    status = kStatusError;
    return true;
  }
  Assign(result, current);
  status = kStatusNormal;
  return true;
}

int ExecuteAssignment(ExecContext& context, const RToken& assignment, RValue& result) {
  int status = kStatusNormal;
  if (FastAssignment(context, assignment, result, status)) return status;
  const RToken& variable = assignment.children[0];
  Target target;
  if (ResolveTarget(context, variable, target) != kStatusNormal) return kStatusError;
  const int op = assignment.id;
  if (op == token::kAssign) {
    result.SetReal(0.0);
    if (Evaluate(context, assignment.children[1], result) != kStatusNormal) return kStatusError;
    // Array elements of self, global or the locals: straight into the list.
    if (variable.id >= kFirstUserId &&
        (target.owner == kOwnerUnwritten || target.owner == kOwnerSelf ||
         target.owner == kOwnerGlobal || target.owner == kOwnerLocal)) {
      CVariableList& list = target.owner == kOwnerLocal    ? LocalsForWrite(context)
                            : target.owner == kOwnerGlobal ? GlobalVariables()
                                                           : context.self->variables;
      Assign(ElementForWrite(list.FindOrAdd(variable.id, variable.slot_hint), target.index),
             result);
      return kStatusNormal;
    }
    if (!WriteVariableHinted(context, target.owner, variable.id, target.index, result,
                             variable.slot_hint))
      return Fail(context, assignment.position, "Cannot assign to the variable");
    return kStatusNormal;
  }
  RValue value;
  if (Evaluate(context, assignment.children[1], value) != kStatusNormal) return kStatusError;
  if (!ReadVariableHinted(context, target.owner, variable.id, target.index, result,
                          variable.slot_hint)) {
    if (!VariableSettings().uninitialized_is_zero)
      return Fail(context, assignment.position,
                  UnknownVariableMessage(variable.id, target.index));
    result.SetReal(0.0);
  }
  const int binary = CompoundOperator(op);
  double combined;
  if (result.IsReal() && value.IsReal() &&
      RealBinary(binary, result.real, value.real, combined)) {
    result.real = combined;
  } else if (!ApplyBinary(*context.code, assignment.position, binary, value, result)) {
    return kStatusError;
  }
  if (!WriteVariableHinted(context, target.owner, variable.id, target.index, result,
                           variable.slot_hint))
    return Fail(context, assignment.position, "Cannot assign to the variable");
  return kStatusNormal;
}

// Evaluates a loop or if condition into [value]; a string is an error.
inline int Condition(ExecContext& context, const RToken& node, RValue& value,
                     const char* message) {
  if (Evaluate(context, node, value) != kStatusNormal) return kStatusError;
  if (!value.IsReal()) return Fail(context, node.position, message);
  return kStatusNormal;
}

int ExecuteWhile(ExecContext& context, const RToken& loop, RValue& result) {
  const RToken& condition = loop.children[0];
  const RToken& body = loop.children[1];
  RValue value;
  for (;;) {
    if (Condition(context, condition, value, "Boolean expression expected") != kStatusNormal)
      return kStatusError;
    if (value.real < 0.5) return kStatusNormal;
    const int status = Execute(context, body, result);
    if (status == kStatusNormal || status == kStatusContinue) continue;
    return status == kStatusBreak ? kStatusNormal : status;
  }
}

int ExecuteDo(ExecContext& context, const RToken& loop, RValue& result) {
  const RToken& body = loop.children[0];
  const RToken& condition = loop.children[1];
  RValue value;
  for (;;) {
    const int status = Execute(context, body, result);
    if (status == kStatusBreak) return kStatusNormal;
    if (status != kStatusNormal && status != kStatusContinue) return status;
    if (Condition(context, condition, value, "Boolean expression expected") != kStatusNormal)
      return kStatusError;
    if (value.real >= 0.5) return kStatusNormal;
  }
}

int ExecuteFor(ExecContext& context, const RToken& loop, RValue& result) {
  RValue scratch;
  int status = Execute(context, loop.children[0], scratch);
  if (status != kStatusNormal) return status;
  const RToken& condition = loop.children[1];
  const RToken& step = loop.children[2];
  const RToken& body = loop.children[3];
  RValue value;
  for (;;) {
    if (Condition(context, condition, value, "Expression expected") != kStatusNormal)
      return kStatusError;
    if (value.real < 0.5) return kStatusNormal;
    status = Execute(context, body, result);
    if (status == kStatusNormal || status == kStatusContinue) {
      status = Execute(context, step, scratch);
      if (status != kStatusNormal) return status;
      continue;
    }
    return status == kStatusBreak ? kStatusNormal : status;
  }
}

int ExecuteRepeat(ExecContext& context, const RToken& loop, RValue& result) {
  RValue count;
  if (Condition(context, loop.children[0], count, "Repeat count must be a number") !=
      kStatusNormal)
    return kStatusError;
  const int64_t times = RoundHalfEven(count.real);
  const RToken& body = loop.children[1];
  for (int64_t i = 0; i < times; ++i) {
    const int status = Execute(context, body, result);
    if (status == kStatusNormal || status == kStatusContinue) continue;
    if (status == kStatusBreak) break;
    return status;
  }
  return kStatusNormal;
}

// Runs the body of a with statement for [instance]; false when the with
// statement must stop with [status].
bool WithBody(ExecContext& context, CInstance* instance, const RToken& body, RValue& result,
              int& status) {
  CInstance* saved_self = context.self;
  CInstance* saved_other = context.other;
  context.other = context.self;
  context.self = instance;
  status = Execute(context, body, result);
  context.self = saved_self;
  context.other = saved_other;
  if (status == kStatusNormal || status == kStatusContinue) {
    status = kStatusNormal;
    return true;
  }
  if (status == kStatusBreak) status = kStatusNormal;
  return false;
}

int ExecuteWith(ExecContext& context, const RToken& with, RValue& result) {
  const RToken& which = with.children[0];
  const RToken& body = with.children[1];
  RValue value;
  if (Evaluate(context, which, value) != kStatusNormal) return kStatusError;
  if (!value.IsReal()) return Fail(context, which.position, "Object id expected");
  const int64_t target = RoundHalfEven(value.real);
  int status = kStatusNormal;
  switch (target) {
    case kOwnerLocal:
      return Fail(context, with.position, "Cannot use local in with statement.");
    case kOwnerGlobal:
      return Fail(context, with.position, "Cannot use global in with statement.");
    case kOwnerNoone:
      return kStatusNormal;
    case kOwnerAll: {
      const int count = runtime::ActiveInstanceCount();
      for (int i = 0; i < count; ++i) {
        CInstance* instance = runtime::ActiveInstanceAt(i);
        if (instance == nullptr || instance->destroyed) continue;
        if (!WithBody(context, instance, body, result, status)) return status;
      }
      return kStatusNormal;
    }
    case kOwnerOther:
      WithBody(context, context.other, body, result, status);
      return status;
    case kOwnerSelf:
    case kOwnerUnwritten:
      WithBody(context, context.self, body, result, status);
      return status;
    default:
      break;
  }
  if (target >= runtime::kFirstInstanceId) {
    if (target > INT32_MAX) return kStatusNormal;
    CInstance* instance = runtime::FindLiveInstance(int(target));
    if (instance != nullptr) WithBody(context, instance, body, result, status);
    return status;
  }
  if (target < 0) return kStatusNormal;
  const int object = int(target);
  const int count = runtime::FamilyInstanceCount(object);
  for (int i = 0; i < count; ++i) {
    CInstance* instance = runtime::FamilyInstanceAt(object, i);
    if (instance == nullptr || instance->destroyed) continue;
    if (!WithBody(context, instance, body, result, status)) return status;
  }
  return kStatusNormal;
}

bool SameValue(const RValue& a, const RValue& b) {
  if (a.kind != b.kind) return false;
  return a.IsReal() ? a.real == b.real : a.str == b.str;
}

int ExecuteSwitch(ExecContext& context, const RToken& statement, RValue& result) {
  RValue value;
  if (Evaluate(context, statement.children[0], value) != kStatusNormal) return kStatusError;
  const int count = statement.count();
  int chosen = -1;
  RValue label;
  for (int i = 1; i < count && chosen < 0; ++i) {
    const RToken& child = statement.children[size_t(i)];
    if (child.kind == node::kDefault) {
      chosen = i;
    } else if (child.kind == node::kCase) {
      if (Evaluate(context, child.children[0], label) != kStatusNormal) return kStatusError;
      if (SameValue(value, label)) chosen = i;
    }
  }
  if (chosen < 0) return kStatusNormal;
  for (int i = chosen + 1; i < count; ++i) {
    const RToken& child = statement.children[size_t(i)];
    if (child.kind == node::kCase || child.kind == node::kDefault) continue;
    const int status = Execute(context, child, result);
    if (status == kStatusBreak) return kStatusNormal;
    if (status != kStatusNormal) return status;
  }
  return kStatusNormal;
}

}  // namespace

int Execute(ExecContext& context, const RToken& statement, RValue& result) {
  switch (statement.kind) {
    case node::kAssignment:
      return ExecuteAssignment(context, statement, result);
    case node::kBlock:
      for (const RToken& child : statement.children) {
        const int status = Execute(context, child, result);
        if (status != kStatusNormal) return status;
      }
      return kStatusNormal;
    case node::kCall:
      return EvaluateCall(context, statement, result);
    case node::kIf: {
      RValue value;
      if (Condition(context, statement.children[0], value, "Expression expected") !=
          kStatusNormal)
        return kStatusError;
      if (value.real > 0.5) return Execute(context, statement.children[1], result);
      if (statement.count() > 2) return Execute(context, statement.children[2], result);
      return kStatusNormal;
    }
    case node::kWhile:
      return ExecuteWhile(context, statement, result);
    case node::kDo:
      return ExecuteDo(context, statement, result);
    case node::kFor:
      return ExecuteFor(context, statement, result);
    case node::kRepeat:
      return ExecuteRepeat(context, statement, result);
    case node::kWith:
      return ExecuteWith(context, statement, result);
    case node::kSwitch:
      return ExecuteSwitch(context, statement, result);
    case node::kReturn: {
      // The value goes straight into the result slot: a script call that
      // returns nothing leaves the slot as it was.
      const RToken& value = statement.children[0];
      const int status = value.kind == node::kCall ? EvaluateCall(context, value, result)
                                                   : Evaluate(context, value, result);
      return status != kStatusNormal ? kStatusError : kStatusExit;
    }
    case node::kExit:
      return kStatusExit;
    case node::kBreak:
      return kStatusBreak;
    case node::kContinue:
      return kStatusContinue;
    case node::kCase:
      return Fail(context, statement.position,
                  "Case statement only allowed inside switch statement.");
    case node::kDefault:
      return Fail(context, statement.position,
                  "Default statement only allowed inside switch statement.");
    case node::kVar:
      return kStatusNormal;
    default:
      return Fail(context, statement.position, "Statement expected.");
  }
}

// Variables by owner ----------------------------------------------------------

bool ReadVariable(ExecContext& context, int owner, int id, int index, RValue& out) {
  int32_t hint = -1;
  return ReadVariableHinted(context, owner, id, index, out, hint);
}

bool WriteVariable(ExecContext& context, int owner, int id, int index, const RValue& value) {
  int32_t hint = -1;
  return WriteVariableHinted(context, owner, id, index, value, hint);
}

bool GetInstanceVariable(CInstance* instance, int id, int index, RValue& out) {
  int32_t hint = -1;
  return ReadInstance(instance, id, index, out, hint);
}

bool SetInstanceVariable(CInstance* instance, int id, int index, const RValue& value) {
  int32_t hint = -1;
  return WriteInstance(instance, id, index, value, hint);
}

// Code pieces and scripts -------------------------------------------------------

bool RunCompiledCode(CInstance* self, CInstance* other, code::CCode& code, RValue& result) {
  Machine& machine = M();
  if (machine.code_depth == 0) machine.stack_base = StackAddress();
  if (StackExhausted()) {
    code::ReportError(code, 0, kStackMessage);
    return false;
  }
  ExecContext context;
  context.self = self;
  context.other = other;
  context.code = &code;
  context.depth = machine.code_depth;
  struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& value) : depth(value) { ++depth; }
    ~DepthGuard() { --depth; }
  } guard(machine.code_depth);

  int status = kStatusNormal;
  if (code.kind == code::CodeKind::Expression) {
    status = Evaluate(context, code.root, result);
  } else if (code.root.kind == node::kEmptyProgram) {
    status = kStatusNormal;
  } else if (code.root.kind == node::kBlock) {
    status = Execute(context, code.root, result);
  } else {
    status = Fail(context, code.root.position, "This is not a program.");
  }
  return status != kStatusError;
}

bool CallScript(int script_index, CInstance* self, CInstance* other, RValue& destination,
                RValue* args, int argc) {
  resources::CScript* script = resources::Resources().scripts.Get(script_index);
  if (script == nullptr || script->code == nullptr) return false;
  Machine& machine = M();
  RValue* slots = ArgumentSlots();
  argc = std::clamp(argc, 0, kArgumentSlots);

  // Save the slots in use (the rest are known to be real 0) by moving them
  // aside, then fill in the arguments.
  const int saved_count = ArgumentSlotsInUse();
  const size_t saved_base = machine.saved_top;
  if (machine.saved_arguments.size() < saved_base + size_t(saved_count))
    machine.saved_arguments.resize(saved_base + size_t(saved_count) + 64);
  for (int i = 0; i < saved_count; ++i)
    SwapValues(machine.saved_arguments[saved_base + size_t(i)], slots[i]);
  machine.saved_top = saved_base + size_t(saved_count);
  // The argument array is scratch: its values move into the slots.
  for (int i = 0; i < argc; ++i) SwapValues(slots[i], args[i]);
  for (int i = argc; i < saved_count; ++i) slots[i].SetReal(0.0);
  SetArgumentSlotsInUse(argc);

  // EvaluateCode, without its layers: scripts are programs.
  code::CCode& script_code = *script->code;
  code::Errors().pending = false;
  bool ok = false;
  if (!script_code.compiled) {
    code::ReportError(script_code, 0, "Internal Error: Executing non-compiled code.");
  } else if (self == nullptr || other == nullptr) {
    code::ReportError(script_code, 0, "Internal Error: Executing code for nil instance.");
  } else {
    ++machine.script_depth;
    ok = RunCompiledCode(self, other, script_code, destination);
    --machine.script_depth;
  }
  if (!ok) destination.SetString("ERROR");
  if (!ok && machine.script_depth < kMaxScriptPrefixes) {
    code::ErrorState& errors = code::Errors();
    errors.text = "In script " + resources::Resources().scripts.Name(script_index) + ":\r" +
                  errors.text;
  }

  // Restore the caller's slots; those the script filled beyond them go
  // back to real 0.
  const int used = ArgumentSlotsInUse();
  for (int i = 0; i < saved_count; ++i)
    SwapValues(slots[i], machine.saved_arguments[saved_base + size_t(i)]);
  for (int i = saved_count; i < used; ++i) slots[i].SetReal(0.0);
  SetArgumentSlotsInUse(saved_count);
  machine.saved_top = saved_base;
  return ok;
}

void SetStackBudget(size_t bytes) { M().stack_budget = bytes; }
size_t StackBudget() { return M().stack_budget; }

}  // namespace vendrel::interp
