// The game window and the drawing device as the running game uses them:
// start-up and shut-down of the graphics, the region (the size of what one
// frame draws) and its scale in the window, fitting the region to each
// room, presenting frames and saving the frames asked for as screenshots.
#pragma once

#include "platform/graphics_device.h"

namespace vendrel::graphics {

// Installs the graphics entries of the runtime hooks (start-up, shut-down,
// frame drawing and presentation, window fitting).
void InstallGameGraphics();

// Built-ins: screen_redraw, set_automatic_draw, the region functions and
// the run-time tile functions.
void RegisterRoomDrawFunctions();

// The graphics start-up: window, device with texture filtering as the game
// asks, textures of backgrounds, sprites and fonts, first scene. Shows a
// message and gives false when no window or no drawing device can be had.
bool PrepareGraphics();
void ShutDownGraphics();

// The region and its scale (0: stretch; above 0: fixed factor; below 0:
// largest factor keeping the aspect ratio).
int RegionWidth();
int RegionHeight();
double RegionScale();
// Sets the region size (a size of 0 or less leaves that side alone); with
// [adapt_window] and a positive scale the window takes the scaled size.
void SetRegionSize(int width, int height, bool adapt_window);
// Sets the scale; the window then fits the scaled region as SetRegionSize
// does.
void SetRegionScale(double scale, bool adapt_window);

// Where the region is shown in a client area of [client_width] by
// [client_height].
platform::DeviceRect DestinationRect(int client_width, int client_height);

// A point of a client area of [client_width] by [client_height] mapped to
// the region, undoing the scaling of DestinationRect.
void ClientToRegion(int client_width, int client_height, double a, double b, double& rx,
                    double& ry);
// A point of the game window's client area mapped to the region, and
// through the drawn views to the room (the cursor's mouse_x and mouse_y).
void WindowToRegion(double a, double b, double& rx, double& ry);
void WindowToRoom(double a, double b, double& x, double& y);

// Fits the region to the current room: the union of the visible ports
// with views on (at least 8 by 8), else the room size, clipped to the
// screen; a changed size resizes and centres the window.
void AdaptRegionToRoom();

// Presents the frame with [transition_kind], saving it first when a
// screenshot of this frame was asked for, and begins the next scene.
void PresentFrame(int transition_kind);

}  // namespace vendrel::graphics
