#include "runtime/game_loop.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <string>
#include <thread>

#include "code/code.h"
#include "code/errors.h"
#include "interpreter/actions.h"
#include "interpreter/events.h"
#include "interpreter/random.h"
#include "interpreter/variables.h"
#include "resources/game_resources.h"
#include "runner/game_data.h"
#include "runner/settings.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"
#include "runtime/object_lists.h"

namespace vendrel::runtime {

namespace {

using resources::kEventOther;
using resources::kEventStep;

constexpr char kCR = '\r';
constexpr int kOtherGameStart = 2;
constexpr int kOtherGameEnd = 3;
constexpr int kOtherRoomStart = 4;
constexpr int kOtherRoomEnd = 5;
constexpr int kOtherAnimationEnd = 7;
constexpr int kOtherEndOfPath = 8;

// Clock ----------------------------------------------------------------------

struct Clock {
  std::chrono::steady_clock::time_point base = std::chrono::steady_clock::now();
  int64_t virtual_now = 0;
};

Clock& TheClock() {
  static Clock clock;
  return clock;
}

void ResetClock() {
  TheClock().base = std::chrono::steady_clock::now();
  TheClock().virtual_now = 0;
}

void ProcessMessages() {
  if (Hooks().process_messages != nullptr) Hooks().process_messages();
}

bool Pending() { return RoomChangePending(); }

// Runs [code_text] compiled as a program for [self] and [other]; a compile
// error is shown (not aborting) as [what] with the compiler's message.
void RunCreationCode(const std::string& code_text, CInstance* self, CInstance* other,
                     const char* what) {
  code::CCode code(code_text, false);
  if (!code.Compile()) {
    code::ShowError(std::string(what) + kCR + code::Errors().text, false);
    code::Errors().pending = false;
    return;
  }
  interp::RValue result;
  code::RunCode(self, other, code, result);
}

// The time lines of every instance (step 5).
void RunTimeLines(CRunRoom& room) {
  const int count = room.ActiveCount();
  for (int i = 0; i < count && i < room.ActiveCount(); ++i) {
    CInstance* instance = room.ActiveAt(i);
    if (instance->destroyed) continue;
    const resources::CTimeLine* line =
        resources::Resources().time_lines.Get(instance->timeline_index);
    if (line == nullptr) continue;
    auto first_at_or_after = [line](double position) {
      int index = 0;
      while (index < line->Count() && double(line->moments[size_t(index)].step) < position)
        ++index;
      return index;
    };
    const int time_line = instance->timeline_index;
    const int from = first_at_or_after(instance->timeline_position);
    instance->timeline_position += instance->timeline_speed;
    const int to = first_at_or_after(instance->timeline_position);
    for (int moment = from; moment < to; ++moment)
      interp::RunMoment(instance, instance, time_line, moment);
  }
}

// Counts the alarms down and performs those that reach 0 (step 6).
void RunAlarms(CRunRoom& room) {
  for (int alarm = 0; alarm < kAlarmCount; ++alarm) {
    for (size_t k = 0; k < ObjectsWithEvent(resources::kEventAlarm, alarm).size(); ++k) {
      const int object = ObjectsWithEvent(resources::kEventAlarm, alarm)[k];
      const int count = room.ObjectCount(object);
      for (int j = 0; j < count && j < room.ObjectCount(object); ++j) {
        CInstance* instance = room.ObjectAt(object, j);
        if (instance->destroyed) continue;
        int& counter = instance->alarm[size_t(alarm)];
        if (counter < 0) continue;
        counter -= 1;
        if (counter == 0)
          interp::PerformEvent(instance, instance, resources::kEventAlarm, alarm);
      }
    }
  }
}

// Friction, gravity, paths and the move by the speed vector (step 11).
void MoveInstances(CRunRoom& room) {
  const int count = room.ActiveCount();
  for (int i = 0; i < count && i < room.ActiveCount(); ++i) {
    CInstance* instance = room.ActiveAt(i);
    instance->ApplyFrictionAndGravity();
    if (Hooks().step_path != nullptr && Hooks().step_path(instance))
      interp::PerformEvent(instance, instance, kEventOther, kOtherEndOfPath);
    instance->SetPosition(instance->x + instance->hspeed, instance->y + instance->vspeed);
  }
}

void AdvanceAnimation(CRunRoom& room) {
  const int count = room.ActiveCount();
  for (int i = 0; i < count && i < room.ActiveCount(); ++i) {
    CInstance* instance = room.ActiveAt(i);
    instance->image_index += instance->image_speed;
    const int images = instance->ImageNumber();
    if (std::floor(instance->image_index) >= double(images)) {
      instance->image_index -= double(images);
      // A destroyed instance is animated but never receives an event.
      if (!instance->destroyed)
        interp::PerformEvent(instance, instance, kEventOther, kOtherAnimationEnd);
    }
  }
}

void ScrollBackgrounds(CRunRoom& room) {
  for (resources::CBack& layer : room.data.backgrounds) {
    layer.x += layer.horizontal_speed;
    layer.y += layer.vertical_speed;
  }
}

// The function keys the runner handles itself, each when the game's
// settings allow it; only the first match counts.
void HandleSpecialKeys() {
  const runner::GameSettings& settings = runner::Settings();
  InputState& input = Input();
  const int key = input.keyboard_lastkey;
  RuntimeHooks& hooks = Hooks();
  if (settings.KeyGameInfo && key == 112) {
    input.keyboard_lastkey = 0;
    if (hooks.show_game_information != nullptr) hooks.show_game_information();
    if (hooks.clear_input != nullptr) hooks.clear_input();
  } else if (settings.KeyEndGame && key == 27) {
    input.keyboard_lastkey = 0;
    Game().pending_room_change = kEndGame;
  } else if (settings.KeyFullScreen && key == 115) {
    input.keyboard_lastkey = 0;
    if (hooks.toggle_full_screen != nullptr) hooks.toggle_full_screen();
  } else if (settings.KeySaveLoad && (key == 116 || key == 117)) {
    input.keyboard_lastkey = 0;
    const std::string file = "_save" + std::to_string(runner::Identity().GameId) + ".sav";
    if (key == 116 && hooks.save_game != nullptr) hooks.save_game(file);
    if (key == 117 && hooks.load_game != nullptr) hooks.load_game(file);
  }
}

void CallHook(void (*hook)()) {
  if (hook != nullptr) hook();
}

void DrawAndPresent() {
  GameState& game = Game();
  CallHook(Hooks().draw_frame);
  if (Hooks().present_frame != nullptr) Hooks().present_frame(game.transition_kind);
  game.transition_kind = 0;
}

}  // namespace

LoopOptions& LoopSettings() {
  static LoopOptions options;
  return options;
}

int64_t ClockNow() {
  if (LoopSettings().virtual_clock) return TheClock().virtual_now;
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               TheClock().base)
      .count();
}

