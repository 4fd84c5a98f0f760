#include "runtime/input.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <thread>
#include <vector>

#include "interpreter/events.h"
#include "interpreter/value.h"
#include "platform/keymap.h"
#include "resources/event.h"
#include "runtime/collision.h"
#include "runtime/game_loop.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"
#include "runtime/input_script.h"
#include "runtime/object_lists.h"

namespace vendrel::runtime {

namespace {

using resources::kEventKeyboard;
using resources::kEventKeyPress;
using resources::kEventKeyRelease;
using resources::kEventMouse;

constexpr size_t kMaxTypedText = 1024;
constexpr int kShiftKey = 16;

// Mouse event numbers.
constexpr int kMouseNoButton = 3;
constexpr int kMouseEnter = 10;
constexpr int kMouseLeave = 11;
constexpr int kMouseGlobalPress = 12;
constexpr int kMouseGlobalRelease = 13;
constexpr int kMouseWheelUp = 60;
constexpr int kMouseWheelDown = 61;
// Joystick event numbers of the first device; the second adds 15.
constexpr int kJoystickLeft = 16;
constexpr int kJoystickButton1 = 21;
constexpr int kJoystickSecondOffset = 15;
// Stick positions beyond these count as pushed.
constexpr int kStickLow = 20000;
constexpr int kStickHigh = 44000;

struct PendingKey {
  int key;
  bool down;
};

// What the input side keeps beside the device state.
struct InputRuntime {
  std::deque<PendingKey> simulated;
  std::vector<ScriptedInput> script;
  size_t script_next = 0;
  WindowToRoomMapping mapping = nullptr;
  // Scripted joysticks, which take the place of devices 0 and 1.
  std::array<platform::JoystickState, 2> scripted_joysticks;
  std::array<bool, 2> scripted_present{};
};

InputRuntime& Runtime() {
  static InputRuntime runtime;
  return runtime;
}

bool ValidKey(int key) { return key >= 0 && key < kKeyCount; }

int Mapped(int key) { return ValidKey(key) ? Devices().key_map[size_t(key)] : key; }

// The cursor's room position through the drawing side's mapping.
void RoomPosition(int window_x, int window_y, double& room_x, double& room_y) {
  const WindowToRoomMapping mapping = Runtime().mapping;
  if (mapping != nullptr) {
    mapping(window_x, window_y, room_x, room_y);
  } else {
    room_x = window_x;
    room_y = window_y;
  }
}

void ToggleNumLock() {
  KeyboardMouseState& devices = Devices();
  devices.numlock = !devices.numlock;
  if (platform::HasInteractiveInput()) platform::SetNumLock(devices.numlock);
}

// A key as the hardware sends it: the hardware state, then the window's
// handler.
void HardwareKey(int key, int side_key, bool down) {
  if (down && key == kNumLockKey && !Devices().direct[size_t(kNumLockKey)]) ToggleNumLock();
  SetDirectKey(key, side_key, down);
  if (down)
    HandleKeyDown(key);
  else
    HandleKeyUp(key);
}

// The window system's events, handed over by the platform layer.
class WindowInput final : public platform::InputEventSink {
 public:
  void KeyDown(int vk, int side_vk) override {
    SetDirectKey(vk, side_vk, true);
    if (vk == kNumLockKey) Devices().numlock = platform::NumLockOn();
    HandleKeyDown(vk);
  }
  void KeyUp(int vk, int side_vk) override {
    SetDirectKey(vk, side_vk, false);
    HandleKeyUp(vk);
  }
  void Character(unsigned char c) override { HandleCharacter(c); }
  void MouseButton(int button, bool down) override { HandleMouseButton(button, down); }
  void MouseMoved(int x, int y) override { HandleCursor(x, y); }
  void Wheel(int steps) override { HandleWheel(steps > 0); }
  void CloseRequested() override { HandleCloseRequest(); }
};

platform::JoystickState& ScriptedJoystick(int id) {
  InputRuntime& runtime = Runtime();
  const size_t device = id == 2 ? 1 : 0;
  platform::JoystickState& joystick = runtime.scripted_joysticks[device];
  if (!runtime.scripted_present[device]) {
    runtime.scripted_present[device] = true;
    joystick = platform::JoystickState();
    joystick.name = "Scripted joystick";
    joystick.axis_count = 6;
    joystick.button_count = 32;
    joystick.has_pov = true;
  }
  return joystick;
}

void ApplyScripted(const ScriptedInput& event) {
  using Kind = ScriptedInput::Kind;
  switch (event.kind) {
    case Kind::kKeyDown:
    case Kind::kKeyUp:
      HardwareKey(event.a, 0, event.kind == Kind::kKeyDown);
      break;
    case Kind::kMouseMove:
      HandleCursor(event.a, event.b);
      break;
    case Kind::kMouseDown:
    case Kind::kMouseUp:
      HandleMouseButton(event.a, event.kind == Kind::kMouseDown);
      break;
    case Kind::kWheelUp:
    case Kind::kWheelDown:
      HandleWheel(event.kind == Kind::kWheelUp);
      break;
    case Kind::kText:
      for (char c : event.text) HandleCharacter(static_cast<unsigned char>(c));
      break;
    case Kind::kClose:
      HandleCloseRequest();
      break;
    case Kind::kJoystickAxis: {
      const double position = std::round((event.value + 1.0) * 32767.0);
      ScriptedJoystick(event.a).axes[size_t(event.b)] = int(std::clamp(position, 0.0, 65535.0));
      break;
    }
    case Kind::kJoystickButtonDown:
      ScriptedJoystick(event.a).buttons |= 1u << (event.b - 1);
      break;
    case Kind::kJoystickButtonUp:
      ScriptedJoystick(event.a).buttons &= ~(1u << (event.b - 1));
      break;
    case Kind::kJoystickPov:
      ScriptedJoystick(event.a).pov = event.value < 0.0 ? 65535 : int(event.value * 100.0);
      break;
  }
}

// Applies the scripted events of every step up to [step].
void ApplyScriptUpTo(int64_t step) {
  InputRuntime& runtime = Runtime();
  while (runtime.script_next < runtime.script.size() &&
         runtime.script[runtime.script_next].step <= step)
    ApplyScripted(runtime.script[runtime.script_next++]);
}

void DeliverSimulatedKeys() {
  InputRuntime& runtime = Runtime();
  while (!runtime.simulated.empty()) {
    const PendingKey pending = runtime.simulated.front();
    runtime.simulated.pop_front();
    HardwareKey(pending.key, 0, pending.down);
    // The window's message loop turns a key-down into the character the
    // key types, as it does for a key of the keyboard.
    if (pending.down && ValidKey(pending.key)) {
      const bool shift = Devices().direct[size_t(kShiftKey)];
      if (const unsigned char c = platform::CharacterOfVirtualKey(pending.key, shift))
        HandleCharacter(c);
    }
  }
}

// Dispatches event (type, key) for the keys set in [a] or [b], ascending
// from 8, then the no-key (0) or any-key (1) event.
void KeyPass(int type, const std::array<bool, kKeyCount>& a,
             const std::array<bool, kKeyCount>* b) {
  bool any = false;
  for (int key = 8; key < kKeyCount; ++key) {
    if (a[size_t(key)] || (b != nullptr && (*b)[size_t(key)])) {
      any = true;
      DispatchEvent(type, key);
    }
  }
  DispatchEvent(type, any ? 1 : 0);
}

// Performs mouse event [number] for the instances of the objects that
// have it for which [wanted] holds.
template <class Wanted>
void DispatchMouse(int number, Wanted wanted) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return;
  for (size_t k = 0; k < ObjectsWithEvent(kEventMouse, number).size(); ++k) {
    const int object = ObjectsWithEvent(kEventMouse, number)[k];
    for (int j = 0; j < room->ObjectCount(object); ++j) {
      CInstance* instance = room->ObjectAt(object, j);
      if (!instance->destroyed && wanted(*instance))
        interp::PerformEvent(instance, instance, kEventMouse, number);
    }
  }
}

bool UnderMouse(const CInstance& instance) {
  const KeyboardMouseState& devices = Devices();
  return PointTest(instance, devices.mouse_x, devices.mouse_y, true);
}

bool WasUnderMouse(const CInstance& instance) {
  const KeyboardMouseState& devices = Devices();
  return PointTest(instance, devices.previous_mouse_x, devices.previous_mouse_y, true);
}

}  // namespace

