#include "interpreter/actions.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "code/code.h"
#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/builtin_variables.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"

namespace vendrel::interp {

namespace {

using resources::CAction;
using resources::CEvent;
using runtime::CInstance;

constexpr char kCR = '\r';
// Room for every argument a handler may read, whatever the action stores.
constexpr int kHandlerArguments = 16;

bool g_relative = false;

bool Pending() { return runtime::RoomChangePending(); }

// Fills [values] with the arguments of [action], evaluating those that are
// not fixed for [self] and [other].
void EvaluateArguments(CAction& action, CInstance* self, CInstance* other, RValue* values) {
  const int count = std::min<int>(action.argument_count, CAction::kMaxArguments);
  for (int i = 0; i < count; ++i) {
    code::CCode* argument = action.argument_codes[size_t(i)].get();
    if (argument == nullptr) {
      values[i] = action.argument_values[size_t(i)];
    } else {
      values[i] = RValue();
      code::RunCode(self, other, *argument, values[i]);
    }
  }
}

// Calls the action's function or runs its code for [self] and [other];
// [answer] receives the function's result or the code's value.
void PerformAction(CAction& action, CInstance* self, CInstance* other, RValue& answer) {
  answer = RValue();
  if (action.execution_type == resources::kExecuteFunction) {
    g_relative = action.may_be_relative && action.relative;
    RValue args[kHandlerArguments];
    EvaluateArguments(action, self, other, args);
    if (action.function < 0 || action.function >= code::BuiltinFunctionCount()) {
      // The game needs an action function this build does not provide;
      // running on as if it had worked would hide that.
      code::ShowRunError("Unknown action function " + action.function_name, false);
      return;
    }
    code::BuiltinFunctionAt(action.function)
        .handler(self, other, std::min<int>(action.argument_count, CAction::kMaxArguments), answer,
                 args);
  } else if (action.execution_type == resources::kExecuteCode) {
    if (action.compiled == nullptr) return;
    const int count = std::min<int>(action.argument_count, CAction::kMaxArguments);
    RValue* slots = ArgumentSlots();
    RValue saved[CAction::kMaxArguments];
    for (int i = 0; i < count; ++i) saved[i] = slots[i];
    const bool saved_relative = g_relative;
    g_relative = action.may_be_relative && action.relative;
    RValue values[CAction::kMaxArguments];
    EvaluateArguments(action, self, other, values);
    for (int i = 0; i < count; ++i) SetArgumentSlot(i, values[i]);
    code::RunCode(self, other, *action.compiled, answer);
    for (int i = 0; i < count; ++i) slots[i] = saved[i];
    g_relative = saved_relative;
  }
}

bool Ask(CAction& action, CInstance* self, CInstance* other) {
  if (action.execution_type == resources::kExecuteNothing) return false;
  RValue answer;
  PerformAction(action, self, other, answer);
  const bool yes = answer.IsReal() && answer.real >= 0.5;
  return action.not_flag ? !yes : yes;
}

// Whether [action] has been through PrepareAction: code and variable
// actions have become plain code actions, code is compiled, and every
// argument is fixed or compiled.
bool IsPrepared(const CAction& action) {
  if (action.kind == resources::kActionCode || action.kind == resources::kActionVariable)
    return false;
  if (action.execution_type == resources::kExecuteCode && action.compiled == nullptr &&
      !action.code.empty())
    return false;
  const int count = std::min<int>(action.argument_count, CAction::kMaxArguments);
  for (int i = 0; i < count; ++i)
    if (action.argument_kinds[size_t(i)] != -1 && action.argument_codes[size_t(i)] == nullptr)
      return false;
  return true;
}

bool IsObjectIndex(int applies_to) {
  return applies_to >= 0 && applies_to < resources::Resources().objects.Count();
}

// Runs one action list for a pair of instances.
class ActionRunner {
 public:
  ActionRunner(CEvent& list, CInstance* self, CInstance* other)
      : list_(list), self_(self), other_(other) {}

  void Run() {
    int index = 0;
    while (index < list_.Count()) index = RunAction(index);
  }

 private:
  bool Past(int index) const { return index < 0 || index >= list_.Count(); }
  CAction& At(int index) { return list_.actions[size_t(index)]; }
  void SetContext(int index) { code::ErrorContext().action_index = index; }

  int RunAction(int index) {
    if (Past(index) || Pending()) return kStopList;
    CAction& action = At(index);
    // Actions added while the game runs are prepared when they first run.
    if (!IsPrepared(action)) {
      SetContext(index);
      if (!PrepareAction(action)) return kStopList;
    }
    int next;
    if (action.kind == resources::kActionBeginBlock)
      next = RunBlock(index);
    else if (action.kind == resources::kActionRepeat)
      next = RunRepeat(index);
    else if (action.is_question)
      next = RunQuestion(index);
    else
      next = RunNormal(index);
    return Pending() ? kStopList : next;
  }

