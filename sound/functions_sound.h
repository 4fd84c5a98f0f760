// Registration of the sound function family (sound/functions_sound.cpp).
#pragma once

namespace vendrel::sound {

// Registers sound_*, cd_* and MCI_command; called once from
// runner/builtin_families.cpp.
void RegisterSoundFunctions();

}  // namespace vendrel::sound