KeyboardMouseState::KeyboardMouseState() {
  for (int key = 0; key < kKeyCount; ++key) key_map[size_t(key)] = key;
}

KeyboardMouseState& Devices() {
  static KeyboardMouseState devices;
  return devices;
}

void SetWindowToRoomMapping(WindowToRoomMapping mapping) { Runtime().mapping = mapping; }

void HandleKeyDown(int key) {
  key = Mapped(key);
  if (!ValidKey(key)) return;
  KeyboardMouseState& devices = Devices();
  Input().keyboard_key = key;
  Input().keyboard_lastkey = key;
  if (!devices.key_down[size_t(key)]) devices.key_pressed[size_t(key)] = true;
  devices.key_down[size_t(key)] = true;
}

void HandleKeyUp(int key) {
  key = Mapped(key);
  if (!ValidKey(key)) return;
  KeyboardMouseState& devices = Devices();
  if (Input().keyboard_key == key) Input().keyboard_key = 0;
  devices.key_down[size_t(key)] = false;
  devices.key_released[size_t(key)] = true;
}

void HandleCharacter(unsigned char c) {
  InputState& input = Input();
  input.keyboard_lastchar = std::string(1, static_cast<char>(c));
  std::string& text = input.keyboard_string;
  if (text.size() > kMaxTypedText) text.erase(0, text.size() - kMaxTypedText);
  if (c == 8) {
    if (!text.empty()) text.pop_back();
  } else if (c >= 32) {
    text += static_cast<char>(c);
  }
}

