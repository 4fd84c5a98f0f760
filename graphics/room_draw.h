// Drawing one frame of the current room: views that follow an instance,
// every visible view (or the whole room when views are off) with background
// layers, tiles and instances interleaved by depth, foreground layers, the
// cursor sprite, and the window caption with score, lives and health. Also
// keeps the table of drawn views that turns window positions into room
// positions.
#pragma once

#include <string>

namespace vendrel::runtime {
class CRunRoom;
}

namespace vendrel::graphics {

// One entry of the table of drawn views (all doubles, as the mapping
// uses them).
struct ViewMouseEntry {
  bool active = false;
  double view_x = 0, view_y = 0, view_width = 0, view_height = 0;
  double port_x = 0, port_y = 0, port_width = 0, port_height = 0;
  double angle = 0;
};
inline constexpr int kViewMouseEntries = 32;

// The whole frame into the back buffer (nothing is presented). Does
// nothing before the first room starts.
void RedrawFrame();

// Moves the visible views of [room] that follow an instance and refreshes
// entries 0..7 of the view mouse table (all made inactive when views are
// off).
void FollowViews(runtime::CRunRoom& room);

const ViewMouseEntry& ViewMouseTable(int entry);
int ActiveViewMouseEntries();
// Makes every entry inactive (a new game, tests).
void ClearViewMouseTable();

// A region point mapped through view entry [v] to a room point; the region
// point itself when the entry is inactive or its port has no size.
void MapRegionThroughView(int v, double rx, double ry, double& x, double& y);
// A region point mapped through the active entries, highest first, taking
// the first whose view contains the result.
void MapRegionThroughViews(double rx, double ry, double& x, double& y);
// The reverse of MapRegionThroughView: a room point to a region point.
void MapRoomToRegionThroughView(int v, double x, double y, double& rx, double& ry);

// The caption the window gets: the room caption, then score, lives and
// health as the game's caption settings ask.
std::string FrameCaption(const runtime::CRunRoom& room);

}  // namespace vendrel::graphics
