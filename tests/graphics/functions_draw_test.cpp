// The drawing, surface, texture and screen built-ins called through the
// function registry, on a recording device.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "code/errors.h"
#include "code/function_registry.h"
#include "graphics/draw.h"
#include "graphics/resource_draw.h"
#include "graphics/surface.h"
#include "graphics/function_families.h"
#include "graphics/texture.h"
#include "platform/message_box.h"
#include "resources/game_resources.h"
#include "runtime/instance.h"
#include "tests/graphics/recording_fixture.h"
#include "tests/temp_path.h"
#include "tests/solid_image.h"
#include "tests/builtin_call.h"

namespace vendrel::graphics {
namespace {

using interp::RValue;

class DrawFunctionsTest : public testing::RecordingDeviceTest {
 protected:
  void SetUp() override {
    testing::RecordingDeviceTest::SetUp();
    platform::SetHeadless(true);
    code::ErrorSettings().show_errors = false;
    code::ErrorSettings().write_error_log = false;
    ClearError();
    RegisterDrawFunctions();
    RegisterSurfaceFunctions();
    resources::Resources().Clear();
    // Sprite 0: three 4 by 4 frames with origin (2, 3).
    auto sprite = std::make_unique<resources::CSprite>();
    sprite->width = sprite->height = 4;
    sprite->x_origin = 2;
    sprite->y_origin = 3;
    for (uint32_t color : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) {
      sprite->frames.push_back(testing::SolidImage(4, 4, color));
    }
    resources::Resources().sprites.Set(0, std::move(sprite), "spr_test");
    auto background = std::make_unique<resources::CBackground>();
    background->width = 100;
    background->height = 50;
    background->image = testing::SolidImage(100, 50, 0xFFFFFFFF);
    resources::Resources().backgrounds.Set(0, std::move(background), "bg_test");
    BuildResourceTextures();
    device_->ClearRecord();
  }

  void TearDown() override {
    resources::Resources().Clear();
    code::ErrorSettings() = code::ErrorOptions();
    testing::RecordingDeviceTest::TearDown();
  }

  static void ClearError() {
    code::Errors().last_error.clear();
    code::Errors().error_occurred = false;
  }
  static bool TookError(const std::string& message) {
    bool took = code::Errors().error_occurred && code::Errors().last_error.ends_with(message);
    ClearError();
    return took;
  }

  static RValue Call(const char* name, std::vector<RValue> args,
                     runtime::CInstance* self = nullptr) {
    return testing::CallBuiltin(name, std::move(args), self);
  }
  static RValue R(double v) { return RValue(v); }
  static RValue S(const char* s) { return RValue(std::string(s)); }

  platform::TextureHandle FrameHandle(int frame) {
    return TextureEntry(resources::Resources().sprites.Get(0)->textures[size_t(frame)])->texture;
  }
};

TEST_F(DrawFunctionsTest, ImageFamiliesAreRegisteredWithTheirArgumentCounts) {
  struct Case {
    const char* suffix;
    int sprite, other;
  };
  const Case cases[] = {{"", 4, 3},          {"_ext", 9, 8},      {"_stretched", 6, 5},
                        {"_stretched_ext", 8, 7}, {"_part", 8, 7}, {"_part_ext", 12, 11},
                        {"_general", 16, 15}, {"_tiled", 4, 3},    {"_tiled_ext", 8, 7}};
  for (const Case& c : cases) {
    for (const char* family : {"draw_sprite", "draw_background", "draw_surface"}) {
      std::string name = std::string(family) + c.suffix;
      int index = code::FindBuiltinFunction(name);
      ASSERT_GE(index, 0) << name;
      int expected = std::string(family) == "draw_sprite" ? c.sprite : c.other;
      EXPECT_EQ(code::FunctionArgCount(index), expected) << name;
    }
  }
}

TEST_F(DrawFunctionsTest, NegativeSubimagesTakeTheCallersImage) {
  // No calling instance: frame 0.
  Call("draw_sprite", {R(0), R(-1), R(50), R(60)});
  ASSERT_EQ(device_->draws.size(), 1u);
  EXPECT_EQ(device_->draws[0].texture, FrameHandle(0));
  EXPECT_FLOAT_EQ(device_->draws[0].vertices[0].x, 47.5f);  // 50 - origin 2 - 0.5
  EXPECT_FLOAT_EQ(device_->draws[0].vertices[0].y, 56.5f);

  runtime::CInstance instance(100001, 0);
  instance.image_index = 4.7;  // floor 4, wrapped to frame 1
  device_->ClearRecord();
  Call("draw_sprite", {R(0), R(-1), R(50), R(60)}, &instance);
  EXPECT_EQ(OnlyDraw().texture, FrameHandle(1));
  // Explicit frames wrap both ways.
  EXPECT_EQ(SpriteFrameTexture(0, 7), resources::Resources().sprites.Get(0)->textures[1]);
  EXPECT_EQ(SpriteFrameTexture(0, -1), resources::Resources().sprites.Get(0)->textures[2]);
  EXPECT_EQ(Call("sprite_get_texture", {R(0), R(-1)}, &instance).real,
            resources::Resources().sprites.Get(0)->textures[1]);
}

TEST_F(DrawFunctionsTest, ExtendedAndStretchedFormsPassTheirArgumentsInOrder) {
  // sprite, subimage, x, y, xscale, yscale, rot, colour, alpha
  Call("draw_sprite_ext", {R(0), R(2), R(50), R(60), R(2), R(1), R(0), R(255), R(0.5)});
  EXPECT_EQ(OnlyDraw().texture, FrameHandle(2));
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[0].x, 45.5f);  // 50 - 2*2 - 0.5
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[0].y, 56.5f);
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[1].x, 53.5f);
  EXPECT_EQ(OnlyDraw().vertices[0].color, 0x80FF0000u);

  device_->ClearRecord();
  Call("draw_sprite_stretched", {R(0), R(0), R(10), R(10), R(20), R(30)});
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[2].x, 29.5f);  // no origin, 20 wide
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[2].y, 39.5f);

  device_->ClearRecord();
  Call("draw_background_stretched", {R(0), R(10), R(10), R(0), R(30)});
  EXPECT_TRUE(device_->draws.empty());

  // background, left, top, width, height, x, y
  Call("draw_background_part", {R(0), R(10), R(5), R(20), R(10), R(1), R(2)});
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[0].u, 10.0f / 128);
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[2].x, 20.5f);
}

