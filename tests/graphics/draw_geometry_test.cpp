// The exact vertices, primitive types and colours the drawing functions
// send, read from a recording device.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "graphics/color.h"
#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/texture.h"
#include "tests/graphics/recording_fixture.h"
#include "tests/solid_image.h"

namespace vendrel::graphics {
namespace {

using platform::BlendFactor;
using platform::DeviceVertex;
using platform::PrimitiveType;
using platform::RecordedDraw;

struct Point {
  double x, y;
};

void ExpectAt(const DeviceVertex& v, Point p, const char* what) {
  EXPECT_NEAR(v.x, p.x, 1e-4) << what;
  EXPECT_NEAR(v.y, p.y, 1e-4) << what;
}

void ExpectVertices(const RecordedDraw& draw, const std::vector<Point>& points) {
  ASSERT_EQ(draw.vertices.size(), points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_NEAR(draw.vertices[i].x, points[i].x, 1e-4) << "vertex " << i;
    EXPECT_NEAR(draw.vertices[i].y, points[i].y, 1e-4) << "vertex " << i;
  }
}

using DrawGeometryTest = testing::RecordingDeviceTest;

TEST_F(DrawGeometryTest, CirclePrecisionIsAMultipleOfFourFromFourToSixtyFour) {
  const int cases[][2] = {{30, 28}, {2, 4}, {100, 64}, {24, 24}, {5, 4}, {63, 60}, {-7, 4}};
  for (auto [n, expected] : cases) {
    SetCirclePrecision(n);
    EXPECT_EQ(CirclePrecision(), expected) << "precision " << n;
    device_->ClearRecord();
    DrawCircle(0, 0, 10, false);
    EXPECT_EQ(OnlyDraw().count, expected) << "segments for precision " << n;
  }
}

TEST_F(DrawGeometryTest, RectanglesRunClockwiseFromTheTopLeft) {
  SetDrawColor(255);
  DrawRectangle(10, 20, 30, 40, false);
  const RecordedDraw& filled = OnlyDraw();
  EXPECT_EQ(filled.type, PrimitiveType::TriangleFan);
  EXPECT_EQ(filled.count, 2);
  EXPECT_EQ(filled.texture, platform::kNoTexture);
  ExpectVertices(filled, {{10, 20}, {30, 20}, {30, 40}, {10, 40}});
  for (const DeviceVertex& v : filled.vertices) EXPECT_EQ(v.color, 0xFFFF0000u);

  device_->ClearRecord();
  DrawRectangle(10, 20, 30, 40, true);
  const RecordedDraw& outline = OnlyDraw();
  EXPECT_EQ(outline.type, PrimitiveType::LineStrip);
  EXPECT_EQ(outline.count, 4);
  ExpectVertices(outline, {{10, 20}, {30, 20}, {30, 40}, {10, 40}, {10, 20}});
}

TEST_F(DrawGeometryTest, ColourFormsTakeTheDrawingAlpha) {
  SetDrawAlpha(0.5);  // alpha byte round(127.5) = 128
  DrawRectangleColor(0, 0, 4, 4, 255, 65280, 16711680, 0, true);
  const RecordedDraw& draw = OnlyDraw();
  ASSERT_EQ(draw.vertices.size(), 5u);
  EXPECT_EQ(draw.vertices[0].color, 0x80FF0000u);
  EXPECT_EQ(draw.vertices[1].color, 0x8000FF00u);
  EXPECT_EQ(draw.vertices[2].color, 0x800000FFu);
  EXPECT_EQ(draw.vertices[3].color, 0x80000000u);
  EXPECT_EQ(draw.vertices[4].color, 0x80FF0000u);  // closes with the first colour

  device_->ClearRecord();
  DrawLineColor(0, 0, 5, 5, 255, 65280);
  EXPECT_EQ(OnlyDraw().type, PrimitiveType::LineList);
  EXPECT_EQ(OnlyDraw().vertices[1].color, 0x8000FF00u);
}

TEST_F(DrawGeometryTest, TrianglesFillAsAListAndCloseTheirOutline) {
  DrawTriangle(0, 0, 10, 0, 5, 8, false);
  EXPECT_EQ(OnlyDraw().type, PrimitiveType::TriangleList);
  EXPECT_EQ(OnlyDraw().count, 1);
  device_->ClearRecord();
  DrawTriangle(0, 0, 10, 0, 5, 8, true);
  EXPECT_EQ(OnlyDraw().type, PrimitiveType::LineStrip);
  EXPECT_EQ(OnlyDraw().count, 3);
  ExpectVertices(OnlyDraw(), {{0, 0}, {10, 0}, {5, 8}, {0, 0}});
}

TEST_F(DrawGeometryTest, EllipsesAreFansAroundTheCentre) {
  SetCirclePrecision(8);
  DrawEllipseColor(10, 20, 30, 40, 255, 65280, false);
  const RecordedDraw& filled = OnlyDraw();
  EXPECT_EQ(filled.type, PrimitiveType::TriangleFan);
  EXPECT_EQ(filled.count, 8);
  ASSERT_EQ(filled.vertices.size(), 10u);
  ExpectAt(filled.vertices[0], {20, 30}, "centre");
  EXPECT_EQ(filled.vertices[0].color, 0xFFFF0000u);
  ExpectAt(filled.vertices[1], {30, 30}, "angle 0");
  ExpectAt(filled.vertices[3], {20, 40}, "a quarter turn, downwards");
  ExpectAt(filled.vertices[9], {30, 30}, "closing point");
  EXPECT_EQ(filled.vertices[5].color, 0xFF00FF00u);

  // The outline starts at the last point before the closing one, so its P
  // lines go all the way round.
  device_->ClearRecord();
  DrawEllipse(10, 20, 30, 40, true);
  const RecordedDraw& outline = OnlyDraw();
  EXPECT_EQ(outline.type, PrimitiveType::LineStrip);
  EXPECT_EQ(outline.count, 8);
  double r = 10 * std::cos(std::numbers::pi / 4);
  ExpectAt(outline.vertices[0], {20 + r, 30 - r}, "start");
  ExpectAt(outline.vertices[8], {20 + r, 30 - r}, "end");

  device_->ClearRecord();
  DrawCircle(50, 60, 5, false);
  ExpectAt(OnlyDraw().vertices[0], {50, 60}, "circle centre");
  ExpectAt(OnlyDraw().vertices[1], {55, 60}, "circle radius");
}

TEST_F(DrawGeometryTest, RoundRectanglesJoinFourQuarterArcs) {
  DrawRoundRect(0, 0, 100, 50, false);  // precision 24, corners 10 by 10
  const RecordedDraw& filled = OnlyDraw();
  EXPECT_EQ(filled.type, PrimitiveType::TriangleFan);
  EXPECT_EQ(filled.count, 28);
  ASSERT_EQ(filled.vertices.size(), 30u);
  ExpectAt(filled.vertices[0], {50, 25}, "centre");
  ExpectAt(filled.vertices[1], {100, 45}, "bottom-right arc start");
  ExpectAt(filled.vertices[7], {95, 50}, "bottom-right arc end");
  ExpectAt(filled.vertices[8], {5, 50}, "bottom-left arc start");
  ExpectAt(filled.vertices[15], {0, 5}, "top-left arc start");
  ExpectAt(filled.vertices[28], {100, 5}, "top-right arc end");
  ExpectAt(filled.vertices[29], {100, 45}, "closing copy");

  device_->ClearRecord();
  DrawRoundRect(0, 0, 100, 50, true);
  EXPECT_EQ(OnlyDraw().type, PrimitiveType::LineStrip);
  EXPECT_EQ(OnlyDraw().count, 29);
  ExpectAt(OnlyDraw().vertices[0], {100, 45}, "outline start");

  // A box smaller than the corners shrinks them to its size.
  device_->ClearRecord();
  DrawRoundRect(0, 0, 6, 4, false);
  ExpectAt(OnlyDraw().vertices[1], {6, 2}, "small box right");
  ExpectAt(OnlyDraw().vertices[15], {0, 2}, "small box left");
}

TEST_F(DrawGeometryTest, ArrowHeadsAreNeverLongerThanTheLine) {
  DrawArrow(0, 0, 10, 0, 20);
  ASSERT_EQ(device_->draws.size(), 2u);
  EXPECT_EQ(device_->draws[0].type, PrimitiveType::LineList);
  ExpectVertices(device_->draws[0], {{0, 0}, {10, 0}});
  EXPECT_EQ(device_->draws[1].type, PrimitiveType::TriangleList);
  ExpectVertices(device_->draws[1], {{0, 10.0 / 3}, {10, 0}, {0, -10.0 / 3}});

  device_->ClearRecord();
  DrawArrow(0, 0, 0, 8, 4);
  ExpectVertices(device_->draws[1], {{-4.0 / 3, 4}, {0, 8}, {4.0 / 3, 4}});

  device_->ClearRecord();
  DrawArrow(3, 3, 3, 3, 5);
  EXPECT_TRUE(device_->draws.empty());
}

TEST_F(DrawGeometryTest, ButtonsShadeTheirHalvesByState) {
  SetDrawColor(255);
  for (bool up : {true, false}) {
    device_->ClearRecord();
    DrawButton(0, 0, 20, 10, up);
    ASSERT_EQ(device_->draws.size(), 3u);
    uint32_t light = 0xFFFFFFFF, dark = 0xFF808080;
    EXPECT_EQ(device_->draws[0].vertices[0].color, up ? light : dark);
    EXPECT_EQ(device_->draws[1].vertices[0].color, up ? dark : light);
    ExpectVertices(device_->draws[0], {{0, 0}, {20, 0}, {0, 10}});
    ExpectVertices(device_->draws[1], {{0, 10}, {20, 0}, {20, 10}});
    ExpectVertices(device_->draws[2], {{2, 2}, {18, 2}, {18, 8}, {2, 8}});
    EXPECT_EQ(device_->draws[2].vertices[0].color, 0xFFFF0000u);
  }
}

TEST_F(DrawGeometryTest, HealthBarsShrinkOneSideAndMixTheirColour) {
  const int64_t red = 255, green = 65280, back = 8421504;
  struct Case {
    double amount;
    int direction;
    std::vector<Point> corners;
    uint32_t color;
  };
  const Case cases[] = {
      {25, 0, {{0, 0}, {25, 0}, {25, 10}, {0, 10}}, 0xFFC04000},
      {25, 1, {{75, 0}, {100, 0}, {100, 10}, {75, 10}}, 0xFFC04000},
      {25, 2, {{0, 0}, {100, 0}, {100, 2.5}, {0, 2.5}}, 0xFFC04000},
      {25, 3, {{0, 7.5}, {100, 7.5}, {100, 10}, {0, 10}}, 0xFFC04000},
      {50, 0, {{0, 0}, {50, 0}, {50, 10}, {0, 10}}, 0xFF808000},     // the middle colour
      {150, 0, {{0, 0}, {100, 0}, {100, 10}, {0, 10}}, 0xFF00FF00},  // full, max colour
      {-20, 0, {{0, 0}, {0, 0}, {0, 10}, {0, 10}}, 0xFFFF0000},      // empty, min colour
  };
  for (const Case& c : cases) {
    device_->ClearRecord();
    DrawHealthBar(0, 0, 100, 10, c.amount, back, red, green, c.direction, true, true);
    ASSERT_EQ(device_->draws.size(), 4u);
    EXPECT_EQ(device_->draws[0].vertices[0].color, 0xFF808080u);
    EXPECT_EQ(device_->draws[1].type, PrimitiveType::LineStrip);
    EXPECT_EQ(device_->draws[1].vertices[0].color, 0xFF000000u);
    const RecordedDraw& bar = device_->draws[2];
    ExpectVertices(bar, c.corners);
    EXPECT_EQ(bar.vertices[0].color, c.color) << "amount " << c.amount;
  }
  device_->ClearRecord();
  DrawHealthBar(0, 0, 100, 10, 50, back, red, green, 0, false, false);
  EXPECT_EQ(device_->draws.size(), 1u);
}

TEST_F(DrawGeometryTest, UserPrimitivesCountTheirVertices) {
  struct Case {
    int kind, vertices;
    PrimitiveType type;
    int count;  // 0: nothing drawn
  };
  const Case cases[] = {
      {kPrTriangleStrip, 3, PrimitiveType::TriangleStrip, 1},
      {kPrLineList, 3, PrimitiveType::LineList, 1},
      {kPrPointList, 3, PrimitiveType::PointList, 3},
      {kPrLineStrip, 3, PrimitiveType::LineStrip, 2},
      {kPrTriangleList, 7, PrimitiveType::TriangleList, 2},
      {kPrTriangleFan, 5, PrimitiveType::TriangleFan, 3},
      {kPrTriangleFan, 2, PrimitiveType::TriangleFan, 0},
      {kPrLineList, 1, PrimitiveType::LineList, 0},
      {7, 6, PrimitiveType::PointList, 0},
      {0, 6, PrimitiveType::PointList, 0},
      {kPrPointList, 1200, PrimitiveType::PointList, 1001},  // later vertices dropped
  };
  for (const Case& c : cases) {
    device_->ClearRecord();
    PrimitiveBegin(c.kind);
    for (int i = 0; i < c.vertices; ++i) PrimitiveVertex(i, 2 * i);
    PrimitiveEnd();
    if (c.count == 0) {
      EXPECT_TRUE(device_->draws.empty()) << "kind " << c.kind << " with " << c.vertices;
      continue;
    }
    ASSERT_EQ(device_->draws.size(), 1u) << "kind " << c.kind;
    EXPECT_EQ(device_->draws[0].type, c.type);
    EXPECT_EQ(device_->draws[0].count, c.count) << "kind " << c.kind << " with " << c.vertices;
  }
}

TEST_F(DrawGeometryTest, PrimitiveVerticesCarryColourAlphaAndTextureCoordinates) {
  int texture = TextureFromBitmap(testing::SolidImage(4, 4));
  SetDrawColor(65280);
  SetDrawDepth(7);
  PrimitiveBeginTexture(kPrTriangleList, texture);
  PrimitiveVertex(1, 2);
  PrimitiveVertexColor(3, 4, 255, 0.25);
  PrimitiveVertexTextureColor(5, 6, 0.5, 0.75, 16711680, 1);
  PrimitiveEnd();
  const RecordedDraw& draw = OnlyDraw();
  EXPECT_EQ(draw.texture, TextureEntry(texture)->texture);
  EXPECT_EQ(draw.vertices[0].color, 0xFF00FF00u);
  EXPECT_EQ(draw.vertices[1].color, 0x40FF0000u);
  EXPECT_EQ(draw.vertices[2].color, 0xFF0000FFu);
  EXPECT_FLOAT_EQ(draw.vertices[2].u, 0.5f);
  EXPECT_FLOAT_EQ(draw.vertices[2].v, 0.75f);
  EXPECT_FLOAT_EQ(draw.vertices[1].u, 0.0f);
  for (const DeviceVertex& v : draw.vertices) EXPECT_FLOAT_EQ(v.z, 7.0f);
  // The buffer is kept: a second end draws the same again.
  PrimitiveEnd();
  EXPECT_EQ(device_->draws.size(), 2u);
}

TEST_F(DrawGeometryTest, PlainQuadsCoverTheImageFromHalfAPixelBefore) {
  int texture = TextureFromBitmap(testing::SolidImage(100, 50));
  ASSERT_GE(texture, 0);
  SetTextureRepeat(true);
  DrawTexture(texture, 10, 20);
  const RecordedDraw& draw = OnlyDraw();
  EXPECT_EQ(draw.type, PrimitiveType::TriangleFan);
  EXPECT_EQ(draw.count, 2);
  EXPECT_EQ(draw.address, platform::TextureAddress::Clamp);  // quads always clamp
  ExpectVertices(draw, {{9.5, 19.5}, {109.5, 19.5}, {109.5, 69.5}, {9.5, 69.5}});
  const float u[4] = {0, 0.78125f, 0.78125f, 0}, v[4] = {0, 0, 0.78125f, 0.78125f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(draw.vertices[size_t(i)].u, u[i]);
    EXPECT_FLOAT_EQ(draw.vertices[size_t(i)].v, v[i]);
    EXPECT_EQ(draw.vertices[size_t(i)].color, 0xFFFFFFFFu);
  }
  device_->ClearRecord();
  DrawTexture(texture + 1, 0, 0);
  DrawTexture(-1, 0, 0);
  EXPECT_TRUE(device_->draws.empty());
}

TEST_F(DrawGeometryTest, ExtendedQuadsScaleAroundTheOriginAndTurnAboutThePosition) {
  int texture = TextureFromBitmap(testing::SolidImage(100, 50));
  DrawTextureExt(texture, 255, 5, 5, 100, 100, 2, 1, 0, 0.5);
  const RecordedDraw& scaled = OnlyDraw();
  // L = -2*5 - 0.5, T = -5.5, R = 200 + L, B = 50 + T.
  ExpectVertices(scaled, {{89.5, 94.5}, {289.5, 94.5}, {289.5, 144.5}, {89.5, 144.5}});
  EXPECT_EQ(scaled.vertices[0].color, 0x80FF0000u);

  // A quarter turn maps the corner offset (L, T) to (x + T, y - L).
  device_->ClearRecord();
  DrawTextureExt(texture, 16777215, 5, 5, 100, 100, 1, 1, std::numbers::pi / 2, 1);
  double l = -5.5, t = -5.5, r = 94.5, b = 44.5;
  ExpectVertices(OnlyDraw(), {{100 + t, 100 - l}, {100 + t, 100 - r}, {100 + b, 100 - r},
                              {100 + b, 100 - l}});
}

TEST_F(DrawGeometryTest, PartAndGeneralQuadsCutTheirCoordinatesFromTheTexture) {
  int texture = TextureFromBitmap(testing::SolidImage(100, 50));
  DrawTexturePart(texture, 16777215, 10, 5, 20, 10, 50, 60, 2, 2, 0, 1);
  const RecordedDraw& part = OnlyDraw();
  ExpectVertices(part, {{49.5, 59.5}, {89.5, 59.5}, {89.5, 79.5}, {49.5, 79.5}});
  EXPECT_FLOAT_EQ(part.vertices[0].u, 10.0f / 128);
  EXPECT_FLOAT_EQ(part.vertices[0].v, 5.0f / 64);
  EXPECT_FLOAT_EQ(part.vertices[2].u, 30.0f / 128);
  EXPECT_FLOAT_EQ(part.vertices[2].v, 15.0f / 64);

  device_->ClearRecord();
  DrawTextureGeneral(texture, 255, 65280, 0, 0, 10, 10, 0, 0, 1, 1, 0, 16711680, 0, 1);
  const RecordedDraw& general = OnlyDraw();
  EXPECT_EQ(general.vertices[0].color, 0xFFFF0000u);
  EXPECT_EQ(general.vertices[1].color, 0xFF00FF00u);
  EXPECT_EQ(general.vertices[2].color, 0xFF0000FFu);
  EXPECT_EQ(general.vertices[3].color, 0xFF000000u);
}

TEST_F(DrawGeometryTest, TilingStartsAtOrBeforeTheRegionAndCoversIt) {
  int texture = TextureFromBitmap(testing::SolidImage(100, 50));
  DrawTextureTiled(texture, true, true, 0, 0, 30, -10, 1, 1, 0, 0, 250, 120, 16777215, 1);
  // Columns at -70, 30, 130, 230; rows at -10, 40, 90.
  ASSERT_EQ(device_->draws.size(), 12u);
  ExpectAt(device_->draws[0].vertices[0], {-70.5, -10.5}, "first tile");
  ExpectAt(device_->draws[2].vertices[0], {-70.5, 89.5}, "third row");
  ExpectAt(device_->draws[11].vertices[0], {229.5, 89.5}, "last tile");

  device_->ClearRecord();
  DrawTextureTiled(texture, true, false, 0, 0, 30, 100, 1, 1, 0, 0, 250, 120, 16777215, 1);
  ASSERT_EQ(device_->draws.size(), 4u);
  ExpectAt(device_->draws[0].vertices[0], {-70.5, 99.5}, "one row");

  // Not repeated and starting below the region: nothing.
  device_->ClearRecord();
  DrawTextureTiled(texture, true, false, 0, 0, 30, 300, 1, 1, 0, 0, 250, 120, 16777215, 1);
  EXPECT_TRUE(device_->draws.empty());

  device_->ClearRecord();
  DrawTextureTiled(texture, false, false, 0, 0, 30.4, 10.6, 1, 1, 0, 0, 250, 120, 16777215, 1);
  ASSERT_EQ(device_->draws.size(), 1u);
  ExpectAt(device_->draws[0].vertices[0], {29.5, 10.5}, "rounded position");

  // A region far to the right starts with the tile that ends where it
  // begins.
  device_->ClearRecord();
  DrawTextureTiled(texture, true, false, 0, 0, 0, 0, 1, 1, 100000, 0, 150, 50, 16777215, 1);
  ASSERT_EQ(device_->draws.size(), 3u);
  ExpectAt(device_->draws[0].vertices[0], {99899.5, -0.5}, "far start");

  device_->ClearRecord();
  DrawTextureTiled(texture, true, true, 0, 0, 0, 0, 0.004, 1, 0, 0, 250, 120, 16777215, 1);
  EXPECT_TRUE(device_->draws.empty());  // tile width round(0.4) = 0
}

TEST_F(DrawGeometryTest, ShapesDrawWithoutTextureAtTheDrawingDepth) {
  int texture = TextureFromBitmap(testing::SolidImage(4, 4));
  DrawTexture(texture, 0, 0);
  SetDrawDepth(-3);
  DrawPoint(1, 2);
  ASSERT_EQ(device_->draws.size(), 2u);
  EXPECT_NE(device_->draws[0].texture, platform::kNoTexture);
  EXPECT_EQ(device_->draws[1].texture, platform::kNoTexture);
  EXPECT_EQ(device_->draws[1].type, PrimitiveType::PointList);
  EXPECT_FLOAT_EQ(device_->draws[1].vertices[0].z, -3.0f);
}

TEST_F(DrawGeometryTest, DrawingColourAndAlphaShareOneDeviceColour) {
  EXPECT_EQ(DrawDeviceColor(), 0xFF000000u);
  SetDrawColor(255);
  EXPECT_EQ(DrawDeviceColor(), 0xFFFF0000u);
  SetDrawAlpha(0.25);
  EXPECT_EQ(DrawDeviceColor(), 0x40FF0000u);
  SetDrawColor(65280);
  EXPECT_EQ(DrawDeviceColor(), 0x4000FF00u);
  EXPECT_EQ(DrawColor(), 65280);
  EXPECT_DOUBLE_EQ(DrawAlpha(), 0.25);
  SetDrawAlpha(3);
  EXPECT_DOUBLE_EQ(DrawAlpha(), 1.0);
  SetDrawAlpha(-1);
  EXPECT_EQ(DrawDeviceColor(), 0x0000FF00u);
}

TEST_F(DrawGeometryTest, BlendModesSetTheirFactorPairs) {
  struct Case {
    int kind;
    BlendFactor source, dest;
  };
  const Case cases[] = {
      {0, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha},
      {1, BlendFactor::SrcAlpha, BlendFactor::One},
      {2, BlendFactor::SrcAlpha, BlendFactor::InvSrcColor},
      {3, BlendFactor::Zero, BlendFactor::InvSrcColor},
      {9, BlendFactor::SrcAlpha, BlendFactor::InvSrcAlpha},
  };
  for (const Case& c : cases) {
    device_->ClearRecord();
    SetBlendMode(c.kind);
    DrawPoint(0, 0);
    EXPECT_EQ(OnlyDraw().blend_source, c.source) << "kind " << c.kind;
    EXPECT_EQ(OnlyDraw().blend_dest, c.dest) << "kind " << c.kind;
  }
  device_->ClearRecord();
  SetBlendModeExt(7, 10);
  SetBlendModeExt(0, 5);  // no blend factor: ignored
  DrawPoint(0, 0);
  EXPECT_EQ(OnlyDraw().blend_source, BlendFactor::DestAlpha);
  EXPECT_EQ(OnlyDraw().blend_dest, BlendFactor::InvDestColor);
  EXPECT_EQ(Settings().blend_source, 7);
  SetBlendMode(0);
}

TEST_F(DrawGeometryTest, ClearsUseTheGivenAlpha) {
  DrawClear(255);
  DrawClearAlpha(65280, 0.25);
  ASSERT_EQ(device_->clears.size(), 2u);
  EXPECT_EQ(device_->clears[0].color, 0xFFFF0000u);
  EXPECT_EQ(device_->clears[1].color, 0x4000FF00u);
  EXPECT_TRUE(device_->clears[1].target_cleared);
  EXPECT_FALSE(device_->clears[1].zbuffer_cleared);
}

TEST(ColorModelTest, RgbPartsAndMakingColours) {
  EXPECT_EQ(MakeColorRgb(300, 0, 0), 300);  // not clamped
  EXPECT_EQ(ColorRed(300), 44);
  EXPECT_EQ(MakeColorRgb(1.5, 2.5, 0.4), 2 + 256 * 2);  // halves to even
  EXPECT_EQ(ColorRed(0x123456), 0x56);
  EXPECT_EQ(ColorGreen(0x123456), 0x34);
  EXPECT_EQ(ColorBlue(0x123456), 0x12);
  EXPECT_EQ(MergeColor(0, 0xFFFFFF, 0.5), 0x808080);
  EXPECT_EQ(MergeColor(255, 65280, 0.25), 0x40 * 256 + 0xBF);
  EXPECT_EQ(MergeColor(255, 65280, 0), 255);
}

TEST(ColorModelTest, HsvConversions) {
  struct Case {
    int h, s, v;
    int32_t color;
  };
  const Case cases[] = {
      {0, 255, 255, 255},          // red
      {85, 255, 255, 65280},       // hue 120: green
      {170, 255, 255, 16711680},   // hue 240: blue
      {0, 0, 255, 16777215},       // no saturation: grey of the value
      {255, 255, 255, 255},        // hue 360 is hue 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeColorHsv(c.h, c.s, c.v), c.color) << c.h << "," << c.s << "," << c.v;
  }
  EXPECT_EQ(ColorHue(65280), 85);
  EXPECT_EQ(ColorHue(16711680), 170);
  EXPECT_EQ(ColorHue(0xFF00FF), 212);  // magenta: hue 300
  EXPECT_EQ(ColorSaturation(255), 255);
  EXPECT_EQ(ColorSaturation(0x808080), 0);
  EXPECT_EQ(ColorValue(255), 255);
  EXPECT_EQ(ColorValue(0), 0);
}

}  // namespace
}  // namespace vendrel::graphics