  int RunBlock(int index) {
    index += 1;
    while (!Past(index) && At(index).kind != resources::kActionEndBlock) index = RunAction(index);
    return index == kStopList ? kStopList : index + 1;
  }

  int SkipAction(int index) {
    if (Past(index)) return kStopList;
    CAction& action = At(index);
    if (action.kind == resources::kActionBeginBlock) {
      index += 1;
      while (!Past(index) && At(index).kind != resources::kActionEndBlock)
        index = SkipAction(index);
      return index == kStopList ? kStopList : index + 1;
    }
    if (action.is_question || action.kind == resources::kActionRepeat)
      return SkipAction(index + 1);
    return index + 1;
  }

  int RunNormal(int index) {
    if (Past(index) || Pending()) return kStopList;
    SetContext(index);
    CAction& action = At(index);
    if (action.kind == resources::kActionExit) return kStopList;
    RValue ignored;
    const int target = action.applies_to_settable ? action.applies_to : -1;
    if (target == -1) {
      PerformAction(action, self_, other_, ignored);
    } else if (target == -2) {
      PerformAction(action, other_, self_, ignored);
    } else if (IsObjectIndex(target)) {
      runtime::CRunRoom* room = runtime::CurrentRoom();
      for (int i = 0; room != nullptr && i < room->FamilyCount(target); ++i) {
        CInstance* instance = room->FamilyAt(target, i);
        if (instance == nullptr || instance->destroyed) continue;
        PerformAction(action, instance, other_, ignored);
        if (Pending()) return kStopList;
      }
    }
    return Pending() ? kStopList : index + 1;
  }

  int RunQuestion(int index) {
    if (Past(index) || Pending()) return kStopList;
    SetContext(index);
    CAction& action = At(index);
    const int target = action.applies_to_settable ? action.applies_to : -1;
    bool answer = true;
    if (target == -1) {
      answer = Ask(action, self_, other_);
    } else if (target == -2) {
      answer = Ask(action, other_, self_);
    } else if (IsObjectIndex(target)) {
      runtime::CRunRoom* room = runtime::CurrentRoom();
      for (int i = 0; room != nullptr && i < room->FamilyCount(target); ++i) {
        CInstance* instance = room->FamilyAt(target, i);
        if (instance == nullptr || instance->destroyed) continue;
        const bool yes = Ask(action, instance, other_);
        if (Pending()) return kStopList;
        if (!yes) {
          answer = false;
          break;
        }
      }
    }
    if (Pending()) return kStopList;
    int next = answer ? RunAction(index + 1) : SkipAction(index + 1);
    if (!Past(next) && At(next).kind == resources::kActionElse)
      next = answer ? SkipAction(next + 1) : RunAction(next + 1);
    return Pending() ? kStopList : next;
  }

  int RunRepeat(int index) {
    if (Past(index) || Pending()) return kStopList;
    SetContext(index);
    CAction& action = At(index);
    RValue count_value = action.argument_values[0];
    if (code::CCode* argument = action.argument_codes[0].get()) {
      count_value = RValue();
      code::RunCode(self_, other_, *argument, count_value);
    }
    if (Pending()) return kStopList;
    const int64_t count = count_value.IsReal() ? RoundHalfEven(count_value.real) : 0;
    for (int64_t i = 0; i < count; ++i) {
      if (RunAction(index + 1) == kStopList || Pending()) return kStopList;
    }
    return SkipAction(index + 1);
  }

