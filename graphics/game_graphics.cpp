#include "graphics/game_graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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
#include "graphics/game_window.h"
#include "platform/window.h"
#include "runner/options.h"
#include "runner/settings.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"
#include "runtime/input.h"

namespace vendrel::graphics {
namespace {

// Frames already saved as screenshots (a frame number can be presented
// twice when a room starts; the first one counts).
std::set<int64_t>& ShotsTaken() {
  static std::set<int64_t> shots;
  return shots;
}

void SaveRequestedScreenshot() {
  const int64_t frame = runtime::Game().steps_run;
  std::set<int64_t>& shots_taken = ShotsTaken();
  if (shots_taken.count(frame) != 0) return;
  bool asked = false;
  for (const runner::Screenshot& shot : runner::CurrentOptions().screenshots) {
    if (shot.frame != frame) continue;
    asked = true;
    std::string error;
    if (!SaveScreenshot(shot.file, &error))
      std::fprintf(stderr, "Cannot save screenshot %s: %s\n", shot.file.c_str(), error.c_str());
  }
  if (asked) shots_taken.insert(frame);
}

void ShowGameWindow() { SetWindowVisible(true); }

void ToggleFullScreen() { SetWindowFullScreen(!WindowFullScreen()); }

void SetCursorVisible(bool visible) { SetWindowCursor(visible ? 0 : -1); }

// Screenshots asked for frames that were never presented are named, so a
// run that ended early does not pass for one that saved them.
void ReportMissingScreenshots() {
  for (const runner::Screenshot& shot : runner::CurrentOptions().screenshots) {
    if (ShotsTaken().count(shot.frame) == 0)
      std::fprintf(stderr, "No screenshot %s: frame %lld was not drawn\n", shot.file.c_str(),
                   static_cast<long long>(shot.frame));
  }
}

}  // namespace

void AdaptRegionToRoom() {
  const runtime::CRunRoom* room = runtime::CurrentRoom();
  if (room == nullptr) return;
  const resources::CRoom& data = room->data;
  // Sizes and ports come from game code and saved files: summed in 64 bits
  // and held to a sane range, so no value of theirs can overflow.
  int64_t width = data.width, height = data.height;
  if (data.views_enabled) {
    width = 8;
    height = 8;
    for (const resources::CView& view : data.views) {
      if (!view.visible) continue;
      width = std::max(width, int64_t(view.port_x) + view.port_width);
      height = std::max(height, int64_t(view.port_y) + view.port_height);
    }
  }
  constexpr int64_t kLargest = 1 << 20;
  width = std::clamp<int64_t>(width, 1, Device() != nullptr ? ScreenWidth() : kLargest);
  height = std::clamp<int64_t>(height, 1, Device() != nullptr ? ScreenHeight() : kLargest);
  if (width == RegionWidth() && height == RegionHeight() && width == DeviceWidth() &&
      height == DeviceHeight())
    return;
  SetRegionSize(int(width), int(height), true);
  DefaultWindow();
  SetDeviceSize(int(width), int(height));
}

// The display mode the game's settings ask for; fields not asked for stay 0.
platform::DisplayMode RequestedDisplayMode(const runner::GameSettings& settings) {
  platform::DisplayMode mode;
  if (!settings.SetResolution) return mode;
  if (settings.ColorDepth == 1) mode.bits_per_pixel = 16;
  if (settings.ColorDepth == 2) mode.bits_per_pixel = 32;
  static const int kSizes[][2] = {{320, 240},  {640, 480},   {800, 600},
                                  {1024, 768}, {1280, 1024}, {1600, 1200}};
  if (settings.Resolution >= 1 && settings.Resolution <= 6) {
    mode.width = kSizes[settings.Resolution - 1][0];
    mode.height = kSizes[settings.Resolution - 1][1];
  }
  static const int kFrequencies[] = {60, 70, 85, 100, 120};
  if (settings.Frequency >= 1 && settings.Frequency <= 5)
    mode.refresh_rate = kFrequencies[settings.Frequency - 1];
  return mode;
}

bool PrepareGraphics() {
  const runner::GameSettings& settings = runner::Settings();
  platform::DisplayMode mode = RequestedDisplayMode(settings);
  bool change_mode = settings.SetResolution;
  const int depth = CurrentDisplayMode().bits_per_pixel;
  if (mode.bits_per_pixel <= 0 && depth != 0 && depth != 16 && depth != 32) {
    const int answer = platform::ShowMessageBox(
        "Vendrel",
        "This application requires 16-bit or 32-bit color mode. Should I switch to a valid color "
        "mode?",
        platform::MessageIcon::Warning, {"Yes", "No"}, 0, false);
    if (answer != 0) return false;
    mode.bits_per_pixel = 16;
    change_mode = true;
  }
  // A mode the display cannot take leaves the desktop's own in place.
  if (change_mode) ChangeDisplayMode(mode);

  platform::WindowOptions options;
  options.width = 8;
  options.height = 8;
  // The window is shown when the first room has been drawn.
  options.visible = false;
  options.resizable = settings.AllowResize;
  options.bordered = !settings.NoBorder;
  std::string error;
  std::unique_ptr<platform::Window> window = platform::Window::Create(options, &error);
  if (!window) {
    platform::ShowMessageBox("Vendrel", "Failed to open the game window: " + error,
                             platform::MessageIcon::Error, {"OK"}, 0, true);
    return false;
  }
  ShotsTaken().clear();
  AttachGameWindow(std::move(window));
  if (!CreateDevice(*GameWindow(), 640, 480, settings.VSync)) {
    DetachGameWindow();
    return false;
  }
  SetPresentationLayoutProvider(WindowLayout);
  SetTextureInterpolation(settings.Interpolate);
  BuildResourceTextures();
  MakeFontTextures();
  ClearViewMouseTable();
  BeginScene();
  return true;
}

void ShutDownGraphics() {
  if (GameWindow() != nullptr) ReportMissingScreenshots();
  SetPresentationLayoutProvider(nullptr);
  DestroyDevice();
  DetachGameWindow();
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
  hooks.set_cursor_visible = SetCursorVisible;
  hooks.window_active = WindowActive;
  runtime::SetWindowToRoomMapping(WindowToRoom);
}

}  // namespace vendrel::graphics
