#include "graphics/surface.h"

#include <algorithm>
#include <vector>

#include "graphics/bmp.h"
#include "graphics/device.h"
#include "graphics/texture.h"

namespace vendrel::graphics {

namespace {

struct SurfaceState {
  std::vector<RSurface> surfaces;
  int current = -1;  // surface drawn into, -1 for the screen
  bool has_saved = false;
  platform::TextureHandle saved_target = platform::kBackBuffer;
  ViewState saved_view;
};

SurfaceState& State() {
  static SurfaceState state;
  return state;
}

RSurface* Entry(int id) {
  SurfaceState& s = State();
  if (id < 0 || size_t(id) >= s.surfaces.size() || !s.surfaces[size_t(id)].in_use) {
    return nullptr;
  }
  return &s.surfaces[size_t(id)];
}

platform::TextureHandle HandleOf(const RSurface& surface) {
  const RTexture* texture = TextureEntry(surface.texture);
  return texture ? texture->texture : platform::kNoTexture;
}

}  // namespace

int CreateSurface(int width, int height) {
  if (width < 0 || height < 0) return -1;
  int texture = CreateTexture(width, height, true);
  if (texture < 0) return -1;
  SurfaceState& s = State();
  RSurface surface{texture, width, height, true};
  for (size_t i = 0; i < s.surfaces.size(); ++i) {
    if (!s.surfaces[i].in_use) {
      s.surfaces[i] = surface;
      return int(i);
    }
  }
  s.surfaces.push_back(surface);
  return int(s.surfaces.size() - 1);
}

bool SurfaceExists(int id) { return Entry(id) != nullptr; }

void FreeSurface(int id) {
  RSurface* surface = Entry(id);
  if (surface == nullptr) return;
  if (State().current == id) ResetSurfaceTarget();
  FreeTexture(surface->texture);
  *surface = RSurface();
}

void FreeAllSurfaces() {
  SurfaceState& s = State();
  for (size_t i = 0; i < s.surfaces.size(); ++i) FreeSurface(int(i));
  s.surfaces.clear();
  s.current = -1;
}

int SurfaceWidth(int id) {
  const RSurface* surface = Entry(id);
  return surface ? surface->width : -1;
}

int SurfaceHeight(int id) {
  const RSurface* surface = Entry(id);
  return surface ? surface->height : -1;
}

int SurfaceTexture(int id) {
  const RSurface* surface = Entry(id);
  return surface ? surface->texture : -1;
}

bool SetSurfaceTarget(int id) {
  platform::GraphicsDevice* device = Device();
  RSurface* surface = Entry(id);
  SurfaceState& s = State();
  if (device == nullptr || surface == nullptr) return false;
  if (s.current == id) return true;
  platform::TextureHandle handle = HandleOf(*surface);
  if (handle == platform::kNoTexture) return false;
  if (s.current >= 0) ResetSurfaceTarget();
  s.saved_target = device->RenderTarget();
  s.saved_view = CurrentViewState();
  s.has_saved = true;
  if (!device->SetRenderTarget(handle)) {
    s.has_saved = false;
    return false;
  }
  SetViewport(0, 0, surface->width, surface->height);
  SetViewTransform(0, 0, surface->width, surface->height, 0);
  s.current = id;
  return true;
}

bool ResetSurfaceTarget() {
  platform::GraphicsDevice* device = Device();
  SurfaceState& s = State();
  if (device == nullptr || !s.has_saved) return false;
  device->SetRenderTarget(s.saved_target);
  s.has_saved = false;
  s.current = -1;
  // Drawing that follows in the same event goes on in the coordinates it
  // had before the surface was chosen.
  RestoreViewState(s.saved_view);
  return true;
}

int CurrentSurfaceTarget() { return State().current; }

runner::CBitmap32 CaptureSurface(int id, int x, int y, int width, int height) {
  runner::CBitmap32 bitmap;
  platform::GraphicsDevice* device = Device();
  const RSurface* surface = Entry(id);
  if (device == nullptr || surface == nullptr) return bitmap;
  x = std::max(x, 0);
  y = std::max(y, 0);
  width = std::min(width, surface->width - x);
  height = std::min(height, surface->height - y);
  if (width <= 0 || height <= 0) return bitmap;
  std::vector<uint32_t> pixels;
  if (!device->ReadPixels(HandleOf(*surface), {x, y, width, height}, pixels)) return bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels = std::move(pixels);
  return bitmap;
}

int32_t SurfacePixel(int id, int x, int y) {
  runner::CBitmap32 pixel = CaptureSurface(id, x, y, 1, 1);
  if (pixel.Empty()) return 0;
  return GameColor(pixel.pixels[0]);
}

void CopySurfacePart(int dest, int x, int y, int source, int sx, int sy, int width,
                     int height) {
  platform::GraphicsDevice* device = Device();
  const RSurface* to = Entry(dest);
  const RSurface* from = Entry(source);
  if (device == nullptr || to == nullptr || from == nullptr) return;
  // Clip to the source first, then to the destination.
  if (sx < 0) {
    x -= sx;
    width += sx;
    sx = 0;
  }
  if (sy < 0) {
    y -= sy;
    height += sy;
    sy = 0;
  }
  width = std::min(width, from->width - sx);
  height = std::min(height, from->height - sy);
  if (x < 0) {
    sx -= x;
    width += x;
    x = 0;
  }
  if (y < 0) {
    sy -= y;
    height += y;
    y = 0;
  }
  width = std::min(width, to->width - x);
  height = std::min(height, to->height - y);
  if (width <= 0 || height <= 0) return;
  device->CopyRect(HandleOf(*from), {sx, sy, width, height}, HandleOf(*to), x, y);
}

void CopySurface(int dest, int x, int y, int source) {
  const RSurface* from = Entry(source);
  if (from == nullptr) return;
  CopySurfacePart(dest, x, y, source, 0, 0, from->width, from->height);
}

bool SaveSurface(int id, const std::string& path, int x, int y, int width, int height) {
  runner::CBitmap32 bitmap = CaptureSurface(id, x, y, width, height);
  if (bitmap.Empty()) return false;
  return WriteBmpFile(path, bitmap);
}

}  // namespace vendrel::graphics
