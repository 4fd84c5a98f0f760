#include "graphics/game_window.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "graphics/room_draw.h"
#include "runner/settings.h"
#include "runtime/input.h"

namespace vendrel::graphics {
namespace {

struct WindowState {
  std::unique_ptr<platform::Window> window;
  bool full_screen = false;
  bool show_border = true;
  bool show_icons = true;
  bool stay_on_top = false;
  bool sizeable = false;
  bool visible = false;
  std::string caption;
  int cursor = 0;
  // The client rectangle of the windowed mode, in screen coordinates:
  // remembered before each change and restored when leaving full screen.
  ClientRect client{0, 0, 8, 8};
  int region_width = 8;
  int region_height = 8;
  double region_scale = 1.0;
  int32_t color = 0xFFFFFF;
  // Set while the window takes a new style, so that the in-between sizes
  // the window system reports are not remembered.
  bool applying = false;
  // The mode the game asked for; width 0 while it has asked for none.
  platform::DisplayMode pretend_mode;
};

WindowState& State() {
  static WindowState state;
  return state;
}

// Rounded halves to even, held to the int range (scales and sizes come
// from game code).
int RoundInt(double value) {
  if (!(value > -2147483648.0)) return value != value ? 0 : INT32_MIN;
  if (value >= 2147483647.0) return INT32_MAX;
  return int(std::nearbyint(value));
}

// The factor the region is shown at in a client of the given size (0 when
// the region cannot be shown).
double RegionFactor(int client_width, int client_height) {
  const WindowState& s = State();
  if (s.region_scale > 0) return s.region_scale;
  return std::min(double(client_height) / s.region_height, double(client_width) / s.region_width);
}

// The client size the region needs at the current scale.
void ScaledRegionSize(int& width, int& height) {
  const WindowState& s = State();
  width = s.region_width;
  height = s.region_height;
  if (s.region_scale > 0) {
    width = RoundInt(s.region_scale * s.region_width);
    height = RoundInt(s.region_scale * s.region_height);
  }
}

// In full screen the client is the screen of the game's display mode,
// shown over the whole desktop at the largest factor that fits. These give
// that factor and the margins; outside full screen the two are the same.
struct ScreenFit {
  double factor = 1.0;
  double left = 0.0, top = 0.0;
  int width = 0, height = 0;  // the client size the game sees
};

ScreenFit CurrentScreenFit() {
  const WindowState& s = State();
  ScreenFit fit;
  const platform::Window* window = s.window.get();
  const int physical_width = window ? window->ClientWidth() : s.client.width;
  const int physical_height = window ? window->ClientHeight() : s.client.height;
  fit.width = physical_width;
  fit.height = physical_height;
  if (!s.full_screen || s.pretend_mode.width <= 0 || physical_width <= 0 || physical_height <= 0)
    return fit;
  fit.width = s.pretend_mode.width;
  fit.height = s.pretend_mode.height;
  fit.factor = std::min(double(physical_width) / fit.width, double(physical_height) / fit.height);
  fit.left = (physical_width - fit.width * fit.factor) / 2;
  fit.top = (physical_height - fit.height * fit.factor) / 2;
  return fit;
}

// The cursor limits for a player resizing the window: at least the scaled
// region when the scale is fixed.
void ApplyMinimumSize() {
  WindowState& s = State();
  if (!s.window) return;
  int width = 1, height = 1;
  if (s.region_scale > 0) ScaledRegionSize(width, height);
  s.window->SetMinimumClientSize(width, height);
}

// Remembers the windowed client rectangle before a change of style, size
// or position.
void Remember() {
  WindowState& s = State();
  if (s.full_screen || s.applying || !s.window) return;
  s.client = {s.window->ClientX(), s.window->ClientY(), s.window->ClientWidth(),
              s.window->ClientHeight()};
}

// Gives the window the stored style and, outside full screen, the stored
// client rectangle. Window systems place and size the client area itself,
// so no frame arithmetic is needed.
void Apply() {
  WindowState& s = State();
  if (!s.window) return;
  s.applying = true;
  if (s.full_screen) {
    s.window->SetFullscreen(true);
  } else {
    s.window->SetFullscreen(false);
    s.window->SetBordered(s.show_border);
    s.window->SetResizable(s.sizeable);
    s.window->SetClientSize(std::max(s.client.width, 1), std::max(s.client.height, 1));
    s.window->SetClientPosition(s.client.x, s.client.y);
  }
  ApplyMinimumSize();
  s.applying = false;
}

platform::CursorShape CursorShapeOf(int cursor) {
  using platform::CursorShape;
  switch (cursor) {
    case -1: return CursorShape::Hidden;
    case -3: return CursorShape::Cross;
    case -4: return CursorShape::Beam;
    case -6: return CursorShape::SizeNESW;
    case -7: case -15: return CursorShape::SizeNS;
    case -8: return CursorShape::SizeNWSE;
    case -9: case -14: return CursorShape::SizeWE;
    case -11: return CursorShape::Wait;
    case -17: case -19: return CursorShape::WaitArrow;
    case -13: case -18: return CursorShape::No;
    case -21: return CursorShape::Hand;
    case -22: return CursorShape::SizeAll;
    default: return CursorShape::Arrow;  // the default, the arrows and unknown numbers
  }
}

bool AcceptableMode(const platform::DisplayMode& mode) {
  const platform::DisplayMode desktop = platform::DesktopDisplayMode();
  const int bits = mode.bits_per_pixel;
  return mode.width >= 1 && mode.height >= 1 && mode.width <= desktop.width &&
         mode.height <= desktop.height && (bits == 16 || bits == 24 || bits == 32);
}

// [request] with its fields of 0 or less taken from the current mode.
platform::DisplayMode Completed(const platform::DisplayMode& request) {
  platform::DisplayMode mode = CurrentDisplayMode();
  if (request.width > 0) mode.width = request.width;
  if (request.height > 0) mode.height = request.height;
  if (request.refresh_rate > 0) mode.refresh_rate = request.refresh_rate;
  if (request.bits_per_pixel > 0) mode.bits_per_pixel = request.bits_per_pixel;
  return mode;
}

}  // namespace

void AttachGameWindow(std::unique_ptr<platform::Window> window) {
  const runner::GameSettings& settings = runner::Settings();
  WindowState& s = State();
  s = WindowState();
  s.window = std::move(window);
  if (s.window) {
    s.client = {s.window->ClientX(), s.window->ClientY(), s.window->ClientWidth(),
                s.window->ClientHeight()};
    s.caption = s.window->Caption();
    s.visible = s.window->Visible();
  }
  SetRegionSize(8, 8, true);
  SetRegionScale(settings.Scaling / 100.0, true);
  SetWindowSizeable(settings.AllowResize);
  SetWindowStayOnTop(settings.StayOnTop);
  SetWindowColor(settings.WindowColor);
  SetWindowShowBorder(!settings.NoBorder);
  SetWindowShowIcons(!settings.NoButtons);
  DefaultWindow();
  SetWindowFullScreen(settings.FullScreen);
}

void DetachGameWindow() {
  State().window.reset();
  State().pretend_mode = platform::DisplayMode();
}

platform::Window* GameWindow() { return State().window.get(); }

int RegionWidth() { return State().region_width; }
int RegionHeight() { return State().region_height; }
double RegionScale() { return State().region_scale; }

void SetRegionSize(int width, int height, bool adapt_window) {
  WindowState& s = State();
  if (width > 0) s.region_width = width;
  if (height > 0) s.region_height = height;
  ApplyMinimumSize();
  if (s.region_scale <= 0) return;
  int g = 0, h = 0;
  ScaledRegionSize(g, h);
  const ClientRect client = WindowClientRect();
  if (adapt_window) {
    SetWindowSize(g, h);
  } else if (client.width < g || client.height < h) {
    SetWindowSize(std::max(g, client.width), std::max(h, client.height));
  }
}

void SetRegionScale(double scale, bool adapt_window) {
  State().region_scale = scale;
  SetRegionSize(0, 0, adapt_window);
}

platform::DeviceRect DestinationRect(int client_width, int client_height) {
  const WindowState& s = State();
  if (s.region_scale == 0) return {0, 0, client_width, client_height};
  const double factor = RegionFactor(client_width, client_height);
  const int w = RoundInt(s.region_width * factor), h = RoundInt(factor * s.region_height);
  return {(client_width - w) / 2, (client_height - h) / 2, w, h};
}

void ClientToRegion(int client_width, int client_height, double a, double b, double& rx,
                    double& ry) {
  const WindowState& s = State();
  rx = ry = 0;
  if (s.region_scale == 0) {
    if (client_width <= 0 || client_height <= 0) return;
    rx = std::nearbyint(a * s.region_width / client_width);
    ry = std::nearbyint(b * s.region_height / client_height);
    return;
  }
  const double factor = RegionFactor(client_width, client_height);
  if (factor == 0) return;
  const platform::DeviceRect dest = DestinationRect(client_width, client_height);
  rx = std::nearbyint((a - dest.x) / factor);
  ry = std::nearbyint((b - dest.y) / factor);
}

void WindowToRegion(double a, double b, double& rx, double& ry) {
  const ScreenFit fit = CurrentScreenFit();
  ClientToRegion(fit.width, fit.height, (a - fit.left) / fit.factor, (b - fit.top) / fit.factor,
                 rx, ry);
}

void WindowToRoom(double a, double b, double& x, double& y) {
  double rx = 0, ry = 0;
  WindowToRegion(a, b, rx, ry);
  MapRegionThroughViews(rx, ry, x, y);
}

PresentationLayout WindowLayout() {
  const ScreenFit fit = CurrentScreenFit();
  const platform::DeviceRect dest = DestinationRect(fit.width, fit.height);
  PresentationLayout layout;
  layout.dest = {RoundInt(fit.left + dest.x * fit.factor), RoundInt(fit.top + dest.y * fit.factor),
                 RoundInt(dest.width * fit.factor), RoundInt(dest.height * fit.factor)};
  layout.border = DeviceColor(State().color, 1.0);
  return layout;
}

ClientRect WindowClientRect() {
  const WindowState& s = State();
  if (s.full_screen) {
    const platform::DisplayMode mode = CurrentDisplayMode();
    return {0, 0, mode.width, mode.height};
  }
  if (!s.window) return s.client;
  return {s.window->ClientX(), s.window->ClientY(), s.window->ClientWidth(),
          s.window->ClientHeight()};
}

void SetWindowPosition(int x, int y) {
  Remember();
  State().client.x = x;
  State().client.y = y;
  Apply();
}

void SetWindowSize(int width, int height) {
  Remember();
  WindowState& s = State();
  if (s.region_scale > 0) {
    int g = 0, h = 0;
    ScaledRegionSize(g, h);
    width = std::max(width, g);
    height = std::max(height, h);
  }
  s.client.width = std::max(width, 1);
  s.client.height = std::max(height, 1);
  Apply();
}

void SetWindowRectangle(int x, int y, int width, int height) {
  SetWindowPosition(x, y);
  SetWindowSize(width, height);
}

void CenterWindow() {
  const platform::DisplayMode screen = CurrentDisplayMode();
  const ClientRect client = WindowClientRect();
  SetWindowPosition((screen.width - client.width) / 2, (screen.height - client.height) / 2);
}

void DefaultWindow() {
  int width = 0, height = 0;
  ScaledRegionSize(width, height);
  const platform::DisplayMode screen = CurrentDisplayMode();
  SetWindowRectangle((screen.width - width) / 2, (screen.height - height) / 2, width, height);
}

bool WindowVisible() { return State().visible; }
void SetWindowVisible(bool visible) {
  State().visible = visible;
  if (State().window) State().window->SetVisible(visible);
}

bool WindowFullScreen() { return State().full_screen; }
void SetWindowFullScreen(bool full_screen) {
  Remember();
  State().full_screen = full_screen;
  Apply();
}

bool WindowShowBorder() { return State().show_border; }
void SetWindowShowBorder(bool show) {
  Remember();
  State().show_border = show;
  Apply();
}

bool WindowShowIcons() { return State().show_icons; }
void SetWindowShowIcons(bool show) {
  Remember();
  State().show_icons = show;
  Apply();
}

bool WindowStayOnTop() { return State().stay_on_top; }
void SetWindowStayOnTop(bool on_top) {
  State().stay_on_top = on_top;
  if (State().window) State().window->SetAlwaysOnTop(on_top);
}

bool WindowSizeable() { return State().sizeable; }
void SetWindowSizeable(bool sizeable) {
  Remember();
  State().sizeable = sizeable;
  Apply();
}

std::string WindowCaption() {
  return State().window ? State().window->Caption() : State().caption;
}
void SetWindowCaption(const std::string& caption) {
  State().caption = caption;
  if (State().window) State().window->SetCaption(caption);
}

int WindowCursor() { return State().cursor; }
void SetWindowCursor(int cursor) {
  State().cursor = cursor;
  if (State().window) State().window->SetCursorShape(CursorShapeOf(cursor));
}

int32_t WindowColor() { return State().color; }
void SetWindowColor(int32_t color) { State().color = color; }

bool WindowActive() { return !State().window || State().window->HasInputFocus(); }

void WindowMouse(int& x, int& y) {
  const ScreenFit fit = CurrentScreenFit();
  const runtime::KeyboardMouseState& devices = runtime::Devices();
  x = RoundInt((devices.cursor_x - fit.left) / fit.factor);
  y = RoundInt((devices.cursor_y - fit.top) / fit.factor);
}

void SetWindowMouse(int x, int y) {
  const ScreenFit fit = CurrentScreenFit();
  const int physical_x = RoundInt(fit.left + x * fit.factor);
  const int physical_y = RoundInt(fit.top + y * fit.factor);
  if (State().window) State().window->WarpMouse(physical_x, physical_y);
  runtime::HandleCursor(physical_x, physical_y);
}

void DisplayMouse(int& x, int& y) {
  const platform::Window* window = State().window.get();
  if (window != nullptr && !window->Offscreen()) {
    platform::GlobalMousePosition(x, y);
    return;
  }
  // A window in memory has no real cursor: the one the input holds,
  // placed on the pretend screen.
  const ClientRect client = WindowClientRect();
  WindowMouse(x, y);
  x += client.x;
  y += client.y;
}

void SetDisplayMouse(int x, int y) {
  const ClientRect client = WindowClientRect();
  const platform::Window* window = State().window.get();
  if (window != nullptr && !window->Offscreen() && !State().full_screen) {
    platform::WarpMouseGlobal(x, y);
    runtime::HandleCursor(x - client.x, y - client.y);
    return;
  }
  SetWindowMouse(x - client.x, y - client.y);
}

platform::DisplayMode CurrentDisplayMode() {
  const WindowState& s = State();
  return s.pretend_mode.width > 0 ? s.pretend_mode : platform::DesktopDisplayMode();
}

bool TestDisplayMode(const platform::DisplayMode& request) {
  return AcceptableMode(Completed(request));
}

bool ChangeDisplayMode(const platform::DisplayMode& request) {
  const platform::DisplayMode mode = Completed(request);
  if (!AcceptableMode(mode)) return false;
  State().pretend_mode = mode;
  ResetDevice();
  return true;
}

void RestoreDisplayMode() {
  State().pretend_mode = platform::DisplayMode();
  ResetDevice();
}

}  // namespace vendrel::graphics
