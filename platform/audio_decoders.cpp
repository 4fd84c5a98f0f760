#include "platform/audio_decoders.h"

#include <fluidsynth.h>
#include <mpg123.h>
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/files.h"

namespace vendrel::platform {

namespace {

std::string LowerExtension(std::string_view extension) {
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  std::string lower(extension);
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool StartsWith(std::span<const uint8_t> bytes, size_t offset, const char* magic) {
  size_t length = std::strlen(magic);
  return bytes.size() >= offset + length && std::memcmp(bytes.data() + offset, magic, length) == 0;
}

// An MPEG audio frame header: 11 sync bits, a valid version, layer, bit rate
// and sample rate.
bool LooksLikeMpegFrame(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4 || bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) return false;
  int version = (bytes[1] >> 3) & 3;
  int layer = (bytes[1] >> 1) & 3;
  int bitrate = bytes[2] >> 4;
  int rate = (bytes[2] >> 2) & 3;
  return version != 1 && layer != 0 && bitrate != 15 && rate != 3;
}

// ---- libsndfile over a memory block -------------------------------------

struct MemoryFile {
  std::span<const uint8_t> bytes;
  sf_count_t position = 0;
};

sf_count_t MemoryLength(void* user) { return sf_count_t(static_cast<MemoryFile*>(user)->bytes.size()); }

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
  auto* file = static_cast<MemoryFile*>(user);
  sf_count_t base = whence == SEEK_CUR ? file->position
                    : whence == SEEK_END ? sf_count_t(file->bytes.size())
                                         : 0;
  file->position = std::clamp<sf_count_t>(base + offset, 0, sf_count_t(file->bytes.size()));
  return file->position;
}

sf_count_t MemoryRead(void* destination, sf_count_t count, void* user) {
  auto* file = static_cast<MemoryFile*>(user);
  sf_count_t available = sf_count_t(file->bytes.size()) - file->position;
  sf_count_t n = std::clamp<sf_count_t>(count, 0, available);
  if (n > 0) std::memcpy(destination, file->bytes.data() + file->position, size_t(n));
  file->position += n;
  return n;
}

sf_count_t MemoryWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t MemoryTell(void* user) { return static_cast<MemoryFile*>(user)->position; }

bool DecodeWithSndfile(std::span<const uint8_t> bytes, DecodedAudio& out, std::string* error) {
  SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
  MemoryFile file{bytes, 0};
  SF_INFO info{};
  SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &file);
  if (sf == nullptr) {
    if (error) *error = sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.samplerate < 1) {
    sf_close(sf);
    if (error) *error = "no audio channels";
    return false;
  }
  // Integer formats read as floats in [-1, 1).
  sf_command(sf, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
  const int source_channels = info.channels;
  const int channels = std::min(source_channels, 2);
  out.sample_rate = info.samplerate;
  out.channels = channels;
  out.samples.clear();
  if (info.frames > 0) out.samples.reserve(size_t(info.frames) * size_t(channels));
  std::vector<float> chunk(size_t(4096) * size_t(source_channels));
  for (;;) {
    sf_count_t frames = sf_readf_float(sf, chunk.data(), 4096);
    if (frames <= 0) break;
    for (sf_count_t f = 0; f < frames; ++f)
      for (int c = 0; c < channels; ++c)
        out.samples.push_back(chunk[size_t(f) * size_t(source_channels) + size_t(c)]);
  }
  sf_close(sf);
  if (out.samples.empty()) {
    if (error) *error = "the file holds no samples";
    return false;
  }
  return true;
}

// ---- mpg123 ---------------------------------------------------------------

bool InitMpg123() {
  static const bool ok = mpg123_init() == MPG123_OK;
  return ok;
}

bool DecodeWithMpg123(std::span<const uint8_t> bytes, DecodedAudio& out, std::string* error) {
  if (!InitMpg123()) {
    if (error) *error = "mpg123 failed to start";
    return false;
  }
  int result = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &result);
  if (mh == nullptr) {
    if (error) *error = "mpg123 failed to start";
    return false;
  }
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  // Always stereo floats at the stream's own rate: mono frames are doubled.
  mpg123_format_none(mh);
  const long* rates = nullptr;
  size_t rate_count = 0;
  mpg123_rates(&rates, &rate_count);
  for (size_t i = 0; i < rate_count; ++i) mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);
  out.samples.clear();
  out.channels = 2;
  out.sample_rate = 0;
  bool ok = mpg123_open_feed(mh) == MPG123_OK &&
            mpg123_feed(mh, bytes.data(), bytes.size()) == MPG123_OK;
  std::vector<float> chunk(8192);
  while (ok) {
    size_t done = 0;
    result = mpg123_read(mh, chunk.data(), chunk.size() * sizeof(float), &done);
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, encoding = 0;
      mpg123_getformat(mh, &rate, &channels, &encoding);
      // A later change of rate would need resampling; the first one holds.
      if (out.sample_rate == 0) out.sample_rate = int(rate);
    }
    out.samples.insert(out.samples.end(), chunk.begin(),
                       chunk.begin() + std::ptrdiff_t(done / sizeof(float)));
    if (result == MPG123_NEED_MORE || result == MPG123_DONE) break;
    if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
      // A damaged frame ends decoding; what came before it is kept.
      break;
    }
  }
  mpg123_delete(mh);
  if (out.samples.size() % 2 != 0) out.samples.pop_back();
  if (out.sample_rate <= 0 || out.samples.empty()) {
    if (error) *error = "not a decodable MP3 stream";
    return false;
  }
  return true;
}

