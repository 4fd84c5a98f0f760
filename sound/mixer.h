// The mixer: everything that runs on the audio thread. The game thread
// builds buses, sound data and effect chains, hands them over through a
// single-producer single-consumer command queue, and gets objects it may
// delete back through a second queue once the audio thread no longer uses
// them. Rendering never allocates, locks or waits.
//
// A bus is the mixer side of one engine entry (one prepared sound): every
// play of the sound is a voice on its bus, and the bus applies the sound's
// effects, volume, pan and 3D placement to the sum of its voices. One more
// bus, owned by the mixer, is the media player, which plays one file at a
// time outside the master volume.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/audio_decoders.h"
#include "sound/effects.h"
#include "sound/midi_sequence.h"
#include "sound/spsc_queue.h"

namespace vendrel::sound {

inline constexpr int kMixBlock = 256;
inline constexpr int kMaxVoices = 256;

// Decoded samples, or a MIDI sequence with the synthesizer that plays it.
// Immutable once handed over, but for the synthesizer, which only the
// audio thread drives from then on.
struct SoundData {
  platform::DecodedAudio pcm;
  MidiSequence midi;
  std::unique_ptr<platform::MidiSynth> synth;

  bool IsMidi() const { return synth != nullptr; }
};

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

// Placement of a 3D sound. Units are metres, seconds and degrees; the
// outside volume is in hundredths of a decibel.
struct Source3D {
  Vec3 position;
  Vec3 velocity;
  double min_distance = 1;
  double max_distance = 1e9;
  Vec3 cone_orientation{0, 0, 1};
  double inside_angle = 360;
  double outside_angle = 360;
  double outside_volume = 0;
};

// The listener, at the origin facing +z with +y up unless moved (x to the
// right: a left-handed frame).
struct Listener3D {
  Vec3 position;
  Vec3 velocity;
  Vec3 front{0, 0, 1};
  Vec3 top{0, 1, 0};
  double distance_factor = 1;  // metres per unit (for the speed of sound)
  double rolloff_factor = 1;   // 0 none, 1 real-world (6 dB per doubled distance)
  double doppler_factor = 1;   // 0 none, 1 real-world
};

enum class BusKind : uint8_t { Normal, Music, Spatial, Player };

class Bus {
 public:
  Bus(BusKind kind, const SoundData* data) : kind_(kind), data_(data) {}
  BusKind kind() const { return kind_; }
  // Voices of this bus that have ended (run out, stopped, replaced or
  // never started for want of a voice). Written by the audio thread.
  uint32_t EndedVoices() const { return ended_.load(std::memory_order_acquire); }

 private:
  friend class Mixer;
  const BusKind kind_;
  const SoundData* data_;
  std::atomic<uint32_t> ended_{0};

  // Audio-thread state.
  EffectChain* chain_ = nullptr;
  // Volume in hundredths of a decibel, ramping from ramp_from_ to
  // target_mb_ over the frames [ramp_start_, ramp_end_).
  double ramp_from_ = 0, target_mb_ = 0;
  uint64_t ramp_start_ = 0, ramp_end_ = 0;
  float pan_left_ = 1, pan_right_ = 1;
  double frequency_ = 1;
  Source3D source_;
  int voices_ = 0;
  bool active_ = false;
  Bus* next_active_ = nullptr;
  uint64_t quiet_frames_ = 0;
  // Per block: 3D gains and pitch factor.
  float spatial_left_ = 1, spatial_right_ = 1;
  double doppler_ = 1;
  alignas(16) float left_[kMixBlock] = {};
  alignas(16) float right_[kMixBlock] = {};
};

struct MixCommand {
  enum class Op : uint8_t {
    RemoveBus,  // returns the bus
    Play,       // flag: loop
    Stop,
    SetVolume,  // value[0] hundredths of a dB, count: ramp frames
    SetPan,     // value[0], value[1]: left and right gains
    SetFrequency,
    SetMasterGain,
    SetTempo,
    SetChain,  // object: the new chain (or null); returns the old one
    SetEffectParams,
    SetPosition,     // value[0..2]
    SetVelocity,     // value[0..2]
    SetDistance,     // value[0..1]
    SetCone,         // value[0..5]
    SetListener,     // listener
    PlayerPlay,      // object: SoundData, flag: loop
    PlayerStop,
    RetireData,  // object: SoundData; the player lets go of it; returned
  };
  Op op = Op::Stop;
  bool flag = false;
  Bus* bus = nullptr;
  void* object = nullptr;
  int64_t count = 0;
  double value[6] = {};
  EffectType effect = EffectType::Chorus;
  EffectParams params;
  Listener3D listener;
};

class Mixer {
 public:
  explicit Mixer(int sample_rate);
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  int sample_rate() const { return rate_; }

  // Game thread: false when the queue is full (try again later).
  bool Post(const MixCommand& command) { return commands_.TryPush(command); }
  // Game thread: an object handed over earlier that the audio thread has
  // let go of, or null.
  void* TakeRetired();
  // The media player bus (its EndedVoices tells when its file stopped).
  const Bus& player() const { return player_; }

  // Audio thread (or the game thread when no device runs): applies every
  // queued command, then renders [frames] interleaved stereo frames.
  void Render(float* out, int frames);
  // Applies queued commands without rendering.
  void ApplyCommands();
  // Frames rendered since the mixer was made.
  uint64_t FramesRendered() const { return frames_rendered_.load(std::memory_order_acquire); }

 private:
  struct Voice {
    Bus* bus = nullptr;  // null: free
    bool loop = false;
    uint64_t serial = 0;
    double position = 0;  // source frames (PCM)
    // MIDI cursor.
    size_t next_event = 0;
    double tick = 0;
    double us_per_quarter = 500000;
    uint64_t held[32] = {};  // 16 channels x 128 keys
  };

  bool Apply(const MixCommand& command);
  void Activate(Bus* bus);
  void StartVoice(Bus* bus, bool loop);
  void EndVoice(Voice& voice, bool release_notes);
  void StopVoicesOf(Bus* bus);
  void RenderBlock(float* left, float* right, int frames);
  void MixPcmVoice(Voice& voice, int frames);
  void RunMidiBus(Bus* bus, int frames);
  bool AdvanceMidi(Voice& voice, const SoundData& data, int frames);
  void SendMidi(Voice& voice, platform::MidiSynth& synth, const MidiEvent& event, const MidiSequence& sequence);
  void PlaceSpatial(Bus* bus);
  void FinishBus(Bus* bus, float* left, float* right, int frames, bool to_master);
  static double LevelAt(const Bus* bus, uint64_t frame);
  static float VolumeAt(const Bus* bus, uint64_t frame);

  int rate_;
  SpscQueue<MixCommand> commands_;
  SpscQueue<void*> retired_;
  Voice voices_[kMaxVoices];
  uint64_t next_serial_ = 1;
  Bus* active_ = nullptr;
  Bus player_;
  float master_gain_ = 1;
  double tempo_ = 1;
  Listener3D listener_;
  uint64_t now_ = 0;
  std::atomic<uint64_t> frames_rendered_{0};
  alignas(16) float mix_left_[kMixBlock] = {};
  alignas(16) float mix_right_[kMixBlock] = {};
  alignas(16) float synth_left_[kMixBlock] = {};
  alignas(16) float synth_right_[kMixBlock] = {};
};

}  // namespace vendrel::sound
