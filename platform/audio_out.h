// Sound output: the SDL audio device, which pulls interleaved stereo floats
// from a render callback on its own thread, and a WAV file sink for offline
// rendering.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace vendrel::platform {

// Fills [frames] interleaved stereo frames at [out]. Runs on the audio
// thread: it must not block or allocate.
using AudioRenderCallback = void (*)(void* user, float* out, int frames);

// Opens the default output device for 32-bit float stereo at [sample_rate]
// (SDL converts when the device wants another format) and starts calling
// [render]. Returns false, with SDL's reason in [error], when no device can
// be opened. Only one device is open at a time.
bool OpenAudioDevice(int sample_rate, AudioRenderCallback render, void* user, std::string* error);
// Stops the callback (waiting for a running one to return) and closes the
// device. Does nothing when none is open.
void CloseAudioDevice();
bool AudioDeviceOpen();

// Writes 32-bit float stereo WAV files. Samples go to a temporary file
// beside the target while rendering; Finish completes the header, flushes
// it to disk and renames it over the target, so the target never holds a
// partial file. Dropping an unfinished writer removes the temporary file.
class WavFileWriter {
 public:
  WavFileWriter() = default;
  ~WavFileWriter();
  WavFileWriter(const WavFileWriter&) = delete;
  WavFileWriter& operator=(const WavFileWriter&) = delete;

  bool Open(const std::string& path, int sample_rate);
  bool IsOpen() const { return file_ != nullptr; }
  // Appends [frames] interleaved stereo frames.
  bool Write(const float* interleaved, int frames);
  // Completes the file; false when anything failed on the way.
  bool Finish();
  // Removes the temporary file without touching the target.
  void Abandon();
  uint64_t FramesWritten() const { return frames_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string temporary_;
  int sample_rate_ = 0;
  uint64_t frames_ = 0;
  bool failed_ = false;
};

}  // namespace vendrel::platform
