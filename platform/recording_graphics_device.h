// A drawing device that rasterises nothing: it keeps every primitive call
// with the states it was made under, and holds textures, render targets and
// the back buffer as plain pixel arrays so that clears, texture updates,
// copies and read-back behave as on a real device. Tests use it to check
// the exact geometry the drawing code sends.
#pragma once

#include <vector>

#include "platform/graphics_device.h"

namespace vendrel::platform {

struct RecordedDraw {
  PrimitiveType type = PrimitiveType::PointList;
  int count = 0;
  std::vector<DeviceVertex> vertices;
  TextureHandle texture = kNoTexture;
  TextureHandle target = kBackBuffer;
  bool alpha_blend = false;
  BlendFactor blend_source = BlendFactor::One;
  BlendFactor blend_dest = BlendFactor::Zero;
  bool alpha_test = false;
  TextureFilter filter = TextureFilter::Point;
  TextureAddress address = TextureAddress::Wrap;
  TextureOp texture_op = TextureOp::Modulate;
  bool flat_shading = false;
  CullMode cull = CullMode::None;
  DeviceViewport viewport;
  DeviceMatrix world, view, projection;
};

struct RecordedClear {
  TextureHandle target = kBackBuffer;
  DeviceViewport viewport;
  bool target_cleared = false;
  bool zbuffer_cleared = false;
  uint32_t color = 0;
};

struct RecordedPresent {
  DeviceRect source, dest;
  PresentOptions options;
};

class RecordingGraphicsDevice final : public GraphicsDevice {
 public:
  RecordingGraphicsDevice(int back_buffer_width, int back_buffer_height);

  std::vector<RecordedDraw> draws;
  std::vector<RecordedClear> clears;
  std::vector<RecordedPresent> presents;
  int scenes_begun = 0;
  int scenes_ended = 0;
  int vertical_blank_waits = 0;
  int resets = 0;
  // Largest texture side accepted; sizes beyond it fail.
  int max_texture_size = 4096;
  // Whether the device claims fog support, and the fog last set.
  bool supports_fog = true;
  bool fog_enabled = false;
  uint32_t fog_color = 0;
  float fog_start = 0, fog_end = 1;
  // Makes Present report failure.
  bool fail_present = false;
  // Makes CreateTexture fail, to exercise the callers' failure paths.
  bool fail_texture_creation = false;

  // Forgets what was recorded (textures and pixels stay).
  void ClearRecord();
  // The pixels of a texture or the back buffer (rows from the top).
  const std::vector<uint32_t>* PixelsOf(TextureHandle handle) const;
  int LiveTextures() const;

  int BackBufferWidth() const override { return back_.width; }
  int BackBufferHeight() const override { return back_.height; }
  bool Reset(int width, int height) override;
  void BeginScene() override { ++scenes_begun; }
  void EndScene() override { ++scenes_ended; }
  bool Present(const DeviceRect& source, const DeviceRect& dest,
               const PresentOptions& options) override;
  void WaitForVerticalBlank() override { ++vertical_blank_waits; }
  void Clear(bool target, bool zbuffer, uint32_t color, float z) override;
  void SetViewport(const DeviceViewport& viewport) override { state_.viewport = viewport; }
  DeviceViewport Viewport() const override { return state_.viewport; }
  void SetTransform(TransformKind kind, const DeviceMatrix& matrix) override;
  const DeviceMatrix& Transform(TransformKind kind) const;
  void SetAlphaBlendEnable(bool enable) override { state_.alpha_blend = enable; }
  void SetBlendFactors(BlendFactor source, BlendFactor dest) override;
  void SetAlphaTest(bool enable, CompareFunc func, int reference) override;
  void SetDepthTest(bool enable, bool write, CompareFunc func) override;
  void SetCullMode(CullMode mode) override { state_.cull = mode; }
  void SetFlatShading(bool flat) override { state_.flat_shading = flat; }
  bool SupportsFog() const override { return supports_fog; }
  void SetFog(bool enable, uint32_t color, float start, float end) override {
    fog_enabled = enable;
    fog_color = color;
    fog_start = start;
    fog_end = end;
  }
  void SetTextureFilter(TextureFilter filter) override { state_.filter = filter; }
  void SetTextureAddress(TextureAddress address) override { state_.address = address; }
  void SetTextureOp(TextureOp op) override { state_.texture_op = op; }
  bool CheckTextureRequirements(int& width, int& height) const override;
  TextureHandle CreateTexture(int width, int height, bool render_target) override;
  void ReleaseTexture(TextureHandle texture) override;
  bool UpdateTexture(TextureHandle texture, int x, int y, int width, int height,
                     const uint32_t* pixels, int pitch) override;
  void SetTexture(TextureHandle texture) override;
  bool SetRenderTarget(TextureHandle target) override;
  TextureHandle RenderTarget() const override { return state_.target; }
  bool CopyRect(TextureHandle source, const DeviceRect& rect, TextureHandle dest, int dest_x,
                int dest_y) override;
  bool ReadPixels(TextureHandle source, const DeviceRect& rect,
                  std::vector<uint32_t>& pixels) override;
  void DrawPrimitive(PrimitiveType type, int count, const DeviceVertex* vertices) override;
  void Flush() override {}
  DeviceStats Stats() const override { return stats_; }

  // Depth-test and alpha-test settings last made.
  bool depth_test = false, depth_write = true;
  CompareFunc depth_func = CompareFunc::LessEqual;
  CompareFunc alpha_func = CompareFunc::Always;
  int alpha_reference = 0;

 private:
  struct Image {
    int width = 0, height = 0;
    bool render_target = false;
    bool in_use = false;
    std::vector<uint32_t> pixels;
  };
  Image* Find(TextureHandle handle);
  const Image* Find(TextureHandle handle) const;
  Image* TargetImage(TextureHandle handle);

  Image back_;
  std::vector<Image> textures_;
  RecordedDraw state_;  // the current states, copied into each draw
  DeviceStats stats_;
};

}  // namespace vendrel::platform
