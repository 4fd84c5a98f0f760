#include "sound/sound_system.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

#include "platform/files.h"
#include "platform/message_box.h"
#include "resources/game_resources.h"
#include "resources/sound.h"
#include "runner/temp_dir.h"
#include "runtime/hooks.h"

namespace vendrel::sound {

namespace {

std::unique_ptr<SoundEngine>& EngineSlot() {
  static std::unique_ptr<SoundEngine> engine;
  return engine;
}

// A new file in the runner's temporary directory or, when the run has
// none, in the system's.
std::string DefaultTempFile(std::string_view suffix) {
  std::string name = runner::MakeTempFileName(suffix);
  if (!name.empty()) return name;
  std::error_code error;
  std::filesystem::path directory = std::filesystem::temp_directory_path(error);
  if (error) return {};
  static std::mt19937 random{std::random_device{}()};
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::filesystem::path path = directory / ("a" + std::to_string(random() % 100000) + std::string(suffix));
    if (!std::filesystem::exists(path, error)) return path.string();
  }
  return {};
}

bool PrepareSoundsHook() {
  StartSoundSystem(platform::IsHeadless());
  return PrepareAllSounds();
}

void ShutDownSoundHook() {
  ShutdownSoundSystem();
  if (Engine().FileOutputActive()) FinishOfflineOutput();
}

std::function<std::string(std::string_view)>& TempFileMaker() {
  static std::function<std::string(std::string_view)> maker = DefaultTempFile;
  return maker;
}

}  // namespace

SoundEngine& Engine() {
  std::unique_ptr<SoundEngine>& engine = EngineSlot();
  if (!engine) engine = std::make_unique<SoundEngine>();
  return *engine;
}

bool StartSoundSystem(bool headless) {
  SoundEngine& engine = Engine();
  // A restart begins from an empty table.
  ShutdownSoundSystem();
  bool ok = true;
  if (!headless && !engine.FileOutputActive()) {
    std::string reason;
    if (!engine.OpenDevice(&reason)) {
      platform::ShowMessageBox("Error", "Failed to initialize Direct Music Audio.",
                               platform::MessageIcon::Error, {"OK"}, 0);
      ok = false;
    }
  }
  engine.SetMasterVolume(1.0);
  engine.SetTempo(1.0);
  return ok;
}

void ShutdownSoundSystem() {
  SoundEngine& engine = Engine();
  for (int i = 0; i < resources::Resources().sounds.Count(); ++i)
    if (resources::CSound* sound = resources::Resources().sounds.Get(i)) sound->engine_index = -1;
  engine.FreeAll();
  engine.CloseDevice();
}

void InstallSoundHooks() {
  runtime::Hooks().prepare_sounds = PrepareSoundsHook;
  runtime::Hooks().shut_down_sound = ShutDownSoundHook;
  runtime::Hooks().sound_step = RenderGameStep;
}

bool StartOfflineOutput(const std::string& path) { return Engine().StartFileOutput(path); }

bool FinishOfflineOutput() { return Engine().FinishFileOutput(); }

void RenderGameStep(int room_speed) { Engine().RenderStep(room_speed); }

void SetTempFileMaker(std::function<std::string(std::string_view suffix)> maker) {
  TempFileMaker() = maker ? std::move(maker) : DefaultTempFile;
}

// ---- Sound resources -------------------------------------------------------------

bool PrepareSound(resources::CSound& sound) {
  SoundEngine& engine = Engine();
  // Preparing again must not leave the earlier entry behind.
  DiscardSound(sound);
  if (sound.kind != resources::kSoundMultimedia && sound.data) {
    sound.engine_index = engine.LoadFromMemory(*sound.data, sound.file_type, sound.kind);
    if (sound.engine_index < 0) sound.kind = resources::kSoundMultimedia;
  }
  if (sound.kind == resources::kSoundMultimedia) {
    if (sound.data) {
      std::string path = TempFileMaker()(sound.file_type);
      if (!path.empty() && platform::WriteFileAtomically(path, sound.data->data(), sound.data->size())) {
        sound.temp_file = path;
        sound.data.reset();
      }
    }
    if (sound.temp_file.empty()) return false;
    sound.engine_index = engine.LoadFromFile(sound.temp_file, resources::kSoundMultimedia);
  }
  if (sound.engine_index < 0) return false;
  if (sound.effects > 0) engine.SetEffects(sound.engine_index, sound.effects);
  engine.SetVolume(sound.engine_index, 0, sound.volume);
  engine.SetPan(sound.engine_index, sound.pan);
  return true;
}

int SoundEngineIndex(resources::CSound& sound) {
  if (sound.engine_index < 0) PrepareSound(sound);
  return sound.engine_index;
}

void DiscardSound(resources::CSound& sound) {
  if (sound.engine_index >= 0) Engine().Free(sound.engine_index);
  sound.engine_index = -1;
}

bool PrepareAllSounds() {
  resources::ResourceTable<resources::CSound>& table = resources::Resources().sounds;
  for (int i = 0; i < table.Count(); ++i) {
    resources::CSound* sound = table.Get(i);
    if (sound && sound->preload) PrepareSound(*sound);
  }
  return true;
}

void ClearSound(resources::CSound& sound) {
  DiscardSound(sound);
  sound = resources::CSound();
}

bool LoadSoundFromFile(resources::CSound& sound, const std::string& path, int kind, bool preload) {
  ClearSound(sound);
  if (!platform::FileExists(path)) return false;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  std::filesystem::path file(path);
  sound.file_type = file.extension().string();
  sound.file_name = file.filename().string();
  sound.data = std::move(bytes);
  sound.kind = kind;
  sound.preload = preload;
  if (preload) PrepareSound(sound);
  return true;
}

int AddSound(const std::string& path, int kind, bool preload) {
  resources::ResourceTable<resources::CSound>& table = resources::Resources().sounds;
  int index = table.Count();
  auto sound = std::make_unique<resources::CSound>();
  if (!LoadSoundFromFile(*sound, path, kind, preload)) return -1;
  return table.Add(std::move(sound), "__newsound" + std::to_string(index));
}

bool ReplaceSound(int index, const std::string& path, int kind, bool preload) {
  resources::ResourceTable<resources::CSound>& table = resources::Resources().sounds;
  if (index < 0 || index >= table.Count()) return false;
  resources::CSound* sound = table.Get(index);
  if (!sound) {
    // An empty slot gets a sound and keeps its (empty) name.
    table.Set(index, std::make_unique<resources::CSound>(), "");
    sound = table.Get(index);
  }
  return LoadSoundFromFile(*sound, path, kind, preload);
}

bool DeleteSound(int index) {
  resources::ResourceTable<resources::CSound>& table = resources::Resources().sounds;
  resources::CSound* sound = table.Get(index);
  if (!sound) return false;
  DiscardSound(*sound);
  table.Remove(index);
  return true;
}

bool PlaySoundResource(int index, bool loop) {
  resources::CSound* sound = resources::Resources().sounds.Get(index);
  if (!sound) return false;
  Engine().Play(SoundEngineIndex(*sound), loop);
  return true;
}

bool StopSoundResource(int index) {
  resources::CSound* sound = resources::Resources().sounds.Get(index);
  if (!sound) return false;
  Engine().Stop(SoundEngineIndex(*sound));
  return true;
}

bool SoundResourcePlaying(int index) {
  resources::CSound* sound = resources::Resources().sounds.Get(index);
  return sound && Engine().IsPlaying(SoundEngineIndex(*sound));
}

}  // namespace vendrel::sound
