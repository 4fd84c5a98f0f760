// Test helpers for the compiler and the executor: compile and run small
// sources through CCode, a tiny instance world for with and owners, and a
// readable dump of code trees.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "code/code.h"
#include "code/compiler.h"
#include "code/constants.h"
#include "code/errors.h"
#include "code/function_registry.h"
#include "code/scripts.h"
#include "code/variable_names.h"
#include "interpreter/builtin_variables.h"
#include "interpreter/variables.h"
#include "resources/game_resources.h"
#include "runtime/instance.h"

namespace vendrel::testing {

// The outcome of compiling and running a piece of code.
struct Outcome {
  bool compiled = false;
  bool ran = false;
  interp::RValue value;
  std::string error;  // the full error text, empty on success

  // The message after "position N: ", the last part of the error text.
  std::string Message() const {
    size_t at = error.rfind("position ");
    if (at == std::string::npos) return error;
    size_t colon = error.find(": ", at);
    return colon == std::string::npos ? error : error.substr(colon + 2);
  }
  // The column of the error ("position N").
  int Column() const {
    size_t at = error.rfind("position ");
    return at == std::string::npos ? -1 : std::stoi(error.substr(at + 9));
  }
  bool IsReal(double expected) const { return value.IsReal() && value.real == expected; }
  bool IsString(const std::string& expected) const {
    return value.IsString() && value.str == expected;
  }
};

// A room of instances reachable through the interpreter's instance hooks.
class TestWorld {
 public:
  static TestWorld& Get() {
    static TestWorld world;
    return world;
  }

  void Install() {
    runtime::InstanceAccess& access = runtime::Instances();
    access.active_count = [] { return int(Get().instances_.size()); };
    access.active_at = [](int i) {
      auto& list = Get().instances_;
      return i >= 0 && i < int(list.size()) ? list[size_t(i)].get() : nullptr;
    };
    access.family_count = [](int object) { return int(Get().Family(object).size()); };
    access.family_at = [](int object, int i) {
      std::vector<runtime::CInstance*> family = Get().Family(object);
      return i >= 0 && i < int(family.size()) ? family[size_t(i)] : nullptr;
    };
    access.find = [](int id) -> runtime::CInstance* {
      for (auto& instance : Get().instances_)
        if (instance->id == id) return instance.get();
      return nullptr;
    };
  }

  void Clear() {
    instances_.clear();
    next_id_ = runtime::kFirstInstanceId + 1;
  }

  runtime::CInstance* Add(int object_index) {
    instances_.push_back(std::make_unique<runtime::CInstance>(next_id_++, object_index));
    return instances_.back().get();
  }

  int Count() const { return int(instances_.size()); }

 private:
  std::vector<runtime::CInstance*> Family(int object) const {
    std::vector<runtime::CInstance*> family;
    for (const auto& instance : instances_)
      if (instance->object_index == object) family.push_back(instance.get());
    return family;
  }

