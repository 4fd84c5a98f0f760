// The sound resource built-ins: name, existence, kind and preload flag of
// sounds; sounds added from files, replaced and deleted while the game
// runs; and the engine entry of a sound freed or made again. Handlers
// convert their arguments and call the sound system's resource operations
// (sound/sound_system.h).
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "resources/game_resources.h"
#include "resources/sound.h"
#include "sound/functions_sound.h"
#include "sound/sound_system.h"

namespace vendrel::sound {

namespace {

using interp::ArgBool;
using interp::ArgString;
using resources::CSound;

int ArgIndex(const interp::RValue& value) {
  return int(std::clamp<int64_t>(interp::ArgInt(value), INT32_MIN, INT32_MAX));
}

resources::ResourceTable<CSound>& Sounds() { return resources::Resources().sounds; }
CSound* SoundArg(const interp::RValue& value) { return Sounds().Get(ArgIndex(value)); }

// The file a game names, found on the host as the file functions find it.
std::string HostPath(const interp::RValue& value) {
  return platform::ResolveGamePath(ArgString(value));
}

VENDREL_BUILTIN(SoundName) { result.SetString(Sounds().Name(ArgIndex(args[0]))); }
VENDREL_BUILTIN(SoundExists) { interp::SetBool(result, SoundArg(args[0]) != nullptr); }
VENDREL_BUILTIN(SoundGetKind) {
  const CSound* sound = SoundArg(args[0]);
  result.SetReal(sound != nullptr ? sound->kind : -1);
}
VENDREL_BUILTIN(SoundGetPreload) {
  const CSound* sound = SoundArg(args[0]);
  result.SetReal(sound != nullptr ? (sound->preload ? 1 : 0) : -1);
}

VENDREL_BUILTIN(SoundDiscard) {
  if (CSound* sound = SoundArg(args[0])) DiscardSound(*sound);
}
VENDREL_BUILTIN(SoundRestore) {
  if (CSound* sound = SoundArg(args[0])) PrepareSound(*sound);
}

// fname, kind, preload
VENDREL_BUILTIN(SoundAdd) {
  result.SetReal(AddSound(HostPath(args[0]), ArgIndex(args[1]), ArgBool(args[2])));
}

// ind, fname, kind, preload
VENDREL_BUILTIN(SoundReplace) {
  if (SoundArg(args[0]) == nullptr) {
    code::ShowRunError("Trying to replace non-existing sound.", false);
    return;
  }
  // A file that is not there leaves the sound as it was (loading into the
  // sound would first clear it).
  const std::string path = HostPath(args[1]);
  if (!platform::FileExists(path)) return;
  interp::SetBool(result, ReplaceSound(ArgIndex(args[0]), path, ArgIndex(args[2]),
                                       ArgBool(args[3])));
}

VENDREL_BUILTIN(SoundDelete) {
  if (!DeleteSound(ArgIndex(args[0])))
    code::ShowRunError("Trying to delete non-existing sound.", false);
}

}  // namespace

static const code::FunctionTableRow kSoundResourceFunctions[] = {
    {"sound_name", 1, SoundName},
    {"sound_get_name", 1, SoundName},
    {"sound_exists", 1, SoundExists},
    {"sound_get_kind", 1, SoundGetKind},
    {"sound_get_preload", 1, SoundGetPreload},
    {"sound_discard", 1, SoundDiscard},
    {"sound_restore", 1, SoundRestore},
    {"sound_add", 3, SoundAdd},
    {"sound_replace", 4, SoundReplace},
    {"sound_delete", 1, SoundDelete},
};

void RegisterSoundResourceFunctions() { code::RegisterFamily(kSoundResourceFunctions); }

}  // namespace vendrel::sound
