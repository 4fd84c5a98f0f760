// The sound function family: playing sound resources, their volume, pan,
// effects and 3D placement, the master volume and tempo, CD audio and raw
// MCI commands. Handlers convert their arguments and call the sound engine
// (sound/sound_engine.h) through the sound resources' engine entries.
#include <algorithm>
#include <cstdint>
#include <string>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "resources/sound.h"
#include "sound/cd_audio.h"
#include "sound/functions_sound.h"
#include "sound/sound_system.h"

namespace vendrel::sound {

namespace {

using interp::ArgInt;
using interp::ArgReal;
using interp::ArgString;
using interp::RValue;

int ToInt(const RValue& value) {
  return int(std::clamp<int64_t>(ArgInt(value), INT32_MIN, INT32_MAX));
}

float ToFloat(const RValue& value) { return float(ArgReal(value)); }

// The engine index of the sound named by [arg], prepared on demand; -2
// after reporting "Sound does not exist." when there is no such sound.
int SoundIndex(const RValue& arg) {
  resources::CSound* sound = resources::Resources().sounds.Get(ToInt(arg));
  if (!sound) {
    code::ShowRunError("Sound does not exist.", false);
    return -2;
  }
  return SoundEngineIndex(*sound);
}

Vec3 VectorArgs(const RValue* args) { return {ArgReal(args[0]), ArgReal(args[1]), ArgReal(args[2])}; }

VENDREL_BUILTIN(SoundPlay) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().Play(index, false);
}

VENDREL_BUILTIN(SoundLoop) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().Play(index, true);
}

VENDREL_BUILTIN(SoundStop) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().Stop(index);
}

VENDREL_BUILTIN(SoundStopAll) { Engine().StopAll(); }

VENDREL_BUILTIN(SoundIsPlaying) { result.SetReal(SoundResourcePlaying(ToInt(args[0])) ? 1 : 0); }

VENDREL_BUILTIN(SoundVolume) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().SetVolume(index, 0, ArgReal(args[1]));
}

VENDREL_BUILTIN(SoundFade) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().SetVolume(index, ToInt(args[2]), ArgReal(args[1]));
}

VENDREL_BUILTIN(SoundPan) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().SetPan(index, ArgReal(args[1]));
}

VENDREL_BUILTIN(SoundBackgroundTempo) { Engine().SetTempo(ArgReal(args[0])); }

VENDREL_BUILTIN(SoundGlobalVolume) { Engine().SetMasterVolume(ArgReal(args[0])); }

VENDREL_BUILTIN(SoundSetSearchDirectory) { Engine().SetSearchDirectory(ArgString(args[0])); }

VENDREL_BUILTIN(SoundEffectSet) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().SetEffects(index, ToInt(args[1]));
}

VENDREL_BUILTIN(SoundEffectChorus) {
  int index = SoundIndex(args[0]);
  if (index == -2) return;
  ChorusParams p{ToFloat(args[1]), ToFloat(args[2]), ToFloat(args[3]), ToFloat(args[4]),
                 ToInt(args[5]),   ToFloat(args[6]), ToInt(args[7])};
  Engine().SetEffectParams(index, p);
}

VENDREL_BUILTIN(SoundEffectCompressor) {
  int index = SoundIndex(args[0]);
  if (index == -2) return;
  CompressorParams p{ToFloat(args[1]), ToFloat(args[2]), ToFloat(args[3]),
                     ToFloat(args[4]), ToFloat(args[5]), ToFloat(args[6])};
  Engine().SetEffectParams(index, p);
}

VENDREL_BUILTIN(SoundEffectEcho) {
  int index = SoundIndex(args[0]);
  if (index == -2) return;
  EchoParams p{ToFloat(args[1]), ToFloat(args[2]), ToFloat(args[3]), ToFloat(args[4]), ToInt(args[5])};
  Engine().SetEffectParams(index, p);
}

VENDREL_BUILTIN(SoundEffectFlanger) {
  int index = SoundIndex(args[0]);
  if (index == -2) return;
  FlangerParams p{ToFloat(args[1]), ToFloat(args[2]), ToFloat(args[3]), ToFloat(args[4]),
                  ToInt(args[5]),   ToFloat(args[6]), ToInt(args[7])};
  Engine().SetEffectParams(index, p);
}

VENDREL_BUILTIN(SoundEffectGargle) {
  int index = SoundIndex(args[0]);
  if (index == -2) return;
  Engine().SetEffectParams(index, GargleParams{ToInt(args[1]), ToInt(args[2])});
}

VENDREL_BUILTIN(SoundEffectEqualizer) {
  int index = SoundIndex(args[0]);
  if (index == -2) return;
  Engine().SetEffectParams(index, EqualizerParams{ToFloat(args[1]), ToFloat(args[2]), ToFloat(args[3])});
}

VENDREL_BUILTIN(SoundEffectReverb) {
  int index = SoundIndex(args[0]);
  if (index == -2) return;
  ReverbParams p{ToFloat(args[1]), ToFloat(args[2]), ToFloat(args[3]), ToFloat(args[4])};
  Engine().SetEffectParams(index, p);
}

VENDREL_BUILTIN(Sound3dSetSoundPosition) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().SetPosition3D(index, VectorArgs(args + 1));
}

