// The resource tables of the loaded game, filled by the game data loader
// and used by the whole run.
#pragma once

#include <string_view>

#include "resources/resource_table.h"
#include "resources/script.h"

namespace vendrel::resources {

struct GameResources {
  ResourceTable<CScript> scripts;
  // The loader adds the other kinds: sounds, sprites, backgrounds, paths,
  // fonts, time lines, objects and rooms.
};

GameResources& Resources();

// A resource name used as a constant: the index of the first resource of
// that exact name, trying objects, sprites, sounds, backgrounds, paths,
// fonts, time lines, scripts and rooms in this order; -1 when none.
int FindResourceConstant(std::string_view name);

}  // namespace vendrel::resources