  std::vector<std::unique_ptr<runtime::CInstance>> instances_;
  int next_id_ = runtime::kFirstInstanceId + 1;
};

namespace detail {

inline void SumHandler(runtime::CInstance*, runtime::CInstance*, int, interp::RValue& result,
                       interp::RValue* args) {
  result.SetReal(args[0].real + args[1].real);
}
inline void CountHandler(runtime::CInstance*, runtime::CInstance*, int argc,
                         interp::RValue& result, interp::RValue*) {
  result.SetReal(argc);
}
inline void ConcatHandler(runtime::CInstance*, runtime::CInstance*, int argc,
                          interp::RValue& result, interp::RValue* args) {
  std::string text;
  for (int i = 0; i < argc; ++i)
    text += args[i].IsString() ? args[i].str : std::to_string(int(args[i].real));
  result.SetString(text);
}
inline void NoResultHandler(runtime::CInstance*, runtime::CInstance*, int, interp::RValue&,
                            interp::RValue*) {}
// Reports a run-time error the way built-in functions do.
inline void ComplainHandler(runtime::CInstance*, runtime::CInstance*, int, interp::RValue&,
                            interp::RValue*) {
  code::ShowRunError("Trying to do the impossible.", false);
}

// A writable instance built-in (stored per instance here) and a read-only one.
inline std::vector<std::pair<runtime::CInstance*, double>>& SpeedStore() {
  static std::vector<std::pair<runtime::CInstance*, double>> store;
  return store;
}
inline bool GetSpeed(runtime::CInstance* instance, int, interp::RValue& out) {
  for (auto& [owner, value] : SpeedStore())
    if (owner == instance) {
      out.SetReal(value);
      return true;
    }
  out.SetReal(0.0);
  return true;
}
inline bool SetSpeed(runtime::CInstance* instance, int, const interp::RValue& value) {
  for (auto& [owner, stored] : SpeedStore())
    if (owner == instance) {
      stored = value.real;
      return true;
    }
  SpeedStore().emplace_back(instance, value.real);
  return true;
}
inline bool GetId(runtime::CInstance* instance, int, interp::RValue& out) {
  out.SetReal(instance->id);
  return true;
}

}  // namespace detail

// Built-in functions and variables the tests rely on, registered once.
inline void RegisterTestBuiltins() {
  static bool done = false;
  if (done) return;
  done = true;
  static const code::FunctionTableRow kRows[] = {
      {"test_sum", 2, detail::SumHandler},
      {"test_count", code::kAnyArgCount, detail::CountHandler},
      {"test_concat", code::kAnyArgCount, detail::ConcatHandler},
      {"test_nothing", 0, detail::NoResultHandler},
      {"test_complain", 0, detail::ComplainHandler},
  };
  code::RegisterFamily(kRows);
  interp::RegisterBuiltinVariable("speed", detail::GetSpeed, detail::SetSpeed);
  interp::RegisterBuiltinVariable("id", detail::GetId, nullptr);
  interp::RegisterBuiltinVariable("argument", interp::GetArgumentArray,
                                  interp::SetArgumentArray);
  for (int i = 0; i < interp::kArgumentSlots; ++i)
    interp::RegisterBuiltinVariable("argument" + std::to_string(i), interp::kArgumentGetters[i],
                                    interp::kArgumentSetters[i]);
  interp::RegisterBuiltinVariable("error_occurred", interp::GetErrorOccurred,
                                  interp::SetErrorOccurred);
  interp::RegisterBuiltinVariable("error_last", interp::GetErrorLast, interp::SetErrorLast);
}

// Resets global state between tests: errors (dialogs and log off), globals,
// scripts, instances, user constants, settings.
inline void ResetState() {
  RegisterTestBuiltins();
  code::Errors() = code::ErrorState();
  code::ErrorSettings() = code::ErrorOptions{false, false, false};
  code::ErrorContext() = code::RunErrorContext();
  code::ErrorCallbacks() = code::ErrorHooks();
  interp::GlobalVariables().Clear();
  interp::VariableSettings() = interp::VariableOptions();
  for (int i = 0; i < interp::kArgumentSlots; ++i) interp::ArgumentSlots()[i].SetReal(0.0);
  interp::SetArgumentSlotsInUse(0);
  resources::Resources().scripts.Reset();
  code::RemoveUserConstants();
  TestWorld::Get().Clear();
  TestWorld::Get().Install();
}

// Leaves the shared state as a program starts with it, for the tests of
// other units in the same test program.
inline void RestoreDefaults() {
  code::Errors() = code::ErrorState();
  code::ErrorSettings() = code::ErrorOptions();
  code::ErrorContext() = code::RunErrorContext();
  code::ErrorCallbacks() = code::ErrorHooks();
  interp::GlobalVariables().Clear();
  interp::VariableSettings() = interp::VariableOptions();
  resources::Resources().scripts.Reset();
  code::RemoveUserConstants();
  TestWorld::Get().Clear();
  runtime::Instances() = runtime::InstanceAccess();
}

// A fixture that starts each test from a clean state and restores the
// defaults afterwards.
class CodeTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetState(); }
  void TearDown() override { RestoreDefaults(); }
};

// Adds a script (not compiled yet; call code::CompileScripts()).
inline int AddScript(const std::string& name, const std::string& source) {
  auto script = std::make_unique<resources::CScript>();
  script->source = source;
  return resources::Resources().scripts.Add(std::move(script), name);
}

