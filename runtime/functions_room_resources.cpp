// The room resource built-ins: the fields, layers and views of room
// resources, new, copied and assigned rooms, and the instances and tiles
// placed in them. They change the resource, which is the template of the
// room's next visit; the room that is running keeps its own copy.
#include <string>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "runtime/function_families.h"
#include "runtime/resource_edits.h"

namespace vendrel::runtime {

namespace {

using interp::ArgInt32;
using interp::ArgBool;
using interp::ArgReal;
using interp::ArgString;
using resources::CRoom;

resources::ResourceTable<CRoom>& Rooms() { return resources::Resources().rooms; }
CRoom* RoomArg(const interp::RValue& value) { return Rooms().Get(ArgInt32(value)); }

VENDREL_BUILTIN(RoomName) { result.SetString(Rooms().Name(ArgInt32(args[0]))); }
VENDREL_BUILTIN(RoomExists) { interp::SetBool(result, RoomArg(args[0]) != nullptr); }

template <int32_t CRoom::*Field>
VENDREL_BUILTIN(RoomSetInteger) {
  if (CRoom* room = RoomArg(args[0])) room->*Field = ArgInt32(args[1]);
}
template <bool CRoom::*Field>
VENDREL_BUILTIN(RoomSetFlag) {
  if (CRoom* room = RoomArg(args[0])) room->*Field = ArgBool(args[1]);
}
template <std::string CRoom::*Field>
VENDREL_BUILTIN(RoomSetText) {
  if (CRoom* room = RoomArg(args[0])) room->*Field = ArgString(args[1]);
}

// ind, col, show
VENDREL_BUILTIN(RoomSetBackgroundColor) {
  if (CRoom* room = RoomArg(args[0])) {
    room->background_color = ArgInt32(args[1]);
    room->draw_background_color = ArgBool(args[2]);
  }
}

// ind, bind, vis, fore, back, x, y, htiled, vtiled, hspeed, vspeed, alpha
VENDREL_BUILTIN(RoomSetBackground) {
  CRoom* room = RoomArg(args[0]);
  const int layer = ArgInt32(args[1]);
  if (room == nullptr || layer < 0 || layer >= CRoom::kLayerCount) return;
  resources::CBack& back = room->backgrounds[size_t(layer)];
  back.visible = ArgBool(args[2]);
  back.foreground = ArgBool(args[3]);
  back.background = ArgInt32(args[4]);
  back.x = ArgReal(args[5]);
  back.y = ArgReal(args[6]);
  back.tile_horizontally = ArgBool(args[7]);
  back.tile_vertically = ArgBool(args[8]);
  // Not stretched any more: the scales go back to 1.
  back.stretch = false;
  back.x_scale = 1.0;
  back.y_scale = 1.0;
  back.horizontal_speed = ArgReal(args[9]);
  back.vertical_speed = ArgReal(args[10]);
  back.alpha = ArgReal(args[11]);
}

// ind, vind, vis, xview, yview, wview, hview, xport, yport, wport, hport,
// hborder, vborder, hspeed, vspeed, obj
VENDREL_BUILTIN(RoomSetView) {
  CRoom* room = RoomArg(args[0]);
  const int index = ArgInt32(args[1]);
  if (room == nullptr || index < 0 || index >= CRoom::kViewCount) return;
  resources::CView& view = room->views[size_t(index)];
  view.visible = ArgBool(args[2]);
  view.view_x = ArgInt32(args[3]);
  view.view_y = ArgInt32(args[4]);
  view.view_width = ArgInt32(args[5]);
  view.view_height = ArgInt32(args[6]);
  view.port_x = ArgInt32(args[7]);
  view.port_y = ArgInt32(args[8]);
  view.port_width = ArgInt32(args[9]);
  view.port_height = ArgInt32(args[10]);
  view.horizontal_border = ArgInt32(args[11]);
  view.vertical_border = ArgInt32(args[12]);
  view.horizontal_speed = ArgInt32(args[13]);
  view.vertical_speed = ArgInt32(args[14]);
  view.followed_object = ArgInt32(args[15]);
}

VENDREL_BUILTIN(RoomAdd) { result.SetReal(AddEmptyResource(Rooms(), kNewRoomPrefix)); }

VENDREL_BUILTIN(RoomDuplicate) {
  if (RoomArg(args[0]) == nullptr) {
    code::ShowRunError("Trying to duplicate non-existing room.", false);
    return;
  }
  result.SetReal(DuplicateResource(Rooms(), ArgInt32(args[0]), kNewRoomPrefix));
}

VENDREL_BUILTIN(RoomAssign) {
  if (!AssignResource(Rooms(), ArgInt32(args[0]), ArgInt32(args[1])))
    code::ShowRunError("Error assigning a room.", false);
}

// ind, x, y, obj
VENDREL_BUILTIN(RoomInstanceAdd) {
  result.SetReal(
      AddRoomInstance(ArgInt32(args[0]), ArgInt32(args[3]), ArgInt32(args[1]), ArgInt32(args[2])));
}
VENDREL_BUILTIN(RoomInstanceClear) { ClearRoomInstances(ArgInt32(args[0])); }

// The tile of room_tile_add's arguments back, left, top, width, height, x,
// y, depth (args[1] to args[8]).
resources::RTile TileArgs(const interp::RValue* args) {
  resources::RTile tile;
  tile.background = ArgInt32(args[1]);
  tile.left = ArgInt32(args[2]);
  tile.top = ArgInt32(args[3]);
  tile.width = ArgInt32(args[4]);
  tile.height = ArgInt32(args[5]);
  tile.x = ArgReal(args[6]);
  tile.y = ArgReal(args[7]);
  tile.depth = ArgReal(args[8]);
  return tile;
}

bool TileBackgroundExists(const interp::RValue& value) {
  if (resources::Resources().backgrounds.Exists(ArgInt32(value))) return true;
  code::ShowRunError("Background does not exist.", false);
  return false;
}

// ind, back, left, top, width, height, x, y, depth: the tile's id, -1
// when nothing was added.
VENDREL_BUILTIN(RoomTileAdd) {
  result.SetReal(-1);
  if (!TileBackgroundExists(args[1])) return;
  result.SetReal(AddRoomTile(ArgInt32(args[0]), TileArgs(args)));
}

// As room_tile_add, then xscale, yscale, alpha; 0 when nothing was added.
VENDREL_BUILTIN(RoomTileAddExt) {
  if (!TileBackgroundExists(args[1])) return;
  resources::RTile tile = TileArgs(args);
  tile.x_scale = ArgReal(args[9]);
  tile.y_scale = ArgReal(args[10]);
  tile.alpha = ArgReal(args[11]);
  const int id = AddRoomTile(ArgInt32(args[0]), tile);
  result.SetReal(id >= 0 ? id : 0);
}

VENDREL_BUILTIN(RoomTileClear) { ClearRoomTiles(ArgInt32(args[0])); }

}  // namespace

static const code::FunctionTableRow kRoomResourceFunctions[] = {
    {"room_name", 1, RoomName},
    {"room_get_name", 1, RoomName},
    {"room_exists", 1, RoomExists},
    {"room_set_width", 2, RoomSetInteger<&CRoom::width>},
    {"room_set_height", 2, RoomSetInteger<&CRoom::height>},
    {"room_set_caption", 2, RoomSetText<&CRoom::caption>},
    {"room_set_persistent", 2, RoomSetFlag<&CRoom::persistent>},
    {"room_set_code", 2, RoomSetText<&CRoom::creation_code>},
    {"room_set_background_color", 3, RoomSetBackgroundColor},
    {"room_set_background", 12, RoomSetBackground},
    {"room_set_view", 16, RoomSetView},
    {"room_set_view_enabled", 2, RoomSetFlag<&CRoom::views_enabled>},
    {"room_add", 0, RoomAdd},
    {"room_duplicate", 1, RoomDuplicate},
    {"room_assign", 2, RoomAssign},
    {"room_instance_add", 4, RoomInstanceAdd},
    {"room_instance_clear", 1, RoomInstanceClear},
    {"room_tile_add", 9, RoomTileAdd},
    {"room_tile_add_ext", 12, RoomTileAddExt},
    {"room_tile_clear", 1, RoomTileClear},
};

void RegisterRoomResourceFunctions() { code::RegisterFamily(kRoomResourceFunctions); }

}  // namespace vendrel::runtime
