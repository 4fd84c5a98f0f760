#include "platform/gl_device.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vendrel::platform {

namespace {

// The back buffer and every render target are framebuffer objects whose
// row 0 is the top of the picture, so textures, render targets and
// read-back all run from the top as the drawing code expects. The vertex
// shader flips y to get there and moves every vertex by half a pixel so
// that whole screen coordinates fall on pixel centres.
//
// The shaders come in variants, one per combination of the states that
// change what a pixel computes (shading, texture, texture operation, alpha
// test, fog), chosen by the defines in front of them. Each variant holds
// only the work its states need and no branches or discard it does not
// use: software renderers run every pixel through the whole shader, so
// what it leaves out is saved on every pixel drawn.
const char* kVertexShader = R"(
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_color;
layout(location = 2) in vec2 a_uv;
#ifdef FOG
uniform mat4 u_world_view;
uniform mat4 u_projection;
#else
uniform mat4 u_transform;  // world, view and projection in one
#endif
uniform vec2 u_pixel;  // one half pixel of the viewport in clip units
SHADE out vec4 v_color;
#ifdef HAS_TEXTURE
out vec2 v_uv;
#endif
#ifdef FOG
uniform vec2 u_fog;    // end / (end - start), 1 / (end - start)
out float v_fog;
#endif
void main() {
#ifdef FOG
  vec4 eye = u_world_view * vec4(a_position, 1.0);
  v_fog = clamp(u_fog.x - eye.z * u_fog.y, 0.0, 1.0);
  vec4 p = u_projection * eye;
#else
  vec4 p = u_transform * vec4(a_position, 1.0);
#endif
  p.x += p.w * u_pixel.x;
  p.y = -(p.y - p.w * u_pixel.y);
  p.z = 2.0 * p.z - p.w;
  gl_Position = p;
  v_color = a_color;
#ifdef HAS_TEXTURE
  v_uv = a_uv;
#endif
}
)";

const char* kFragmentShader = R"(
SHADE in vec4 v_color;
#ifdef HAS_TEXTURE
in vec2 v_uv;
uniform sampler2D u_texture;
#endif
#ifdef FOG
in float v_fog;
uniform vec3 u_fog_color;
#endif
#ifdef ALPHA_TEST
uniform int u_alpha_func;
uniform float u_alpha_ref;
#endif
out vec4 o_color;
void main() {
#ifdef HAS_TEXTURE
  vec4 t = texture(u_texture, v_uv);
#else
  vec4 t = vec4(1.0);
#endif
#ifdef MODULATE
  vec4 c = t * v_color;
#else
  vec4 c = t;
#endif
#ifdef ALPHA_TEST
  float a = floor(c.a * 255.0 + 0.5);
  bool pass;
  switch (u_alpha_func) {
    case 1: pass = false; break;
    case 2: pass = a < u_alpha_ref; break;
    case 3: pass = a == u_alpha_ref; break;
    case 4: pass = a <= u_alpha_ref; break;
    case 5: pass = a > u_alpha_ref; break;
    case 6: pass = a != u_alpha_ref; break;
    case 7: pass = a >= u_alpha_ref; break;
    default: pass = true; break;
  }
  if (!pass) discard;
#endif
#ifdef FOG
  c.rgb = mix(u_fog_color, c.rgb, v_fog);
#endif
  o_color = c;
}
)";

// The states a shader variant is made for, as bits of its index.
constexpr unsigned kVariantFlat = 1, kVariantTexture = 2, kVariantModulate = 4,
                   kVariantAlphaTest = 8, kVariantFog = 16, kVariantCount = 32;

enum class BatchKind { None, Points, Lines, Triangles };

// The size of the vertex buffer that batches stream through.
constexpr size_t kStreamBufferBytes = size_t(4) << 20;

// How far untextured shapes are moved up and left, in pixels.
constexpr float kShapeNudge = 1.0f / 64.0f;

// Vertices gathered before a batch is sent even without a state change.
constexpr size_t kBatchLimit = 6 * 8192;

GLenum GlBlend(BlendFactor factor) {
  switch (factor) {
    case BlendFactor::Zero: return GL_ZERO;
    case BlendFactor::One: return GL_ONE;
    case BlendFactor::SrcColor: return GL_SRC_COLOR;
    case BlendFactor::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case BlendFactor::SrcAlpha: return GL_SRC_ALPHA;
    case BlendFactor::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::DestAlpha: return GL_DST_ALPHA;
    case BlendFactor::InvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case BlendFactor::DestColor: return GL_DST_COLOR;
    case BlendFactor::InvDestColor: return GL_ONE_MINUS_DST_COLOR;
    case BlendFactor::SrcAlphaSat: return GL_SRC_ALPHA_SATURATE;
  }
  return GL_ONE;
}

GLenum GlCompare(CompareFunc func) {
  switch (func) {
    case CompareFunc::Never: return GL_NEVER;
    case CompareFunc::Less: return GL_LESS;
    case CompareFunc::Equal: return GL_EQUAL;
    case CompareFunc::LessEqual: return GL_LEQUAL;
    case CompareFunc::Greater: return GL_GREATER;
    case CompareFunc::NotEqual: return GL_NOTEQUAL;
    case CompareFunc::GreaterEqual: return GL_GEQUAL;
    case CompareFunc::Always: return GL_ALWAYS;
  }
  return GL_ALWAYS;
}

DeviceMatrix Multiply(const DeviceMatrix& a, const DeviceMatrix& b) {
  DeviceMatrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      r.m[i][j] = sum;
    }
  }
  return r;
}

// One shader variant; uniforms it does not have are at location -1, which
// OpenGL ignores.
struct Program {
  GLuint id = 0;
  bool failed = false;  // building it failed; batches that need it are dropped
  GLint world_view = -1, projection = -1, transform = -1, pixel = -1, fog = -1, fog_color = -1,
        alpha_func = -1, alpha_ref = -1, texture = -1;
  uint64_t uniforms_version = 0;  // the version of the uniform values last sent
};

