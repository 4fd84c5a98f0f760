// Keyboard, mouse and joystick input: the handlers' state, the keyboard,
// mouse and joystick events of the step, simulated key presses, closing
// the window, the input functions, and scripted input files.
#include <filesystem>
#include <fstream>

#include "runner/settings.h"
#include "runtime/input_script.h"
#include "tests/runtime/motion_fixture.h"
#include "tests/temp_path.h"

namespace vendrel::testing {
namespace {

using resources::kEventKeyboard;
using resources::kEventKeyPress;
using resources::kEventKeyRelease;
using resources::kEventMouse;
using runtime::Devices;
using runtime::Input;

class InputTest : public MotionGameTest {
 protected:
  void TearDown() override {
    runner::Settings() = runner::GameSettings();
    if (!script_.empty()) std::filesystem::remove(script_);
    MotionGameTest::TearDown();
  }

  // Installs [text] as the input script of the run.
  void Script(const std::string& text) {
    script_ = TestTempPath("_input.txt");
    std::ofstream(script_) << text;
    std::string error;
    ASSERT_TRUE(runtime::InstallInput(script_, &error)) << error;
  }

  // An object whose begin step counts the steps in global.s.
  int Counter() {
    const int o = AddObject("counter");
    Code(o, resources::kEventCreate, 0, "global.s = 0");
    Code(o, resources::kEventStep, 1, "global.s += 1");
    return o;
  }

