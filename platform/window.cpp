#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "platform/message_box.h"

namespace vendrel::platform {

namespace {

int g_video_users = 0;

SDL_Window* Sdl(void* handle) { return static_cast<SDL_Window*>(handle); }

// No display server to talk to: use the in-memory driver, unless the user
// chose a driver explicitly.
bool WantsOffscreen() {
  if (IsHeadless()) return true;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0');
}

}  // namespace

bool AcquireVideo(std::string* error) {
  if (g_video_users > 0 || SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    ++g_video_users;
    return true;
  }
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  if (WantsOffscreen() && (chosen == nullptr || *chosen == '\0' || IsHeadless())) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (error) *error = SDL_GetError();
    return false;
  }
  ++g_video_users;
  return true;
}

void ReleaseVideo() {
  // Once started, the video subsystem stays up until the program ends:
  // shutting it down unloads the OpenGL driver, and drivers do not all
  // come back cleanly (or free what they hold) when loaded a second time.
  if (g_video_users > 0) --g_video_users;
}

std::string VideoDriverName() {
  const char* name = SDL_GetCurrentVideoDriver();
  return name ? name : "";
}

DisplayMode DesktopDisplayMode() {
  DisplayMode result;
  std::string ignored;
  if (!AcquireVideo(&ignored)) return result;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    result.width = mode.w;
    result.height = mode.h;
    result.refresh_rate = mode.refresh_rate;
    result.bits_per_pixel = int(SDL_BITSPERPIXEL(mode.format));
    // Drivers that cannot tell report 24 bits for a 32-bit desktop.
    if (result.bits_per_pixel == 24) result.bits_per_pixel = 32;
  }
  ReleaseVideo();
  return result;
}

std::vector<DisplayMode> DisplayModes() {
  std::vector<DisplayMode> modes;
  std::string ignored;
  if (!AcquireVideo(&ignored)) return modes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
    int bits = int(SDL_BITSPERPIXEL(mode.format));
    if (bits == 24) bits = 32;
    modes.push_back({mode.w, mode.h, mode.refresh_rate, bits});
  }
  ReleaseVideo();
  return modes;
}

void GlobalMousePosition(int& x, int& y) {
  x = y = 0;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_GetGlobalMouseState(&x, &y);
}

void WarpMouseGlobal(int x, int y) {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && !IsHeadless()) SDL_WarpMouseGlobal(x, y);
}