struct GlTexture {
  GLuint id = 0;
  GLuint framebuffer = 0;  // render targets only
  int width = 0, height = 0;
  bool in_use = false;
};

class GlDevice final : public GraphicsDevice {
 public:
  explicit GlDevice(Window& window) : window_(window) {}
  ~GlDevice() override;

  bool Initialise(int width, int height, std::string* error);

  int BackBufferWidth() const override { return back_width_; }
  int BackBufferHeight() const override { return back_height_; }
  bool Reset(int width, int height) override;
  void BeginScene() override {}
  void EndScene() override { Flush(); }
  bool Present(const DeviceRect& source, const DeviceRect& dest,
               const PresentOptions& options) override;
  void WaitForVerticalBlank() override;
  void Clear(bool target, bool zbuffer, uint32_t color, float z) override;
  void SetPresentedArea(const DeviceRect& area) override {
    presented_area_ = area;
    has_presented_area_ = true;
  }
  void SetViewport(const DeviceViewport& viewport) override;
  DeviceViewport Viewport() const override { return viewport_; }
  void SetTransform(TransformKind kind, const DeviceMatrix& matrix) override;
  void SetAlphaBlendEnable(bool enable) override;
  void SetBlendFactors(BlendFactor source, BlendFactor dest) override;
  void SetAlphaTest(bool enable, CompareFunc func, int reference) override;
  void SetDepthTest(bool enable, bool write, CompareFunc func) override;
  void SetCullMode(CullMode mode) override;
  void SetFlatShading(bool flat) override;
  bool SupportsFog() const override { return true; }
  void SetFog(bool enable, uint32_t color, float start, float end) override;
  void SetTextureFilter(TextureFilter filter) override;
  void SetTextureAddress(TextureAddress address) override;
  void SetTextureOp(TextureOp op) override;
  bool CheckTextureRequirements(int& width, int& height) const override;
  TextureHandle CreateTexture(int width, int height, bool render_target) override;
  void ReleaseTexture(TextureHandle texture) override;
  bool UpdateTexture(TextureHandle texture, int x, int y, int width, int height,
                     const uint32_t* pixels, int pitch) override;
  void SetTexture(TextureHandle texture) override;
  bool SetRenderTarget(TextureHandle target) override;
  TextureHandle RenderTarget() const override { return target_; }
  bool CopyRect(TextureHandle source, const DeviceRect& rect, TextureHandle dest, int dest_x,
                int dest_y) override;
  bool ReadPixels(TextureHandle source, const DeviceRect& rect,
                  std::vector<uint32_t>& pixels) override;
  void DrawPrimitive(PrimitiveType type, int count, const DeviceVertex* vertices) override;
  void Flush() override;
  DeviceStats Stats() const override { return stats_; }

 private:
  bool MakeBackBuffer(int width, int height);
  void FreeBackBuffer();
  bool BuildProgram(Program& program, unsigned variant, std::string* error);
  // The variant the current states need, built on first use; nullptr when
  // it cannot be built.
  Program* CurrentProgram();
  GlTexture* Find(TextureHandle handle);
  GLuint FramebufferOf(TextureHandle handle);
  bool InsideTarget(TextureHandle handle, const DeviceRect& rect);
  void BindTarget();
  void ApplyViewport();
  void ApplySampler();
  bool TexelAligned();
  // Copies [bytes] of [data] to the free part of [buffer] (bound to [kind])
  // and gives where they start.
  bool Stream(GLenum kind, GLuint buffer, size_t& capacity, size_t& offset, const void* data,
              size_t bytes, size_t& start);
  void InvalidateUniforms() { ++uniforms_version_; }

  Window& window_;
  SDL_GLContext context_ = nullptr;
  GLuint vao_ = 0, vbo_ = 0, sampler_ = 0;
  // Point sampling with the current addressing, for batches that linear
  // filtering would sample at texel centres only (see TexelAligned).
  GLuint point_sampler_ = 0;
  GLuint bound_sampler_ = 0;
  size_t vbo_capacity_ = 0;
  size_t vbo_offset_ = 0;  // where the next batch goes
  GLuint ibo_ = 0;  // the indices of the batches, streamed the same way
  size_t ibo_capacity_ = 0;
  size_t ibo_offset_ = 0;
  Program programs_[kVariantCount];
  GLint max_texture_size_ = 0;

  GLuint back_framebuffer_ = 0, back_color_ = 0, back_depth_ = 0;
  DeviceRect presented_area_;
  bool has_presented_area_ = false;
  int back_width_ = 0, back_height_ = 0;
  int swap_interval_ = -1;
  GLuint window_framebuffer_ = 0, window_color_ = 0;
  int window_width_ = 0, window_height_ = 0;

  std::vector<GlTexture> textures_;  // handle = index + 1

  // Current state.
  DeviceViewport viewport_;
  DeviceMatrix world_, view_, projection_, world_view_;
  DeviceMatrix transform_;  // world_view_ times projection_
  bool fog_enabled_ = false;
  uint32_t fog_color_ = 0;
  float fog_start_ = 0, fog_end_ = 1;
  bool alpha_blend_ = false;
  BlendFactor blend_source_ = BlendFactor::One, blend_dest_ = BlendFactor::Zero;
  bool alpha_test_ = false;
  CompareFunc alpha_func_ = CompareFunc::Always;
  int alpha_ref_ = 0;
  bool depth_test_ = false, depth_write_ = true;
  CompareFunc depth_func_ = CompareFunc::LessEqual;
  CullMode cull_ = CullMode::None;
  bool flat_shading_ = false;
  TextureFilter filter_ = TextureFilter::Point;
  TextureAddress address_ = TextureAddress::Wrap;
  TextureOp texture_op_ = TextureOp::Modulate;
  TextureHandle texture_ = kNoTexture;
  TextureHandle target_ = kBackBuffer;
  uint64_t uniforms_version_ = 1;
  GLuint current_program_ = 0;

