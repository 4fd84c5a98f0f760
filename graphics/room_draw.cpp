#include "graphics/room_draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/resource_draw.h"
#include "interpreter/events.h"
#include "platform/window.h"
#include "resources/event.h"
#include "resources/game_resources.h"
#include "runner/settings.h"
#include "runtime/game_state.h"
#include "runtime/room_state.h"

namespace vendrel::graphics {
namespace {

using resources::CBack;
using resources::CRoom;
using resources::CView;
using resources::RTile;
using runtime::CInstance;
using runtime::CRunRoom;

struct ViewTable {
  std::array<ViewMouseEntry, kViewMouseEntries> entries;
  int active = 0;
};

ViewTable& Table() {
  static ViewTable table;
  return table;
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

// Integer division truncating towards zero, as the view centring uses it.
int32_t Div2(int32_t value) { return value / 2; }

struct Rect {
  double left, top, right, bottom;
};

// The instance a view follows: the first live instance of the object, or,
// above 99999, the instance with that id.
CInstance* FollowedInstance(const CRunRoom& room, int32_t followed) {
  if (followed > 99999) {
    for (const auto& instance : room.active)
      if (instance->id == followed && !instance->destroyed) return instance.get();
    return nullptr;
  }
  if (followed < 0) return nullptr;
  const int count = room.ObjectCount(followed);
  for (int i = 0; i < count; ++i) {
    CInstance* instance = room.ObjectAt(followed, i);
    if (instance != nullptr && !instance->destroyed) return instance;
  }
  return nullptr;
}

// One axis of following: position [view], size [size], border, the
// instance coordinate, the room size and the speed limit.
int32_t FollowAxis(int32_t view, int32_t size, int32_t border, double coordinate,
                   int32_t room_size, int32_t speed) {
  const int32_t target = int32_t(RoundHalfEven(coordinate));
  int32_t moved = view;
  if (2 * border < size) {
    if (target - border < view) {
      moved = target - border;
    } else if (view + size < target + border) {
      moved = target + border - size;
    }
  } else {
    moved = target - Div2(size);
  }
  if (moved < 0) moved = 0;
  if (moved + size > room_size) moved = room_size - size;
  if (speed >= 0) {
    if (moved - view > speed) moved = view + speed;
    if (view - moved > speed) moved = view - speed;
  }
  return moved;
}

void SetEntry(int i, const CView* view) {
  ViewTable& table = Table();
  ViewMouseEntry& entry = table.entries[size_t(i)];
  if (entry.active) table.active -= 1;
  entry = ViewMouseEntry{};
  if (view == nullptr) return;
  entry.active = true;
  entry.view_x = view->view_x;
  entry.view_y = view->view_y;
  entry.view_width = view->view_width;
  entry.view_height = view->view_height;
  entry.port_x = view->port_x;
  entry.port_y = view->port_y;
  entry.port_width = view->port_width;
  entry.port_height = view->port_height;
  entry.angle = view->angle;
  table.active += 1;
}

int BackgroundTexture(int32_t background) {
  const resources::CBackground* b = resources::Resources().backgrounds.Get(background);
  return b == nullptr ? -1 : b->texture;
}

void DrawLayers(const CRoom& data, bool foregrounds, const Rect& r) {
  for (const CBack& layer : data.backgrounds) {
    if (!layer.visible || layer.foreground != foregrounds) continue;
    const int texture = BackgroundTexture(layer.background);
    if (texture < 0) continue;
    DrawTextureTiled(texture, layer.tile_horizontally, layer.tile_vertically, 0, 0, layer.x,
                     layer.y, layer.x_scale, layer.y_scale, r.left, r.top, r.right - r.left,
                     r.bottom - r.top, layer.blend_color, layer.alpha);
  }
}

void DrawTile(const RTile& tile, const Rect& r) {
  if (tile.x > r.right || tile.y > r.bottom) return;
  if (tile.x + tile.width * tile.x_scale < r.left) return;
  if (tile.y + tile.height * tile.y_scale < r.top) return;
  const int texture = BackgroundTexture(tile.background);
  if (texture < 0) return;
  DrawTexturePart(texture, tile.blend_color, tile.left, tile.top, tile.width, tile.height,
                  tile.x, tile.y, tile.x_scale, tile.y_scale, 0.0, tile.alpha);
}

void DrawInstance(CInstance* instance) {
  if (interp::FindEvent(instance->object_index, resources::kEventDraw, 0).event != nullptr) {
    interp::PerformEvent(instance, instance, resources::kEventDraw, 0);
    return;
  }
  const resources::CSprite* sprite = resources::Resources().sprites.Get(instance->sprite_index);
  if (sprite == nullptr) return;
  const int64_t frame = int64_t(std::floor(instance->image_index));
  if (instance->image_xscale != 1.0 || instance->image_yscale != 1.0 ||
      instance->image_angle != 0.0 || instance->image_blend != 0xFFFFFF ||
      instance->image_alpha != 1.0) {
    DrawImageExt(ImageSource::Sprite, instance->sprite_index, frame, instance->x, instance->y,
                 instance->image_xscale, instance->image_yscale, instance->image_angle,
                 instance->image_blend, instance->image_alpha);
  } else {
    DrawImage(ImageSource::Sprite, instance->sprite_index, frame, instance->x, instance->y);
  }
}

// Tiles and instances by depth, greatest first; on equal depth the
// instance comes first, so the tile covers it.
void DrawDepthOrdered(CRunRoom& room, const Rect& r) {
  const std::vector<RTile>& tiles = room.data.tiles;
  size_t t = 0, i = 0;
  // Draw events may create or destroy instances; walk by position and
  // re-read the list size each time.
  while (t < tiles.size() || i < room.active.size()) {
    CInstance* instance = i < room.active.size() ? room.active[i].get() : nullptr;
    if (instance != nullptr && (instance->destroyed || !instance->visible)) {
      ++i;
      continue;
    }
    if (t < tiles.size() && !tiles[t].visible) {
      ++t;
      continue;
    }
    if (instance == nullptr || (t < tiles.size() && tiles[t].depth > instance->depth)) {
      SetDrawDepth(std::min(tiles[t].depth, 11000.0));
      DrawTile(tiles[t], r);
      ++t;
    } else {
      SetDrawDepth(std::min(instance->depth, 11000.0));
      DrawInstance(instance);
      ++i;
    }
  }
}

void DrawRoomContents(CRunRoom& room, const Rect& r) {
  if (Settings().mode_3d) {
    if (platform::GraphicsDevice* device = Device()) device->Clear(false, true, 0, 1.0f);
  }
  if (room.data.draw_background_color) DrawClear(room.data.background_color);
  SetDrawDepth(12000);
  DrawLayers(room.data, false, r);
  DrawDepthOrdered(room, r);
  SetDrawDepth(-12000);
  DrawLayers(room.data, true, r);
  SetDrawDepth(-13000);
  const runtime::GameState& game = runtime::Game();
  if (resources::Resources().sprites.Exists(game.cursor_sprite)) {
    const runtime::InputState& input = runtime::Input();
    DrawImageExt(ImageSource::Sprite, game.cursor_sprite, game.step_counter, input.mouse_x,
                 input.mouse_y, 1, 1, 0, 0xFFFFFF, 1);
  }
}

void SortTiles(std::vector<RTile>& tiles) {
  auto deeper = [](const RTile& a, const RTile& b) { return a.depth > b.depth; };
  if (!std::is_sorted(tiles.begin(), tiles.end(), deeper))
    std::stable_sort(tiles.begin(), tiles.end(), deeper);
}

}  // namespace

const ViewMouseEntry& ViewMouseTable(int entry) {
  static const ViewMouseEntry kInactive;
  if (entry < 0 || entry >= kViewMouseEntries) return kInactive;
  return Table().entries[size_t(entry)];
}

int ActiveViewMouseEntries() { return Table().active; }

void ClearViewMouseTable() { Table() = ViewTable{}; }

void FollowViews(CRunRoom& room) {
  CRoom& data = room.data;
  if (!data.views_enabled) {
    for (int i = 0; i < CRoom::kViewCount; ++i) SetEntry(i, nullptr);
    return;
  }
  for (CView& view : data.views) {
    if (!view.visible) continue;
    const CInstance* instance = FollowedInstance(room, view.followed_object);
    if (instance == nullptr) continue;
    view.view_x = FollowAxis(view.view_x, view.view_width, view.horizontal_border, instance->x,
                             data.width, view.horizontal_speed);
    view.view_y = FollowAxis(view.view_y, view.view_height, view.vertical_border, instance->y,
                             data.height, view.vertical_speed);
  }
  for (int i = 0; i < CRoom::kViewCount; ++i) {
    const CView& view = data.views[size_t(i)];
    SetEntry(i, view.visible ? &view : nullptr);
  }
}

void MapRegionThroughView(int v, double rx, double ry, double& x, double& y) {
  const ViewMouseEntry& e = ViewMouseTable(v);
  x = rx;
  y = ry;
  if (!e.active || e.port_width == 0 || e.port_height == 0) return;
  const double dx = (rx - e.port_x) * e.view_width / e.port_width;
  const double dy = (ry - e.port_y) * e.view_height / e.port_height;
  if (std::fabs(e.angle) < 0.01) {
    x = RoundHalfEven(e.view_x + dx);
    y = RoundHalfEven(e.view_y + dy);
    return;
  }
  const double a = -e.angle * std::numbers::pi / 180.0;
  const double ex = dx - e.view_width / 2, ey = dy - e.view_height / 2;
  x = RoundHalfEven(std::cos(a) * ex + std::sin(a) * ey + e.view_width / 2 + e.view_x);
  y = RoundHalfEven(e.view_height / 2 + e.view_y - std::sin(a) * ex + std::cos(a) * ey);
}

void MapRegionThroughViews(double rx, double ry, double& x, double& y) {
  x = rx;
  y = ry;
  for (int v = kViewMouseEntries - 1; v >= 0; --v) {
    const ViewMouseEntry& e = ViewMouseTable(v);
    if (!e.active) continue;
    MapRegionThroughView(v, rx, ry, x, y);
    if (x >= e.view_x && x < e.view_x + e.view_width && y >= e.view_y &&
        y < e.view_y + e.view_height)
      return;
  }
}

void MapRoomToRegionThroughView(int v, double x, double y, double& rx, double& ry) {
  const ViewMouseEntry& e = ViewMouseTable(v);
  rx = x;
  ry = y;
  if (!e.active || e.view_width == 0 || e.view_height == 0) return;
  double dx = x - e.view_x, dy = y - e.view_y;
  if (std::fabs(e.angle) >= 0.01) {
    // Turn the offset from the view centre by +angle, undoing the forward
    // rotation.
    const double a = e.angle * std::numbers::pi / 180.0;
    const double ex = dx - e.view_width / 2, ey = dy - e.view_height / 2;
    dx = std::cos(a) * ex + std::sin(a) * ey + e.view_width / 2;
    dy = -std::sin(a) * ex + std::cos(a) * ey + e.view_height / 2;
  }
  rx = e.port_x + dx * e.port_width / e.view_width;
  ry = e.port_y + dy * e.port_height / e.view_height;
}

std::string FrameCaption(const CRunRoom& room) {
  const runtime::GameState& game = runtime::Game();
  std::string caption = room.data.caption;
  if (game.show_score && (game.score_shown_because_set || game.score > 0))
    caption += " " + game.caption_score + std::to_string(game.score);
  if (game.show_lives) caption += " " + game.caption_lives + std::to_string(game.lives);
  if (game.show_health)
    caption += " " + game.caption_health + std::to_string(int64_t(RoundHalfEven(game.health)));
  return caption;
}

void RedrawFrame() {
  CRunRoom* room = runtime::CurrentRoom();
  if (room == nullptr) return;
  runtime::GameState& game = runtime::Game();
  FollowViews(*room);
  room->SortByDepth();
  SortTiles(room->data.tiles);
  CRoom& data = room->data;
  if (data.views_enabled) {
    DrawClear(runner::Settings().WindowColor);
    for (int i = 0; i < CRoom::kViewCount; ++i) {
      const CView& view = data.views[size_t(i)];
      if (!view.visible) continue;
      game.view_current = i;
      SetViewport(view.port_x, view.port_y, view.port_width, view.port_height);
      SetViewTransform(view.view_x, view.view_y, view.view_width, view.view_height, view.angle);
      SetRoomToRegionMapping([i](double x, double y, int& rx, int& ry) {
        double fx = 0, fy = 0;
        MapRoomToRegionThroughView(i, x, y, fx, fy);
        rx = int(RoundHalfEven(fx));
        ry = int(RoundHalfEven(fy));
      });
      Rect r{double(view.view_x), double(view.view_y), double(view.view_x + view.view_width),
             double(view.view_y + view.view_height)};
      if (std::fabs(view.angle) >= 0.01) {
        r = {double(view.view_x - Div2(view.view_height)),
             double(view.view_y - Div2(view.view_width)),
             double(view.view_x + view.view_width + Div2(view.view_height)),
             double(view.view_y + view.view_height + Div2(view.view_width))};
      }
      DrawRoomContents(*room, r);
      // A draw event may have ended the room.
      if (runtime::CurrentRoom() != room) break;
    }
    SetViewport(0, 0, DeviceWidth(), DeviceHeight());
    SetViewTransform(0, 0, DeviceWidth(), DeviceHeight(), 0);
    SetRoomToRegionMapping(nullptr);
  } else {
    game.view_current = 0;
    SetViewport(0, 0, data.width, data.height);
    SetViewTransform(0, 0, data.width, data.height, 0);
    DrawRoomContents(*room, {0, 0, double(data.width), double(data.height)});
  }
  if (platform::Window* window = DeviceWindow()) window->SetCaption(FrameCaption(*room));
  game.view_current = 0;
}

}  // namespace vendrel::graphics
