// The sprite and background built-ins called through the function
// registry on a recording device: argument counts, results and messages
// for resources that do not exist, flags that must exceed 0.5, and
// resources made from files, the screen and surfaces.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "code/errors.h"
#include "code/function_registry.h"
#include "graphics/function_families.h"
#include "graphics/resource_draw.h"
#include "graphics/surface.h"
#include "graphics/texture.h"
#include "platform/message_box.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"
#include "runtime/instance.h"
#include "runtime/room_state.h"
#include "tests/graphics/recording_fixture.h"
#include "tests/image_test_files.h"
#include "tests/temp_path.h"
#include "tests/solid_image.h"
#include "tests/builtin_call.h"

namespace vendrel::graphics {
namespace {

using interp::RValue;

class SpriteFunctionsTest : public vendrel::testing::RecordingDeviceTest {
 protected:
  void SetUp() override {
    RecordingDeviceTest::SetUp();
    platform::SetHeadless(true);
    code::ErrorSettings().show_errors = false;
    code::ErrorSettings().write_error_log = false;
    ClearError();
    RegisterSpriteFunctions();
    RegisterBackgroundFunctions();
    RegisterSurfaceFunctions();
    resources::Resources().Clear();
    // Sprite 0 and background 0 exist; slot 1 of each is empty.
    auto sprite = std::make_unique<resources::CSprite>();
    sprite->width = 4;
    sprite->height = 2;
    sprite->frames.push_back(testing::SolidImage(4, 2, 0xFFFF0000));
    sprite->FramesChanged();
    resources::Resources().sprites.Set(0, std::move(sprite), "spr_red");
    resources::Resources().sprites.Set(1, nullptr, "");
    auto background = std::make_unique<resources::CBackground>();
    background->width = 3;
    background->height = 3;
    background->image = testing::SolidImage(3, 3, 0xFF0000FF);
    resources::Resources().backgrounds.Set(0, std::move(background), "bg_blue");
    resources::Resources().backgrounds.Set(1, nullptr, "");
    BuildResourceTextures();
  }

  void TearDown() override {
    resources::Resources().Clear();
    code::ErrorSettings() = code::ErrorOptions();
    for (const std::string& path : written_) std::remove(path.c_str());
    RecordingDeviceTest::TearDown();
  }

  static void ClearError() {
    code::Errors().last_error.clear();
    code::Errors().error_occurred = false;
  }
  // The message reported since the last check ("" for none).
  static std::string TakeError() {
    std::string message = code::Errors().error_occurred ? code::Errors().last_error : "";
    ClearError();
    return message;
  }
  static RValue Call(const std::string& name, std::vector<RValue> args) {
    return testing::CallBuiltin(name, std::move(args));
  }
  static RValue R(double v) { return RValue(v); }
  static RValue S(const std::string& s) { return RValue(s); }

  std::string File(const std::string& suffix, const vendrel::testing::Bytes& bytes) {
    std::string path = vendrel::testing::TestTempPath(suffix);
    vendrel::testing::WriteBytes(path, bytes);
    written_.push_back(path);
    return path;
  }

