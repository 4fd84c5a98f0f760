// The in-memory game of game_fixture.h with the motion, path, collision
// and input families and hooks installed, sprites drawn from text (for
// pixel masks), paths built from points, and a way to start the first room
// and work on its instances directly.
#pragma once

#include <string>
#include <vector>

#include "resources/path.h"
#include "runtime/collision.h"
#include "runtime/input.h"
#include "runtime/motion.h"
#include "runtime/path.h"
#include "tests/runtime/game_fixture.h"

namespace vendrel::testing {

class MotionGameTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    runtime::RegisterMotionFunctions();
    runtime::RegisterPathFunctions();
    runtime::RegisterCollisionFunctions();
    runtime::RegisterInputFunctions();
    runtime::InstallCollisionHooks();
    std::string error;
    ASSERT_TRUE(runtime::InstallInput("", &error)) << error;
  }

  void TearDown() override {
    runtime::ResetInput();
    GameTest::TearDown();
  }

  // A one-frame precise sprite drawn by [rows]: '#' solid, anything else
  // transparent; the bounding box is that of the solid pixels.
  int AddMaskSprite(const std::string& name, const std::vector<std::string>& rows,
                    int xorigin = 0, int yorigin = 0) {
    auto sprite = std::make_unique<resources::CSprite>();
    sprite->height = int(rows.size());
    sprite->width = rows.empty() ? 1 : int(rows[0].size());
    sprite->x_origin = xorigin;
    sprite->y_origin = yorigin;
    runner::CBitmap32 frame;
    frame.width = sprite->width;
    frame.height = sprite->height;
    for (const std::string& row : rows)
      for (char c : row) frame.pixels.push_back(c == '#' ? 0xFF000000u : 0x00FFFFFFu);
    sprite->frames.push_back(frame);
    sprite->ComputeBoundingBox();
    sprite->BuildMasks();
    return R().sprites.Add(std::move(sprite), name);
  }

  // A sprite of [width] by [height] solid pixels without masks.
  int AddBoxSprite(const std::string& name, int width, int height, int xorigin = 0,
                   int yorigin = 0) {
    const int index = AddSprite(name, width, height, 1, xorigin, yorigin);
    R().sprites.Get(index)->frames[0] = runner::CBitmap32{
        width, height, std::vector<uint32_t>(size_t(width * height), 0xFF000000u)};
    return index;
  }

  int AddPath(const std::string& name, const std::vector<resources::RPathPoint>& points,
              int kind = 0, bool closed = false, int precision = 4) {
    auto path = std::make_unique<resources::CPath>();
    path->points = points;
    path->kind = kind;
    path->closed = closed;
    path->precision = precision;
    path->Recompute();
    return R().paths.Add(std::move(path), name);
  }

  // Prepares the game and starts its first room (creation events run);
  // the step loop is not entered.
  void Begin() {
    ASSERT_TRUE(Prepare()) << code::Errors().last_error;
    runtime::StartGame();
  }

  runtime::CRunRoom& CurrentRoom() { return *runtime::CurrentRoom(); }
  // The [n]th instance of the current room's active list.
  runtime::CInstance& At(int n) { return *CurrentRoom().ActiveAt(n); }
  runtime::CInstance& Spawn(int object, double x, double y) {
    return *CurrentRoom().CreateInstance(object, x, y);
  }
};

}  // namespace vendrel::testing
