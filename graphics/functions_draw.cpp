// The drawing built-ins: drawing colour and alpha, shapes, user primitives,
// blend modes, clears, colour models, and the draw_sprite, draw_background
// and draw_surface families. Handlers convert their arguments and call
// graphics/draw.h and graphics/resource_draw.h.
#include <cmath>

#include "code/function_registry.h"
#include "graphics/function_families.h"
#include "graphics/color.h"
#include "graphics/device.h"
#include "graphics/function_arguments.h"
#include "graphics/draw.h"
#include "graphics/resource_draw.h"
#include "interpreter/function_families.h"
#include "runtime/instance.h"

namespace vendrel::graphics {

namespace {

using interp::ArgInt;
using interp::ArgReal;
using interp::RValue;

// A negative subimage is the calling instance's current image.
int64_t Frame(runtime::CInstance* self, const RValue& value) {
  int64_t frame = ArgInt(value);
  if (frame >= 0) return frame;
  return self ? int64_t(std::floor(self->image_index)) : 0;
}

// Drawing state ---------------------------------------------------------------

VENDREL_BUILTIN(DrawSetColor) { SetDrawColor(ArgInt(args[0])); }
VENDREL_BUILTIN(DrawSetAlpha) { SetDrawAlpha(ArgReal(args[0])); }
VENDREL_BUILTIN(DrawGetColor) { result.SetReal(DrawColor()); }
VENDREL_BUILTIN(DrawGetAlpha) { result.SetReal(DrawAlpha()); }
VENDREL_BUILTIN(DrawSetCirclePrecision) { SetCirclePrecision(ArgInt32(args[0])); }
VENDREL_BUILTIN(DrawSetBlendMode) { SetBlendMode(ArgInt32(args[0])); }
VENDREL_BUILTIN(DrawSetBlendModeExt) {
  SetBlendModeExt(ArgInt32(args[0]), ArgInt32(args[1]));
}
VENDREL_BUILTIN(DrawClearFn) { DrawClear(ArgInt(args[0])); }
VENDREL_BUILTIN(DrawClearAlphaFn) { DrawClearAlpha(ArgInt(args[0]), ArgReal(args[1])); }
VENDREL_BUILTIN(DrawGetPixelFn) { result.SetReal(DrawGetPixel(ArgReal(args[0]), ArgReal(args[1]))); }

// Shapes ----------------------------------------------------------------------

VENDREL_BUILTIN(DrawPointFn) { DrawPoint(ArgReal(args[0]), ArgReal(args[1])); }
VENDREL_BUILTIN(DrawLineFn) {
  DrawLine(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]));
}
VENDREL_BUILTIN(DrawRectangleFn) {
  DrawRectangle(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                ArgBool(args[4]));
}
VENDREL_BUILTIN(DrawRoundRectFn) {
  DrawRoundRect(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                ArgBool(args[4]));
}
VENDREL_BUILTIN(DrawTriangleFn) {
  DrawTriangle(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
               ArgReal(args[4]), ArgReal(args[5]), ArgBool(args[6]));
}
VENDREL_BUILTIN(DrawCircleFn) {
  DrawCircle(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgBool(args[3]));
}
VENDREL_BUILTIN(DrawEllipseFn) {
  DrawEllipse(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
              ArgBool(args[4]));
}
VENDREL_BUILTIN(DrawArrowFn) {
  DrawArrow(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
            ArgReal(args[4]));
}
VENDREL_BUILTIN(DrawButtonFn) {
  DrawButton(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
             ArgBool(args[4]));
}
// x1, y1, x2, y2, amount, back colour, min colour, max colour, direction,
// show back, show border
VENDREL_BUILTIN(DrawHealthBarFn) {
  DrawHealthBar(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                ArgReal(args[4]), ArgInt(args[5]), ArgInt(args[6]), ArgInt(args[7]),
                ArgInt32(args[8]), ArgBool(args[9]), ArgBool(args[10]));
}
VENDREL_BUILTIN(DrawPointColorFn) {
  DrawPointColor(ArgReal(args[0]), ArgReal(args[1]), ArgInt(args[2]));
}
VENDREL_BUILTIN(DrawLineColorFn) {
  DrawLineColor(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                ArgInt(args[4]), ArgInt(args[5]));
}
VENDREL_BUILTIN(DrawRectangleColorFn) {
  DrawRectangleColor(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                     ArgInt(args[4]), ArgInt(args[5]), ArgInt(args[6]), ArgInt(args[7]),
                     ArgBool(args[8]));
}
VENDREL_BUILTIN(DrawRoundRectColorFn) {
  DrawRoundRectColor(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                     ArgInt(args[4]), ArgInt(args[5]), ArgBool(args[6]));
}
VENDREL_BUILTIN(DrawTriangleColorFn) {
  DrawTriangleColor(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                    ArgReal(args[4]), ArgReal(args[5]), ArgInt(args[6]), ArgInt(args[7]),
                    ArgInt(args[8]), ArgBool(args[9]));
}
VENDREL_BUILTIN(DrawCircleColorFn) {
  DrawCircleColor(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgInt(args[3]),
                  ArgInt(args[4]), ArgBool(args[5]));
}
VENDREL_BUILTIN(DrawEllipseColorFn) {
  DrawEllipseColor(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                   ArgInt(args[4]), ArgInt(args[5]), ArgBool(args[6]));
}

