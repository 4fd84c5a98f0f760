#include "platform/screenshot.h"

#include "platform/files.h"
#include "platform/png.h"

namespace vendrel::platform {

bool WriteScreenshotPng(const std::string& path, int width, int height,
                        const std::vector<uint32_t>& pixels, std::string* error) {
  if (width <= 0 || height <= 0 || pixels.size() < size_t(width) * size_t(height)) {
    if (error) *error = "no picture to save";
    return false;
  }
  PngPixels png;
  png.width = width;
  png.height = height;
  png.bytes.reserve(size_t(width) * size_t(height) * 4);
  for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
    uint32_t p = pixels[i];
    png.bytes.push_back(uint8_t(p >> 16));
    png.bytes.push_back(uint8_t(p >> 8));
    png.bytes.push_back(uint8_t(p));
    // What the player sees is opaque, whatever the alpha channel holds.
    png.bytes.push_back(255);
  }
  std::vector<uint8_t> file;
  std::string reason;
  if (!EncodePng(png, PngFormat::Rgba, file, reason)) {
    if (error) *error = reason;
    return false;
  }
  if (!WriteFileAtomically(path, file.data(), file.size())) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace vendrel::platform
