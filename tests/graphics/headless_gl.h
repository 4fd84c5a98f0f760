// A window and OpenGL drawing device for tests, headless when there is no
// display: SDL's offscreen driver gives a context on the software renderer.
// Tests skip (with the reason) only when no OpenGL context can be had.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gl_device.h"
#include "platform/window.h"

namespace vendrel::testing {

inline void UseOffscreenVideoWithoutDisplay() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

struct HeadlessGl {
  std::unique_ptr<platform::Window> window;
  std::unique_ptr<platform::GraphicsDevice> device;
  std::string failure;

  // Opens a hidden window of the given client size with a device whose back
  // buffer is [back_width] by [back_height].
  bool Open(int client_width, int client_height, int back_width, int back_height) {
    UseOffscreenVideoWithoutDisplay();
    platform::WindowOptions options;
    options.caption = "test";
    options.width = client_width;
    options.height = client_height;
    options.visible = false;
    window = platform::Window::Create(options, &failure);
    if (!window) {
      failure = "no window: " + failure;
      return false;
    }
    device = platform::CreateGlDevice(*window, back_width, back_height, &failure);
    if (!device) {
      failure = "no OpenGL 3.3 context: " + failure;
      return false;
    }
    return true;
  }

  // The device alone, handing the window over to the caller's keeping.
  std::unique_ptr<platform::GraphicsDevice> TakeDevice() { return std::move(device); }
};

}  // namespace vendrel::testing

#define VENDREL_OPEN_GL_OR_SKIP(gl, cw, ch, bw, bh)                               \
  do {                                                                            \
    if (!(gl).Open(cw, ch, bw, bh)) GTEST_SKIP() << "no OpenGL: " << (gl).failure; \
  } while (0)