  std::string script_;
};

TEST_F(InputTest, TypedCharactersBuildTheKeyboardString) {
  struct Case {
    std::string typed;
    std::string text, lastchar;
  };
  const Case cases[] = {
      {"ab\bc", "ac", "c"},
      {"\b\b", "", "\b"},
      {"x\x05", "x", "\x05"},  // control characters only become the last character
      {"a\r", "a", "\r"},
  };
  for (const Case& c : cases) {
    runtime::ClearAllInput();
    for (char ch : c.typed) runtime::HandleCharacter(static_cast<unsigned char>(ch));
    EXPECT_EQ(Input().keyboard_string, c.text);
    EXPECT_EQ(Input().keyboard_lastchar, c.lastchar);
  }
  // The text is cut to 1024 before each new character.
  runtime::ClearAllInput();
  for (int i = 0; i < 1030; ++i) runtime::HandleCharacter('a' + i % 26);
  EXPECT_EQ(Input().keyboard_string.size(), 1025u);
  EXPECT_EQ(Input().keyboard_string.back(), 'a' + 1029 % 26);
}

TEST_F(InputTest, KeyHandlersAndTheKeyMap) {
  runtime::HandleKeyDown(65);
  runtime::HandleKeyDown(66);
  EXPECT_EQ(Input().keyboard_key, 66);
  runtime::HandleKeyUp(65);  // not the current key: keyboard_key stays
  EXPECT_EQ(Input().keyboard_key, 66);
  runtime::HandleKeyUp(66);
  EXPECT_EQ(Input().keyboard_key, 0);
  EXPECT_EQ(Input().keyboard_lastkey, 66);
  EXPECT_TRUE(Devices().key_pressed[65]);
  EXPECT_TRUE(Devices().key_released[65]);

  // Auto-repeat does not press again.
  runtime::EndStepInput();
  runtime::HandleKeyDown(70);
  runtime::EndStepInput();
  runtime::HandleKeyDown(70);
  EXPECT_FALSE(Devices().key_pressed[70]);
  EXPECT_TRUE(Devices().key_down[70]);

  // Codes outside 0..255 after the map are ignored.
  runtime::HandleKeyDown(300);
  EXPECT_EQ(Input().keyboard_key, 70);
  Devices().key_map[71] = 999;
  runtime::HandleKeyDown(71);
  EXPECT_EQ(Input().keyboard_key, 70);
}

TEST_F(InputTest, KeyCheckFunctions) {
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0,
       "log(keyboard_check(0), keyboard_check(1), keyboard_check(65));"
       "keyboard_set_map(65, 66); log(keyboard_get_map(65), keyboard_get_map(300));"
       "keyboard_key_press(65); io_handle();"
       "log(keyboard_check(0), keyboard_check(1), keyboard_check(65), keyboard_check(66),"
       " keyboard_check_pressed(66), keyboard_check_direct(65), keyboard_check_direct(66),"
       " keyboard_check(300), keyboard_check(-1));"
       "keyboard_unset_map(); log(keyboard_get_map(65));"
       "keyboard_clear(66); log(keyboard_check(1), keyboard_check_pressed(1))");
  Place(AddRoom("r"), o, 0, 0);
  Begin();
  EXPECT_EQ(Log(), Lines({"1 0 0", "66 300", "0 1 0 1 1 1 0 0 0", "65", "0 0"}));
}

TEST_F(InputTest, HeldKeyGivesOnePressKeyboardEveryStepAndOneRelease) {
  const int counter = Counter();
  const int o = AddObject("o");
  Code(o, kEventKeyboard, 65, "log(global.s, 'keyboard A')");
  Code(o, kEventKeyPress, 65, "log(global.s, 'press A')");
  Code(o, kEventKeyRelease, 65, "log(global.s, 'release A')");
  Code(o, kEventKeyPress, 1, "log(global.s, 'press any')");
  Code(o, kEventKeyRelease, 0, "if (global.s == 1) log(global.s, 'release none')");
  const int r = AddRoom("r");
  Place(r, counter, 0, 0);
  Place(r, o, 0, 0);
  Script("2 key_down A\n5 key_up 65\n# a key pressed and released within one step\n"
         "7 key_down vk_space\n7 key_up vk_space\n");
  Code(o, kEventKeyboard, 32, "log(global.s, 'keyboard space')");
  Code(o, kEventKeyPress, 32, "log(global.s, 'press space')");
  Code(o, kEventKeyRelease, 32, "log(global.s, 'release space')");
  Play(8);
  EXPECT_EQ(Log(), Lines({"1 release none", "2 keyboard A", "2 press A", "2 press any",
                          "3 keyboard A", "4 keyboard A", "5 release A", "7 keyboard space",
                          "7 press space", "7 press any", "7 release space"}));
}

TEST_F(InputTest, KeysAboveTheEventRangeCountForAnyKeyOnly) {
  const int counter = Counter();
  const int o = AddObject("o");
  Code(o, kEventKeyboard, 1, "log(global.s, 'any', keyboard_check(200))");
  Code(o, kEventKeyboard, 0, "log(global.s, 'none')");
  const int r = AddRoom("r");
  Place(r, counter, 0, 0);
  Place(r, o, 0, 0);
  Script("2 key_down 200\n3 key_up 200\n");
  Play(3);
  EXPECT_EQ(Log(), Lines({"1 none", "2 any 1", "3 none"}));
}

TEST_F(InputTest, SimulatedPressesArriveWithTheNextMessages) {
  const int counter = Counter();
  const int o = AddObject("o");
  Code(o, resources::kEventStep, 0,
       "if (global.s == 1) { keyboard_key_press(65); log(1, keyboard_check(65)) }"
       "if (global.s == 2) { log(2, keyboard_check_pressed(65), keyboard_string, keyboard_lastkey);"
       " keyboard_key_press(vk_shift); keyboard_key_press(ord('B')); keyboard_key_release(65) }"
       "if (global.s == 3) log(3, keyboard_check_released(65), keyboard_string,"
       " keyboard_check_direct(vk_shift), keyboard_check(vk_shift))");
  const int r = AddRoom("r");
  Place(r, counter, 0, 0);
  Place(r, o, 0, 0);
  Play(3);
  EXPECT_EQ(Log(), Lines({"1 0", "2 1 a 65", "3 1 aB 1 1"}));
}

TEST_F(InputTest, MouseButtonState) {
  runtime::HandleMouseButton(1, true);
  runtime::HandleMouseButton(2, true);
  EXPECT_EQ(Input().mouse_button, 2);
  runtime::HandleMouseButton(2, false);
  // Any button going up clears mouse_button, though the left is held.
  EXPECT_EQ(Input().mouse_button, 0);
  EXPECT_EQ(Input().mouse_lastbutton, 2);
  runtime::HandleMouseButton(4, true);  // no such button
  EXPECT_EQ(Input().mouse_lastbutton, 2);

  const int counter = Counter();
  const int o = AddObject("o");
  Code(o, resources::kEventStep, 0,
       "log(mouse_check_button(-1), mouse_check_button(0), mouse_check_button(1),"
       " mouse_check_button(2), mouse_check_button_released(2), mouse_check_button_pressed(1),"
       " mouse_check_button(4), keyboard_check_direct(1));"
       "mouse_clear(1); log(mouse_check_button(0), mouse_check_button_released(-1))");
  const int r = AddRoom("r");
  Place(r, counter, 0, 0);
  Place(r, o, 0, 0);
  Script("1 mouse_down left\n1 mouse_down 2\n1 mouse_up right\n");
  Play(1);
  EXPECT_EQ(Log(), Lines({"1 0 1 0 1 1 0 1", "1 1"}));
}

TEST_F(InputTest, MouseEventsUnderTheMouseAndEverywhere) {
  const int counter = Counter();
  const int box = AddBoxSprite("box", 16, 16);
  const int o = AddObject("o");
  Object(o).sprite = box;
  const struct {
    int number;
    const char* name;
  } events[] = {{0, "left"},         {3, "no button"},  {4, "left pressed"},
                {7, "left released"}, {10, "enter"},    {11, "leave"},
                {12, "global press"}, {13, "global release"}, {50, "global left"},
                {53, "global left pressed"}, {56, "global left released"}, {60, "wheel up"},
                {61, "wheel down"}};
  for (const auto& event : events)
    Code(o, kEventMouse, event.number,
         std::string("log(global.s, '") + event.name + "', mouse_x, mouse_y)");
  const int r = AddRoom("r");
  Place(r, counter, 0, 0);
  Place(r, o, 100, 100);
  Script("1 mouse_move 50 50\n2 mouse_move 105 105\n3 mouse_down left\n4 mouse_up 1\n"
         "5 mouse_move 10 10\n5 mouse_down left\n6 wheel up\n6 mouse_up left\n");
  Play(6);
  EXPECT_EQ(Log(), Lines({"2 no button 105 105", "2 enter 105 105", "3 left 105 105",
                          "3 global left 105 105", "3 left pressed 105 105",
                          "3 global press 105 105", "3 global left pressed 105 105",
                          "4 no button 105 105", "4 left released 105 105",
                          "4 global release 105 105", "4 global left released 105 105",
                          "5 global left 10 10", "5 global press 10 10",
                          "5 global left pressed 10 10", "5 leave 10 10",
                          "6 global release 10 10", "6 global left released 10 10",
                          "6 wheel up 10 10"}));
}

TEST_F(InputTest, WindowEventsReachTheHandlers) {
  platform::InputEventSink& window = runtime::WindowEvents();
  // Both shift keys: the shared code stays held until both are up.
  window.KeyDown(16, 160);
  window.KeyDown(16, 161);
  window.KeyUp(16, 160);
  EXPECT_TRUE(Devices().direct[16]);
  EXPECT_FALSE(Devices().direct[160]);
  EXPECT_TRUE(Devices().direct[161]);
  EXPECT_TRUE(Devices().key_released[16]);
  window.KeyUp(16, 161);
  EXPECT_FALSE(Devices().direct[16]);

  window.Character('x');
  window.Wheel(-2);
  window.MouseMoved(7, 9);
  window.MouseButton(3, true);
  EXPECT_EQ(Input().keyboard_string, "x");
  EXPECT_TRUE(Devices().wheel_down);
  EXPECT_FALSE(Devices().wheel_up);
  EXPECT_EQ(Input().mouse_x, 7);
  EXPECT_EQ(Input().mouse_y, 9);
  EXPECT_EQ(Input().mouse_button, 3);
  EXPECT_TRUE(Devices().direct[4]);  // the middle button's key code
  window.CloseRequested();
  EXPECT_TRUE(Devices().key_down[27]);
  EXPECT_FALSE(Devices().key_pressed[27]);
  EXPECT_EQ(Input().keyboard_lastkey, 27);
}

TEST_F(InputTest, WindowToRoomMappingGivesMouseX) {
  runtime::SetWindowToRoomMapping([](double wx, double wy, double& rx, double& ry) {
    rx = wx / 2 + 100;
    ry = wy / 2;
  });
  runtime::HandleCursor(40, 60);
  EXPECT_EQ(Input().mouse_x, 120);
  EXPECT_EQ(Input().mouse_y, 30);
  runtime::SetWindowToRoomMapping(nullptr);
}

TEST_F(InputTest, ClosingTheWindowHoldsEscape) {
  for (bool end_key : {false, true}) {
    SetUp();
    runner::Settings().KeyEndGame = end_key;
    const int counter = Counter();
    const int o = AddObject("o");
    Code(o, resources::kEventStep, 0, "log(global.s, keyboard_check(vk_escape))");
    const int r = AddRoom("r");
    Place(r, counter, 0, 0);
    Place(r, o, 0, 0);
    Script("2 close\n");
    Play(4);
    if (end_key)
      EXPECT_EQ(Log(), Lines({"1 0"}));  // the next step ends the game at once
    else
      EXPECT_EQ(Log(), Lines({"1 0", "2 1", "3 1", "4 1"}));
    EXPECT_FALSE(runtime::Game().running);
    TearDown();
  }
}

TEST_F(InputTest, NumLockFollowsItsKey) {
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0,
       "a = keyboard_get_numlock(); keyboard_set_numlock(true); b = keyboard_get_numlock();"
       "io_handle(); c = keyboard_get_numlock(); keyboard_set_numlock(true); io_handle();"
       "d = keyboard_get_numlock(); keyboard_set_numlock(false); io_handle();"
       "log(a, b, c, d, keyboard_get_numlock(), keyboard_check_released(144))");
  Place(AddRoom("r"), o, 0, 0);
  Begin();
  EXPECT_EQ(Log(), Lines({"0 0 1 1 0 1"}));
}

