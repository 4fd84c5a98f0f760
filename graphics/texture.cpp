#include "graphics/texture.h"

#include <algorithm>

#include "graphics/device.h"

namespace vendrel::graphics {

namespace {

std::vector<RTexture> g_textures;

RTexture* Entry(int id) {
  if (id < 0 || size_t(id) >= g_textures.size() || !g_textures[size_t(id)].in_use) {
    return nullptr;
  }
  return &g_textures[size_t(id)];
}

}  // namespace

int CreateTexture(int width, int height, bool render_target) {
  platform::GraphicsDevice* device = Device();
  if (device == nullptr) return -1;
  int texture_width = width, texture_height = height;
  if (!device->CheckTextureRequirements(texture_width, texture_height)) return -1;
  platform::TextureHandle handle =
      device->CreateTexture(texture_width, texture_height, render_target);
  if (handle == platform::kNoTexture) return -1;
  RTexture entry;
  entry.texture = handle;
  entry.image_width = width;
  entry.image_height = height;
  entry.texture_width = texture_width;
  entry.texture_height = texture_height;
  entry.in_use = true;
  for (size_t i = 0; i < g_textures.size(); ++i) {
    if (!g_textures[i].in_use) {
      g_textures[i] = entry;
      return int(i);
    }
  }
  g_textures.push_back(entry);
  return int(g_textures.size() - 1);
}

bool FillTexture(int id, const uint32_t* pixels) {
  RTexture* entry = Entry(id);
  platform::GraphicsDevice* device = Device();
  if (entry == nullptr || device == nullptr || pixels == nullptr) return false;
  int w = entry->image_width, h = entry->image_height;
  if (w <= 0 || h <= 0) return false;
  int w2 = std::min(w + 1, entry->texture_width);
  int h2 = std::min(h + 1, entry->texture_height);
  if (w2 == w && h2 == h) {
    return device->UpdateTexture(entry->texture, 0, 0, w, h, pixels, w);
  }
  std::vector<uint32_t> padded(size_t(w2) * size_t(h2));
  for (int y = 0; y < h2; ++y) {
    const uint32_t* row = pixels + size_t(std::min(y, h - 1)) * size_t(w);
    uint32_t* out = padded.data() + size_t(y) * size_t(w2);
    std::copy_n(row, w, out);
    if (w2 > w) out[w] = row[w - 1];
  }
  return device->UpdateTexture(entry->texture, 0, 0, w2, h2, padded.data(), w2);
}

int TextureFromBitmap(const runner::CBitmap32& bitmap) {
  if (bitmap.Empty() || bitmap.pixels.size() < size_t(bitmap.width) * size_t(bitmap.height)) {
    return -1;
  }
  int id = CreateTexture(bitmap.width, bitmap.height, false);
  if (id < 0) return -1;
  if (!FillTexture(id, bitmap.pixels.data())) {
    FreeTexture(id);
    return -1;
  }
  return id;
}

int TextureFromAlphaMap(int width, int height, const uint8_t* alpha) {
  if (width <= 0 || height <= 0 || alpha == nullptr) return -1;
  std::vector<uint32_t> pixels(size_t(width) * size_t(height));
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (uint32_t(alpha[i]) << 24) | 0x00FFFFFF;
  int id = CreateTexture(width, height, false);
  if (id < 0) return -1;
  if (!FillTexture(id, pixels.data())) {
    FreeTexture(id);
    return -1;
  }
  return id;
}

void FreeTexture(int id) {
  RTexture* entry = Entry(id);
  if (entry == nullptr) return;
  if (platform::GraphicsDevice* device = Device()) device->ReleaseTexture(entry->texture);
  *entry = RTexture();
}

bool TextureExists(int id) { return Entry(id) != nullptr; }

const RTexture* TextureEntry(int id) { return Entry(id); }

double TextureWidthFraction(int id) {
  const RTexture* entry = Entry(id);
  if (entry == nullptr || entry->texture_width <= 0) return 1.0;
  return double(entry->image_width) / double(entry->texture_width);
}

double TextureHeightFraction(int id) {
  const RTexture* entry = Entry(id);
  if (entry == nullptr || entry->texture_height <= 0) return 1.0;
  return double(entry->image_height) / double(entry->texture_height);
}

bool PreloadTexture(int id) { return Entry(id) != nullptr; }

bool SetTexturePriority(int id, int /*priority*/) { return Entry(id) != nullptr; }

void SetCurrentTexture(int id) {
  platform::GraphicsDevice* device = Device();
  if (device == nullptr) return;
  const RTexture* entry = Entry(id);
  device->SetTexture(entry ? entry->texture : platform::kNoTexture);
}

void EmptyTextureTable() {
  platform::GraphicsDevice* device = Device();
  for (RTexture& entry : g_textures) {
    if (entry.in_use && device != nullptr) device->ReleaseTexture(entry.texture);
  }
  g_textures.clear();
}

int TextureTableSize() { return int(g_textures.size()); }

}  // namespace vendrel::graphics
