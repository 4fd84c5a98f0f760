// Keyboard, mouse, window-closing and joystick input from the window
// system (SDL), handed to the runtime in the terms of the game language:
// Windows virtual-key codes, Windows-1252 characters, buttons 1 to 3 and
// joystick positions on the 0..65535 scale of the Windows joystick
// interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vendrel::platform {

// Receives the input events that PumpInputEvents finds.
class InputEventSink {
 public:
  virtual ~InputEventSink() = default;
  // A key went down (again, for auto-repeat) or up: [vk] its virtual-key
  // code, [side_vk] the code of its left or right variant (160..165) or 0.
  virtual void KeyDown(int vk, int side_vk) = 0;
  virtual void KeyUp(int vk, int side_vk) = 0;
  // A character was typed (a Windows-1252 byte; 8 for backspace, 13 for
  // enter, control characters for control + letter).
  virtual void Character(unsigned char c) = 0;
  // [button]: 1 left, 2 right, 3 middle.
  virtual void MouseButton(int button, bool down) = 0;
  // The cursor moved to ([x], [y]) in the window's client area.
  virtual void MouseMoved(int x, int y) = 0;
  // The wheel turned up (positive) or down (negative) by [steps] notches.
  virtual void Wheel(int steps) = 0;
  // The user asked to close the window.
  virtual void CloseRequested() = 0;
};

// Takes every pending window-system event and hands the input events to
// [sink]; nothing when no window system runs. Other window events only
// update the window's state that SDL keeps.
void PumpInputEvents(InputEventSink& sink);

// Whether a person can give input: a window system with a display runs
// and the run is not headless. Without it, nothing but scripted input ever
// arrives.
bool HasInteractiveInput();

// The Num Lock state as the window system reports it, and a change of
// the state it reports (the keyboard's light may not follow).
bool NumLockOn();
void SetNumLock(bool on);

// One joystick as the Windows joystick interface describes it.
struct JoystickState {
  std::string name;  // at most 32 characters
  int axis_count = 0;
  int button_count = 0;
  bool has_pov = false;
  // x, y, z, r, u, v on 0..65535 (32767 centred).
  std::array<int, 6> axes{32767, 32767, 32767, 32767, 32767, 32767};
  uint32_t buttons = 0;  // bit b-1 for button b
  // The hat in hundredths of a degree clockwise from up; 65535 centred.
  int pov = 65535;
};

// Reads joystick [device] (0 the first, 1 the second); false when there is
// no such device. Opens the joystick subsystem on first use.
bool QueryJoystick(int device, JoystickState& state);

}  // namespace vendrel::platform
