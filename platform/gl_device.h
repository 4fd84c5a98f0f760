// The OpenGL 3.3 core back end of the drawing device.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics_device.h"
#include "platform/window.h"

namespace vendrel::platform {

// Creates an OpenGL context on [window] and a device whose back buffer is
// [back_buffer_width] by [back_buffer_height]. The window must outlive the
// device. Gives nullptr, with the reason in [error], when no OpenGL 3.3
// context can be had.
std::unique_ptr<GraphicsDevice> CreateGlDevice(Window& window, int back_buffer_width,
                                               int back_buffer_height, std::string* error);

}  // namespace vendrel::platform
