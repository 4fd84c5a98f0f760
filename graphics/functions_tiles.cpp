// Built-ins on the tiles of the running room: adding, finding, changing
// and deleting tiles one by one or a whole layer (one depth) at a time.
#include <algorithm>
#include <vector>

#include "code/errors.h"
#include "code/function_registry.h"
#include "graphics/function_arguments.h"
#include "graphics/function_families.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"
#include "runtime/room_state.h"

namespace vendrel::graphics {
namespace {

using interp::ArgInt;
using interp::ArgReal;
using resources::RTile;

std::vector<RTile>* Tiles() {
  runtime::CRunRoom* room = runtime::CurrentRoom();
  return room == nullptr ? nullptr : &room->data.tiles;
}

// The tile with [id], or null after reporting "Tile does not exist.".
RTile* FindTile(int id) {
  if (std::vector<RTile>* tiles = Tiles()) {
    for (RTile& tile : *tiles)
      if (tile.id == id) return &tile;
  }
  code::ShowRunError("Tile does not exist.", false);
  return nullptr;
}

bool BackgroundExists(int background) {
  if (resources::Resources().backgrounds.Exists(background)) return true;
  code::ShowRunError("Background does not exist.", false);
  return false;
}

// Half-open containment (tile_find, tile_layer_find, tile_layer_delete_at).
bool ContainsHalfOpen(const RTile& tile, double x, double y) {
  return x >= tile.x && x < tile.x + tile.width && y >= tile.y && y < tile.y + tile.height;
}

template <typename Predicate>
void DeleteTilesIf(Predicate predicate) {
  if (std::vector<RTile>* tiles = Tiles())
    tiles->erase(std::remove_if(tiles->begin(), tiles->end(), predicate), tiles->end());
}

template <typename Action>
void ForLayer(double depth, Action action) {
  if (std::vector<RTile>* tiles = Tiles()) {
    for (RTile& tile : *tiles)
      if (tile.depth == depth) action(tile);
  }
}

VENDREL_BUILTIN(TileAdd) {
  result.SetReal(-1);
  std::vector<RTile>* tiles = Tiles();
  if (!BackgroundExists(ArgId(args[0])) || tiles == nullptr) return;
  RTile tile;
  tile.background = ArgId(args[0]);
  tile.left = ArgInt32(args[1]);
  tile.top = ArgInt32(args[2]);
  tile.width = ArgInt32(args[3]);
  tile.height = ArgInt32(args[4]);
  tile.x = ArgReal(args[5]);
  tile.y = ArgReal(args[6]);
  tile.depth = ArgReal(args[7]);
  int32_t& counter = resources::Resources().last_tile_id;
  counter += 1;
  tile.id = counter;
  tiles->push_back(tile);
  result.SetReal(tile.id);
}
VENDREL_BUILTIN(TileDelete) {
  if (RTile* tile = FindTile(ArgId(args[0]))) {
    const int id = tile->id;
    DeleteTilesIf([id](const RTile& t) { return t.id == id; });
  }
}
VENDREL_BUILTIN(TileExists) {
  bool found = false;
  if (std::vector<RTile>* tiles = Tiles()) {
    const int id = ArgId(args[0]);
    found = std::any_of(tiles->begin(), tiles->end(), [id](const RTile& t) { return t.id == id; });
  }
  result.SetReal(found ? 1 : 0);
}

#define VENDREL_TILE_GETTER(name, expression)   \
  VENDREL_BUILTIN(name) {                       \
    result.SetReal(0);                          \
    if (RTile* tile = FindTile(ArgId(args[0]))) \
      result.SetReal(double(expression));       \
  }
VENDREL_TILE_GETTER(TileGetX, tile->x)
VENDREL_TILE_GETTER(TileGetY, tile->y)
VENDREL_TILE_GETTER(TileGetLeft, tile->left)
VENDREL_TILE_GETTER(TileGetTop, tile->top)
VENDREL_TILE_GETTER(TileGetWidth, tile->width)
VENDREL_TILE_GETTER(TileGetHeight, tile->height)
VENDREL_TILE_GETTER(TileGetDepth, tile->depth)
VENDREL_TILE_GETTER(TileGetVisible, tile->visible ? 1 : 0)
VENDREL_TILE_GETTER(TileGetXScale, tile->x_scale)
VENDREL_TILE_GETTER(TileGetYScale, tile->y_scale)
VENDREL_TILE_GETTER(TileGetBlend, tile->blend_color)
VENDREL_TILE_GETTER(TileGetAlpha, tile->alpha)
VENDREL_TILE_GETTER(TileGetBackground, tile->background)
#undef VENDREL_TILE_GETTER

VENDREL_BUILTIN(TileSetPosition) {
  if (RTile* tile = FindTile(ArgId(args[0]))) {
    tile->x = ArgReal(args[1]);
    tile->y = ArgReal(args[2]);
  }
}
VENDREL_BUILTIN(TileSetVisible) {
  if (RTile* tile = FindTile(ArgId(args[0]))) tile->visible = ArgBool(args[1]);
}
VENDREL_BUILTIN(TileSetBackground) {
  RTile* tile = FindTile(ArgId(args[0]));
  if (tile != nullptr && BackgroundExists(ArgId(args[1]))) tile->background = ArgId(args[1]);
}
VENDREL_BUILTIN(TileSetRegion) {
  if (RTile* tile = FindTile(ArgId(args[0]))) {
    tile->left = ArgInt32(args[1]);
    tile->top = ArgInt32(args[2]);
    tile->width = ArgInt32(args[3]);
    tile->height = ArgInt32(args[4]);
  }
}
VENDREL_BUILTIN(TileSetDepth) {
  if (RTile* tile = FindTile(ArgId(args[0]))) tile->depth = ArgReal(args[1]);
}
VENDREL_BUILTIN(TileSetScale) {
  if (RTile* tile = FindTile(ArgId(args[0]))) {
    tile->x_scale = ArgReal(args[1]);
    tile->y_scale = ArgReal(args[2]);
  }
}
VENDREL_BUILTIN(TileSetBlend) {
  if (RTile* tile = FindTile(ArgId(args[0]))) tile->blend_color = int32_t(ArgInt(args[1]));
}
VENDREL_BUILTIN(TileSetAlpha) {
  if (RTile* tile = FindTile(ArgId(args[0]))) tile->alpha = ArgReal(args[1]);
}

VENDREL_BUILTIN(TileFind) {
  result.SetReal(-1);
  std::vector<RTile>* tiles = Tiles();
  if (tiles == nullptr) return;
  const double x = ArgReal(args[0]), y = ArgReal(args[1]);
  const bool foreground = ArgBool(args[2]);
  for (const RTile& tile : *tiles) {
    if (ContainsHalfOpen(tile, x, y) && (tile.depth < 0) == foreground) {
      result.SetReal(tile.id);
      return;
    }
  }
}
VENDREL_BUILTIN(TileDeleteAt) {
  const double x = ArgReal(args[0]), y = ArgReal(args[1]);
  const bool foreground = ArgBool(args[2]);
  DeleteTilesIf([&](const RTile& tile) {
    const bool inside = x >= tile.x && x <= tile.x + tile.width && y >= tile.y &&
                        y <= tile.y + tile.height;
    return inside && (foreground ? tile.depth <= 0 : tile.depth >= 0);
  });
}
VENDREL_BUILTIN(TileLayerHide) {
  ForLayer(ArgReal(args[0]), [](RTile& tile) { tile.visible = false; });
}
VENDREL_BUILTIN(TileLayerShow) {
  ForLayer(ArgReal(args[0]), [](RTile& tile) { tile.visible = true; });
}
VENDREL_BUILTIN(TileLayerDelete) {
  const double depth = ArgReal(args[0]);
  DeleteTilesIf([depth](const RTile& tile) { return tile.depth == depth; });
}
VENDREL_BUILTIN(TileLayerShift) {
  const double dx = ArgReal(args[1]), dy = ArgReal(args[2]);
  ForLayer(ArgReal(args[0]), [dx, dy](RTile& tile) {
    tile.x += dx;
    tile.y += dy;
  });
}
VENDREL_BUILTIN(TileLayerFind) {
  result.SetReal(-1);
  std::vector<RTile>* tiles = Tiles();
  if (tiles == nullptr) return;
  const double depth = ArgReal(args[0]), x = ArgReal(args[1]), y = ArgReal(args[2]);
  for (const RTile& tile : *tiles) {
    if (tile.depth == depth && ContainsHalfOpen(tile, x, y)) {
      result.SetReal(tile.id);
      return;
    }
  }
}
VENDREL_BUILTIN(TileLayerDeleteAt) {
  const double depth = ArgReal(args[0]), x = ArgReal(args[1]), y = ArgReal(args[2]);
  DeleteTilesIf(
      [&](const RTile& tile) { return tile.depth == depth && ContainsHalfOpen(tile, x, y); });
}
VENDREL_BUILTIN(TileLayerDepth) {
  const double to = ArgReal(args[1]);
  ForLayer(ArgReal(args[0]), [to](RTile& tile) { tile.depth = to; });
}

}  // namespace

static const code::FunctionTableRow kTileFunctions[] = {
    {"tile_add", 8, TileAdd},
    {"tile_delete", 1, TileDelete},
    {"tile_exists", 1, TileExists},
    {"tile_get_x", 1, TileGetX},
    {"tile_get_y", 1, TileGetY},
    {"tile_get_left", 1, TileGetLeft},
    {"tile_get_top", 1, TileGetTop},
    {"tile_get_width", 1, TileGetWidth},
    {"tile_get_height", 1, TileGetHeight},
    {"tile_get_depth", 1, TileGetDepth},
    {"tile_get_visible", 1, TileGetVisible},
    {"tile_get_xscale", 1, TileGetXScale},
    {"tile_get_yscale", 1, TileGetYScale},
    {"tile_get_blend", 1, TileGetBlend},
    {"tile_get_alpha", 1, TileGetAlpha},
    {"tile_get_background", 1, TileGetBackground},
    {"tile_set_position", 3, TileSetPosition},
    {"tile_set_visible", 2, TileSetVisible},
    {"tile_set_background", 2, TileSetBackground},
    {"tile_set_region", 5, TileSetRegion},
    {"tile_set_depth", 2, TileSetDepth},
    {"tile_set_scale", 3, TileSetScale},
    {"tile_set_blend", 2, TileSetBlend},
    {"tile_set_alpha", 2, TileSetAlpha},
    {"tile_find", 3, TileFind},
    {"tile_delete_at", 3, TileDeleteAt},
    {"tile_layer_hide", 1, TileLayerHide},
    {"tile_layer_show", 1, TileLayerShow},
    {"tile_layer_delete", 1, TileLayerDelete},
    {"tile_layer_shift", 3, TileLayerShift},
    {"tile_layer_find", 3, TileLayerFind},
    {"tile_layer_delete_at", 3, TileLayerDeleteAt},
    {"tile_layer_depth", 2, TileLayerDepth},
};

void RegisterTileFunctions() { code::RegisterFamily(kTileFunctions); }

}  // namespace vendrel::graphics
