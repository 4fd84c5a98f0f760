// Image files in memory, decoded into 32-bit pixels: PNG (libpng), JPEG
// (libjpeg) and GIF with every image of an animation (giflib). BMP files are
// read by graphics/bmp.h.
//
// Decoders never trust the file: sizes are checked against the limits below
// before anything is allocated, and a damaged, truncated or hostile file
// gives false with a reason, never a crash or a read outside the data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vendrel::platform {

// No side of a decoded image may be longer, and no image (or, for an
// animation, all its frames together at the animation's size) may hold
// more pixels.
inline constexpr int kMaxImageSide = 16384;
inline constexpr uint64_t kMaxImagePixels = uint64_t(1) << 26;

// Whether an image of [width] by [height] is within the limits.
bool ImageSizeAllowed(int64_t width, int64_t height);

struct DecodedImage {
  int width = 0;
  int height = 0;
  // Rows from the top, each pixel 0xAARRGGBB.
  std::vector<uint32_t> pixels;
  // The file can give pixels other alpha than 255 (a PNG with an alpha
  // channel or a transparent colour).
  bool has_alpha = false;
};

enum class ImageFormat { Unknown, Bmp, Png, Jpeg, Gif };
// The format by the file's first bytes.
ImageFormat SniffImageFormat(const std::vector<uint8_t>& file);

bool DecodePngImage(const std::vector<uint8_t>& file, DecodedImage& image, std::string& error);
// Greyscale, colour and CMYK JPEG files, baseline or progressive. A file
// that ends before its image data does is refused.
bool DecodeJpegImage(const std::vector<uint8_t>& file, DecodedImage& image, std::string& error);

// GIF disposal methods: what happens to an image's area before the next.
enum GifDisposal : int {
  kGifDisposalUnspecified = 0,
  kGifDisposalKeep = 1,
  kGifDisposalBackground = 2,
  kGifDisposalPrevious = 3,
};

// One image of a GIF file: its rectangle on the logical screen (which it
// may exceed), pixels 0xAARRGGBB with alpha 0 for the transparent colour,
// and what is done with it before the next image.
struct GifImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  bool has_transparency = false;
  int disposal = kGifDisposalUnspecified;
  int delay = 0;  // hundredths of a second
};

struct GifAnimation {
  // The logical screen; at least 1 by 1.
  int width = 1;
  int height = 1;
  std::vector<GifImage> images;
};

// Reads every image of a GIF file (interlaced or not, global or local
// colour tables). A file that stops between two images (a missing trailer)
// keeps the images read so far; one that stops inside an image, or holds
// no image, is refused.
bool DecodeGif(const std::vector<uint8_t>& file, GifAnimation& gif, std::string& error);

}  // namespace vendrel::platform