  // The batch: its vertices, and the primitives as indices into them (a
  // quad sends its four corners once).
  std::vector<DeviceVertex> batch_;
  std::vector<uint32_t> indices_;
  BatchKind batch_kind_ = BatchKind::None;
  DeviceStats stats_;
};

GlDevice::~GlDevice() {
  if (context_ == nullptr) return;
  SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_.NativeHandle()), context_);
  for (GlTexture& texture : textures_) {
    if (texture.framebuffer) glDeleteFramebuffers(1, &texture.framebuffer);
    if (texture.id) glDeleteTextures(1, &texture.id);
  }
  FreeBackBuffer();
  if (window_framebuffer_) glDeleteFramebuffers(1, &window_framebuffer_);
  if (window_color_) glDeleteRenderbuffers(1, &window_color_);
  for (Program& program : programs_)
    if (program.id) glDeleteProgram(program.id);
  if (sampler_) glDeleteSamplers(1, &sampler_);
  if (point_sampler_) glDeleteSamplers(1, &point_sampler_);
  if (vbo_) glDeleteBuffers(1, &vbo_);
  if (ibo_) glDeleteBuffers(1, &ibo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_.NativeHandle()), nullptr);
  SDL_GL_DeleteContext(context_);
}

bool GlDevice::BuildProgram(Program& program, unsigned variant, std::string* error) {
  std::string header = std::string("#version 330 core\n#define SHADE ") +
                       ((variant & kVariantFlat) ? "flat" : "") + "\n";
  if (variant & kVariantTexture) header += "#define HAS_TEXTURE\n";
  if (variant & kVariantModulate) header += "#define MODULATE\n";
  if (variant & kVariantAlphaTest) header += "#define ALPHA_TEST\n";
  if (variant & kVariantFog) header += "#define FOG\n";
  auto compile = [&](GLenum kind, const char* body) -> GLuint {
    GLuint shader = glCreateShader(kind);
    const char* parts[2] = {header.c_str(), body};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
      char log[1024] = {};
      glGetShaderInfoLog(shader, sizeof log, nullptr, log);
      if (error) *error = std::string("shader compilation failed: ") + log;
      glDeleteShader(shader);
      return 0;
    }
    return shader;
  };
  GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader);
  if (!vertex) return false;
  GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragmentShader);
  if (!fragment) {
    glDeleteShader(vertex);
    return false;
  }
  program.id = glCreateProgram();
  glAttachShader(program.id, vertex);
  glAttachShader(program.id, fragment);
  glLinkProgram(program.id);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = 0;
  glGetProgramiv(program.id, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetProgramInfoLog(program.id, sizeof log, nullptr, log);
    if (error) *error = std::string("shader link failed: ") + log;
    return false;
  }
  program.world_view = glGetUniformLocation(program.id, "u_world_view");
  program.projection = glGetUniformLocation(program.id, "u_projection");
  program.transform = glGetUniformLocation(program.id, "u_transform");
  program.fog = glGetUniformLocation(program.id, "u_fog");
  program.fog_color = glGetUniformLocation(program.id, "u_fog_color");
  program.pixel = glGetUniformLocation(program.id, "u_pixel");
  program.alpha_func = glGetUniformLocation(program.id, "u_alpha_func");
  program.alpha_ref = glGetUniformLocation(program.id, "u_alpha_ref");
  program.texture = glGetUniformLocation(program.id, "u_texture");
  glUseProgram(program.id);
  glUniform1i(program.texture, 0);
  current_program_ = program.id;
  return true;
}

Program* GlDevice::CurrentProgram() {
  unsigned variant = 0;
  if (flat_shading_) variant |= kVariantFlat;
  if (texture_ != kNoTexture) variant |= kVariantTexture;
  if (texture_op_ == TextureOp::Modulate) variant |= kVariantModulate;
  if (alpha_test_) variant |= kVariantAlphaTest;
  if (fog_enabled_) variant |= kVariantFog;
  Program& program = programs_[variant];
  if (program.id == 0 && !program.failed) {
    if (!BuildProgram(program, variant, nullptr)) {
      if (program.id) glDeleteProgram(program.id);
      program = Program();
      program.failed = true;
    }
  }
  return program.failed ? nullptr : &program;
}

bool GlDevice::Initialise(int width, int height, std::string* error) {
  SDL_Window* sdl = static_cast<SDL_Window*>(window_.NativeHandle());
  context_ = SDL_GL_CreateContext(sdl);
  if (context_ == nullptr) {
    if (error) *error = std::string("no OpenGL context: ") + SDL_GetError();
    return false;
  }
  SDL_GL_MakeCurrent(sdl, context_);
  if (epoxy_gl_version() < 33) {
    if (error) *error = "OpenGL 3.3 is not available";
    return false;
  }
  // The variants of plain drawing are built now, so that a renderer that
  // cannot compile them fails here; the others are built on first use.
  for (unsigned variant : {kVariantTexture | kVariantModulate, kVariantModulate}) {
    if (!BuildProgram(programs_[variant], variant, error)) return false;
  }
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size_);

  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glGenBuffers(1, &ibo_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);  // part of the vertex array's state
  constexpr GLsizei stride = sizeof(DeviceVertex);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(DeviceVertex, x)));
  // The colour word 0xAARRGGBB lies in memory as blue, green, red, alpha.
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<void*>(offsetof(DeviceVertex, color)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(DeviceVertex, u)));

  glGenSamplers(1, &sampler_);
  glGenSamplers(1, &point_sampler_);
  glBindSampler(0, sampler_);
  bound_sampler_ = sampler_;
  glActiveTexture(GL_TEXTURE0);
  ApplySampler();

  // Flat shading takes the colour of each triangle's first vertex.
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glDisable(GL_DITHER);

  if (!MakeBackBuffer(width, height)) {
    if (error) *error = "the back buffer could not be created";
    return false;
  }
  // Initial states, as a freshly created device has them.
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  viewport_ = {0, 0, width, height, 0.0f, 1.0f};
  BindTarget();
  ApplyViewport();
  batch_.reserve(kBatchLimit);
  indices_.reserve(kBatchLimit * 3 / 2);
  return true;
}

