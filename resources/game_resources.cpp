#include "resources/game_resources.h"

namespace vendrel::resources {

GameResources& Resources() {
  static GameResources resources;
  return resources;
}

int FindResourceConstant(const GameResources& game, std::string_view name) {
  for (int index : {game.objects.Find(name), game.sprites.Find(name), game.sounds.Find(name),
                    game.backgrounds.Find(name), game.paths.Find(name), game.fonts.Find(name),
                    game.time_lines.Find(name), game.scripts.Find(name), game.rooms.Find(name)})
    if (index >= 0) return index;
  return -1;
}

int FindResourceConstant(std::string_view name) { return FindResourceConstant(Resources(), name); }

}  // namespace vendrel::resources
