// Keyboard, mouse and joystick input: the state that the window's input
// handlers record, the keyboard, joystick and mouse events the step
// dispatches from it, the clears at room start and at the end of each step,
// simulated key presses of game code, and input scripted from a file for
// runs without a person. The values game code reads through built-in
// variables (keyboard_key, mouse_x...) live in InputState (game_state.h).
#pragma once

#include <array>
#include <string>

#include "platform/input_events.h"

namespace vendrel::runtime {

inline constexpr int kKeyCount = 256;
inline constexpr int kEscapeKey = 27;
inline constexpr int kNumLockKey = 144;

struct KeyboardMouseState {
  std::array<bool, kKeyCount> key_down{};
  // Went down (released) since the end of the last step.
  std::array<bool, kKeyCount> key_pressed{};
  std::array<bool, kKeyCount> key_released{};
  // Applied to every key code that arrives; identity unless game code set
  // a mapping.
  std::array<int, kKeyCount> key_map{};
  // The keys as the hardware holds them, before the key map: what
  // keyboard_check_direct reads. Codes 1, 2 and 4 are the left, right and
  // middle mouse buttons, as in the Windows key state.
  std::array<bool, kKeyCount> direct{};
  bool numlock = false;
  // Buttons 1 left, 2 right, 3 middle (index 0 unused).
  std::array<bool, 4> button_down{};
  std::array<bool, 4> button_pressed{};
  std::array<bool, 4> button_released{};
  bool wheel_up = false;
  bool wheel_down = false;
  // The cursor in the window's client area.
  int cursor_x = 0, cursor_y = 0;
  // The mouse in room coordinates at this step's and at the last step's
  // mouse processing (mouse_x and mouse_y follow the cursor between them).
  double mouse_x = 0.0, mouse_y = 0.0;
  double previous_mouse_x = 0.0, previous_mouse_y = 0.0;

  KeyboardMouseState();
};

KeyboardMouseState& Devices();

// Maps a position in the window's client area to room coordinates through
// the region scaling and the drawn views. The drawing side installs it;
// without one, window and room coordinates are the same.
using WindowToRoomMapping = void (*)(double window_x, double window_y, double& room_x,
                                     double& room_y);
void SetWindowToRoomMapping(WindowToRoomMapping mapping);

// The window's input handlers. Key codes go through the key map; codes
// outside 0..255 after it are ignored.
void HandleKeyDown(int key);
void HandleKeyUp(int key);
void HandleCharacter(unsigned char c);
void HandleMouseButton(int button, bool down);
void HandleWheel(bool up);
void HandleCursor(int window_x, int window_y);
// Closing the window: Escape held (without a press), as the last key.
void HandleCloseRequest();
// The hardware state of [key] (unmapped), with the left/right variant
// [side_key] (0 for none) kept in step with its shared code.
void SetDirectKey(int key, int side_key, bool down);

// Clears every key, button, wheel and the typed text (room start, dialogs,
// io_clear). The key map stays.
void ClearAllInput();
// Clears the pressed and released states and the wheel (end of step).
void EndStepInput();

// The events of the step: keyboard, key press and key release; the two
// joysticks; the mouse buttons, enter and leave and the wheel.
void KeyboardEvents();
void JoystickEvents();
void MouseEvents();

// Where the platform layer hands the window system's input events.
platform::InputEventSink& WindowEvents();

// Takes pending window events, simulated key presses and the scripted
// input that is due.
void ProcessInputMessages();
// Processes messages until [done] holds, 50 ms apart. In a run without a
// window, a wait that only scripted input could end takes the script's
// next input at once, and ends when the script has none left.
void WaitForInput(bool (*done)());

// A key event that game code sends as the system would (keyboard_key_press
// and relatives); it arrives with the next message processing.
void SimulateKey(int key, bool down);

// Joystick [id] (2 the second device, anything else the first); false when
// no such device answers. Scripted joysticks take the place of devices.
bool QueryJoystick(int id, platform::JoystickState& state);

// Installs the input entries of the game loop's hooks and loads the input
// script [script_file] (empty: none). False, with the reason in [error],
// when the script cannot be read.
bool InstallInput(const std::string& script_file, std::string* error);
// Back to the state of a new run: no input, identity key map, no script,
// no pending simulated keys.
void ResetInput();

}  // namespace vendrel::runtime
