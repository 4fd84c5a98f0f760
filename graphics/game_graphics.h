// The graphics as the running game uses them: start-up and shut-down of
// the window and the drawing device, fitting the region to each room,
// presenting frames and saving the frames asked for as screenshots.
#pragma once

namespace vendrel::graphics {

// Installs the graphics entries of the runtime hooks (start-up, shut-down,
// frame drawing and presentation, window fitting, cursor and focus).
void InstallGameGraphics();

// The graphics start-up: the display mode the settings ask for, the window
// with the game's window settings, the device with texture filtering as
// the game asks, textures of backgrounds, sprites and fonts, first scene.
// Shows a message and gives false when no window or no drawing device can
// be had.
bool PrepareGraphics();
void ShutDownGraphics();

// Fits the region to the current room: the union of the visible ports
// with views on (at least 8 by 8), else the room size, clipped to the
// screen; a changed size resizes and centres the window.
void AdaptRegionToRoom();

// Presents the frame with [transition_kind], saving it first when a
// screenshot of this frame was asked for, and begins the next scene.
void PresentFrame(int transition_kind);

}  // namespace vendrel::graphics
