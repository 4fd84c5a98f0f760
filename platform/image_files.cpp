#include "platform/image_files.h"

// clang-format off: jpeglib.h needs the standard types declared first.
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on
#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

namespace vendrel::platform {

bool ImageSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         uint64_t(width) * uint64_t(height) <= kMaxImagePixels;
}

ImageFormat SniffImageFormat(const std::vector<uint8_t>& file) {
  auto starts = [&file](const char* magic, size_t size) {
    return file.size() >= size && std::memcmp(file.data(), magic, size) == 0;
  };
  if (starts("\x89PNG\r\n\x1a\n", 8)) return ImageFormat::Png;
  if (starts("\xFF\xD8\xFF", 3)) return ImageFormat::Jpeg;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return ImageFormat::Gif;
  if (starts("BM", 2)) return ImageFormat::Bmp;
  return ImageFormat::Unknown;
}

namespace {

std::string SizeText(int64_t width, int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

bool AnyTranslucent(const std::vector<uint32_t>& pixels) {
  return std::any_of(pixels.begin(), pixels.end(),
                     [](uint32_t pixel) { return (pixel >> 24) != 0xFF; });
}

// JPEG ------------------------------------------------------------------------

// Progressive files can ask for any number of scans over the same data;
// real encoders write a dozen or so.
constexpr int kMaxJpegScans = 1000;

struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  bool truncated;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  longjmp(manager->jump, 1);
}

// Warnings are not printed; only the end of the data before the image's
// end is remembered, as that leaves part of the image made up.
void JpegEmitMessage(j_common_ptr info, int level) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) manager->truncated = true;
}

void JpegProgress(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxJpegScans) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    std::snprintf(manager->message, sizeof manager->message, "too many scans");
    longjmp(manager->jump, 1);
  }
}

// The part that may jump back on an error: it keeps no object with a
// destructor of its own; [pixels] and [row] belong to the caller.
bool RunJpegDecoder(jpeg_decompress_struct& info, JpegErrorManager& manager,
                    const std::vector<uint8_t>& file, DecodedImage& image,
                    std::vector<uint8_t>& row, std::string& error) {
  if (setjmp(manager.jump)) {
    error = std::string("damaged JPEG file (") + manager.message + ")";
    return false;
  }
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  if (!ImageSizeAllowed(info.image_width, info.image_height)) {
    error = "image of " + SizeText(info.image_width, info.image_height) + " pixels is too large";
    return false;
  }
  bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&info);
  int width = int(info.output_width), height = int(info.output_height);
  int components = info.output_components;
  if (width != int(info.image_width) || height != int(info.image_height) ||
      (components != 3 && components != 4)) {
    error = "unsupported JPEG file";
    return false;
  }
  // Adobe's CMYK files store the inks inverted.
  bool inverted = cmyk && info.saw_Adobe_marker;
  row.resize(size_t(width) * size_t(components));
  image.pixels.resize(size_t(width) * size_t(height));
  while (info.output_scanline < info.output_height) {
    size_t y = info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) {
      error = "damaged JPEG file";
      return false;
    }
    uint32_t* out = &image.pixels[y * size_t(width)];
    const uint8_t* in = row.data();
    for (int x = 0; x < width; ++x, in += components) {
      uint32_t r, g, b;
      if (components == 3) {
        r = in[0], g = in[1], b = in[2];
      } else if (inverted) {
        r = uint32_t(in[0]) * in[3] / 255;
        g = uint32_t(in[1]) * in[3] / 255;
        b = uint32_t(in[2]) * in[3] / 255;
      } else {
        r = (255u - in[0]) * (255u - in[3]) / 255;
        g = (255u - in[1]) * (255u - in[3]) / 255;
        b = (255u - in[2]) * (255u - in[3]) / 255;
      }
      out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
  if (manager.truncated) {
    error = "truncated JPEG file";
    return false;
  }
  jpeg_finish_decompress(&info);
  image.width = width;
  image.height = height;
  image.has_alpha = false;
  return true;
}

