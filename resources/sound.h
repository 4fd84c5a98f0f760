// CSound: a sound or music file as it was imported, with how it is played.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runner/stream.h"

namespace vendrel::resources {

// Sound kinds.
enum SoundKind : int32_t {
  kSoundNormal = 0,
  kSoundBackgroundMusic = 1,
  kSound3D = 2,
  kSoundMultimedia = 3,
};

class CSound {
 public:
  static constexpr int32_t kRecordVersion = 600;

  int32_t kind = -1;
  // The imported file's extension including the dot, and its name.
  std::string file_type;
  std::string file_name;
  // The file's bytes; none when the record has no data.
  std::optional<std::vector<uint8_t>> data;
  // Bit set of sound effects.
  int32_t effects = 0;
  double volume = 1.0;
  double pan = 0.0;
  bool preload = true;
  // Set by the sound engine (-1 while not prepared).
  int engine_index = -1;
  // The file written for the media player (kind 3).
  std::string temp_file;

  // Reads a sound record; false for another version.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
