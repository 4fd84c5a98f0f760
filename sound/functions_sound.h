// Registration of the sound function family (sound/functions_sound.cpp).
#pragma once

namespace vendrel::sound {

// Registers sound_*, cd_* and MCI_command; called once from
// runner/builtin_families.cpp.
void RegisterSoundFunctions();
// Registers the sound resource functions (sound_name, sound_exists,
// sound_get_*, sound_add, sound_replace, sound_delete, sound_discard,
// sound_restore; sound/functions_sound_resources.cpp).
void RegisterSoundResourceFunctions();

}  // namespace vendrel::sound
