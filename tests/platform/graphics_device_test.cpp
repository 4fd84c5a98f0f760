// The OpenGL drawing device, rendered headless and read back pixel by pixel.
#include "platform/graphics_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "platform/recording_graphics_device.h"
#include "tests/graphics/headless_gl.h"

namespace vendrel::platform {
namespace {

constexpr int kSize = 32;

// Maps screen pixels to clip space: x right, y down, z kept.
DeviceMatrix ScreenProjection(int width, int height) {
  DeviceMatrix m;
  m.m[0][0] = 2.0f / float(width);
  m.m[1][1] = -2.0f / float(height);
  m.m[3][0] = -1.0f;
  m.m[3][1] = 1.0f;
  return m;
}

DeviceVertex V(float x, float y, uint32_t color, float u = 0, float v = 0) {
  DeviceVertex vertex;
  vertex.x = x;
  vertex.y = y;
  vertex.color = color;
  vertex.u = u;
  vertex.v = v;
  return vertex;
}

class GlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VENDREL_OPEN_GL_OR_SKIP(gl_, kSize, kSize, kSize, kSize);
    device_ = gl_.device.get();
    device_->SetViewport({0, 0, kSize, kSize, 0.0f, 1.0f});
    device_->SetTransform(TransformKind::Projection, ScreenProjection(kSize, kSize));
    device_->SetAlphaBlendEnable(true);
    device_->SetBlendFactors(BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha);
    device_->Clear(true, true, 0xFF000000, 1.0f);
  }

  std::vector<uint32_t> Screen(TextureHandle source = kBackBuffer, int width = kSize,
                               int height = kSize) {
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(device_->ReadPixels(source, {0, 0, width, height}, pixels));
    return pixels;
  }

  uint32_t Pixel(int x, int y) {
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(device_->ReadPixels(kBackBuffer, {x, y, 1, 1}, pixels));
    return pixels.empty() ? 0 : pixels[0];
  }

  // Every pixel of the back buffer that is not black, as "x,y" text.
  std::set<std::pair<int, int>> Lit() {
    std::set<std::pair<int, int>> lit;
    std::vector<uint32_t> pixels = Screen();
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        if ((pixels[size_t(y * kSize + x)] & 0xFFFFFF) != 0) lit.insert({x, y});
      }
    }
    return lit;
  }

  void FillRect(float x1, float y1, float x2, float y2, uint32_t color) {
    DeviceVertex quad[4] = {V(x1, y1, color), V(x2, y1, color), V(x2, y2, color),
                            V(x1, y2, color)};
    device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  }

  testing::HeadlessGl gl_;
  GraphicsDevice* device_ = nullptr;
};

TEST_F(GlDeviceTest, ClearFillsTheViewportOnlyAndTheBackBufferIsOpaque) {
  device_->Clear(true, false, 0x00336699, 0.0f);  // alpha 0: the back buffer has none
  device_->SetViewport({4, 8, 10, 6, 0.0f, 1.0f});
  device_->Clear(true, false, 0xFFFF0000, 0.0f);
  EXPECT_EQ(Pixel(0, 0), 0xFF336699u);
  EXPECT_EQ(Pixel(4, 8), 0xFFFF0000u);
  EXPECT_EQ(Pixel(13, 13), 0xFFFF0000u);
  EXPECT_EQ(Pixel(14, 13), 0xFF336699u);
  EXPECT_EQ(Pixel(13, 14), 0xFF336699u);
  EXPECT_EQ(Pixel(3, 8), 0xFF336699u);
}

