// Collisions: the point, rectangle, ellipse, line and instance tests by
// bounding box and by pixel mask (scaled and rotated), the searches, the
// collision events with solid instances, and the outside room and
// intersect boundary events.
#include "runtime/collision_masks.h"
#include "tests/runtime/motion_fixture.h"

namespace vendrel::testing {
namespace {

using runtime::CInstance;

const std::vector<std::string> kDiagonal = {"#...", ".#..", "..#.", "...#"};

class ShapeTest : public MotionGameTest {
 protected:
  // One instance of an object with [sprite] at (x, y).
  CInstance& One(int sprite, double x, double y) {
    const int o = AddObject("o");
    Object(o).sprite = sprite;
    Place(AddRoom("r"), o, int(x), int(y));
    Begin();
    return At(0);
  }
};

TEST_F(ShapeTest, PointTestByBoxAndByMask) {
  CInstance& diagonal = One(AddMaskSprite("d", kDiagonal), 10, 10);
  ASSERT_TRUE(diagonal.precise);
  struct Case {
    double x, y;
    bool by_box, by_mask;
  };
  const Case cases[] = {
      {10, 10, true, true},    {11, 10, true, false},  {13, 13, true, true},
      {13.4, 12.6, true, true}, {13.6, 13, false, false}, {9.5, 10, true, true},  // 9.5 -> 10
      {12, 11, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runtime::PointTest(diagonal, c.x, c.y, false), c.by_box) << c.x << "," << c.y;
    EXPECT_EQ(runtime::PointTest(diagonal, c.x, c.y, true), c.by_mask) << c.x << "," << c.y;
  }
  diagonal.destroyed = true;
  EXPECT_FALSE(runtime::PointTest(diagonal, 10, 10, false));
}

TEST_F(ShapeTest, ScaledAndRotatedMasks) {
  CInstance& instance = One(AddMaskSprite("d", kDiagonal), 10, 10);
  // Twice as wide: each mask column covers two room columns.
  instance.SetImageXScale(2);
  EXPECT_EQ(instance.bbox_right, 16);
  struct Case {
    double x, y;
    bool hit;
  };
  for (const Case& c : {Case{11, 10, true}, {12, 10, false}, {12, 11, true}, {13, 11, true},
                        {16, 13, true}, {15, 13, false}}) {
    EXPECT_EQ(runtime::PointTest(instance, c.x, c.y, true), c.hit) << c.x << "," << c.y;
  }

  // A solid 4 by 4 block at the top left (and one pixel at the bottom
  // right, so that the box is the whole frame), turned by 180 degrees
  // about the origin: the block now lies left of and above the origin.
  const int corner = AddMaskSprite("corner", {"####....", "####....", "####....", "####....",
                                              "........", "........", "........", ".......#"});
  instance.SetImageXScale(1);
  instance.SetSprite(corner);
  instance.SetImageAngle(180);
  EXPECT_EQ(instance.bbox_left, 3);
  EXPECT_EQ(instance.bbox_right, 10);
  EXPECT_EQ(instance.bbox_top, 3);
  EXPECT_EQ(instance.bbox_bottom, 10);
  for (const Case& c : {Case{8, 6, true}, {7, 8, true}, {4, 6, false}, {5, 9, false},
                        {9, 4, false}}) {
    EXPECT_EQ(runtime::PointTest(instance, c.x, c.y, true), c.hit) << c.x << "," << c.y;
  }
}

TEST_F(ShapeTest, RectangleEllipseAndLineTests) {
  CInstance& box = One(AddBoxSprite("box", 16, 16), 0, 0);  // box 0..15
  struct Case {
    const char* shape;
    double x1, y1, x2, y2;
    bool hit;
  };
  const Case cases[] = {
      {"rectangle", 15.4, 15.4, 30, 30, true},
      {"rectangle", 15.6, 0, 30, 30, false},
      {"rectangle", 30, 30, -5, 2, true},  // corners in any order
      {"ellipse", 16, 16, 30, 30, false},  // outside the box test
      {"ellipse", 10, 10, 30, 30, true},   // the corner (15, 15) is inside
      {"ellipse", 14, 14, 40, 40, false},  // the box meets, the ellipse not
      {"ellipse", 5, 10, 8, 40, true},     // the box spans the centre's column
      {"ellipse", 3, 12, 3, 30, true},     // flat: its rectangle
      {"line", -10, 20, 20, -10, true},
      {"line", 20, -10, -10, 20, true},    // either direction
      {"line", -10, 30, 30, 14, false},    // clipped to the box, it runs below
      {"line", 5, -10, 5, 40, true},       // vertical
      {"line", 16, -10, 16, 40, false},
  };
  for (const Case& c : cases) {
    const std::string shape = c.shape;
    bool hit;
    if (shape == "rectangle")
      hit = runtime::RectangleTest(box, c.x1, c.y1, c.x2, c.y2, true);
    else if (shape == "ellipse")
      hit = runtime::EllipseTest(box, c.x1, c.y1, c.x2, c.y2, true);
    else
      hit = runtime::LineTest(box, c.x1, c.y1, c.x2, c.y2, true);
    EXPECT_EQ(hit, c.hit) << shape << " " << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
  }
}

TEST_F(ShapeTest, ShapesAgainstPixelMasks) {
  CInstance& diagonal = One(AddMaskSprite("d", kDiagonal), 0, 0);
  struct Case {
    const char* shape;
    double x1, y1, x2, y2;
    bool by_box, by_mask;
  };
  const Case cases[] = {
      {"rectangle", 1, 0, 3, 0, true, false},
      {"rectangle", 2, 0, 3, 2, true, true},
      {"line", 0, 3, 3, 3, true, true},   // flat: the rectangle of its ends
      {"line", 0, 1, 2, 3, true, false},  // runs beside the diagonal
      {"line", 0, 0, 3, 2, true, true},
      {"line", 3, 0, 1, 3, true, false},  // steep, sampled per row
      {"line", 3, 3, 0, -3, true, true},
      {"ellipse", 1, -2, 5, 2, true, false},
      {"ellipse", 0, 0, 3, 3, true, true},
  };
  for (const Case& c : cases) {
    const std::string shape = c.shape;
    for (bool prec : {false, true}) {
      bool hit;
      if (shape == "rectangle")
        hit = runtime::RectangleTest(diagonal, c.x1, c.y1, c.x2, c.y2, prec);
      else if (shape == "ellipse")
        hit = runtime::EllipseTest(diagonal, c.x1, c.y1, c.x2, c.y2, prec);
      else
        hit = runtime::LineTest(diagonal, c.x1, c.y1, c.x2, c.y2, prec);
      EXPECT_EQ(hit, prec ? c.by_mask : c.by_box)
          << shape << " " << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2 << " prec "
          << prec;
    }
  }
}

TEST_F(MotionGameTest, InstancesCollideByBoxOrByMask) {
  const int diagonal = AddMaskSprite("d", kDiagonal);
  const int dot = AddBoxSprite("dot", 1, 1);
  const int a = AddObject("a"), b = AddObject("b"), c = AddObject("c");
  Object(a).sprite = diagonal;
  Object(b).sprite = diagonal;
  Object(c).sprite = dot;
  const int r = AddRoom("r");
  Place(r, a, 0, 0);
  Place(r, b, 1, 0);
  Place(r, c, 1, 0);
  Begin();
  CInstance& first = At(0);
  CInstance& second = At(1);
  CInstance& pixel = At(2);
  struct Case {
    double bx, by;
    bool by_box, by_mask;
  };
  // The diagonals side by side never share a pixel; shifted down by one
  // they meet.
  for (const Case& k : {Case{1, 0, true, false}, {1, 1, true, true}, {3, 3, true, true},
                        {4, 0, false, false}}) {
    second.SetPosition(k.bx, k.by);
    EXPECT_EQ(runtime::InstancesOverlap(first, second, false), k.by_box) << k.bx << "," << k.by;
    EXPECT_EQ(runtime::InstancesOverlap(first, second, true), k.by_mask) << k.bx << "," << k.by;
    EXPECT_EQ(runtime::InstancesOverlap(second, first, true), k.by_mask) << k.bx << "," << k.by;
  }
  // A precise instance collides precisely with one that is not.
  ASSERT_FALSE(pixel.precise);
  EXPECT_FALSE(runtime::InstancesOverlap(first, pixel, true));
  pixel.SetPosition(1, 1);
  EXPECT_TRUE(runtime::InstancesOverlap(pixel, first, true));
  EXPECT_FALSE(runtime::InstancesOverlap(first, first, false));
  pixel.destroyed = true;
  EXPECT_FALSE(runtime::InstancesOverlap(first, pixel, false));
}

TEST(MaskTests, FramesWrapAndScaleZeroFindsNothing) {
  resources::CSprite sprite;
  sprite.width = 2;
  sprite.height = 1;
  // Frame 0: left pixel solid; frame 1: right pixel solid.
  sprite.frames = {runner::CBitmap32{2, 1, {0xFF000000u, 0u}},
                   runner::CBitmap32{2, 1, {0u, 0xFF000000u}}};
  sprite.BuildMasks();
  runtime::MaskPlacement mask;
  mask.sprite = &sprite;
  mask.left = mask.top = mask.bottom = 0;
  mask.right = 1;
  struct Case {
    int frame, px;
    bool hit;
  };
  for (const Case& c : {Case{0, 0, true}, {0, 1, false}, {1, 1, true}, {3, 1, true},
                        {-1, 1, true}, {-2, 0, true}}) {
    mask.frame = c.frame;
    EXPECT_EQ(runtime::MaskHitsPoint(mask, c.px, 0), c.hit) << c.frame << " " << c.px;
  }
  mask.frame = 0;
  mask.xscale = 0;
  EXPECT_FALSE(runtime::MaskHitsPoint(mask, 0, 0));
  EXPECT_FALSE(runtime::MaskHitsRectangle(mask, 0, 0, 1, 0));
}

class SearchTest : public MotionGameTest {
 protected:
  void SetUp() override {
    MotionGameTest::SetUp();
    const int box = AddBoxSprite("box", 10, 10);
    parent_ = AddObject("parent");
    child_ = AddObject("child", parent_);
    other_ = AddObject("other");
    for (int o : {parent_, child_, other_}) Object(o).sprite = box;
    const int r = AddRoom("r");
    Place(r, child_, 0, 0);    // 100001
    Place(r, parent_, 5, 0);   // 100002
    Place(r, other_, 100, 0);  // 100003
    Begin();
  }
  int parent_ = -1, child_ = -1, other_ = -1;
};

TEST_F(SearchTest, CollisionSearchesFollowTheObjectArgument) {
  CInstance* self = &At(0);
  struct Case {
    int obj;
    bool notme;
    int found;
  };
  // The point (7, 5) lies in the first two instances.
  const Case cases[] = {
      {-3, false, 100001},  {-3, true, 100002},    {parent_, false, 100001},
      {child_, true, -4},   {100002, false, 100002}, {other_, false, -4},
      {-1, false, -4},      {55, false, -4},       {100009, false, -4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runtime::CollisionPoint(self, 7, 5, c.obj, false, c.notme), c.found)
        << c.obj << " notme " << c.notme;
  }
  EXPECT_EQ(runtime::CollisionRectangle(self, 50, 0, 200, 2, -3, false, false), 100003);
  EXPECT_EQ(runtime::CollisionEllipse(self, 12, 3, 30, 9, -3, false, false), 100002);
  EXPECT_EQ(runtime::CollisionLine(self, 50, 5, 95, 5, -3, false, false), -4);
  EXPECT_EQ(runtime::CollisionLine(self, 50, 5, 100, 5, -3, false, false), 100003);
  EXPECT_EQ(runtime::InstancePosition(7, 5, other_), -4);
  EXPECT_EQ(runtime::InstancePosition(100, 9, other_), 100003);
  At(1).destroyed = true;
  EXPECT_EQ(runtime::CollisionPoint(self, 7, 5, -3, false, true), -4);
}

TEST_F(SearchTest, NearestAndFurthest) {
  struct Case {
    double x, y;
    int obj, nearest, furthest;
  };
  const Case cases[] = {
      {0, 0, -3, 100001, 100003},
      {3, 0, parent_, 100002, 100001},  // the family of parent: child and parent
      {2.5, 0, parent_, 100001, 100001},  // equal distances: the first both ways
      {0, 0, 100003, -4, -4},           // an id names no family
      {0, 0, 42, -4, -4},
      {200000, 0, -3, -4, 100001},      // 100000 pixels or more is never nearest
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runtime::InstanceNearest(c.x, c.y, c.obj), c.nearest) << c.x << " obj " << c.obj;
    EXPECT_EQ(runtime::InstanceFurthest(c.x, c.y, c.obj), c.furthest) << c.x << " obj " << c.obj;
  }
}

TEST_F(SearchTest, SearchFunctionsFromGameCode) {
  const int tester = AddObject("tester");
  Code(tester, resources::kEventCreate, 0,
       "log(collision_point(7, 5, all, false, false), collision_circle(20, 5, 8, all, 0, 0),"
       " collision_circle(60, 5, 30, all, 0, 0), instance_position(7, 5, child),"
       " position_empty(50, 50), position_empty(7, 5), instance_nearest(90, 0, all),"
       " instance_furthest(90, 0, all))");
  ASSERT_TRUE(Prepare());
  Spawn(tester, 300, 300);
  interp::PerformEvent(&At(3), &At(3), resources::kEventCreate, 0);
  // The tester itself, far away, is the furthest.
  EXPECT_EQ(Log(), Lines({"100001 100002 -4 100001 1 0 100003 100004"}));
}

// Collision events ------------------------------------------------------------

class CollisionEventTest : public MotionGameTest {
 protected:
  void SetUp() override {
    MotionGameTest::SetUp();
    box_ = AddBoxSprite("box", 16, 16);
    a_ = AddObject("a");
    b_ = AddObject("b");
    Object(a_).sprite = box_;
    Object(b_).sprite = box_;
    room_ = AddRoom("r");
  }
  int box_ = -1, a_ = -1, b_ = -1, room_ = -1;
};

TEST_F(CollisionEventTest, SolidInstancesMoveBackAndMoveAgain) {
  Object(a_).solid = true;
  Object(b_).solid = true;
  Code(a_, resources::kEventCreate, 0, "hspeed = 4");
  Code(b_, resources::kEventCreate, 0, "hspeed = -4");
  Code(a_, resources::kEventCollision, b_, "log('a meets b', x, other.x)");
  Code(b_, resources::kEventCollision, a_, "log('b meets a', x, other.x)");
  Code(a_, resources::kEventStep, 2, "log('a', x)");
  Place(room_, a_, 0, 0);
  Place(room_, b_, 24, 0);
  Play(3);
  // Step 2 would overlap (8 and 16): both go back to (4, 20), their events
  // run there, they move by their speeds again and, still overlapping, go
  // back once more. Only pair (a, b) sees them overlap.
  EXPECT_EQ(Log(), Lines({"a 4", "a meets b 4 20", "b meets a 20 4", "a 4", "a meets b 4 20",
                          "b meets a 20 4", "a 4"}));
}

TEST_F(CollisionEventTest, EventsThatTurnTheInstancesLetThemMoveApart) {
  Object(a_).solid = true;
  Code(a_, resources::kEventCreate, 0, "hspeed = 4");
  Code(b_, resources::kEventCreate, 0, "hspeed = -4");
  Code(a_, resources::kEventCollision, b_, "hspeed = -hspeed; other.hspeed = -other.hspeed");
  Code(a_, resources::kEventStep, 2, "log(x, b.x)");
  Place(room_, a_, 0, 0);
  Place(room_, b_, 24, 0);
  Play(3);
  EXPECT_EQ(Log(), Lines({"4 20", "0 24", "-4 28"}));
}

TEST_F(CollisionEventTest, NonSolidBulletMovesBackBeforeItsEventAtAWall) {
  Object(b_).solid = true;  // the wall
  Code(a_, resources::kEventCreate, 0, "hspeed = 8");
  Code(a_, resources::kEventCollision, b_, "log('hit', x, xprevious)");
  Code(a_, resources::kEventStep, 2, "log('end', x)");
  Place(room_, a_, 0, 0);
  Place(room_, b_, 20, 0);
  Play(2);
  EXPECT_EQ(Log(), Lines({"hit 0 0", "end 0", "hit 0 0", "end 0"}));
}

TEST_F(CollisionEventTest, NonSolidPairsRunBothEventsInBothOrders) {
  Code(a_, resources::kEventCollision, b_, "log('a', id)");
  Code(b_, resources::kEventCollision, a_, "log('b', id)");
  Place(room_, a_, 0, 0);
  Place(room_, b_, 8, 0);
  Place(room_, b_, 100, 0);  // meets nobody
  Play(1);
  EXPECT_EQ(Log(), Lines({"a 100001", "b 100002", "b 100002", "a 100001"}));
}

TEST_F(CollisionEventTest, ParentEventsAndSelfCollisions) {
  // A child of b meets a through a's event with b; a meets itself.
  const int child = AddObject("child", b_);
  Object(child).sprite = box_;
  Code(a_, resources::kEventCollision, b_, "log('a with b-family', other.object_index)");
  Code(a_, resources::kEventCollision, a_, "log('a with a', id, other.id)");
  Place(room_, a_, 0, 0);
  Place(room_, a_, 4, 0);
  Place(room_, child, 40, 0);
  Place(room_, a_, 36, 10);
  Play(1);
  // Pair (a, a) meets the first two both ways round, each time running
  // both instances' events; pair (a, child) finds a's event with b.
  EXPECT_EQ(Log(), Lines({"a with a 100001 100002", "a with a 100002 100001",
                          "a with a 100002 100001", "a with a 100001 100002",
                          "a with b-family " + std::to_string(child)}));
}

TEST_F(CollisionEventTest, SolidCollisionRestoresThePathPosition) {
  const int p = AddPath("p", {{0, 0, 100}, {100, 0, 100}});
  Object(b_).solid = true;
  Code(a_, resources::kEventCreate, 0, "path_start(" + std::to_string(p) + ", 10, 0, false)");
  Code(a_, resources::kEventCollision, b_, "hits = 1");
  Code(a_, resources::kEventStep, 2, "log(x, path_position)");
  Place(room_, a_, 0, 0);
  Place(room_, b_, 36, 0);
  Play(4);
  // Step 3 would reach x = 30 (box 30..45) and meet the wall at 36: back
  // to 20 and position 0.2; the path step after the event carries it to
  // 30 again, which still meets the wall, so back once more.
  EXPECT_EQ(Log(), Lines({"10 0.10", "20 0.20", "20 0.20", "20 0.20"}));
}

TEST_F(MotionGameTest, OutsideAndBoundaryEvents) {
  const int box = AddBoxSprite("box", 16, 16);
  const int o = AddObject("o");
  Object(o).sprite = box;
  Code(o, resources::kEventCreate, 0, "hspeed = 10");
  Code(o, resources::kEventOther, 0, "log('outside', x)");
  Code(o, resources::kEventOther, 1, "log('boundary', x)");
  const int r = AddRoom("r");
  Room(r).width = 100;
  Room(r).height = 100;
  Place(r, o, 70, 50);
  Play(5);
  // Box right edge 95, 105, 115...: inside, then crossing the edge until
  // the left edge passes 100.
  EXPECT_EQ(Log(), Lines({"boundary 90", "boundary 100", "outside 110", "boundary 110",
                          "outside 120", "boundary 120"}));
}

}  // namespace
}  // namespace vendrel::testing