// User primitives -------------------------------------------------------------

VENDREL_BUILTIN(DrawPrimitiveBegin) { PrimitiveBegin(ArgInt32(args[0])); }
VENDREL_BUILTIN(DrawPrimitiveBeginTexture) {
  PrimitiveBeginTexture(ArgInt32(args[0]), ArgId(args[1]));
}
VENDREL_BUILTIN(DrawPrimitiveEnd) { PrimitiveEnd(); }
VENDREL_BUILTIN(DrawVertex) { PrimitiveVertex(ArgReal(args[0]), ArgReal(args[1])); }
VENDREL_BUILTIN(DrawVertexColor) {
  PrimitiveVertexColor(ArgReal(args[0]), ArgReal(args[1]), ArgInt(args[2]), ArgReal(args[3]));
}
VENDREL_BUILTIN(DrawVertexTexture) {
  PrimitiveVertexTexture(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]),
                         ArgReal(args[3]));
}
VENDREL_BUILTIN(DrawVertexTextureColor) {
  PrimitiveVertexTextureColor(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]),
                              ArgReal(args[3]), ArgInt(args[4]), ArgReal(args[5]));
}

// Colours ---------------------------------------------------------------------

VENDREL_BUILTIN(MakeColorRgbFn) {
  result.SetReal(MakeColorRgb(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2])));
}
VENDREL_BUILTIN(MakeColorHsvFn) {
  result.SetReal(MakeColorHsv(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2])));
}
VENDREL_BUILTIN(ColorGetRed) { result.SetReal(double(ColorRed(ArgReal(args[0])))); }
VENDREL_BUILTIN(ColorGetGreen) { result.SetReal(double(ColorGreen(ArgReal(args[0])))); }
VENDREL_BUILTIN(ColorGetBlue) { result.SetReal(double(ColorBlue(ArgReal(args[0])))); }
VENDREL_BUILTIN(ColorGetHue) { result.SetReal(ColorHue(ArgReal(args[0]))); }
VENDREL_BUILTIN(ColorGetSaturation) { result.SetReal(ColorSaturation(ArgReal(args[0]))); }
VENDREL_BUILTIN(ColorGetValue) { result.SetReal(ColorValue(ArgReal(args[0]))); }
VENDREL_BUILTIN(MergeColorFn) {
  result.SetReal(MergeColor(ArgInt(args[0]), ArgInt(args[1]), ArgReal(args[2])));
}

// Sprites, backgrounds and surfaces ------------------------------------------
// The sprite forms take (sprite, subimage, ...), the others (id, ...); the
// rest of the arguments follow in the same order for all three.

template <ImageSource kSource>
constexpr int kFirst = kSource == ImageSource::Sprite ? 2 : 1;

template <ImageSource kSource>
int64_t FrameOf(runtime::CInstance* self, RValue* args) {
  return kSource == ImageSource::Sprite ? Frame(self, args[1]) : 0;
}