TEST_F(GlDeviceTest, ClearsKeepWhatLiesOutsideTheViewportInThePresentedArea) {
  // Only the top-left 20 by 20 is presented: a viewport covering it may be
  // cleared whole, any smaller one only inside itself.
  device_->SetPresentedArea({0, 0, 20, 20});
  device_->SetViewport({0, 0, 20, 20, 0.0f, 1.0f});
  device_->Clear(true, false, 0xFF0000FF, 0.0f);
  EXPECT_EQ(Pixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(Pixel(19, 19), 0xFF0000FFu);
  device_->SetViewport({0, 0, 10, 20, 0.0f, 1.0f});
  device_->Clear(true, false, 0xFF00FF00, 0.0f);
  EXPECT_EQ(Pixel(9, 19), 0xFF00FF00u);
  EXPECT_EQ(Pixel(10, 0), 0xFF0000FFu);
  device_->SetViewport({2, 3, 4, 5, 0.0f, 1.0f});
  device_->Clear(true, false, 0xFFFF0000, 0.0f);
  EXPECT_EQ(Pixel(2, 3), 0xFFFF0000u);
  EXPECT_EQ(Pixel(1, 3), 0xFF00FF00u);
  EXPECT_EQ(Pixel(6, 3), 0xFF00FF00u);
  EXPECT_EQ(Pixel(2, 8), 0xFF00FF00u);
  // Render targets keep everything outside the viewport.
  TextureHandle target = device_->CreateTexture(8, 8, true);
  ASSERT_TRUE(device_->SetRenderTarget(target));
  device_->SetViewport({0, 0, 8, 8, 0.0f, 1.0f});
  device_->Clear(true, false, 0xFF112233, 0.0f);
  device_->SetViewport({0, 0, 4, 8, 0.0f, 1.0f});
  device_->Clear(true, false, 0xFF445566, 0.0f);
  std::vector<uint32_t> pixels = Screen(target, 8, 8);
  EXPECT_EQ(pixels[0], 0xFF445566u);
  EXPECT_EQ(pixels[4], 0xFF112233u);
  ASSERT_TRUE(device_->SetRenderTarget(kBackBuffer));
}

TEST_F(GlDeviceTest, FilledRectangleCoversPixelCentresInsideItsEdges) {
  // Whole-number corners lie on pixel centres: the rectangle (4, 6)-(10, 9)
  // covers columns 4..9 and rows 6..8 (top-left edges in, bottom-right out).
  FillRect(4, 6, 10, 9, 0xFFFFFFFF);
  std::set<std::pair<int, int>> expected;
  for (int y = 6; y <= 8; ++y) {
    for (int x = 4; x <= 9; ++x) expected.insert({x, y});
  }
  EXPECT_EQ(Lit(), expected);
}

TEST_F(GlDeviceTest, OutlineRectangleDrawsEveryCornerOnce) {
  // A closed line strip (4, 4) (12, 4) (12, 10) (4, 10) (4, 4): each line
  // leaves out its last pixel, so the four corners are drawn exactly once.
  DeviceVertex strip[5] = {V(4, 4, 0xFFFFFFFF), V(12, 4, 0xFFFFFFFF), V(12, 10, 0xFFFFFFFF),
                           V(4, 10, 0xFFFFFFFF), V(4, 4, 0xFFFFFFFF)};
  // Half-transparent white shows a pixel drawn twice as brighter.
  for (DeviceVertex& v : strip) v.color = 0x80FFFFFF;
  device_->DrawPrimitive(PrimitiveType::LineStrip, 4, strip);
  std::set<std::pair<int, int>> expected;
  for (int x = 4; x <= 12; ++x) {
    expected.insert({x, 4});
    expected.insert({x, 10});
  }
  for (int y = 4; y <= 10; ++y) {
    expected.insert({4, y});
    expected.insert({12, y});
  }
  EXPECT_EQ(Lit(), expected);
  uint32_t once = Pixel(8, 4);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{4, 4}, {12, 4}, {12, 10}, {4, 10}}) {
    EXPECT_EQ(Pixel(x, y), once) << "corner " << x << "," << y;
  }
}

TEST_F(GlDeviceTest, LinesLeaveOutTheirLastPixel) {
  struct Case {
    float x1, y1, x2, y2;
    std::vector<std::pair<int, int>> pixels;
  };
  const Case cases[] = {
      {2, 5, 7, 5, {{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}}},   // rightwards
      {7, 5, 2, 5, {{7, 5}, {6, 5}, {5, 5}, {4, 5}, {3, 5}}},   // leftwards
      {3, 1, 3, 4, {{3, 1}, {3, 2}, {3, 3}}},                   // downwards
      {3, 4, 3, 1, {{3, 4}, {3, 3}, {3, 2}}},                   // upwards
      {1, 1, 5, 5, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},           // diagonal
      {5, 5, 1, 1, {{5, 5}, {4, 4}, {3, 3}, {2, 2}}},           // diagonal back
      {1, 5, 5, 1, {{1, 5}, {2, 4}, {3, 3}, {4, 2}}},           // rising
  };
  for (const Case& c : cases) {
    device_->Clear(true, false, 0xFF000000, 0.0f);
    DeviceVertex line[2] = {V(c.x1, c.y1, 0xFFFFFFFF), V(c.x2, c.y2, 0xFFFFFFFF)};
    device_->DrawPrimitive(PrimitiveType::LineList, 1, line);
    std::set<std::pair<int, int>> expected(c.pixels.begin(), c.pixels.end());
    EXPECT_EQ(Lit(), expected) << "line " << c.x1 << "," << c.y1 << " to " << c.x2 << ","
                               << c.y2;
  }
}

