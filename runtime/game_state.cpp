#include "runtime/game_state.h"

#include "interpreter/events.h"
#include "resources/event.h"
#include "runtime/hooks.h"

namespace vendrel::runtime {

GameState& Game() {
  static GameState state;
  return state;
}

RuntimeHooks& Hooks() {
  static RuntimeHooks hooks;
  return hooks;
}

InputState& Input() {
  static InputState state;
  return state;
}

CRunRoom* CurrentRoom() {
  GameState& game = Game();
  if (game.room < 0 || game.room >= int(game.runtime_rooms.size())) return nullptr;
  return game.runtime_rooms[size_t(game.room)].get();
}

bool RoomChangePending() { return Game().pending_room_change != kNoRoomChange; }

void SetLives(int lives) {
  GameState& game = Game();
  const int before = game.lives;
  game.lives = lives;
  if (before > 0 && lives <= 0) interp::PerformEventAll(resources::kEventOther, 6);
}

void SetHealth(double health) {
  GameState& game = Game();
  const double before = game.health;
  game.health = health;
  if (before > 0.0 && !(health > 0.0)) interp::PerformEventAll(resources::kEventOther, 9);
}

void InstallInstanceAccess() {
  InstanceAccess& access = Instances();
  access.active_count = [] {
    CRunRoom* room = CurrentRoom();
    return room != nullptr ? room->ActiveCount() : 0;
  };
  access.active_at = [](int position) -> CInstance* {
    CRunRoom* room = CurrentRoom();
    return room != nullptr ? room->ActiveAt(position) : nullptr;
  };
  access.family_count = [](int object) {
    CRunRoom* room = CurrentRoom();
    return room != nullptr ? room->FamilyCount(object) : 0;
  };
  access.family_at = [](int object, int position) -> CInstance* {
    CRunRoom* room = CurrentRoom();
    return room != nullptr ? room->FamilyAt(object, position) : nullptr;
  };
  access.find = [](int id) -> CInstance* {
    CRunRoom* room = CurrentRoom();
    return room != nullptr ? room->Find(id) : nullptr;
  };
}

}  // namespace vendrel::runtime
