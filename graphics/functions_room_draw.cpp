// Built-ins of room drawing: redrawing the screen, automatic drawing, and
// the cursor seen through the drawn views.
#include "code/function_registry.h"
#include "graphics/device.h"
#include "graphics/function_arguments.h"
#include "graphics/function_families.h"
#include "graphics/game_window.h"
#include "graphics/room_draw.h"
#include "interpreter/function_families.h"
#include "runtime/game_state.h"
#include "runtime/input.h"

namespace vendrel::graphics {
namespace {

VENDREL_BUILTIN(ScreenRedraw) {
  RedrawFrame();
  PresentWithTransition(runtime::Game().transition_kind);
  BeginScene();
}
VENDREL_BUILTIN(SetAutomaticDraw) { runtime::Game().automatic_draw = ArgBool(args[0]); }

// The cursor mapped through view [v] (whether or not it lies in the view),
// or through all views when [all]; [want_x] picks the coordinate.
double ViewMouse(bool all, int v, bool want_x) {
  const runtime::KeyboardMouseState& devices = runtime::Devices();
  double rx = 0, ry = 0, x = 0, y = 0;
  WindowToRegion(devices.cursor_x, devices.cursor_y, rx, ry);
  if (all)
    MapRegionThroughViews(rx, ry, x, y);
  else
    MapRegionThroughView(v, rx, ry, x, y);
  return want_x ? x : y;
}

VENDREL_BUILTIN(WindowViewMouseGetX) { result.SetReal(ViewMouse(false, ArgId(args[0]), true)); }
VENDREL_BUILTIN(WindowViewMouseGetY) { result.SetReal(ViewMouse(false, ArgId(args[0]), false)); }
VENDREL_BUILTIN(WindowViewsMouseGetX) { result.SetReal(ViewMouse(true, 0, true)); }
VENDREL_BUILTIN(WindowViewsMouseGetY) { result.SetReal(ViewMouse(true, 0, false)); }

}  // namespace

static const code::FunctionTableRow kRoomDrawFunctions[] = {
    {"screen_redraw", 0, ScreenRedraw},
    {"set_automatic_draw", 1, SetAutomaticDraw},
    {"window_view_mouse_get_x", 1, WindowViewMouseGetX},
    {"window_view_mouse_get_y", 1, WindowViewMouseGetY},
    {"window_views_mouse_get_x", 0, WindowViewsMouseGetX},
    {"window_views_mouse_get_y", 0, WindowViewsMouseGetY},
};

void RegisterRoomDrawFunctions() { code::RegisterFamily(kRoomDrawFunctions); }

}  // namespace vendrel::graphics
