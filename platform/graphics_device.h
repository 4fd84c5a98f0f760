// The drawing device: a small interface shaped after the Direct3D 8 calls
// the drawing code relies on (scenes, clears, viewports, transforms, render
// and texture-stage states, textures, render targets, primitive lists from
// vertex arrays, pixel read-back, presentation).
//
// Conventions kept from that model, so the drawing code can be written
// against it unchanged:
// - Colours are 32-bit 0xAARRGGBB words, per vertex and in textures.
// - Screen coordinates have their pixel centres on whole numbers: a pixel
//   (i, j) is covered by the square from (i - 0.5, j - 0.5) to
//   (i + 0.5, j + 0.5); callers add the half-pixel offset themselves.
// - Matrices are row-major and act on row vectors (v' = v M), and the
//   projection maps z to [0, 1].
// - Texture sizes are chosen by CheckTextureRequirements (powers of two);
//   texture coordinate (0, 0) is the top-left corner of the first row.
// - Textures and render targets read and write rows from the top.
//
// Two back ends implement it: the OpenGL device (platform/gl_device.h) and a
// recording device (platform/recording_graphics_device.h) that keeps every
// call for tests that check geometry without rasterising it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vendrel::platform {

// One vertex of a primitive list: position, diffuse colour (0xAARRGGBB) and
// one pair of texture coordinates (ignored while no texture is set).
struct DeviceVertex {
  float x = 0, y = 0, z = 0;
  uint32_t color = 0xFFFFFFFF;
  float u = 0, v = 0;
};
static_assert(sizeof(DeviceVertex) == 24, "vertices are sent as packed 24-byte records");

enum class PrimitiveType : int32_t {
  PointList = 1,
  LineList = 2,
  LineStrip = 3,
  TriangleList = 4,
  TriangleStrip = 5,
  TriangleFan = 6,
};

// The number of vertices that [count] primitives of [type] use.
int VertexCountFor(PrimitiveType type, int count);

// Blend factors, numbered as the game's bm_* constants.
enum class BlendFactor : int32_t {
  Zero = 1,
  One = 2,
  SrcColor = 3,
  InvSrcColor = 4,
  SrcAlpha = 5,
  InvSrcAlpha = 6,
  DestAlpha = 7,
  InvDestAlpha = 8,
  DestColor = 9,
  InvDestColor = 10,
  SrcAlphaSat = 11,
};
bool IsBlendFactor(int value);

// Comparison functions for the alpha and depth tests.
enum class CompareFunc : int32_t {
  Never = 1,
  Less = 2,
  Equal = 3,
  LessEqual = 4,
  Greater = 5,
  NotEqual = 6,
  GreaterEqual = 7,
  Always = 8,
};

// Which triangles are dropped: none, those that appear clockwise on the
// screen, or those that appear counter-clockwise.
enum class CullMode : int32_t { None = 1, Clockwise = 2, CounterClockwise = 3 };
enum class TextureFilter : int32_t { Point = 1, Linear = 2 };
enum class TextureAddress : int32_t { Wrap = 1, Clamp = 3 };
// Stage 0 operation: the texture colour times the vertex colour (both for
// colour and alpha), or the texture colour alone.
enum class TextureOp : int32_t { Modulate = 4, SelectTexture = 2 };
enum class TransformKind { World, View, Projection };

struct DeviceMatrix {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

struct DeviceRect {
  int x = 0, y = 0, width = 0, height = 0;
};

struct DeviceViewport {
  int x = 0, y = 0, width = 0, height = 0;
  float min_z = 0.0f, max_z = 1.0f;
};

// A texture of the device; 0 is no texture (and, for render targets and
// read-back, the back buffer).
using TextureHandle = uint32_t;
inline constexpr TextureHandle kNoTexture = 0;
inline constexpr TextureHandle kBackBuffer = 0;

struct PresentOptions {
  bool fill_border = true;     // paint the client area outside [dest]...
  uint32_t border = 0xFF000000;  // ...in this colour (0xAARRGGBB)
  // Change the picture during a vertical blank where the platform allows.
  bool wait_for_vertical_blank = false;
};

// Work done since the device was made; benchmarks read it.
struct DeviceStats {
  uint64_t primitive_calls = 0;  // DrawPrimitive calls received
  uint64_t batches = 0;          // draw calls actually issued to the back end
  uint64_t vertices = 0;         // vertices issued
};

class GraphicsDevice {
 public:
  virtual ~GraphicsDevice() = default;