// ---- FluidSynth -------------------------------------------------------------

void SilenceFluidSynthLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  });
}

}  // namespace

AudioFileKind DetectAudioFileKind(std::span<const uint8_t> bytes, std::string_view extension) {
  if (StartsWith(bytes, 0, "MThd") || (StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "RMID")))
    return AudioFileKind::Midi;
  if (StartsWith(bytes, 0, "RIFF") || StartsWith(bytes, 0, "OggS") || StartsWith(bytes, 0, "fLaC") ||
      StartsWith(bytes, 0, "FORM") || StartsWith(bytes, 0, ".snd") || StartsWith(bytes, 0, "RF64"))
    return AudioFileKind::Pcm;
  if (StartsWith(bytes, 0, "ID3") || LooksLikeMpegFrame(bytes)) return AudioFileKind::Mp3;
  std::string ext = LowerExtension(extension);
  if (ext == "mp3" || ext == "mp2" || ext == "mpga") return AudioFileKind::Mp3;
  if (ext == "mid" || ext == "midi" || ext == "rmi") return AudioFileKind::Midi;
  if (ext == "wav" || ext == "ogg" || ext == "flac" || ext == "aif" || ext == "aiff" || ext == "au" ||
      ext == "oga")
    return AudioFileKind::Pcm;
  return AudioFileKind::Unknown;
}

bool DecodeAudio(std::span<const uint8_t> bytes, std::string_view extension, DecodedAudio& out,
                 std::string* error) {
  switch (DetectAudioFileKind(bytes, extension)) {
    case AudioFileKind::Pcm:
      return DecodeWithSndfile(bytes, out, error);
    case AudioFileKind::Mp3:
      return DecodeWithMpg123(bytes, out, error);
    case AudioFileKind::Midi:
      if (error) *error = "MIDI files are played by the synthesizer";
      return false;
    case AudioFileKind::Unknown:
      // libsndfile recognises many headerless-looking formats by content.
      if (DecodeWithSndfile(bytes, out, nullptr)) return true;
      if (error) *error = "unknown sound file format";
      return false;
  }
  return false;
}

