#include "platform/keymap.h"

#include <SDL.h>

namespace vendrel::platform {

namespace {

// Windows virtual-key codes used below.
enum : int {
  kVkBack = 8, kVkTab = 9, kVkClear = 12, kVkReturn = 13, kVkShift = 16, kVkControl = 17,
  kVkMenu = 18, kVkPause = 19, kVkCapital = 20, kVkEscape = 27, kVkSpace = 32, kVkPrior = 33,
  kVkNext = 34, kVkEnd = 35, kVkHome = 36, kVkLeft = 37, kVkUp = 38, kVkRight = 39,
  kVkDown = 40, kVkSnapshot = 44, kVkInsert = 45, kVkDelete = 46, kVkLWin = 91, kVkRWin = 92,
  kVkApps = 93, kVkNumpad0 = 96, kVkMultiply = 106, kVkAdd = 107, kVkSubtract = 109,
  kVkDecimal = 110, kVkDivide = 111, kVkF1 = 112, kVkF13 = 124, kVkNumLock = 144,
  kVkScroll = 145, kVkLShift = 160, kVkRShift = 161, kVkLControl = 162, kVkRControl = 163,
  kVkLMenu = 164, kVkRMenu = 165, kVkVolumeMute = 173, kVkVolumeDown = 174,
  kVkVolumeUp = 175, kVkOem1 = 186, kVkOemPlus = 187, kVkOemComma = 188, kVkOemMinus = 189,
  kVkOemPeriod = 190, kVkOem2 = 191, kVkOem3 = 192, kVkOem4 = 219, kVkOem5 = 220,
  kVkOem6 = 221, kVkOem7 = 222, kVkOem102 = 226,
};

// Punctuation by the character the layout puts on the key.
int PunctuationKey(int keycode) {
  switch (keycode) {
    case ';': return kVkOem1;
    case '=': return kVkOemPlus;
    case ',': return kVkOemComma;
    case '-': return kVkOemMinus;
    case '.': return kVkOemPeriod;
    case '/': return kVkOem2;
    case '`': return kVkOem3;
    case '[': return kVkOem4;
    case '\\': return kVkOem5;
    case ']': return kVkOem6;
    case '\'': return kVkOem7;
    default: return 0;
  }
}

// Keypad keys 1..9 and 0 without Num Lock: the keys printed on them.
constexpr int kKeypadNavigation[10] = {kVkEnd,  kVkDown, kVkNext, kVkLeft, kVkClear,
                                       kVkRight, kVkHome, kVkUp,  kVkPrior, kVkInsert};

int KeyByPlace(int scancode, bool numlock) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
    return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
    return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
    return kVkF1 + (scancode - SDL_SCANCODE_F1);
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
    return kVkF13 + (scancode - SDL_SCANCODE_F13);
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) {
    const int digit = scancode == SDL_SCANCODE_KP_0 ? 0 : 1 + (scancode - SDL_SCANCODE_KP_1);
    return numlock ? kVkNumpad0 + digit : kKeypadNavigation[scancode - SDL_SCANCODE_KP_1];
  }
  switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return kVkReturn;
    case SDL_SCANCODE_ESCAPE: return kVkEscape;
    case SDL_SCANCODE_BACKSPACE: return kVkBack;
    case SDL_SCANCODE_TAB: return kVkTab;
    case SDL_SCANCODE_SPACE: return kVkSpace;
    case SDL_SCANCODE_MINUS: return kVkOemMinus;
    case SDL_SCANCODE_EQUALS: return kVkOemPlus;
    case SDL_SCANCODE_LEFTBRACKET: return kVkOem4;
    case SDL_SCANCODE_RIGHTBRACKET: return kVkOem6;
    case SDL_SCANCODE_BACKSLASH: return kVkOem5;
    case SDL_SCANCODE_NONUSHASH: return kVkOem5;
    case SDL_SCANCODE_SEMICOLON: return kVkOem1;
    case SDL_SCANCODE_APOSTROPHE: return kVkOem7;
    case SDL_SCANCODE_GRAVE: return kVkOem3;
    case SDL_SCANCODE_COMMA: return kVkOemComma;
    case SDL_SCANCODE_PERIOD: return kVkOemPeriod;
    case SDL_SCANCODE_SLASH: return kVkOem2;
    case SDL_SCANCODE_CAPSLOCK: return kVkCapital;
    case SDL_SCANCODE_PRINTSCREEN: return kVkSnapshot;
    case SDL_SCANCODE_SCROLLLOCK: return kVkScroll;
    case SDL_SCANCODE_PAUSE: return kVkPause;
    case SDL_SCANCODE_INSERT: return kVkInsert;
    case SDL_SCANCODE_HOME: return kVkHome;
    case SDL_SCANCODE_PAGEUP: return kVkPrior;
    case SDL_SCANCODE_DELETE: return kVkDelete;
    case SDL_SCANCODE_END: return kVkEnd;
    case SDL_SCANCODE_PAGEDOWN: return kVkNext;
    case SDL_SCANCODE_RIGHT: return kVkRight;
    case SDL_SCANCODE_LEFT: return kVkLeft;
    case SDL_SCANCODE_DOWN: return kVkDown;
    case SDL_SCANCODE_UP: return kVkUp;
    case SDL_SCANCODE_NUMLOCKCLEAR: return kVkNumLock;
    case SDL_SCANCODE_KP_DIVIDE: return kVkDivide;
    case SDL_SCANCODE_KP_MULTIPLY: return kVkMultiply;
    case SDL_SCANCODE_KP_MINUS: return kVkSubtract;
    case SDL_SCANCODE_KP_PLUS: return kVkAdd;
    case SDL_SCANCODE_KP_ENTER: return kVkReturn;
    case SDL_SCANCODE_KP_PERIOD: return numlock ? kVkDecimal : kVkDelete;
    case SDL_SCANCODE_NONUSBACKSLASH: return kVkOem102;
    case SDL_SCANCODE_APPLICATION: return kVkApps;
    case SDL_SCANCODE_MUTE: return kVkVolumeMute;
    case SDL_SCANCODE_VOLUMEUP: return kVkVolumeUp;
    case SDL_SCANCODE_VOLUMEDOWN: return kVkVolumeDown;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return kVkControl;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return kVkShift;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return kVkMenu;
    case SDL_SCANCODE_LGUI: return kVkLWin;
    case SDL_SCANCODE_RGUI: return kVkRWin;
    default: return 0;
  }
}