  CEvent& list_;
  CInstance* self_;
  CInstance* other_;
};

// Compiles [source] into [code] as a program or an expression; on failure
// shows [what] with the compiler's message as a fatal error.
bool CompileOrReport(std::unique_ptr<code::CCode>& code, const std::string& source,
                     bool expression, const std::string& what) {
  code = std::make_unique<code::CCode>(source, expression);
  if (code->Compile()) return true;
  code::ShowRunError(what + kCR + code::Errors().text, true);
  code::Errors().pending = false;
  code.reset();
  return false;
}

// The lists being run, innermost last.
std::vector<const CEvent*>& RunningLists() {
  static std::vector<const CEvent*> lists;
  return lists;
}

std::vector<std::function<void()>>& IdleWork() {
  static std::vector<std::function<void()>> work;
  return work;
}

void RunIdleWork() {
  // Work may queue more work; each batch is taken out before it runs.
  while (!IdleWork().empty()) {
    std::vector<std::function<void()>> batch;
    batch.swap(IdleWork());
    for (std::function<void()>& work : batch) work();
  }
}

bool PrepareList(CEvent& list) {
  for (int i = 0; i < list.Count(); ++i) {
    code::ErrorContext().action_index = i;
    if (!PrepareAction(list.actions[size_t(i)])) return false;
  }
  return true;
}

}  // namespace

bool ActionRelative() { return g_relative; }
void SetActionRelative(bool relative) { g_relative = relative; }

void RunActionList(CEvent& list, CInstance* self, CInstance* other) {
  RunningLists().push_back(&list);
  struct Finish {
    ~Finish() {
      std::vector<const CEvent*>& running = RunningLists();
      running.pop_back();
      if (running.empty()) RunIdleWork();
    }
  } finish;
  ActionRunner(list, self, other).Run();
}

bool ActionListRunning(const CEvent& list) {
  for (const CEvent* running : RunningLists())
    if (running == &list) return true;
  return false;
}

void WhenActionListsIdle(std::function<void()> work) {
  if (RunningLists().empty()) {
    work();
    return;
  }
  IdleWork().push_back(std::move(work));
}

bool PrepareAction(CAction& action) {
  if (IsPrepared(action)) return true;
  if (action.kind == resources::kActionVariable || action.kind == resources::kActionCode) {
    if (action.kind == resources::kActionVariable)
      action.code = action.argument_texts[0] + (action.relative ? " += " : " = ") +
                    action.argument_texts[1];
    else
      action.code = action.argument_texts[0];
    action.kind = resources::kActionNormal;
    action.execution_type = resources::kExecuteCode;
    action.argument_count = 0;
  }
  if (action.execution_type == resources::kExecuteCode &&
      !CompileOrReport(action.compiled, action.code, false, "COMPILATION ERROR in code action"))
    return false;
  const int count = std::min<int>(std::max<int>(action.argument_count, 0), CAction::kMaxArguments);
  for (int i = 0; i < count; ++i) {
    int32_t& kind = action.argument_kinds[size_t(i)];
    const std::string& text = action.argument_texts[size_t(i)];
    if (kind == 2) kind = !text.empty() && (text[0] == '\'' || text[0] == '"') ? 0 : 1;
    if (kind == 1 || kind == 15) {
      action.argument_values[size_t(i)] = RValue(text);
      kind = -1;
      continue;
    }
    std::unique_ptr<code::CCode>& argument = action.argument_codes[size_t(i)];
    if (!CompileOrReport(argument, text, true,
                         "COMPILATION ERROR in argument " + std::to_string(i)))
      return false;
    if (argument->kind == code::CodeKind::Constant) {
      action.argument_values[size_t(i)] = argument->constant;
      argument.reset();
      kind = -1;
    }
  }
  // The texts have served their purpose.
  for (std::string& text : action.argument_texts) std::string().swap(text);
  std::string().swap(action.code);
  return true;
}

bool PrepareTimeLineActions() {
  auto& time_lines = resources::Resources().time_lines;
  code::RunErrorContext& context = code::ErrorContext();
  for (int t = 0; t < time_lines.Count(); ++t) {
    resources::CTimeLine* line = time_lines.Get(t);
    if (line == nullptr) continue;
    for (resources::RMoment& moment : line->moments) {
      context.object_index = t;
      context.event_type = code::kTimeLineEvent;
      context.event_number = moment.step;
      if (!PrepareList(moment.event)) return false;
    }
  }
  return true;
}

bool PrepareObjectActions() {
  auto& objects = resources::Resources().objects;
  code::RunErrorContext& context = code::ErrorContext();
  for (int k = 0; k < objects.Count(); ++k) {
    resources::CObject* object = objects.Get(k);
    if (object == nullptr) continue;
    for (int type = 0; type < resources::kEventTypeCount; ++type) {
      for (auto& [number, event] : object->events[size_t(type)]) {
        context.object_index = k;
        context.event_type = type;
        context.event_number = number;
        if (!PrepareList(event)) return false;
      }
    }
  }
  return true;
}

void RunLibraryCode() {
  for (const std::string& text : resources::Resources().library_code) {
    if (text.empty()) continue;
    code::CCode library(text, false);
    if (!library.Compile()) {
      code::ShowError(std::string("COMPILATION ERROR in library initialization code") + kCR +
                          code::Errors().text,
                      true);
      code::Errors().pending = false;
      continue;
    }
    CInstance temporary(0, 0, 0.0, 0.0);
    RValue result;
    code::RunCode(&temporary, &temporary, library, result);
  }
}

}  // namespace vendrel::interp
