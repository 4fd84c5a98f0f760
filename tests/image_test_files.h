// Small image files made in memory for tests: PNG through libpng, JPEG
// through libjpeg and GIF (with animation frames) through giflib.
#pragma once

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/png.h"

// clang-format off: jpeglib.h needs the standard types declared first.
#include <jpeglib.h>
// clang-format on

namespace vendrel::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes MakePng(int width, int height, const std::vector<uint32_t>& argb) {
  platform::PngPixels pixels;
  pixels.width = width;
  pixels.height = height;
  for (uint32_t p : argb) {
    pixels.bytes.push_back(uint8_t(p >> 16));
    pixels.bytes.push_back(uint8_t(p >> 8));
    pixels.bytes.push_back(uint8_t(p));
    pixels.bytes.push_back(uint8_t(p >> 24));
  }
  Bytes file;
  std::string error;
  EXPECT_TRUE(platform::EncodePng(pixels, platform::PngFormat::Rgba, file, error)) << error;
  return file;
}

// A JPEG file of [components] (1 grey, 3 RGB) bytes per pixel.
inline Bytes MakeJpeg(int width, int height, int components,
                      const std::vector<uint8_t>& samples) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[info.next_scanline * size_t(width) *
                                                 size_t(components)]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  Bytes file(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return file;
}

// GIF files written with giflib.
struct GifFrameSpec {
  GifFrameSpec(int l, int t, int w, int h, std::vector<uint8_t> i)
      : left(l), top(t), width(w), height(h), indexes(std::move(i)) {}
  int left, top, width, height;
  std::vector<uint8_t> indexes;  // rows from the top
  int disposal = 0;
  int transparent = -1;
  bool interlaced = false;
  std::vector<GifColorType> local_colors;
};

inline int WriteToBytes(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

inline Bytes MakeGif(int width, int height, const std::vector<GifColorType>& global,
              const std::vector<GifFrameSpec>& frames) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteToBytes, &error);
  EXPECT_NE(gif, nullptr);
  EGifSetGifVersion(gif, true);
  ColorMapObject* map =
      global.empty() ? nullptr : GifMakeMapObject(int(global.size()), global.data());
  EGifPutScreenDesc(gif, width, height, 8, 0, map);
  for (const GifFrameSpec& frame : frames) {
    GifByteType control[4] = {
        GifByteType((frame.disposal << 2) | (frame.transparent >= 0 ? 1 : 0)), 10, 0,
        GifByteType(frame.transparent >= 0 ? frame.transparent : 0)};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    ColorMapObject* local = frame.local_colors.empty()
                                ? nullptr
                                : GifMakeMapObject(int(frame.local_colors.size()),
                                                   frame.local_colors.data());
    EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced,
                     local);
    std::vector<int> rows;
    if (frame.interlaced) {
      const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < frame.height; y += step[pass]) rows.push_back(y);
    } else {
      for (int y = 0; y < frame.height; ++y) rows.push_back(y);
    }
    for (int y : rows) {
      std::vector<GifPixelType> line(frame.indexes.begin() + y * frame.width,
                                     frame.indexes.begin() + (y + 1) * frame.width);
      EGifPutLine(gif, line.data(), frame.width);
    }
    if (local) GifFreeMapObject(local);
  }
  EGifCloseFile(gif, &error);
  if (map) GifFreeMapObject(map);
  return out;
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace vendrel::testing
