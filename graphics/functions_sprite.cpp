// The sprite resource built-ins: properties of sprites, their origin,
// bounding box and precision, and sprites made while the game runs from
// image files, the screen and surfaces, copied, merged and deleted.
// Handlers convert their arguments and call graphics/resource_images.h.
//
// A sprite that does not exist gives -1 from the getters ("<undefined>"
// from the name functions); setters then do nothing. Changes that move a
// sprite's box or origin recompute the boxes of the room's instances.
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

using interp::ArgString;
using resources::CSprite;

CSprite* SpriteArg(const interp::RValue& value) {
  return resources::Resources().sprites.Get(ArgId(value));
}

VENDREL_BUILTIN(SpriteName) {
  result.SetString(resources::Resources().sprites.Name(ArgId(args[0])));
}
VENDREL_BUILTIN(SpriteExists) { SetBool(result, SpriteArg(args[0]) != nullptr); }

// A whole-number property, -1 when the sprite does not exist.
template <int (*Field)(const CSprite&)>
VENDREL_BUILTIN(SpriteGetField) {
  const CSprite* sprite = SpriteArg(args[0]);
  result.SetReal(sprite != nullptr ? Field(*sprite) : -1);
}
int NumberOf(const CSprite& s) { return s.FrameCount(); }
int WidthOf(const CSprite& s) { return s.width; }
int HeightOf(const CSprite& s) { return s.height; }
int TransparentOf(const CSprite& s) { return s.transparent ? 1 : 0; }
int SmoothOf(const CSprite& s) { return s.smooth ? 1 : 0; }
int PreloadOf(const CSprite& s) { return s.preload ? 1 : 0; }
int PreciseOf(const CSprite& s) { return s.precise ? 1 : 0; }
int XOffsetOf(const CSprite& s) { return s.x_origin; }
int YOffsetOf(const CSprite& s) { return s.y_origin; }
int BboxModeOf(const CSprite& s) { return s.bbox_mode; }
int BboxLeftOf(const CSprite& s) { return s.bbox_left; }
int BboxRightOf(const CSprite& s) { return s.bbox_right; }
int BboxTopOf(const CSprite& s) { return s.bbox_top; }
int BboxBottomOf(const CSprite& s) { return s.bbox_bottom; }

// ind, xoff, yoff
VENDREL_BUILTIN(SpriteSetOffset) {
  if (CSprite* sprite = SpriteArg(args[0])) {
    sprite->x_origin = ArgInt32(args[1]);
    sprite->y_origin = ArgInt32(args[2]);
    RefreshInstanceBoxes();
  }
}
// ind, mode
VENDREL_BUILTIN(SpriteSetBboxMode) {
  if (CSprite* sprite = SpriteArg(args[0])) {
    sprite->SetBoundingBoxMode(ArgInt32(args[1]));
    RefreshInstanceBoxes();
  }
}
// ind, left, top, right, bottom
VENDREL_BUILTIN(SpriteSetBbox) {
  if (CSprite* sprite = SpriteArg(args[0])) {
    sprite->SetBoundingBox(ArgInt32(args[1]), ArgInt32(args[2]), ArgInt32(args[3]),
                           ArgInt32(args[4]));
    RefreshInstanceBoxes();
  }
}
// ind, precise
VENDREL_BUILTIN(SpriteSetPrecise) {
  if (CSprite* sprite = SpriteArg(args[0])) sprite->SetPrecise(ArgBool(args[1]));
}
// ind, spr
VENDREL_BUILTIN(SpriteSetAlphaFromSprite) {
  CSprite* sprite = SpriteArg(args[0]);
  const CSprite* source = SpriteArg(args[1]);
  if (sprite != nullptr && source != nullptr) SetSpriteAlphaFrom(*sprite, *source);
}

