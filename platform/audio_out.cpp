#include "platform/audio_out.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace vendrel::platform {

// ---- SDL audio device ---------------------------------------------------------

namespace {

struct DeviceState {
  SDL_AudioDeviceID id = 0;
  AudioRenderCallback render = nullptr;
  void* user = nullptr;
  bool initialised_subsystem = false;
};

DeviceState& Device() {
  static DeviceState state;
  return state;
}

void SdlCallback(void* userdata, Uint8* stream, int length) {
  auto* state = static_cast<DeviceState*>(userdata);
  int frames = length / int(2 * sizeof(float));
  state->render(state->user, reinterpret_cast<float*>(stream), frames);
}

}  // namespace

bool OpenAudioDevice(int sample_rate, AudioRenderCallback render, void* user, std::string* error) {
  DeviceState& state = Device();
  if (state.id != 0) CloseAudioDevice();
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      if (error) *error = SDL_GetError();
      return false;
    }
    state.initialised_subsystem = true;
  }
  state.render = render;
  state.user = user;
  SDL_AudioSpec want{};
  want.freq = sample_rate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = SdlCallback;
  want.userdata = &state;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the device needs, so the
  // callback always sees float stereo at [sample_rate].
  state.id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (state.id == 0) {
    if (error) *error = SDL_GetError();
    if (state.initialised_subsystem) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      state.initialised_subsystem = false;
    }
    return false;
  }
  SDL_PauseAudioDevice(state.id, 0);
  return true;
}

void CloseAudioDevice() {
  DeviceState& state = Device();
  if (state.id == 0) return;
  SDL_CloseAudioDevice(state.id);
  state.id = 0;
  if (state.initialised_subsystem) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    state.initialised_subsystem = false;
  }
}

bool AudioDeviceOpen() { return Device().id != 0; }

// ---- WAV file sink -------------------------------------------------------------

namespace {

constexpr uint32_t kHeaderSize = 58;  // RIFF + fmt (18) + fact + data headers
// The RIFF sizes are 32-bit; samples beyond this are not written.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderSize;

void Put16(uint8_t*& p, uint16_t v) {
  *p++ = uint8_t(v);
  *p++ = uint8_t(v >> 8);
}

void Put32(uint8_t*& p, uint32_t v) {
  for (int i = 0; i < 4; ++i) *p++ = uint8_t(v >> (8 * i));
}

void PutTag(uint8_t*& p, const char* tag) {
  std::memcpy(p, tag, 4);
  p += 4;
}

void MakeHeader(uint8_t (&header)[kHeaderSize], int sample_rate, uint64_t frames) {
  const uint32_t data_bytes = uint32_t(frames * 8);
  uint8_t* p = header;
  PutTag(p, "RIFF");
  Put32(p, kHeaderSize - 8 + data_bytes);
  PutTag(p, "WAVE");
  PutTag(p, "fmt ");
  Put32(p, 18);
  Put16(p, 3);  // IEEE float
  Put16(p, 2);
  Put32(p, uint32_t(sample_rate));
  Put32(p, uint32_t(sample_rate) * 8);
  Put16(p, 8);
  Put16(p, 32);
  Put16(p, 0);
  PutTag(p, "fact");
  Put32(p, 4);
  Put32(p, uint32_t(frames));
  PutTag(p, "data");
  Put32(p, data_bytes);
}

}  // namespace

WavFileWriter::~WavFileWriter() { Abandon(); }

bool WavFileWriter::Open(const std::string& path, int sample_rate) {
  Abandon();
  path_ = path;
  temporary_ = path + ".tmp-XXXXXX";
  int fd = ::mkstemp(temporary_.data());
  if (fd < 0) {
    temporary_.clear();
    return false;
  }
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    ::unlink(temporary_.c_str());
    temporary_.clear();
    return false;
  }
  sample_rate_ = sample_rate;
  frames_ = 0;
  failed_ = false;
  uint8_t header[kHeaderSize];
  MakeHeader(header, sample_rate_, 0);
  failed_ = std::fwrite(header, 1, sizeof header, file_) != sizeof header;
  return !failed_;
}

bool WavFileWriter::Write(const float* interleaved, int frames) {
  if (file_ == nullptr || failed_ || frames <= 0) return file_ != nullptr && !failed_;
  uint64_t room = (kMaxDataBytes - frames_ * 8) / 8;
  size_t n = size_t(std::min<uint64_t>(uint64_t(frames), room));
  static_assert(sizeof(float) == 4, "WAV samples are 32-bit floats");
  // The file is little-endian, as is every machine this runs on.
  if (n > 0 && std::fwrite(interleaved, 8, n, file_) != n) failed_ = true;
  frames_ += n;
  return !failed_;
}

bool WavFileWriter::Finish() {
  if (file_ == nullptr) return false;
  uint8_t header[kHeaderSize];
  MakeHeader(header, sample_rate_, frames_);
  bool ok = !failed_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
            std::fwrite(header, 1, sizeof header, file_) == sizeof header && std::fflush(file_) == 0 &&
            ::fsync(::fileno(file_)) == 0;
  mode_t mask = ::umask(0);
  ::umask(mask);
  ok = ::fchmod(::fileno(file_), 0666 & ~mask) == 0 && ok;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok) ok = ::rename(temporary_.c_str(), path_.c_str()) == 0;
  if (!ok) ::unlink(temporary_.c_str());
  temporary_.clear();
  return ok;
}

void WavFileWriter::Abandon() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace vendrel::platform
