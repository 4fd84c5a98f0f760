// The keys of the window system as the game language numbers them: SDL
// key and scan codes turned into Windows virtual-key codes (vk_* values).
#pragma once

namespace vendrel::platform {

// The virtual-key code of the key with SDL key code [keycode] and scan code
// [scancode]; 0 for a key the game language has no code for. Letters and
// punctuation follow the keyboard layout (the key code), other keys their
// place (the scan code). Keypad digits and the keypad period give the
// vk_numpad* and vk_decimal codes with [numlock] on, and the codes of the
// navigation keys printed on them with it off. Both shift, control and alt
// keys give the shared codes 16, 17 and 18.
int VirtualKeyFromSdl(int keycode, int scancode, bool numlock);

// The code of the left or right variant of a shift, control or alt key
// (160 to 165), or 0 for any other key.
int SideVirtualKey(int scancode);

// The character a key produces when it is typed, for keys that type one
// (letters in lower case, or upper case with [shift]; digits and US-layout
// punctuation with their shifted symbols; space, backspace, tab, enter,
// escape and the keypad's digits and operators); 0 for other keys.
unsigned char CharacterOfVirtualKey(int vk, bool shift);

}  // namespace vendrel::platform
