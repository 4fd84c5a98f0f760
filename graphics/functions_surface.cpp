// The surface, texture and screen built-ins: surfaces as drawing targets,
// texture ids of sprites and backgrounds with the texture settings, and the
// screen's refresh, vertical-blank wait and saving. Handlers convert their
// arguments and call graphics/surface.h, graphics/texture.h and
// graphics/device.h.
#include <cmath>

#include "code/errors.h"
#include "code/function_registry.h"
#include "graphics/function_families.h"
#include "graphics/device.h"
#include "graphics/function_arguments.h"
#include "graphics/resource_draw.h"
#include "graphics/surface.h"
#include "graphics/texture.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "runtime/instance.h"

namespace vendrel::graphics {

namespace {

using interp::ArgInt;
using interp::ArgReal;
using interp::ArgString;
using interp::RValue;

// True when surface [id] exists; reports it otherwise.
bool ExistingSurface(int id) {
  if (SurfaceExists(id)) return true;
  code::ShowRunError("Trying to use non-existing surface.", false);
  return false;
}

// Surfaces --------------------------------------------------------------------

VENDREL_BUILTIN(SurfaceCreateFn) {
  result.SetReal(CreateSurface(ArgInt32(args[0]), ArgInt32(args[1])));
}
VENDREL_BUILTIN(SurfaceFreeFn) {
  int id = ArgId(args[0]);
  if (ExistingSurface(id)) FreeSurface(id);
}
VENDREL_BUILTIN(SurfaceExistsFn) { result.SetReal(SurfaceExists(ArgId(args[0])) ? 1 : 0); }
VENDREL_BUILTIN(SurfaceGetWidth) {
  int id = ArgId(args[0]);
  result.SetReal(ExistingSurface(id) ? SurfaceWidth(id) : -1);
}
VENDREL_BUILTIN(SurfaceGetHeight) {
  int id = ArgId(args[0]);
  result.SetReal(ExistingSurface(id) ? SurfaceHeight(id) : -1);
}
VENDREL_BUILTIN(SurfaceGetTexture) {
  int id = ArgId(args[0]);
  result.SetReal(ExistingSurface(id) ? SurfaceTexture(id) : -1);
}
VENDREL_BUILTIN(SurfaceSetTarget) {
  int id = ArgId(args[0]);
  result.SetReal(ExistingSurface(id) && SetSurfaceTarget(id) ? 1 : 0);
}
VENDREL_BUILTIN(SurfaceResetTarget) { result.SetReal(ResetSurfaceTarget() ? 1 : 0); }

void SaveSurfacePart(const RValue* args, int x, int y, int width, int height) {
  int id = ArgId(args[0]);
  if (!ExistingSurface(id)) return;
  const std::string& path = ArgString(args[1]);
  if (path.empty()) {
    code::ShowRunError("Trying to save surface to empty image file name.", false);
    return;
  }
  SaveSurface(id, path, x, y, width, height);  // write errors are ignored
}
// surface, file name
VENDREL_BUILTIN(SurfaceSave) {
  int id = ArgId(args[0]);
  SaveSurfacePart(args, 0, 0, SurfaceExists(id) ? SurfaceWidth(id) : 0,
                  SurfaceExists(id) ? SurfaceHeight(id) : 0);
}
// surface, file name, x, y, width, height
VENDREL_BUILTIN(SurfaceSavePart) {
  SaveSurfacePart(args, ArgInt32(args[2]), ArgInt32(args[3]), ArgInt32(args[4]),
                  ArgInt32(args[5]));
}
VENDREL_BUILTIN(SurfaceGetPixel) {
  int id = ArgId(args[0]);
  if (!ExistingSurface(id)) return;
  result.SetReal(SurfacePixel(id, ArgInt32(args[1]), ArgInt32(args[2])));
}
// destination, x, y, source
VENDREL_BUILTIN(SurfaceCopyFn) {
  int dest = ArgId(args[0]), source = ArgId(args[3]);
  if (!SurfaceExists(dest) || !SurfaceExists(source)) {
    code::ShowRunError("Trying to use non-existing surface.", false);
    return;
  }
  CopySurface(dest, ArgInt32(args[1]), ArgInt32(args[2]), source);
}
// destination, x, y, source, source x, source y, width, height
VENDREL_BUILTIN(SurfaceCopyPartFn) {
  int dest = ArgId(args[0]), source = ArgId(args[3]);
  if (!SurfaceExists(dest) || !SurfaceExists(source)) {
    code::ShowRunError("Trying to use non-existing surface.", false);
    return;
  }
  CopySurfacePart(dest, ArgInt32(args[1]), ArgInt32(args[2]), source,
                  ArgInt32(args[4]), ArgInt32(args[5]), ArgInt32(args[6]),
                  ArgInt32(args[7]));
}

// Textures --------------------------------------------------------------------

// sprite, frame; a negative frame is the calling instance's image
VENDREL_BUILTIN(SpriteGetTexture) {
  int sprite = ArgId(args[0]);
  if (!resources::Resources().sprites.Exists(sprite)) {
    code::ShowRunError("Trying to get texture from non-existing sprite.", false);
    result.SetReal(-1);
    return;
  }
  int64_t frame = ArgInt(args[1]);
  if (frame < 0) frame = self ? int64_t(std::floor(self->image_index)) : 0;
  result.SetReal(SpriteFrameTexture(sprite, frame));
}
VENDREL_BUILTIN(BackgroundGetTexture) {
  const resources::CBackground* background =
      resources::Resources().backgrounds.Get(ArgId(args[0]));
  if (background == nullptr) {
    code::ShowRunError("Trying to get texture from non-existing background.", false);
    result.SetReal(-1);
    return;
  }
  result.SetReal(background->texture);
}
VENDREL_BUILTIN(TextureExistsFn) { result.SetReal(TextureExists(ArgId(args[0])) ? 1 : 0); }
VENDREL_BUILTIN(TextureGetWidth) { result.SetReal(TextureWidthFraction(ArgId(args[0]))); }
VENDREL_BUILTIN(TextureGetHeight) { result.SetReal(TextureHeightFraction(ArgId(args[0]))); }
VENDREL_BUILTIN(TexturePreload) { PreloadTexture(ArgId(args[0])); }
VENDREL_BUILTIN(TextureSetPriority) {
  SetTexturePriority(ArgId(args[0]), ArgInt32(args[1]));
}
VENDREL_BUILTIN(TextureSetInterpolation) { SetTextureInterpolation(ArgBool(args[0])); }
VENDREL_BUILTIN(TextureSetBlending) { SetTextureBlending(ArgBool(args[0])); }
VENDREL_BUILTIN(TextureSetRepeat) { SetTextureRepeat(ArgBool(args[0])); }

// Screen ----------------------------------------------------------------------

VENDREL_BUILTIN(SetSynchronizationFn) { SetSynchronization(ArgBool(args[0])); }
VENDREL_BUILTIN(ScreenRefresh) { Refresh(); }
VENDREL_BUILTIN(ScreenWaitVsync) { WaitForVerticalBlank(); }

void SaveScreenPart(const RValue& name, int x, int y, int width, int height) {
  const std::string& path = ArgString(name);
  if (path.empty()) {
    code::ShowRunError("Trying to save screen to empty image file name.", false);
    return;
  }
  SaveScreen(path, x, y, width, height);  // write errors are ignored
}
VENDREL_BUILTIN(ScreenSave) { SaveScreenPart(args[0], 0, 0, DeviceWidth(), DeviceHeight()); }
// file name, x, y, width, height
VENDREL_BUILTIN(ScreenSavePart) {
  SaveScreenPart(args[0], ArgInt32(args[1]), ArgInt32(args[2]), ArgInt32(args[3]),
                 ArgInt32(args[4]));
}

}  // namespace

static const code::FunctionTableRow kSurfaceFunctions[] = {
    {"surface_create", 2, SurfaceCreateFn},
    {"surface_free", 1, SurfaceFreeFn},
    {"surface_exists", 1, SurfaceExistsFn},
    {"surface_get_width", 1, SurfaceGetWidth},
    {"surface_get_height", 1, SurfaceGetHeight},
    {"surface_get_texture", 1, SurfaceGetTexture},
    {"surface_set_target", 1, SurfaceSetTarget},
    {"surface_reset_target", 0, SurfaceResetTarget},
    {"surface_save", 2, SurfaceSave},
    {"surface_save_part", 6, SurfaceSavePart},
    {"surface_getpixel", 3, SurfaceGetPixel},
    {"surface_copy", 4, SurfaceCopyFn},
    {"surface_copy_part", 8, SurfaceCopyPartFn},
    {"sprite_get_texture", 2, SpriteGetTexture},
    {"background_get_texture", 1, BackgroundGetTexture},
    {"texture_exists", 1, TextureExistsFn},
    {"texture_get_width", 1, TextureGetWidth},
    {"texture_get_height", 1, TextureGetHeight},
    {"texture_preload", 1, TexturePreload},
    {"texture_set_priority", 2, TextureSetPriority},
    {"texture_set_interpolation", 1, TextureSetInterpolation},
    {"texture_set_blending", 1, TextureSetBlending},
    {"texture_set_repeat", 1, TextureSetRepeat},
    {"set_synchronization", 1, SetSynchronizationFn},
    {"screen_refresh", 0, ScreenRefresh},
    {"screen_wait_vsync", 0, ScreenWaitVsync},
    {"screen_save", 1, ScreenSave},
    {"screen_save_part", 5, ScreenSavePart},
};

void RegisterSurfaceFunctions() { code::RegisterFamily(kSurfaceFunctions); }

}  // namespace vendrel::graphics