std::span<const uint8_t> StandardMidiData(std::span<const uint8_t> bytes) {
  if (StartsWith(bytes, 0, "MThd")) return bytes;
  if (!(StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "RMID"))) return {};
  size_t offset = 12;
  while (offset + 8 <= bytes.size()) {
    uint32_t length = uint32_t(bytes[offset + 4]) | uint32_t(bytes[offset + 5]) << 8 |
                      uint32_t(bytes[offset + 6]) << 16 | uint32_t(bytes[offset + 7]) << 24;
    size_t body = offset + 8;
    size_t available = bytes.size() - body;
    if (StartsWith(bytes, offset, "data")) return bytes.subspan(body, std::min<size_t>(length, available));
    if (length > available) break;
    offset = body + length + (length & 1);
  }
  return {};
}

std::string GeneralMidiSoundFontPath() {
  if (const char* configured = std::getenv("VENDREL_SOUNDFONT"); configured && *configured)
    return FileExists(configured) ? configured : std::string();
  for (const char* path : {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
                           "/usr/share/soundfonts/default.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2"})
    if (FileExists(path)) return path;
  return {};
}

struct MidiSynth::State {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  ~State() {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
};

std::unique_ptr<MidiSynth> MidiSynth::Create(int sample_rate) {
  std::string font = GeneralMidiSoundFontPath();
  if (font.empty()) return nullptr;
  SilenceFluidSynthLog();
  auto state = std::make_unique<State>();
  state->settings = new_fluid_settings();
  if (!state->settings) return nullptr;
  fluid_settings_setnum(state->settings, "synth.sample-rate", double(sample_rate));
  // Only the one thread that owns the synth calls it; no locks needed.
  fluid_settings_setint(state->settings, "synth.threadsafe-api", 0);
  // Every sample is loaded with the font, never later on the audio thread.
  fluid_settings_setint(state->settings, "synth.dynamic-sample-loading", 0);
  fluid_settings_setint(state->settings, "synth.cpu-cores", 1);
  fluid_settings_setnum(state->settings, "synth.gain", 0.4);
  state->synth = new_fluid_synth(state->settings);
  if (!state->synth) return nullptr;
  // FluidSynth shares the sample data of a font loaded by several synths.
  if (fluid_synth_sfload(state->synth, font.c_str(), 1) == FLUID_FAILED) return nullptr;
  std::unique_ptr<MidiSynth> result(new MidiSynth());
  result->state_ = std::move(state);
  return result;
}

MidiSynth::~MidiSynth() = default;

void MidiSynth::Send(uint8_t status, uint8_t data1, uint8_t data2) {
  fluid_synth_t* s = state_->synth;
  int channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(s, channel, data1);
      break;
    case 0x90:
      if (data2 == 0)
        fluid_synth_noteoff(s, channel, data1);
      else
        fluid_synth_noteon(s, channel, data1, data2);
      break;
    case 0xA0:
      fluid_synth_key_pressure(s, channel, data1, data2);
      break;
    case 0xB0:
      fluid_synth_cc(s, channel, data1, data2);
      break;
    case 0xC0:
      fluid_synth_program_change(s, channel, data1);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(s, channel, data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(s, channel, data1 | (data2 << 7));
      break;
    default:
      break;
  }
}

void MidiSynth::SendSysEx(const uint8_t* data, int length) {
  if (length > 0)
    fluid_synth_sysex(state_->synth, reinterpret_cast<const char*>(data), length, nullptr, nullptr,
                      nullptr, 0);
}

void MidiSynth::AllNotesOff() { fluid_synth_all_notes_off(state_->synth, -1); }

void MidiSynth::AllSoundsOff() { fluid_synth_all_sounds_off(state_->synth, -1); }

void MidiSynth::Reset() { fluid_synth_system_reset(state_->synth); }

void MidiSynth::Render(float* left, float* right, int frames) {
  fluid_synth_write_float(state_->synth, frames, left, 0, 1, right, 0, 1);
}

bool MidiSynth::Sounding() const { return fluid_synth_get_active_voice_count(state_->synth) > 0; }

}  // namespace vendrel::platform
