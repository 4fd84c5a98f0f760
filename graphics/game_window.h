// The game window as game code sees it: its border, caption buttons, size,
// position, full-screen state, colour and cursor; the region (the size in
// pixels of what one frame draws) and how it is fitted into the client
// area; the mapping of window points to the region; and the display mode.
//
// Display modes are never really changed: a game that asks for one gets it
// as a pretend screen of that size, which full screen then shows scaled
// over the whole desktop, keeping its aspect ratio. The desktop is never
// left in another mode, whatever way the game ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/device.h"
#include "platform/window.h"

namespace vendrel::graphics {

// Takes [window] as the game window, with the region 8 by 8, and applies
// the window settings of the game (scale, resizing, stay on top, colour,
// border, caption buttons, full screen, cursor).
void AttachGameWindow(std::unique_ptr<platform::Window> window);
// Closes the game window and forgets a pretend display mode.
void DetachGameWindow();
// The game window, or nullptr while there is none.
platform::Window* GameWindow();

// The region and its scale (0: stretch; above 0: fixed factor; below 0:
// largest factor keeping the aspect ratio).
int RegionWidth();
int RegionHeight();
double RegionScale();
// Sets the region size (a size of 0 or less leaves that side alone); with
// a positive scale the window grows to the scaled region, or takes exactly
// that size with [adapt_window].
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
// A point of the game window's client area (as the window system reports
// it) mapped to the region, and through the drawn views to the room (the
// cursor's mouse_x and mouse_y).
void WindowToRegion(double a, double b, double& rx, double& ry);
void WindowToRoom(double a, double b, double& x, double& y);
// Where presentations go in the window, and the colour around them.
PresentationLayout WindowLayout();

// The client rectangle in screen coordinates, as the game sees it (in full
// screen: the whole screen of the current display mode).
struct ClientRect {
  int x = 0, y = 0, width = 0, height = 0;
};
ClientRect WindowClientRect();
void SetWindowPosition(int x, int y);
// A positive scale keeps the client at least as large as the scaled region.
void SetWindowSize(int width, int height);
void SetWindowRectangle(int x, int y, int width, int height);
void CenterWindow();
// Sizes the client to the (scaled) region and centres it on the screen.
void DefaultWindow();

bool WindowVisible();
void SetWindowVisible(bool visible);
bool WindowFullScreen();
void SetWindowFullScreen(bool full_screen);
bool WindowShowBorder();
void SetWindowShowBorder(bool show);
// Caption buttons: kept and reported; window managers decide which buttons
// a window has, so it changes nothing on the screen.
bool WindowShowIcons();
void SetWindowShowIcons(bool show);
bool WindowStayOnTop();
void SetWindowStayOnTop(bool on_top);
bool WindowSizeable();
void SetWindowSizeable(bool sizeable);
std::string WindowCaption();
void SetWindowCaption(const std::string& caption);
// A standard cursor number: 0 the default, -1 none, -2 to -22 the shapes
// of the cr_* constants.
int WindowCursor();
void SetWindowCursor(int cursor);
int32_t WindowColor();
void SetWindowColor(int32_t color);
// Whether the game window has the keyboard focus.
bool WindowActive();

// The cursor relative to the client origin, and placing it there.
void WindowMouse(int& x, int& y);
void SetWindowMouse(int x, int y);
// The cursor in screen coordinates, and placing it there.
void DisplayMouse(int& x, int& y);
void SetDisplayMouse(int x, int y);

// The display mode the game sees: the pretend one it asked for, else the
// desktop's.
platform::DisplayMode CurrentDisplayMode();
// Asks for a mode; fields of 0 or less keep their current value. True when
// the mode is accepted (it fits the desktop, with 16, 24 or 32 bits per
// pixel); the device is then reset.
bool ChangeDisplayMode(const platform::DisplayMode& request);
// Whether ChangeDisplayMode would accept [request], changing nothing.
bool TestDisplayMode(const platform::DisplayMode& request);
// Back to the desktop's own mode; then the device is reset.
void RestoreDisplayMode();

}  // namespace vendrel::graphics