std::unique_ptr<Window> Window::Create(const WindowOptions& options, std::string* error) {
  if (!AcquireVideo(error)) return nullptr;
  std::unique_ptr<Window> window(new Window());
  window->offscreen_ = VideoDriverName() == "offscreen";
  // Load the OpenGL library once and keep it: SDL unloads it with the last
  // OpenGL window otherwise, and a driver unloaded and loaded again for
  // every window leaks what it allocated.
  static bool gl_library_loaded = false;
  if (!gl_library_loaded && SDL_GL_LoadLibrary(nullptr) == 0) gl_library_loaded = true;

  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The device draws into its own back buffer and only copies it to the
  // window, so the window needs no depth or stencil buffer.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

  bool show = options.visible && !window->offscreen_ && !IsHeadless();
  Uint32 flags = SDL_WINDOW_OPENGL | (show ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
  if (options.resizable) flags |= SDL_WINDOW_RESIZABLE;
  if (!options.bordered) flags |= SDL_WINDOW_BORDERLESS;
  int width = options.width > 0 ? options.width : 1;
  int height = options.height > 0 ? options.height : 1;
  SDL_Window* sdl = SDL_CreateWindow(options.caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                     SDL_WINDOWPOS_CENTERED, width, height, flags);
  if (sdl == nullptr) {
    if (error) *error = SDL_GetError();
    ReleaseVideo();
    return nullptr;
  }
  window->window_ = sdl;
  window->visible_ = show;
  return window;
}

Window::~Window() {
  if (window_ != nullptr) {
    SDL_DestroyWindow(Sdl(window_));
    ReleaseVideo();
  }
}

int Window::ClientWidth() const {
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(Sdl(window_), &w, &h);
  return w;
}

int Window::ClientHeight() const {
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(Sdl(window_), &w, &h);
  return h;
}

void Window::SetClientSize(int width, int height) {
  SDL_SetWindowSize(Sdl(window_), width > 0 ? width : 1, height > 0 ? height : 1);
}

int Window::ClientX() const {
  int x = 0, y = 0;
  SDL_GetWindowPosition(Sdl(window_), &x, &y);
  return x;
}

int Window::ClientY() const {
  int x = 0, y = 0;
  SDL_GetWindowPosition(Sdl(window_), &x, &y);
  return y;
}

void Window::SetClientPosition(int x, int y) { SDL_SetWindowPosition(Sdl(window_), x, y); }

std::string Window::Caption() const {
  const char* title = SDL_GetWindowTitle(Sdl(window_));
  return title ? title : "";
}

void Window::SetCaption(const std::string& caption) {
  SDL_SetWindowTitle(Sdl(window_), caption.c_str());
}

bool Window::Visible() const { return visible_; }

void Window::SetVisible(bool visible) {
  visible_ = visible;
  // A window in memory has nothing to show; the flag is still kept so that
  // the game reads back what it set.
  if (offscreen_ || IsHeadless()) return;
  if (visible) {
    SDL_ShowWindow(Sdl(window_));
  } else {
    SDL_HideWindow(Sdl(window_));
  }
}

bool Window::Fullscreen() const { return fullscreen_; }

void Window::SetFullscreen(bool fullscreen) {
  if (offscreen_) {
    // No window manager: cover the (pretend) desktop by hand, and come back
    // to the windowed rectangle, so the game sees what a real one does.
    if (fullscreen && !fullscreen_) {
      windowed_x_ = ClientX();
      windowed_y_ = ClientY();
      windowed_width_ = ClientWidth();
      windowed_height_ = ClientHeight();
      const DisplayMode desktop = DesktopDisplayMode();
      SDL_SetWindowPosition(Sdl(window_), 0, 0);
      SDL_SetWindowSize(Sdl(window_), desktop.width, desktop.height);
    } else if (!fullscreen && fullscreen_) {
      SDL_SetWindowPosition(Sdl(window_), windowed_x_, windowed_y_);
      SDL_SetWindowSize(Sdl(window_), windowed_width_, windowed_height_);
    }
    fullscreen_ = fullscreen;
    return;
  }
  fullscreen_ = fullscreen;
  // Full screen is a borderless window covering the desktop; the display
  // mode is left alone.
  SDL_SetWindowFullscreen(Sdl(window_), fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void Window::SetBordered(bool bordered) {
  SDL_SetWindowBordered(Sdl(window_), bordered ? SDL_TRUE : SDL_FALSE);
}

void Window::SetResizable(bool resizable) {
  SDL_SetWindowResizable(Sdl(window_), resizable ? SDL_TRUE : SDL_FALSE);
}

void Window::SetAlwaysOnTop(bool on_top) {
  SDL_SetWindowAlwaysOnTop(Sdl(window_), on_top ? SDL_TRUE : SDL_FALSE);
}

void Window::SetMinimumClientSize(int width, int height) {
  SDL_SetWindowMinimumSize(Sdl(window_), std::max(width, 1), std::max(height, 1));
}

void Window::FrameSize(int& width, int& height) const {
  int top = 0, left = 0, bottom = 0, right = 0;
  width = height = 0;
  if (SDL_GetWindowBordersSize(Sdl(window_), &top, &left, &bottom, &right) == 0) {
    width = left + right;
    height = top + bottom;
  }
}

bool Window::HasInputFocus() const {
  if (offscreen_ || IsHeadless()) return true;
  return (SDL_GetWindowFlags(Sdl(window_)) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void Window::SetCursorShape(CursorShape shape) {
  if (offscreen_ || IsHeadless()) return;
  if (shape == CursorShape::Hidden) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  SDL_SystemCursor id = SDL_SYSTEM_CURSOR_ARROW;
  switch (shape) {
    case CursorShape::Cross: id = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
    case CursorShape::Beam: id = SDL_SYSTEM_CURSOR_IBEAM; break;
    case CursorShape::SizeNESW: id = SDL_SYSTEM_CURSOR_SIZENESW; break;
    case CursorShape::SizeNS: id = SDL_SYSTEM_CURSOR_SIZENS; break;
    case CursorShape::SizeNWSE: id = SDL_SYSTEM_CURSOR_SIZENWSE; break;
    case CursorShape::SizeWE: id = SDL_SYSTEM_CURSOR_SIZEWE; break;
    case CursorShape::Wait: id = SDL_SYSTEM_CURSOR_WAIT; break;
    case CursorShape::WaitArrow: id = SDL_SYSTEM_CURSOR_WAITARROW; break;
    case CursorShape::No: id = SDL_SYSTEM_CURSOR_NO; break;
    case CursorShape::Hand: id = SDL_SYSTEM_CURSOR_HAND; break;
    case CursorShape::SizeAll: id = SDL_SYSTEM_CURSOR_SIZEALL; break;
    default: break;
  }
  // System cursors are few and live as long as the program: made once each.
  static SDL_Cursor* cursors[SDL_NUM_SYSTEM_CURSORS] = {};
  if (cursors[id] == nullptr) cursors[id] = SDL_CreateSystemCursor(id);
  if (cursors[id] != nullptr) SDL_SetCursor(cursors[id]);
  SDL_ShowCursor(SDL_ENABLE);
}

void Window::WarpMouse(int x, int y) {
  if (!offscreen_ && !IsHeadless()) SDL_WarpMouseInWindow(Sdl(window_), x, y);
}

}  // namespace vendrel::platform
