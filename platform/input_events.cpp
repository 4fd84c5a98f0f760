#include "platform/input_events.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/keymap.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace vendrel::platform {

namespace {

// Keys that type a control character on Windows but send no SDL text.
unsigned char ControlCharacter(int vk, const SDL_Keysym& key) {
  switch (vk) {
    case 8:
    case 9:
    case 13:
    case 27:
      return static_cast<unsigned char>(vk);
    default:
      break;
  }
  // Control with a letter (and no alt): characters 1 to 26.
  if ((key.mod & KMOD_CTRL) != 0 && (key.mod & KMOD_ALT) == 0 && vk >= 'A' && vk <= 'Z')
    return static_cast<unsigned char>(vk - 'A' + 1);
  return 0;
}

// The Windows-1252 bytes of UTF-8 [text]; '?' for a character that
// Windows-1252 lacks.
std::string ToWindows1252(const char* text) {
  std::string result;
  const size_t length = std::strlen(text);
  size_t i = 0;
  while (i < length) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t size = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    size = std::min(size, length - i);
    const std::string game = HostNameToGame(std::string_view(text + i, size));
    result += game.size() == 1 ? game[0] : '?';
    i += size;
  }
  return result;
}

int Button(uint8_t sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

}  // namespace

void PumpInputEvents(InputEventSink& sink) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  if (!SDL_IsTextInputActive()) SDL_StartTextInput();
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const SDL_Keysym& key = event.key.keysym;
        const bool numlock = (SDL_GetModState() & KMOD_NUM) != 0;
        const int vk = VirtualKeyFromSdl(key.sym, key.scancode, numlock);
        if (vk == 0) break;
        const int side = SideVirtualKey(key.scancode);
        if (event.type == SDL_KEYUP) {
          sink.KeyUp(vk, side);
          break;
        }
        sink.KeyDown(vk, side);
        if (const unsigned char c = ControlCharacter(vk, key)) sink.Character(c);
        break;
      }
      case SDL_TEXTINPUT:
        for (char c : ToWindows1252(event.text.text)) sink.Character(static_cast<unsigned char>(c));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (const int button = Button(event.button.button)) {
          sink.MouseMoved(event.button.x, event.button.y);
          sink.MouseButton(button, event.type == SDL_MOUSEBUTTONDOWN);
        }
        break;
      case SDL_MOUSEMOTION:
        sink.MouseMoved(event.motion.x, event.motion.y);
        break;
      case SDL_MOUSEWHEEL: {
        int steps = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
        if (steps != 0) sink.Wheel(steps);
        break;
      }
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) sink.CloseRequested();
        break;
      case SDL_QUIT:
        sink.CloseRequested();
        break;
      default:
        break;
    }
  }
}

bool HasInteractiveInput() {
  if (IsHeadless() || SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  // The in-memory driver (no display server) has no keyboard or mouse.
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "offscreen") != 0;
}

bool NumLockOn() { return (SDL_GetModState() & KMOD_NUM) != 0; }

void SetNumLock(bool on) {
  const int mods = SDL_GetModState();
  SDL_SetModState(static_cast<SDL_Keymod>(on ? (mods | KMOD_NUM) : (mods & ~KMOD_NUM)));
}

namespace {

struct OpenJoysticks {
  bool started = false;
  bool failed = false;
  SDL_Joystick* devices[2] = {nullptr, nullptr};
};

OpenJoysticks& Joysticks() {
  static OpenJoysticks joysticks;
  return joysticks;
}

// The joystick at [device], opened (again) when it is attached.
SDL_Joystick* Joystick(int device) {
  OpenJoysticks& joysticks = Joysticks();
  if (joysticks.failed) return nullptr;
  if (!joysticks.started) {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
      joysticks.failed = true;
      return nullptr;
    }
    joysticks.started = true;
  }
  SDL_JoystickUpdate();
  SDL_Joystick*& open = joysticks.devices[device];
  if (open != nullptr && !SDL_JoystickGetAttached(open)) {
    SDL_JoystickClose(open);
    open = nullptr;
  }
  if (open == nullptr && device < SDL_NumJoysticks()) open = SDL_JoystickOpen(device);
  return open;
}

// Hundredths of a degree clockwise from up, as the Windows interface
// reports a point-of-view hat.
int HatAngle(uint8_t hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return 65535;
  }
}

}  // namespace

bool QueryJoystick(int device, JoystickState& state) {
  state = JoystickState();
  if (device < 0 || device > 1) return false;
  SDL_Joystick* joystick = Joystick(device);
  if (joystick == nullptr) return false;
  const char* name = SDL_JoystickName(joystick);
  state.name = name != nullptr ? std::string(name).substr(0, 32) : "";
  state.axis_count = std::min(SDL_JoystickNumAxes(joystick), 6);
  state.button_count = std::min(SDL_JoystickNumButtons(joystick), 32);
  state.has_pov = SDL_JoystickNumHats(joystick) > 0;
  for (int axis = 0; axis < state.axis_count; ++axis)
    state.axes[size_t(axis)] = int(SDL_JoystickGetAxis(joystick, axis)) + 32768;
  for (int button = 0; button < state.button_count; ++button)
    if (SDL_JoystickGetButton(joystick, button) != 0) state.buttons |= 1u << button;
  if (state.has_pov) state.pov = HatAngle(SDL_JoystickGetHat(joystick, 0));
  return true;
}

}  // namespace vendrel::platform