TEST_F(InputTest, WaitsTakeTheScriptsNextInputWithoutAWindow) {
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0,
       "keyboard_wait(); log(keyboard_lastkey, keyboard_check(vk_enter));"
       "mouse_wait(); log(mouse_lastbutton); mouse_wait(); log('no more input')");
  Place(AddRoom("r"), o, 0, 0);
  Script("40 key_down vk_enter\n90 mouse_down right\n");
  Begin();
  EXPECT_EQ(Log(), Lines({"13 1", "2", "no more input"}));
}

TEST_F(InputTest, ScriptedJoysticks) {
  const int counter = Counter();
  const int o = AddObject("o");
  Code(o, kEventMouse, 16, "log(global.s, 'joy1 left')");
  Code(o, kEventMouse, 18, "log(global.s, 'joy1 up')");
  Code(o, kEventMouse, 23, "log(global.s, 'joy1 button 3')");
  Code(o, kEventMouse, 32, "log(global.s, 'joy2 right')");
  Code(o, resources::kEventStep, 0,
       "log(global.s, joystick_exists(1), joystick_exists(2), joystick_direction(1),"
       " joystick_direction(2), round(joystick_xpos(1) * 100), joystick_check_button(1, 3),"
       " joystick_check_button(1, 33), joystick_pov(1), joystick_axes(1), joystick_name(2))");
  const int r = AddRoom("r");
  Place(r, counter, 0, 0);
  Place(r, o, 0, 0);
  Script("2 joystick_axis 1 x -1\n2 joystick_axis 1 y -1\n2 joystick_button 1 3 down\n"
         "2 joystick_pov 1 90\n3 joystick_axis 2 x 1\n3 joystick_axis 1 y 0\n"
         "3 joystick_axis 1 x 0.5\n3 joystick_button 1 3 up\n3 joystick_pov 1 -1\n");
  Play(3);
  EXPECT_EQ(Log(), Lines({"1 0 0 101 101 0 0 0 -1 0 ", "2 joy1 left", "2 joy1 up",
                          "2 joy1 button 3", "2 1 0 103 101 -100 1 0 90 6 ",
                          "3 joy2 right", "3 1 1 102 102 50 0 0 -1 6 Scripted joystick"}));
}