bool GlDevice::MakeBackBuffer(int width, int height) {
  if (width < 1 || height < 1 || width > max_texture_size_ || height > max_texture_size_) {
    return false;
  }
  // Like a desktop back buffer the colour has no alpha channel of its own:
  // it reads as opaque and destination-alpha blending sees 1.
  glGenRenderbuffers(1, &back_color_);
  glBindRenderbuffer(GL_RENDERBUFFER, back_color_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
  glGenRenderbuffers(1, &back_depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, back_depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glGenFramebuffers(1, &back_framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, back_framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, back_color_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, back_depth_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    FreeBackBuffer();
    return false;
  }
  back_width_ = width;
  back_height_ = height;
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  return true;
}

void GlDevice::FreeBackBuffer() {
  if (back_framebuffer_) glDeleteFramebuffers(1, &back_framebuffer_);
  if (back_color_) glDeleteRenderbuffers(1, &back_color_);
  if (back_depth_) glDeleteRenderbuffers(1, &back_depth_);
  back_framebuffer_ = back_color_ = back_depth_ = 0;
  back_width_ = back_height_ = 0;
}

bool GlDevice::Reset(int width, int height) {
  Flush();
  GLuint old_framebuffer = back_framebuffer_, old_color = back_color_, old_depth = back_depth_;
  int old_width = back_width_, old_height = back_height_;
  back_framebuffer_ = back_color_ = back_depth_ = 0;
  if (!MakeBackBuffer(width, height)) {
    back_framebuffer_ = old_framebuffer;
    back_color_ = old_color;
    back_depth_ = old_depth;
    back_width_ = old_width;
    back_height_ = old_height;
    BindTarget();
    return false;
  }
  glDeleteFramebuffers(1, &old_framebuffer);
  glDeleteRenderbuffers(1, &old_color);
  glDeleteRenderbuffers(1, &old_depth);
  BindTarget();
  ApplyViewport();
  return true;
}

GlTexture* GlDevice::Find(TextureHandle handle) {
  if (handle == 0 || handle > textures_.size()) return nullptr;
  GlTexture& texture = textures_[handle - 1];
  return texture.in_use ? &texture : nullptr;
}

GLuint GlDevice::FramebufferOf(TextureHandle handle) {
  if (handle == kBackBuffer) return back_framebuffer_;
  GlTexture* texture = Find(handle);
  return texture ? texture->framebuffer : 0;
}

bool GlDevice::InsideTarget(TextureHandle handle, const DeviceRect& rect) {
  int width = back_width_, height = back_height_;
  if (handle != kBackBuffer) {
    GlTexture* texture = Find(handle);
    if (texture == nullptr || texture->framebuffer == 0) return false;
    width = texture->width;
    height = texture->height;
  }
  return rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0 &&
         rect.x + rect.width <= width && rect.y + rect.height <= height;
}

void GlDevice::BindTarget() { glBindFramebuffer(GL_FRAMEBUFFER, FramebufferOf(target_)); }

void GlDevice::ApplyViewport() {
  glViewport(viewport_.x, viewport_.y, std::max(viewport_.width, 0),
             std::max(viewport_.height, 0));
  glDepthRange(viewport_.min_z, viewport_.max_z);
  InvalidateUniforms();
}

void GlDevice::ApplySampler() {
  GLint filter = filter_ == TextureFilter::Linear ? GL_LINEAR : GL_NEAREST;
  glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, filter);
  glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, filter);
  GLint wrap = address_ == TextureAddress::Wrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, wrap);
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, wrap);
  glSamplerParameteri(point_sampler_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glSamplerParameteri(point_sampler_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glSamplerParameteri(point_sampler_, GL_TEXTURE_WRAP_S, wrap);
  glSamplerParameteri(point_sampler_, GL_TEXTURE_WRAP_T, wrap);
}

// Whether every triangle of the batch lays its texture onto the pixels one
// texel to a pixel, each pixel centre on a texel centre (mirrored or not,
// not turned): linear filtering then reads every texel alone, exactly as
// point sampling does, which software renderers do several times faster.
// Sprites, tiles and backgrounds drawn unscaled at whole coordinates
// through a view that shows the room at its own size are drawn so.
bool GlDevice::TexelAligned() {
  const GlTexture* texture = Find(texture_);
  if (texture == nullptr || batch_kind_ != BatchKind::Triangles || viewport_.width <= 0 ||
      viewport_.height <= 0) {
    return false;
  }
  // Only projections that keep w at 1 map positions to pixels linearly.
  const DeviceMatrix& m = transform_;
  if (m.m[0][3] != 0 || m.m[1][3] != 0 || m.m[2][3] != 0 || m.m[3][3] != 1) return false;
  // Window position of a vertex, as the vertex shader and viewport make
  // it (textured drawing moves by exactly half a pixel).
  double half_w = viewport_.width / 2.0, half_h = viewport_.height / 2.0;
  double ax[4], ay[4];
  for (int k = 0; k < 3; ++k) {
    ax[k] = m.m[k][0] * half_w;
    ay[k] = -m.m[k][1] * half_h;
  }
  ax[3] = (m.m[3][0] + 1.0 + 1.0 / viewport_.width) * half_w + viewport_.x;
  ay[3] = (1.0 - m.m[3][1] + 1.0 / viewport_.height) * half_h + viewport_.y;
  const double width = texture->width, height = texture->height;
  constexpr double kTolerance = 1.0 / 1024;
  auto whole = [](double value) { return std::abs(value - std::nearbyint(value)) < kTolerance; };
  // Along one axis the three texel coordinates [t] must be the window
  // coordinates [w] plus, or minus, one whole number.
  auto aligned = [&](const double (&t)[3], const double (&w)[3]) {
    double sum = t[0] - w[0], difference = t[0] + w[0];
    bool same = whole(sum), mirrored = whole(difference);
    for (int k = 1; k < 3; ++k) {
      same = same && std::abs(t[k] - w[k] - sum) < kTolerance;
      mirrored = mirrored && std::abs(t[k] + w[k] - difference) < kTolerance;
    }
    return same || mirrored;
  };
  for (size_t i = 0; i + 2 < indices_.size(); i += 3) {
    double tx[3], ty[3], wx[3], wy[3];
    for (int k = 0; k < 3; ++k) {
      const DeviceVertex& v = batch_[indices_[i + size_t(k)]];
      wx[k] = ax[0] * v.x + ax[1] * v.y + ax[2] * v.z + ax[3];
      wy[k] = ay[0] * v.x + ay[1] * v.y + ay[2] * v.z + ay[3];
      tx[k] = double(v.u) * width;
      ty[k] = double(v.v) * height;
    }
    if (!aligned(tx, wx) || !aligned(ty, wy)) return false;
  }
  return true;
}

bool GlDevice::Present(const DeviceRect& source, const DeviceRect& dest,
                       const PresentOptions& options) {
  Flush();
  SDL_Window* sdl = static_cast<SDL_Window*>(window_.NativeHandle());
  int client_width = 0, client_height = 0;
  SDL_GL_GetDrawableSize(sdl, &client_width, &client_height);
  client_width = std::max(client_width, 1);
  client_height = std::max(client_height, 1);
  glDisable(GL_SCISSOR_TEST);

  // The window's picture is kept in a framebuffer of its own, so that a
  // presentation of part of the back buffer leaves the rest of the window
  // as it was, whatever the window system does with its buffers.
  bool fill = options.fill_border;
  if (client_width != window_width_ || client_height != window_height_) {
    if (window_framebuffer_) glDeleteFramebuffers(1, &window_framebuffer_);
    if (window_color_) glDeleteRenderbuffers(1, &window_color_);
    glGenRenderbuffers(1, &window_color_);
    glBindRenderbuffer(GL_RENDERBUFFER, window_color_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, client_width, client_height);
    glGenFramebuffers(1, &window_framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, window_framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              window_color_);
    window_width_ = client_width;
    window_height_ = client_height;
    fill = true;
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, window_framebuffer_);
  if (fill) {
    uint32_t border = options.border;
    glClearColor(float((border >> 16) & 0xFF) / 255.0f, float((border >> 8) & 0xFF) / 255.0f,
                 float(border & 0xFF) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  DeviceRect src = source;
  src.x = std::clamp(src.x, 0, back_width_);
  src.y = std::clamp(src.y, 0, back_height_);
  src.width = std::clamp(src.width, 0, back_width_ - src.x);
  src.height = std::clamp(src.height, 0, back_height_ - src.y);
  if (src.width > 0 && src.height > 0 && dest.width > 0 && dest.height > 0) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, back_framebuffer_);
    // Scaling by whole factors keeps pixels sharp; other factors smooth.
    bool whole = dest.width % src.width == 0 && dest.height % src.height == 0;
    glBlitFramebuffer(src.x, src.y, src.x + src.width, src.y + src.height, dest.x, dest.y,
                      dest.x + dest.width, dest.y + dest.height, GL_COLOR_BUFFER_BIT,
                      whole ? GL_NEAREST : GL_LINEAR);
  }
  // The window's rows run from the bottom.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, window_framebuffer_);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBlitFramebuffer(0, 0, client_width, client_height, 0, client_height, client_width, 0,
                    GL_COLOR_BUFFER_BIT, GL_NEAREST);
  int interval = options.wait_for_vertical_blank ? 1 : 0;
  if (interval != swap_interval_) {
    SDL_GL_SetSwapInterval(interval);
    swap_interval_ = interval;
  }
  SDL_GL_SwapWindow(sdl);
  BindTarget();
  return glGetError() == GL_NO_ERROR;
}

