// Bitmap (.bmp) files of screen and surface captures: 32 bits per pixel,
// uncompressed, rows stored from the bottom as the format demands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/stream.h"

namespace vendrel::graphics {

std::vector<uint8_t> EncodeBmp(const runner::CBitmap32& bitmap);
// Writes the file atomically; false for an empty bitmap or a write error.
bool WriteBmpFile(const std::string& path, const runner::CBitmap32& bitmap);

}  // namespace vendrel::graphics