void HandleMouseButton(int button, bool down) {
  if (button < 1 || button > 3) return;
  KeyboardMouseState& devices = Devices();
  InputState& input = Input();
  // The Windows key state holds the buttons as codes 1, 2 and 4.
  static constexpr int kButtonKeys[4] = {0, 1, 2, 4};
  devices.direct[size_t(kButtonKeys[button])] = down;
  if (down) {
    input.mouse_button = button;
    input.mouse_lastbutton = button;
    devices.button_down[size_t(button)] = true;
    devices.button_pressed[size_t(button)] = true;
  } else {
    input.mouse_button = 0;
    devices.button_down[size_t(button)] = false;
    devices.button_released[size_t(button)] = true;
  }
}

void HandleWheel(bool up) {
  if (up)
    Devices().wheel_up = true;
  else
    Devices().wheel_down = true;
}

void HandleCursor(int window_x, int window_y) {
  KeyboardMouseState& devices = Devices();
  devices.cursor_x = window_x;
  devices.cursor_y = window_y;
  RoomPosition(window_x, window_y, Input().mouse_x, Input().mouse_y);
}

void HandleCloseRequest() {
  Devices().key_down[size_t(kEscapeKey)] = true;
  Input().keyboard_key = kEscapeKey;
  Input().keyboard_lastkey = kEscapeKey;
}

void SetDirectKey(int key, int side_key, bool down) {
  if (!ValidKey(key)) return;
  std::array<bool, kKeyCount>& direct = Devices().direct;
  if (side_key > 0 && ValidKey(side_key)) {
    direct[size_t(side_key)] = down;
    // The shared code stays down while either side is held (160/161 shift,
    // 162/163 control, 164/165 alt).
    const int left = side_key - (side_key % 2);
    direct[size_t(key)] = direct[size_t(left)] || direct[size_t(left + 1)];
  } else {
    direct[size_t(key)] = down;
  }
}

void ClearAllInput() {
  InputState& input = Input();
  input.keyboard_string.clear();
  input.keyboard_key = 0;
  input.keyboard_lastkey = 0;
  input.keyboard_lastchar.clear();
  input.mouse_button = 0;
  input.mouse_lastbutton = 0;
  KeyboardMouseState& devices = Devices();
  devices.key_down.fill(false);
  devices.key_pressed.fill(false);
  devices.key_released.fill(false);
  devices.button_down.fill(false);
  devices.button_pressed.fill(false);
  devices.button_released.fill(false);
  devices.wheel_up = false;
  devices.wheel_down = false;
}

void EndStepInput() {
  KeyboardMouseState& devices = Devices();
  devices.key_pressed.fill(false);
  devices.key_released.fill(false);
  devices.button_pressed.fill(false);
  devices.button_released.fill(false);
  devices.wheel_up = false;
  devices.wheel_down = false;
}

void KeyboardEvents() {
  KeyboardMouseState& devices = Devices();
  KeyPass(kEventKeyboard, devices.key_down, &devices.key_pressed);
  KeyPass(kEventKeyPress, devices.key_pressed, nullptr);
  KeyPass(kEventKeyRelease, devices.key_released, nullptr);
}

void JoystickEvents() {
  for (int id = 1; id <= 2; ++id) {
    platform::JoystickState state;
    if (!runtime::QueryJoystick(id, state)) continue;
    const int base = kJoystickLeft + (id - 1) * kJoystickSecondOffset;
    const int buttons = kJoystickButton1 + (id - 1) * kJoystickSecondOffset;
    if (state.axes[0] < kStickLow) DispatchEvent(kEventMouse, base);
    if (state.axes[0] > kStickHigh) DispatchEvent(kEventMouse, base + 1);
    if (state.axes[1] < kStickLow) DispatchEvent(kEventMouse, base + 2);
    if (state.axes[1] > kStickHigh) DispatchEvent(kEventMouse, base + 3);
    for (int b = 0; b < 8; ++b)
      if ((state.buttons & (1u << b)) != 0) DispatchEvent(kEventMouse, buttons + b);
  }
}