// A new sprite made from [bitmap]: flags from args[first] on (precise,
// transparent, smooth, preload, all above 0.5), then the origin.
int NewSpriteFromBitmap(const runner::CBitmap32& bitmap, bool alpha, const interp::RValue* args,
                        int first) {
  int index = AddEmptySprite();
  CreateSpriteFromBitmap(*resources::Resources().sprites.Get(index), bitmap,
                         ArgBoolAbove(args[first]), alpha, ArgInt32(args[first + 4]),
                         ArgInt32(args[first + 5]), ArgBoolAbove(args[first + 3]),
                         ArgBoolAbove(args[first + 2]), ArgBoolAbove(args[first + 1]));
  return index;
}

// x, y, w, h, precise, transparent, smooth, preload, xorig, yorig
VENDREL_BUILTIN(SpriteCreateFromScreen) {
  runner::CBitmap32 bitmap = Capture(ArgInt32(args[0]), ArgInt32(args[1]),
                                     ArgInt32(args[2]), ArgInt32(args[3]));
  result.SetReal(NewSpriteFromBitmap(bitmap, false, args, 4));
}
// id, x, y, w, h, precise, transparent, smooth, preload, xorig, yorig
VENDREL_BUILTIN(SpriteCreateFromSurface) {
  runner::CBitmap32 bitmap = CaptureSurface(ArgId(args[0]), ArgInt32(args[1]),
                                            ArgInt32(args[2]), ArgInt32(args[3]),
                                            ArgInt32(args[4]));
  result.SetReal(NewSpriteFromBitmap(bitmap, true, args, 5));
}

// The sprite to add a frame to, or nullptr after reporting it.
CSprite* SpriteToAddTo(const interp::RValue& value) {
  CSprite* sprite = SpriteArg(value);
  if (sprite == nullptr) code::ShowRunError("Trying to add to non-existing sprite.", false);
  return sprite;
}
// ind, x, y, w, h
VENDREL_BUILTIN(SpriteAddFromScreen) {
  if (CSprite* sprite = SpriteToAddTo(args[0])) {
    AddSpriteFrame(*sprite,
                   Capture(ArgInt32(args[1]), ArgInt32(args[2]), ArgInt32(args[3]),
                           ArgInt32(args[4])),
                   false);
    RefreshInstanceBoxes();
  }
}
// ind, id, x, y, w, h
VENDREL_BUILTIN(SpriteAddFromSurface) {
  if (CSprite* sprite = SpriteToAddTo(args[0])) {
    AddSpriteFrame(*sprite,
                   CaptureSurface(ArgId(args[1]), ArgInt32(args[2]), ArgInt32(args[3]),
                                  ArgInt32(args[4]), ArgInt32(args[5])),
                   true);
    RefreshInstanceBoxes();
  }
}

