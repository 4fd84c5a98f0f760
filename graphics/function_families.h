// The built-in function families of the drawing side, one source file
// each; runner/builtin_families.cpp registers them all.
#pragma once

namespace vendrel::graphics {

void RegisterDrawFunctions();      // draw_*, the drawing colour, alpha and blending
void RegisterSurfaceFunctions();   // surface_*, texture_*, screen_save
void RegisterTextFunctions();      // draw_text and relatives, string_width and _height
void RegisterFontFunctions();      // font resources made at run time
void RegisterRoomDrawFunctions();  // screen_redraw, automatic drawing, the views' mouse
void RegisterTileFunctions();      // tile_* on the running room
void RegisterWindowFunctions();    // window_*, display_*, the region
void RegisterSpriteFunctions();    // sprite resources made and changed at run time
void RegisterBackgroundFunctions();  // background resources made and changed at run time

}  // namespace vendrel::graphics
