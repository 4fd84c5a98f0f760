#include "resources/game_resources.h"

namespace vendrel::resources {

GameResources& Resources() {
  static GameResources resources;
  return resources;
}

int FindResourceConstant(std::string_view name) {
  GameResources& game = Resources();
  return game.scripts.Find(name);
}

}  // namespace vendrel::resources
