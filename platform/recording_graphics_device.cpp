#include "platform/recording_graphics_device.h"

#include <algorithm>

namespace vendrel::platform {

RecordingGraphicsDevice::RecordingGraphicsDevice(int back_buffer_width, int back_buffer_height) {
  back_.width = std::max(back_buffer_width, 1);
  back_.height = std::max(back_buffer_height, 1);
  back_.render_target = true;
  back_.in_use = true;
  back_.pixels.assign(size_t(back_.width) * size_t(back_.height), 0xFF000000);
  state_.viewport = {0, 0, back_.width, back_.height, 0.0f, 1.0f};
}

void RecordingGraphicsDevice::ClearRecord() {
  draws.clear();
  clears.clear();
  presents.clear();
  scenes_begun = scenes_ended = vertical_blank_waits = 0;
}

RecordingGraphicsDevice::Image* RecordingGraphicsDevice::Find(TextureHandle handle) {
  if (handle == 0 || handle > textures_.size()) return nullptr;
  Image& image = textures_[handle - 1];
  return image.in_use ? &image : nullptr;
}

const RecordingGraphicsDevice::Image* RecordingGraphicsDevice::Find(TextureHandle handle) const {
  if (handle == 0 || handle > textures_.size()) return nullptr;
  const Image& image = textures_[handle - 1];
  return image.in_use ? &image : nullptr;
}

RecordingGraphicsDevice::Image* RecordingGraphicsDevice::TargetImage(TextureHandle handle) {
  if (handle == kBackBuffer) return &back_;
  Image* image = Find(handle);
  return image && image->render_target ? image : nullptr;
}

const std::vector<uint32_t>* RecordingGraphicsDevice::PixelsOf(TextureHandle handle) const {
  if (handle == kBackBuffer) return &back_.pixels;
  const Image* image = Find(handle);
  return image ? &image->pixels : nullptr;
}

int RecordingGraphicsDevice::LiveTextures() const {
  return int(std::count_if(textures_.begin(), textures_.end(),
                           [](const Image& image) { return image.in_use; }));
}

bool RecordingGraphicsDevice::Reset(int width, int height) {
  ++resets;
  if (width < 1 || height < 1) return false;
  back_.width = width;
  back_.height = height;
  back_.pixels.assign(size_t(width) * size_t(height), 0xFF000000);
  return true;
}

bool RecordingGraphicsDevice::Present(const DeviceRect& source, const DeviceRect& dest,
                                      const PresentOptions& options) {
  presents.push_back({source, dest, options});
  return !fail_present;
}

void RecordingGraphicsDevice::Clear(bool target, bool zbuffer, uint32_t color, float /*z*/) {
  clears.push_back({state_.target, state_.viewport, target, zbuffer, color});
  Image* image = TargetImage(state_.target);
  if (!target || image == nullptr) return;
  // The back buffer has no alpha of its own.
  if (image == &back_) color |= 0xFF000000;
  const DeviceViewport& v = state_.viewport;
  int x0 = std::max(v.x, 0), y0 = std::max(v.y, 0);
  int x1 = std::min(v.x + v.width, image->width), y1 = std::min(v.y + v.height, image->height);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) image->pixels[size_t(y) * size_t(image->width) + size_t(x)] = color;
  }
}

void RecordingGraphicsDevice::SetTransform(TransformKind kind, const DeviceMatrix& matrix) {
  switch (kind) {
    case TransformKind::World: state_.world = matrix; break;
    case TransformKind::View: state_.view = matrix; break;
    case TransformKind::Projection: state_.projection = matrix; break;
  }
}

const DeviceMatrix& RecordingGraphicsDevice::Transform(TransformKind kind) const {
  return kind == TransformKind::World ? state_.world
         : kind == TransformKind::View ? state_.view
                                       : state_.projection;
}

void RecordingGraphicsDevice::SetBlendFactors(BlendFactor source, BlendFactor dest) {
  state_.blend_source = source;
  state_.blend_dest = dest;
}

void RecordingGraphicsDevice::SetAlphaTest(bool enable, CompareFunc func, int reference) {
  state_.alpha_test = enable;
  alpha_func = func;
  alpha_reference = reference;
}

void RecordingGraphicsDevice::SetDepthTest(bool enable, bool write, CompareFunc func) {
  depth_test = enable;
  depth_write = write;
  depth_func = func;
}

