// Drawing: the drawing colour and alpha, untextured shapes, user-built
// primitives and textured quads. Everything a game draws ends in one of
// these. Coordinates are room coordinates (doubles, sent as floats); shapes
// use them unchanged, quads add the half-pixel offset so that an image
// drawn at whole coordinates covers whole pixels. Nothing is drawn while
// there is no device.
#pragma once

#include <cstdint>
#include <functional>

namespace vendrel::graphics {

// Primitive kinds (pr_*).
inline constexpr int kPrPointList = 1;
inline constexpr int kPrLineList = 2;
inline constexpr int kPrLineStrip = 3;
inline constexpr int kPrTriangleList = 4;
inline constexpr int kPrTriangleStrip = 5;
inline constexpr int kPrTriangleFan = 6;

// The user-primitive buffer holds at most this many vertices.
inline constexpr int kMaxPrimitiveVertices = 1001;

// Drawing state ------------------------------------------------------------

// Back to the state a game starts with: black, alpha 1, depth 0, circle
// precision 24, an empty primitive.
void ResetDrawState();
void SetDrawColor(int64_t color);
void SetDrawAlpha(double alpha);
int32_t DrawColor();          // as a game colour
uint32_t DrawDeviceColor();   // 0xAARRGGBB, the alpha merged in
double DrawAlpha();
// The z of every vertex (always 0 outside 3D mode).
void SetDrawDepth(double depth);
double DrawDepth();
// Segments of circles and ellipses: min(64, max(4, n)) rounded down to a
// multiple of 4.
void SetCirclePrecision(int n);
int CirclePrecision();

// Shapes -------------------------------------------------------------------
// Colours given to the _color forms are game colours, combined with the
// drawing alpha; the other forms use the drawing colour.

void DrawPoint(double x, double y);
void DrawPointColor(double x, double y, int64_t color);
void DrawLine(double x1, double y1, double x2, double y2);
void DrawLineColor(double x1, double y1, double x2, double y2, int64_t color1, int64_t color2);
void DrawRectangle(double x1, double y1, double x2, double y2, bool outline);
// Colours of the top-left, top-right, bottom-right and bottom-left corners.
void DrawRectangleColor(double x1, double y1, double x2, double y2, int64_t c1, int64_t c2,
                        int64_t c3, int64_t c4, bool outline);
void DrawTriangle(double x1, double y1, double x2, double y2, double x3, double y3,
                  bool outline);
void DrawTriangleColor(double x1, double y1, double x2, double y2, double x3, double y3,
                       int64_t c1, int64_t c2, int64_t c3, bool outline);
void DrawEllipse(double x1, double y1, double x2, double y2, bool outline);
void DrawEllipseColor(double x1, double y1, double x2, double y2, int64_t inner, int64_t outer,
                      bool outline);
void DrawCircle(double x, double y, double r, bool outline);
void DrawCircleColor(double x, double y, double r, int64_t inner, int64_t outer, bool outline);
// Corner size 10 in both directions.
void DrawRoundRect(double x1, double y1, double x2, double y2, bool outline);
void DrawRoundRectColor(double x1, double y1, double x2, double y2, int64_t inner,
                        int64_t outer, bool outline);
void DrawArrow(double x1, double y1, double x2, double y2, double size);
void DrawButton(double x1, double y1, double x2, double y2, bool up);
// direction: 0 grows to the right, 1 to the left, 2 down, 3 up.
void DrawHealthBar(double x1, double y1, double x2, double y2, double amount,
                   int64_t back_color, int64_t min_color, int64_t max_color, int direction,
                   bool show_back, bool show_border);
// Clears the viewport of the render target (alpha 1, or [alpha]).
void DrawClear(int64_t color);
void DrawClearAlpha(int64_t color, double alpha);

// User primitives ----------------------------------------------------------

void PrimitiveBegin(int kind);
void PrimitiveBeginTexture(int kind, int texture);
void PrimitiveVertex(double x, double y);
void PrimitiveVertexColor(double x, double y, int64_t color, double alpha);
void PrimitiveVertexTexture(double x, double y, double u, double v);
void PrimitiveVertexTextureColor(double x, double y, double u, double v, int64_t color,
                                 double alpha);
void PrimitiveEnd();
// Vertices gathered since the last begin (at most kMaxPrimitiveVertices).
int PrimitiveVertexCount();

// Textured quads -------------------------------------------------------------
// On texture ids of the texture table; angles in radians (counter-clockwise
// on the screen); colours are game colours. A texture that does not exist
// draws nothing.

void DrawTexture(int texture, double x, double y);
void DrawTextureExt(int texture, int64_t color, double x_origin, double y_origin, double x,
                    double y, double x_scale, double y_scale, double angle, double alpha);
void DrawTexturePart(int texture, int64_t color, double left, double top, double width,
                     double height, double x, double y, double x_scale, double y_scale,
                     double angle, double alpha);
void DrawTextureGeneral(int texture, int64_t c1, int64_t c2, double left, double top,
                        double width, double height, double x, double y, double x_scale,
                        double y_scale, double angle, int64_t c3, int64_t c4, double alpha);
// Repeats the image over the region (left, top, width, height) in the
// directions asked for.
void DrawTextureTiled(int texture, bool repeat_x, bool repeat_y, double x_origin,
                      double y_origin, double x, double y, double x_scale, double y_scale,
                      double region_left, double region_top, double region_width,
                      double region_height, int64_t color, double alpha);

// The back-buffer pixel at region point (x, y) as a game colour; 0 outside
// the region or without a device.
int32_t ScreenPixel(int x, int y);

// How draw_getpixel turns a room point into a region point. Room drawing
// installs the mapping through the view being drawn; without one the
// point is rounded.
using RoomToRegionMapping = std::function<void(double x, double y, int& rx, int& ry)>;
void SetRoomToRegionMapping(RoomToRegionMapping mapping);
// draw_getpixel: the pixel under room point (x, y) as a game colour.
int32_t DrawGetPixel(double x, double y);

}  // namespace vendrel::graphics
