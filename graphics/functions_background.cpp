// The background resource built-ins: properties of backgrounds, and
// backgrounds made while the game runs from image files, the screen,
// surfaces, a colour or a gradient, copied and deleted. Handlers convert
// their arguments and call graphics/resource_images.h.
//
// A background that does not exist gives -1 from the getters
// ("<undefined>" from the name functions); setters then do nothing.
#include <string>

#include "code/errors.h"
#include "code/function_registry.h"
#include "graphics/device.h"
#include "graphics/function_arguments.h"
#include "graphics/function_families.h"
#include "graphics/resource_images.h"
#include "graphics/surface.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"

namespace vendrel::graphics {

namespace {

using interp::ArgInt;
using interp::ArgString;
using resources::CBackground;

CBackground* BackgroundArg(const interp::RValue& value) {
  return resources::Resources().backgrounds.Get(ArgId(value));
}

VENDREL_BUILTIN(BackgroundName) {
  result.SetString(resources::Resources().backgrounds.Name(ArgId(args[0])));
}
VENDREL_BUILTIN(BackgroundExists) { SetBool(result, BackgroundArg(args[0]) != nullptr); }

// A whole-number property, -1 when the background does not exist.
template <int (*Field)(const CBackground&)>
VENDREL_BUILTIN(BackgroundGetField) {
  const CBackground* background = BackgroundArg(args[0]);
  result.SetReal(background != nullptr ? Field(*background) : -1);
}
int WidthOf(const CBackground& b) { return b.width; }
int HeightOf(const CBackground& b) { return b.height; }
int TransparentOf(const CBackground& b) { return b.transparent ? 1 : 0; }
int SmoothOf(const CBackground& b) { return b.smooth ? 1 : 0; }
int PreloadOf(const CBackground& b) { return b.preload ? 1 : 0; }

// ind, back
VENDREL_BUILTIN(BackgroundSetAlphaFromBackground) {
  CBackground* background = BackgroundArg(args[0]);
  const CBackground* source = BackgroundArg(args[1]);
  if (background != nullptr && source != nullptr) SetBackgroundAlphaFrom(*background, *source);
}

// A new background made from [bitmap]: flags from args[first] on
// (transparent, smooth, preload, all above 0.5).
int NewBackgroundFromBitmap(const runner::CBitmap32& bitmap, bool alpha,
                            const interp::RValue* args, int first) {
  int index = AddEmptyBackground();
  CreateBackgroundFromBitmap(*resources::Resources().backgrounds.Get(index), bitmap,
                             ArgBoolAbove(args[first]), alpha, ArgBoolAbove(args[first + 2]),
                             ArgBoolAbove(args[first + 1]));
  return index;
}
// x, y, w, h, transparent, smooth, preload
VENDREL_BUILTIN(BackgroundCreateFromScreen) {
  runner::CBitmap32 bitmap = Capture(ArgInt32(args[0]), ArgInt32(args[1]),
                                     ArgInt32(args[2]), ArgInt32(args[3]));
  result.SetReal(NewBackgroundFromBitmap(bitmap, false, args, 4));
}
// id, x, y, w, h, transparent, smooth, preload
VENDREL_BUILTIN(BackgroundCreateFromSurface) {
  runner::CBitmap32 bitmap = CaptureSurface(ArgId(args[0]), ArgInt32(args[1]),
                                            ArgInt32(args[2]), ArgInt32(args[3]),
                                            ArgInt32(args[4]));
  result.SetReal(NewBackgroundFromBitmap(bitmap, true, args, 5));
}
// w, h, col, preload
VENDREL_BUILTIN(BackgroundCreateColor) {
  int index = AddEmptyBackground();
  CreateBackgroundColor(*resources::Resources().backgrounds.Get(index), ArgInt32(args[0]),
                        ArgInt32(args[1]), ArgBoolAbove(args[3]), ArgInt(args[2]));
  result.SetReal(index);
}
// w, h, col1, col2, kind, preload
VENDREL_BUILTIN(BackgroundCreateGradient) {
  int index = AddEmptyBackground();
  CreateBackgroundGradient(*resources::Resources().backgrounds.Get(index),
                           ArgInt32(args[0]), ArgInt32(args[1]), ArgBoolAbove(args[5]),
                           ArgInt32(args[4]), ArgInt(args[2]), ArgInt(args[3]));
  result.SetReal(index);
}
// fname, transparent, smooth, preload
VENDREL_BUILTIN(BackgroundAdd) {
  result.SetReal(AddBackground(ArgString(args[0]), ArgBool(args[1]), ArgBool(args[2]),
                               ArgBoolAbove(args[3])));
}
// ind, fname, transparent, smooth, preload
VENDREL_BUILTIN(BackgroundReplace) {
  int index = ArgId(args[0]);
  if (!resources::Resources().backgrounds.Exists(index)) {
    code::ShowRunError("Trying to replace non-existing background.", false);
    return;
  }
  SetBool(result, ReplaceBackground(index, ArgString(args[1]), ArgBool(args[2]),
                                    ArgBool(args[3]), ArgBoolAbove(args[4])));
}
VENDREL_BUILTIN(BackgroundDelete) {
  if (!DeleteBackground(ArgId(args[0]))) {
    code::ShowRunError("Trying to delete non-existing background.", false);
  }
}
VENDREL_BUILTIN(BackgroundDuplicate) {
  int index = ArgId(args[0]);
  if (!resources::Resources().backgrounds.Exists(index)) {
    code::ShowRunError("Trying to duplicate non-existing background.", false);
    return;
  }
  result.SetReal(DuplicateBackground(index));
}
// ind, back
VENDREL_BUILTIN(BackgroundAssign) {
  if (!AssignBackgroundFrom(ArgId(args[0]), ArgId(args[1]))) {
    code::ShowRunError("Error assigning a background.", false);
  }
}

}  // namespace

static const code::FunctionTableRow kBackgroundFunctions[] = {
    {"background_name", 1, BackgroundName},
    {"background_get_name", 1, BackgroundName},
    {"background_exists", 1, BackgroundExists},
    {"background_get_width", 1, BackgroundGetField<WidthOf>},
    {"background_get_height", 1, BackgroundGetField<HeightOf>},
    {"background_get_transparent", 1, BackgroundGetField<TransparentOf>},
    {"background_get_smooth", 1, BackgroundGetField<SmoothOf>},
    {"background_get_preload", 1, BackgroundGetField<PreloadOf>},
    {"background_set_alpha_from_background", 2, BackgroundSetAlphaFromBackground},
    {"background_create_from_screen", 7, BackgroundCreateFromScreen},
    {"background_create_from_surface", 8, BackgroundCreateFromSurface},
    {"background_create_color", 4, BackgroundCreateColor},
    {"background_create_gradient", 6, BackgroundCreateGradient},
    {"background_add", 4, BackgroundAdd},
    {"background_replace", 5, BackgroundReplace},
    {"background_delete", 1, BackgroundDelete},
    {"background_duplicate", 1, BackgroundDuplicate},
    {"background_assign", 2, BackgroundAssign},
};

void RegisterBackgroundFunctions() { code::RegisterFamily(kBackgroundFunctions); }

}  // namespace vendrel::graphics
