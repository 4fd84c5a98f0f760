// CBackground: a single image used behind or in front of a room and as the
// source of tiles.
#pragma once

#include <cstdint>
#include <optional>

#include "runner/stream.h"

namespace vendrel::resources {

class CBackground {
 public:
  static constexpr int32_t kRecordVersion = 543;

  int32_t width = 0;
  int32_t height = 0;
  bool transparent = false;
  bool smooth = false;
  bool preload = false;
  // None when the record has no image; a stored image may itself be empty.
  std::optional<runner::CBitmap32> image;
  // Made at start-up (-1: none).
  int texture = -1;

  // Reads a background record; false for another version. The image is
  // taken as stored.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
