// Motion and placement: friction and gravity in the step, place_* tests,
// moving to contact and out of instances, bouncing, snapping, wrapping,
// random placement and distances.
#include <cmath>

#include "interpreter/random.h"
#include "tests/runtime/motion_fixture.h"

namespace vendrel::testing {
namespace {

using runtime::CInstance;

TEST_F(MotionGameTest, FrictionAndGravityApplyBeforeTheMove) {
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0, "speed = 5; friction = 1; gravity = 0.5");
  Code(o, resources::kEventStep, 2, "log(round(x * 1000), round(y * 1000))");
  Place(AddRoom("r"), o, 0, 0);
  Play(2);
  // Step 1: speed 5 - 1 to the right, then 0.5 down: (4, 0.5).
  // Step 2: friction shortens the whole vector (4, 0.5) by 1 to
  // (3.00772, 0.37597), gravity adds 0.5 down: (7.00772, 1.37597).
  EXPECT_EQ(Log(), Lines({"4000 500", "7008 1376"}));
}

TEST_F(MotionGameTest, FrictionAloneStopsWithoutReversing) {
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0, "motion_set(0, 2.5); friction = 1");
  Code(o, resources::kEventStep, 2, "log(x, speed)");
  Place(AddRoom("r"), o, 0, 0);
  Play(4);
  EXPECT_EQ(Log(), Lines({"1.50 1.50", "2 0.50", "2 0", "2 0"}));
}

TEST_F(MotionGameTest, GravityAccumulatesIntoVspeed) {
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0, "gravity = 0.5");
  Code(o, resources::kEventStep, 2, "log(y, vspeed, direction)");
  Place(AddRoom("r"), o, 0, 0);
  Play(3);
  EXPECT_EQ(Log(), Lines({"0.50 0.50 270", "1.50 1 270", "3 1.50 270"}));
}

TEST_F(MotionGameTest, MotionFunctionsSetTheVector) {
  const int o = AddObject("o");
  Code(o, resources::kEventCreate, 0,
       "motion_set(90, 3); log(hspeed, vspeed, direction);"
       "motion_add(0, 4); log(hspeed, vspeed, speed);"
       "move_towards_point(x + 3, y + 4, 10); log(hspeed, vspeed);"
       "move_towards_point(x, y, 2); log(direction, hspeed)");
  Place(AddRoom("r"), o, 10, 10);
  Begin();
  EXPECT_EQ(Log(), Lines({"0 -3 90", "4 -3 5", "6 8", "0 2"}));
}

// A 16 by 16 mover at (0, 0) and a solid 16 by 16 wall at (32, 0).
class PlacementTest : public MotionGameTest {
 protected:
  void SetUp() override {
    MotionGameTest::SetUp();
    box_ = AddBoxSprite("box", 16, 16);
    mover_ = AddObject("mover");
    wall_ = AddObject("wall");
    ghost_ = AddObject("ghost");
    Object(mover_).sprite = box_;
    Object(wall_).sprite = box_;
    Object(wall_).solid = true;
    Object(ghost_).sprite = box_;
    room_ = AddRoom("r");
    Place(room_, mover_, 0, 0);
    Place(room_, wall_, 32, 0);
  }
  CInstance& Mover() { return At(0); }
  CInstance& Wall() { return At(1); }
  int box_ = -1, mover_ = -1, wall_ = -1, ghost_ = -1, room_ = -1;
};

TEST_F(PlacementTest, PlaceFreeEmptyAndMeeting) {
  Place(room_, ghost_, 24, 20);
  Begin();
  CInstance& mover = Mover();
  struct Case {
    double x, y;
    bool free, empty;
    int place;  // instance_place(x, y, all)
  };
  const Case cases[] = {
      {16, 0, true, true, -4},
      {16.6, 0, false, false, Wall().id},  // rounds to 17: overlaps at 32
      {10, 25, true, false, At(2).id},     // the non-solid ghost
      {20, 10, false, false, Wall().id},   // both: the wall comes first
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runtime::PlaceFree(mover, c.x, c.y), c.free) << c.x << "," << c.y;
    EXPECT_EQ(runtime::PlaceEmpty(mover, c.x, c.y), c.empty) << c.x << "," << c.y;
    EXPECT_EQ(runtime::InstancePlace(mover, c.x, c.y, runtime::kAllInstances), c.place)
        << c.x << "," << c.y;
    // The instance is back where it was.
    EXPECT_EQ(mover.x, 0);
    EXPECT_EQ(mover.bbox_right, 15);
  }
  // Object arguments: by object, by id, self never meets itself.
  EXPECT_EQ(runtime::InstancePlace(mover, 20, 0, wall_), Wall().id);
  EXPECT_EQ(runtime::InstancePlace(mover, 20, 0, Wall().id), Wall().id);
  EXPECT_EQ(runtime::InstancePlace(mover, 20, 0, ghost_), -4);
  EXPECT_EQ(runtime::InstancePlace(mover, 0, 0, mover.id), -4);
}

