// The game window: one SDL window that the drawing device renders into.
//
// Headless runs (platform::IsHeadless(), or no DISPLAY and no
// WAYLAND_DISPLAY in the environment) use SDL's offscreen video driver: the
// window then exists only in memory, and OpenGL runs on the software
// renderer, so drawing and read-back work the same without a display.
#pragma once

#include <memory>
#include <string>

namespace vendrel::platform {

struct WindowOptions {
  std::string caption;
  int width = 640;   // client size
  int height = 480;
  bool visible = true;  // headless windows are never shown
  bool resizable = false;
  bool bordered = true;
};

struct DisplayMode {
  int width = 0;
  int height = 0;
  int refresh_rate = 0;  // Hz; 0 when unknown
  int bits_per_pixel = 0;
};

// Starts SDL's video subsystem once (the offscreen driver when there is no
// display server). Gives false, with the reason in [error], when no video
// driver can be started. Each successful call must be matched by
// ReleaseVideo.
bool AcquireVideo(std::string* error);
void ReleaseVideo();
// The name of the running video driver ("x11", "wayland", "offscreen"...).
std::string VideoDriverName();

// The desktop display mode of the first display (1024 by 768 offscreen).
DisplayMode DesktopDisplayMode();

class Window {
 public:
  // Creates the window, ready for an OpenGL 3.3 core context. Gives nullptr
  // with the reason in [error] on failure.
  static std::unique_ptr<Window> Create(const WindowOptions& options, std::string* error);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Client area size in pixels.
  int ClientWidth() const;
  int ClientHeight() const;
  void SetClientSize(int width, int height);
  // Client origin in screen coordinates.
  int ClientX() const;
  int ClientY() const;
  void SetClientPosition(int x, int y);

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  bool Visible() const;
  void SetVisible(bool visible);
  bool Fullscreen() const;
  void SetFullscreen(bool fullscreen);
  void SetBordered(bool bordered);
  void SetResizable(bool resizable);
  void SetAlwaysOnTop(bool on_top);

  // True when the window lives only in memory (offscreen driver).
  bool Offscreen() const { return offscreen_; }

  // The SDL window, for the OpenGL device in platform/ only.
  void* NativeHandle() const { return window_; }

 private:
  Window() = default;
  void* window_ = nullptr;
  bool offscreen_ = false;
  bool fullscreen_ = false;
  bool visible_ = false;
};

}  // namespace vendrel::platform
