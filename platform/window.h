// The game window: one SDL window that the drawing device renders into.
//
// Headless runs (platform::IsHeadless(), or no DISPLAY and no
// WAYLAND_DISPLAY in the environment) use SDL's offscreen video driver: the
// window then exists only in memory, and OpenGL runs on the software
// renderer, so drawing and read-back work the same without a display.
#pragma once

#include <memory>
#include <string>
#include <vector>

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
// Every mode the first display offers (empty when the driver lists none).
std::vector<DisplayMode> DisplayModes();

// The mouse cursor in screen coordinates, and moving it there.
void GlobalMousePosition(int& x, int& y);
void WarpMouseGlobal(int x, int y);

// The shapes a window's cursor can take.
enum class CursorShape {
  Hidden, Arrow, Cross, Beam, SizeNESW, SizeNS, SizeNWSE, SizeWE,
  Wait, WaitArrow, No, Hand, SizeAll
};

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
  // The smallest client size the player may drag the border to.
  void SetMinimumClientSize(int width, int height);
  // The size of the frame around the client area (border and caption),
  // as the window manager reports it; zeros without decorations.
  void FrameSize(int& width, int& height) const;
  // Whether the window has the keyboard focus (always, in memory).
  bool HasInputFocus() const;
  // The cursor over the window.
  void SetCursorShape(CursorShape shape);
  // Moves the mouse cursor to a point of the client area.
  void WarpMouse(int x, int y);

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
  // The windowed rectangle an in-memory window returns to when it leaves
  // full screen.
  int windowed_x_ = 0, windowed_y_ = 0, windowed_width_ = 0, windowed_height_ = 0;
};

}  // namespace vendrel::platform