void Wait(int64_t microseconds) {
  if (microseconds <= 0) return;
  if (LoopSettings().virtual_clock) {
    TheClock().virtual_now += microseconds;
    ProcessMessages();
    return;
  }
  const int64_t start = ClockNow();
  const int64_t end = start + microseconds;
  // Block for all but the last millisecond, then poll so that the next step
  // starts on time without burning a core for the whole interval.
  if (microseconds >= 2000)
    std::this_thread::sleep_for(std::chrono::milliseconds((microseconds - 1000) / 1000));
  for (;;) {
    ProcessMessages();
    const int64_t now = ClockNow();
    if (now >= end || now < start) break;
    if (end - now > 200) std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
}

void DispatchEvent(int type, int number) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  for (size_t k = 0; k < ObjectsWithEvent(type, number).size(); ++k) {
    const int object = ObjectsWithEvent(type, number)[k];
    const int count = room->ObjectCount(object);
    for (int j = 0; j < count && j < room->ObjectCount(object); ++j) {
      CInstance* instance = room->ObjectAt(object, j);
      if (!instance->destroyed) interp::PerformEvent(instance, instance, type, number);
    }
  }
}

void RunStep() {
  RuntimeHooks& hooks = Hooks();
  if (runner::Settings().FreezeOnLoseFocus && hooks.window_active != nullptr &&
      !hooks.window_active())
    return;
  HandleSpecialKeys();
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  for (int i = 0; i < room->ActiveCount(); ++i) {
    CInstance* instance = room->ActiveAt(i);
    instance->xprevious = instance->x;
    instance->yprevious = instance->y;
    instance->path_positionprevious = instance->path_position;
  }
  DispatchEvent(kEventStep, 1);
  if (Pending()) return;
  RunTimeLines(*room);
  if (Pending()) return;
  RunAlarms(*room);
  if (Pending()) return;
  CallHook(hooks.keyboard_events);
  if (Pending()) return;
  CallHook(hooks.joystick_events);
  if (Pending()) return;
  CallHook(hooks.mouse_events);
  if (Pending()) return;
  DispatchEvent(kEventStep, 0);
  if (Pending()) return;
  MoveInstances(*room);
  CallHook(hooks.boundary_events);
  if (Pending()) return;
  CallHook(hooks.collision_events);
  if (Pending()) return;
  DispatchEvent(kEventStep, 2);
  if (Pending()) return;
  CallHook(hooks.particles_step);
  room->Sweep();
  if (Game().automatic_draw) CallHook(hooks.draw_frame);
  ScrollBackgrounds(*room);
  AdvanceAnimation(*room);
  Game().step_counter += 1;
  CallHook(hooks.refresh_debug_window);
  CallHook(hooks.end_step_input);
}