TEST_F(GlDeviceTest, PointsLightTheirPixel) {
  DeviceVertex points[2] = {V(3, 7, 0xFF00FF00), V(20, 2, 0xFF0000FF)};
  device_->DrawPrimitive(PrimitiveType::PointList, 2, points);
  EXPECT_EQ(Pixel(3, 7), 0xFF00FF00u);
  EXPECT_EQ(Pixel(20, 2), 0xFF0000FFu);
  std::set<std::pair<int, int>> expected{{3, 7}, {20, 2}};
  EXPECT_EQ(Lit(), expected);
}

// Channels of a pixel, to compare blends with a tolerance of one step.
void ExpectColorNear(uint32_t actual, uint32_t expected, const char* what) {
  for (int shift = 0; shift <= 16; shift += 8) {
    int a = int((actual >> shift) & 0xFF), e = int((expected >> shift) & 0xFF);
    EXPECT_NEAR(a, e, 1) << what << ": got " << std::hex << actual << " expected " << expected;
  }
}

TEST_F(GlDeviceTest, BlendFactorsCombineSourceAndDestination) {
  // Destination (64, 128, 192); source (200, 100, 50) with alpha 128.
  struct Case {
    const char* name;
    BlendFactor source, dest;
    uint32_t expected;
  };
  auto mix = [](double s, double d, double fs, double fd) {
    double v = s * fs + d * fd;
    return uint32_t(std::min(255.0, std::floor(v + 0.5)));
  };
  const double a = 128.0 / 255.0;
  auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000 | r << 16 | g << 8 | b; };
  const Case cases[] = {
      {"normal", BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha,
       rgb(mix(200, 64, a, 1 - a), mix(100, 128, a, 1 - a), mix(50, 192, a, 1 - a))},
      {"add", BlendFactor::SrcAlpha, BlendFactor::One,
       rgb(mix(200, 64, a, 1), mix(100, 128, a, 1), mix(50, 192, a, 1))},
      {"max", BlendFactor::SrcAlpha, BlendFactor::InvSrcColor,
       rgb(mix(200, 64, a, 1 - 200 / 255.0), mix(100, 128, a, 1 - 100 / 255.0),
           mix(50, 192, a, 1 - 50 / 255.0))},
      {"subtract", BlendFactor::Zero, BlendFactor::InvSrcColor,
       rgb(mix(200, 64, 0, 1 - 200 / 255.0), mix(100, 128, 0, 1 - 100 / 255.0),
           mix(50, 192, 0, 1 - 50 / 255.0))},
      {"dest colour", BlendFactor::DestColor, BlendFactor::Zero,
       rgb(mix(200, 0, 64 / 255.0, 0), mix(100, 0, 128 / 255.0, 0), mix(50, 0, 192 / 255.0, 0))},
      // The back buffer has no alpha: destination alpha reads as 1.
      {"dest alpha", BlendFactor::DestAlpha, BlendFactor::Zero, rgb(200, 100, 50)},
  };
  for (const Case& c : cases) {
    device_->Clear(true, false, 0xFF4080C0, 0.0f);
    device_->SetBlendFactors(c.source, c.dest);
    FillRect(0, 0, 8, 8, 0x80C86432);
    ExpectColorNear(Pixel(3, 3), c.expected, c.name);
    ExpectColorNear(Pixel(10, 10), 0xFF4080C0, c.name);
  }
}

TEST_F(GlDeviceTest, AlphaBlendOffWritesTheSourceAsItIs) {
  device_->Clear(true, false, 0xFF4080C0, 0.0f);
  device_->SetAlphaBlendEnable(false);
  FillRect(0, 0, 4, 4, 0x10C86432);
  EXPECT_EQ(Pixel(1, 1), 0xFFC86432u);
}

TEST_F(GlDeviceTest, AlphaTestDropsFragmentsThatFailTheComparison) {
  device_->SetBlendFactors(BlendFactor::One, BlendFactor::Zero);
  device_->SetAlphaTest(true, CompareFunc::Greater, 0x40);
  FillRect(0, 0, 4, 4, 0x40FF0000);   // alpha equal to the reference: dropped
  FillRect(4, 0, 8, 4, 0x41FF0000);   // above: kept
  EXPECT_EQ(Pixel(1, 1), 0xFF000000u);
  EXPECT_EQ(Pixel(5, 1), 0xFFFF0000u);
  device_->SetAlphaTest(false, CompareFunc::Greater, 0x40);
  FillRect(0, 0, 4, 4, 0x40FF0000);
  EXPECT_EQ(Pixel(1, 1), 0xFFFF0000u);
}