void MouseEvents() {
  KeyboardMouseState& devices = Devices();
  InputState& input = Input();
  devices.previous_mouse_x = devices.mouse_x;
  devices.previous_mouse_y = devices.mouse_y;
  RoomPosition(devices.cursor_x, devices.cursor_y, devices.mouse_x, devices.mouse_y);
  input.mouse_x = devices.mouse_x;
  input.mouse_y = devices.mouse_y;

  bool any_button = false;
  for (int b = 1; b <= 3; ++b) {
    if (!devices.button_down[size_t(b)] && !devices.button_pressed[size_t(b)]) continue;
    any_button = true;
    DispatchMouse(b - 1, UnderMouse);
    DispatchEvent(kEventMouse, b + 49);
  }
  if (!any_button) DispatchMouse(kMouseNoButton, UnderMouse);
  for (int b = 1; b <= 3; ++b) {
    if (!devices.button_pressed[size_t(b)]) continue;
    DispatchMouse(b + 3, UnderMouse);
    DispatchEvent(kEventMouse, kMouseGlobalPress);
    DispatchEvent(kEventMouse, b + 52);
  }
  for (int b = 1; b <= 3; ++b) {
    if (!devices.button_released[size_t(b)]) continue;
    DispatchMouse(b + 6, UnderMouse);
    DispatchEvent(kEventMouse, kMouseGlobalRelease);
    DispatchEvent(kEventMouse, b + 55);
  }
  DispatchMouse(kMouseEnter,
                [](const CInstance& i) { return UnderMouse(i) && !WasUnderMouse(i); });
  DispatchMouse(kMouseLeave,
                [](const CInstance& i) { return WasUnderMouse(i) && !UnderMouse(i); });
  if (devices.wheel_up) DispatchEvent(kEventMouse, kMouseWheelUp);
  if (devices.wheel_down) DispatchEvent(kEventMouse, kMouseWheelDown);
}

platform::InputEventSink& WindowEvents() {
  static WindowInput window_input;
  return window_input;
}

void ProcessInputMessages() {
  platform::PumpInputEvents(WindowEvents());
  DeliverSimulatedKeys();
  // Scripted input for the next step arrives once the room it belongs to
  // has started: not while a room change is still pending.
  if (!RoomChangePending()) ApplyScriptUpTo(Game().steps_run + 1);
}

void WaitForInput(bool (*done)()) {
  for (;;) {
    ProcessInputMessages();
    if (done()) return;
    if (!platform::HasInteractiveInput()) {
      // Only the script can end the wait: its next input arrives now.
      InputRuntime& runtime = Runtime();
      if (runtime.script_next >= runtime.script.size()) return;
      ApplyScriptUpTo(runtime.script[runtime.script_next].step);
      continue;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

void SimulateKey(int key, bool down) { Runtime().simulated.push_back({key, down}); }

bool QueryJoystick(int id, platform::JoystickState& state) {
  const size_t device = id == 2 ? 1 : 0;
  const InputRuntime& runtime = Runtime();
  if (runtime.scripted_present[device]) {
    state = runtime.scripted_joysticks[device];
    return true;
  }
  // Devices are only read when a person plays.
  if (!platform::HasInteractiveInput()) {
    state = platform::JoystickState();
    return false;
  }
  return platform::QueryJoystick(int(device), state);
}

bool InstallInput(const std::string& script_file, std::string* error) {
  ResetInput();
  if (!script_file.empty()) {
    std::string reason;
    if (!LoadInputScript(script_file, Runtime().script, reason)) {
      if (error != nullptr) *error = reason;
      return false;
    }
  }
  RuntimeHooks& hooks = Hooks();
  hooks.process_messages = ProcessInputMessages;
  hooks.clear_input = ClearAllInput;
  hooks.keyboard_events = KeyboardEvents;
  hooks.joystick_events = JoystickEvents;
  hooks.mouse_events = MouseEvents;
  hooks.end_step_input = EndStepInput;
  return true;
}

void ResetInput() {
  const WindowToRoomMapping mapping = Runtime().mapping;
  Runtime() = InputRuntime();
  Runtime().mapping = mapping;
  Devices() = KeyboardMouseState();
  Devices().numlock = platform::HasInteractiveInput() && platform::NumLockOn();
  ClearAllInput();
}

}  // namespace vendrel::runtime
