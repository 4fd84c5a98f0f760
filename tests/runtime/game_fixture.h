// A small game built in memory for runtime tests: objects with code
// actions, rooms with placed instances, time lines and sprites, run through
// the real start-up preparation and game loop on a virtual clock. Game code
// reports what happens with log(...), which appends one line per call.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "code/constants.h"
#include "code/errors.h"
#include "code/function_registry.h"
#include "code/scripts.h"
#include "interpreter/actions.h"
#include "interpreter/builtin_variables.h"
#include "interpreter/events.h"
#include "interpreter/function_families.h"
#include "interpreter/variables.h"
#include "resources/game_resources.h"
#include "runtime/builtin_variables.h"
#include "runtime/function_families.h"
#include "runtime/game_loop.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"

namespace vendrel::testing {

inline std::vector<std::string>& Log() {
  static std::vector<std::string> lines;
  return lines;
}

// log(a, b, ...): one line, the arguments' texts joined by spaces.
inline VENDREL_BUILTIN(LogHandler) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    if (i > 0) line += ' ';
    line += args[i].IsString() ? args[i].str : interp::FormatReal(args[i].real);
  }
  Log().push_back(line);
}

inline void RegisterOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  runtime::RegisterBuiltinVariables();
  interp::RegisterMathFunctions();
  interp::RegisterStringFunctions();
  runtime::RegisterInstanceFunctions();
  static const code::FunctionTableRow kRows[] = {{"log", code::kAnyArgCount, LogHandler}};
  code::RegisterFamily(kRows);
}

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterOnce();
    resources::Resources().Clear();
    runtime::Game() = runtime::GameState();
    runtime::Input() = runtime::InputState();
    runtime::Hooks() = runtime::RuntimeHooks();
    runtime::LoopSettings() = {true, 100};
    code::Errors() = code::ErrorState();
    code::ErrorSettings() = code::ErrorOptions{false, false, false};
    code::ErrorContext() = code::RunErrorContext();
    code::RemoveUserConstants();
    interp::VariableSettings() = interp::VariableOptions();
    interp::InstallErrorHooks();
    runtime::InstallInstanceAccess();
    Log().clear();
  }

  void TearDown() override {
    runtime::Game() = runtime::GameState();
    resources::Resources().Clear();
  }

  resources::GameResources& R() { return resources::Resources(); }

  int AddObject(const std::string& name, int parent = -1) {
    auto object = std::make_unique<resources::CObject>();
    object->parent = parent;
    return R().objects.Add(std::move(object), name);
  }
  resources::CObject& Object(int index) { return *R().objects.Get(index); }

  // Appends a code action to event (type, number) of [object].
  void Code(int object, int type, int number, const std::string& source) {
    Object(object).EventForWriting(type, number)->actions.push_back(
        resources::CAction::MakeCodeAction(source));
  }
  void Action(int object, int type, int number, resources::CAction action) {
    Object(object).EventForWriting(type, number)->actions.push_back(std::move(action));
  }

  int AddRoom(const std::string& name, const std::string& creation_code = "") {
    auto room = std::make_unique<resources::CRoom>();
    room->creation_code = creation_code;
    const int index = R().rooms.Add(std::move(room), name);
    R().room_order.rooms.push_back(index);
    return index;
  }
  resources::CRoom& Room(int index) { return *R().rooms.Get(index); }
  void Place(int room, int object, int x, int y, const std::string& creation_code = "") {
    resources::CRoom& target = Room(room);
    target.instances.push_back({x, y, object, ++R().last_instance_id, creation_code});
  }

  int AddSprite(const std::string& name, int width, int height, int frames, int xorigin = 0,
                int yorigin = 0) {
    auto sprite = std::make_unique<resources::CSprite>();
    sprite->width = width;
    sprite->height = height;
    sprite->bbox_left = 0;
    sprite->bbox_top = 0;
    sprite->bbox_right = width - 1;
    sprite->bbox_bottom = height - 1;
    sprite->x_origin = xorigin;
    sprite->y_origin = yorigin;
    sprite->precise = false;
    for (int i = 0; i < frames; ++i) sprite->frames.emplace_back();
    return R().sprites.Add(std::move(sprite), name);
  }

  // A time line whose moments at [steps] each run log(tag, step).
  int AddTimeLine(const std::string& name, const std::vector<int>& steps) {
    auto line = std::make_unique<resources::CTimeLine>();
    for (int step : steps) {
      resources::RMoment moment;
      moment.step = step;
      moment.event.actions.push_back(resources::CAction::MakeCodeAction(
          "log('moment', " + std::to_string(step) + ")"));
      line->moments.push_back(std::move(moment));
    }
    return R().time_lines.Add(std::move(line), name);
  }

  // Start-up preparation as the runner does it; false when it fails.
  bool Prepare() {
    return interp::PrepareTimeLineActions() && code::CompileScripts() &&
           interp::PrepareObjectActions();
  }

  // Prepares and runs the game for at most [steps] steps; whether an error
  // aborted it.
  bool Play(int64_t steps = 100) {
    EXPECT_TRUE(Prepare()) << code::Errors().last_error;
    runtime::LoopSettings().max_steps = steps;
    return runtime::RunGame();
  }

  static std::vector<std::string> Lines(std::initializer_list<std::string> lines) {
    return std::vector<std::string>(lines);
  }
};

}  // namespace vendrel::testing