TEST_F(GlDeviceTest, TexturesAreSampledFromTheTopWithTheirCoordinates) {
  int w = 3, h = 2;
  ASSERT_TRUE(device_->CheckTextureRequirements(w, h));
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 2);
  TextureHandle texture = device_->CreateTexture(w, h, false);
  ASSERT_NE(texture, kNoTexture);
  const uint32_t pixels[8] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                              0xFF808080, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
  ASSERT_TRUE(device_->UpdateTexture(texture, 0, 0, 4, 2, pixels, 4));
  device_->SetTexture(texture);
  device_->SetTextureFilter(TextureFilter::Point);
  // The whole texture at 1:1, with the half-pixel offset a sprite uses.
  DeviceVertex quad[4] = {V(1.5f, 2.5f, 0xFFFFFFFF, 0, 0), V(5.5f, 2.5f, 0xFFFFFFFF, 1, 0),
                          V(5.5f, 4.5f, 0xFFFFFFFF, 1, 1), V(1.5f, 4.5f, 0xFFFFFFFF, 0, 1)};
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(Pixel(2 + x, 3 + y), pixels[y * 4 + x]) << x << "," << y;
    }
  }
  EXPECT_EQ(Pixel(1, 3), 0xFF000000u);
  EXPECT_EQ(Pixel(6, 3), 0xFF000000u);
  EXPECT_EQ(Pixel(2, 2), 0xFF000000u);
  EXPECT_EQ(Pixel(2, 5), 0xFF000000u);

  // Modulated by the vertex colour; or the texture alone.
  device_->Clear(true, false, 0xFF000000, 0.0f);
  for (DeviceVertex& v : quad) v.color = 0xFF808080;
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  ExpectColorNear(Pixel(2, 3), 0xFF800000, "modulate");
  device_->SetTextureOp(TextureOp::SelectTexture);
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  EXPECT_EQ(Pixel(2, 3), 0xFFFF0000u);
  device_->ReleaseTexture(texture);
}

TEST_F(GlDeviceTest, TextureAddressingWrapsOrClamps) {
  TextureHandle texture = device_->CreateTexture(2, 1, false);
  const uint32_t pixels[2] = {0xFFFF0000, 0xFF0000FF};
  ASSERT_TRUE(device_->UpdateTexture(texture, 0, 0, 2, 1, pixels, 2));
  device_->SetTexture(texture);
  // Four pixels wide, coordinates 0..2: two repeats, or the edge stretched.
  DeviceVertex quad[4] = {V(-0.5f, -0.5f, 0xFFFFFFFF, 0, 0), V(3.5f, -0.5f, 0xFFFFFFFF, 2, 0),
                          V(3.5f, 0.5f, 0xFFFFFFFF, 2, 1), V(-0.5f, 0.5f, 0xFFFFFFFF, 0, 1)};
  device_->SetTextureAddress(TextureAddress::Wrap);
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  EXPECT_EQ(Pixel(2, 0), 0xFFFF0000u);
  EXPECT_EQ(Pixel(3, 0), 0xFF0000FFu);
  device_->SetTextureAddress(TextureAddress::Clamp);
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  EXPECT_EQ(Pixel(2, 0), 0xFF0000FFu);
  EXPECT_EQ(Pixel(3, 0), 0xFF0000FFu);
}

TEST_F(GlDeviceTest, LinearFilteringBlendsNeighbouringTexels) {
  TextureHandle texture = device_->CreateTexture(2, 1, false);
  const uint32_t pixels[2] = {0xFF000000, 0xFFFFFFFF};
  ASSERT_TRUE(device_->UpdateTexture(texture, 0, 0, 2, 1, pixels, 2));
  device_->SetTexture(texture);
  device_->SetTextureAddress(TextureAddress::Clamp);
  // Stretched over eight pixels: pixel 3's centre samples halfway between
  // the texels with linear filtering, the black texel with point sampling.
  DeviceVertex quad[4] = {V(-0.5f, -0.5f, 0xFFFFFFFF, 0, 0), V(7.5f, -0.5f, 0xFFFFFFFF, 1, 0),
                          V(7.5f, 0.5f, 0xFFFFFFFF, 1, 1), V(-0.5f, 0.5f, 0xFFFFFFFF, 0, 1)};
  device_->SetTextureFilter(TextureFilter::Point);
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  EXPECT_EQ(Pixel(3, 0), 0xFF000000u);
  device_->SetTextureFilter(TextureFilter::Linear);
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  uint32_t middle = Pixel(3, 0) & 0xFF;
  EXPECT_GT(middle, 0x40u);
  EXPECT_LT(middle, 0xC0u);
}