void GlDevice::WaitForVerticalBlank() {
  // A window in memory has no display to wait for.
  if (window_.Offscreen()) return;
  // OpenGL offers no direct wait; sleep to the next refresh boundary of the
  // display's clock instead.
  int rate = DesktopDisplayMode().refresh_rate;
  if (rate <= 0) rate = 60;
  uint64_t frequency = SDL_GetPerformanceFrequency();
  uint64_t period = frequency / uint64_t(rate);
  if (period == 0) return;
  uint64_t now = SDL_GetPerformanceCounter();
  uint64_t next = (now / period + 1) * period;
  uint32_t ms = uint32_t((next - now) * 1000 / frequency);
  if (ms > 0) SDL_Delay(ms);
  while (SDL_GetPerformanceCounter() < next) {
  }
}

void GlDevice::Clear(bool target, bool zbuffer, uint32_t color, float z) {
  if (!target && !zbuffer) return;
  Flush();
  // What must stay untouched lies outside the viewport only within the
  // target (for the back buffer: within the part anyone sees). A viewport
  // that covers all of that is cleared without a scissor, which renderers
  // do without drawing.
  DeviceRect kept{0, 0, back_width_, back_height_};
  if (target_ != kBackBuffer) {
    const GlTexture* texture = Find(target_);
    kept = texture ? DeviceRect{0, 0, texture->width, texture->height} : DeviceRect{};
  } else if (has_presented_area_) {
    int left = std::max(presented_area_.x, 0), top = std::max(presented_area_.y, 0);
    int right = std::min(presented_area_.x + presented_area_.width, back_width_);
    int bottom = std::min(presented_area_.y + presented_area_.height, back_height_);
    kept = {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
  }
  bool covers = viewport_.x <= kept.x && viewport_.y <= kept.y &&
                viewport_.x + viewport_.width >= kept.x + kept.width &&
                viewport_.y + viewport_.height >= kept.y + kept.height;
  if (!covers) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(viewport_.x, viewport_.y, std::max(viewport_.width, 0),
              std::max(viewport_.height, 0));
  }
  GLbitfield mask = 0;
  if (target) {
    glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                 float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (zbuffer) {
    glDepthMask(GL_TRUE);
    glClearDepth(z);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  glClear(mask);
  glDepthMask(depth_write_ ? GL_TRUE : GL_FALSE);
  glDisable(GL_SCISSOR_TEST);
}

void GlDevice::SetViewport(const DeviceViewport& viewport) {
  if (std::memcmp(&viewport, &viewport_, sizeof viewport) == 0) return;
  Flush();
  viewport_ = viewport;
  ApplyViewport();
}

void GlDevice::SetTransform(TransformKind kind, const DeviceMatrix& matrix) {
  DeviceMatrix& slot = kind == TransformKind::World  ? world_
                       : kind == TransformKind::View ? view_
                                                     : projection_;
  if (std::memcmp(&slot, &matrix, sizeof matrix) == 0) return;
  Flush();
  slot = matrix;
  world_view_ = Multiply(world_, view_);
  transform_ = Multiply(world_view_, projection_);
  InvalidateUniforms();
}

void GlDevice::SetAlphaBlendEnable(bool enable) {
  if (enable == alpha_blend_) return;
  Flush();
  alpha_blend_ = enable;
  if (enable) {
    glEnable(GL_BLEND);
  } else {
    glDisable(GL_BLEND);
  }
}

void GlDevice::SetBlendFactors(BlendFactor source, BlendFactor dest) {
  if (source == blend_source_ && dest == blend_dest_) return;
  Flush();
  blend_source_ = source;
  blend_dest_ = dest;
  // One pair of factors for colour and alpha alike.
  glBlendFunc(GlBlend(source), GlBlend(dest));
}

void GlDevice::SetAlphaTest(bool enable, CompareFunc func, int reference) {
  reference = std::clamp(reference, 0, 255);
  if (enable == alpha_test_ && func == alpha_func_ && reference == alpha_ref_) return;
  Flush();
  alpha_test_ = enable;
  alpha_func_ = func;
  alpha_ref_ = reference;
  InvalidateUniforms();
}

void GlDevice::SetDepthTest(bool enable, bool write, CompareFunc func) {
  if (enable == depth_test_ && write == depth_write_ && func == depth_func_) return;
  Flush();
  depth_test_ = enable;
  depth_write_ = write;
  depth_func_ = func;
  if (enable) {
    glEnable(GL_DEPTH_TEST);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  glDepthMask(write ? GL_TRUE : GL_FALSE);
  glDepthFunc(GlCompare(func));
}

void GlDevice::SetCullMode(CullMode mode) {
  if (mode == cull_) return;
  Flush();
  cull_ = mode;
  // Render targets run from the top, so a triangle that looks clockwise on
  // the screen is counter-clockwise in the window coordinates OpenGL uses.
  if (mode == CullMode::None) {
    glDisable(GL_CULL_FACE);
  } else {
    glEnable(GL_CULL_FACE);
    glCullFace(mode == CullMode::CounterClockwise ? GL_BACK : GL_FRONT);
  }
}

void GlDevice::SetFlatShading(bool flat) {
  if (flat == flat_shading_) return;
  Flush();
  flat_shading_ = flat;
}

void GlDevice::SetFog(bool enable, uint32_t color, float start, float end) {
  if (enable == fog_enabled_ && color == fog_color_ && start == fog_start_ && end == fog_end_) {
    return;
  }
  Flush();
  fog_enabled_ = enable;
  fog_color_ = color;
  fog_start_ = start;
  fog_end_ = end;
  InvalidateUniforms();
}

void GlDevice::SetTextureFilter(TextureFilter filter) {
  if (filter == filter_) return;
  Flush();
  filter_ = filter;
  ApplySampler();
}

void GlDevice::SetTextureAddress(TextureAddress address) {
  if (address == address_) return;
  Flush();
  address_ = address;
  ApplySampler();
}

void GlDevice::SetTextureOp(TextureOp op) {
  if (op == texture_op_) return;
  Flush();
  texture_op_ = op;
  InvalidateUniforms();
}

bool GlDevice::CheckTextureRequirements(int& width, int& height) const {
  // Sizes are raised to powers of two, as older cards demanded; the padding
  // that results is part of the drawing's texture coordinates.
  auto fit = [this](int& size) {
    int wanted = std::max(size, 1);
    int power = 1;
    while (power < wanted && power < max_texture_size_) power *= 2;
    size = power;
    return wanted <= max_texture_size_;
  };
  bool w = fit(width);
  bool h = fit(height);
  return w && h;
}

TextureHandle GlDevice::CreateTexture(int width, int height, bool render_target) {
  if (width < 1 || height < 1 || width > max_texture_size_ || height > max_texture_size_) {
    return kNoTexture;
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  GlTexture texture;
  texture.width = width;
  texture.height = height;
  texture.in_use = true;
  glGenTextures(1, &texture.id);
  glBindTexture(GL_TEXTURE_2D, texture.id);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  if (render_target) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    glGenFramebuffers(1, &texture.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, texture.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.id, 0);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
      glDisable(GL_SCISSOR_TEST);
      glClearColor(0, 0, 0, 0);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    BindTarget();
    if (!complete) {
      glDeleteFramebuffers(1, &texture.framebuffer);
      glDeleteTextures(1, &texture.id);
      return kNoTexture;
    }
  } else {
    std::vector<uint32_t> zeros(size_t(width) * size_t(height), 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, zeros.data());
  }
  GlTexture* current = Find(texture_);
  glBindTexture(GL_TEXTURE_2D, current ? current->id : 0);
  if (glGetError() != GL_NO_ERROR) {
    if (texture.framebuffer) glDeleteFramebuffers(1, &texture.framebuffer);
    glDeleteTextures(1, &texture.id);
    return kNoTexture;
  }
  for (size_t i = 0; i < textures_.size(); ++i) {
    if (!textures_[i].in_use) {
      textures_[i] = texture;
      return TextureHandle(i + 1);
    }
  }
  textures_.push_back(texture);
  return TextureHandle(textures_.size());
}

void GlDevice::ReleaseTexture(TextureHandle handle) {
  GlTexture* texture = Find(handle);
  if (texture == nullptr) return;
  Flush();
  if (handle == texture_) {
    texture_ = kNoTexture;
    glBindTexture(GL_TEXTURE_2D, 0);
    InvalidateUniforms();
  }
  if (handle == target_) {
    target_ = kBackBuffer;
    BindTarget();
  }
  if (texture->framebuffer) glDeleteFramebuffers(1, &texture->framebuffer);
  glDeleteTextures(1, &texture->id);
  *texture = GlTexture();
}

bool GlDevice::UpdateTexture(TextureHandle handle, int x, int y, int width, int height,
                             const uint32_t* pixels, int pitch) {
  GlTexture* texture = Find(handle);
  if (texture == nullptr || pixels == nullptr || x < 0 || y < 0 || width <= 0 || height <= 0 ||
      x + width > texture->width || y + height > texture->height || pitch < width) {
    return false;
  }
  // Work drawn before the update must still see the old pixels.
  Flush();
  glBindTexture(GL_TEXTURE_2D, texture->id);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  GlTexture* current = Find(texture_);
  glBindTexture(GL_TEXTURE_2D, current ? current->id : 0);
  return glGetError() == GL_NO_ERROR;
}

void GlDevice::SetTexture(TextureHandle handle) {
  if (Find(handle) == nullptr) handle = kNoTexture;
  if (handle == texture_) return;
  Flush();
  // Only going from textured to untextured drawing or back changes what
  // the shaders are told.
  if ((texture_ == kNoTexture) != (handle == kNoTexture)) InvalidateUniforms();
  texture_ = handle;
  GlTexture* texture = Find(handle);
  glBindTexture(GL_TEXTURE_2D, texture ? texture->id : 0);
}

bool GlDevice::SetRenderTarget(TextureHandle target) {
  if (target != kBackBuffer) {
    GlTexture* texture = Find(target);
    if (texture == nullptr || texture->framebuffer == 0) return false;
  }
  if (target == target_) return true;
  Flush();
  target_ = target;
  BindTarget();
  return true;
}

bool GlDevice::CopyRect(TextureHandle source, const DeviceRect& rect, TextureHandle dest,
                        int dest_x, int dest_y) {
  DeviceRect to{dest_x, dest_y, rect.width, rect.height};
  if (!InsideTarget(source, rect) || !InsideTarget(dest, to)) return false;
  Flush();
  if (source == dest) {
    // Overlapping copies within one target go through memory.
    std::vector<uint32_t> pixels;
    if (!ReadPixels(source, rect, pixels)) return false;
    if (dest == kBackBuffer) {
      return false;
    }
    return UpdateTexture(dest, dest_x, dest_y, rect.width, rect.height, pixels.data(),
                         rect.width);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, FramebufferOf(source));
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, FramebufferOf(dest));
  glDisable(GL_SCISSOR_TEST);
  glBlitFramebuffer(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height, dest_x, dest_y,
                    dest_x + rect.width, dest_y + rect.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  BindTarget();
  return true;
}

bool GlDevice::ReadPixels(TextureHandle source, const DeviceRect& rect,
                          std::vector<uint32_t>& pixels) {
  if (!InsideTarget(source, rect)) return false;
  Flush();
  pixels.assign(size_t(rect.width) * size_t(rect.height), 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, FramebufferOf(source));
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               pixels.data());
  BindTarget();
  return glGetError() == GL_NO_ERROR;
}

void GlDevice::DrawPrimitive(PrimitiveType type, int count, const DeviceVertex* vertices) {
  if (count <= 0 || vertices == nullptr) return;
  ++stats_.primitive_calls;
  BatchKind kind;
  size_t needed;  // vertices used
  switch (type) {
    case PrimitiveType::PointList: kind = BatchKind::Points; needed = size_t(count); break;
    case PrimitiveType::LineList: kind = BatchKind::Lines; needed = 2 * size_t(count); break;
    case PrimitiveType::LineStrip: kind = BatchKind::Lines; needed = size_t(count) + 1; break;
    case PrimitiveType::TriangleList:
      kind = BatchKind::Triangles;
      needed = 3 * size_t(count);
      break;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan:
      kind = BatchKind::Triangles;
      needed = size_t(count) + 2;
      break;
    default: return;
  }
  if (!batch_.empty() && (kind != batch_kind_ || batch_.size() + needed > kBatchLimit)) Flush();
  batch_kind_ = kind;
  // Strips and fans become lists of indices so that consecutive calls can
  // share one draw. Each triangle keeps its winding and starts with the
  // vertex whose colour flat shading uses.
  const uint32_t base = uint32_t(batch_.size());
  batch_.insert(batch_.end(), vertices, vertices + needed);
  switch (type) {
    case PrimitiveType::PointList:
    case PrimitiveType::LineList:
    case PrimitiveType::TriangleList:
      for (uint32_t i = 0; i < uint32_t(needed); ++i) indices_.push_back(base + i);
      break;
    case PrimitiveType::LineStrip:
      for (uint32_t i = 0; i < uint32_t(count); ++i) {
        indices_.push_back(base + i);
        indices_.push_back(base + i + 1);
      }
      break;
    case PrimitiveType::TriangleStrip:
      for (uint32_t i = 0; i < uint32_t(count); ++i) {
        indices_.push_back(base + i);
        indices_.push_back(base + i + 1 + i % 2);
        indices_.push_back(base + i + 2 - i % 2);
      }
      break;
    case PrimitiveType::TriangleFan:
      for (uint32_t i = 0; i < uint32_t(count); ++i) {
        indices_.push_back(base + i + 1);
        indices_.push_back(base + i + 2);
        indices_.push_back(base);
      }
      break;
  }
}

void GlDevice::Flush() {
  if (batch_.empty()) return;
  Program* chosen = CurrentProgram();
  if (chosen == nullptr) {
    batch_.clear();
    indices_.clear();
    return;
  }
  Program& program = *chosen;
  if (program.id != current_program_) {
    glUseProgram(program.id);
    current_program_ = program.id;
  }
  if (program.uniforms_version != uniforms_version_) {
    program.uniforms_version = uniforms_version_;
    // Row vectors times row-major matrices equal column-major matrices
    // times column vectors: the matrix goes up untransposed.
    glUniformMatrix4fv(program.world_view, 1, GL_FALSE, &world_view_.m[0][0]);
    glUniformMatrix4fv(program.projection, 1, GL_FALSE, &projection_.m[0][0]);
    glUniformMatrix4fv(program.transform, 1, GL_FALSE, &transform_.m[0][0]);
    bool fog = fog_enabled_ && fog_end_ != fog_start_;
    float range = fog ? fog_end_ - fog_start_ : 1.0f;
    glUniform2f(program.fog, fog ? fog_end_ / range : 1.0f, fog ? 1.0f / range : 0.0f);
    glUniform3f(program.fog_color, float((fog_color_ >> 16) & 0xFF) / 255.0f,
                float((fog_color_ >> 8) & 0xFF) / 255.0f, float(fog_color_ & 0xFF) / 255.0f);
    // Untextured shapes are also moved up and left by a sliver of a pixel:
    // vertices on pixel centres then lie inside them rather than on the
    // boundaries of OpenGL's line-diamond and edge tests. Lines then leave
    // out their last pixel whatever their direction, and triangle edges on
    // centres count on the top and left sides only.
    float nudge = texture_ == kNoTexture ? kShapeNudge : 0.0f;
    float half_x = viewport_.width > 0 ? (1.0f - 2 * nudge) / float(viewport_.width) : 0.0f;
    float half_y = viewport_.height > 0 ? (1.0f - 2 * nudge) / float(viewport_.height) : 0.0f;
    glUniform2f(program.pixel, half_x, half_y);
    glUniform1i(program.alpha_func, alpha_test_ ? int(alpha_func_) : 0);
    glUniform1f(program.alpha_ref, float(alpha_ref_));
  }
  // The vertex and index buffers are filled front to back, one batch after
  // another, without waiting for the draws already queued; only when one
  // is full is its storage replaced by a fresh one.
  size_t first_vertex = 0, first_index = 0;
  if (!Stream(GL_ARRAY_BUFFER, vbo_, vbo_capacity_, vbo_offset_, batch_.data(),
              batch_.size() * sizeof(DeviceVertex), first_vertex) ||
      !Stream(GL_ELEMENT_ARRAY_BUFFER, ibo_, ibo_capacity_, ibo_offset_, indices_.data(),
              indices_.size() * sizeof(uint32_t), first_index)) {
    batch_.clear();
    indices_.clear();
    return;
  }
  GLuint sampler = filter_ == TextureFilter::Linear && TexelAligned() ? point_sampler_ : sampler_;
  if (sampler != bound_sampler_) {
    glBindSampler(0, sampler);
    bound_sampler_ = sampler;
  }
  GLenum mode = batch_kind_ == BatchKind::Points  ? GL_POINTS
                : batch_kind_ == BatchKind::Lines ? GL_LINES
                                                  : GL_TRIANGLES;
  glDrawElementsBaseVertex(mode, GLsizei(indices_.size()), GL_UNSIGNED_INT,
                           reinterpret_cast<void*>(first_index),
                           GLint(first_vertex / sizeof(DeviceVertex)));
  ++stats_.batches;
  stats_.vertices += batch_.size();
  batch_.clear();
  indices_.clear();
}

bool GlDevice::Stream(GLenum kind, GLuint buffer, size_t& capacity, size_t& offset,
                      const void* data, size_t bytes, size_t& start) {
  glBindBuffer(kind, buffer);
  if (offset + bytes > capacity) {
    capacity = std::max({bytes, capacity, kStreamBufferBytes});
    glBufferData(kind, GLsizeiptr(capacity), nullptr, GL_STREAM_DRAW);
    offset = 0;
  }
  void* target = glMapBufferRange(
      kind, GLintptr(offset), GLsizeiptr(bytes),
      GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
  if (target == nullptr) return false;
  std::memcpy(target, data, bytes);
  glUnmapBuffer(kind);
  start = offset;
  offset += bytes;
  return true;
}

}  // namespace

std::unique_ptr<GraphicsDevice> CreateGlDevice(Window& window, int back_buffer_width,
                                               int back_buffer_height, std::string* error) {
  auto device = std::make_unique<GlDevice>(window);
  if (!device->Initialise(back_buffer_width, back_buffer_height, error)) return nullptr;
  return device;
}

}  // namespace vendrel::platform