// fname, imgnumb, precise, transparent, smooth, preload, xorig, yorig
VENDREL_BUILTIN(SpriteAdd) {
  result.SetReal(AddSprite(ArgString(args[0]), ArgInt32(args[1]), ArgBool(args[2]),
                           ArgBool(args[3]), ArgBoolAbove(args[4]), ArgBoolAbove(args[5]),
                           ArgInt32(args[6]), ArgInt32(args[7])));
}
// ind, fname, imgnumb, precise, transparent, smooth, preload, xorig, yorig
VENDREL_BUILTIN(SpriteReplace) {
  int index = ArgId(args[0]);
  if (!resources::Resources().sprites.Exists(index)) {
    code::ShowRunError("Trying to replace non-existing sprite.", false);
    return;
  }
  SetBool(result, ReplaceSprite(index, ArgString(args[1]), ArgInt32(args[2]),
                                ArgBool(args[3]), ArgBool(args[4]), ArgBoolAbove(args[5]),
                                ArgBoolAbove(args[6]), ArgInt32(args[7]),
                                ArgInt32(args[8])));
  RefreshInstanceBoxes();
}
VENDREL_BUILTIN(SpriteDelete) {
  if (!DeleteSprite(ArgId(args[0]))) {
    code::ShowRunError("Trying to delete non-existing sprite.", false);
    return;
  }
  RefreshInstanceBoxes();
  result.SetReal(1);
}
VENDREL_BUILTIN(SpriteDuplicate) {
  int index = ArgId(args[0]);
  if (!resources::Resources().sprites.Exists(index)) {
    code::ShowRunError("Trying to duplicate non-existing sprite.", false);
    return;
  }
  result.SetReal(DuplicateSprite(index));
}
// ind, spr
VENDREL_BUILTIN(SpriteAssign) {
  if (!AssignSpriteFrom(ArgId(args[0]), ArgId(args[1]))) {
    code::ShowRunError("Error assigning a sprite.", false);
    return;
  }
  RefreshInstanceBoxes();
}
// ind1, ind2: the frames of ind2 are appended to ind1
VENDREL_BUILTIN(SpriteMerge) {
  CSprite* sprite = SpriteArg(args[0]);
  if (sprite == nullptr) {
    code::ShowRunError("Trying to merge to non-existing sprite.", false);
    return;
  }
  const CSprite* source = SpriteArg(args[1]);
  if (source == nullptr) {
    code::ShowRunError("Trying to merge from non-existing sprite.", false);
    return;
  }
  MergeSprite(*sprite, *source);
  RefreshInstanceBoxes();
}

static const code::FunctionTableRow kSpriteFunctions[] = {
    {"sprite_name", 1, SpriteName},
    {"sprite_get_name", 1, SpriteName},
    {"sprite_exists", 1, SpriteExists},
    {"sprite_get_number", 1, SpriteGetField<NumberOf>},
    {"sprite_get_width", 1, SpriteGetField<WidthOf>},
    {"sprite_get_height", 1, SpriteGetField<HeightOf>},
    {"sprite_get_transparent", 1, SpriteGetField<TransparentOf>},
    {"sprite_get_smooth", 1, SpriteGetField<SmoothOf>},
    {"sprite_get_preload", 1, SpriteGetField<PreloadOf>},
    {"sprite_get_precise", 1, SpriteGetField<PreciseOf>},
    {"sprite_get_xoffset", 1, SpriteGetField<XOffsetOf>},
    {"sprite_get_yoffset", 1, SpriteGetField<YOffsetOf>},
    {"sprite_get_bbox_mode", 1, SpriteGetField<BboxModeOf>},
    {"sprite_get_bbox_left", 1, SpriteGetField<BboxLeftOf>},
    {"sprite_get_bbox_right", 1, SpriteGetField<BboxRightOf>},
    {"sprite_get_bbox_top", 1, SpriteGetField<BboxTopOf>},
    {"sprite_get_bbox_bottom", 1, SpriteGetField<BboxBottomOf>},
    {"sprite_set_offset", 3, SpriteSetOffset},
    {"sprite_set_bbox_mode", 2, SpriteSetBboxMode},
    {"sprite_set_bbox", 5, SpriteSetBbox},
    {"sprite_set_precise", 2, SpriteSetPrecise},
    {"sprite_set_alpha_from_sprite", 2, SpriteSetAlphaFromSprite},
    {"sprite_create_from_screen", 10, SpriteCreateFromScreen},
    {"sprite_add_from_screen", 5, SpriteAddFromScreen},
    {"sprite_create_from_surface", 11, SpriteCreateFromSurface},
    {"sprite_add_from_surface", 6, SpriteAddFromSurface},
    {"sprite_add", 8, SpriteAdd},
    {"sprite_replace", 9, SpriteReplace},
    {"sprite_delete", 1, SpriteDelete},
    {"sprite_duplicate", 1, SpriteDuplicate},
    {"sprite_assign", 2, SpriteAssign},
    {"sprite_merge", 2, SpriteMerge},
};

}  // namespace

void RegisterSpriteFunctions() { code::RegisterFamily(kSpriteFunctions); }

}  // namespace vendrel::graphics
