#include "graphics/game_graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/font_resource.h"
#include "graphics/resource_draw.h"
#include "graphics/room_draw.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "runner/options.h"
#include "runner/settings.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"
#include "runtime/input.h"

namespace vendrel::graphics {
namespace {

struct WindowState {
  std::unique_ptr<platform::Window> window;
  int region_width = 8;
  int region_height = 8;
  double region_scale = 1.0;
  int32_t window_color = 0xFFFFFF;
  // Frames already saved as screenshots (a frame number can be presented
  // twice when a room starts; the first one counts).
  std::set<int64_t> shots_taken;
};

WindowState& State() {
  static WindowState state;
  return state;
}

int RoundInt(double value) { return int(std::nearbyint(value)); }

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

// Sizes the window to the scaled region and centres it on the screen.
void WindowDefault() {
  platform::Window* window = State().window.get();
  if (window == nullptr) return;
  int width = 0, height = 0;
  ScaledRegionSize(width, height);
  width = std::max(width, 1);
  height = std::max(height, 1);
  window->SetClientSize(width, height);
  const platform::DisplayMode mode = platform::DesktopDisplayMode();
  window->SetClientPosition((mode.width - width) / 2, (mode.height - height) / 2);
}

PresentationLayout Layout() {
  PresentationLayout layout;
  const WindowState& s = State();
  const platform::Window* window = s.window.get();
  const int client_width = window ? window->ClientWidth() : s.region_width;
  const int client_height = window ? window->ClientHeight() : s.region_height;
  layout.dest = DestinationRect(client_width, client_height);
  layout.border = DeviceColor(s.window_color, 1.0);
  return layout;
}

void SaveRequestedScreenshot() {
  const int64_t frame = runtime::Game().steps_run;
  WindowState& s = State();
  if (s.shots_taken.count(frame) != 0) return;
  bool asked = false;
  for (const runner::Screenshot& shot : runner::CurrentOptions().screenshots) {
    if (shot.frame != frame) continue;
    asked = true;
    std::string error;
    if (!SaveScreenshot(shot.file, &error))
      std::fprintf(stderr, "Cannot save screenshot %s: %s\n", shot.file.c_str(), error.c_str());
  }
  if (asked) s.shots_taken.insert(frame);
}

void ShowGameWindow() {
  if (platform::Window* window = State().window.get()) window->SetVisible(true);
}

void ToggleFullScreen() {
  if (platform::Window* window = State().window.get())
    window->SetFullscreen(!window->Fullscreen());
}

// Screenshots asked for frames that were never presented are named, so a
// run that ended early does not pass for one that saved them.
void ReportMissingScreenshots() {
  const WindowState& s = State();
  for (const runner::Screenshot& shot : runner::CurrentOptions().screenshots) {
    if (s.shots_taken.count(shot.frame) == 0)
      std::fprintf(stderr, "No screenshot %s: frame %lld was not drawn\n", shot.file.c_str(),
                   static_cast<long long>(shot.frame));
  }
}

}  // namespace

int RegionWidth() { return State().region_width; }
int RegionHeight() { return State().region_height; }
double RegionScale() { return State().region_scale; }

void SetRegionSize(int width, int height, bool adapt_window) {
  WindowState& s = State();
  if (width > 0) s.region_width = width;
  if (height > 0) s.region_height = height;
  if (s.region_scale <= 0 || s.window == nullptr) return;
  int g = 0, h = 0;
  ScaledRegionSize(g, h);
  if (adapt_window) {
    s.window->SetClientSize(g, h);
  } else if (s.window->ClientWidth() < g || s.window->ClientHeight() < h) {
    s.window->SetClientSize(std::max(g, s.window->ClientWidth()),
                            std::max(h, s.window->ClientHeight()));
  }
}

void SetRegionScale(double scale, bool adapt_window) {
  State().region_scale = scale;
  SetRegionSize(0, 0, adapt_window);
}

platform::DeviceRect DestinationRect(int client_width, int client_height) {
  const WindowState& s = State();
  if (s.region_scale == 0) return {0, 0, client_width, client_height};
  double factor = s.region_scale;
  if (factor < 0) {
    factor = std::min(double(client_height) / s.region_height,
                      double(client_width) / s.region_width);
  }
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
  const platform::DeviceRect dest = DestinationRect(client_width, client_height);
  double factor = s.region_scale;
  if (factor < 0) {
    factor = std::min(double(client_height) / s.region_height,
                      double(client_width) / s.region_width);
  }
  if (factor == 0) return;
  rx = std::nearbyint((a - dest.x) / factor);
  ry = std::nearbyint((b - dest.y) / factor);
}

void WindowToRegion(double a, double b, double& rx, double& ry) {
  const WindowState& s = State();
  const platform::Window* window = s.window.get();
  ClientToRegion(window ? window->ClientWidth() : s.region_width,
                 window ? window->ClientHeight() : s.region_height, a, b, rx, ry);
}

void WindowToRoom(double a, double b, double& x, double& y) {
  double rx = 0, ry = 0;
  WindowToRegion(a, b, rx, ry);
  MapRegionThroughViews(rx, ry, x, y);
}

void AdaptRegionToRoom() {
  const runtime::CRunRoom* room = runtime::CurrentRoom();
  if (room == nullptr) return;
  const resources::CRoom& data = room->data;
  int width = data.width, height = data.height;
  if (data.views_enabled) {
    width = 8;
    height = 8;
    for (const resources::CView& view : data.views) {
      if (!view.visible) continue;
      width = std::max(width, view.port_x + view.port_width);
      height = std::max(height, view.port_y + view.port_height);
    }
  }
  if (Device() != nullptr) {
    width = std::min(width, ScreenWidth());
    height = std::min(height, ScreenHeight());
  }
  if (width == State().region_width && height == State().region_height &&
      width == DeviceWidth() && height == DeviceHeight())
    return;
  SetRegionSize(width, height, true);
  WindowDefault();
  SetDeviceSize(width, height);
}

bool PrepareGraphics() {
  const runner::GameSettings& settings = runner::Settings();
  WindowState& s = State();
  platform::WindowOptions options;
  options.caption = "";
  options.width = 8;
  options.height = 8;
  // The window is shown when the first room has been drawn.
  options.visible = false;
  options.resizable = settings.AllowResize;
  options.bordered = !settings.NoBorder;
  std::string error;
  s.window = platform::Window::Create(options, &error);
  if (!s.window) {
    platform::ShowMessageBox("Vendrel", "Failed to open the game window: " + error,
                             platform::MessageIcon::Error, {"OK"}, 0, true);
    return false;
  }
  s.region_width = 8;
  s.region_height = 8;
  s.region_scale = settings.Scaling / 100.0;
  s.window_color = settings.WindowColor;
  s.shots_taken.clear();
  WindowDefault();
  s.window->SetAlwaysOnTop(settings.StayOnTop);
  if (settings.FullScreen) s.window->SetFullscreen(true);
  if (!CreateDevice(*s.window, 640, 480, settings.VSync)) {
    s.window.reset();
    return false;
  }
  SetPresentationLayoutProvider(Layout);
  SetTextureInterpolation(settings.Interpolate);
  BuildResourceTextures();
  MakeFontTextures();
  ClearViewMouseTable();
  BeginScene();
  return true;
}

void ShutDownGraphics() {
  if (State().window) ReportMissingScreenshots();
  SetPresentationLayoutProvider(nullptr);
  DestroyDevice();
  State().window.reset();
}

void PresentFrame(int transition_kind) {
  if (Device() == nullptr) return;
  if (!runner::CurrentOptions().screenshots.empty()) SaveRequestedScreenshot();
  PresentWithTransition(transition_kind);
  BeginScene();
}

void InstallGameGraphics() {
  runtime::RuntimeHooks& hooks = runtime::Hooks();
  hooks.prepare_graphics = PrepareGraphics;
  hooks.shut_down_graphics = ShutDownGraphics;
  hooks.draw_frame = RedrawFrame;
  hooks.present_frame = PresentFrame;
  hooks.adapt_window_to_room = AdaptRegionToRoom;
  hooks.show_game_window = ShowGameWindow;
  hooks.toggle_full_screen = ToggleFullScreen;
  runtime::SetWindowToRoomMapping(WindowToRoom);
}

}  // namespace vendrel::graphics
