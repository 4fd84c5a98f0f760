// The game's drawing device: render settings, region size, view transform,
// presentation and transitions, capture and device colours.
#include "graphics/device.h"

#include <gtest/gtest.h>

#include <cmath>

#include "graphics/draw.h"
#include "graphics/matrix.h"
#include "graphics/surface.h"
#include "tests/graphics/recording_fixture.h"

namespace vendrel::graphics {
namespace {

using platform::RecordedDraw;

class DeviceTest : public testing::RecordingDeviceTest {
 protected:
  void TearDown() override {
    // Back to the settings a game starts with.
    SetTextureInterpolation(true);
    SetTextureBlending(true);
    SetTextureRepeat(false);
    SetBlendMode(0);
    SetCulling(false);
    SetShading(true);
    SetFog(false, 0, 0, 1);
    Set3DMode(false);
    SetPresentationLayoutProvider(nullptr);
    testing::RecordingDeviceTest::TearDown();
  }

  RecordedDraw DrawSomething() {
    device_->ClearRecord();
    DrawPoint(0, 0);
    return device_->draws.empty() ? RecordedDraw() : device_->draws[0];
  }
};

TEST_F(DeviceTest, InstallingSendsTheRenderStateRecord) {
  RecordedDraw draw = DrawSomething();
  EXPECT_TRUE(draw.alpha_blend);
  EXPECT_EQ(draw.blend_source, platform::BlendFactor::SrcAlpha);
  EXPECT_EQ(draw.blend_dest, platform::BlendFactor::InvSrcAlpha);
  EXPECT_EQ(draw.filter, platform::TextureFilter::Linear);
  EXPECT_EQ(draw.texture_op, platform::TextureOp::Modulate);
  EXPECT_EQ(draw.address, platform::TextureAddress::Clamp);
  EXPECT_EQ(draw.cull, platform::CullMode::None);
  EXPECT_FALSE(draw.flat_shading);
  EXPECT_FALSE(draw.alpha_test);
  EXPECT_FALSE(device_->depth_test);
  EXPECT_EQ(draw.viewport.width, kWidth);
  EXPECT_EQ(draw.viewport.height, kHeight);
}

TEST_F(DeviceTest, SettersReachTheDevice) {
  SetTextureInterpolation(false);
  SetTextureBlending(false);
  SetTextureRepeat(true);
  SetCulling(true);
  SetShading(false);
  RecordedDraw draw = DrawSomething();
  EXPECT_EQ(draw.filter, platform::TextureFilter::Point);
  EXPECT_EQ(draw.texture_op, platform::TextureOp::SelectTexture);
  EXPECT_EQ(draw.address, platform::TextureAddress::Wrap);
  EXPECT_EQ(draw.cull, platform::CullMode::CounterClockwise);
  EXPECT_TRUE(draw.flat_shading);
}

TEST_F(DeviceTest, AResetSendsTheSettingsTheGameLastMade) {
  SetBlendMode(1);
  SetTextureInterpolation(false);
  int surface = CreateSurface(8, 8);
  ASSERT_TRUE(SurfaceExists(surface));
  // The device forgets its states (as a lost device does).
  device_->SetBlendFactors(platform::BlendFactor::One, platform::BlendFactor::Zero);
  device_->SetTextureFilter(platform::TextureFilter::Linear);
  device_->SetAlphaBlendEnable(false);
  ASSERT_TRUE(ResetDevice());
  RecordedDraw draw = DrawSomething();
  EXPECT_TRUE(draw.alpha_blend);
  EXPECT_EQ(draw.blend_dest, platform::BlendFactor::One);
  EXPECT_EQ(draw.filter, platform::TextureFilter::Point);
  // Render targets do not survive a reset.
  EXPECT_FALSE(SurfaceExists(surface));
}

TEST_F(DeviceTest, HiddenSurfaceRemovalActsOnlyIn3DMode) {
  SetHiddenSurfaceRemoval(true);
  EXPECT_FALSE(DrawSomething().alpha_test);
  EXPECT_FALSE(device_->depth_test);
  Set3DMode(true);
  EXPECT_TRUE(DrawSomething().alpha_test);
  EXPECT_EQ(device_->alpha_func, platform::CompareFunc::Greater);
  EXPECT_EQ(device_->alpha_reference, 0);
  EXPECT_TRUE(device_->depth_test);
  SetHiddenSurfaceRemoval(false);
  EXPECT_FALSE(DrawSomething().alpha_test);
  EXPECT_FALSE(device_->depth_test);
  SetHiddenSurfaceRemoval(true);
}

TEST_F(DeviceTest, FogWithoutDeviceSupportStaysOff) {
  SetFog(true, 255, 10, 200);
  EXPECT_TRUE(Settings().fog);
  EXPECT_TRUE(device_->fog_enabled);
  EXPECT_EQ(device_->fog_color, 0xFFFF0000u);
  EXPECT_FLOAT_EQ(device_->fog_end, 200.0f);
  device_->supports_fog = false;
  SetFog(true, 255, 10, 200);
  EXPECT_FALSE(Settings().fog);
  EXPECT_FALSE(device_->fog_enabled);
}

TEST_F(DeviceTest, TheRegionIsClippedToTheScreen) {
  SetDeviceSize(1000, 100);
  EXPECT_EQ(DeviceWidth(), kWidth);
  EXPECT_EQ(DeviceHeight(), 100);
  platform::DeviceViewport viewport = device_->Viewport();
  EXPECT_EQ(viewport.width, kWidth);
  EXPECT_EQ(viewport.height, 100);
  SetDeviceSize(kWidth, kHeight);
}

TEST_F(DeviceTest, TheViewTransformShowsTheViewRectangle) {
  SetViewTransform(100, 50, 200, 100, 0);
  Matrix combined = MatrixMultiply(device_->Transform(platform::TransformKind::View),
                                   device_->Transform(platform::TransformKind::Projection));
  struct Case {
    Vec3 room;
    double x, y;
  };
  const Case cases[] = {
      {{100, 50, 0}, -1, 1}, {{300, 150, 0}, 1, -1}, {{200, 100, 0}, 0, 0}, {{300, 50, 0}, 1, 1}};
  for (const Case& c : cases) {
    Vec3 clip = TransformCoord(c.room, combined);
    EXPECT_NEAR(clip.x, c.x, 1e-5) << c.room.x << "," << c.room.y;
    EXPECT_NEAR(clip.y, c.y, 1e-5) << c.room.x << "," << c.room.y;
    EXPECT_GE(clip.z, 0.0);
    EXPECT_LE(clip.z, 1.0);
  }
  // Turned by 90 degrees, what lies right of the view's centre shows above it.
  SetViewTransform(100, 50, 200, 100, 90);
  combined = MatrixMultiply(device_->Transform(platform::TransformKind::View),
                            device_->Transform(platform::TransformKind::Projection));
  Vec3 clip = TransformCoord({250, 100, 0}, combined);
  EXPECT_NEAR(clip.x, 0, 1e-5);
  EXPECT_NEAR(clip.y, 1, 1e-5);
}

TEST_F(DeviceTest, PresentationUsesTheLayoutAndFailuresResetTheDevice) {
  SetPresentationLayoutProvider([] {
    PresentationLayout layout;
    layout.dest = {10, 20, 640, 480};
    layout.border = 0xFF123456;
    return layout;
  });
  EndFrameAndPresent();
  ASSERT_EQ(device_->presents.size(), 1u);
  const platform::RecordedPresent& present = device_->presents[0];
  EXPECT_EQ(present.source.width, kWidth);
  EXPECT_EQ(present.dest.x, 10);
  EXPECT_EQ(present.dest.width, 640);
  EXPECT_TRUE(present.options.fill_border);
  EXPECT_EQ(present.options.border, 0xFF123456u);
  EXPECT_EQ(device_->scenes_ended, 1);
  EXPECT_EQ(device_->resets, 0);

  device_->fail_present = true;
  EndFrameAndPresent();
  EXPECT_EQ(device_->resets, 1);
  // A refresh does not reset on failure.
  Refresh();
  EXPECT_EQ(device_->resets, 1);
  EXPECT_EQ(device_->scenes_ended, 2);
}

TEST_F(DeviceTest, TransitionsPresentEightyPartsThenTheWhole) {
  for (int kind : {0, 14, -1}) {
    device_->ClearRecord();
    PresentWithTransition(kind);
    EXPECT_EQ(device_->presents.size(), 1u) << "kind " << kind;
  }
  device_->ClearRecord();
  PresentWithTransition(1);  // create from left
  ASSERT_EQ(device_->presents.size(), 81u);
  const platform::RecordedPresent& half = device_->presents[39];  // step 40
  EXPECT_EQ(half.source.x, 0);
  EXPECT_EQ(half.source.width, kWidth / 2);
  EXPECT_EQ(half.dest.width, kWidth / 2);
  EXPECT_EQ(half.source.height, kHeight);
  EXPECT_FALSE(half.options.fill_border);
  EXPECT_TRUE(half.options.wait_for_vertical_blank);
  EXPECT_EQ(device_->presents[80].source.width, kWidth);
  EXPECT_EQ(device_->scenes_ended, 1);
}

TEST(TransitionFractionsTest, EachKindRevealsItsPart) {
  struct Case {
    int kind, step;
    double source[4], dest[4];
  };
  const Case cases[] = {
      {1, 40, {0, 0, 0.5, 1}, {0, 0, 0.5, 1}},
      {2, 20, {0.75, 0, 1, 1}, {0.75, 0, 1, 1}},
      {3, 80, {0, 0, 1, 1}, {0, 0, 1, 1}},
      {4, 60, {0, 0.25, 1, 1}, {0, 0.25, 1, 1}},
      {5, 40, {0.25, 0.25, 0.75, 0.75}, {0.25, 0.25, 0.75, 0.75}},
      {6, 20, {0.75, 0, 1, 1}, {0, 0, 0.25, 1}},
      {7, 20, {0, 0, 0.25, 1}, {0.75, 0, 1, 1}},
      {8, 20, {0, 0.75, 1, 1}, {0, 0, 1, 0.25}},
      {9, 20, {0, 0, 1, 0.25}, {0, 0.75, 1, 1}},
      {10, 1, {1 / 80.0, 0, 2 / 80.0, 1}, {1 / 80.0, 0, 2 / 80.0, 1}},
      {10, 39, {77 / 80.0, 0, 78 / 80.0, 1}, {77 / 80.0, 0, 78 / 80.0, 1}},
      {10, 60, {0, 0, 0.5, 1}, {0, 0, 0.5, 1}},
      {11, 1, {79 / 80.0, 0, 1, 1}, {79 / 80.0, 0, 1, 1}},
      {11, 60, {0.5, 0, 1, 1}, {0.5, 0, 1, 1}},
      {12, 2, {0, 3 / 80.0, 1, 4 / 80.0}, {0, 3 / 80.0, 1, 4 / 80.0}},
      {13, 80, {0, 0, 1, 1}, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    TransitionStep t = TransitionFractions(c.kind, c.step);
    for (int i = 0; i < 4; ++i) {
      EXPECT_NEAR(t.source[i], c.source[i], 1e-12) << "kind " << c.kind << " step " << c.step;
      EXPECT_NEAR(t.dest[i], c.dest[i], 1e-12) << "kind " << c.kind << " step " << c.step;
    }
  }
}

TEST_F(DeviceTest, CapturesAreCutAtTheRegionsEdges) {
  SetViewport(300, 200, 20, 40);
  DrawClear(255);
  SetViewport(0, 0, kWidth, kHeight);
  runner::CBitmap32 cut = Capture(310, 230, 50, 50);
  EXPECT_EQ(cut.width, 10);
  EXPECT_EQ(cut.height, 10);
  ASSERT_EQ(cut.pixels.size(), 100u);
  EXPECT_EQ(cut.pixels[0], 0xFFFF0000u);
  runner::CBitmap32 negative = Capture(-5, -5, 10, 10);
  EXPECT_EQ(negative.width, 10);  // x raised to 0, the width kept
  EXPECT_TRUE(Capture(kWidth, 0, 5, 5).Empty());
  EXPECT_TRUE(Capture(0, 0, 0, 5).Empty());
  EXPECT_EQ(ScreenPixel(305, 205), 255);
  EXPECT_EQ(ScreenPixel(kWidth + 1, 0), 0);
}

TEST(DeviceColorTest, GameColoursBecomeArgb) {
  EXPECT_EQ(DeviceColor(255, 1), 0xFFFF0000u);
  EXPECT_EQ(DeviceColor(0x123456, 0.5), 0x80563412u);
  EXPECT_EQ(DeviceColor(65280, -1), 0x0000FF00u);
  EXPECT_EQ(DeviceColor(65280, 7), 0xFF00FF00u);
  EXPECT_EQ(DeviceColorWithAlpha(0xFF123456, 0), 0x00123456u);
  EXPECT_EQ(GameColor(0x80563412), 0x123456);
  EXPECT_EQ(AlphaByte(0.5), 128);
  EXPECT_EQ(AlphaByte(std::nan("")), 0);
}

TEST(NoDeviceTest, EverythingIsSafeWithoutADevice) {
  DestroyDevice();
  ASSERT_EQ(Device(), nullptr);
  DrawRectangle(0, 0, 10, 10, false);
  DrawTexture(0, 0, 0);
  PrimitiveBegin(kPrPointList);
  PrimitiveVertex(1, 1);
  PrimitiveEnd();
  EndFrameAndPresent();
  PresentWithTransition(3);
  EXPECT_FALSE(ResetDevice());
  EXPECT_TRUE(Capture(0, 0, 4, 4).Empty());
  EXPECT_EQ(CreateSurface(4, 4), -1);
  EXPECT_FALSE(SetSurfaceTarget(0));
  EXPECT_EQ(ScreenPixel(0, 0), 0);
}

}  // namespace
}  // namespace vendrel::graphics