TEST_F(GlDeviceTest, LinearFilteringOfQuadsOneTexelToAPixel) {
  // Texel centres on pixel centres, straight or mirrored: every texel shows
  // as it is. Half a pixel off, or stretched, neighbours blend.
  TextureHandle texture = device_->CreateTexture(4, 1, false);
  const uint32_t pixels[4] = {0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF};
  ASSERT_TRUE(device_->UpdateTexture(texture, 0, 0, 4, 1, pixels, 4));
  device_->SetTexture(texture);
  device_->SetTextureFilter(TextureFilter::Linear);
  auto quad = [&](float left, float right, float y, float u0, float u1) {
    DeviceVertex corners[4] = {V(left, y - 0.5f, 0xFFFFFFFF, u0, 0),
                               V(right, y - 0.5f, 0xFFFFFFFF, u1, 0),
                               V(right, y + 0.5f, 0xFFFFFFFF, u1, 1),
                               V(left, y + 0.5f, 0xFFFFFFFF, u0, 1)};
    device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, corners);
  };
  quad(1.5f, 5.5f, 0, 0, 1);      // straight
  quad(1.5f, 5.5f, 1, 1, 0);      // mirrored
  quad(2.0f, 6.0f, 2, 0, 1);      // half a pixel to the right
  quad(1.5f, 9.5f, 3, 0, 1);      // twice as wide
  std::vector<uint32_t> row;
  for (int x = 2; x <= 5; ++x) row.push_back(Pixel(x, 0));
  EXPECT_EQ(row, std::vector<uint32_t>(pixels, pixels + 4));
  row.clear();
  for (int x = 2; x <= 5; ++x) row.push_back(Pixel(x, 1));
  EXPECT_EQ(row, std::vector<uint32_t>({0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000}));
  for (int x = 3; x <= 5; ++x) {
    uint32_t blended = Pixel(x, 2) & 0xFF;
    EXPECT_GT(blended, 0x40u) << "half a pixel off, x " << x;
    EXPECT_LT(blended, 0xC0u) << "half a pixel off, x " << x;
  }
  uint32_t stretched = Pixel(3, 3) & 0xFF;
  EXPECT_GT(stretched, 0x20u);
  EXPECT_LT(stretched, 0xE0u);
}

