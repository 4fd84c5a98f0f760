// The sound engine: the table of prepared sounds (engine entries) and every
// operation game code can apply to them, on the game thread. It feeds the
// mixer (sound/mixer.h), which renders either into the audio device on its
// own thread or, without a device, on the game thread against a virtual
// clock that advances by exactly one game step at a time.
//
// Entry kinds: 0 normal sound (any number sound at once), 1 background
// music (starting one replaces the music that plays), 2 3D sound (the only
// kind the 3D calls act on), 3 media-player file (one at a time; volume,
// pan, effects and 3D calls do nothing, the master volume does not reach
// it). Other kind numbers make kind-0 entries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/audio_out.h"
#include "sound/effects.h"
#include "sound/mixer.h"

namespace vendrel::sound {

inline constexpr int kDefaultSampleRate = 44100;

class SoundEngine {
 public:
  explicit SoundEngine(int sample_rate = kDefaultSampleRate);
  ~SoundEngine();
  SoundEngine(const SoundEngine&) = delete;
  SoundEngine& operator=(const SoundEngine&) = delete;

  int sample_rate() const { return mixer_.sample_rate(); }

  // ---- Output ------------------------------------------------------------
  // Plays through the audio device from now on. False (with the reason in
  // [error]) when there is none; the engine then keeps the virtual clock.
  bool OpenDevice(std::string* error);
  bool DeviceOpen() const { return device_open_; }
  void CloseDevice();
  // Writes everything rendered from now on to a WAV file at [path], which
  // appears complete when FinishFileOutput is called.
  bool StartFileOutput(const std::string& path);
  bool FinishFileOutput();
  bool FileOutputActive() const { return wav_.IsOpen(); }
  // Without a device: renders the frames of one game step at [room_speed]
  // steps per second (rounding so that no frame is lost over many steps)
  // into the WAV file, if any. With a device this only collects the
  // objects the audio thread has let go of.
  void RenderStep(int room_speed);
  // Without a device: renders [frames] interleaved stereo frames into [out].
  void Render(float* out, int frames);
  // Frames rendered so far.
  uint64_t FramesRendered() const { return mixer_.FramesRendered(); }

  // ---- Sample table --------------------------------------------------------
  // Decodes a sound file held in memory into a new entry of [kind] 0, 1 or
  // 2; -1 when it cannot be decoded (or [kind] is 3: a media-player entry
  // needs a file).
  int LoadFromMemory(std::span<const uint8_t> bytes, std::string_view extension, int kind);
  // A new entry for the file at [path]; -1 when it does not exist. A file
  // that cannot be decoded for kinds 0 to 2 makes a kind-3 entry.
  int LoadFromFile(const std::string& path, int kind);
  void Free(int index);
  void FreeAll();
  int EntryCount() const { return int(entries_.size()); }
  bool InUse(int index) const { return Valid(index); }
  // The entry's kind, or -1 for a free or missing entry.
  int EntryKind(int index) const;

  void Play(int index, bool loop);
  void Stop(int index);
  void StopAll();
  bool IsPlaying(int index) const;
  // [volume] 1 is 0 dB, 0 is -96 dB, reached linearly in decibels over
  // [duration_ms]. The value is not clamped, but the level never rises
  // above 0 dB.
  void SetVolume(int index, int duration_ms, double volume);
  // -1 silences the right channel, 1 the left; in between the far channel
  // is attenuated by |pan| times 100 dB.
  void SetPan(int index, double pan);
  // Playback rate factor: 2 plays an octave higher and twice as fast.
  void SetFrequency(int index, double ratio);
  // 1 is the full level, 0 silence (-110 dB); 0.95 is -5.5 dB.
  void SetMasterVolume(double volume);
  // Speed of MIDI music, 1 as written; limited to 0.01..100.
  void SetTempo(double tempo);
  void SetSearchDirectory(std::string directory) { search_directory_ = std::move(directory); }
  void SetEffects(int index, int bits);
  // Sets the parameters of the first unit of the record's effect when the
  // entry has that effect; otherwise nothing happens.
  void SetEffectParams(int index, const EffectParams& params);
  void SetPosition3D(int index, Vec3 position);
  void SetVelocity3D(int index, Vec3 velocity);
  void SetDistance3D(int index, double minimum, double maximum);
  void SetCone3D(int index, Vec3 orientation, int inside_angle, int outside_angle, double outside_volume);
  void SetListener(const Listener3D& listener);
  const Listener3D& listener() const { return listener_; }

  // ---- Values last sent, for inspection ------------------------------------
  int VolumeValue(int index) const;  // hundredths of a dB
  int PanValue(int index) const;     // -10000..10000
  int EffectBits(int index) const;
  int MasterVolumeValue() const { return master_value_; }  // -10000..1000
  double TempoValue() const { return tempo_; }
  const std::string& SearchDirectory() const { return search_directory_; }
  // The file the media player has open, or empty.
  const std::string& MediaPlayerFile() const { return player_file_; }

 private:
  struct Entry {
    bool in_use = false;
    int kind = 0;
    std::unique_ptr<Bus> bus;
    std::unique_ptr<SoundData> data;
    std::unique_ptr<EffectChain> chain;
    std::string file_name;  // kind 3
    uint32_t started = 0;
    uint32_t stop_mark = 0;  // plays up to this one count as stopped
    int volume_mb = 0;
    int pan_value = 0;
    int effects = 0;
  };
  // Objects handed to the mixer that wait to come back before deletion.
  struct Retiring {
    std::unique_ptr<Bus> bus;
    std::unique_ptr<EffectChain> chain;
    std::unique_ptr<SoundData> data;
  };

  bool Valid(int index) const {
    return index >= 0 && index < int(entries_.size()) && entries_[size_t(index)].in_use;
  }
  Entry* Mixed(int index);  // an entry of kinds 0 to 2, or null
  int Allocate(int kind);
  int AddMixedEntry(std::unique_ptr<SoundData> data, int kind);
  void Post(const MixCommand& command);
  void Poll();
  bool PlayerPlaying() const;

  Mixer mixer_;
  std::vector<Entry> entries_;
  std::vector<MixCommand> overflow_;
  std::unordered_map<const void*, Retiring> retiring_;
  bool device_open_ = false;
  platform::WavFileWriter wav_;
  std::vector<float> step_buffer_;
  uint64_t step_remainder_ = 0;
  int master_value_ = 1000;
  double tempo_ = 1;
  std::string search_directory_;
  Listener3D listener_;
  std::string player_file_;
  uint32_t player_started_ = 0;
  uint32_t player_stop_mark_ = 0;
};

// Decodes a sound file for the mixer; null when it cannot be decoded.
std::unique_ptr<SoundData> DecodeSound(std::span<const uint8_t> bytes, std::string_view extension,
                                       int sample_rate);

}  // namespace vendrel::sound
