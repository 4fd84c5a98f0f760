#include "graphics/draw.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numbers>

#include "graphics/color.h"
#include "graphics/device.h"
#include "graphics/texture.h"

namespace vendrel::graphics {

namespace {

using platform::DeviceVertex;
using platform::PrimitiveType;

struct DrawState {
  uint32_t color = 0xFF000000;
  double alpha = 1.0;
  double depth = 0.0;
  int precision = 24;
  std::array<double, 65> cos_table{};
  std::array<double, 65> sin_table{};
  int primitive_kind = 0;
  int primitive_texture = -1;
  int vertex_count = 0;
  std::array<DeviceVertex, kMaxPrimitiveVertices> primitive{};

  DrawState() { BuildTables(); }

  void BuildTables() {
    for (int k = 0; k <= precision; ++k) {
      double a = 2 * std::numbers::pi * k / precision;
      cos_table[size_t(k)] = std::cos(a);
      sin_table[size_t(k)] = std::sin(a);
    }
  }
};

DrawState& State() {
  static DrawState state;
  return state;
}

// Rounds halves to even; values beyond the int range saturate.
int64_t RoundInt(double value) {
  if (std::isnan(value)) return 0;
  return int64_t(std::nearbyint(std::clamp(value, -4.0e18, 4.0e18)));
}

// A game colour with the drawing alpha.
uint32_t WithDrawAlpha(int64_t color) { return DeviceColor(color, State().alpha); }

DeviceVertex ShapeVertex(double x, double y, uint32_t color) {
  DeviceVertex v;
  v.x = float(x);
  v.y = float(y);
  v.z = float(State().depth);
  v.color = color;
  return v;
}

// Every shape: no texture, the vertices as given.
void DrawShape(PrimitiveType type, int count, const DeviceVertex* vertices) {
  platform::GraphicsDevice* device = Device();
  if (device == nullptr) return;
  device->SetTexture(platform::kNoTexture);
  device->DrawPrimitive(type, count, vertices);
}

void Rectangle4(double x1, double y1, double x2, double y2, uint32_t c1, uint32_t c2,
                uint32_t c3, uint32_t c4, bool outline) {
  DeviceVertex v[5] = {ShapeVertex(x1, y1, c1), ShapeVertex(x2, y1, c2),
                       ShapeVertex(x2, y2, c3), ShapeVertex(x1, y2, c4),
                       ShapeVertex(x1, y1, c1)};
  if (outline) {
    DrawShape(PrimitiveType::LineStrip, 4, v);
  } else {
    DrawShape(PrimitiveType::TriangleFan, 2, v);
  }
}

void Triangle3(double x1, double y1, double x2, double y2, double x3, double y3, uint32_t c1,
               uint32_t c2, uint32_t c3, bool outline) {
  DeviceVertex v[4] = {ShapeVertex(x1, y1, c1), ShapeVertex(x2, y2, c2), ShapeVertex(x3, y3, c3),
                       ShapeVertex(x1, y1, c1)};
  if (outline) {
    DrawShape(PrimitiveType::LineStrip, 3, v);
  } else {
    DrawShape(PrimitiveType::TriangleList, 1, v);
  }
}

void Ellipse(double x1, double y1, double x2, double y2, uint32_t inner, uint32_t outer,
             bool outline) {
  const DrawState& s = State();
  int p = s.precision;
  double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
  double rx = std::abs(x2 - x1) / 2, ry = std::abs(y2 - y1) / 2;
  std::array<DeviceVertex, 66> v;
  v[0] = ShapeVertex(cx, cy, inner);
  for (int k = 0; k <= p; ++k) {
    v[size_t(k) + 1] = ShapeVertex(cx + rx * s.cos_table[size_t(k)],
                                   cy + ry * s.sin_table[size_t(k)], outer);
  }
  if (outline) {
    v[0] = v[size_t(p)];
    DrawShape(PrimitiveType::LineStrip, p, v.data());
  } else {
    DrawShape(PrimitiveType::TriangleFan, p, v.data());
  }
}

void RoundRect(double x1, double y1, double x2, double y2, uint32_t inner, uint32_t outer,
               bool outline) {
  const DrawState& s = State();
  int p = s.precision;
  double w = std::abs(x2 - x1), h = std::abs(y2 - y1);
  double a = std::min(10.0, w), b = std::min(10.0, h);
  double bx = w / 2 - a / 2, by = h / 2 - b / 2;
  double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
  std::array<DeviceVertex, 72> v;
  size_t n = 0;
  v[n++] = ShapeVertex(cx, cy, inner);
  // Quarter arcs from the bottom right, clockwise on the screen.
  const double centre_x[4] = {cx + bx, cx - bx, cx - bx, cx + bx};
  const double centre_y[4] = {cy + by, cy + by, cy - by, cy - by};
  for (int quarter = 0; quarter < 4; ++quarter) {
    for (int k = quarter * p / 4; k <= (quarter + 1) * p / 4; ++k) {
      v[n++] = ShapeVertex(centre_x[quarter] + s.cos_table[size_t(k)] * a / 2,
                           centre_y[quarter] + s.sin_table[size_t(k)] * b / 2, outer);
    }
  }
  v[n++] = v[1];
  if (outline) {
    v[0] = v[1];
    DrawShape(PrimitiveType::LineStrip, p + 5, v.data());
  } else {
    DrawShape(PrimitiveType::TriangleFan, p + 4, v.data());
  }
}

// The textured quad itself: four corners in the order top-left, top-right,
// bottom-right, bottom-left of the unturned image.
void DrawQuad(const RTexture& texture, const double (&corners)[4][2], const uint32_t (&colors)[4],
              double u0, double v0, double u1, double v1) {
  platform::GraphicsDevice* device = Device();
  if (device == nullptr) return;
  // Quads always clamp; the repeat setting returns only when the render
  // states are sent again.
  device->SetTextureAddress(platform::TextureAddress::Clamp);
  device->SetTexture(texture.texture);
  const double u[4] = {u0, u1, u1, u0};
  const double v[4] = {v0, v0, v1, v1};
  DeviceVertex quad[4];
  float z = float(State().depth);
  for (int i = 0; i < 4; ++i) {
    quad[i].x = float(corners[i][0]);
    quad[i].y = float(corners[i][1]);
    quad[i].z = z;
    quad[i].color = colors[i];
    quad[i].u = float(u[i]);
    quad[i].v = float(v[i]);
  }
  device->DrawPrimitive(PrimitiveType::TriangleFan, 2, quad);
}

// Places the offsets (left, top, right, bottom) around (x, y), turned by
// [angle] radians counter-clockwise on the screen.
void Corners(double x, double y, double l, double t, double r, double b, double angle,
             double (&corners)[4][2]) {
  const double offsets[4][2] = {{l, t}, {r, t}, {r, b}, {l, b}};
  if (std::abs(angle) < 0.01) {
    for (int i = 0; i < 4; ++i) {
      corners[i][0] = x + offsets[i][0];
      corners[i][1] = y + offsets[i][1];
    }
    return;
  }
  double c = std::cos(angle), s = std::sin(angle);
  for (int i = 0; i < 4; ++i) {
    double dx = offsets[i][0], dy = offsets[i][1];
    corners[i][0] = x + dx * c + dy * s;
    corners[i][1] = y - dx * s + dy * c;
  }
}

}  // namespace

void ResetDrawState() {
  DrawState& s = State();
  s.color = 0xFF000000;
  s.alpha = 1.0;
  s.depth = 0.0;
  s.precision = 24;
  s.BuildTables();
  s.primitive_kind = 0;
  s.primitive_texture = -1;
  s.vertex_count = 0;
}

void SetDrawColor(int64_t color) {
  DrawState& s = State();
  s.color = DeviceColor(color, s.alpha);
}

void SetDrawAlpha(double alpha) {
  DrawState& s = State();
  s.alpha = std::isnan(alpha) ? 0.0 : std::clamp(alpha, 0.0, 1.0);
  s.color = DeviceColorWithAlpha(s.color, s.alpha);
}

int32_t DrawColor() { return GameColor(State().color); }
uint32_t DrawDeviceColor() { return State().color; }
double DrawAlpha() { return State().alpha; }

void SetDrawDepth(double depth) { State().depth = depth; }
double DrawDepth() { return State().depth; }

void SetCirclePrecision(int n) {
  DrawState& s = State();
  s.precision = std::min(64, std::max(4, n)) / 4 * 4;
  s.BuildTables();
}

int CirclePrecision() { return State().precision; }

void DrawPoint(double x, double y) {
  DeviceVertex v = ShapeVertex(x, y, State().color);
  DrawShape(PrimitiveType::PointList, 1, &v);
}

void DrawPointColor(double x, double y, int64_t color) {
  DeviceVertex v = ShapeVertex(x, y, WithDrawAlpha(color));
  DrawShape(PrimitiveType::PointList, 1, &v);
}

void DrawLine(double x1, double y1, double x2, double y2) {
  uint32_t c = State().color;
  DeviceVertex v[2] = {ShapeVertex(x1, y1, c), ShapeVertex(x2, y2, c)};
  DrawShape(PrimitiveType::LineList, 1, v);
}

void DrawLineColor(double x1, double y1, double x2, double y2, int64_t color1,
                   int64_t color2) {
  DeviceVertex v[2] = {ShapeVertex(x1, y1, WithDrawAlpha(color1)),
                       ShapeVertex(x2, y2, WithDrawAlpha(color2))};
  DrawShape(PrimitiveType::LineList, 1, v);
}

void DrawRectangle(double x1, double y1, double x2, double y2, bool outline) {
  uint32_t c = State().color;
  Rectangle4(x1, y1, x2, y2, c, c, c, c, outline);
}

void DrawRectangleColor(double x1, double y1, double x2, double y2, int64_t c1, int64_t c2,
                        int64_t c3, int64_t c4, bool outline) {
  Rectangle4(x1, y1, x2, y2, WithDrawAlpha(c1), WithDrawAlpha(c2), WithDrawAlpha(c3),
             WithDrawAlpha(c4), outline);
}

void DrawTriangle(double x1, double y1, double x2, double y2, double x3, double y3,
                  bool outline) {
  uint32_t c = State().color;
  Triangle3(x1, y1, x2, y2, x3, y3, c, c, c, outline);
}

void DrawTriangleColor(double x1, double y1, double x2, double y2, double x3, double y3,
                       int64_t c1, int64_t c2, int64_t c3, bool outline) {
  Triangle3(x1, y1, x2, y2, x3, y3, WithDrawAlpha(c1), WithDrawAlpha(c2), WithDrawAlpha(c3),
            outline);
}

void DrawEllipse(double x1, double y1, double x2, double y2, bool outline) {
  uint32_t c = State().color;
  Ellipse(x1, y1, x2, y2, c, c, outline);
}

void DrawEllipseColor(double x1, double y1, double x2, double y2, int64_t inner, int64_t outer,
                      bool outline) {
  Ellipse(x1, y1, x2, y2, WithDrawAlpha(inner), WithDrawAlpha(outer), outline);
}

void DrawCircle(double x, double y, double r, bool outline) {
  DrawEllipse(x - r, y - r, x + r, y + r, outline);
}

void DrawCircleColor(double x, double y, double r, int64_t inner, int64_t outer, bool outline) {
  DrawEllipseColor(x - r, y - r, x + r, y + r, inner, outer, outline);
}

void DrawRoundRect(double x1, double y1, double x2, double y2, bool outline) {
  uint32_t c = State().color;
  RoundRect(x1, y1, x2, y2, c, c, outline);
}

void DrawRoundRectColor(double x1, double y1, double x2, double y2, int64_t inner,
                        int64_t outer, bool outline) {
  RoundRect(x1, y1, x2, y2, WithDrawAlpha(inner), WithDrawAlpha(outer), outline);
}

void DrawArrow(double x1, double y1, double x2, double y2, double size) {
  double d = std::hypot(x2 - x1, y2 - y1);
  if (d == 0) return;
  size = std::min(size, d);
  DrawLine(x1, y1, x2, y2);
  double gx = (x2 - x1) * size / d, gy = (y2 - y1) * size / d;
  DrawTriangle(x2 - gx - gy / 3, y2 - gy + gx / 3, x2, y2, x2 - gx + gy / 3, y2 - gy - gx / 3,
               false);
}

void DrawButton(double x1, double y1, double x2, double y2, bool up) {
  uint32_t light = WithDrawAlpha(16777215), dark = WithDrawAlpha(8421504);
  uint32_t first = up ? light : dark, second = up ? dark : light;
  Triangle3(x1, y1, x2, y1, x1, y2, first, first, first, false);
  Triangle3(x1, y2, x2, y1, x2, y2, second, second, second, false);
  DrawRectangle(x1 + 2, y1 + 2, x2 - 2, y2 - 2, false);
}

void DrawHealthBar(double x1, double y1, double x2, double y2, double amount,
                   int64_t back_color, int64_t min_color, int64_t max_color, int direction,
                   bool show_back, bool show_border) {
  if (show_back) {
    DrawRectangleColor(x1, y1, x2, y2, back_color, back_color, back_color, back_color, false);
    if (show_border) DrawRectangleColor(x1, y1, x2, y2, 0, 0, 0, 0, true);
  }
  double clamped = std::isnan(amount) ? 0.0 : std::clamp(amount, 0.0, 100.0);
  double f = clamped / 100;
  switch (direction) {
    case 1: x1 = x2 - (x2 - x1) * f; break;
    case 2: y2 = y1 + (y2 - y1) * f; break;
    case 3: y1 = y2 - (y2 - y1) * f; break;
    default: x2 = x1 + (x2 - x1) * f; break;
  }
  int32_t middle = MergeColor(min_color, max_color, 0.5);
  int32_t color = clamped > 50 ? MergeColor(middle, max_color, (clamped - 50) / 50)
                               : MergeColor(min_color, middle, clamped / 50);
  DrawRectangleColor(x1, y1, x2, y2, color, color, color, color, false);
  if (show_border) DrawRectangleColor(x1, y1, x2, y2, 0, 0, 0, 0, true);
}

void DrawClear(int64_t color) { DrawClearAlpha(color, 1.0); }

void DrawClearAlpha(int64_t color, double alpha) {
  if (platform::GraphicsDevice* device = Device()) {
    device->Clear(true, false, DeviceColor(color, alpha), 0.0f);
  }
}

void PrimitiveBegin(int kind) { PrimitiveBeginTexture(kind, -1); }

void PrimitiveBeginTexture(int kind, int texture) {
  DrawState& s = State();
  s.primitive_kind = kind;
  s.primitive_texture = texture;
  s.vertex_count = 0;
}

void PrimitiveVertexTextureColor(double x, double y, double u, double v, int64_t color,
                                 double alpha) {
  DrawState& s = State();
  if (s.vertex_count >= kMaxPrimitiveVertices) return;
  DeviceVertex& vertex = s.primitive[size_t(s.vertex_count++)];
  vertex = ShapeVertex(x, y, DeviceColor(color, alpha));
  vertex.u = float(u);
  vertex.v = float(v);
}

void PrimitiveVertex(double x, double y) {
  DrawState& s = State();
  if (s.vertex_count >= kMaxPrimitiveVertices) return;
  s.primitive[size_t(s.vertex_count++)] = ShapeVertex(x, y, s.color);
}

void PrimitiveVertexColor(double x, double y, int64_t color, double alpha) {
  PrimitiveVertexTextureColor(x, y, 0, 0, color, alpha);
}

void PrimitiveVertexTexture(double x, double y, double u, double v) {
  DrawState& s = State();
  if (s.vertex_count >= kMaxPrimitiveVertices) return;
  DeviceVertex& vertex = s.primitive[size_t(s.vertex_count++)];
  vertex = ShapeVertex(x, y, s.color);
  vertex.u = float(u);
  vertex.v = float(v);
}

void PrimitiveEnd() {
  const DrawState& s = State();
  platform::GraphicsDevice* device = Device();
  if (device == nullptr || s.primitive_kind < 1 || s.primitive_kind > 6) return;
  int n = s.vertex_count, count = 0;
  switch (s.primitive_kind) {
    case kPrPointList: count = n; break;
    case kPrLineList: count = n / 2; break;
    case kPrLineStrip: count = n - 1; break;
    case kPrTriangleList: count = n / 3; break;
    default: count = n - 2; break;
  }
  if (count <= 0) return;
  SetCurrentTexture(s.primitive_texture);
  device->DrawPrimitive(PrimitiveType(s.primitive_kind), count, s.primitive.data());
  device->SetTexture(platform::kNoTexture);
}

int PrimitiveVertexCount() { return State().vertex_count; }

void DrawTexture(int texture, double x, double y) {
  const RTexture* t = TextureEntry(texture);
  if (t == nullptr) return;
  double w = t->image_width, h = t->image_height;
  const double corners[4][2] = {
      {x - 0.5, y - 0.5}, {x + w - 0.5, y - 0.5}, {x + w - 0.5, y + h - 0.5}, {x - 0.5, y + h - 0.5}};
  const uint32_t colors[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  DrawQuad(*t, corners, colors, 0, 0, w / t->texture_width, h / t->texture_height);
}

void DrawTextureExt(int texture, int64_t color, double x_origin, double y_origin, double x,
                    double y, double x_scale, double y_scale, double angle, double alpha) {
  const RTexture* t = TextureEntry(texture);
  if (t == nullptr) return;
  double w = t->image_width, h = t->image_height;
  double l = -x_scale * x_origin - 0.5, top = -y_scale * y_origin - 0.5;
  double r = x_scale * w + l, b = y_scale * h + top;
  double corners[4][2];
  Corners(x, y, l, top, r, b, angle, corners);
  uint32_t c = DeviceColor(color, alpha);
  const uint32_t colors[4] = {c, c, c, c};
  DrawQuad(*t, corners, colors, 0, 0, w / t->texture_width, h / t->texture_height);
}

void DrawTexturePart(int texture, int64_t color, double left, double top, double width,
                     double height, double x, double y, double x_scale, double y_scale,
                     double angle, double alpha) {
  DrawTextureGeneral(texture, color, color, left, top, width, height, x, y, x_scale, y_scale,
                     angle, color, color, alpha);
}

void DrawTextureGeneral(int texture, int64_t c1, int64_t c2, double left, double top,
                        double width, double height, double x, double y, double x_scale,
                        double y_scale, double angle, int64_t c3, int64_t c4, double alpha) {
  const RTexture* t = TextureEntry(texture);
  if (t == nullptr) return;
  double corners[4][2];
  Corners(x, y, -0.5, -0.5, x_scale * width - 0.5, y_scale * height - 0.5, angle, corners);
  const uint32_t colors[4] = {DeviceColor(c1, alpha), DeviceColor(c2, alpha),
                              DeviceColor(c3, alpha), DeviceColor(c4, alpha)};
  double tw = t->texture_width, th = t->texture_height;
  DrawQuad(*t, corners, colors, left / tw, top / th, (left + width) / tw, (top + height) / th);
}

void DrawTextureTiled(int texture, bool repeat_x, bool repeat_y, double x_origin,
                      double y_origin, double x, double y, double x_scale, double y_scale,
                      double region_left, double region_top, double region_width,
                      double region_height, int64_t color, double alpha) {
  const RTexture* t = TextureEntry(texture);
  if (t == nullptr) return;
  double w = t->image_width, h = t->image_height;
  int64_t tile_width = RoundInt(w * x_scale), tile_height = RoundInt(h * y_scale);
  if (tile_width < 1 || tile_height < 1) return;
  double l = -x_scale * x_origin - 0.5, top = -y_scale * y_origin - 0.5;
  double r = x_scale * w + l, b = y_scale * h + top;
  uint32_t c = DeviceColor(color, alpha);
  const uint32_t colors[4] = {c, c, c, c};
  double u1 = w / t->texture_width, v1 = h / t->texture_height;

  // The first tile: where the image is when not repeating, else the last
  // position at or before the region's start in the image's grid. The
  // remainder keeps the sign of the position (truncating division).
  auto first = [](bool repeat, double position, int64_t tile, double region_start) {
    int64_t d = RoundInt(position);
    if (!repeat) return d;
    d %= tile;
    if (d > 0) d -= tile;
    if (double(d + tile) < region_start) {
      d += int64_t(std::ceil((region_start - double(d + tile)) / double(tile))) * tile;
    }
    return d;
  };
  for (int64_t dx = first(repeat_x, x, tile_width, region_left);
       double(dx) < region_left + region_width; dx += tile_width) {
    for (int64_t dy = first(repeat_y, y, tile_height, region_top);
         double(dy) < region_top + region_height; dy += tile_height) {
      double px = double(dx), py = double(dy);
      const double corners[4][2] = {
          {px + l, py + top}, {px + r, py + top}, {px + r, py + b}, {px + l, py + b}};
      DrawQuad(*t, corners, colors, 0, 0, u1, v1);
      if (!repeat_y) break;
    }
    if (!repeat_x) break;
  }
}

int32_t ScreenPixel(int x, int y) {
  runner::CBitmap32 pixel = Capture(x, y, 1, 1);
  if (pixel.Empty()) return 0;
  return GameColor(pixel.pixels[0]);
}

namespace {
RoomToRegionMapping& Mapping() {
  static RoomToRegionMapping mapping;
  return mapping;
}
}  // namespace

void SetRoomToRegionMapping(RoomToRegionMapping mapping) { Mapping() = std::move(mapping); }

int32_t DrawGetPixel(double x, double y) {
  int rx = 0, ry = 0;
  if (Mapping()) {
    Mapping()(x, y, rx, ry);
  } else {
    rx = int(std::clamp(RoundInt(x), int64_t(INT32_MIN), int64_t(INT32_MAX)));
    ry = int(std::clamp(RoundInt(y), int64_t(INT32_MIN), int64_t(INT32_MAX)));
  }
  return ScreenPixel(rx, ry);
}

}  // namespace vendrel::graphics