  // The back buffer; its size is fixed at creation and by Reset.
  virtual int BackBufferWidth() const = 0;
  virtual int BackBufferHeight() const = 0;
  // Gives the back buffer a new size (the contents are lost). Textures and
  // render targets survive.
  virtual bool Reset(int back_buffer_width, int back_buffer_height) = 0;

  virtual void BeginScene() = 0;
  virtual void EndScene() = 0;
  // Copies [source] of the back buffer into [dest] of the window's client
  // area (scaled to fit) and shows the window. The rest of the client area
  // keeps what it showed before, unless [options] ask to fill it.
  virtual bool Present(const DeviceRect& source, const DeviceRect& dest,
                       const PresentOptions& options) = 0;
  // Waits for the start of the display's next vertical blank.
  virtual void WaitForVerticalBlank() = 0;

  // Clears the current viewport of the render target.
  virtual void Clear(bool target, bool zbuffer, uint32_t color, float z) = 0;
  // The part of the back buffer that presentations and read-back use from
  // now on (the drawing region); the rest of it holds nothing anyone sees.
  // A clear of a viewport that covers this part may then clear the whole
  // back buffer, which some renderers do much faster than a part of it.
  // Until it is set, the whole back buffer counts.
  virtual void SetPresentedArea(const DeviceRect& area) { (void)area; }
  virtual void SetViewport(const DeviceViewport& viewport) = 0;
  virtual DeviceViewport Viewport() const = 0;
  virtual void SetTransform(TransformKind kind, const DeviceMatrix& matrix) = 0;

  // Render states.
  virtual void SetAlphaBlendEnable(bool enable) = 0;
  virtual void SetBlendFactors(BlendFactor source, BlendFactor dest) = 0;
  virtual void SetAlphaTest(bool enable, CompareFunc func, int reference) = 0;
  virtual void SetDepthTest(bool enable, bool write, CompareFunc func) = 0;
  virtual void SetCullMode(CullMode mode) = 0;
  virtual void SetFlatShading(bool flat) = 0;
  // Linear fog by the distance from the camera along the view axis: the
  // colour turns into [color] from [start] to [end].
  virtual bool SupportsFog() const = 0;
  virtual void SetFog(bool enable, uint32_t color, float start, float end) = 0;
  // Texture-stage states of stage 0.
  virtual void SetTextureFilter(TextureFilter filter) = 0;
  virtual void SetTextureAddress(TextureAddress address) = 0;
  virtual void SetTextureOp(TextureOp op) = 0;

  // Textures hold 0xAARRGGBB pixels. CheckTextureRequirements turns a wanted
  // size into one the device accepts; it gives false for sizes it cannot
  // hold at all.
  virtual bool CheckTextureRequirements(int& width, int& height) const = 0;
  // Creates a texture of exactly [width] by [height] (an accepted size),
  // cleared to transparent black; kNoTexture on failure.
  virtual TextureHandle CreateTexture(int width, int height, bool render_target) = 0;
  virtual void ReleaseTexture(TextureHandle texture) = 0;
  // Copies [width] by [height] pixels, [pitch] pixels apart from row to
  // row, into the texture at (x, y).
  virtual bool UpdateTexture(TextureHandle texture, int x, int y, int width, int height,
                             const uint32_t* pixels, int pitch) = 0;
  virtual void SetTexture(TextureHandle texture) = 0;

  // Draws into a render-target texture, or kBackBuffer.
  virtual bool SetRenderTarget(TextureHandle target) = 0;
  virtual TextureHandle RenderTarget() const = 0;
  // Copies a rectangle between render targets (or the back buffer) without
  // scaling, blending or transforms. The rectangles must lie inside both.
  virtual bool CopyRect(TextureHandle source, const DeviceRect& rect, TextureHandle dest,
                        int dest_x, int dest_y) = 0;
  // Reads a rectangle of a render target (or the back buffer) as
  // 0xAARRGGBB rows from the top. The rectangle must lie inside it.
  virtual bool ReadPixels(TextureHandle source, const DeviceRect& rect,
                          std::vector<uint32_t>& pixels) = 0;

  // Draws [count] primitives of [type] from [vertices] with the current
  // states, texture, transforms and render target. Work may be batched:
  // everything is drawn before any later state change takes effect, and
  // before read-back, copies and presentation.
  virtual void DrawPrimitive(PrimitiveType type, int count, const DeviceVertex* vertices) = 0;
  // Sends what is batched.
  virtual void Flush() = 0;

  virtual DeviceStats Stats() const = 0;
};

}  // namespace vendrel::platform