TEST_F(GlDeviceTest, RenderTargetsKeepTheirTopRowFirst) {
  TextureHandle target = device_->CreateTexture(8, 4, true);
  ASSERT_NE(target, kNoTexture);
  // A fresh render target is transparent black.
  std::vector<uint32_t> fresh = Screen(target, 8, 4);
  EXPECT_EQ(fresh[0], 0u);
  ASSERT_TRUE(device_->SetRenderTarget(target));
  EXPECT_EQ(device_->RenderTarget(), target);
  device_->SetViewport({0, 0, 8, 4, 0.0f, 1.0f});
  device_->SetTransform(TransformKind::Projection, ScreenProjection(8, 4));
  device_->SetBlendFactors(BlendFactor::One, BlendFactor::Zero);
  FillRect(0, 0, 8, 1, 0x80FF0000);  // the top row, half transparent
  std::vector<uint32_t> pixels = Screen(target, 8, 4);
  EXPECT_EQ(pixels[0], 0x80FF0000u);  // render targets keep alpha
  EXPECT_EQ(pixels[8], 0u);

  // Drawn onto the back buffer as a texture, its top row lands on top.
  ASSERT_TRUE(device_->SetRenderTarget(kBackBuffer));
  device_->SetViewport({0, 0, kSize, kSize, 0.0f, 1.0f});
  device_->SetTransform(TransformKind::Projection, ScreenProjection(kSize, kSize));
  device_->SetTexture(target);
  DeviceVertex quad[4] = {V(-0.5f, -0.5f, 0xFFFFFFFF, 0, 0), V(7.5f, -0.5f, 0xFFFFFFFF, 1, 0),
                          V(7.5f, 3.5f, 0xFFFFFFFF, 1, 1), V(-0.5f, 3.5f, 0xFFFFFFFF, 0, 1)};
  device_->SetTextureOp(TextureOp::SelectTexture);
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  EXPECT_EQ(Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(Pixel(0, 1), 0xFF000000u);

  // Copies between targets move pixels unchanged.
  TextureHandle other = device_->CreateTexture(8, 4, true);
  ASSERT_TRUE(device_->CopyRect(target, {0, 0, 4, 1}, other, 2, 3));
  std::vector<uint32_t> copied = Screen(other, 8, 4);
  EXPECT_EQ(copied[3 * 8 + 2], 0x80FF0000u);
  EXPECT_EQ(copied[3 * 8 + 5], 0x80FF0000u);
  EXPECT_EQ(copied[3 * 8 + 6], 0u);
  EXPECT_FALSE(device_->CopyRect(target, {6, 0, 4, 1}, other, 0, 0));  // beyond the source

  // Releasing the current target falls back to the back buffer.
  ASSERT_TRUE(device_->SetRenderTarget(other));
  device_->ReleaseTexture(other);
  EXPECT_EQ(device_->RenderTarget(), kBackBuffer);
  EXPECT_FALSE(device_->SetRenderTarget(other));
}

TEST_F(GlDeviceTest, CullingDropsTrianglesByTheirWindingOnTheScreen) {
  // (2, 2) (10, 2) (2, 10) runs clockwise on a screen whose y grows down.
  DeviceVertex clockwise[3] = {V(2, 2, 0xFFFFFFFF), V(10, 2, 0xFFFFFFFF), V(2, 10, 0xFFFFFFFF)};
  struct Case {
    CullMode mode;
    bool drawn;
  };
  for (Case c : {Case{CullMode::None, true}, Case{CullMode::CounterClockwise, true},
                 Case{CullMode::Clockwise, false}}) {
    device_->Clear(true, false, 0xFF000000, 0.0f);
    device_->SetCullMode(c.mode);
    device_->DrawPrimitive(PrimitiveType::TriangleList, 1, clockwise);
    EXPECT_EQ(Pixel(3, 3) == 0xFFFFFFFFu, c.drawn) << "cull mode " << int(c.mode);
  }
}

TEST_F(GlDeviceTest, StripsAndFansKeepTheirWindingWhenUnrolled) {
  // A strip of two triangles: the second one runs the other way in vertex
  // order, and must survive culling just like the first.
  device_->SetCullMode(CullMode::CounterClockwise);
  DeviceVertex strip[4] = {V(0, 0, 0xFFFFFFFF), V(8, 0, 0xFFFFFFFF), V(0, 8, 0xFFFFFFFF),
                           V(8, 8, 0xFFFFFFFF)};
  device_->DrawPrimitive(PrimitiveType::TriangleStrip, 2, strip);
  EXPECT_EQ(Pixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(6, 6), 0xFFFFFFFFu);
}

TEST_F(GlDeviceTest, FlatShadingTakesTheFirstVertexColour) {
  DeviceVertex triangle[3] = {V(0, 0, 0xFFFF0000), V(16, 0, 0xFF00FF00), V(0, 16, 0xFF0000FF)};
  device_->SetFlatShading(true);
  device_->DrawPrimitive(PrimitiveType::TriangleList, 1, triangle);
  EXPECT_EQ(Pixel(1, 12), 0xFFFF0000u);
  EXPECT_EQ(Pixel(12, 1), 0xFFFF0000u);
  device_->SetFlatShading(false);
  device_->DrawPrimitive(PrimitiveType::TriangleList, 1, triangle);
  EXPECT_NE(Pixel(12, 1), 0xFFFF0000u);
}

TEST_F(GlDeviceTest, FogTurnsTheColourByDistance) {
  // Identity view: the distance is the vertex z. Halfway between start and
  // end the colour is half fog.
  device_->SetFog(true, 0xFFFFFFFF, 0.0f, 1.0f);
  DeviceVertex quad[4] = {V(0, 0, 0xFF000000), V(8, 0, 0xFF000000), V(8, 8, 0xFF000000),
                          V(0, 8, 0xFF000000)};
  for (DeviceVertex& v : quad) v.z = 0.5f;
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  ExpectColorNear(Pixel(3, 3), 0xFF808080, "half fog");
  device_->SetFog(false, 0xFFFFFFFF, 0.0f, 1.0f);
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  EXPECT_EQ(Pixel(3, 3), 0xFF000000u);
}

TEST_F(GlDeviceTest, ShadersFollowTheStatesAsTheyChangeBackAndForth) {
  // Each combination of texture, texture operation, alpha test, fog and
  // shading draws with its own shader; going back to one drawn with
  // before must draw with the settings of now.
  TextureHandle texture = device_->CreateTexture(1, 1, false);
  const uint32_t texel = 0x80FF8000;
  device_->UpdateTexture(texture, 0, 0, 1, 1, &texel, 1);
  device_->SetBlendFactors(BlendFactor::One, BlendFactor::Zero);
  auto quad_at = [&](float x, uint32_t color) {
    DeviceVertex quad[4] = {V(x - 0.5f, -0.5f, color, 0, 0), V(x + 0.5f, -0.5f, color, 1, 0),
                            V(x + 0.5f, 0.5f, color, 1, 1), V(x - 0.5f, 0.5f, color, 0, 1)};
    device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  };
  device_->SetTexture(texture);
  quad_at(0, 0xFFFFFFFF);  // texture times white
  device_->SetTextureOp(TextureOp::SelectTexture);
  quad_at(1, 0xFF000000);  // the texture alone
  device_->SetTextureOp(TextureOp::Modulate);
  quad_at(2, 0xFF808080);  // texture times grey
  device_->SetAlphaTest(true, CompareFunc::Less, 0x80);
  quad_at(3, 0xFFFFFFFF);  // alpha 0x80 is not below 0x80: dropped
  device_->SetAlphaTest(true, CompareFunc::LessEqual, 0x80);
  quad_at(4, 0xFFFFFFFF);  // now kept
  device_->SetAlphaTest(false, CompareFunc::Always, 0);
  device_->SetTexture(kNoTexture);
  quad_at(5, 0xFF00FFFF);  // untextured: the vertex colour
  device_->SetFog(true, 0xFFFFFFFF, -2.0f, -1.0f);
  quad_at(6, 0xFF000000);  // beyond the fog's end: the fog colour
  device_->SetFog(false, 0, 0.0f, 1.0f);
  device_->SetFlatShading(true);
  quad_at(7, 0xFF0000FF);
  device_->SetFlatShading(false);
  device_->SetTexture(texture);
  quad_at(8, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(0, 0), 0xFFFF8000u);
  EXPECT_EQ(Pixel(1, 0), 0xFFFF8000u);
  ExpectColorNear(Pixel(2, 0), 0xFF804000, "texture times grey");
  EXPECT_EQ(Pixel(3, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(4, 0), 0xFFFF8000u);
  EXPECT_EQ(Pixel(5, 0), 0xFF00FFFFu);
  EXPECT_EQ(Pixel(6, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(7, 0), 0xFF0000FFu);
  EXPECT_EQ(Pixel(8, 0), 0xFFFF8000u);
}

TEST_F(GlDeviceTest, DrawsWithTheSameStateShareOneBatch) {
  TextureHandle texture = device_->CreateTexture(1, 1, false);
  const uint32_t white = 0xFFFFFFFF;
  device_->UpdateTexture(texture, 0, 0, 1, 1, &white, 1);
  device_->SetTexture(texture);
  DeviceStats before = device_->Stats();
  for (int i = 0; i < 2000; ++i) {
    float x = float(i % kSize);
    DeviceVertex quad[4] = {V(x, 0, white), V(x + 1, 0, white), V(x + 1, 1, white),
                            V(x, 1, white)};
    device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  }
  device_->Flush();
  DeviceStats after = device_->Stats();
  EXPECT_EQ(after.primitive_calls - before.primitive_calls, 2000u);
  EXPECT_EQ(after.batches - before.batches, 1u);
  // A state change ends the batch before it takes effect.
  DeviceVertex quad[4] = {V(0, 2, white), V(1, 2, white), V(1, 3, white), V(0, 3, white)};
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  device_->SetBlendFactors(BlendFactor::Zero, BlendFactor::Zero);
  EXPECT_EQ(device_->Stats().batches - after.batches, 1u);
  EXPECT_EQ(Pixel(0, 2), 0xFFFFFFFFu);
}

TEST_F(GlDeviceTest, TexturesAndShapesInterleaveWithoutMixingUp) {
  // Twenty textures of one colour each, drawn alternately with untextured
  // triangles: every pixel must show its own texture or the shape's colour.
  std::vector<TextureHandle> textures;
  for (uint32_t i = 0; i < 20; ++i) {
    uint32_t color = 0xFF000000 | (i * 12) << 16 | (255 - i * 12);
    TextureHandle texture = device_->CreateTexture(1, 1, false);
    device_->UpdateTexture(texture, 0, 0, 1, 1, &color, 1);
    textures.push_back(texture);
  }
  for (int i = 0; i < 20; ++i) {
    float x = float(i);
    device_->SetTexture(textures[size_t(i)]);
    DeviceVertex quad[4] = {V(x - 0.5f, -0.5f, 0xFFFFFFFF, 0, 0), V(x + 0.5f, -0.5f, 0xFFFFFFFF, 1, 0),
                            V(x + 0.5f, 0.5f, 0xFFFFFFFF, 1, 1), V(x - 0.5f, 0.5f, 0xFFFFFFFF, 0, 1)};
    device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
    device_->SetTexture(kNoTexture);
    DeviceVertex triangle[3] = {V(x - 0.5f, 2.5f, 0xFF00FF00), V(x + 1.5f, 2.5f, 0xFF00FF00),
                                V(x - 0.5f, 4.5f, 0xFF00FF00)};
    device_->DrawPrimitive(PrimitiveType::TriangleList, 1, triangle);
  }
  for (uint32_t i = 0; i < 20; ++i) {
    EXPECT_EQ(Pixel(int(i), 0), 0xFF000000 | (i * 12) << 16 | (255 - i * 12)) << "quad " << i;
    EXPECT_EQ(Pixel(int(i), 3), 0xFF00FF00u) << "triangle " << i;
  }
  // Releasing a texture and making a new one (which may reuse its name)
  // still draws the new pixels.
  device_->ReleaseTexture(textures[0]);
  TextureHandle fresh = device_->CreateTexture(1, 1, false);
  const uint32_t white = 0xFFFFFFFF;
  device_->UpdateTexture(fresh, 0, 0, 1, 1, &white, 1);
  device_->SetTexture(fresh);
  DeviceVertex quad[4] = {V(-0.5f, 5.5f, 0xFFFFFFFF, 0, 0), V(0.5f, 5.5f, 0xFFFFFFFF, 1, 0),
                          V(0.5f, 6.5f, 0xFFFFFFFF, 1, 1), V(-0.5f, 6.5f, 0xFFFFFFFF, 0, 1)};
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  EXPECT_EQ(Pixel(0, 6), white);
}

TEST_F(GlDeviceTest, PresentKeepsTheBackBufferAndResetResizesIt) {
  FillRect(0, 0, 4, 4, 0xFF00FF00);
  PresentOptions options;
  EXPECT_TRUE(device_->Present({0, 0, kSize, kSize}, {0, 0, kSize, kSize}, options));
  EXPECT_EQ(Pixel(1, 1), 0xFF00FF00u);  // copied, not swapped away
  ASSERT_TRUE(device_->Reset(48, 40));
  EXPECT_EQ(device_->BackBufferWidth(), 48);
  EXPECT_EQ(device_->BackBufferHeight(), 40);
  std::vector<uint32_t> pixels;
  EXPECT_TRUE(device_->ReadPixels(kBackBuffer, {47, 39, 1, 1}, pixels));
  EXPECT_FALSE(device_->ReadPixels(kBackBuffer, {47, 39, 2, 1}, pixels));
}

TEST_F(GlDeviceTest, UpdatesAfterADrawDoNotChangeWhatWasDrawn) {
  TextureHandle texture = device_->CreateTexture(1, 1, false);
  const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
  device_->UpdateTexture(texture, 0, 0, 1, 1, &red, 1);
  device_->SetTexture(texture);
  DeviceVertex quad[4] = {V(-0.5f, -0.5f, 0xFFFFFFFF, 0, 0), V(0.5f, -0.5f, 0xFFFFFFFF, 1, 0),
                          V(0.5f, 0.5f, 0xFFFFFFFF, 1, 1), V(-0.5f, 0.5f, 0xFFFFFFFF, 0, 1)};
  device_->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
  device_->UpdateTexture(texture, 0, 0, 1, 1, &blue, 1);
  EXPECT_EQ(Pixel(0, 0), red);
}

TEST_F(GlDeviceTest, RejectsTexturesAndRectanglesOutOfRange) {
  EXPECT_EQ(device_->CreateTexture(0, 4, false), kNoTexture);
  int huge = 1 << 20, one = 1;
  EXPECT_FALSE(device_->CheckTextureRequirements(huge, one));
  TextureHandle texture = device_->CreateTexture(4, 4, false);
  uint32_t pixels[4] = {};
  EXPECT_FALSE(device_->UpdateTexture(texture, 2, 2, 4, 1, pixels, 4));
  EXPECT_FALSE(device_->UpdateTexture(texture + 100, 0, 0, 1, 1, pixels, 1));
  std::vector<uint32_t> out;
  EXPECT_FALSE(device_->ReadPixels(texture, {0, 0, 1, 1}, out));  // not a render target
  EXPECT_FALSE(device_->SetRenderTarget(texture));
}

TEST(RecordingGraphicsDeviceTest, KeepsDrawsWithTheirStatesAndPixelsOfTargets) {
  RecordingGraphicsDevice device(16, 8);
  TextureHandle target = device.CreateTexture(4, 4, true);
  device.SetBlendFactors(BlendFactor::SrcAlpha, BlendFactor::One);
  DeviceVertex line[2] = {V(0, 0, 1), V(1, 1, 2)};
  device.DrawPrimitive(PrimitiveType::LineList, 1, line);
  ASSERT_EQ(device.draws.size(), 1u);
  EXPECT_EQ(device.draws[0].vertices.size(), 2u);
  EXPECT_EQ(device.draws[0].blend_dest, BlendFactor::One);
  ASSERT_TRUE(device.SetRenderTarget(target));
  device.SetViewport({1, 1, 2, 2, 0.0f, 1.0f});
  device.Clear(true, false, 0x80112233, 0.0f);
  const std::vector<uint32_t>& pixels = *device.PixelsOf(target);
  EXPECT_EQ(pixels[0], 0u);
  EXPECT_EQ(pixels[5], 0x80112233u);
  EXPECT_EQ(pixels[10], 0x80112233u);
  EXPECT_EQ(pixels[15], 0u);
}

}  // namespace
}  // namespace vendrel::platform
