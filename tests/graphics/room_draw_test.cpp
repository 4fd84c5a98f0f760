// Room drawing on a recording device: views following an instance, the
// order of tiles and instances by depth, views drawn to their ports, the
// view mouse table and the window caption.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/draw.h"
#include "graphics/game_window.h"
#include "graphics/resource_draw.h"
#include "graphics/room_draw.h"
#include "graphics/texture.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"
#include "runtime/room_state.h"
#include "tests/graphics/recording_fixture.h"
#include "tests/solid_image.h"

namespace vendrel::graphics {
namespace {

using runtime::CInstance;
using runtime::CRunRoom;

class RoomDrawTest : public testing::RecordingDeviceTest {
 protected:
  void SetUp() override {
    testing::RecordingDeviceTest::SetUp();
    resources::Resources().Clear();
    for (int i = 0; i < 2; ++i) {
      auto sprite = std::make_unique<resources::CSprite>();
      sprite->width = sprite->height = 4;
      sprite->frames.push_back(testing::SolidImage(4, 4, 0xFF00FF00u));
      resources::Resources().sprites.Set(i, std::move(sprite), i == 0 ? "spr_a" : "spr_b");
    }
    auto background = std::make_unique<resources::CBackground>();
    background->width = 16;
    background->height = 16;
    background->image = testing::SolidImage(16, 16, 0xFF0000FFu);
    resources::Resources().backgrounds.Set(0, std::move(background), "bg_tiles");
    BuildResourceTextures();
    ClearViewMouseTable();
    runtime::GameState& game = runtime::Game();
    game = runtime::GameState();
    game.runtime_rooms.push_back(std::make_unique<CRunRoom>());
    game.room = 0;
    room_ = game.runtime_rooms[0].get();
    room_->data.width = 320;
    room_->data.height = 240;
    room_->data.caption = "Room";
    device_->ClearRecord();
  }

  void TearDown() override {
    runtime::Game() = runtime::GameState();
    ClearViewMouseTable();
    resources::Resources().Clear();
    testing::RecordingDeviceTest::TearDown();
  }

  CInstance* AddInstance(int id, int sprite, double x, double y, double depth) {
    auto instance = std::make_unique<CInstance>(id, -1);
    instance->sprite_index = sprite;
    instance->x = x;
    instance->y = y;
    instance->depth = depth;
    return room_->Append(std::move(instance));
  }

  void AddTile(double x, double y, double depth) {
    resources::RTile tile;
    tile.x = x;
    tile.y = y;
    tile.background = 0;
    tile.width = 8;
    tile.height = 8;
    tile.depth = depth;
    room_->data.tiles.push_back(tile);
  }

  platform::TextureHandle SpriteHandle(int sprite) {
    return TextureEntry(resources::Resources().sprites.Get(sprite)->textures[0])->texture;
  }
  platform::TextureHandle BackgroundHandle() {
    return TextureEntry(resources::Resources().backgrounds.Get(0)->texture)->texture;
  }

  // Each textured draw as "a@x", "b@x" (sprites) or "t@x" (tiles), x the
  // left edge of the quad rounded to whole pixels.
  std::vector<std::string> DrawnItems() {
    std::vector<std::string> items;
    for (const platform::RecordedDraw& draw : device_->draws) {
      if (draw.texture == platform::kNoTexture || draw.vertices.empty()) continue;
      float left = draw.vertices[0].x;
      for (const platform::DeviceVertex& v : draw.vertices) left = std::min(left, v.x);
      std::string name = draw.texture == SpriteHandle(0)   ? "a"
                         : draw.texture == SpriteHandle(1) ? "b"
                         : draw.texture == BackgroundHandle() ? "t"
                                                                : "?";
      items.push_back(name + "@" + std::to_string(int(std::lround(left + 0.5f))));
    }
    return items;
  }