// GIF -------------------------------------------------------------------------

struct GifSource {
  const uint8_t* data;
  size_t size;
  size_t position;
};

int ReadGifBytes(GifFileType* gif, GifByteType* buffer, int length) {
  auto* source = static_cast<GifSource*>(gif->UserData);
  size_t count = std::min(size_t(std::max(length, 0)), source->size - source->position);
  if (count == 0) return 0;
  std::memcpy(buffer, source->data + source->position, count);
  source->position += count;
  return int(count);
}

std::string GifError(int code) {
  const char* text = GifErrorString(code);
  return std::string("damaged GIF file (") + (text ? text : "unknown error") + ")";
}

// Reads the pixels of the image whose descriptor was just read into
// [image], with the colours of [map].
bool ReadGifPixels(GifFileType* gif, const ColorMapObject* map, int transparent, GifImage& image,
                   std::string& error) {
  int width = image.width, height = image.height;
  std::vector<GifPixelType> indexes(size_t(width) * size_t(height));
  auto read_row = [&](int y) {
    return DGifGetLine(gif, &indexes[size_t(y) * size_t(width)], width) != GIF_ERROR;
  };
  if (gif->Image.Interlace) {
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = kStart[pass]; y < height; y += kStep[pass]) {
        if (!read_row(y)) {
          error = GifError(gif->Error);
          return false;
        }
      }
    }
  } else {
    for (int y = 0; y < height; ++y) {
      if (!read_row(y)) {
        error = GifError(gif->Error);
        return false;
      }
    }
  }
  image.pixels.resize(indexes.size());
  for (size_t i = 0; i < indexes.size(); ++i) {
    int index = indexes[i];
    if (index == transparent) {
      image.pixels[i] = 0;
    } else if (index < map->ColorCount) {
      const GifColorType& c = map->Colors[index];
      image.pixels[i] = 0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
    } else {
      image.pixels[i] = 0xFF000000u;  // an index beyond the table
    }
  }
  return true;
}

bool RunGifDecoder(GifFileType* gif, GifAnimation& animation, std::string& error) {
  int64_t screen_width = gif->SWidth, screen_height = gif->SHeight;
  if ((screen_width != 0 || screen_height != 0) &&
      !ImageSizeAllowed(screen_width, screen_height)) {
    error = "image of " + SizeText(screen_width, screen_height) + " pixels is too large";
    return false;
  }
  // What is kept so far: the images' own pixels and, as every image will
  // become a frame of the animation's size, those frames.
  uint64_t image_pixels = 0;
  int disposal = kGifDisposalUnspecified, transparent = -1, delay = 0;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
      // A file that ends between two images lacks only its trailer.
      if (!animation.images.empty()) break;
      error = GifError(gif->Error);
      return false;
    }
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
        error = GifError(gif->Error);
        return false;
      }
      // Graphic control: packed flags, delay (2 bytes), transparent index.
      if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
        disposal = (block[1] >> 2) & 7;
        if (disposal > kGifDisposalPrevious) disposal = kGifDisposalUnspecified;
        delay = block[2] | (block[3] << 8);
        transparent = (block[1] & 1) ? block[4] : -1;
      }
      while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
          error = GifError(gif->Error);
          return false;
        }
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) {
      error = "damaged GIF file (unknown record)";
      return false;
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR) {
      error = GifError(gif->Error);
      return false;
    }
    GifImage image;
    image.left = gif->Image.Left;
    image.top = gif->Image.Top;
    image.width = gif->Image.Width;
    image.height = gif->Image.Height;
    if (!ImageSizeAllowed(image.width, image.height)) {
      error = "GIF image of " + SizeText(image.width, image.height) + " pixels is refused";
      return false;
    }
    int64_t width = std::max<int64_t>(screen_width, 1);
    int64_t height = std::max<int64_t>(screen_height, 1);
    if (screen_width == 0 && screen_height == 0) {
      // No logical screen: the images' extent.
      width = std::max<int64_t>(animation.width, image.left + image.width);
      height = std::max<int64_t>(animation.height, image.top + image.height);
      if (!ImageSizeAllowed(width, height)) {
        error = "image of " + SizeText(width, height) + " pixels is too large";
        return false;
      }
    }
    image_pixels += uint64_t(image.width) * uint64_t(image.height);
    uint64_t frame_pixels = uint64_t(width) * uint64_t(height) * (animation.images.size() + 1);
    if (image_pixels > kMaxImagePixels || frame_pixels > kMaxImagePixels) {
      error = "GIF animation too large";
      return false;
    }
    const ColorMapObject* map = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
    if (map == nullptr || map->Colors == nullptr) {
      error = "damaged GIF file (no colour table)";
      return false;
    }
    if (!ReadGifPixels(gif, map, transparent, image, error)) return false;
    image.has_transparency = transparent >= 0;
    image.disposal = disposal;
    image.delay = delay;
    animation.width = int(width);
    animation.height = int(height);
    animation.images.push_back(std::move(image));
    // A graphic control block applies to the one image that follows it.
    disposal = kGifDisposalUnspecified;
    transparent = -1;
    delay = 0;
  }
  if (animation.images.empty()) {
    error = "GIF file without images";
    return false;
  }
  return true;
}

}  // namespace

