#include "graphics/device.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/bmp.h"
#include "graphics/game_window.h"
#include "graphics/matrix.h"
#include "graphics/surface.h"
#include "graphics/texture.h"
#include "platform/gl_device.h"
#include "platform/message_box.h"
#include "platform/screenshot.h"
#include "platform/window.h"

namespace vendrel::graphics {

namespace {

using platform::DeviceRect;
using platform::GraphicsDevice;

struct DeviceState {
  std::unique_ptr<GraphicsDevice> device;
  platform::Window* window = nullptr;
  int width = 0;  // the drawing region on the back buffer
  int height = 0;
  RenderSettings settings;
  Matrix view, projection;  // as last sent
  std::function<PresentationLayout()> layout_provider;
};

DeviceState& State() {
  static DeviceState state;
  return state;
}

int RoundInt(double value) { return int(std::nearbyint(value)); }

void StartupFailure(const char* message) {
  platform::ShowMessageBox("Vendrel", message, platform::MessageIcon::Error, {"OK"}, 0, true);
}

void SendFog() {
  DeviceState& s = State();
  if (!s.device) return;
  if (s.settings.fog && !s.device->SupportsFog()) s.settings.fog = false;
  if (!s.settings.fog) {
    s.device->SetFog(false, 0, 0.0f, 1.0f);
    return;
  }
  s.device->SetFog(true, DeviceColor(s.settings.fog_color, 1.0), float(s.settings.fog_start),
                   float(s.settings.fog_end));
}

void SendHiddenSurfaceRemoval() {
  DeviceState& s = State();
  if (!s.device) return;
  if (s.settings.mode_3d && s.settings.hidden_surface_removal) {
    s.device->SetDepthTest(true, true, platform::CompareFunc::LessEqual);
    s.device->SetAlphaTest(true, platform::CompareFunc::Greater, 0);
  } else {
    s.device->SetDepthTest(false, true, platform::CompareFunc::LessEqual);
    s.device->SetAlphaTest(false, platform::CompareFunc::Greater, 0);
  }
}

// Sends the whole render state record, in the fixed order.
void SendRenderState() {
  DeviceState& s = State();
  if (!s.device) return;
  const RenderSettings& r = s.settings;
  s.device->SetAlphaBlendEnable(true);
  s.device->SetCullMode(r.culling ? platform::CullMode::CounterClockwise
                                  : platform::CullMode::None);
  s.device->SetBlendFactors(platform::BlendFactor(r.blend_source),
                            platform::BlendFactor(r.blend_destination));
  // Lighting is stored for the 3D drawing, which lights in its shaders.
  s.device->SetFlatShading(!r.shading);
  SendHiddenSurfaceRemoval();
  SendFog();
  s.device->SetTextureFilter(r.interpolation ? platform::TextureFilter::Linear
                                             : platform::TextureFilter::Point);
  s.device->SetTextureOp(r.blending ? platform::TextureOp::Modulate
                                    : platform::TextureOp::SelectTexture);
  s.device->SetTextureAddress(r.repeat ? platform::TextureAddress::Wrap
                                       : platform::TextureAddress::Clamp);
}

void ClearToBlack() {
  DeviceState& s = State();
  platform::DeviceViewport saved = s.device->Viewport();
  s.device->SetViewport({0, 0, s.device->BackBufferWidth(), s.device->BackBufferHeight()});
  s.device->Clear(true, false, 0, 0.0f);
  s.device->SetViewport(saved);
}

bool PresentRegion(const DeviceRect& source, const DeviceRect& dest, bool fill_border,
                   bool wait) {
  DeviceState& s = State();
  platform::PresentOptions options;
  options.fill_border = fill_border;
  options.border = CurrentPresentationLayout().border;
  options.wait_for_vertical_blank = wait;
  return s.device->Present(source, dest, options);
}

}  // namespace

bool CreateDevice(platform::Window& window, int wanted_width, int wanted_height,
                  bool synchronization) {
  platform::DisplayMode mode = CurrentDisplayMode();
  if (mode.bits_per_pixel != 0 && mode.bits_per_pixel != 16 && mode.bits_per_pixel != 32) {
    StartupFailure(
        "This program requires 16-bit (High Color) or 32-bit (Full Color) mode. Please change "
        "this in your display properties and run again.");
    return false;
  }
  if (mode.width <= 0 || mode.height <= 0) {
    StartupFailure("Failed to retrieve display mode.");
    return false;
  }
  std::string error;
  std::unique_ptr<GraphicsDevice> device =
      platform::CreateGlDevice(window, mode.width, mode.height, &error);
  if (!device) {
    if (error.rfind("the back buffer", 0) == 0) {
      StartupFailure(
          "Failed to initialize drawing surfaces. Please check that you graphics card meets the "
          "minimum requirements and that your drivers are up-to-date. If you graphics card has "
          "little memory, try switching your computer to a lower resolution.");
    } else {
      StartupFailure(
          "Failed to initialize Direct3D. Old graphics cards do not support this. Also make "
          "sure version 8.0 or later of DirectX is installed on your machine.");
    }
    return false;
  }
  InstallDevice(std::move(device), wanted_width, wanted_height, synchronization);
  State().window = &window;
  return true;
}

void InstallDevice(std::unique_ptr<GraphicsDevice> device, int wanted_width, int wanted_height,
                   bool synchronization) {
  DestroyDevice();
  DeviceState& s = State();
  s.device = std::move(device);
  s.width = std::clamp(wanted_width, 1, s.device->BackBufferWidth());
  s.height = std::clamp(wanted_height, 1, s.device->BackBufferHeight());
  s.settings.synchronization = synchronization;
  s.device->SetPresentedArea({0, 0, s.width, s.height});
  ClearToBlack();
  SetViewport(0, 0, s.width, s.height);
  SetViewTransform(0, 0, s.width, s.height, 0);
  EmptyTextureTable();
  SendRenderState();
}

void DestroyDevice() {
  DeviceState& s = State();
  if (!s.device) return;
  FreeAllSurfaces();
  EmptyTextureTable();
  s.device.reset();
  s.window = nullptr;
}

GraphicsDevice* Device() { return State().device.get(); }

platform::Window* DeviceWindow() { return State().window; }

bool ResetDevice() {
  DeviceState& s = State();
  if (!s.device) return false;
  int width = s.device->BackBufferWidth(), height = s.device->BackBufferHeight();
  if (s.window != nullptr) {
    platform::DisplayMode mode = CurrentDisplayMode();
    if (mode.width <= 0 || mode.height <= 0) return false;
    width = mode.width;
    height = mode.height;
  }
  FreeAllSurfaces();
  platform::DeviceViewport viewport = s.device->Viewport();
  if (!s.device->Reset(width, height)) return false;
  ClearToBlack();
  s.device->SetViewport(viewport);
  SendRenderState();
  return true;
}

int DeviceWidth() { return State().width; }
int DeviceHeight() { return State().height; }

int ScreenWidth() {
  GraphicsDevice* device = Device();
  return device ? device->BackBufferWidth() : 0;
}

int ScreenHeight() {
  GraphicsDevice* device = Device();
  return device ? device->BackBufferHeight() : 0;
}

void SetDeviceSize(int width, int height) {
  DeviceState& s = State();
  if (!s.device) return;
  width = std::clamp(width, 1, ScreenWidth());
  height = std::clamp(height, 1, ScreenHeight());
  if (width == s.width && height == s.height) return;
  s.width = width;
  s.height = height;
  s.device->SetPresentedArea({0, 0, width, height});
  SetViewport(0, 0, width, height);
  SetViewTransform(0, 0, width, height, 0);
}

void SetViewport(int x, int y, int width, int height) {
  if (GraphicsDevice* device = Device()) device->SetViewport({x, y, width, height, 0.0f, 1.0f});
}

void SetViewTransform(double x, double y, double width, double height, double angle) {
  GraphicsDevice* device = Device();
  if (device == nullptr) return;
  const RenderSettings& r = State().settings;
  double a = -angle * std::numbers::pi / 180.0;
  Vec3 up{std::sin(a), std::cos(a), 0};
  Vec3 centre{x + width / 2, y + height / 2, 0};
  Matrix view, projection;
  if (r.mode_3d && r.perspective) {
    view = MatrixLookAtLH({centre.x, centre.y, -width}, centre, up);
    projection = MatrixPerspectiveLH(1.0, height / width, 1.0, 32000.0);
  } else {
    view = MatrixLookAtLH({centre.x, centre.y, -16000.0}, centre, up);
    projection = MatrixOrthoLH(width, -height, 1.0, 32000.0);
  }
  SetViewMatrices(view, projection);
}

void SetViewMatrices(const platform::DeviceMatrix& view, const platform::DeviceMatrix& projection) {
  DeviceState& s = State();
  if (!s.device) return;
  s.view = view;
  s.projection = projection;
  s.device->SetTransform(platform::TransformKind::View, view);
  s.device->SetTransform(platform::TransformKind::Projection, projection);
}

ViewState CurrentViewState() {
  DeviceState& s = State();
  ViewState state;
  if (s.device) state.viewport = s.device->Viewport();
  state.view = s.view;
  state.projection = s.projection;
  return state;
}

void RestoreViewState(const ViewState& state) {
  DeviceState& s = State();
  if (!s.device) return;
  s.device->SetViewport(state.viewport);
  SetViewMatrices(state.view, state.projection);
}

void SetPresentationLayoutProvider(std::function<PresentationLayout()> provider) {
  State().layout_provider = std::move(provider);
}

PresentationLayout CurrentPresentationLayout() {
  DeviceState& s = State();
  if (s.layout_provider) return s.layout_provider();
  PresentationLayout layout;
  layout.dest = {0, 0, s.width, s.height};
  return layout;
}

void BeginScene() {
  if (GraphicsDevice* device = Device()) device->BeginScene();
}

void EndFrameAndPresent() {
  DeviceState& s = State();
  if (!s.device) return;
  s.device->EndScene();
  PresentationLayout layout = CurrentPresentationLayout();
  if (!PresentRegion({0, 0, s.width, s.height}, layout.dest, true,
                     s.settings.synchronization)) {
    ResetDevice();
  }
}

void Refresh() {
  DeviceState& s = State();
  if (!s.device) return;
  PresentationLayout layout = CurrentPresentationLayout();
  PresentRegion({0, 0, s.width, s.height}, layout.dest, true, s.settings.synchronization);
}

void WaitForVerticalBlank() {
  if (GraphicsDevice* device = Device()) device->WaitForVerticalBlank();
}

TransitionStep TransitionFractions(int kind, int i) {
  double a = i / 80.0, v = (80 - i) / 80.0;
  TransitionStep t{{0, 0, 1, 1}, {0, 0, 1, 1}};
  auto both = [&t](double l, double top, double r, double b) {
    t.source[0] = t.dest[0] = l;
    t.source[1] = t.dest[1] = top;
    t.source[2] = t.dest[2] = r;
    t.source[3] = t.dest[3] = b;
  };
  // Interlaced kinds: the span of steps 1..39, then a growing block.
  auto interlaced_forward = [i](double& low, double& high) {
    if (i < 40) {
      low = (2 * i - 1) / 80.0;
      high = 2 * i / 80.0;
    } else {
      low = 0;
      high = (2 * i - 80) / 80.0;
    }
  };
  auto interlaced_backward = [i](double& low, double& high) {
    if (i < 40) {
      low = (81 - 2 * i) / 80.0;
      high = (82 - 2 * i) / 80.0;
    } else {
      low = (160 - 2 * i) / 80.0;
      high = 1;
    }
  };
  double low = 0, high = 1;
  switch (kind) {
    case 1: both(0, 0, a, 1); break;
    case 2: both(v, 0, 1, 1); break;
    case 3: both(0, 0, 1, a); break;
    case 4: both(0, v, 1, 1); break;
    case 5: both(0.5 - i / 160.0, 0.5 - i / 160.0, 0.5 + i / 160.0, 0.5 + i / 160.0); break;
    case 6:
      t = {{v, 0, 1, 1}, {0, 0, a, 1}};
      break;
    case 7:
      t = {{0, 0, a, 1}, {v, 0, 1, 1}};
      break;
    case 8:
      t = {{0, v, 1, 1}, {0, 0, 1, a}};
      break;
    case 9:
      t = {{0, 0, 1, a}, {0, v, 1, 1}};
      break;
    case 10:
      interlaced_forward(low, high);
      both(low, 0, high, 1);
      break;
    case 11:
      interlaced_backward(low, high);
      both(low, 0, high, 1);
      break;
    case 12:
      interlaced_forward(low, high);
      both(0, low, 1, high);
      break;
    case 13:
      interlaced_backward(low, high);
      both(0, low, 1, high);
      break;
    default: break;
  }
  return t;
}

void PresentWithTransition(int kind) {
  DeviceState& s = State();
  if (!s.device) return;
  if (kind < 1 || kind > 13) {
    EndFrameAndPresent();
    return;
  }
  s.device->EndScene();
  DeviceRect d = CurrentPresentationLayout().dest;
  for (int i = 1; i <= 80; ++i) {
    TransitionStep t = TransitionFractions(kind, i);
    int sl = RoundInt(t.source[0] * s.width), st = RoundInt(t.source[1] * s.height);
    int sr = RoundInt(t.source[2] * s.width), sb = RoundInt(t.source[3] * s.height);
    int dl = d.x + RoundInt(t.dest[0] * d.width), dt = d.y + RoundInt(t.dest[1] * d.height);
    int dr = d.x + RoundInt(t.dest[2] * d.width), db = d.y + RoundInt(t.dest[3] * d.height);
    // Each step shows one more part over what the window already shows;
    // failures are ignored.
    PresentRegion({sl, st, sr - sl, sb - st}, {dl, dt, dr - dl, db - dt}, false, true);
  }
  PresentRegion({0, 0, s.width, s.height}, d, true, true);
}

runner::CBitmap32 Capture(int x, int y, int width, int height) {
  runner::CBitmap32 bitmap;
  DeviceState& s = State();
  if (!s.device) return bitmap;
  x = std::max(x, 0);
  y = std::max(y, 0);
  width = std::min(width, s.width - x);
  height = std::min(height, s.height - y);
  if (width <= 0 || height <= 0) return bitmap;
  std::vector<uint32_t> pixels;
  if (!s.device->ReadPixels(platform::kBackBuffer, {x, y, width, height}, pixels)) return bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels = std::move(pixels);
  return bitmap;
}

bool SaveScreen(const std::string& path, int x, int y, int width, int height) {
  runner::CBitmap32 bitmap = Capture(x, y, width, height);
  if (bitmap.Empty()) return false;
  return WriteBmpFile(path, bitmap);
}

bool SaveScreenshot(const std::string& path, std::string* error) {
  DeviceState& s = State();
  if (!s.device) {
    if (error) *error = "no drawing device";
    return false;
  }
  runner::CBitmap32 bitmap = Capture(0, 0, s.width, s.height);
  return platform::WriteScreenshotPng(path, bitmap.width, bitmap.height, bitmap.pixels, error);
}

const RenderSettings& Settings() { return State().settings; }

void SetTextureInterpolation(bool on) {
  State().settings.interpolation = on;
  if (GraphicsDevice* device = Device()) {
    device->SetTextureFilter(on ? platform::TextureFilter::Linear : platform::TextureFilter::Point);
  }
}

void SetTextureBlending(bool on) {
  State().settings.blending = on;
  if (GraphicsDevice* device = Device()) {
    device->SetTextureOp(on ? platform::TextureOp::Modulate : platform::TextureOp::SelectTexture);
  }
}

void SetTextureRepeat(bool on) {
  State().settings.repeat = on;
  if (GraphicsDevice* device = Device()) {
    device->SetTextureAddress(on ? platform::TextureAddress::Wrap
                                 : platform::TextureAddress::Clamp);
  }
}

void SetSynchronization(bool on) { State().settings.synchronization = on; }

void SetHiddenSurfaceRemoval(bool on) {
  State().settings.hidden_surface_removal = on;
  SendHiddenSurfaceRemoval();
}

void SetPerspective(bool on) { State().settings.perspective = on; }

void SetLighting(bool on) { State().settings.lighting = on; }

void SetShading(bool on) {
  State().settings.shading = on;
  if (GraphicsDevice* device = Device()) device->SetFlatShading(!on);
}

void SetFog(bool enable, int32_t color, double start, double end) {
  RenderSettings& r = State().settings;
  r.fog = enable;
  r.fog_color = color;
  r.fog_start = start;
  r.fog_end = end;
  SendFog();
}

void SetBlendMode(int kind) {
  switch (kind) {
    case 1: SetBlendModeExt(5, 2); break;
    case 2: SetBlendModeExt(5, 4); break;
    case 3: SetBlendModeExt(1, 4); break;
    default: SetBlendModeExt(5, 6); break;
  }
}

void SetBlendModeExt(int source, int destination) {
  // Numbers that are no blend factor would make the device refuse every
  // later draw; they are ignored.
  if (!platform::IsBlendFactor(source) || !platform::IsBlendFactor(destination)) return;
  RenderSettings& r = State().settings;
  r.blend_source = source;
  r.blend_destination = destination;
  if (GraphicsDevice* device = Device()) {
    device->SetBlendFactors(platform::BlendFactor(source), platform::BlendFactor(destination));
  }
}

void SetCulling(bool on) {
  State().settings.culling = on;
  if (GraphicsDevice* device = Device()) {
    device->SetCullMode(on ? platform::CullMode::CounterClockwise : platform::CullMode::None);
  }
}

void Set3DMode(bool on) {
  State().settings.mode_3d = on;
  SendHiddenSurfaceRemoval();
}

uint8_t AlphaByte(double alpha) {
  if (std::isnan(alpha)) return 0;
  return uint8_t(std::nearbyint(std::clamp(alpha * 255.0, 0.0, 255.0)));
}

uint32_t DeviceColor(int64_t color, double alpha) {
  uint32_t c = uint32_t(color);
  uint32_t red = c & 0xFF, green = (c >> 8) & 0xFF, blue = (c >> 16) & 0xFF;
  return (uint32_t(AlphaByte(alpha)) << 24) | (red << 16) | (green << 8) | blue;
}

uint32_t DeviceColorWithAlpha(uint32_t device_color, double alpha) {
  return (device_color & 0x00FFFFFF) | (uint32_t(AlphaByte(alpha)) << 24);
}

int32_t GameColor(uint32_t device_color) {
  uint32_t red = (device_color >> 16) & 0xFF, green = (device_color >> 8) & 0xFF,
           blue = device_color & 0xFF;
  return int32_t(red | (green << 8) | (blue << 16));
}

}  // namespace vendrel::graphics
