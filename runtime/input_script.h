// Input scripted in a text file (vrun --input FILE), for runs without a
// person. One event per line, applied when the loop processes messages
// before the given step:
//
//   STEP key_down KEY        STEP key_up KEY
//   STEP mouse_move X Y      (window client coordinates)
//   STEP mouse_down BUTTON   STEP mouse_up BUTTON     (1/left, 2/right, 3/middle)
//   STEP wheel up|down
//   STEP text "abc"          (UTF-8; \" \\ \n \t \b for backspace, \r for enter)
//   STEP close               (the window's close button)
//   STEP joystick_axis ID AXIS VALUE      (AXIS x y z r u v, VALUE -1..1)
//   STEP joystick_button ID BUTTON down|up
//   STEP joystick_pov ID DEGREES          (-1: centred)
//
// STEP counts the steps of the run from 1. KEY is a key code (0..255), a
// vk_* name or a single letter. Blank lines and lines starting with # are
// skipped. Lines need not be in step order; lines of one step apply in
// file order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel::runtime {

struct ScriptedInput {
  enum class Kind {
    kKeyDown,
    kKeyUp,
    kMouseMove,
    kMouseDown,
    kMouseUp,
    kWheelUp,
    kWheelDown,
    kText,
    kClose,
    kJoystickAxis,
    kJoystickButtonDown,
    kJoystickButtonUp,
    kJoystickPov,
  };
  int64_t step = 0;
  Kind kind = Kind::kKeyDown;
  // Key, button or joystick id; the x of a mouse move.
  int a = 0;
  // Axis or joystick button; the y of a mouse move.
  int b = 0;
  // Axis position or hat angle.
  double value = 0.0;
  // Windows-1252 text.
  std::string text;
};

// Parses a script; false with "line N: reason" in [error] for a line it
// cannot read. The result is sorted by step, file order kept within one.
bool ParseInputScript(std::string_view script, std::vector<ScriptedInput>& events,
                      std::string& error);
// Reads and parses [file]; the error names the file.
bool LoadInputScript(const std::string& file, std::vector<ScriptedInput>& events,
                     std::string& error);

// The key code of [name] as a script writes it: a number 0..255, a vk_*
// name or one letter; -1 when it is none of them.
int ScriptKeyCode(std::string_view name);

}  // namespace vendrel::runtime
