// CSprite: an animated image: equally sized frames with an origin, a
// bounding box and, optionally, per-frame collision masks.
#pragma once

#include <cstdint>
#include <vector>

#include "runner/stream.h"

namespace vendrel::resources {

// Bounding-box modes.
enum BoundingBoxMode : int32_t {
  kBoundingBoxAutomatic = 0,
  kBoundingBoxFullImage = 1,
  kBoundingBoxManual = 2,
};

class CSprite {
 public:
  static constexpr int32_t kRecordVersion = 542;

  int32_t width = 1;
  int32_t height = 1;
  int32_t bbox_mode = kBoundingBoxAutomatic;
  // Inclusive pixel rectangle in frame coordinates.
  int32_t bbox_left = 0;
  int32_t bbox_top = 0;
  int32_t bbox_right = 0;
  int32_t bbox_bottom = 0;
  bool transparent = true;
  bool smooth = false;
  bool preload = true;
  bool precise = true;
  int32_t x_origin = 0;
  int32_t y_origin = 0;
  std::vector<runner::CBitmap32> frames;
  // Per frame, one byte per pixel (1 where the pixel is solid), indexed
  // [x * frame height + y] so that a column is contiguous. Empty when the
  // sprite has no masks.
  std::vector<std::vector<uint8_t>> masks;
  // Texture ids, one per frame; made at start-up (-1: none).
  std::vector<int> textures;

  int FrameCount() const { return int(frames.size()); }
  bool HasMasks() const { return !masks.empty(); }
  // The mask bit of pixel ([x], [y]) of [frame] (taken modulo the frame
  // count); false outside the frame's image.
  bool MaskAt(int frame, int x, int y) const;
  // Masks exist only when precise and transparent are both set and there
  // is at least one frame: a pixel is solid where its alpha is not 0.
  void BuildMasks();
  // The automatic bounding box (mode 0 from the opaque pixels, mode 1 the
  // full image; mode 2 keeps the box as set).
  void ComputeBoundingBox();

  // Changes the bounding-box mode to [mode] and recomputes the box; a mode
  // other than 0, 1 or 2, or the current one, is ignored.
  void SetBoundingBoxMode(int mode);
  // Sets the box; only a sprite in manual mode takes it.
  void SetBoundingBox(int left, int top, int right, int bottom);
  // Builds or drops the masks when the flag changes.
  void SetPrecise(bool flag);
  // After the frames changed: the box (unless manual) and the masks again.
  void FramesChanged();

  // Reads a sprite record and builds the masks; the stored box is kept as
  // it is. False for another version.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
