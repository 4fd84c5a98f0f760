// Built-in functions for the keyboard, the mouse and joysticks:
// keyboard_*, mouse_*, io_* and joystick_*. Handlers convert their
// arguments and read or change the input state of runtime/input.h.
#include <algorithm>
#include <cstdint>

#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "platform/input_events.h"
#include "runtime/function_families.h"
#include "runtime/game_state.h"
#include "runtime/input.h"

namespace vendrel::runtime {

namespace {


// Key 0: no key in [keys]; 1: any key; 2..255 that key; other: false.
bool CheckKeys(const std::array<bool, kKeyCount>& keys, int key) {
  if (key == 0) return std::none_of(keys.begin(), keys.end(), [](bool set) { return set; });
  if (key == 1) return std::any_of(keys.begin(), keys.end(), [](bool set) { return set; });
  return key >= 2 && key < kKeyCount && keys[size_t(key)];
}

// Button -1: any button in [buttons]; 0: none; 1..3 that button.
bool CheckButtons(const std::array<bool, 4>& buttons, int button) {
  const bool any = buttons[1] || buttons[2] || buttons[3];
  if (button == -1) return any;
  if (button == 0) return !any;
  return button >= 1 && button <= 3 && buttons[size_t(button)];
}

bool NumLock() {
  return platform::HasInteractiveInput() ? platform::NumLockOn() : Devices().numlock;
}

VENDREL_BUILTIN(KeyboardCheck) {
  SetBool(result, CheckKeys(Devices().key_down, ArgInt32(args[0])));
}

VENDREL_BUILTIN(KeyboardCheckPressed) {
  SetBool(result, CheckKeys(Devices().key_pressed, ArgInt32(args[0])));
}

VENDREL_BUILTIN(KeyboardCheckReleased) {
  SetBool(result, CheckKeys(Devices().key_released, ArgInt32(args[0])));
}

VENDREL_BUILTIN(KeyboardCheckDirect) {
  const int key = ArgInt32(args[0]);
  SetBool(result, key >= 0 && key < kKeyCount && Devices().direct[size_t(key)]);
}

VENDREL_BUILTIN(KeyboardKeyPress) { SimulateKey(ArgInt32(args[0]), true); }

VENDREL_BUILTIN(KeyboardKeyRelease) { SimulateKey(ArgInt32(args[0]), false); }

VENDREL_BUILTIN(KeyboardGetNumlock) { SetBool(result, NumLock()); }

VENDREL_BUILTIN(KeyboardSetNumlock) {
  if ((interp::ArgReal(args[0]) >= 0.5) == NumLock()) return;
  SimulateKey(kNumLockKey, true);
  SimulateKey(kNumLockKey, false);
}

VENDREL_BUILTIN(KeyboardSetMap) {
  const int key = ArgInt32(args[0]);
  if (key >= 0 && key < kKeyCount) Devices().key_map[size_t(key)] = ArgInt32(args[1]);
}

VENDREL_BUILTIN(KeyboardGetMap) {
  const int key = ArgInt32(args[0]);
  result.SetReal(key >= 0 && key < kKeyCount ? Devices().key_map[size_t(key)] : key);
}

VENDREL_BUILTIN(KeyboardUnsetMap) {
  for (int key = 0; key < kKeyCount; ++key) Devices().key_map[size_t(key)] = key;
}

VENDREL_BUILTIN(KeyboardClear) {
  const int key = ArgInt32(args[0]);
  ProcessInputMessages();
  if (key < 0 || key >= kKeyCount) return;
  KeyboardMouseState& devices = Devices();
  devices.key_down[size_t(key)] = false;
  devices.key_pressed[size_t(key)] = false;
  devices.key_released[size_t(key)] = false;
}

VENDREL_BUILTIN(KeyboardWait) {
  Input().keyboard_lastkey = 0;
  WaitForInput([] { return Input().keyboard_lastkey != 0; });
}

VENDREL_BUILTIN(MouseCheckButton) {
  SetBool(result, CheckButtons(Devices().button_down, ArgInt32(args[0])));
}

VENDREL_BUILTIN(MouseCheckButtonPressed) {
  SetBool(result, CheckButtons(Devices().button_pressed, ArgInt32(args[0])));
}

VENDREL_BUILTIN(MouseCheckButtonReleased) {
  SetBool(result, CheckButtons(Devices().button_released, ArgInt32(args[0])));
}

VENDREL_BUILTIN(MouseClear) {
  const int button = ArgInt32(args[0]);
  ProcessInputMessages();
  if (button < 1 || button > 3) return;
  KeyboardMouseState& devices = Devices();
  devices.button_down[size_t(button)] = false;
  devices.button_pressed[size_t(button)] = false;
  devices.button_released[size_t(button)] = false;
}

VENDREL_BUILTIN(MouseWait) {
  Input().mouse_lastbutton = 0;
  WaitForInput([] { return Input().mouse_lastbutton != 0; });
}

VENDREL_BUILTIN(IoClear) {
  ProcessInputMessages();
  ClearAllInput();
}

VENDREL_BUILTIN(IoHandle) { ProcessInputMessages(); }

// Joysticks ----------------------------------------------------------------------

bool Joystick(const interp::RValue& id, platform::JoystickState& state) {
  return runtime::QueryJoystick(ArgInt32(id), state);
}

VENDREL_BUILTIN(JoystickExists) {
  platform::JoystickState state;
  SetBool(result, Joystick(args[0], state));
}

VENDREL_BUILTIN(JoystickName) {
  platform::JoystickState state;
  result.SetString(Joystick(args[0], state) ? state.name : std::string());
}

VENDREL_BUILTIN(JoystickAxes) {
  platform::JoystickState state;
  result.SetReal(Joystick(args[0], state) ? state.axis_count : 0);
}

VENDREL_BUILTIN(JoystickButtons) {
  platform::JoystickState state;
  result.SetReal(Joystick(args[0], state) ? state.button_count : 0);
}

VENDREL_BUILTIN(JoystickHasPov) {
  platform::JoystickState state;
  SetBool(result, Joystick(args[0], state) && state.has_pov);
}

VENDREL_BUILTIN(JoystickDirection) {
  platform::JoystickState state;
  if (!Joystick(args[0], state)) {
    result.SetReal(101);
    return;
  }
  const int x = state.axes[0], y = state.axes[1];
  const int row = y < 20000 ? 6 : y <= 44000 ? 3 : 0;
  const int column = x < 20000 ? 1 : x > 44000 ? 3 : 2;
  result.SetReal(96 + row + column);
}

VENDREL_BUILTIN(JoystickCheckButton) {
  platform::JoystickState state;
  const int button = ArgInt32(args[1]);
  const bool held = Joystick(args[0], state) && button >= 1 && button <= 32 &&
                    (state.buttons & (1u << (button - 1))) != 0;
  SetBool(result, held);
}

template <int kAxis>
VENDREL_BUILTIN(JoystickAxis) {
  platform::JoystickState state;
  if (Joystick(args[0], state)) result.SetReal(state.axes[kAxis] / 32767.0 - 1.0);
}

VENDREL_BUILTIN(JoystickPov) {
  platform::JoystickState state;
  const double angle = Joystick(args[0], state) ? state.pov / 100.0 : -1.0;
  result.SetReal(angle > 360.0 ? -1.0 : angle);
}

static const code::FunctionTableRow kInputFunctions[] = {
    {"keyboard_check", 1, KeyboardCheck},
    {"keyboard_check_pressed", 1, KeyboardCheckPressed},
    {"keyboard_check_released", 1, KeyboardCheckReleased},
    {"keyboard_check_direct", 1, KeyboardCheckDirect},
    {"keyboard_key_press", 1, KeyboardKeyPress},
    {"keyboard_key_release", 1, KeyboardKeyRelease},
    {"keyboard_get_numlock", 0, KeyboardGetNumlock},
    {"keyboard_set_numlock", 1, KeyboardSetNumlock},
    {"keyboard_set_map", 2, KeyboardSetMap},
    {"keyboard_get_map", 1, KeyboardGetMap},
    {"keyboard_unset_map", 0, KeyboardUnsetMap},
    {"keyboard_clear", 1, KeyboardClear},
    {"keyboard_wait", 0, KeyboardWait},
    {"mouse_check_button", 1, MouseCheckButton},
    {"mouse_check_button_pressed", 1, MouseCheckButtonPressed},
    {"mouse_check_button_released", 1, MouseCheckButtonReleased},
    {"mouse_clear", 1, MouseClear},
    {"mouse_wait", 0, MouseWait},
    {"io_clear", 0, IoClear},
    {"io_handle", 0, IoHandle},
    {"joystick_exists", 1, JoystickExists},
    {"joystick_name", 1, JoystickName},
    {"joystick_axes", 1, JoystickAxes},
    {"joystick_buttons", 1, JoystickButtons},
    {"joystick_has_pov", 1, JoystickHasPov},
    {"joystick_direction", 1, JoystickDirection},
    {"joystick_check_button", 2, JoystickCheckButton},
    {"joystick_xpos", 1, JoystickAxis<0>},
    {"joystick_ypos", 1, JoystickAxis<1>},
    {"joystick_zpos", 1, JoystickAxis<2>},
    {"joystick_rpos", 1, JoystickAxis<3>},
    {"joystick_upos", 1, JoystickAxis<4>},
    {"joystick_vpos", 1, JoystickAxis<5>},
    {"joystick_pov", 1, JoystickPov},
};

}  // namespace

void RegisterInputFunctions() { code::RegisterFamily(kInputFunctions); }

}  // namespace vendrel::runtime