TEST_F(PlacementTest, PlaceMeetingReplacesSelfAndOther) {
  const int tester = AddObject("tester");
  Code(tester, resources::kEventCreate, 0,
       "with (mover) log(place_meeting(20, 0, wall), place_meeting(20, 0, -1),"
       " place_meeting(x, y, -2), place_meeting(195, 0, -2), place_free(20, 0),"
       " place_empty(x, y))");
  Object(tester).sprite = box_;
  Place(room_, tester, 200, 0);
  Begin();
  // Inside with, other is the tester at (200, 0); the mover never meets
  // itself.
  EXPECT_EQ(Log(), Lines({"1 0 0 1 0 1"}));
}

TEST_F(PlacementTest, MoveContactAndOutside) {
  Begin();
  CInstance& mover = Mover();
  struct Case {
    double start_x, direction, maxdist;
    bool solid_only, outside;
    double end_x;
  };
  const Case cases[] = {
      {0, 0, 0, true, false, 16},     // up to the wall
      {0, 0, 5, true, false, 5},      // at most 5 pixels
      {0, 0, 0.4, true, false, 0},    // round(0.4) = 0 steps
      {0, 180, 0, true, false, -1000},  // nothing in the way: 1000 pixels
      {20, 0, 0, true, false, 20},    // not free where it is: stays
      {40, 180, 0, true, true, 16},   // out of the wall to the left
      {40, 0, 0, true, true, 48},     // or to the right
      {40, 0, 3, true, true, 43},     // at most 3 pixels
  };
  for (const Case& c : cases) {
    mover.SetPosition(c.start_x, 0);
    if (c.outside)
      runtime::MoveOutside(mover, c.direction, c.maxdist, c.solid_only);
    else
      runtime::MoveContact(mover, c.direction, c.maxdist, c.solid_only);
    EXPECT_NEAR(mover.x, c.end_x, 1e-9) << c.start_x << " dir " << c.direction;
  }
}

TEST_F(PlacementTest, MoveContactChoosesByFreedomAndCountsAllForTheAllForm) {
  Place(room_, ghost_, 0, 40);
  const int tester = AddObject("tester");
  Code(tester, resources::kEventCreate, 0,
       "with (mover) { move_contact(0); log(x); x = 40; move_contact(180); log(x);"
       " x = 0; y = 0; move_contact_all(270, 0); log(y); move_contact_solid(270, 100); log(y) }");
  Place(room_, tester, 300, 300);
  Begin();
  // move_contact_all stops above the ghost; the solid form passes it
  // only when it starts free of solids.
  EXPECT_EQ(Log(), Lines({"16", "16", "24", "124"}));
}

TEST_F(PlacementTest, BounceAgainstAWall) {
  Begin();
  CInstance& mover = Mover();
  // Not advanced: overlapping the wall, back to the previous position;
  // only the horizontal part is blocked, so hspeed flips.
  mover.SetPosition(17, 0);
  mover.xprevious = 13;
  mover.yprevious = 0;
  mover.SetHSpeed(4);
  mover.SetVSpeed(2);
  runtime::MoveBounce(mover, false, true);
  EXPECT_EQ(mover.x, 13);
  EXPECT_EQ(mover.hspeed, -4);
  EXPECT_EQ(mover.vspeed, 2);

  // Both parts blocked: both flip.
  Spawn(wall_, 13, 20).solid = true;
  mover.SetHSpeed(4);
  mover.SetVSpeed(6);
  runtime::MoveBounce(mover, false, true);
  EXPECT_EQ(mover.hspeed, -4);
  EXPECT_EQ(mover.vspeed, -6);

  // Advanced, heading straight at the wall: directions 30 degrees either
  // side are free, so it turns right round.
  mover.SetPosition(13, -40);
  Wall().SetPosition(32, -40);
  mover.xprevious = 13;
  mover.yprevious = -40;
  mover.SetDirection(0);
  mover.SetSpeed(4);
  runtime::MoveBounce(mover, true, true);
  EXPECT_EQ(mover.direction, 180);

  // Advanced with nothing near: no bounce, the direction stays.
  mover.SetPosition(300, 300);
  mover.SetDirection(20);
  runtime::MoveBounce(mover, true, true);
  EXPECT_EQ(mover.direction, 20);
}

