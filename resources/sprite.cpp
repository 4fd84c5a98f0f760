#include "resources/sprite.h"

#include <algorithm>

#include "resources/record_io.h"

namespace vendrel::resources {

bool CSprite::MaskAt(int frame, int x, int y) const {
  if (masks.empty()) return false;
  int count = int(masks.size());
  frame %= count;
  if (frame < 0) frame += count;
  const runner::CBitmap32& image = frames[size_t(frame)];
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
  return masks[size_t(frame)][size_t(x) * size_t(image.height) + size_t(y)] != 0;
}

void CSprite::BuildMasks() {
  masks.clear();
  if (!precise || !transparent || frames.empty()) return;
  // Masks follow each frame's own image, so a frame whose image differs
  // from the sprite's size never reads outside its pixels.
  masks.resize(frames.size());
  for (size_t f = 0; f < frames.size(); ++f) {
    const runner::CBitmap32& image = frames[f];
    if (image.Empty()) continue;
    std::vector<uint8_t>& mask = masks[f];
    mask.resize(size_t(image.width) * size_t(image.height));
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        mask[size_t(x) * size_t(image.height) + size_t(y)] =
            (image.pixels[size_t(y) * size_t(image.width) + size_t(x)] >> 24) != 0;
  }
}

void CSprite::ComputeBoundingBox() {
  if (bbox_mode == kBoundingBoxManual) return;
  if (!transparent || bbox_mode == kBoundingBoxFullImage) {
    bbox_left = 0;
    bbox_top = 0;
    bbox_right = width - 1;
    bbox_bottom = height - 1;
    return;
  }
  if (frames.empty()) {
    bbox_left = bbox_top = bbox_right = bbox_bottom = 0;
    return;
  }
  int left = width - 1, top = height - 1, right = 0, bottom = 0;
  for (const runner::CBitmap32& image : frames) {
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        if ((image.pixels[size_t(y) * size_t(image.width) + size_t(x)] >> 24) != 0) {
          left = std::min(left, x);
          top = std::min(top, y);
          right = std::max(right, x);
          bottom = std::max(bottom, y);
        }
  }
  bbox_left = left;
  bbox_top = top;
  bbox_right = right;
  bbox_bottom = bottom;
}

void CSprite::SetBoundingBoxMode(int mode) {
  if (mode < kBoundingBoxAutomatic || mode > kBoundingBoxManual || mode == bbox_mode) return;
  bbox_mode = mode;
  ComputeBoundingBox();
}

void CSprite::SetBoundingBox(int left, int top, int right, int bottom) {
  if (bbox_mode != kBoundingBoxManual) return;
  bbox_left = left;
  bbox_top = top;
  bbox_right = right;
  bbox_bottom = bottom;
}

void CSprite::SetPrecise(bool flag) {
  if (flag == precise) return;
  precise = flag;
  BuildMasks();
}

void CSprite::FramesChanged() {
  ComputeBoundingBox();
  BuildMasks();
}

bool CSprite::Read(CStream& stream) {
  *this = CSprite();
  if (stream.ReadInteger() != kRecordVersion) return false;
  width = stream.ReadInteger();
  height = stream.ReadInteger();
  // The box is stored left, right, bottom, top.
  bbox_left = stream.ReadInteger();
  bbox_right = stream.ReadInteger();
  bbox_bottom = stream.ReadInteger();
  bbox_top = stream.ReadInteger();
  transparent = stream.ReadBoolean();
  smooth = stream.ReadBoolean();
  preload = stream.ReadBoolean();
  bbox_mode = stream.ReadInteger();
  precise = stream.ReadBoolean();
  x_origin = stream.ReadInteger();
  y_origin = stream.ReadInteger();
  // A stored image is at least its version word.
  int32_t count = ReadCount(stream, 4);
  frames.reserve(size_t(count));
  for (int32_t i = 0; i < count; ++i) frames.push_back(stream.ReadImage());
  textures.assign(frames.size(), -1);
  BuildMasks();
  return true;
}

void CSprite::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteInteger(width);
  stream.WriteInteger(height);
  stream.WriteInteger(bbox_left);
  stream.WriteInteger(bbox_right);
  stream.WriteInteger(bbox_bottom);
  stream.WriteInteger(bbox_top);
  stream.WriteBoolean(transparent);
  stream.WriteBoolean(smooth);
  stream.WriteBoolean(preload);
  stream.WriteInteger(bbox_mode);
  stream.WriteBoolean(precise);
  stream.WriteInteger(x_origin);
  stream.WriteInteger(y_origin);
  stream.WriteInteger(FrameCount());
  for (const runner::CBitmap32& image : frames) stream.WriteImage(image);
}

}  // namespace vendrel::resources