TEST_F(DrawFunctionsTest, MissingResourcesAreReportedAndDrawNothing) {
  struct Case {
    const char* name;
    std::vector<RValue> args;
    const char* message;
  };
  const Case cases[] = {
      {"draw_sprite", {R(9), R(0), R(0), R(0)}, "Trying to draw non-existing sprite."},
      {"draw_background_ext", {R(9), R(0), R(0), R(1), R(1), R(0), R(0), R(1)},
       "Trying to draw non-existing background."},
      {"draw_surface", {R(9), R(0), R(0)}, "Trying to use non-existing surface."},
      {"surface_getpixel", {R(9), R(0), R(0)}, "Trying to use non-existing surface."},
      {"surface_copy", {R(9), R(0), R(0), R(9)}, "Trying to use non-existing surface."},
      {"sprite_get_texture", {R(9), R(0)}, "Trying to get texture from non-existing sprite."},
      {"background_get_texture", {R(9)}, "Trying to get texture from non-existing background."},
      {"screen_save", {S("")}, "Trying to save screen to empty image file name."},
  };
  for (const Case& c : cases) {
    Call(c.name, c.args);
    EXPECT_TRUE(TookError(c.message)) << c.name;
  }
  EXPECT_TRUE(device_->draws.empty());
  int surface = int(Call("surface_create", {R(4), R(4)}).real);
  Call("surface_save", {R(surface), S("")});
  EXPECT_TRUE(TookError("Trying to save surface to empty image file name."));
}

TEST_F(DrawFunctionsTest, SurfaceFunctionsCreateTargetAndFree) {
  int s = int(Call("surface_create", {R(40), R(20)}).real);
  ASSERT_GE(s, 0);
  EXPECT_EQ(Call("surface_exists", {R(s)}).real, 1);
  EXPECT_EQ(Call("surface_get_width", {R(s)}).real, 40);
  EXPECT_EQ(Call("surface_get_height", {R(s)}).real, 20);
  EXPECT_EQ(Call("texture_get_width", {Call("surface_get_texture", {R(s)})}).real, 40.0 / 64);
  EXPECT_EQ(Call("surface_set_target", {R(s)}).real, 1);
  Call("draw_clear", {R(255)});
  EXPECT_EQ(Call("surface_reset_target", {}).real, 1);
  EXPECT_EQ(Call("surface_reset_target", {}).real, 0);
  EXPECT_EQ(Call("surface_getpixel", {R(s), R(39), R(19)}).real, 255);
  Call("surface_free", {R(s)});
  EXPECT_EQ(Call("surface_exists", {R(s)}).real, 0);
  EXPECT_EQ(Call("surface_get_width", {R(s)}).real, -1);
  EXPECT_TRUE(TookError("Trying to use non-existing surface."));
  EXPECT_EQ(Call("surface_set_target", {R(s)}).real, 0);
}

