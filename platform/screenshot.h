// Screenshots as PNG files (vrun --screenshot).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vendrel::platform {

// Writes [width] by [height] pixels (0xAARRGGBB, rows from the top) to
// [path] as an opaque PNG file, atomically. False, with the reason in
// [error], on failure.
bool WriteScreenshotPng(const std::string& path, int width, int height,
                        const std::vector<uint32_t>& pixels, std::string* error);

}  // namespace vendrel::platform