void RoomEnd(bool game_end) {
  GameState& game = Game();
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  room->Sweep();
  const int remembered = game.pending_room_change;
  game.pending_room_change = kNoRoomChange;
  interp::PerformEventAll(kEventOther, kOtherRoomEnd);
  if (game_end) interp::PerformEventAll(kEventOther, kOtherGameEnd);
  game.pending_room_change = remembered;
  game.carried.clear();
  for (int i = 0; i < room->ActiveCount(); ++i) {
    CInstance* instance = room->ActiveAt(i);
    if (!instance->persistent || instance->destroyed) continue;
    auto copy = std::make_unique<CInstance>(instance->id, instance->object_index, instance->x,
                                            instance->y);
    copy->CopyFrom(*instance);
    game.carried.push_back(std::move(copy));
    instance->destroyed = true;
  }
  if (!room->data.persistent) game.runtime_rooms[size_t(game.room)].reset();
}

void RoomStart(int room_index, bool game_start) {
  GameState& game = Game();
  RuntimeHooks& hooks = Hooks();
  game.pending_room_change = kNoRoomChange;
  CallHook(hooks.clear_input);
  CallHook(hooks.clear_effect_particles);
  if (room_index < 0) return;
  if (int(game.runtime_rooms.size()) < room_index + 1)
    game.runtime_rooms.resize(size_t(room_index) + 1);
  game.room = room_index;
  std::unique_ptr<CRunRoom>& slot = game.runtime_rooms[size_t(room_index)];
  const bool is_new = slot == nullptr;
  if (is_new) {
    slot = CRunRoom::FromResource(room_index);
    if (slot == nullptr) {
      code::ShowRunError("Unexisting room number: " + std::to_string(room_index), true);
      game.pending_room_change = kAbortGame;
      return;
    }
  }
  CRunRoom& room = *slot;
  CallHook(hooks.adapt_window_to_room);

  const int count_before = room.ActiveCount();
  for (std::unique_ptr<CInstance>& carried : game.carried) {
    for (int i = 0; i < room.ActiveCount(); ++i)
      if (room.ActiveAt(i)->id == carried->id) room.ActiveAt(i)->destroyed = true;
    CInstance* placed = room.CreateInstance(carried->object_index, carried->x, carried->y);
    const int new_id = placed->id;
    placed->CopyFrom(*carried);
    placed->id = new_id;
    room.ChangeId(placed, carried->id);
  }
  game.carried.clear();

  if (is_new) {
    for (int i = 0; i < count_before && i < room.ActiveCount(); ++i) {
      CInstance* instance = room.ActiveAt(i);
      if (instance->destroyed) continue;
      if (!instance->creation_code.empty())
        RunCreationCode(instance->creation_code, instance, instance,
                        "COMPILATION ERROR in initialization code for instance");
      interp::PerformEvent(instance, instance, resources::kEventCreate, 0);
    }
  }
  if (game_start) interp::PerformEventAll(kEventOther, kOtherGameStart);
  if (is_new && !room.data.creation_code.empty()) {
    CInstance temporary(0, 0, 0.0, 0.0);
    RunCreationCode(room.data.creation_code, &temporary, &temporary,
                    "COMPILATION ERROR in room script");
  }
  interp::PerformEventAll(kEventOther, kOtherRoomStart);
  if (!Pending() && game.automatic_draw) DrawAndPresent();
  CallHook(hooks.show_game_window);
}

void GoToRoom(int room_index) {
  RoomEnd(false);
  RoomStart(room_index, false);
}