TEST(InputScript, ParsesEveryEvent) {
  std::vector<runtime::ScriptedInput> events;
  std::string error;
  ASSERT_TRUE(runtime::ParseInputScript(
      "# comment\n\n3 key_down vk_left\n1 text \"a\\\"b\\\\c\\b\\r\"  \r\n"
      "  2 mouse_move 10 -4\n1 key_up q\n2 mouse_down middle\n2 wheel down\n5 close\n"
      "4 joystick_axis 2 v -0.5\n4 joystick_button 1 32 up\n4 joystick_pov 1 270\n",
      events, error))
      << error;
  using Kind = runtime::ScriptedInput::Kind;
  struct Expected {
    int64_t step;
    Kind kind;
    int a, b;
  };
  const Expected expected[] = {
      {1, Kind::kText, 0, 0},          {1, Kind::kKeyUp, 'Q', 0},
      {2, Kind::kMouseMove, 10, -4},   {2, Kind::kMouseDown, 3, 0},
      {2, Kind::kWheelDown, 0, 0},     {3, Kind::kKeyDown, 37, 0},
      {4, Kind::kJoystickAxis, 2, 5},  {4, Kind::kJoystickButtonUp, 1, 32},
      {4, Kind::kJoystickPov, 1, 0},   {5, Kind::kClose, 0, 0},
  };
  ASSERT_EQ(events.size(), std::size(expected));
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].step, expected[i].step) << i;
    EXPECT_EQ(events[i].kind, expected[i].kind) << i;
    EXPECT_EQ(events[i].a, expected[i].a) << i;
    EXPECT_EQ(events[i].b, expected[i].b) << i;
  }
  EXPECT_EQ(events[0].text, "a\"b\\c\b\r");
  EXPECT_EQ(events[6].value, -0.5);
  EXPECT_EQ(events[8].value, 270);
}

