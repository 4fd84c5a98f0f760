#include "runner/builtin_families.h"

#include "graphics/draw.h"
#include "graphics/font_resource.h"
#include "graphics/function_families.h"
#include "graphics/surface.h"
#include "graphics/text.h"
#include "interpreter/function_families.h"
#include "library/library.h"
#include "runtime/function_families.h"
#include "sound/functions_sound.h"

namespace vendrel::runner {

void RegisterAllFunctionFamilies() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  // Each family registers its table; earlier rows win on a name clash.
  interp::RegisterMathFunctions();
  interp::RegisterStringFunctions();
  interp::RegisterDateFunctions();
  interp::RegisterCodeFunctions();
  interp::RegisterVariableFunctions();
  interp::RegisterEventFunctions();
  interp::RegisterSystemFunctions();
  runtime::RegisterInstanceFunctions();
  runtime::RegisterMotionFunctions();
  runtime::RegisterPathFunctions();
  runtime::RegisterCollisionFunctions();
  runtime::RegisterInputFunctions();
  library::RegisterDataStructureFunctions();
  library::RegisterFileFunctions();
  graphics::RegisterTextFunctions();
  graphics::RegisterFontFunctions();
  graphics::RegisterDrawFunctions();
  graphics::RegisterSurfaceFunctions();
  graphics::RegisterRoomDrawFunctions();
  graphics::RegisterTileFunctions();
  graphics::RegisterWindowFunctions();
  graphics::RegisterSpriteFunctions();
  graphics::RegisterBackgroundFunctions();
  sound::RegisterSoundFunctions();
  sound::RegisterSoundResourceFunctions();
  runtime::RegisterScriptResourceFunctions();
  runtime::RegisterPathResourceFunctions();
  runtime::RegisterTimeLineResourceFunctions();
  runtime::RegisterObjectResourceFunctions();
  runtime::RegisterRoomResourceFunctions();
}

}  // namespace vendrel::runner
