// PNG files in memory: decoding into 8-bit RGBA or grey pixels and encoding
// from them (libpng's simplified interface).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vendrel::platform {

struct PngPixels {
  int width = 0;
  int height = 0;
  // Rows from the top; per pixel R, G, B, A bytes (or one grey byte).
  std::vector<uint8_t> bytes;
};

enum class PngFormat { Rgba, Gray };

// Images larger than this many pixels are refused rather than allocated.
inline constexpr uint64_t kMaxPngPixels = uint64_t(1) << 26;

// Decodes [file] into [format]. False with a reason in [error] when the
// bytes are not a PNG file or the image is too large.
bool DecodePng(const std::vector<uint8_t>& file, PngFormat format, PngPixels& pixels,
               std::string& error);

// Encodes [pixels] (laid out for [format]) as a PNG file. False with a
// reason in [error] on failure.
bool EncodePng(const PngPixels& pixels, PngFormat format, std::vector<uint8_t>& file,
               std::string& error);

}  // namespace vendrel::platform