TEST(InputScript, TextBecomesWindows1252) {
  std::vector<runtime::ScriptedInput> events;
  std::string error;
  ASSERT_TRUE(runtime::ParseInputScript("1 text \"caf\xC3\xA9 \xE2\x82\xAC\"", events, error));
  EXPECT_EQ(events[0].text, "caf\xE9 \x80");
  EXPECT_FALSE(runtime::ParseInputScript("1 text \"\xE2\x86\x92\"", events, error));
  EXPECT_EQ(error, "line 1: text holds a character that Windows-1252 lacks");
}

TEST(InputScript, ReportsTheLineAndTheReason) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"x key_down 65", "line 1: the step must be a number, not \"x\""},
      {"-1 key_down 65", "line 1: the step must be a number, not \"-1\""},
      {"\n\n1 key_down", "line 3: key_down takes 1 value"},
      {"1 key_down vk_nothing", "line 1: unknown key \"vk_nothing\""},
      {"1 key_down 256", "line 1: unknown key \"256\""},
      {"1 key_down 7x", "line 1: unknown key \"7x\""},
      {"1 text abc", "line 1: text must be in double quotes"},
      {"1 text \"abc", "line 1: text without its closing quote"},
      {"1 text \"a\\qb\"", "line 1: unknown escape in text"},
      {"1 fly", "line 1: unknown event \"fly\""},
      {"1", "line 1: an event must follow the step"},
      {"1 mouse_down 4", "line 1: unknown mouse button \"4\""},
      {"1 mouse_move 1.5 2", "line 1: X must be a whole number, not \"1.5\""},
      {"1 wheel left", "line 1: wheel goes up or down, not \"left\""},
      {"1 close now", "line 1: close takes 0 values"},
      {"1 joystick_axis 1 w 0", "line 1: unknown joystick axis \"w\" (x y z r u v)"},
      {"1 joystick_axis 1 x 2", "line 1: the axis position must lie in -1..1, not \"2\""},
      {"1 joystick_button 1 33 down", "line 1: joystick buttons are 1..32"},
      {"1 joystick_button 1 3 held", "line 1: a joystick button goes down or up, not \"held\""},
      {"1 joystick_pov 1 360", "line 1: the hat angle must be -1 or lie in 0..359, not \"360\""},
  };
  for (const Case& c : cases) {
    std::vector<runtime::ScriptedInput> events;
    std::string error;
    EXPECT_FALSE(runtime::ParseInputScript(c.script, events, error)) << c.script;
    EXPECT_EQ(error, c.error) << c.script;
  }
}

TEST(InputScript, MissingFileIsReported) {
  std::string error;
  EXPECT_FALSE(runtime::InstallInput("/nonexistent/keys.txt", &error));
  EXPECT_EQ(error, "Cannot read the input file \"/nonexistent/keys.txt\".");
  runtime::ResetInput();
}

}  // namespace
}  // namespace vendrel::testing
