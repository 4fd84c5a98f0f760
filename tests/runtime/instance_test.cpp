// CInstance state: the coupled motion fields, friction and gravity, the
// sprite-based bounding box, sprite changes and copying.
#include <cmath>

#include "tests/runtime/game_fixture.h"

namespace vendrel::testing {
namespace {

using runtime::CInstance;

TEST_F(GameTest, MotionFieldsStayCoupled) {
  CInstance instance(100001, -1, 0, 0);
  instance.SetHSpeed(3);
  instance.SetVSpeed(-3);
  EXPECT_EQ(instance.direction, 45);
  EXPECT_DOUBLE_EQ(instance.speed, std::sqrt(18.0));

  // Results within 1e-4 of an integer snap to it.
  instance.SetSpeed(0);
  instance.SetDirection(90);
  instance.SetSpeed(2);
  EXPECT_EQ(instance.hspeed, 0);
  EXPECT_EQ(instance.vspeed, -2);

  struct DirectionCase {
    double set, stored;
  };
  for (DirectionCase c : {DirectionCase{370, 10}, {-90, 270}, {720, 0}, {359.5, 359.5}}) {
    instance.SetDirection(c.set);
    EXPECT_EQ(instance.direction, c.stored) << c.set;
  }

  // A negative speed keeps its sign and points against the direction.
  instance.SetDirection(0);
  instance.SetSpeed(-2);
  EXPECT_EQ(instance.hspeed, -2);
  EXPECT_EQ(instance.speed, -2);

  struct VectorCase {
    double h, v, direction;
  };
  for (VectorCase c : {VectorCase{0, 5, 270}, {0, -5, 90}, {-1, 0, 180}, {0, 0, 0}, {1, 1, 315}}) {
    instance.hspeed = 99;
    instance.SetHSpeed(c.h);
    instance.SetVSpeed(c.v);
    EXPECT_EQ(instance.direction, c.direction) << c.h << "," << c.v;
    EXPECT_GE(instance.speed, 0);
  }
}

TEST_F(GameTest, FrictionSlowsToZeroWithoutReversing) {
  struct Case {
    double speed, friction, expected;
  };
  const Case cases[] = {{0.3, 0.5, 0}, {-1, 0.5, -0.5}, {2, 0.5, 1.5}, {0, 0.5, 0},
                        {1, -0.5, 1.5}};
  for (const Case& c : cases) {
    CInstance instance(100001, -1, 0, 0);
    instance.SetSpeed(c.speed);
    instance.friction = c.friction;
    instance.ApplyFrictionAndGravity();
    EXPECT_DOUBLE_EQ(instance.speed, c.expected) << c.speed << " - " << c.friction;
  }
  CInstance falling(100001, -1, 0, 0);
  falling.gravity = 0.5;
  falling.ApplyFrictionAndGravity();
  falling.ApplyFrictionAndGravity();
  EXPECT_EQ(falling.vspeed, 1);
  EXPECT_EQ(falling.direction, 270);
}

TEST_F(GameTest, BoundingBoxFollowsSpriteOriginScaleAndAngle) {
  const int sprite = AddSprite("s", 16, 16, 1);
  const int centred = AddSprite("c", 16, 8, 1, 8, 4);
  struct Case {
    const char* name;
    int sprite;
    double x, y, xscale, yscale, angle;
    int left, top, right, bottom;
  };
  const Case cases[] = {
      {"halves round to even", sprite, 10.5, 0, 1, 1, 0, 10, 0, 26, 15},
      {"mirrored box is swapped", sprite, 100, 50, -1, 1, 0, 85, 50, 100, 65},
      {"origin and scale", centred, 100, 100, 2, 2, 0, 84, 92, 114, 106},
      {"quarter turn", centred, 100, 100, 1, 1, 90, 96, 93, 103, 108},
      {"no sprite", -1, 5, 5, 1, 1, 0, -100000, -100000, -100000, -100000},
  };
  for (const Case& c : cases) {
    CInstance instance(100001, -1, 0, 0);
    instance.SetMask(-1);
    instance.SetSprite(c.sprite);
    instance.SetPosition(c.x, c.y);
    instance.SetImageXScale(c.xscale);
    instance.SetImageYScale(c.yscale);
    instance.SetImageAngle(c.angle);
    EXPECT_EQ(instance.bbox_left, c.left) << c.name;
    EXPECT_EQ(instance.bbox_top, c.top) << c.name;
    EXPECT_EQ(instance.bbox_right, c.right) << c.name;
    EXPECT_EQ(instance.bbox_bottom, c.bottom) << c.name;
  }
}

TEST_F(GameTest, MaskSpriteDecidesTheBoxAndPreciseFlag) {
  const int big = AddSprite("big", 32, 32, 1);
  const int small = AddSprite("small", 4, 4, 1);
  R().sprites.Get(small)->precise = true;
  const int o = AddObject("o");
  Object(o).sprite = big;
  Object(o).mask = small;
  Object(o).depth = 7;
  Object(o).visible = false;
  Object(o).solid = true;
  CInstance instance(100005, o, 10, 20);
  EXPECT_EQ(instance.sprite_index, big);
  EXPECT_EQ(instance.depth, 7);
  EXPECT_FALSE(instance.visible);
  EXPECT_TRUE(instance.solid);
  EXPECT_EQ(instance.bbox_right, 13);
  EXPECT_TRUE(instance.precise);
  instance.SetMask(-1);
  EXPECT_EQ(instance.bbox_right, 41);
  EXPECT_FALSE(instance.precise);
}

TEST_F(GameTest, SpriteChangeKeepsTheImageOnlyWhenItExists) {
  const int four = AddSprite("four", 8, 8, 4);
  const int two = AddSprite("two", 8, 8, 2);
  CInstance instance(100001, -1, 0, 0);
  instance.SetSprite(four);
  instance.image_index = 1.5;
  instance.SetSprite(two);
  EXPECT_EQ(instance.image_index, 1.5);
  instance.image_index = 3;
  instance.SetSprite(two);
  EXPECT_EQ(instance.image_index, 0);
}

TEST_F(GameTest, CopyTakesOverStateAndCopiesVariables) {
  CInstance source(100001, -1, 4, 5);
  source.SetSpeed(3);
  source.alarm[2] = 9;
  source.bbox_left = 123;  // copied as it is, not recomputed
  source.variables.FindOrAdd(100000).value = interp::RValue(7.0);
  CInstance copy(100002, -1, 0, 0);
  copy.CopyFrom(source);
  EXPECT_EQ(copy.id, 100001);
  EXPECT_EQ(copy.x, 4);
  EXPECT_EQ(copy.hspeed, 3);
  EXPECT_EQ(copy.alarm[2], 9);
  EXPECT_EQ(copy.bbox_left, 123);
  // The variables are a copy, not shared.
  copy.variables.FindOrAdd(100000).value = interp::RValue(8.0);
  EXPECT_EQ(source.variables.Find(100000)->value.real, 7);
}

TEST_F(GameTest, ObjectThatDoesNotExistLeavesTheZeroFilledFields) {
  const int sprite = AddSprite("first", 4, 4, 1);
  CInstance instance(100001, 42, 0, 0);
  EXPECT_EQ(instance.object_index, 42);
  EXPECT_EQ(instance.sprite_index, sprite);
  EXPECT_FALSE(instance.visible);
  EXPECT_EQ(instance.alarm[0], -1);
  EXPECT_EQ(instance.image_speed, 1);
}

}  // namespace
}  // namespace vendrel::testing
