// The resource tables of the loaded game, filled by the game data loader
// and used by the whole run, with the sections that belong to no table:
// the game information, the library initialisation code, the room order
// and the last instance and tile ids.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resources/background.h"
#include "resources/font.h"
#include "resources/game_information.h"
#include "resources/object.h"
#include "resources/path.h"
#include "resources/resource_table.h"
#include "resources/room.h"
#include "resources/room_order.h"
#include "resources/script.h"
#include "resources/sound.h"
#include "resources/sprite.h"
#include "resources/time_line.h"

namespace vendrel::resources {

struct GameResources {
  ResourceTable<CSound> sounds;
  ResourceTable<CSprite> sprites;
  ResourceTable<CBackground> backgrounds;
  ResourceTable<CPath> paths;
  ResourceTable<CScript> scripts;
  ResourceTable<CFont> fonts;
  ResourceTable<CTimeLine> time_lines;
  ResourceTable<CObject> objects;
  ResourceTable<CRoom> rooms;
  GameInformation information;
  // Source texts compiled and run at every game start, in order.
  std::vector<std::string> library_code;
  RoomOrder room_order;
  // The last instance and tile ids the rooms use; new ones count on from
  // here.
  int32_t last_instance_id = 100000;
  int32_t last_tile_id = 10000000;

  // Frees every resource and returns every section to its default.
  void Clear() { *this = GameResources(); }
};

// The tables of the running game.
GameResources& Resources();

// A resource name used as a constant: the index of the first resource of
// that exact name, trying objects, sprites, sounds, backgrounds, paths,
// fonts, time lines, scripts and rooms in this order; -1 when none.
int FindResourceConstant(const GameResources& resources, std::string_view name);
int FindResourceConstant(std::string_view name);

}  // namespace vendrel::resources
