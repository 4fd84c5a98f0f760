// Built-ins of the game window and the display: the window's style, size,
// position, caption, cursor and colour, the region and its scale, the
// display mode, and the cursor in window and screen coordinates.
#include "code/function_registry.h"
#include "graphics/function_arguments.h"
#include "graphics/function_families.h"
#include "graphics/game_window.h"
#include "interpreter/function_families.h"

namespace vendrel::graphics {
namespace {

using interp::ArgReal;

// A display mode from the arguments (width, height, frequency, depth);
// values of 0 or less leave their field as it is.
platform::DisplayMode ModeArguments(const interp::RValue* args) {
  platform::DisplayMode mode;
  mode.width = ArgInt32(args[0]);
  mode.height = ArgInt32(args[1]);
  mode.refresh_rate = ArgInt32(args[2]);
  mode.bits_per_pixel = ArgInt32(args[3]);
  return mode;
}

VENDREL_BUILTIN(DisplayGetWidth) { result.SetReal(CurrentDisplayMode().width); }
VENDREL_BUILTIN(DisplayGetHeight) { result.SetReal(CurrentDisplayMode().height); }
VENDREL_BUILTIN(DisplayGetColorDepth) { result.SetReal(CurrentDisplayMode().bits_per_pixel); }
VENDREL_BUILTIN(DisplayGetFrequency) { result.SetReal(CurrentDisplayMode().refresh_rate); }
VENDREL_BUILTIN(DisplaySetSize) {
  platform::DisplayMode mode;
  mode.width = ArgInt32(args[0]);
  mode.height = ArgInt32(args[1]);
  SetBool(result, ChangeDisplayMode(mode));
}
VENDREL_BUILTIN(DisplaySetColorDepth) {
  platform::DisplayMode mode;
  mode.bits_per_pixel = ArgInt32(args[0]);
  SetBool(result, ChangeDisplayMode(mode));
}
VENDREL_BUILTIN(DisplaySetFrequency) {
  platform::DisplayMode mode;
  mode.refresh_rate = ArgInt32(args[0]);
  SetBool(result, ChangeDisplayMode(mode));
}
VENDREL_BUILTIN(DisplaySetAll) { SetBool(result, ChangeDisplayMode(ModeArguments(args))); }
VENDREL_BUILTIN(DisplayTestAll) { SetBool(result, TestDisplayMode(ModeArguments(args))); }
VENDREL_BUILTIN(DisplayReset) { RestoreDisplayMode(); }
// One coordinate of the cursor as [kCursor] gives it.
template <void (*kCursor)(int&, int&), bool kWantX>
VENDREL_BUILTIN(CursorCoordinate) {
  int x = 0, y = 0;
  kCursor(x, y);
  result.SetReal(kWantX ? x : y);
}
VENDREL_BUILTIN(DisplayMouseSet) { SetDisplayMouse(ArgInt32(args[0]), ArgInt32(args[1])); }

#define VENDREL_WINDOW_FLAG(Name, Getter, Setter)                    \
  VENDREL_BUILTIN(WindowSet##Name) { Setter(ArgBool(args[0])); }   \
  VENDREL_BUILTIN(WindowGet##Name) { SetBool(result, Getter()); }
VENDREL_WINDOW_FLAG(Visible, WindowVisible, SetWindowVisible)
VENDREL_WINDOW_FLAG(FullScreen, WindowFullScreen, SetWindowFullScreen)
VENDREL_WINDOW_FLAG(ShowBorder, WindowShowBorder, SetWindowShowBorder)
VENDREL_WINDOW_FLAG(ShowIcons, WindowShowIcons, SetWindowShowIcons)
VENDREL_WINDOW_FLAG(StayOnTop, WindowStayOnTop, SetWindowStayOnTop)
VENDREL_WINDOW_FLAG(Sizeable, WindowSizeable, SetWindowSizeable)
#undef VENDREL_WINDOW_FLAG

VENDREL_BUILTIN(WindowSetCaption) { SetWindowCaption(interp::ArgString(args[0])); }
VENDREL_BUILTIN(WindowGetCaption) { result.SetString(WindowCaption()); }
VENDREL_BUILTIN(WindowSetCursor) { SetWindowCursor(ArgInt32(args[0])); }
VENDREL_BUILTIN(WindowGetCursor) { result.SetReal(WindowCursor()); }
VENDREL_BUILTIN(WindowSetColor) { SetWindowColor(int32_t(ArgInt32(args[0]))); }
VENDREL_BUILTIN(WindowGetColor) { result.SetReal(WindowColor()); }

VENDREL_BUILTIN(WindowSetPosition) {
  SetWindowPosition(ArgInt32(args[0]), ArgInt32(args[1]));
}
VENDREL_BUILTIN(WindowSetSize) { SetWindowSize(ArgInt32(args[0]), ArgInt32(args[1])); }
VENDREL_BUILTIN(WindowSetRectangle) {
  SetWindowRectangle(ArgInt32(args[0]), ArgInt32(args[1]), ArgInt32(args[2]),
                     ArgInt32(args[3]));
}
VENDREL_BUILTIN(WindowCenter) { CenterWindow(); }
VENDREL_BUILTIN(WindowDefault) { DefaultWindow(); }
VENDREL_BUILTIN(WindowGetX) { result.SetReal(WindowClientRect().x); }
VENDREL_BUILTIN(WindowGetY) { result.SetReal(WindowClientRect().y); }
VENDREL_BUILTIN(WindowGetWidth) { result.SetReal(WindowClientRect().width); }
VENDREL_BUILTIN(WindowGetHeight) { result.SetReal(WindowClientRect().height); }

VENDREL_BUILTIN(WindowGetRegionWidth) { result.SetReal(RegionWidth()); }
VENDREL_BUILTIN(WindowGetRegionHeight) { result.SetReal(RegionHeight()); }
VENDREL_BUILTIN(WindowGetRegionScale) { result.SetReal(RegionScale()); }
VENDREL_BUILTIN(WindowSetRegionSize) {
  SetRegionSize(ArgInt32(args[0]), ArgInt32(args[1]), ArgBool(args[2]));
}
VENDREL_BUILTIN(WindowSetRegionScale) { SetRegionScale(ArgReal(args[0]), ArgBool(args[1])); }

VENDREL_BUILTIN(WindowMouseSet) { SetWindowMouse(ArgInt32(args[0]), ArgInt32(args[1])); }

}  // namespace

static const code::FunctionTableRow kWindowFunctions[] = {
    {"display_get_width", 0, DisplayGetWidth},
    {"display_get_height", 0, DisplayGetHeight},
    {"display_get_colordepth", 0, DisplayGetColorDepth},
    {"display_get_frequency", 0, DisplayGetFrequency},
    {"display_set_size", 2, DisplaySetSize},
    {"display_set_colordepth", 1, DisplaySetColorDepth},
    {"display_set_frequency", 1, DisplaySetFrequency},
    {"display_set_all", 4, DisplaySetAll},
    {"display_test_all", 4, DisplayTestAll},
    {"display_reset", 0, DisplayReset},
    {"display_mouse_get_x", 0, CursorCoordinate<DisplayMouse, true>},
    {"display_mouse_get_y", 0, CursorCoordinate<DisplayMouse, false>},
    {"display_mouse_set", 2, DisplayMouseSet},
    {"window_set_visible", 1, WindowSetVisible},
    {"window_get_visible", 0, WindowGetVisible},
    {"window_set_fullscreen", 1, WindowSetFullScreen},
    {"window_get_fullscreen", 0, WindowGetFullScreen},
    {"window_set_showborder", 1, WindowSetShowBorder},
    {"window_get_showborder", 0, WindowGetShowBorder},
    {"window_set_showicons", 1, WindowSetShowIcons},
    {"window_get_showicons", 0, WindowGetShowIcons},
    {"window_set_stayontop", 1, WindowSetStayOnTop},
    {"window_get_stayontop", 0, WindowGetStayOnTop},
    {"window_set_sizeable", 1, WindowSetSizeable},
    {"window_get_sizeable", 0, WindowGetSizeable},
    {"window_set_caption", 1, WindowSetCaption},
    {"window_get_caption", 0, WindowGetCaption},
    {"window_set_cursor", 1, WindowSetCursor},
    {"window_get_cursor", 0, WindowGetCursor},
    {"window_set_color", 1, WindowSetColor},
    {"window_get_color", 0, WindowGetColor},
    {"window_set_position", 2, WindowSetPosition},
    {"window_set_size", 2, WindowSetSize},
    {"window_set_rectangle", 4, WindowSetRectangle},
    {"window_center", 0, WindowCenter},
    {"window_default", 0, WindowDefault},
    {"window_get_x", 0, WindowGetX},
    {"window_get_y", 0, WindowGetY},
    {"window_get_width", 0, WindowGetWidth},
    {"window_get_height", 0, WindowGetHeight},
    {"window_set_region_size", 3, WindowSetRegionSize},
    {"window_get_region_width", 0, WindowGetRegionWidth},
    {"window_get_region_height", 0, WindowGetRegionHeight},
    {"window_set_region_scale", 2, WindowSetRegionScale},
    {"window_get_region_scale", 0, WindowGetRegionScale},
    {"window_mouse_get_x", 0, CursorCoordinate<WindowMouse, true>},
    {"window_mouse_get_y", 0, CursorCoordinate<WindowMouse, false>},
    {"window_mouse_set", 2, WindowMouseSet},
};

void RegisterWindowFunctions() { code::RegisterFamily(kWindowFunctions); }

}  // namespace vendrel::graphics