  CRunRoom* room_ = nullptr;
};

TEST_F(RoomDrawTest, TilesAndInstancesAreDrawnByDepthWithInstancesFirstOnEqualDepth) {
  AddInstance(100001, 1, 40, 0, -5);
  AddTile(10, 0, 0);
  AddInstance(100002, 0, 20, 0, 10);
  AddTile(50, 0, -5);
  AddTile(60, 0, 20);
  CInstance* hidden = AddInstance(100003, 0, 70, 0, 0);
  hidden->visible = false;
  CInstance* gone = AddInstance(100004, 0, 80, 0, 0);
  gone->destroyed = true;
  AddTile(90, 0, 0);
  room_->data.tiles.back().visible = false;
  RedrawFrame();
  EXPECT_EQ(DrawnItems(), (std::vector<std::string>{"t@60", "a@20", "t@10", "b@40", "t@50"}));
  // The lists stay sorted, greatest depth first, for the next frame.
  EXPECT_EQ(room_->ActiveAt(0)->id, 100002);
  EXPECT_EQ(room_->data.tiles.front().depth, 20);
}

TEST_F(RoomDrawTest, DepthChangesBetweenFramesReorderTheNextFrame) {
  CInstance* first = AddInstance(100001, 0, 10, 0, 5);
  AddInstance(100002, 1, 20, 0, 0);
  RedrawFrame();
  RedrawFrame();  // already in order: drawn the same way
  EXPECT_EQ(DrawnItems(), (std::vector<std::string>{"a@10", "b@20", "a@10", "b@20"}));
  device_->ClearRecord();
  first->depth = -5;
  RedrawFrame();
  EXPECT_EQ(DrawnItems(), (std::vector<std::string>{"b@20", "a@10"}));
  EXPECT_EQ(room_->ActiveAt(0)->id, 100002);
  EXPECT_EQ(room_->Find(100001), first);
}

TEST_F(RoomDrawTest, BackgroundColourClearsTheRoomAndMissingResourcesAreSkipped) {
  room_->data.background_color = 0x0000FF;  // red
  AddInstance(100001, 7, 0, 0, 0);          // no such sprite
  AddTile(0, 0, 0);
  room_->data.tiles.back().background = 5;  // no such background
  RedrawFrame();
  ASSERT_FALSE(device_->clears.empty());
  EXPECT_EQ(device_->clears.front().color, 0xFFFF0000u);
  EXPECT_TRUE(DrawnItems().empty());

  device_->ClearRecord();
  room_->data.draw_background_color = false;
  RedrawFrame();
  EXPECT_TRUE(device_->clears.empty());
}

TEST_F(RoomDrawTest, EachVisibleViewIsDrawnInItsPort) {
  room_->data.views_enabled = true;
  resources::CView& left = room_->data.views[0];
  left = resources::CView{};
  left.visible = true;
  left.view_width = left.view_height = 100;
  left.port_width = left.port_height = 100;
  resources::CView& right = room_->data.views[2];
  right = resources::CView{};
  right.visible = true;
  right.view_x = 100;
  right.view_width = right.view_height = 100;
  right.port_x = 150;
  right.port_y = 20;
  right.port_width = right.port_height = 50;
  AddInstance(100001, 0, 10, 10, 0);
  RedrawFrame();
  std::vector<platform::DeviceViewport> ports;
  for (const platform::RecordedDraw& draw : device_->draws)
    if (draw.texture == SpriteHandle(0)) ports.push_back(draw.viewport);
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].x, 0);
  EXPECT_EQ(ports[0].width, 100);
  EXPECT_EQ(ports[1].x, 150);
  EXPECT_EQ(ports[1].y, 20);
  EXPECT_EQ(ports[1].width, 50);
  EXPECT_EQ(runtime::Game().view_current, 0);

  EXPECT_EQ(ActiveViewMouseEntries(), 2);
  EXPECT_TRUE(ViewMouseTable(2).active);
  EXPECT_FALSE(ViewMouseTable(1).active);
  // Region point (175, 45) lies in the second port: room (150, 50).
  double x = 0, y = 0;
  MapRegionThroughViews(175, 45, x, y);
  EXPECT_EQ(x, 150);
  EXPECT_EQ(y, 50);
  double rx = 0, ry = 0;
  MapRoomToRegionThroughView(2, 150, 50, rx, ry);
  EXPECT_EQ(rx, 175);
  EXPECT_EQ(ry, 45);

  room_->data.views_enabled = false;
  FollowViews(*room_);
  EXPECT_EQ(ActiveViewMouseEntries(), 0);
}

TEST_F(RoomDrawTest, ViewsOnButNoneVisibleShowOnlyTheWindowColour) {
  room_->data.views_enabled = true;
  for (resources::CView& view : room_->data.views) view.visible = false;
  AddInstance(100001, 0, 10, 10, 0);
  AddTile(0, 0, 0);
  RedrawFrame();
  EXPECT_TRUE(DrawnItems().empty());
  ASSERT_EQ(device_->clears.size(), 1u);
  EXPECT_EQ(device_->clears[0].color, 0xFFFFFFFFu);  // the default window colour
}

TEST_F(RoomDrawTest, ScaledInstancesAndTheCursorSpriteAreDrawnAsAsked) {
  CInstance* wide = AddInstance(100001, 0, 10, 0, 0);
  wide->image_xscale = 2;
  runtime::Game().cursor_sprite = 1;
  runtime::Input().mouse_x = 77;
  runtime::Input().mouse_y = 5;
  RedrawFrame();
  ASSERT_EQ(DrawnItems(), (std::vector<std::string>{"a@10", "b@77"}));
  float left = 1e9f, right = -1e9f;
  for (const platform::RecordedDraw& draw : device_->draws) {
    if (draw.texture != SpriteHandle(0)) continue;
    for (const platform::DeviceVertex& v : draw.vertices) {
      left = std::min(left, v.x);
      right = std::max(right, v.x);
    }
  }
  EXPECT_FLOAT_EQ(right - left, 8.0f);  // a 4 pixel wide sprite at x scale 2
  runtime::Input() = runtime::InputState();
}

