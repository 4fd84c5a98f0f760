#include "runtime/game_state.h"

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
