// The text built-ins: the drawing font and alignment, string measuring and
// the draw_text family. Handlers convert their arguments and call
// graphics/text.h.
#include "code/function_registry.h"
#include "graphics/function_families.h"
#include "graphics/text.h"
#include "interpreter/function_families.h"

namespace vendrel::graphics {

namespace {

using interp::ArgInt;
using interp::ArgReal;
using interp::ArgString;

VENDREL_BUILTIN(DrawSetFont) { SetDrawFont(ArgInt(args[0])); }
VENDREL_BUILTIN(DrawSetHAlign) { SetHAlign(ArgInt(args[0])); }
VENDREL_BUILTIN(DrawSetVAlign) { SetVAlign(ArgInt(args[0])); }

VENDREL_BUILTIN(StringWidth) {
  result.SetReal(double(TextWidth(FontInUse(), ArgString(args[0]), -1)));
}
VENDREL_BUILTIN(StringHeight) {
  result.SetReal(double(TextHeight(FontInUse(), ArgString(args[0]), -1, -1)));
}
// string, separation, width
VENDREL_BUILTIN(StringWidthExt) {
  result.SetReal(double(TextWidth(FontInUse(), ArgString(args[0]), ArgInt(args[2]))));
}
VENDREL_BUILTIN(StringHeightExt) {
  result.SetReal(
      double(TextHeight(FontInUse(), ArgString(args[0]), ArgInt(args[1]), ArgInt(args[2]))));
}

// x, y, value
VENDREL_BUILTIN(DrawTextFn) {
  DrawText(ArgReal(args[0]), ArgReal(args[1]), TextOfValue(args[2]));
}
// x, y, value, separation, width
VENDREL_BUILTIN(DrawTextExt) {
  DrawText(ArgReal(args[0]), ArgReal(args[1]), TextOfValue(args[2]), ArgInt(args[3]),
           ArgInt(args[4]));
}
// x, y, value, x scale, y scale, angle
VENDREL_BUILTIN(DrawTextTransformedFn) {
  DrawTextTransformed(ArgReal(args[0]), ArgReal(args[1]), TextOfValue(args[2]), -1, -1,
                      ArgReal(args[3]), ArgReal(args[4]), ArgReal(args[5]));
}
// x, y, value, separation, width, x scale, y scale, angle
VENDREL_BUILTIN(DrawTextExtTransformed) {
  DrawTextTransformed(ArgReal(args[0]), ArgReal(args[1]), TextOfValue(args[2]),
                      ArgInt(args[3]), ArgInt(args[4]), ArgReal(args[5]), ArgReal(args[6]),
                      ArgReal(args[7]));
}
// x, y, value, c1, c2, c3, c4, alpha
VENDREL_BUILTIN(DrawTextColorFn) {
  DrawTextColor(ArgReal(args[0]), ArgReal(args[1]), TextOfValue(args[2]), -1, -1,
                ArgInt(args[3]), ArgInt(args[4]), ArgInt(args[5]), ArgInt(args[6]),
                ArgReal(args[7]));
}
// x, y, value, x scale, y scale, angle, c1, c2, c3, c4, alpha
VENDREL_BUILTIN(DrawTextTransformedColorFn) {
  DrawTextTransformedColor(ArgReal(args[0]), ArgReal(args[1]), TextOfValue(args[2]), -1, -1,
                           ArgReal(args[3]), ArgReal(args[4]), ArgReal(args[5]),
                           ArgInt(args[6]), ArgInt(args[7]), ArgInt(args[8]),
                           ArgInt(args[9]), ArgReal(args[10]));
}
// x, y, value, separation, width, c1, c2, c3, c4, alpha
VENDREL_BUILTIN(DrawTextExtColor) {
  DrawTextColor(ArgReal(args[0]), ArgReal(args[1]), TextOfValue(args[2]), ArgInt(args[3]),
                ArgInt(args[4]), ArgInt(args[5]), ArgInt(args[6]), ArgInt(args[7]),
                ArgInt(args[8]), ArgReal(args[9]));
}
// x, y, value, separation, width, x scale, y scale, angle, c1, c2, c3, c4,
// alpha
VENDREL_BUILTIN(DrawTextExtTransformedColor) {
  DrawTextTransformedColor(ArgReal(args[0]), ArgReal(args[1]), TextOfValue(args[2]),
                           ArgInt(args[3]), ArgInt(args[4]), ArgReal(args[5]),
                           ArgReal(args[6]), ArgReal(args[7]), ArgInt(args[8]),
                           ArgInt(args[9]), ArgInt(args[10]), ArgInt(args[11]),
                           ArgReal(args[12]));
}

}  // namespace

static const code::FunctionTableRow kTextFunctions[] = {
    {"draw_set_font", 1, DrawSetFont},
    {"draw_set_halign", 1, DrawSetHAlign},
    {"draw_set_valign", 1, DrawSetVAlign},
    {"string_width", 1, StringWidth},
    {"string_height", 1, StringHeight},
    {"string_width_ext", 3, StringWidthExt},
    {"string_height_ext", 3, StringHeightExt},
    {"draw_text", 3, DrawTextFn},
    {"draw_text_ext", 5, DrawTextExt},
    {"draw_text_transformed", 6, DrawTextTransformedFn},
    {"draw_text_ext_transformed", 8, DrawTextExtTransformed},
    {"draw_text_color", 8, DrawTextColorFn},
    {"draw_text_transformed_color", 11, DrawTextTransformedColorFn},
    {"draw_text_ext_color", 10, DrawTextExtColor},
    {"draw_text_ext_transformed_color", 13, DrawTextExtTransformedColor},
};

void RegisterTextFunctions() { code::RegisterFamily(kTextFunctions); }

}  // namespace vendrel::graphics