TEST_F(RoomDrawTest, ViewsFollowTheirInstanceWithinBordersSpeedsAndTheRoom) {
  struct Case {
    const char* name;
    double instance_x;
    int32_t border;
    int32_t speed;
    int32_t room_width;
    int32_t expected_view_x;
  };
  // A 100 wide view at x 100, in a 400 wide room unless said otherwise.
  const Case cases[] = {
      {"inside the borders", 150, 32, -1, 400, 100},
      {"past the left border", 120, 32, -1, 400, 88},
      {"past the right border", 190, 32, -1, 400, 122},
      {"half rounds to even (118.5 -> 118)", 118.5, 32, -1, 400, 86},
      {"half rounds to even (119.5 -> 120)", 119.5, 32, -1, 400, 88},
      {"borders of half the view centre it", 250, 50, -1, 400, 200},
      {"clamped at the left edge", 10, 32, -1, 400, 0},
      {"clamped at the right edge", 390, 32, -1, 400, 300},
      {"speed 0 never moves", 10, 32, 0, 400, 100},
      {"speed 5 moves 5", 10, 32, 5, 400, 95},
      {"narrow room aligns right edges", 40, 32, -1, 80, -20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    room_->active.clear();
    room_->RebuildLists();
    room_->data.width = c.room_width;
    room_->data.views_enabled = true;
    resources::CView& view = room_->data.views[0];
    view = resources::CView{};
    view.visible = true;
    view.view_x = 100;
    view.view_y = 0;
    view.view_width = 100;
    view.view_height = 100;
    view.horizontal_border = c.border;
    view.horizontal_speed = c.speed;
    view.followed_object = 100001;
    AddInstance(100001, 0, c.instance_x, 50, 0);
    FollowViews(*room_);
    EXPECT_EQ(view.view_x, c.expected_view_x);
    EXPECT_EQ(view.view_y, 0);
    EXPECT_EQ(ViewMouseTable(0).view_x, c.expected_view_x);
  }
}

TEST_F(RoomDrawTest, AViewWithoutItsInstanceStaysWhereItIs) {
  room_->data.views_enabled = true;
  resources::CView& view = room_->data.views[0];
  view.visible = true;
  view.view_x = 37;
  view.followed_object = 100009;
  CInstance* destroyed = AddInstance(100009, 0, 300, 50, 0);
  destroyed->destroyed = true;
  FollowViews(*room_);
  EXPECT_EQ(view.view_x, 37);
}

TEST_F(RoomDrawTest, CaptionShowsScoreLivesAndHealthAsAsked) {
  struct Case {
    int score;
    bool shown_because_set;
    bool show_lives;
    bool show_health;
    double health;
    const char* expected;
  };
  const Case cases[] = {
      {0, false, false, false, 100, "Room"},
      {10, false, false, false, 100, "Room Score: 10"},
      {0, true, false, false, 100, "Room Score: 0"},
      {5, false, true, true, 2.5, "Room Score: 5 Lives: 3 Health: 2"},
  };
  for (const Case& c : cases) {
    runtime::GameState& game = runtime::Game();
    game.score = c.score;
    game.score_shown_because_set = c.shown_because_set;
    game.show_lives = c.show_lives;
    game.lives = 3;
    game.show_health = c.show_health;
    game.health = c.health;
    EXPECT_EQ(FrameCaption(*room_), c.expected);
  }
}

TEST(RegionMappingTest, ClientPointsMapToTheRegionThroughTheScaling) {
  struct Case {
    const char* name;
    double scale;
    int client_width, client_height;
    double a, b;
    double expected_x, expected_y;
  };
  // A 100 by 50 region.
  const Case cases[] = {
      {"scale 1", 1, 100, 50, 10, 20, 10, 20},
      {"scale 2, halves to even", 2, 200, 100, 21, 41, 10, 20},
      {"scale 2 in a larger client, centred", 2, 300, 100, 71, 41, 10, 20},
      {"stretched", 0, 200, 200, 100, 100, 50, 25},
      {"letterboxed: margins of 50 left and right", -1, 300, 100, 150, 40, 50, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetRegionScale(c.scale, false);
    SetRegionSize(100, 50, false);
    double x = -1, y = -1;
    ClientToRegion(c.client_width, c.client_height, c.a, c.b, x, y);
    EXPECT_EQ(x, c.expected_x);
    EXPECT_EQ(y, c.expected_y);
  }
  SetRegionScale(-1, false);
  const platform::DeviceRect dest = DestinationRect(301, 100);
  EXPECT_EQ(dest.x, 50);  // the odd pixel goes to the right margin
  EXPECT_EQ(dest.width, 200);
  SetRegionScale(1, false);
  SetRegionSize(8, 8, false);
}

}  // namespace
}  // namespace vendrel::graphics
