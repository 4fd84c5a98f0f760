#include "platform/png.h"

#include <png.h>

#include <cstring>

namespace vendrel::platform {

namespace {

uint32_t LibpngFormat(PngFormat format) {
  return format == PngFormat::Rgba ? PNG_FORMAT_RGBA : PNG_FORMAT_GRAY;
}

size_t Channels(PngFormat format) { return format == PngFormat::Rgba ? 4 : 1; }

}  // namespace

bool DecodePng(const std::vector<uint8_t>& file, PngFormat format, PngPixels& pixels,
               std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
    error = std::string("not a PNG file (") + image.message + ")";
    png_image_free(&image);
    return false;
  }
  if (uint64_t(image.width) * image.height > kMaxPngPixels) {
    error = "image of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
            " pixels is too large";
    png_image_free(&image);
    return false;
  }
  image.format = LibpngFormat(format);
  std::vector<uint8_t> bytes(size_t(image.width) * image.height * Channels(format));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
    error = std::string("damaged PNG file (") + image.message + ")";
    png_image_free(&image);
    return false;
  }
  pixels.width = int(image.width);
  pixels.height = int(image.height);
  pixels.bytes = std::move(bytes);
  return true;
}

bool EncodePng(const PngPixels& pixels, PngFormat format, std::vector<uint8_t>& file,
               std::string& error) {
  if (pixels.width <= 0 || pixels.height <= 0 ||
      pixels.bytes.size() != size_t(pixels.width) * size_t(pixels.height) * Channels(format)) {
    error = "no pixels to encode";
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(pixels.width);
  image.height = png_uint_32(pixels.height);
  image.format = LibpngFormat(format);
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, pixels.bytes.data(), 0, nullptr)) {
    error = std::string("cannot encode PNG (") + image.message + ")";
    png_image_free(&image);
    return false;
  }
  file.resize(size);
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, pixels.bytes.data(), 0,
                                 nullptr)) {
    error = std::string("cannot encode PNG (") + image.message + ")";
    png_image_free(&image);
    return false;
  }
  file.resize(size);
  return true;
}

}  // namespace vendrel::platform
