// The one drawing device of the game, its render settings and the
// presentation of finished frames (with the room-transition effects).
//
// Every drawing operation first checks that the device exists and does
// nothing otherwise. The device is created once at start-up and reset
// (never re-created) when the display changes or a presentation fails.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics_device.h"
#include "runner/stream.h"

namespace vendrel::platform {
class Window;
}

namespace vendrel::graphics {

// The render-state record: every setter stores its value here and sends it
// to the device; after creation and after every reset the whole record is
// sent again.
struct RenderSettings {
  bool interpolation = true;
  bool blending = true;
  bool repeat = false;
  bool synchronization = false;
  bool hidden_surface_removal = true;
  bool perspective = true;
  bool lighting = false;
  bool shading = true;
  bool fog = false;
  int32_t fog_color = 0;
  double fog_start = 0.0;
  double fog_end = 1.0;
  int32_t blend_source = 5;       // bm_src_alpha
  int32_t blend_destination = 6;  // bm_inv_src_alpha
  bool culling = false;
  bool mode_3d = false;
};

// Where a presentation goes: the destination rectangle in the window's
// client area, and the colour of the client area around it.
struct PresentationLayout {
  platform::DeviceRect dest;
  uint32_t border = 0xFF000000;
};

// Creates the OpenGL device for [window]: the back buffer takes the size of
// the desktop display, the drawing region min(wanted, screen). Shows the
// start-up message and gives false on failure.
bool CreateDevice(platform::Window& window, int wanted_width, int wanted_height,
                  bool synchronization);
// The steps after the device itself exists, for a device made elsewhere
// (tests install a recording device this way): region size, clear to black,
// viewport, view transform, empty texture table, render state record.
void InstallDevice(std::unique_ptr<platform::GraphicsDevice> device, int wanted_width,
                   int wanted_height, bool synchronization);
// Releases surfaces, textures and the device.
void DestroyDevice();
// The device, or nullptr while there is none.
platform::GraphicsDevice* Device();
// The window the device presents into, or nullptr.
platform::Window* DeviceWindow();

// Frees every surface (render targets do not survive a reset), gives the
// back buffer the desktop size again, clears it and sends the render state
// record. Gives false without a device or when the back buffer cannot be
// made.
bool ResetDevice();

// The drawing region on the back buffer (also the frame's viewport).
int DeviceWidth();
int DeviceHeight();
// The screen size: the size of the back buffer.
int ScreenWidth();
int ScreenHeight();
// Changes the region size, clamped to the screen; sets the viewport and
// view transform to the whole region when it changes.
void SetDeviceSize(int width, int height);
void SetViewport(int x, int y, int width, int height);
// The 2D camera: shows the room rectangle (x, y, width, height), turned by
// [angle] degrees, in the viewport.
void SetViewTransform(double x, double y, double width, double height, double angle);

// Sets the view and projection matrices directly (3D projections).
void SetViewMatrices(const platform::DeviceMatrix& view, const platform::DeviceMatrix& projection);

// The viewport with the view and projection in force, to be put back later.
struct ViewState {
  platform::DeviceViewport viewport;
  platform::DeviceMatrix view;
  platform::DeviceMatrix projection;
};
ViewState CurrentViewState();
void RestoreViewState(const ViewState& state);

// The destination of presentations. Without a provider the region is shown
// at its own size in the top-left corner of the client area.
void SetPresentationLayoutProvider(std::function<PresentationLayout()> provider);
PresentationLayout CurrentPresentationLayout();

// The frame cycle: a scene is always open while the game draws.
void BeginScene();
// Ends the scene and presents the region; a failed presentation resets the
// device.
void EndFrameAndPresent();
// Ends the scene and presents with a transition effect (1..13); any other
// kind is a plain EndFrameAndPresent.
void PresentWithTransition(int kind);
// Presents the back buffer again without ending the scene.
void Refresh();
void WaitForVerticalBlank();

// One step of a transition: the source rectangle (fractions of the region)
// and destination rectangle (fractions of the destination) as left, top,
// right, bottom.
struct TransitionStep {
  double source[4];
  double dest[4];
};
// Step [step] (1..80) of transition [kind] (1..13).
TransitionStep TransitionFractions(int kind, int step);

// A copy of the rectangle of the back buffer, cut at the region's edges;
// an empty bitmap when nothing is left or there is no device.
runner::CBitmap32 Capture(int x, int y, int width, int height);

// Writes the rectangle of the back buffer (cut at the region's edges) as a
// bitmap file; false when nothing is left or writing fails.
bool SaveScreen(const std::string& path, int x, int y, int width, int height);

// Writes the whole region of the back buffer as a PNG file (screenshots of
// headless runs). False, with the reason in [error], on failure.
bool SaveScreenshot(const std::string& path, std::string* error);

// Render-state setters.
const RenderSettings& Settings();
void SetTextureInterpolation(bool on);
void SetTextureBlending(bool on);
void SetTextureRepeat(bool on);
void SetSynchronization(bool on);
void SetHiddenSurfaceRemoval(bool on);
void SetPerspective(bool on);
void SetLighting(bool on);
void SetShading(bool on);
void SetFog(bool enable, int32_t color, double start, double end);
// bm_normal 0, bm_add 1, bm_max 2, bm_subtract 3; others act as bm_normal.
void SetBlendMode(int kind);
// Two blend factors (bm_zero 1 .. bm_src_alpha_sat 11); numbers outside
// that range leave the setting alone.
void SetBlendModeExt(int source, int destination);
void SetCulling(bool on);
// Switches 3D mode (the depth buffer and hidden-surface removal).
void Set3DMode(bool on);

// The device colour 0xAARRGGBB of a game colour (red in the low byte) and
// an alpha from 0 to 1.
uint32_t DeviceColor(int64_t color, double alpha);
// [device_color] with its alpha replaced.
uint32_t DeviceColorWithAlpha(uint32_t device_color, double alpha);
// The game colour of a device colour.
int32_t GameColor(uint32_t device_color);
// The alpha byte of an alpha from 0 to 1: round(clamp(alpha times 255)).
uint8_t AlphaByte(double alpha);

}  // namespace vendrel::graphics
