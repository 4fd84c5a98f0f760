// The run-time tile built-ins on the current room's tile list.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "code/errors.h"
#include "code/function_registry.h"
#include "graphics/function_families.h"
#include "platform/message_box.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"
#include "runtime/room_state.h"
#include "tests/builtin_call.h"

namespace vendrel::graphics {
namespace {

using interp::RValue;

class TileFunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetHeadless(true);
    code::ErrorSettings().show_errors = false;
    code::ErrorSettings().write_error_log = false;
    RegisterTileFunctions();
    resources::Resources().Clear();
    auto background = std::make_unique<resources::CBackground>();
    background->width = background->height = 32;
    resources::Resources().backgrounds.Set(0, std::move(background), "bg_tiles");
    runtime::GameState& game = runtime::Game();
    game = runtime::GameState();
    game.runtime_rooms.push_back(std::make_unique<runtime::CRunRoom>());
    game.room = 0;
    ClearError();
  }
  void TearDown() override {
    runtime::Game() = runtime::GameState();
    resources::Resources().Clear();
    code::ErrorSettings() = code::ErrorOptions();
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
  static double Call(const char* name, std::vector<double> numbers) {
    std::vector<RValue> args;
    for (double n : numbers) args.emplace_back(n);
    return testing::CallBuiltin(name, std::move(args)).real;
  }
  // A 10 by 10 tile at (x, y) with [depth]; its id.
  static double Add(double x, double y, double depth) {
    return Call("tile_add", {0, 0, 0, 10, 10, x, y, depth});
  }
  static size_t TileCount() { return runtime::CurrentRoom()->data.tiles.size(); }
};

TEST_F(TileFunctionsTest, AddGivesNewIdsAndRefusesMissingBackgrounds) {
  const double first = Add(0, 0, 0);
  const double second = Add(20, 0, 5);
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(Call("tile_exists", {first}), 1);
  EXPECT_EQ(Call("tile_get_x", {second}), 20);
  EXPECT_EQ(Call("tile_get_depth", {second}), 5);
  EXPECT_EQ(Call("tile_get_xscale", {second}), 1);
  EXPECT_EQ(Call("tile_get_blend", {second}), 16777215);
  EXPECT_EQ(Call("tile_get_visible", {second}), 1);
  EXPECT_EQ(Call("tile_add", {3, 0, 0, 10, 10, 0, 0, 0}), -1);
  EXPECT_TRUE(TookError("Background does not exist."));
  EXPECT_EQ(TileCount(), 2u);

  Call("tile_delete", {first});
  EXPECT_EQ(Call("tile_exists", {first}), 0);
  EXPECT_FALSE(TookError("Tile does not exist."));
  Call("tile_set_alpha", {first, 0.5});
  EXPECT_TRUE(TookError("Tile does not exist."));
  Call("tile_set_background", {second, 9});
  EXPECT_TRUE(TookError("Background does not exist."));
  EXPECT_EQ(Call("tile_get_background", {second}), 0);
}

TEST_F(TileFunctionsTest, FindUsesHalfOpenEdgesAndDeleteAtClosedOnes) {
  const double back = Add(0, 0, 0);
  const double front = Add(100, 0, -1);
  // The right edge: tile_find misses, tile_delete_at hits.
  EXPECT_EQ(Call("tile_find", {9.5, 5, 0}), back);
  EXPECT_EQ(Call("tile_find", {10, 5, 0}), -1);
  EXPECT_EQ(Call("tile_find", {105, 5, 1}), front);
  EXPECT_EQ(Call("tile_find", {105, 5, 0}), -1);
  // Depth 0 counts as background for finding, but either flag deletes it.
  EXPECT_EQ(Call("tile_find", {5, 5, 1}), -1);
  Call("tile_delete_at", {10, 10, 1});
  EXPECT_EQ(Call("tile_exists", {back}), 0);
  Call("tile_delete_at", {105, 5, 0});
  EXPECT_EQ(Call("tile_exists", {front}), 1);
  Call("tile_delete_at", {110, 10, 1});
  EXPECT_EQ(Call("tile_exists", {front}), 0);
}

TEST_F(TileFunctionsTest, LayerFunctionsWorkOnExactlyOneDepth) {
  const double a = Add(0, 0, 10);
  const double b = Add(50, 0, 10);
  const double c = Add(0, 0, 11);
  Call("tile_layer_hide", {10});
  EXPECT_EQ(Call("tile_get_visible", {a}), 0);
  EXPECT_EQ(Call("tile_get_visible", {b}), 0);
  EXPECT_EQ(Call("tile_get_visible", {c}), 1);
  Call("tile_layer_show", {10});
  EXPECT_EQ(Call("tile_get_visible", {a}), 1);
  Call("tile_layer_shift", {10, 5, -2});
  EXPECT_EQ(Call("tile_get_x", {b}), 55);
  EXPECT_EQ(Call("tile_get_y", {b}), -2);
  EXPECT_EQ(Call("tile_get_x", {c}), 0);
  EXPECT_EQ(Call("tile_layer_find", {10, 56, 0}), b);
  EXPECT_EQ(Call("tile_layer_find", {11, 56, 0}), -1);
  Call("tile_layer_delete_at", {10, 6, 0});
  EXPECT_EQ(Call("tile_exists", {a}), 0);
  EXPECT_EQ(Call("tile_exists", {c}), 1);
  Call("tile_layer_depth", {10, 11});
  EXPECT_EQ(Call("tile_get_depth", {b}), 11);
  Call("tile_layer_delete", {11});
  EXPECT_EQ(TileCount(), 0u);
}

}  // namespace
}  // namespace vendrel::graphics
