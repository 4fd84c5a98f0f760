// The running game's sound: the one engine, its life cycle around a game
// run, and the operations on sound resources (preparing, discarding, the
// sound table's add, replace and delete).
//
// The runner calls StartOfflineOutput (for --audio-out) and
// InstallSoundHooks before the game starts; the start-up then starts the
// engine and prepares the preloaded sounds through the runtime's
// prepare_sounds hook, the game loop calls RenderGameStep once per step,
// and the shut_down_sound hook frees everything and completes the WAV file.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "sound/sound_engine.h"

namespace vendrel::resources {
class CSound;
}

namespace vendrel::sound {

// The engine of the running game (made on first use).
SoundEngine& Engine();

// Fills the runtime's prepare_sounds hook (StartSoundSystem, no device
// when headless, then PrepareAllSounds) and its shut_down_sound hook
// (ShutdownSoundSystem, then FinishOfflineOutput when a file is written).
void InstallSoundHooks();

// Starts sound for a game run: empties the sample table and, unless
// [headless] or file output was requested, opens the audio device. A device
// that cannot be opened shows "Failed to initialize Direct Music Audio."
// and the game goes on silently on the virtual clock (false is returned).
// The master volume is set to 1 and the tempo to 1.
bool StartSoundSystem(bool headless);
// Frees every engine entry (the sound resources lose their engine index)
// and closes the device. The file output goes on, so that a restarted game
// keeps writing to it.
void ShutdownSoundSystem();

// Writes the mixed sound to a WAV file at [path] instead of playing it. The
// file is complete once FinishOfflineOutput has been called.
bool StartOfflineOutput(const std::string& path);
bool FinishOfflineOutput();
// Renders the sound of one game step at [room_speed] steps per second
// (without an audio device; with one it only tidies up).
void RenderGameStep(int room_speed);

// How media-player sounds get a file name: [maker] is given the suffix
// (the sound's file type) and gives a new path, or empty when there is no
// place for it. Null restores the default: the runner's temporary
// directory, or the system's when the run has none.
void SetTempFileMaker(std::function<std::string(std::string_view suffix)> maker);

// ---- Sound resources ----------------------------------------------------------
// Prepares [sound] for playing: kinds 0 to 2 are decoded from their data
// into an engine entry (a sound that cannot be decoded becomes kind 3);
// kind 3 writes its data to a temporary file, drops the data and opens the
// file for the media player. Then the effects, volume and pan are applied.
// A sound prepared before is freed first. False when the sound has nothing
// to prepare from.
bool PrepareSound(resources::CSound& sound);
// The engine index of [sound], preparing it first when it has none (-1
// when it cannot be prepared).
int SoundEngineIndex(resources::CSound& sound);
// Frees the engine entry; the data stays, so the sound can be prepared again.
void DiscardSound(resources::CSound& sound);
// Prepares every sound of the game's table whose preload flag is set.
bool PrepareAllSounds();

// Fills [sound] from the file at [path] (type, name, bytes, [kind] and
// [preload]; no effects, volume 1, pan 0) and prepares it when [preload] is
// set. False, with [sound] cleared, when the file does not exist.
bool LoadSoundFromFile(resources::CSound& sound, const std::string& path, int kind, bool preload);
// Clears [sound] to its defaults, freeing its engine entry.
void ClearSound(resources::CSound& sound);

// The sound table operations of the running game. Add appends a sound
// named "__newsound<index>" and gives its index, or -1 when the file does
// not exist. Replace loads into an existing index (making the sound when
// the slot is empty); false for an index outside the table or a missing
// file. Delete frees the sound and empties its slot and name.
int AddSound(const std::string& path, int kind, bool preload);
bool ReplaceSound(int index, const std::string& path, int kind, bool preload);
bool DeleteSound(int index);

// Play, stop and the playing test by sound resource index, for the
// actions and functions; play and stop give false when the sound does not
// exist (the caller reports its own message); a missing sound is not
// playing.
bool PlaySoundResource(int index, bool loop);
bool StopSoundResource(int index);
bool SoundResourcePlaying(int index);

}  // namespace vendrel::sound
