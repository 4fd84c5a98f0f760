// Decoding PNG, JPEG and GIF files made by the tests themselves, and files
// that are cut short, damaged or too large.
#include "platform/image_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/image_test_files.h"

namespace vendrel::platform {
namespace {

using testing::Bytes;
using testing::GifFrameSpec;
using testing::MakeGif;
using testing::MakeJpeg;
using testing::MakePng;

const std::vector<GifColorType> kPalette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

// Three images on a 4 by 3 screen: a red one kept in place, a partly
// transparent 2 by 2 one at (1, 1) restored to the background, and an
// interlaced one with its own colour table.
Bytes ThreeImageGif() {
  GifFrameSpec first{0, 0, 4, 3, std::vector<uint8_t>(12, 1)};
  first.disposal = kGifDisposalKeep;
  GifFrameSpec second{1, 1, 2, 2, {0, 2, 2, 0}};
  second.disposal = kGifDisposalBackground;
  second.transparent = 0;
  GifFrameSpec third{0, 0, 4, 3, {0, 1, 0, 1, 1, 0, 1, 0, 0, 0, 1, 1}};
  third.interlaced = true;
  third.local_colors = {{10, 20, 30}, {200, 100, 50}};
  return MakeGif(4, 3, kPalette, {first, second, third});
}

TEST(ImageFilesTest, FormatsAreTellFromTheFirstBytes) {
  struct Case {
    std::string bytes;
    ImageFormat format;
  };
  const Case cases[] = {
      {"\x89PNG\r\n\x1a\n....", ImageFormat::Png}, {"\xFF\xD8\xFF\xE0", ImageFormat::Jpeg},
      {"GIF89a", ImageFormat::Gif},                {"GIF87a", ImageFormat::Gif},
      {"BM\x10\x00", ImageFormat::Bmp},            {"GIF90a", ImageFormat::Unknown},
      {"\x89PN", ImageFormat::Unknown},            {"", ImageFormat::Unknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SniffImageFormat(Bytes(c.bytes.begin(), c.bytes.end())), c.format) << c.bytes;
  }
}

TEST(ImageFilesTest, PngPixelsKeepTheirColourAndAlpha) {
  std::vector<uint32_t> argb = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF123456, 0xFFFFFFFF,
                                0xFF000000};
  DecodedImage image;
  std::string error;
  ASSERT_TRUE(DecodePngImage(MakePng(3, 2, argb), image, error)) << error;
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_TRUE(image.has_alpha);
  // Fully transparent pixels may lose their colour; the rest are exact.
  EXPECT_EQ(image.pixels[0], 0xFFFF0000u);
  EXPECT_EQ(image.pixels[1] >> 24, 0x80u);
  EXPECT_EQ(image.pixels[2] >> 24, 0u);
  EXPECT_EQ(image.pixels[3], 0xFF123456u);
  EXPECT_EQ(image.pixels[5], 0xFF000000u);

  ASSERT_TRUE(DecodePngImage(MakePng(2, 1, {0xFF102030, 0xFF405060}), image, error));
  EXPECT_FALSE(image.has_alpha);
  EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0xFF102030, 0xFF405060}));
}