TEST_F(PlacementTest, BounceAllCountsNonSolidInstances) {
  Place(room_, ghost_, 0, 20);
  Begin();
  CInstance& mover = Mover();
  mover.SetVSpeed(8);
  runtime::MoveBounce(mover, false, true);
  EXPECT_EQ(mover.vspeed, 8);
  runtime::MoveBounce(mover, false, false);
  EXPECT_EQ(mover.vspeed, -8);
}

TEST_F(MotionGameTest, SnapWrapAndDistances) {
  const int box = AddBoxSprite("box", 16, 16);
  const int o = AddObject("o");
  Object(o).sprite = box;
  const int r = AddRoom("r");
  Room(r).width = 640;
  Room(r).height = 480;
  Place(r, o, 20, 9);
  Place(r, o, 100, 0);
  Begin();
  CInstance& a = At(0);
  EXPECT_FALSE(runtime::PlaceSnapped(a, 16, 16));
  EXPECT_TRUE(runtime::PlaceSnapped(a, 0, 9));
  EXPECT_TRUE(runtime::PlaceSnapped(a, 10, 0));
  runtime::MoveSnap(a, 16, 16);
  EXPECT_EQ(a.x, 16);
  EXPECT_EQ(a.y, 16);
  EXPECT_EQ(a.bbox_left, 16);

  struct WrapCase {
    double x, y, margin;
    double wrapped_x, wrapped_y;
  };
  for (const WrapCase& c : {WrapCase{-5, 490, 0, 635, 10}, {650, -1, 0, 10, 479},
                            {-5, 10, 8, -5, 10}, {-10, 10, 8, 646, 10}}) {
    a.SetPosition(c.x, c.y);
    runtime::MoveWrap(a, true, true, c.margin);
    EXPECT_EQ(a.x, c.wrapped_x) << c.x << "," << c.y;
    EXPECT_EQ(a.y, c.wrapped_y) << c.x << "," << c.y;
  }
  a.SetPosition(-5, -5);
  runtime::MoveWrap(a, false, true, 0);
  EXPECT_EQ(a.x, -5);

  a.SetPosition(0, 0);  // box 0..15
  struct DistanceCase {
    double x, y, distance;
  };
  for (const DistanceCase& c : {DistanceCase{20, 5, 5}, {5, 5, 0}, {-3, 5, 3}, {18, 19, 5},
                                {15, 15, 0}}) {
    EXPECT_EQ(runtime::DistanceToPoint(a, c.x, c.y), c.distance) << c.x << "," << c.y;
  }
  // Box to box: 100 - 15 = 85 to the right.
  EXPECT_EQ(runtime::DistanceToObject(a, nullptr, o), 85);
  EXPECT_EQ(runtime::DistanceToObject(a, &At(1), -2), 85);
  EXPECT_EQ(runtime::DistanceToObject(a, nullptr, a.id), 1000000);
  EXPECT_EQ(runtime::DistanceToObject(a, nullptr, 55), 1000000);
  At(1).destroyed = true;
  EXPECT_EQ(runtime::DistanceToObject(a, nullptr, o), 1000000);
}

TEST_F(PlacementTest, MoveRandomFindsAFreeSnappedPlaceInTheRoom) {
  Room(room_).width = 128;
  Room(room_).height = 64;
  Begin();
  CInstance& mover = Mover();
  interp::SeedRandom(5);
  for (int attempt = 0; attempt < 30; ++attempt) {
    runtime::MoveRandom(mover, 16, 8);
    EXPECT_EQ(std::fmod(mover.x, 16), 0) << mover.x;
    EXPECT_EQ(std::fmod(mover.y, 8), 0) << mover.y;
    EXPECT_GE(mover.bbox_left, 0);
    EXPECT_LE(mover.bbox_right, 128);
    EXPECT_GE(mover.bbox_top, 0);
    EXPECT_LE(mover.bbox_bottom, 64);
    EXPECT_TRUE(runtime::PlaceFree(mover, mover.x, mover.y));
  }
  // A room smaller than the box leaves the range start.
  Room(room_).width = 8;
  CurrentRoom().data.width = 8;
  CurrentRoom().data.height = 8;
  mover.SetPosition(40, 40);
  runtime::MoveRandom(mover, 0, 0);
  EXPECT_EQ(mover.x, 0);
  EXPECT_EQ(mover.y, 0);
}

}  // namespace
}  // namespace vendrel::testing