TEST_F(DrawFunctionsTest, StateAndColourFunctionsRoundTrip) {
  Call("draw_set_color", {R(0x123456)});
  Call("draw_set_alpha", {R(0.5)});
  EXPECT_EQ(Call("draw_get_color", {}).real, 0x123456);
  EXPECT_EQ(Call("draw_get_alpha", {}).real, 0.5);
  EXPECT_EQ(Call("make_color_rgb", {R(300), R(0), R(0)}).real, 300);
  EXPECT_EQ(Call("color_get_red", {R(300)}).real, 44);
  EXPECT_EQ(Call("make_color_hsv", {R(85), R(255), R(255)}).real, 65280);
  EXPECT_EQ(Call("merge_color", {R(0), R(0xFFFFFF), R(0.5)}).real, 0x808080);
  EXPECT_EQ(Call("texture_get_width", {R(-1)}).real, 1);
  EXPECT_EQ(Call("texture_get_width", {Call("background_get_texture", {R(0)})}).real, 0.78125);
  Call("draw_set_circle_precision", {R(30)});
  EXPECT_EQ(CirclePrecision(), 28);
  Call("draw_circle", {R(0), R(0), R(5), R(0.5)});  // outline: true at 0.5
  EXPECT_EQ(OnlyDraw().type, platform::PrimitiveType::LineStrip);
  EXPECT_EQ(OnlyDraw().count, 28);
}

TEST_F(DrawFunctionsTest, ScreenSaveWritesABitmapOfTheRegion) {
  std::string path = testing::TestTempPath(".bmp");
  std::filesystem::remove(path);
  Call("screen_save", {S(path.c_str())});
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 54u + 4u * kWidth * kHeight);
  std::filesystem::remove(path);
  Call("screen_save_part", {S(path.c_str()), R(kWidth - 2), R(0), R(10), R(1)});
  EXPECT_EQ(std::filesystem::file_size(path), 54u + 4u * 2);
  std::filesystem::remove(path);
  Call("screen_save_part", {S(path.c_str()), R(kWidth), R(0), R(10), R(1)});
  EXPECT_FALSE(std::filesystem::exists(path));  // nothing left to save
}

TEST_F(DrawFunctionsTest, PrimitiveFunctionsBuildAndDraw) {
  Call("draw_primitive_begin_texture", {R(5), Call("background_get_texture", {R(0)})});
  Call("draw_vertex_texture", {R(0), R(0), R(0), R(0)});
  Call("draw_vertex_texture_color", {R(10), R(0), R(1), R(0), R(255), R(1)});
  Call("draw_vertex_color", {R(0), R(10), R(65280), R(0.5)});
  Call("draw_primitive_end", {});
  EXPECT_EQ(OnlyDraw().type, platform::PrimitiveType::TriangleStrip);
  EXPECT_EQ(OnlyDraw().count, 1);
  EXPECT_NE(OnlyDraw().texture, platform::kNoTexture);
  EXPECT_EQ(OnlyDraw().vertices[2].color, 0x8000FF00u);
}

TEST_F(DrawFunctionsTest, PathsAreDrawnAsLineStripsEveryFourPixels) {
  auto path = std::make_unique<resources::CPath>();
  path->kind = 0;
  path->closed = false;
  path->points = {{10, 20, 100}, {50, 20, 100}};
  path->Recompute();
  resources::Resources().paths.Set(0, std::move(path), "pth_test");
  Call("draw_set_color", {R(255)});
  Call("draw_path", {R(0), R(100), R(200), R(0)});  // moved to start at (100, 200)
  const platform::RecordedDraw& relative = OnlyDraw();
  EXPECT_EQ(relative.type, platform::PrimitiveType::LineStrip);
  ASSERT_EQ(relative.vertices.size(), 11u);  // length 40: n = 10
  EXPECT_FLOAT_EQ(relative.vertices[0].x, 100.0f);
  EXPECT_FLOAT_EQ(relative.vertices[1].x, 104.0f);
  EXPECT_FLOAT_EQ(relative.vertices[10].x, 140.0f);
  EXPECT_FLOAT_EQ(relative.vertices[10].y, 200.0f);
  EXPECT_EQ(relative.vertices[3].color, 0xFFFF0000u);
  device_->ClearRecord();
  Call("draw_path", {R(0), R(100), R(200), R(1)});  // at its own coordinates
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[0].x, 10.0f);
  EXPECT_FLOAT_EQ(OnlyDraw().vertices[0].y, 20.0f);
  device_->ClearRecord();
  Call("draw_path", {R(3), R(0), R(0), R(1)});
  EXPECT_TRUE(TookError("Trying to drawn non-existing path."));
  EXPECT_TRUE(device_->draws.empty());
}

}  // namespace
}  // namespace vendrel::graphics