bool IsKeypad(int scancode) {
  return scancode >= SDL_SCANCODE_KP_DIVIDE && scancode <= SDL_SCANCODE_KP_PERIOD;
}

}  // namespace

int VirtualKeyFromSdl(int keycode, int scancode, bool numlock) {
  if (!IsKeypad(scancode)) {
    // Letters and punctuation where the layout puts them, as Windows does.
    if (keycode >= 'a' && keycode <= 'z') return 'A' + (keycode - 'a');
    if (const int punctuation = PunctuationKey(keycode)) return punctuation;
  }
  return KeyByPlace(scancode, numlock);
}

int SideVirtualKey(int scancode) {
  switch (scancode) {
    case SDL_SCANCODE_LSHIFT: return kVkLShift;
    case SDL_SCANCODE_RSHIFT: return kVkRShift;
    case SDL_SCANCODE_LCTRL: return kVkLControl;
    case SDL_SCANCODE_RCTRL: return kVkRControl;
    case SDL_SCANCODE_LALT: return kVkLMenu;
    case SDL_SCANCODE_RALT: return kVkRMenu;
    default: return 0;
  }
}

unsigned char CharacterOfVirtualKey(int vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<unsigned char>(shift ? vk : vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return static_cast<unsigned char>(shift ? ")!@#$%^&*("[vk - '0'] : vk);
  if (vk >= kVkNumpad0 && vk <= kVkNumpad0 + 9)
    return static_cast<unsigned char>('0' + (vk - kVkNumpad0));
  struct Typed {
    int vk;
    char plain, shifted;
  };
  static constexpr Typed kTyped[] = {
      {kVkSpace, ' ', ' '},     {kVkBack, 8, 8},          {kVkTab, 9, 9},
      {kVkReturn, 13, 13},      {kVkEscape, 27, 27},      {kVkMultiply, '*', '*'},
      {kVkAdd, '+', '+'},       {kVkSubtract, '-', '-'},  {kVkDecimal, '.', '.'},
      {kVkDivide, '/', '/'},    {kVkOem1, ';', ':'},      {kVkOemPlus, '=', '+'},
      {kVkOemComma, ',', '<'},  {kVkOemMinus, '-', '_'},  {kVkOemPeriod, '.', '>'},
      {kVkOem2, '/', '?'},      {kVkOem3, '`', '~'},      {kVkOem4, '[', '{'},
      {kVkOem5, '\\', '|'},     {kVkOem6, ']', '}'},      {kVkOem7, '\'', '"'},
  };
  for (const Typed& typed : kTyped)
    if (typed.vk == vk) return static_cast<unsigned char>(shift ? typed.shifted : typed.plain);
  return 0;
}

}  // namespace vendrel::platform