// x, y
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImageFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImage(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
            ArgReal(a[1]));
}
// x, y, xscale, yscale, rot, colour, alpha
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImageExtFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImageExt(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
               ArgReal(a[1]), ArgReal(a[2]), ArgReal(a[3]), ArgReal(a[4]), ArgInt(a[5]),
               ArgReal(a[6]));
}
// x, y, w, h
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImageStretchedFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImageStretched(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
                     ArgReal(a[1]), ArgReal(a[2]), ArgReal(a[3]), 16777215, 1.0);
}
// x, y, w, h, colour, alpha
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImageStretchedExtFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImageStretched(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
                     ArgReal(a[1]), ArgReal(a[2]), ArgReal(a[3]), ArgInt(a[4]), ArgReal(a[5]));
}
// left, top, width, height, x, y
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImagePartFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImagePart(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
                ArgReal(a[1]), ArgReal(a[2]), ArgReal(a[3]), ArgReal(a[4]), ArgReal(a[5]), 1, 1,
                16777215, 1.0);
}
// left, top, width, height, x, y, xscale, yscale, colour, alpha
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImagePartExtFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImagePart(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
                ArgReal(a[1]), ArgReal(a[2]), ArgReal(a[3]), ArgReal(a[4]), ArgReal(a[5]),
                ArgReal(a[6]), ArgReal(a[7]), ArgInt(a[8]), ArgReal(a[9]));
}
// left, top, width, height, x, y, xscale, yscale, rot, c1, c2, c3, c4, alpha
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImageGeneralFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImageGeneral(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
                   ArgReal(a[1]), ArgReal(a[2]), ArgReal(a[3]), ArgReal(a[4]), ArgReal(a[5]),
                   ArgReal(a[6]), ArgReal(a[7]), ArgReal(a[8]), ArgInt(a[9]), ArgInt(a[10]),
                   ArgInt(a[11]), ArgInt(a[12]), ArgReal(a[13]));
}
// x, y
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImageTiledFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImageTiled(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
                 ArgReal(a[1]), 1, 1, 16777215, 1.0);
}
// x, y, xscale, yscale, colour, alpha
template <ImageSource kSource>
VENDREL_BUILTIN(DrawImageTiledExtFn) {
  RValue* a = args + kFirst<kSource>;
  DrawImageTiled(kSource, ArgId(args[0]), FrameOf<kSource>(self, args), ArgReal(a[0]),
                 ArgReal(a[1]), ArgReal(a[2]), ArgReal(a[3]), ArgInt(a[4]), ArgReal(a[5]));
}

// path, x, y, absolute
VENDREL_BUILTIN(DrawPathFn) {
  DrawPath(ArgId(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgBool(args[3]));
}

constexpr ImageSource kSprite = ImageSource::Sprite;
constexpr ImageSource kBackground = ImageSource::Background;
constexpr ImageSource kSurface = ImageSource::Surface;

}  // namespace