// Compiles [source] and runs it for [self] (a fresh instance when null).
inline Outcome Run(const std::string& source, runtime::CInstance* self = nullptr,
                   bool expression = false) {
  Outcome outcome;
  code::CCode code(source, expression);
  outcome.compiled = code.Compile();
  if (!outcome.compiled) {
    outcome.error = code::Errors().text;
    code::Errors().pending = false;
    return outcome;
  }
  runtime::CInstance* instance = self != nullptr ? self : TestWorld::Get().Add(0);
  outcome.ran = code::ExecuteCode(instance, instance, code, outcome.value);
  if (!outcome.ran) {
    outcome.error = code::Errors().text;
    code::Errors().pending = false;
  }
  return outcome;
}

inline Outcome Eval(const std::string& source) { return Run(source, nullptr, true); }

// Compiles only; returns the error text, or "" on success.
inline std::string CompileError(const std::string& source, bool expression = false) {
  code::CCode code(source, expression);
  if (code.Compile()) return "";
  std::string text = code::Errors().text;
  code::Errors().pending = false;
  return text;
}

// A compact, readable form of a code tree: values as 3 or 'text', fixed
// variables as name@owner, other variables as (var name owner index...),
// operators and statements as (op children...), blocks as {...}.
inline std::string DumpTree(const code::RToken& node) {
  namespace n = code::node;
  auto number = [](double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return std::string(buffer);
  };
  auto op_text = [](int op) -> std::string {
    switch (op) {
      case 101: return "=";   case 102: return "+=";  case 103: return "-=";
      case 104: return "*=";  case 105: return "/=";  case 114: return "|=";
      case 115: return "&=";  case 116: return "^=";  case 201: return "&&";
      case 202: return "||";  case 203: return "!";   case 204: return "<";
      case 205: return "<=";  case 206: return "==";  case 207: return "!=";
      case 208: return ">=";  case 209: return ">";   case 210: return "+";
      case 211: return "-";   case 212: return "*";   case 213: return "/";
      case 214: return "div"; case 215: return "mod"; case 216: return "^^";
      case 217: return "|";   case 218: return "&";   case 219: return "^";
      case 220: return "~";   case 221: return "<<";  case 222: return ">>";
      default: return "op" + std::to_string(op);
    }
  };
  auto children = [&](const std::string& head) {
    std::string text = "(" + head;
    for (const code::RToken& child : node.children) text += " " + DumpTree(child);
    return text + ")";
  };
  switch (node.kind) {
    case n::kValue:
      return node.value.IsString() ? "'" + node.value.str + "'" : number(node.value.real);
    case n::kFixedVariable:
      return code::VariableName(node.id) + "@" + std::to_string(node.owner);
    case n::kVariable:
      return children("var " + code::VariableName(node.id));
    case n::kCall:
      return children("call" + std::to_string(node.id));
    case n::kUnary:
    case n::kBinary:
    case n::kAssignment:
      return children(op_text(node.id));
    case n::kBlock: {
      std::string text = "{";
      for (size_t i = 0; i < node.children.size(); ++i)
        text += (i ? " " : "") + DumpTree(node.children[i]);
      return text + "}";
    }
    case n::kEmptyProgram: return "<empty program>";
    case n::kEmptyStatement: return "<empty>";
    case n::kIf: return children("if");
    case n::kWhile: return children("while");
    case n::kDo: return children("do");
    case n::kFor: return children("for");
    case n::kRepeat: return children("repeat");
    case n::kWith: return children("with");
    case n::kSwitch: return children("switch");
    case n::kCase: return children("case");
    case n::kDefault: return "default";
    case n::kReturn: return children("return");
    case n::kExit: return "exit";
    case n::kBreak: return "break";
    case n::kContinue: return "continue";
    case n::kVar: {
      std::string text = "(var";
      for (const code::RToken& child : node.children) text += " " + code::VariableName(child.id);
      return text + ")";
    }
    default: return "?" + std::to_string(node.kind);
  }
}

// The tree of a compiled program or expression.
inline std::string TreeOf(const std::string& source, bool expression = false) {
  code::CCode code(source, expression);
  if (!code.Compile()) {
    std::string text = "error: " + code::Errors().text;
    code::Errors().pending = false;
    return text;
  }
  if (code.kind == code::CodeKind::Constant) return DumpTree(code.root);
  return DumpTree(code.root);
}

}  // namespace vendrel::testing
