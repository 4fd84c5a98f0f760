// The translation of the window system's keys into the game language's
// virtual-key codes. Scan codes are the USB HID usage numbers; key codes of
// keys without a character are the scan code with bit 30 set.
#include <gtest/gtest.h>

#include "platform/keymap.h"

namespace vendrel::platform {
namespace {

constexpr int NoCharacter(int scancode) { return scancode | (1 << 30); }

TEST(KeyMap, KeysBecomeVirtualKeyCodes) {
  struct Case {
    const char* key;
    int keycode, scancode;
    bool numlock;
    int vk, side;
  };
  const Case cases[] = {
      // Letters follow the layout: the key in Q's place types 'a' on AZERTY.
      {"Q", 'q', 20, true, 81, 0},
      {"A on AZERTY", 'a', 20, true, 65, 0},
      // Digits follow the place: the '1' key types '&' on AZERTY.
      {"1", '1', 30, true, 49, 0},
      {"1 on AZERTY", '&', 30, true, 49, 0},
      {"0", '0', 39, true, 48, 0},
      {"Enter", 13, 40, true, 13, 0},
      {"Escape", 27, 41, true, 27, 0},
      {"Backspace", 8, 42, true, 8, 0},
      {"Tab", 9, 43, true, 9, 0},
      {"Space", ' ', 44, true, 32, 0},
      {"Minus", '-', 45, true, 189, 0},
      {"Equals", '=', 46, true, 187, 0},
      {"Left bracket", '[', 47, true, 219, 0},
      {"Semicolon", ';', 51, true, 186, 0},
      {"Apostrophe", '\'', 52, true, 222, 0},
      {"Grave", '`', 53, true, 192, 0},
      {"Comma", ',', 54, true, 188, 0},
      {"Slash", '/', 56, true, 191, 0},
      {"Caps Lock", NoCharacter(57), 57, true, 20, 0},
      {"F1", NoCharacter(58), 58, true, 112, 0},
      {"F12", NoCharacter(69), 69, true, 123, 0},
      {"Print Screen", NoCharacter(70), 70, true, 44, 0},
      {"Scroll Lock", NoCharacter(71), 71, true, 145, 0},
      {"Pause", NoCharacter(72), 72, true, 19, 0},
      {"Insert", NoCharacter(73), 73, true, 45, 0},
      {"Home", NoCharacter(74), 74, true, 36, 0},
      {"Page Up", NoCharacter(75), 75, true, 33, 0},
      {"Delete", 127, 76, true, 46, 0},
      {"End", NoCharacter(77), 77, true, 35, 0},
      {"Page Down", NoCharacter(78), 78, true, 34, 0},
      {"Right", NoCharacter(79), 79, true, 39, 0},
      {"Left", NoCharacter(80), 80, true, 37, 0},
      {"Down", NoCharacter(81), 81, true, 40, 0},
      {"Up", NoCharacter(82), 82, true, 38, 0},
      {"Num Lock", NoCharacter(83), 83, true, 144, 0},
      {"Keypad /", NoCharacter(84), 84, true, 111, 0},
      {"Keypad *", NoCharacter(85), 85, true, 106, 0},
      {"Keypad -", NoCharacter(86), 86, false, 109, 0},
      {"Keypad +", NoCharacter(87), 87, false, 107, 0},
      {"Keypad Enter", NoCharacter(88), 88, false, 13, 0},
      // Keypad digits: numbers with Num Lock, the keys printed on them
      // without.
      {"Keypad 1", NoCharacter(89), 89, true, 97, 0},
      {"Keypad 1 (End)", NoCharacter(89), 89, false, 35, 0},
      {"Keypad 2 (Down)", NoCharacter(90), 90, false, 40, 0},
      {"Keypad 5", NoCharacter(93), 93, true, 101, 0},
      {"Keypad 5 (Clear)", NoCharacter(93), 93, false, 12, 0},
      {"Keypad 7 (Home)", NoCharacter(95), 95, false, 36, 0},
      {"Keypad 9", NoCharacter(97), 97, true, 105, 0},
      {"Keypad 0", NoCharacter(98), 98, true, 96, 0},
      {"Keypad 0 (Insert)", NoCharacter(98), 98, false, 45, 0},
      {"Keypad .", NoCharacter(99), 99, true, 110, 0},
      {"Keypad . (Delete)", NoCharacter(99), 99, false, 46, 0},
      {"Application", NoCharacter(101), 101, true, 93, 0},
      {"F13", NoCharacter(104), 104, true, 124, 0},
      {"Left Control", NoCharacter(224), 224, true, 17, 162},
      {"Left Shift", NoCharacter(225), 225, true, 16, 160},
      {"Left Alt", NoCharacter(226), 226, true, 18, 164},
      {"Left Windows", NoCharacter(227), 227, true, 91, 0},
      {"Right Control", NoCharacter(228), 228, true, 17, 163},
      {"Right Shift", NoCharacter(229), 229, true, 16, 161},
      {"Right Alt", NoCharacter(230), 230, true, 18, 165},
      {"Right Windows", NoCharacter(231), 231, true, 92, 0},
      {"unknown", NoCharacter(120), 120, true, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VirtualKeyFromSdl(c.keycode, c.scancode, c.numlock), c.vk) << c.key;
    EXPECT_EQ(SideVirtualKey(c.scancode), c.side) << c.key;
  }
}

TEST(KeyMap, CharactersOfTypedKeys) {
  struct Case {
    int vk;
    bool shift;
    unsigned char c;
  };
  const Case cases[] = {
      {65, false, 'a'}, {65, true, 'A'},  {90, false, 'z'}, {49, false, '1'},
      {49, true, '!'},  {48, true, ')'},  {32, false, ' '}, {8, false, 8},
      {13, true, 13},   {96, false, '0'}, {105, true, '9'}, {107, false, '+'},
      {110, false, '.'}, {186, true, ':'}, {222, true, '"'}, {37, false, 0},
      {112, false, 0},  {16, true, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CharacterOfVirtualKey(c.vk, c.shift), c.c) << c.vk << " shift " << c.shift;
}

}  // namespace
}  // namespace vendrel::platform