  std::vector<std::string> written_;
};

TEST_F(SpriteFunctionsTest, EveryFunctionIsRegisteredWithItsArgumentCount) {
  struct Row {
    const char* name;
    int count;
  };
  const Row rows[] = {
      {"sprite_name", 1}, {"sprite_get_name", 1}, {"sprite_exists", 1},
      {"sprite_get_number", 1}, {"sprite_get_width", 1}, {"sprite_get_height", 1},
      {"sprite_get_transparent", 1}, {"sprite_get_smooth", 1}, {"sprite_get_preload", 1},
      {"sprite_get_precise", 1}, {"sprite_get_xoffset", 1}, {"sprite_get_yoffset", 1},
      {"sprite_get_bbox_mode", 1}, {"sprite_get_bbox_left", 1}, {"sprite_get_bbox_right", 1},
      {"sprite_get_bbox_top", 1}, {"sprite_get_bbox_bottom", 1}, {"sprite_set_offset", 3},
      {"sprite_set_bbox_mode", 2}, {"sprite_set_bbox", 5}, {"sprite_set_precise", 2},
      {"sprite_set_alpha_from_sprite", 2}, {"sprite_create_from_screen", 10},
      {"sprite_add_from_screen", 5}, {"sprite_create_from_surface", 11},
      {"sprite_add_from_surface", 6}, {"sprite_add", 8}, {"sprite_replace", 9},
      {"sprite_delete", 1}, {"sprite_duplicate", 1}, {"sprite_assign", 2},
      {"sprite_merge", 2}, {"background_name", 1}, {"background_get_name", 1},
      {"background_exists", 1}, {"background_get_width", 1}, {"background_get_height", 1},
      {"background_get_transparent", 1}, {"background_get_smooth", 1},
      {"background_get_preload", 1}, {"background_set_alpha_from_background", 2},
      {"background_create_from_screen", 7}, {"background_create_from_surface", 8},
      {"background_create_color", 4}, {"background_create_gradient", 6},
      {"background_add", 4}, {"background_replace", 5}, {"background_delete", 1},
      {"background_duplicate", 1}, {"background_assign", 2},
  };
  EXPECT_EQ(std::size(rows), 50u);
  for (const Row& row : rows) {
    int index = code::FindBuiltinFunction(row.name);
    ASSERT_GE(index, 0) << row.name;
    EXPECT_EQ(code::FunctionArgCount(index), row.count) << row.name;
  }
}

TEST_F(SpriteFunctionsTest, MissingResourcesGiveNeutralResultsAndTheirMessages) {
  struct Case {
    const char* name;
    std::vector<RValue> args;
    RValue result;
    const char* message;
  };
  const RValue undefined(std::string("<undefined>"));
  // Index 1 is an empty slot, 5 and -1 lie outside the tables.
  const Case cases[] = {
      {"sprite_name", {R(1)}, undefined, ""},
      {"sprite_get_name", {R(-1)}, undefined, ""},
      {"sprite_exists", {R(1)}, R(0), ""},
      {"sprite_get_number", {R(5)}, R(-1), ""},
      {"sprite_get_width", {R(1)}, R(-1), ""},
      {"sprite_get_precise", {R(1)}, R(-1), ""},
      {"sprite_get_bbox_bottom", {R(1)}, R(-1), ""},
      {"sprite_set_offset", {R(1), R(2), R(3)}, R(0), ""},
      {"sprite_set_alpha_from_sprite", {R(0), R(1)}, R(0), ""},
      {"sprite_add_from_screen", {R(1), R(0), R(0), R(2), R(2)}, R(0),
       "Trying to add to non-existing sprite."},
      {"sprite_add_from_surface", {R(5), R(0), R(0), R(0), R(2), R(2)}, R(0),
       "Trying to add to non-existing sprite."},
      {"sprite_replace", {R(1), S("x.png"), R(1), R(1), R(1), R(0), R(0), R(0), R(0)}, R(0),
       "Trying to replace non-existing sprite."},
      {"sprite_delete", {R(1)}, R(0), "Trying to delete non-existing sprite."},
      {"sprite_duplicate", {R(1)}, R(0), "Trying to duplicate non-existing sprite."},
      {"sprite_assign", {R(0), R(1)}, R(0), "Error assigning a sprite."},
      {"sprite_assign", {R(7), R(0)}, R(0), "Error assigning a sprite."},
      {"sprite_merge", {R(1), R(0)}, R(0), "Trying to merge to non-existing sprite."},
      {"sprite_merge", {R(0), R(1)}, R(0), "Trying to merge from non-existing sprite."},
      {"sprite_add", {S("no such file.png"), R(1), R(1), R(1), R(0), R(0), R(0), R(0)}, R(-1),
       ""},
      {"background_name", {R(1)}, undefined, ""},
      {"background_exists", {R(5)}, R(0), ""},
      {"background_get_width", {R(1)}, R(-1), ""},
      {"background_get_preload", {R(-1)}, R(-1), ""},
      {"background_set_alpha_from_background", {R(1), R(0)}, R(0), ""},
      {"background_replace", {R(1), S("x.png"), R(0), R(0), R(0)}, R(0),
       "Trying to replace non-existing background."},
      {"background_delete", {R(1)}, R(0), "Trying to delete non-existing background."},
      {"background_duplicate", {R(5)}, R(0), "Trying to duplicate non-existing background."},
      {"background_assign", {R(0), R(1)}, R(0), "Error assigning a background."},
      {"background_add", {S("no such file.png"), R(0), R(0), R(0)}, R(-1), ""},
  };
  for (const Case& c : cases) {
    RValue result = Call(c.name, c.args);
    EXPECT_EQ(result.kind, c.result.kind) << c.name;
    if (c.result.IsString()) {
      EXPECT_EQ(result.str, c.result.str) << c.name;
    } else {
      EXPECT_EQ(result.real, c.result.real) << c.name;
    }
    std::string message = TakeError();
    EXPECT_TRUE(message.ends_with(c.message)) << c.name << ": " << message;
    if (*c.message == '\0') {
      EXPECT_EQ(message, "") << c.name;
    }
  }
  // Nothing was added, and the empty slots stay empty.
  EXPECT_EQ(resources::Resources().sprites.Count(), 2);
  EXPECT_FALSE(resources::Resources().sprites.Exists(1));
  EXPECT_EQ(resources::Resources().backgrounds.Count(), 2);
}

TEST_F(SpriteFunctionsTest, GettersAndSettersOfAnExistingSprite) {
  EXPECT_EQ(Call("sprite_name", {R(0)}).str, "spr_red");
  EXPECT_EQ(Call("sprite_get_number", {R(0.4)}).real, 1);
  EXPECT_EQ(Call("sprite_get_width", {R(0)}).real, 4);
  EXPECT_EQ(Call("sprite_get_transparent", {R(0)}).real, 1);
  Call("sprite_set_offset", {R(0), R(2.5), R(-3)});  // halves to even
  EXPECT_EQ(Call("sprite_get_xoffset", {R(0)}).real, 2);
  EXPECT_EQ(Call("sprite_get_yoffset", {R(0)}).real, -3);
  Call("sprite_set_bbox", {R(0), R(1), R(1), R(2), R(1)});  // not manual: ignored
  EXPECT_EQ(Call("sprite_get_bbox_left", {R(0)}).real, 0);
  Call("sprite_set_bbox_mode", {R(0), R(2)});
  Call("sprite_set_bbox", {R(0), R(1), R(0), R(2), R(1)});
  EXPECT_EQ(Call("sprite_get_bbox_mode", {R(0)}).real, 2);
  EXPECT_EQ(Call("sprite_get_bbox_left", {R(0)}).real, 1);
  EXPECT_EQ(Call("sprite_get_bbox_right", {R(0)}).real, 2);
  // 0.5 counts for precise.
  Call("sprite_set_precise", {R(0), R(0)});
  EXPECT_EQ(Call("sprite_get_precise", {R(0)}).real, 0);
  Call("sprite_set_precise", {R(0), R(0.5)});
  EXPECT_EQ(Call("sprite_get_precise", {R(0)}).real, 1);
  EXPECT_TRUE(resources::Resources().sprites.Get(0)->HasMasks());
  EXPECT_EQ(TakeError(), "");
}

TEST_F(SpriteFunctionsTest, InstancesOfTheRunningRoomTakeTheNewBox) {
  runtime::GameState& game = runtime::Game();
  game = runtime::GameState();
  game.runtime_rooms.push_back(std::make_unique<runtime::CRunRoom>());
  game.room = 0;
  auto instance = std::make_unique<runtime::CInstance>(100001, -1);
  instance->x = 10;
  instance->y = 20;
  instance->sprite_index = 0;
  instance->ComputeBoundingBox();
  runtime::CInstance* placed = game.runtime_rooms[0]->Append(std::move(instance));
  EXPECT_EQ(placed->bbox_left, 10);
  EXPECT_EQ(placed->bbox_right, 13);

  Call("sprite_set_bbox_mode", {R(0), R(2)});
  Call("sprite_set_bbox", {R(0), R(1), R(0), R(2), R(1)});
  EXPECT_EQ(placed->bbox_left, 11);
  EXPECT_EQ(placed->bbox_right, 12);
  Call("sprite_set_offset", {R(0), R(1), R(1)});
  EXPECT_EQ(placed->bbox_left, 10);
  EXPECT_EQ(placed->bbox_top, 19);
  Call("sprite_delete", {R(0)});
  // Without a sprite the box no longer covers the instance.
  EXPECT_FALSE(placed->bbox_left <= 10 && 10 <= placed->bbox_right);
  runtime::Game() = runtime::GameState();
}

TEST_F(SpriteFunctionsTest, SmoothAndPreloadMustExceedOneHalf) {
  std::string path =
      File(".png", vendrel::testing::MakePng(2, 2, std::vector<uint32_t>(4, 0xFF00FF00)));
  int index = int(
      Call("sprite_add", {S(path), R(1), R(0.5), R(0.5), R(0.5), R(0.5), R(0), R(0)}).real);
  ASSERT_EQ(index, 2);
  EXPECT_EQ(Call("sprite_get_name", {R(index)}).str, "__newsprite2");
  EXPECT_EQ(Call("sprite_get_precise", {R(index)}).real, 1);
  EXPECT_EQ(Call("sprite_get_transparent", {R(index)}).real, 1);
  EXPECT_EQ(Call("sprite_get_smooth", {R(index)}).real, 0);
  EXPECT_EQ(Call("sprite_get_preload", {R(index)}).real, 0);
  EXPECT_EQ(Call("sprite_replace",
                 {R(index), S(path), R(2), R(0), R(0), R(0.51), R(0.51), R(1), R(1)})
                .real,
            1);
  EXPECT_EQ(Call("sprite_get_smooth", {R(index)}).real, 1);
  EXPECT_EQ(Call("sprite_get_preload", {R(index)}).real, 1);
  EXPECT_EQ(Call("sprite_get_number", {R(index)}).real, 2);
  EXPECT_EQ(Call("sprite_replace",
                 {R(index), S("missing.png"), R(2), R(0), R(0), R(0), R(0), R(1), R(1)})
                .real,
            0);

  int background = int(Call("background_add", {S(path), R(0.5), R(0.5), R(0.5)}).real);
  ASSERT_EQ(background, 2);
  EXPECT_EQ(Call("background_get_name", {R(background)}).str, "__newbackground2");
  EXPECT_EQ(Call("background_get_transparent", {R(background)}).real, 1);
  EXPECT_EQ(Call("background_get_smooth", {R(background)}).real, 1);
  EXPECT_EQ(Call("background_get_preload", {R(background)}).real, 0);
  EXPECT_EQ(Call("background_get_width", {R(background)}).real, 2);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(SpriteFunctionsTest, ScreenAndSurfaceCapturesBecomeSpritesAndBackgrounds) {
  // The back buffer is cleared to a colour; a surface holds another.
  device_->Clear(true, false, 0xFF204060, 1.0f);
  int surface = int(Call("surface_create", {R(8), R(8)}).real);
  ASSERT_GE(surface, 0);
  ASSERT_TRUE(SetSurfaceTarget(surface));
  device_->Clear(true, false, 0x80112233, 1.0f);
  ASSERT_TRUE(ResetSurfaceTarget());

  int sprite = int(Call("sprite_create_from_screen",
                        {R(1), R(1), R(5), R(3), R(1), R(0), R(0), R(0), R(2), R(1)})
                       .real);
  ASSERT_EQ(sprite, 2);
  const resources::CSprite* s = resources::Resources().sprites.Get(sprite);
  ASSERT_EQ(s->FrameCount(), 1);
  EXPECT_EQ(s->width, 5);
  EXPECT_EQ(s->height, 3);
  EXPECT_EQ(s->x_origin, 2);
  EXPECT_EQ(s->frames[0].pixels[0], 0xFF204060u);
  EXPECT_TRUE(TextureExists(s->textures[0]));

  // Surfaces keep their alpha; frames added are resized to the sprite.
  Call("sprite_add_from_surface", {R(sprite), R(surface), R(0), R(0), R(8), R(8)});
  ASSERT_EQ(s->FrameCount(), 2);
  EXPECT_EQ(s->frames[1].width, 5);
  EXPECT_EQ(s->frames[1].pixels[0], 0x80112233u);
  Call("sprite_add_from_screen", {R(sprite), R(0), R(0), R(2), R(2)});
  EXPECT_EQ(s->FrameCount(), 3);

  int from_surface = int(Call("sprite_create_from_surface",
                              {R(surface), R(0), R(0), R(4), R(4), R(0), R(0), R(0), R(0),
                               R(0), R(0)})
                             .real);
  EXPECT_EQ(resources::Resources().sprites.Get(from_surface)->frames[0].pixels[0],
            0x80112233u);

  int background = int(
      Call("background_create_from_screen", {R(0), R(0), R(6), R(2), R(0), R(0), R(0)}).real);
  const resources::CBackground* b = resources::Resources().backgrounds.Get(background);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->width, 6);
  EXPECT_EQ(b->image->pixels[0], 0xFF204060u);
  background = int(Call("background_create_from_surface",
                        {R(surface), R(0), R(0), R(3), R(3), R(0), R(0), R(1)})
                       .real);
  b = resources::Resources().backgrounds.Get(background);
  EXPECT_EQ(b->image->pixels[0], 0x80112233u);
  EXPECT_TRUE(b->preload);
  EXPECT_EQ(TakeError(), "");
}

TEST_F(SpriteFunctionsTest, ColourAndGradientBackgroundsCopiesAndDeletion) {
  int color = int(Call("background_create_color", {R(4), R(2), R(255), R(1)}).real);
  ASSERT_EQ(color, 2);
  const resources::CBackground* b = resources::Resources().backgrounds.Get(color);
  EXPECT_EQ(b->image->pixels[0], 0xFFFF0000u);
  EXPECT_TRUE(b->preload);
  // col1, col2, kind: black on the left to white on the right.
  int gradient = int(
      Call("background_create_gradient", {R(4), R(1), R(0), R(16777215), R(0), R(0)}).real);
  b = resources::Resources().backgrounds.Get(gradient);
  EXPECT_EQ(b->image->pixels[0], 0xFF000000u);
  EXPECT_EQ(b->image->pixels[2], 0xFF808080u);  // mix(2 / 4) rounds 127.5 to 128

  int copy = int(Call("background_duplicate", {R(color)}).real);
  EXPECT_EQ(copy, 4);
  Call("background_assign", {R(0), R(copy)});
  EXPECT_EQ(Call("background_get_width", {R(0)}).real, 4);
  EXPECT_EQ(Call("background_name", {R(0)}).str, "bg_blue");
  EXPECT_EQ(Call("background_delete", {R(copy)}).real, 0);
  EXPECT_EQ(Call("background_exists", {R(copy)}).real, 0);

  int sprite_copy = int(Call("sprite_duplicate", {R(0)}).real);
  EXPECT_EQ(sprite_copy, 2);
  Call("sprite_merge", {R(sprite_copy), R(0)});
  EXPECT_EQ(Call("sprite_get_number", {R(sprite_copy)}).real, 2);
  Call("sprite_assign", {R(1), R(sprite_copy)});
  EXPECT_EQ(Call("sprite_get_number", {R(1)}).real, 2);
  EXPECT_EQ(Call("sprite_delete", {R(sprite_copy)}).real, 1);
  EXPECT_EQ(Call("sprite_exists", {R(sprite_copy)}).real, 0);
  EXPECT_EQ(TakeError(), "");
}

}  // namespace
}  // namespace vendrel::graphics