VENDREL_BUILTIN(Sound3dSetSoundVelocity) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().SetVelocity3D(index, VectorArgs(args + 1));
}

VENDREL_BUILTIN(Sound3dSetSoundDistance) {
  int index = SoundIndex(args[0]);
  if (index != -2) Engine().SetDistance3D(index, ArgReal(args[1]), ArgReal(args[2]));
}

VENDREL_BUILTIN(Sound3dSetSoundCone) {
  int index = SoundIndex(args[0]);
  if (index != -2)
    Engine().SetCone3D(index, VectorArgs(args + 1), ToInt(args[4]), ToInt(args[5]), ArgReal(args[6]));
}

VENDREL_BUILTIN(CdInit) { cd::Init(); }
VENDREL_BUILTIN(CdPresent) { result.SetReal(cd::Present() ? 1 : 0); }
VENDREL_BUILTIN(CdNumber) { result.SetReal(cd::Number()); }
VENDREL_BUILTIN(CdPlaying) { result.SetReal(cd::Playing() ? 1 : 0); }
VENDREL_BUILTIN(CdPaused) { result.SetReal(cd::Paused() ? 1 : 0); }
VENDREL_BUILTIN(CdTrack) { result.SetReal(cd::Track()); }
VENDREL_BUILTIN(CdLength) { result.SetReal(cd::Length()); }
VENDREL_BUILTIN(CdTrackLength) { result.SetReal(cd::TrackLength(ToInt(args[0]))); }
VENDREL_BUILTIN(CdPosition) { result.SetReal(cd::Position()); }
VENDREL_BUILTIN(CdTrackPosition) { result.SetReal(cd::TrackPosition()); }
VENDREL_BUILTIN(CdPlay) { cd::Play(ToInt(args[0]), ToInt(args[1])); }
VENDREL_BUILTIN(CdStop) { cd::Stop(); }
VENDREL_BUILTIN(CdPause) { cd::Pause(); }
VENDREL_BUILTIN(CdResume) { cd::Resume(); }
VENDREL_BUILTIN(CdSetPosition) { cd::SetPosition(ToInt(args[0])); }
VENDREL_BUILTIN(CdSetTrackPosition) { cd::SetTrackPosition(ToInt(args[0])); }
VENDREL_BUILTIN(CdOpenDoor) { cd::OpenDoor(); }
VENDREL_BUILTIN(CdCloseDoor) { cd::CloseDoor(); }

VENDREL_BUILTIN(MciCommandFunction) { result.SetString(MciCommand(ArgString(args[0]))); }

static const code::FunctionTableRow kSoundFunctions[] = {
    {"sound_play", 1, SoundPlay},
    {"sound_loop", 1, SoundLoop},
    {"sound_stop", 1, SoundStop},
    {"sound_stop_all", 0, SoundStopAll},
    {"sound_isplaying", 1, SoundIsPlaying},
    {"sound_volume", 2, SoundVolume},
    {"sound_fade", 3, SoundFade},
    {"sound_pan", 2, SoundPan},
    {"sound_background_tempo", 1, SoundBackgroundTempo},
    {"sound_global_volume", 1, SoundGlobalVolume},
    {"sound_set_search_directory", 1, SoundSetSearchDirectory},
    {"sound_effect_set", 2, SoundEffectSet},
    {"sound_effect_chorus", 8, SoundEffectChorus},
    {"sound_effect_compressor", 7, SoundEffectCompressor},
    {"sound_effect_echo", 6, SoundEffectEcho},
    {"sound_effect_flanger", 8, SoundEffectFlanger},
    {"sound_effect_gargle", 3, SoundEffectGargle},
    {"sound_effect_equalizer", 4, SoundEffectEqualizer},
    {"sound_effect_reverb", 5, SoundEffectReverb},
    {"sound_3d_set_sound_position", 4, Sound3dSetSoundPosition},
    {"sound_3d_set_sound_velocity", 4, Sound3dSetSoundVelocity},
    {"sound_3d_set_sound_distance", 3, Sound3dSetSoundDistance},
    {"sound_3d_set_sound_cone", 7, Sound3dSetSoundCone},
    {"cd_init", 0, CdInit},
    {"cd_present", 0, CdPresent},
    {"cd_number", 0, CdNumber},
    {"cd_playing", 0, CdPlaying},
    {"cd_paused", 0, CdPaused},
    {"cd_track", 0, CdTrack},
    {"cd_length", 0, CdLength},
    {"cd_track_length", 1, CdTrackLength},
    {"cd_position", 0, CdPosition},
    {"cd_track_position", 0, CdTrackPosition},
    {"cd_play", 2, CdPlay},
    {"cd_stop", 0, CdStop},
    {"cd_pause", 0, CdPause},
    {"cd_resume", 0, CdResume},
    {"cd_set_position", 1, CdSetPosition},
    {"cd_set_track_position", 1, CdSetTrackPosition},
    {"cd_open_door", 0, CdOpenDoor},
    {"cd_close_door", 0, CdCloseDoor},
    {"MCI_command", 1, MciCommandFunction},
};

}  // namespace

void RegisterSoundFunctions() { code::RegisterFamily(kSoundFunctions); }

}  // namespace vendrel::sound