static const code::FunctionTableRow kDrawFunctions[] = {
    {"draw_set_color", 1, DrawSetColor},
    {"draw_set_alpha", 1, DrawSetAlpha},
    {"draw_get_color", 0, DrawGetColor},
    {"draw_get_alpha", 0, DrawGetAlpha},
    {"draw_set_circle_precision", 1, DrawSetCirclePrecision},
    {"draw_set_blend_mode", 1, DrawSetBlendMode},
    {"draw_set_blend_mode_ext", 2, DrawSetBlendModeExt},
    {"draw_clear", 1, DrawClearFn},
    {"draw_clear_alpha", 2, DrawClearAlphaFn},
    {"draw_getpixel", 2, DrawGetPixelFn},
    {"draw_point", 2, DrawPointFn},
    {"draw_line", 4, DrawLineFn},
    {"draw_rectangle", 5, DrawRectangleFn},
    {"draw_roundrect", 5, DrawRoundRectFn},
    {"draw_triangle", 7, DrawTriangleFn},
    {"draw_circle", 4, DrawCircleFn},
    {"draw_ellipse", 5, DrawEllipseFn},
    {"draw_arrow", 5, DrawArrowFn},
    {"draw_button", 5, DrawButtonFn},
    {"draw_healthbar", 11, DrawHealthBarFn},
    {"draw_path", 4, DrawPathFn},
    {"draw_point_color", 3, DrawPointColorFn},
    {"draw_line_color", 6, DrawLineColorFn},
    {"draw_rectangle_color", 9, DrawRectangleColorFn},
    {"draw_roundrect_color", 7, DrawRoundRectColorFn},
    {"draw_triangle_color", 10, DrawTriangleColorFn},
    {"draw_circle_color", 6, DrawCircleColorFn},
    {"draw_ellipse_color", 7, DrawEllipseColorFn},
    {"draw_primitive_begin", 1, DrawPrimitiveBegin},
    {"draw_primitive_begin_texture", 2, DrawPrimitiveBeginTexture},
    {"draw_primitive_end", 0, DrawPrimitiveEnd},
    {"draw_vertex", 2, DrawVertex},
    {"draw_vertex_color", 4, DrawVertexColor},
    {"draw_vertex_texture", 4, DrawVertexTexture},
    {"draw_vertex_texture_color", 6, DrawVertexTextureColor},
    {"make_color", 3, MakeColorRgbFn},
    {"make_color_rgb", 3, MakeColorRgbFn},
    {"make_color_hsv", 3, MakeColorHsvFn},
    {"color_get_red", 1, ColorGetRed},
    {"color_get_green", 1, ColorGetGreen},
    {"color_get_blue", 1, ColorGetBlue},
    {"color_get_hue", 1, ColorGetHue},
    {"color_get_saturation", 1, ColorGetSaturation},
    {"color_get_value", 1, ColorGetValue},
    {"merge_color", 3, MergeColorFn},
    {"draw_sprite", 4, DrawImageFn<kSprite>},
    {"draw_sprite_ext", 9, DrawImageExtFn<kSprite>},
    {"draw_sprite_stretched", 6, DrawImageStretchedFn<kSprite>},
    {"draw_sprite_stretched_ext", 8, DrawImageStretchedExtFn<kSprite>},
    {"draw_sprite_part", 8, DrawImagePartFn<kSprite>},
    {"draw_sprite_part_ext", 12, DrawImagePartExtFn<kSprite>},
    {"draw_sprite_general", 16, DrawImageGeneralFn<kSprite>},
    {"draw_sprite_tiled", 4, DrawImageTiledFn<kSprite>},
    {"draw_sprite_tiled_ext", 8, DrawImageTiledExtFn<kSprite>},
    {"draw_background", 3, DrawImageFn<kBackground>},
    {"draw_background_ext", 8, DrawImageExtFn<kBackground>},
    {"draw_background_stretched", 5, DrawImageStretchedFn<kBackground>},
    {"draw_background_stretched_ext", 7, DrawImageStretchedExtFn<kBackground>},
    {"draw_background_part", 7, DrawImagePartFn<kBackground>},
    {"draw_background_part_ext", 11, DrawImagePartExtFn<kBackground>},
    {"draw_background_general", 15, DrawImageGeneralFn<kBackground>},
    {"draw_background_tiled", 3, DrawImageTiledFn<kBackground>},
    {"draw_background_tiled_ext", 7, DrawImageTiledExtFn<kBackground>},
    {"draw_surface", 3, DrawImageFn<kSurface>},
    {"draw_surface_ext", 8, DrawImageExtFn<kSurface>},
    {"draw_surface_stretched", 5, DrawImageStretchedFn<kSurface>},
    {"draw_surface_stretched_ext", 7, DrawImageStretchedExtFn<kSurface>},
    {"draw_surface_part", 7, DrawImagePartFn<kSurface>},
    {"draw_surface_part_ext", 11, DrawImagePartExtFn<kSurface>},
    {"draw_surface_general", 15, DrawImageGeneralFn<kSurface>},
    {"draw_surface_tiled", 3, DrawImageTiledFn<kSurface>},
    {"draw_surface_tiled_ext", 7, DrawImageTiledExtFn<kSurface>},
};

void RegisterDrawFunctions() { code::RegisterFamily(kDrawFunctions); }

}  // namespace vendrel::graphics
