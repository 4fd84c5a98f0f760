#include "graphics/picture_file.h"

#include <algorithm>

#include "graphics/bitmap32.h"
#include "graphics/bmp.h"
#include "platform/file_system.h"
#include "platform/image_files.h"

namespace vendrel::graphics {

namespace {

// No image file worth loading comes near this; larger ones are refused
// before they are read.
constexpr int64_t kMaxPictureFileSize = int64_t(1) << 28;

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
  platform::FileIdentity identity;
  if (!platform::ReadFileIdentity(path, identity) || identity.size > kMaxPictureFileSize) {
    return false;
  }
  std::string contents;
  if (!platform::ReadWholeFile(path, contents)) return false;
  if (int64_t(contents.size()) > kMaxPictureFileSize) return false;
  bytes.assign(contents.begin(), contents.end());
  return true;
}

bool AnyTranslucent(const std::vector<uint32_t>& pixels) {
  return std::any_of(pixels.begin(), pixels.end(),
                     [](uint32_t pixel) { return (pixel >> 24) != 0xFF; });
}

// Draws [image] onto [canvas] at its place, clipped; transparent pixels
// leave the canvas as it is.
void DrawGifImage(runner::CBitmap32& canvas, const platform::GifImage& image) {
  int x0 = std::max(image.left, 0), y0 = std::max(image.top, 0);
  int x1 = std::min(image.left + image.width, canvas.width);
  int y1 = std::min(image.top + image.height, canvas.height);
  for (int y = y0; y < y1; ++y) {
    const uint32_t* row = &image.pixels[size_t(y - image.top) * size_t(image.width)];
    uint32_t* out = &canvas.pixels[size_t(y) * size_t(canvas.width)];
    for (int x = x0; x < x1; ++x) {
      uint32_t pixel = row[x - image.left];
      if ((pixel >> 24) != 0) out[x] = pixel;
    }
  }
}

void FillArea(runner::CBitmap32& canvas, int left, int top, int width, int height,
              uint32_t pixel) {
  int x0 = std::max(left, 0), y0 = std::max(top, 0);
  int x1 = std::min(left + width, canvas.width), y1 = std::min(top + height, canvas.height);
  if (x1 <= x0) return;
  for (int y = y0; y < y1; ++y) {
    std::fill_n(canvas.pixels.begin() + ptrdiff_t(y) * canvas.width + x0, x1 - x0, pixel);
  }
}

runner::CBitmap32 Backdrop(int width, int height) {
  runner::CBitmap32 canvas;
  canvas.width = std::max(width, 1);
  canvas.height = std::max(height, 1);
  canvas.pixels.assign(size_t(canvas.width) * size_t(canvas.height), kPictureBackdrop);
  return canvas;
}

std::vector<runner::CBitmap32> ComposeGif(const platform::GifAnimation& gif) {
  std::vector<runner::CBitmap32> frames;
  frames.reserve(gif.images.size());
  runner::CBitmap32 canvas = Backdrop(gif.width, gif.height);
  for (const platform::GifImage& image : gif.images) {
    runner::CBitmap32 before;
    if (image.disposal == platform::kGifDisposalPrevious) before = canvas;
    DrawGifImage(canvas, image);
    frames.push_back(canvas);
    if (image.disposal == platform::kGifDisposalBackground) {
      FillArea(canvas, image.left, image.top, image.width, image.height, kPictureBackdrop);
    } else if (image.disposal == platform::kGifDisposalPrevious) {
      canvas = std::move(before);
    }
  }
  return frames;
}

}  // namespace

bool ReadPicture(const std::string& path, Picture& picture) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  std::string error;
  Picture read;
  switch (platform::SniffImageFormat(bytes)) {
    case platform::ImageFormat::Bmp:
      read.bitmap = DecodeBmp(bytes);
      if (read.bitmap.Empty() ||
          !platform::ImageSizeAllowed(read.bitmap.width, read.bitmap.height)) {
        return false;
      }
      read.own_alpha = AnyTranslucent(read.bitmap.pixels);
      break;
    case platform::ImageFormat::Png:
    case platform::ImageFormat::Jpeg: {
      platform::DecodedImage image;
      bool png = platform::SniffImageFormat(bytes) == platform::ImageFormat::Png;
      if (png ? !platform::DecodePngImage(bytes, image, error)
              : !platform::DecodeJpegImage(bytes, image, error)) {
        return false;
      }
      read.bitmap.width = image.width;
      read.bitmap.height = image.height;
      read.bitmap.pixels = std::move(image.pixels);
      read.own_alpha = image.has_alpha;
      break;
    }
    case platform::ImageFormat::Gif: {
      platform::GifAnimation gif;
      if (!platform::DecodeGif(bytes, gif, error)) return false;
      // The first image on a transparent canvas of the animation's size.
      runner::CBitmap32 canvas;
      canvas.width = gif.width;
      canvas.height = gif.height;
      canvas.pixels.assign(size_t(gif.width) * size_t(gif.height), 0);
      DrawGifImage(canvas, gif.images.front());
      read.bitmap = std::move(canvas);
      read.own_alpha = false;
      break;
    }
    case platform::ImageFormat::Unknown:
      return false;
  }
  picture = std::move(read);
  return true;
}

bool ReadGifAnimation(const std::string& path, std::vector<runner::CBitmap32>& frames,
                      bool& is_gif) {
  is_gif = false;
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  is_gif = platform::SniffImageFormat(bytes) == platform::ImageFormat::Gif;
  platform::GifAnimation gif;
  std::string error;
  if (!is_gif || !platform::DecodeGif(bytes, gif, error)) return false;
  frames = ComposeGif(gif);
  return true;
}

runner::CBitmap32 ConvertPicture(const Picture& picture, bool smooth, bool remove_background) {
  const runner::CBitmap32& source = picture.bitmap;
  if (source.Empty()) return {};
  if (picture.own_alpha) {
    runner::CBitmap32 bitmap = source;
    if (remove_background) {
      // A transparent bottom-left pixel has no colour to remove.
      if ((bitmap.pixels[size_t(bitmap.height - 1) * size_t(bitmap.width)] >> 24) != 0) {
        RemoveBackground(bitmap);
      } else {
        BleedColor(bitmap);
      }
      if (smooth) SmoothEdges(bitmap);
    }
    return bitmap;
  }
  uint32_t backdrop = remove_background ? kPictureBackdrop : 0xFF000000u;
  std::vector<uint32_t> pixels = source.pixels;
  for (uint32_t& pixel : pixels) {
    if ((pixel >> 24) == 0) pixel = backdrop;
  }
  return BitmapFromPixels(source.width, source.height, pixels.data(), false, smooth,
                          remove_background);
}

}  // namespace vendrel::graphics
