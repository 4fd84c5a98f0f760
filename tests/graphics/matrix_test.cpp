// The matrix routines: row vectors times row-major matrices, left-handed.
#include "graphics/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace vendrel::graphics {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectPoint(Vec3 actual, Vec3 expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-4) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-4) << what;
}

TEST(MatrixTest, BasicTransformsMovePoints) {
  struct Case {
    const char* name;
    Matrix m;
    Vec3 in, out;
  };
  const Case cases[] = {
      {"identity", MatrixIdentity(), {1, 2, 3}, {1, 2, 3}},
      {"translation", MatrixTranslation(10, -5, 2), {1, 2, 3}, {11, -3, 5}},
      {"scaling", MatrixScaling(2, 3, -1), {1, 2, 3}, {2, 6, -3}},
      // Left-handed rotations: x towards y about z, y towards z about x,
      // z towards x about y.
      {"rotation z", MatrixRotationZ(kPi / 2), {1, 0, 0}, {0, 1, 0}},
      {"rotation x", MatrixRotationX(kPi / 2), {0, 1, 0}, {0, 0, 1}},
      {"rotation y", MatrixRotationY(kPi / 2), {0, 0, 1}, {1, 0, 0}},
      {"axis z", MatrixRotationAxis({0, 0, 5}, kPi / 2), {1, 0, 0}, {0, 1, 0}},
      {"axis diagonal", MatrixRotationAxis({1, 1, 1}, 2 * kPi / 3), {1, 0, 0}, {0, 1, 0}},
      {"zero axis", MatrixRotationAxis({0, 0, 0}, 1), {1, 2, 3}, {1, 2, 3}},
  };
  for (const Case& c : cases) ExpectPoint(TransformCoord(c.in, c.m), c.out, c.name);
}

TEST(MatrixTest, AxisRotationsAgreeWithTheAxisForms) {
  for (double angle : {0.3, -1.2, 2.5}) {
    Matrix by_axis = MatrixRotationAxis({1, 0, 0}, angle), direct = MatrixRotationX(angle);
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) EXPECT_NEAR(by_axis.m[i][j], direct.m[i][j], 1e-6);
    }
  }
}

TEST(MatrixTest, MultiplicationAppliesTheLeftMatrixFirst) {
  Matrix scale_then_move = MatrixMultiply(MatrixScaling(2, 2, 2), MatrixTranslation(10, 0, 0));
  Matrix move_then_scale = MatrixMultiply(MatrixTranslation(10, 0, 0), MatrixScaling(2, 2, 2));
  ExpectPoint(TransformCoord({1, 1, 1}, scale_then_move), {12, 2, 2}, "scale, then move");
  ExpectPoint(TransformCoord({1, 1, 1}, move_then_scale), {22, 2, 2}, "move, then scale");
}

TEST(MatrixTest, LookAtPutsTheTargetStraightAhead) {
  Matrix view = MatrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
  ExpectPoint(TransformCoord({0, 0, 0}, view), {0, 0, 10}, "target");
  ExpectPoint(TransformCoord({3, 4, 0}, view), {3, 4, 10}, "off-axis");
  // Looking along +x from the origin: +z of the world is to the left.
  Matrix side = MatrixLookAtLH({0, 0, 0}, {5, 0, 0}, {0, 1, 0});
  ExpectPoint(TransformCoord({5, 0, 0}, side), {0, 0, 5}, "ahead");
  ExpectPoint(TransformCoord({0, 0, 1}, side), {-1, 0, 0}, "left");
}

TEST(MatrixTest, ProjectionsMapNearAndFarToZeroAndOne) {
  Matrix ortho = MatrixOrthoLH(200, -100, 1, 101);
  ExpectPoint(TransformCoord({100, 50, 1}, ortho), {1, -1, 0}, "ortho near corner");
  ExpectPoint(TransformCoord({-100, -50, 101}, ortho), {-1, 1, 1}, "ortho far corner");

  Matrix fov = MatrixPerspectiveFovLH(kPi / 2, 2.0, 1, 100);
  ExpectPoint(TransformCoord({0, 0, 1}, fov), {0, 0, 0}, "fov near");
  ExpectPoint(TransformCoord({0, 0, 100}, fov), {0, 0, 1}, "fov far");
  ExpectPoint(TransformCoord({20, 10, 10}, fov), {1, 1, 100.0 / 99 * (1 - 1.0 / 10)},
              "fov edge");

  Matrix perspective = MatrixPerspectiveLH(4, 2, 1, 50);
  ExpectPoint(TransformCoord({2, 1, 1}, perspective), {1, 1, 0}, "near corner");
  ExpectPoint(TransformCoord({0, 0, 50}, perspective), {0, 0, 1}, "far");
}

}  // namespace
}  // namespace vendrel::graphics