bool Near(uint32_t pixel, uint32_t expected) {
  for (int shift : {0, 8, 16, 24}) {
    if (std::abs(int((pixel >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 12)
      return false;
  }
  return true;
}

TEST(ImageFilesTest, JpegColourAndGreyImagesDecodeOpaque) {
  // 16 by 8: the left half red, the right half blue.
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      rgb.push_back(x < 8 ? 255 : 0);
      rgb.push_back(0);
      rgb.push_back(x < 8 ? 0 : 255);
    }
  DecodedImage image;
  std::string error;
  ASSERT_TRUE(DecodeJpegImage(MakeJpeg(16, 8, 3, rgb), image, error)) << error;
  EXPECT_EQ(image.width, 16);
  EXPECT_EQ(image.height, 8);
  EXPECT_FALSE(image.has_alpha);
  EXPECT_TRUE(Near(image.pixels[2 * 16 + 2], 0xFFFF0000)) << std::hex << image.pixels[34];
  EXPECT_TRUE(Near(image.pixels[5 * 16 + 13], 0xFF0000FF)) << std::hex << image.pixels[93];

  std::vector<uint8_t> grey(8 * 8, 128);
  ASSERT_TRUE(DecodeJpegImage(MakeJpeg(8, 8, 1, grey), image, error)) << error;
  EXPECT_TRUE(Near(image.pixels[9], 0xFF808080)) << std::hex << image.pixels[9];
}

TEST(ImageFilesTest, GifImagesKeepPlacesTransparencyDisposalAndInterlacedRows) {
  GifAnimation gif;
  std::string error;
  ASSERT_TRUE(DecodeGif(ThreeImageGif(), gif, error)) << error;
  EXPECT_EQ(gif.width, 4);
  EXPECT_EQ(gif.height, 3);
  ASSERT_EQ(gif.images.size(), 3u);

  const GifImage& first = gif.images[0];
  EXPECT_EQ(first.disposal, kGifDisposalKeep);
  EXPECT_FALSE(first.has_transparency);
  EXPECT_EQ(first.delay, 10);
  EXPECT_EQ(first.pixels, std::vector<uint32_t>(12, 0xFFFF0000));

  const GifImage& second = gif.images[1];
  EXPECT_EQ(second.left, 1);
  EXPECT_EQ(second.top, 1);
  EXPECT_EQ(second.width, 2);
  EXPECT_EQ(second.height, 2);
  EXPECT_EQ(second.disposal, kGifDisposalBackground);
  EXPECT_TRUE(second.has_transparency);
  EXPECT_EQ(second.pixels, (std::vector<uint32_t>{0, 0xFF00FF00, 0xFF00FF00, 0}));

  // Rows come back in picture order although the file stores them by pass.
  const GifImage& third = gif.images[2];
  EXPECT_EQ(third.disposal, kGifDisposalUnspecified);
  const uint32_t a = 0xFF0A141E, b = 0xFFC86432;
  EXPECT_EQ(third.pixels, (std::vector<uint32_t>{a, b, a, b, b, a, b, a, a, a, b, b}));
}

TEST(ImageFilesTest, GifWithoutScreenSizeTakesTheImagesExtent) {
  GifFrameSpec frame{2, 1, 3, 2, std::vector<uint8_t>(6, 3)};
  GifAnimation gif;
  std::string error;
  ASSERT_TRUE(DecodeGif(MakeGif(0, 0, kPalette, {frame}), gif, error)) << error;
  EXPECT_EQ(gif.width, 5);
  EXPECT_EQ(gif.height, 3);
}

TEST(ImageFilesTest, RefusesFilesWithoutImagesOrColours) {
  GifAnimation gif;
  std::string error;
  EXPECT_FALSE(DecodeGif(MakeGif(4, 4, kPalette, {}), gif, error));
  // An image with a local colour table only, then with the table's flag
  // cleared: the image has no colours at all.
  GifFrameSpec frame{0, 0, 2, 2, std::vector<uint8_t>(4, 1)};
  frame.local_colors = kPalette;
  Bytes file = MakeGif(2, 2, {}, {frame});
  ASSERT_TRUE(DecodeGif(file, gif, error)) << error;
  size_t flags = 6 + 7 + 8 + 9;  // signature, screen, control block, descriptor
  ASSERT_EQ(file[flags] & 0x80, 0x80);
  file[flags] &= 0x7F;
  EXPECT_FALSE(DecodeGif(file, gif, error));
  EXPECT_NE(error.find("colour table"), std::string::npos) << error;

  DecodedImage image;
  Bytes garbage = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
  EXPECT_FALSE(DecodeGif(garbage, gif, error));
  EXPECT_FALSE(DecodePngImage(garbage, image, error));
  EXPECT_FALSE(DecodeJpegImage(garbage, image, error));
  EXPECT_FALSE(DecodeJpegImage({}, image, error));
  EXPECT_FALSE(DecodeGif({}, gif, error));
}

TEST(ImageFilesTest, RefusesImagesBeyondTheSizeLimits) {
  EXPECT_TRUE(ImageSizeAllowed(kMaxImageSide, 1));
  EXPECT_FALSE(ImageSizeAllowed(kMaxImageSide + 1, 1));
  EXPECT_FALSE(ImageSizeAllowed(kMaxImageSide, kMaxImageSide));  // too many pixels
  EXPECT_FALSE(ImageSizeAllowed(0, 5));

  DecodedImage image;
  GifAnimation gif;
  std::string error;
  EXPECT_FALSE(DecodePngImage(MakePng(kMaxImageSide + 1, 1,
                                      std::vector<uint32_t>(kMaxImageSide + 1, 0xFF000000)),
                              image, error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
  EXPECT_FALSE(DecodeJpegImage(MakeJpeg(kMaxImageSide + 8, 1, 1,
                                        std::vector<uint8_t>(kMaxImageSide + 8, 0)),
                               image, error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;

  // A logical screen too wide, and a small screen whose image claims a
  // huge size without the pixels to go with it.
  GifFrameSpec frame{0, 0, 2, 1, {1, 1}};
  EXPECT_FALSE(DecodeGif(MakeGif(20000, 1, kPalette, {frame}), gif, error));
  Bytes file = MakeGif(2, 1, kPalette, {frame});
  // The image descriptor follows the 6-byte signature, 7-byte screen
  // descriptor, 12-byte palette and 8-byte control extension; its width
  // is at offset 5 of it.
  size_t descriptor = 6 + 7 + 12 + 8;
  ASSERT_EQ(file[descriptor], 0x2C);
  file[descriptor + 5] = 0xFF;
  file[descriptor + 6] = 0xFF;
  EXPECT_FALSE(DecodeGif(file, gif, error));

  // So many frames that the animation would not fit.
  std::vector<GifFrameSpec> frames(kMaxImagePixels / (4096 * 4096) + 1,
                                   GifFrameSpec{0, 0, 1, 1, {1}});
  EXPECT_FALSE(DecodeGif(MakeGif(4096, 4096, kPalette, frames), gif, error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

// Every shorter prefix of a file, and the file with any one byte changed,
// decode to a clean answer (the sanitizer builds check that nothing is read
// outside the data).
TEST(ImageFilesTest, TruncatedAndDamagedFilesFailCleanly) {
  Bytes png = MakePng(3, 2, {0xFFFF0000, 0x8000FF00, 0, 0xFF123456, 0xFFFFFFFF, 0xFF000000});
  std::vector<uint8_t> rgb(16 * 16 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 7);
  Bytes jpeg = MakeJpeg(16, 16, 3, rgb);
  Bytes gif = ThreeImageGif();

  DecodedImage image;
  GifAnimation animation;
  std::string error;
  // Only the end chunk (12 bytes) may be missing.
  for (size_t length = 0; length + 12 < png.size(); ++length) {
    EXPECT_FALSE(DecodePngImage(Bytes(png.begin(), png.begin() + length), image, error))
        << length;
  }
  for (size_t length = 0; length < jpeg.size(); ++length) {
    EXPECT_FALSE(DecodeJpegImage(Bytes(jpeg.begin(), jpeg.begin() + length), image, error))
        << length;
  }
  // Cut between images, the images before the cut are kept; without the
  // trailer byte alone all three are there.
  for (size_t length = 0; length + 1 < gif.size(); ++length) {
    if (DecodeGif(Bytes(gif.begin(), gif.begin() + length), animation, error)) {
      EXPECT_LT(animation.images.size(), 3u) << length;
    }
  }
  for (const Bytes* file : {&png, &jpeg, &gif}) {
    for (size_t at = 0; at < file->size(); ++at) {
      Bytes damaged = *file;
      damaged[at] ^= 0xA5;
      if (DecodePngImage(damaged, image, error) || DecodeJpegImage(damaged, image, error)) {
        EXPECT_EQ(image.pixels.size(), size_t(image.width) * size_t(image.height));
      }
      if (DecodeGif(damaged, animation, error)) {
        for (const GifImage& i : animation.images)
          EXPECT_EQ(i.pixels.size(), size_t(i.width) * size_t(i.height));
      }
    }
  }
}

}  // namespace
}  // namespace vendrel::platform
