// Surfaces: textures the game can draw into (render targets), kept in a
// table of their own; the index is the surface id, -1 means none. Surfaces
// do not survive a device reset: the reset frees them all.
#pragma once

#include <cstdint>
#include <string>

#include "runner/stream.h"

namespace vendrel::graphics {

struct RSurface {
  int32_t texture = -1;  // entry of the texture table
  int32_t width = 0;     // requested size
  int32_t height = 0;
  bool in_use = false;
};

// The new surface's id, or -1 when no render target can be made.
int CreateSurface(int width, int height);
bool SurfaceExists(int id);
void FreeSurface(int id);
void FreeAllSurfaces();
// -1 for a surface that does not exist.
int SurfaceWidth(int id);
int SurfaceHeight(int id);
int SurfaceTexture(int id);

// Draws into the surface from now on: the viewport and view transform
// cover the whole surface. True when the surface is (or already was) the
// target.
bool SetSurfaceTarget(int id);
// Draws into the screen again and restores the viewport and view transform
// that were in force when the screen was left. True when the screen is
// the target again.
bool ResetSurfaceTarget();
// The surface drawn into, or -1 for the screen.
int CurrentSurfaceTarget();

// A copy of the rectangle of the surface, cut at its edges; empty when
// nothing is left.
runner::CBitmap32 CaptureSurface(int id, int x, int y, int width, int height);
// The pixel at (x, y) as a game colour; 0 outside the surface.
int32_t SurfacePixel(int id, int x, int y);
// Copies the rectangle (sx, sy, width, height) of [source] to (x, y) of
// [dest], both clipped to the surfaces.
void CopySurfacePart(int dest, int x, int y, int source, int sx, int sy, int width, int height);
void CopySurface(int dest, int x, int y, int source);
// Writes the rectangle of the surface as a bitmap file. False when there
// is nothing to write or writing fails.
bool SaveSurface(int id, const std::string& path, int x, int y, int width, int height);

}  // namespace vendrel::graphics