bool RecordingGraphicsDevice::CheckTextureRequirements(int& width, int& height) const {
  auto fit = [this](int& size) {
    int wanted = std::max(size, 1);
    int power = 1;
    while (power < wanted && power < max_texture_size) power *= 2;
    size = power;
    return wanted <= max_texture_size;
  };
  bool w = fit(width);
  bool h = fit(height);
  return w && h;
}

TextureHandle RecordingGraphicsDevice::CreateTexture(int width, int height, bool render_target) {
  if (fail_texture_creation || width < 1 || height < 1 || width > max_texture_size ||
      height > max_texture_size) {
    return kNoTexture;
  }
  Image image;
  image.width = width;
  image.height = height;
  image.render_target = render_target;
  image.in_use = true;
  image.pixels.assign(size_t(width) * size_t(height), 0);
  for (size_t i = 0; i < textures_.size(); ++i) {
    if (!textures_[i].in_use) {
      textures_[i] = std::move(image);
      return TextureHandle(i + 1);
    }
  }
  textures_.push_back(std::move(image));
  return TextureHandle(textures_.size());
}

void RecordingGraphicsDevice::ReleaseTexture(TextureHandle handle) {
  Image* image = Find(handle);
  if (image == nullptr) return;
  if (state_.texture == handle) state_.texture = kNoTexture;
  if (state_.target == handle) state_.target = kBackBuffer;
  *image = Image();
}

bool RecordingGraphicsDevice::UpdateTexture(TextureHandle handle, int x, int y, int width,
                                            int height, const uint32_t* pixels, int pitch) {
  Image* image = Find(handle);
  if (image == nullptr || pixels == nullptr || x < 0 || y < 0 || width <= 0 || height <= 0 ||
      x + width > image->width || y + height > image->height || pitch < width) {
    return false;
  }
  for (int row = 0; row < height; ++row) {
    std::copy_n(pixels + size_t(row) * size_t(pitch), width,
                image->pixels.begin() + ptrdiff_t(size_t(y + row) * size_t(image->width) + size_t(x)));
  }
  return true;
}

void RecordingGraphicsDevice::SetTexture(TextureHandle handle) {
  state_.texture = Find(handle) ? handle : kNoTexture;
}

bool RecordingGraphicsDevice::SetRenderTarget(TextureHandle target) {
  if (TargetImage(target) == nullptr) return false;
  state_.target = target;
  return true;
}

bool RecordingGraphicsDevice::CopyRect(TextureHandle source, const DeviceRect& rect,
                                       TextureHandle dest, int dest_x, int dest_y) {
  std::vector<uint32_t> pixels;
  if (!ReadPixels(source, rect, pixels)) return false;
  Image* to = TargetImage(dest);
  if (to == nullptr || dest_x < 0 || dest_y < 0 || dest_x + rect.width > to->width ||
      dest_y + rect.height > to->height) {
    return false;
  }
  for (int row = 0; row < rect.height; ++row) {
    std::copy_n(pixels.begin() + ptrdiff_t(size_t(row) * size_t(rect.width)), rect.width,
                to->pixels.begin() +
                    ptrdiff_t(size_t(dest_y + row) * size_t(to->width) + size_t(dest_x)));
  }
  return true;
}

bool RecordingGraphicsDevice::ReadPixels(TextureHandle source, const DeviceRect& rect,
                                         std::vector<uint32_t>& pixels) {
  Image* from = TargetImage(source);
  if (from == nullptr || rect.x < 0 || rect.y < 0 || rect.width <= 0 || rect.height <= 0 ||
      rect.x + rect.width > from->width || rect.y + rect.height > from->height) {
    return false;
  }
  pixels.resize(size_t(rect.width) * size_t(rect.height));
  for (int row = 0; row < rect.height; ++row) {
    std::copy_n(from->pixels.begin() +
                    ptrdiff_t(size_t(rect.y + row) * size_t(from->width) + size_t(rect.x)),
                rect.width, pixels.begin() + ptrdiff_t(size_t(row) * size_t(rect.width)));
  }
  return true;
}

void RecordingGraphicsDevice::DrawPrimitive(PrimitiveType type, int count,
                                            const DeviceVertex* vertices) {
  if (count <= 0 || vertices == nullptr) return;
  RecordedDraw draw = state_;
  draw.type = type;
  draw.count = count;
  int n = VertexCountFor(type, count);
  draw.vertices.assign(vertices, vertices + n);
  draws.push_back(std::move(draw));
  ++stats_.primitive_calls;
  ++stats_.batches;
  stats_.vertices += uint64_t(n);
}

}  // namespace vendrel::platform
