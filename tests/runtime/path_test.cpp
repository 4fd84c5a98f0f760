// Paths: positions along straight, smooth and closed paths, and instances
// following them with every end action, orientation, scale and speed
// factors, and the end-of-path event.
#include <cmath>

#include "tests/runtime/motion_fixture.h"

namespace vendrel::testing {
namespace {

using resources::CPath;
using resources::RPathPoint;
using runtime::CInstance;
using runtime::PathPosition;

CPath MakePath(std::vector<RPathPoint> points, int kind, bool closed, int precision = 4) {
  CPath path;
  path.points = std::move(points);
  path.kind = kind;
  path.closed = closed;
  path.precision = precision;
  path.Recompute();
  return path;
}

struct PointCase {
  double t, x, y, speed;
};

void ExpectPositions(const CPath& path, std::initializer_list<PointCase> cases) {
  for (const PointCase& c : cases) {
    const resources::RComputedPathPoint at = PathPosition(path, c.t);
    EXPECT_EQ(at.x, c.x) << "t=" << c.t;
    EXPECT_EQ(at.y, c.y) << "t=" << c.t;
    EXPECT_EQ(at.speed, c.speed) << "t=" << c.t;
  }
}

TEST(PathPosition, StraightPathsInterpolateBetweenControlPoints) {
  // Closed: the route returns to the first point.
  const CPath closed = MakePath({{0, 0, 100}, {100, 0, 100}}, 0, true);
  ASSERT_EQ(closed.path_points.size(), 3u);
  EXPECT_EQ(closed.total_length, 200);
  ExpectPositions(closed, {{0.75, 50, 0, 100}, {0.5, 100, 0, 100}, {1, 0, 0, 100}});

  // Open, with speed factors interpolated like the coordinates; t outside
  // 0..1 reads the nearest end.
  const CPath open = MakePath({{0, 0, 100}, {30, 40, 50}, {30, 100, 200}}, 0, false);
  EXPECT_EQ(open.total_length, 110);
  ExpectPositions(open, {{25.0 / 110, 15, 20, 75},
                         {80.0 / 110, 30, 70, 125},
                         {0, 0, 0, 100},
                         {-3, 0, 0, 100},
                         {7, 30, 100, 200},
                         {std::nan(""), 0, 0, 100}});
}

TEST(PathPosition, DegeneratePaths) {
  ExpectPositions(CPath(), {{0.5, 0, 0, 100}});
  const CPath single = MakePath({{7, 9, 60}}, 0, false);
  ExpectPositions(single, {{0.5, 7, 9, 60}});
  // Two equal points: length 0, the first point everywhere.
  const CPath still = MakePath({{3, 4, 10}, {3, 4, 90}}, 0, false);
  ExpectPositions(still, {{0.7, 3, 4, 10}});
}

TEST(PathPosition, SmoothOpenPathsSubdivideByPrecision) {
  // Two control points, or three at precision 0: only the ends.
  EXPECT_EQ(MakePath({{0, 0, 100}, {100, 0, 100}}, 1, false).path_points.size(), 2u);
  EXPECT_EQ(MakePath({{0, 0, 100}, {100, 0, 100}, {100, 100, 100}}, 1, false, 0)
                .path_points.size(),
            2u);

  struct Case {
    int precision;
    std::vector<std::pair<double, double>> points;
  };
  const Case cases[] = {
      {1, {{0, 0}, {87.5, 12.5}, {100, 100}}},
      {2, {{0, 0}, {71.875, 3.125}, {87.5, 12.5}, {96.875, 28.125}, {100, 100}}},
  };
  for (const Case& c : cases) {
    const CPath path = MakePath({{0, 0, 100}, {100, 0, 100}, {100, 100, 100}}, 1, false,
                                c.precision);
    ASSERT_EQ(path.path_points.size(), c.points.size()) << c.precision;
    for (size_t i = 0; i < c.points.size(); ++i) {
      EXPECT_EQ(path.path_points[i].x, c.points[i].first) << c.precision << " #" << i;
      EXPECT_EQ(path.path_points[i].y, c.points[i].second) << c.precision << " #" << i;
    }
  }
}

TEST(PathPosition, SmoothClosedPathStartsAtItsFirstCurvePoint) {
  const CPath square =
      MakePath({{0, 0, 100}, {100, 0, 100}, {100, 100, 100}, {0, 100, 100}}, 1, true, 1);
  // One curve point per corner, then the first again: four edges of 75.
  ASSERT_EQ(square.path_points.size(), 5u);
  EXPECT_EQ(square.total_length, 300);
  ExpectPositions(square, {{0, 87.5, 12.5, 100},
                           {0.125, 87.5, 50, 100},
                           {0.5, 12.5, 87.5, 100},
                           {1, 87.5, 12.5, 100}});
}

class PathFollowTest : public MotionGameTest {
 protected:
  // A game with one instance of an object without a sprite at (x, y) and a
  // path from (0, 0) to (100, 0) with speed factor [factor].
  CInstance& Start(double x, double y, double factor = 100) {
    line_ = AddPath("line", {{0, 0, factor}, {100, 0, factor}});
    const int o = AddObject("o");
    Place(AddRoom("r"), o, int(x), int(y));
    Begin();
    return At(0);
  }
  int line_ = -1;
};

TEST_F(PathFollowTest, EndActionsAtTheFarEnd) {
  struct Case {
    int endaction;
    double x_at_end, x_after;  // after step 4 (the end) and step 5
    bool following_after;
  };
  // Speed 25 on a path of 100 reaches the end exactly in step 4.
  const Case cases[] = {
      {runtime::kPathEndStop, 100, 100, false},
      {runtime::kPathEndRestart, 0, 25, true},
      {runtime::kPathEndContinue, 100, 125, true},
      {runtime::kPathEndReverse, 100, 75, true},
      {7, 100, 100, false},  // unknown actions stop
  };
  for (const Case& c : cases) {
    SetUp();
    CInstance& instance = Start(0, 0);
    runtime::StartPath(instance, line_, false, c.endaction, 0, 1, 25);
    for (int step = 1; step <= 3; ++step) {
      EXPECT_FALSE(runtime::StepPath(instance));
      EXPECT_EQ(instance.x, 25 * step) << c.endaction;
    }
    EXPECT_TRUE(runtime::StepPath(instance)) << c.endaction;
    EXPECT_EQ(instance.x, c.x_at_end) << c.endaction;
    runtime::StepPath(instance);
    EXPECT_EQ(instance.x, c.x_after) << c.endaction;
    EXPECT_EQ(instance.path_index >= 0, c.following_after) << c.endaction;
    // The path leaves the motion vector at 0.
    EXPECT_EQ(instance.hspeed, 0);
    EXPECT_EQ(instance.speed, 0);
    TearDown();
  }
}

TEST_F(PathFollowTest, RunningBackwardsStopsOrTurnsAtTheStart) {
  struct Case {
    int endaction;
    double x_after, path_speed_after;
  };
  const Case cases[] = {
      {runtime::kPathEndStop, 0, -25},
      {runtime::kPathEndRestart, 75, -25},
      // Landing exactly on the start turns there, not at the far end.
      {runtime::kPathEndReverse, 25, 25},
      {runtime::kPathEndContinue, -25, -25},
  };
  for (const Case& c : cases) {
    SetUp();
    CInstance& instance = Start(0, 0);
    runtime::StartPath(instance, line_, false, c.endaction, 0, 1, -25);
    EXPECT_EQ(instance.x, 100);  // an absolute path puts it on position 1
    for (int step = 1; step <= 3; ++step) EXPECT_FALSE(runtime::StepPath(instance));
    EXPECT_TRUE(runtime::StepPath(instance)) << c.endaction;
    EXPECT_EQ(instance.x, c.endaction == runtime::kPathEndRestart ? 100 : 0) << c.endaction;
    runtime::StepPath(instance);
    EXPECT_EQ(instance.x, c.x_after) << c.endaction;
    EXPECT_EQ(instance.path_speed, c.path_speed_after) << c.endaction;
    TearDown();
  }
}

TEST_F(PathFollowTest, RestartCarriesTheOvershoot) {
  CInstance& instance = Start(0, 0);
  runtime::StartPath(instance, line_, false, runtime::kPathEndRestart, 0, 1, 5);
  instance.path_position = 0.98;
  EXPECT_TRUE(runtime::StepPath(instance));
  EXPECT_NEAR(instance.path_position, 0.03, 1e-12);
  EXPECT_NEAR(instance.x, 3, 1e-9);
}

TEST_F(PathFollowTest, RelativePathsStartAtTheInstanceAndTurnWithOrientation) {
  CInstance& instance = Start(10, 20);
  runtime::StartPath(instance, line_, true, 0, 0, 1, 25);
  EXPECT_EQ(instance.path_xorigin, 10);
  EXPECT_EQ(instance.x, 10);
  runtime::StepPath(instance);
  EXPECT_EQ(instance.x, 35);
  EXPECT_EQ(instance.y, 20);
  EXPECT_EQ(instance.direction, 0);

  // Turned by 90 degrees and scaled by 2: the route goes up, twice as long,
  // still at 25 pixels per step.
  runtime::StartPath(instance, line_, true, 0, 90, 2, 25);
  runtime::StepPath(instance);
  EXPECT_NEAR(instance.x, 35, 1e-9);
  EXPECT_NEAR(instance.y, -5, 1e-9);
  EXPECT_EQ(instance.path_position, 0.125);
  EXPECT_EQ(instance.direction, 90);
}

TEST_F(PathFollowTest, SpeedFactorScalesTheAdvance) {
  CInstance& instance = Start(0, 0, 50);
  runtime::StartPath(instance, line_, false, 0, 0, 1, 25);
  runtime::StepPath(instance);
  EXPECT_EQ(instance.x, 12.5);
}

TEST_F(PathFollowTest, PathsThatCannotBeFollowedEndTheFollowing) {
  CInstance& instance = Start(0, 0);
  const int dot = AddPath("dot", {{5, 5, 100}});
  struct Case {
    int path;
    double scale;
  };
  for (const Case& c : {Case{dot, 1}, {99, 1}, {line_, -1}, {-1, 1}}) {
    instance.path_index = line_;
    runtime::StartPath(instance, c.path, false, 0, 0, c.scale, 10);
    EXPECT_EQ(instance.path_index, -1) << c.path << " " << c.scale;
    EXPECT_FALSE(runtime::StepPath(instance));
  }
  // A scale of 0 makes the advance infinite: the path stops at its end.
  runtime::StartPath(instance, line_, false, runtime::kPathEndRestart, 0, 1, 10);
  instance.path_scale = 0;
  EXPECT_TRUE(runtime::StepPath(instance));
  EXPECT_EQ(instance.path_index, -1);
  EXPECT_EQ(instance.path_position, 1);
  EXPECT_TRUE(std::isfinite(instance.x));
}

TEST_F(MotionGameTest, EndOfPathEventAndPathFunctionsInTheStep) {
  const int p = AddPath("p", {{0, 0, 100}, {100, 0, 100}});
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0, "path_start(" + std::to_string(p) + ", 25, 0, true)");
  // Speed set in the step is overwritten by the path.
  Code(o, resources::kEventStep, 0, "if (path_index >= 0) speed = 3");
  Code(o, resources::kEventStep, 2, "log(x, path_position, path_index)");
  Code(o, resources::kEventOther, 8, "log('end', x); path_start(-1, 0, 0, 0)");
  Place(AddRoom("r"), o, 50, 50);
  Play(5);
  EXPECT_EQ(Log(), Lines({"25 0.25 0", "50 0.50 0", "75 0.75 0", "end 100", "100 1 -1",
                          "100 1 -1"}));
}

TEST_F(MotionGameTest, PathEndStopsFollowing) {
  const int p = AddPath("p", {{0, 0, 100}, {100, 0, 100}});
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0, "path_start(" + std::to_string(p) + ", 10, 1, false)");
  Code(o, resources::kEventStep, 2, "log(x); if (x >= 30) path_end()");
  Place(AddRoom("r"), o, 5, 0);
  Play(5);
  EXPECT_EQ(Log(), Lines({"15", "25", "35", "35", "35"}));
}

}  // namespace
}  // namespace vendrel::testing
