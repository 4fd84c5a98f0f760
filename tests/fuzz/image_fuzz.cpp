// Decodes arbitrary bytes as a PNG, JPEG and GIF file. Damaged input must
// end in a refusal, never in a fault, and what is accepted must hold as
// many pixels as its size says.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/image_files.h"

using namespace vendrel::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file(data, data + size);
  std::string error;
  DecodedImage image;
  if (DecodePngImage(file, image, error) &&
      image.pixels.size() != size_t(image.width) * size_t(image.height)) {
    std::abort();
  }
  if (DecodeJpegImage(file, image, error) &&
      image.pixels.size() != size_t(image.width) * size_t(image.height)) {
    std::abort();
  }
  GifAnimation gif;
  if (DecodeGif(file, gif, error)) {
    if (gif.images.empty() || !ImageSizeAllowed(gif.width, gif.height)) std::abort();
    for (const GifImage& i : gif.images) {
      if (i.pixels.size() != size_t(i.width) * size_t(i.height)) std::abort();
    }
  }
  return 0;
}