bool DecodePngImage(const std::vector<uint8_t>& file, DecodedImage& image, std::string& error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, file.data(), file.size())) {
    error = std::string("not a PNG file (") + png.message + ")";
    png_image_free(&png);
    return false;
  }
  if (!ImageSizeAllowed(png.width, png.height)) {
    error = "image of " + SizeText(png.width, png.height) + " pixels is too large";
    png_image_free(&png);
    return false;
  }
  // In memory, B G R A bytes are the little-endian word 0xAARRGGBB.
  png.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels(size_t(png.width) * png.height);
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
    error = std::string("damaged PNG file (") + png.message + ")";
    png_image_free(&png);
    return false;
  }
  image.width = int(png.width);
  image.height = int(png.height);
  image.has_alpha = AnyTranslucent(pixels);
  image.pixels = std::move(pixels);
  return true;
}

bool DecodeJpegImage(const std::vector<uint8_t>& file, DecodedImage& image, std::string& error) {
  jpeg_decompress_struct info;
  JpegErrorManager manager;
  std::memset(&manager, 0, sizeof manager);
  info.err = jpeg_std_error(&manager.pub);
  manager.pub.error_exit = JpegErrorExit;
  manager.pub.emit_message = JpegEmitMessage;
  jpeg_create_decompress(&info);
  jpeg_progress_mgr progress;
  std::memset(&progress, 0, sizeof progress);
  progress.progress_monitor = JpegProgress;
  info.progress = &progress;
  DecodedImage decoded;
  std::vector<uint8_t> row;
  bool ok = RunJpegDecoder(info, manager, file, decoded, row, error);
  jpeg_destroy_decompress(&info);
  if (ok) image = std::move(decoded);
  return ok;
}

bool DecodeGif(const std::vector<uint8_t>& file, GifAnimation& gif, std::string& error) {
  GifSource source{file.data(), file.size(), 0};
  int code = 0;
  GifFileType* reader = DGifOpen(&source, ReadGifBytes, &code);
  if (reader == nullptr) {
    error = code == D_GIF_ERR_NOT_GIF_FILE ? "not a GIF file" : GifError(code);
    return false;
  }
  GifAnimation animation;
  bool ok = RunGifDecoder(reader, animation, error);
  DGifCloseFile(reader, &code);
  if (ok) gif = std::move(animation);
  return ok;
}

}  // namespace vendrel::platform
