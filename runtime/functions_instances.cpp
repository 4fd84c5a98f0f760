// Built-in functions for room changes, the end and restart of the game and
// the instance commands. Handlers convert their arguments and call the
// commands of runtime/instance_commands.h.
#include <algorithm>
#include <cmath>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "runtime/function_families.h"
#include "runtime/game_loop.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"
#include "runtime/instance.h"
#include "runtime/instance_commands.h"

namespace vendrel::runtime {

namespace {

using interp::ArgInt32;
using interp::ArgReal;
using interp::ArgString;


VENDREL_BUILTIN(RoomGoto) { RequestRoom(ArgInt32(args[0])); }
VENDREL_BUILTIN(RoomGotoPrevious) { RequestPreviousRoom(); }
VENDREL_BUILTIN(RoomGotoNext) { RequestNextRoom(); }
VENDREL_BUILTIN(RoomRestart) { RequestRoom(Game().room); }
VENDREL_BUILTIN(RoomPrevious) { result.SetReal(PreviousRoom(ArgInt32(args[0]))); }
VENDREL_BUILTIN(RoomNext) { result.SetReal(NextRoom(ArgInt32(args[0]))); }
VENDREL_BUILTIN(GameEnd) { Game().pending_room_change = kEndGame; }
VENDREL_BUILTIN(GameRestart) { Game().pending_room_change = kRestartGame; }

VENDREL_BUILTIN(GameLoad) {
  if (Hooks().load_game == nullptr) {
    code::ShowRunError("Loading saved games is not available in this build.", false);
    return;
  }
  Game().pending_load_file = ArgString(args[0]);
  Game().pending_room_change = kLoadGame;
}

VENDREL_BUILTIN(GameSave) {
  if (Hooks().save_game == nullptr) {
    code::ShowRunError("Saving games is not available in this build.", false);
    return;
  }
  Hooks().save_game(ArgString(args[0]));
}

VENDREL_BUILTIN(Sleep) { Wait(interp::RoundHalfEven(ArgReal(args[0]) * 1000.0)); }

VENDREL_BUILTIN(InstanceCreate) {
  result.SetReal(CreateInstance(ArgInt32(args[2]), ArgReal(args[0]), ArgReal(args[1])));
}

VENDREL_BUILTIN(InstanceCopy) { result.SetReal(CopyInstance(self, ArgBool(args[0]))); }

VENDREL_BUILTIN(InstanceChange) { ChangeInstance(self, ArgInt32(args[0]), ArgBool(args[1])); }

VENDREL_BUILTIN(InstanceDestroy) { DestroyInstance(self); }

VENDREL_BUILTIN(InstanceSprite) {
  const int sprite = ArgInt32(args[0]);
  if (!resources::Resources().sprites.Exists(sprite)) {
    code::ShowRunError("Setting instance to non-existing sprite: " + std::to_string(sprite),
                       false);
    return;
  }
  if (self != nullptr) self->SetSprite(sprite);
}

VENDREL_BUILTIN(PositionDestroy) { DestroyAtPosition(ArgReal(args[0]), ArgReal(args[1])); }

VENDREL_BUILTIN(PositionChange) {
  ChangeAtPosition(ArgReal(args[0]), ArgReal(args[1]), ArgInt32(args[2]), ArgBool(args[3]));
}

VENDREL_BUILTIN(InstanceFind) {
  result.SetReal(FindInstance(ArgInt32(args[0]), ArgInt32(args[1])));
}

VENDREL_BUILTIN(InstanceExists) {
  result.SetReal(InstanceExists(self, other, ArgInt32(args[0])) ? 1.0 : 0.0);
}

VENDREL_BUILTIN(InstanceNumber) {
  result.SetReal(InstanceNumber(self, other, ArgInt32(args[0])));
}

VENDREL_BUILTIN(DeactivateAllHandler) { DeactivateAll(self, ArgBool(args[0])); }
VENDREL_BUILTIN(DeactivateObjectHandler) { DeactivateObject(self, other, ArgInt32(args[0])); }
VENDREL_BUILTIN(DeactivateRegionHandler) {
  DeactivateRegion(self, ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                   ArgBool(args[4]), ArgBool(args[5]));
}
VENDREL_BUILTIN(ActivateAllHandler) { ActivateAll(); }
VENDREL_BUILTIN(ActivateObjectHandler) { ActivateObject(self, other, ArgInt32(args[0])); }
VENDREL_BUILTIN(ActivateRegionHandler) {
  ActivateRegion(ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]),
                 ArgBool(args[4]));
}

static const code::FunctionTableRow kInstanceFunctions[] = {
    {"room_goto", 1, RoomGoto},
    {"room_goto_previous", 0, RoomGotoPrevious},
    {"room_goto_next", 0, RoomGotoNext},
    {"room_restart", 0, RoomRestart},
    {"room_previous", 1, RoomPrevious},
    {"room_next", 1, RoomNext},
    {"game_end", 0, GameEnd},
    {"game_restart", 0, GameRestart},
    {"game_load", 1, GameLoad},
    {"game_save", 1, GameSave},
    {"sleep", 1, Sleep},
    {"instance_create", 3, InstanceCreate},
    {"instance_copy", 1, InstanceCopy},
    {"instance_change", 2, InstanceChange},
    {"instance_destroy", 0, InstanceDestroy},
    {"instance_sprite", 1, InstanceSprite},
    {"position_destroy", 2, PositionDestroy},
    {"position_change", 4, PositionChange},
    {"instance_find", 2, InstanceFind},
    {"instance_exists", 1, InstanceExists},
    {"instance_number", 1, InstanceNumber},
    {"instance_deactivate_all", 1, DeactivateAllHandler},
    {"instance_deactivate_object", 1, DeactivateObjectHandler},
    {"instance_deactivate_region", 6, DeactivateRegionHandler},
    {"instance_activate_all", 0, ActivateAllHandler},
    {"instance_activate_object", 1, ActivateObjectHandler},
    {"instance_activate_region", 5, ActivateRegionHandler},
};

}  // namespace

void RegisterInstanceFunctions() { code::RegisterFamily(kInstanceFunctions); }

}  // namespace vendrel::runtime