void StartGame() {
  GameState& game = Game();
  RebuildObjectLists();
  interp::GlobalVariables().Clear();
  game.score = 0;
  game.lives = -1;
  game.cursor_sprite = -1;
  game.step_counter = 0;
  game.transition_kind = 0;
  game.running = true;
  game.paused = false;
  game.pending_room_change = kNoRoomChange;
  interp::RandomizeForGameStart();
  interp::RunLibraryCode();
  if (Hooks().set_cursor_visible != nullptr)
    Hooks().set_cursor_visible(runner::Settings().ShowCursor);
  game.runtime_rooms.clear();
  game.runtime_rooms.resize(size_t(resources::Resources().rooms.Count()));
  game.carried.clear();
  game.room = -1;
  // An error in the library code that aborts the game ends it before the
  // first room.
  if (game.pending_room_change == kAbortGame) return;
  RoomStart(resources::Resources().room_order.First(), true);
}

void EndGame() {
  GameState& game = Game();
  RoomEnd(true);
  game.runtime_rooms.clear();
  game.carried.clear();
  if (Hooks().set_cursor_visible != nullptr) Hooks().set_cursor_visible(true);
}

void PerformPendingRoomChange() {
  GameState& game = Game();
  const int change = game.pending_room_change;
  if (change == kNoRoomChange) return;
  if (change == kEndGame || change == kAbortGame) {
    game.running = false;
  } else if (change == kLoadGame) {
    game.pending_room_change = kNoRoomChange;
    CallHook(Hooks().clear_input);
    if (Hooks().load_game != nullptr) Hooks().load_game(game.pending_load_file);
  } else if (change == kRestartGame) {
    EndGame();
    StartGame();
  } else if (change >= 0) {
    GoToRoom(change);
  } else {
    game.pending_room_change = kNoRoomChange;
  }
}

namespace {

// The loop's schedule: when the last step was due, the second being
// counted for fps, and the steps counted in it.
struct Schedule {
  int64_t reference = 0;
  int64_t second_mark = 0;
  int counter = 0;
};

Schedule& TheSchedule() {
  static Schedule schedule;
  return schedule;
}

// One iteration of the loop: step, wait, frame, room change, messages.
void RunIteration() {
  GameState& game = Game();
  Schedule& schedule = TheSchedule();
  try {
    const LoopOptions& options = LoopSettings();
    if (options.max_steps >= 0 && game.steps_run >= options.max_steps) {
      // The step limit ends the game the way game_end does.
      if (game.pending_room_change != kAbortGame) game.pending_room_change = kEndGame;
      PerformPendingRoomChange();
      return;
    }
    RunStep();
    game.steps_run += 1;
    const int64_t t = ClockNow();
    if (t < schedule.reference) schedule.reference = t;
    CRunRoom* room = CurrentRoom();
    if (room != nullptr && room->data.speed < 1) room->data.speed = 1;
    const int room_speed = room != nullptr ? room->data.speed : 30;
    if (Hooks().sound_step != nullptr) Hooks().sound_step(room_speed);
    const int64_t per_step = 1000000 / room_speed;
    const int64_t w =
        std::min<int64_t>(std::max<int64_t>(per_step - (t - schedule.reference), 0), 1000000);
    Wait(w);
    schedule.reference = t + w;
    if (schedule.reference < schedule.second_mark) schedule.second_mark = schedule.reference;
    if (schedule.reference / 1000000 > schedule.second_mark / 1000000) {
      game.fps = schedule.counter;
      schedule.counter = 0;
      schedule.second_mark = schedule.reference;
    }
    schedule.counter += 1;
    if (!Pending() && game.automatic_draw) {
      if (Hooks().present_frame != nullptr) Hooks().present_frame(game.transition_kind);
      game.transition_kind = 0;
    }
    PerformPendingRoomChange();
    ProcessMessages();
  } catch (const std::exception&) {
    // A failure inside one iteration ends that iteration; the game goes on.
  }
}

}  // namespace

bool RunGame() {
  GameState& game = Game();
  if (!game.running) {
    game.steps_run = 0;
    ResetClock();
    StartGame();
  }
  game.paused = false;
  PerformPendingRoomChange();
  Schedule& schedule = TheSchedule();
  schedule.second_mark = schedule.reference = ClockNow();
  schedule.counter = 0;
  game.fps = 0;
  ProcessMessages();
  while (game.running && !game.paused) RunIteration();
  const bool aborted = game.pending_room_change == kAbortGame;
  if (!game.running) EndGame();
  return aborted;
}

void PauseGame() { Game().paused = true; }

void SingleStep() {
  GameState& game = Game();
  if (!game.running || !game.paused) return;
  RunIteration();
  if (!game.running) EndGame();
}

void StopGame() {
  GameState& game = Game();
  if (game.paused && game.running) EndGame();
  game.running = false;
  game.paused = false;
}

}  // namespace vendrel::runtime
