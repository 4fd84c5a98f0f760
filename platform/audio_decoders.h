// Sound file decoders and the General MIDI synthesizer: libsndfile (WAV,
// OGG, FLAC, AIFF and the other formats it knows), mpg123 (MP3) and
// FluidSynth with a General MIDI sound font. The sound subsystem parses MIDI
// files itself and drives a MidiSynth with their events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel::platform {

// Interleaved float samples, nominally in [-1, 1].
struct DecodedAudio {
  int sample_rate = 0;
  int channels = 0;  // 1 or 2; files with more channels keep their first two
  std::vector<float> samples;

  size_t Frames() const { return channels > 0 ? samples.size() / size_t(channels) : 0; }
};

enum class AudioFileKind { Unknown, Pcm, Mp3, Midi };

// What [bytes] hold, judged by their first bytes and, where those do not
// tell (MP3 without a tag), by the [extension] (with or without the dot,
// any case).
AudioFileKind DetectAudioFileKind(std::span<const uint8_t> bytes, std::string_view extension);

// Decodes a PCM (libsndfile) or MP3 (mpg123) file held in memory. Returns
// false with a reason in [error] when the bytes cannot be decoded or hold no
// samples.
bool DecodeAudio(std::span<const uint8_t> bytes, std::string_view extension, DecodedAudio& out,
                 std::string* error);

// The standard MIDI file inside [bytes]: the bytes themselves, or the data
// chunk of a RIFF "RMID" file. Empty when there is none.
std::span<const uint8_t> StandardMidiData(std::span<const uint8_t> bytes);

// Path of the General MIDI sound font used for MIDI music (the environment
// variable VENDREL_SOUNDFONT overrides it); empty when none is installed.
std::string GeneralMidiSoundFontPath();

// A FluidSynth synthesizer with the General MIDI sound font. Every call but
// Create may be made from the audio thread: none of them allocates, locks
// or reads files. One thread at a time uses an instance.
class MidiSynth {
 public:
  // Null when no sound font is installed or FluidSynth fails.
  static std::unique_ptr<MidiSynth> Create(int sample_rate);
  ~MidiSynth();
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  // A channel message: [status] with the channel in its low nibble.
  void Send(uint8_t status, uint8_t data1, uint8_t data2);
  // A system-exclusive message without its leading 0xF0 and trailing 0xF7.
  void SendSysEx(const uint8_t* data, int length);
  // Releases every sounding note (they fade with their envelopes).
  void AllNotesOff();
  // Silences everything at once.
  void AllSoundsOff();
  // Back to the power-on state: programs, controllers and voices.
  void Reset();
  // Renders [frames] frames into two planar channels (overwriting them).
  void Render(float* left, float* right, int frames);
  // Whether any voice still sounds (notes released but still fading count).
  bool Sounding() const;

 private:
  MidiSynth() = default;
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vendrel::platform
