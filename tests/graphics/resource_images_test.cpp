// Sprites and backgrounds made and changed while the game runs, on a
// recording device: image files, strips and GIF animations, frames added
// and merged, alpha taken from another resource, copies with textures of
// their own, and the table operations.
#include "graphics/resource_images.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/bmp.h"
#include "graphics/picture_file.h"
#include "graphics/resource_draw.h"
#include "graphics/texture.h"
#include "platform/image_files.h"
#include "resources/game_resources.h"
#include "tests/graphics/recording_fixture.h"
#include "tests/image_test_files.h"
#include "tests/temp_path.h"
#include "tests/solid_image.h"

namespace vendrel::graphics {
namespace {

using resources::CBackground;
using resources::CSprite;
using vendrel::testing::GifFrameSpec;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr uint32_t kMagenta = 0xFFFF00FF, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

uint32_t At(const runner::CBitmap32& image, int x, int y) {
  return image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
}

class ResourceImagesTest : public vendrel::testing::RecordingDeviceTest {
 protected:
  void SetUp() override {
    RecordingDeviceTest::SetUp();
    resources::Resources().Clear();
  }
  void TearDown() override {
    resources::Resources().Clear();
    for (const std::string& path : written_) std::remove(path.c_str());
    RecordingDeviceTest::TearDown();
  }

  // Writes a file of the test's own and gives its name.
  std::string File(const std::string& suffix, const vendrel::testing::Bytes& bytes) {
    std::string path = vendrel::testing::TestTempPath(suffix);
    vendrel::testing::WriteBytes(path, bytes);
    written_.push_back(path);
    return path;
  }

  // The pixels the device holds for texture [id].
  std::vector<uint32_t> TexturePixels(int id) {
    const RTexture* entry = TextureEntry(id);
    if (entry == nullptr) return {};
    const std::vector<uint32_t>* pixels = device_->PixelsOf(entry->texture);
    return pixels ? *pixels : std::vector<uint32_t>();
  }

  std::vector<std::string> written_;
};

// A 100 by 4 strip: a magenta background with a red square in each third.
std::vector<uint32_t> StripPixels() {
  std::vector<uint32_t> pixels(100 * 4, kMagenta);
  for (int y = 1; y <= 2; ++y) {
    pixels[size_t(y) * 100 + 5] = kRed;    // frame 0, x 5
    pixels[size_t(y) * 100 + 40] = kRed;   // frame 1, x 7
    pixels[size_t(y) * 100 + 99] = kRed;   // the last column belongs to no frame
  }
  return pixels;
}

TEST_F(ResourceImagesTest, AStripIsCutIntoEquallyWideFramesLeftToRight) {
  std::string path = File(".png", vendrel::testing::MakePng(100, 4, StripPixels()));
  CSprite sprite;
  ASSERT_TRUE(LoadSpriteFromFile(sprite, path, 3, 4, 5, true, false, true, true));
  ASSERT_EQ(sprite.FrameCount(), 3);
  EXPECT_EQ(sprite.width, 33);
  EXPECT_EQ(sprite.height, 4);
  EXPECT_EQ(sprite.x_origin, 4);
  EXPECT_EQ(sprite.y_origin, 5);
  EXPECT_TRUE(sprite.precise && sprite.transparent && sprite.preload && !sprite.smooth);
  // The bottom-left colour (magenta) is gone; red stays.
  EXPECT_EQ(At(sprite.frames[0], 5, 1), kRed);
  EXPECT_EQ(At(sprite.frames[0], 0, 0) >> 24, 0u);
  EXPECT_EQ(At(sprite.frames[1], 7, 2), kRed);
  // The box holds the red pixels of every frame; the masks follow them.
  EXPECT_EQ(sprite.bbox_mode, resources::kBoundingBoxAutomatic);
  EXPECT_EQ(sprite.bbox_left, 5);
  EXPECT_EQ(sprite.bbox_right, 7);
  EXPECT_EQ(sprite.bbox_top, 1);
  EXPECT_EQ(sprite.bbox_bottom, 2);
  ASSERT_TRUE(sprite.HasMasks());
  EXPECT_TRUE(sprite.MaskAt(0, 5, 1));
  EXPECT_FALSE(sprite.MaskAt(0, 7, 1));
  EXPECT_TRUE(sprite.MaskAt(1, 7, 1));
  // Each frame draws from a texture holding its pixels.
  ASSERT_EQ(sprite.textures.size(), 3u);
  std::vector<uint32_t> texture = TexturePixels(sprite.textures[1]);
  ASSERT_FALSE(texture.empty());
  EXPECT_EQ(texture[size_t(2) * size_t(TextureEntry(sprite.textures[1])->texture_width) + 7],
            kRed);
}

TEST_F(ResourceImagesTest, FrameCountsOutsideThePictureAreHeldToIt) {
  std::string path = File(".png", vendrel::testing::MakePng(100, 4, StripPixels()));
  CSprite sprite;
  ASSERT_TRUE(LoadSpriteFromFile(sprite, path, 0, 0, 0, false, false, false, false));
  EXPECT_EQ(sprite.FrameCount(), 1);
  EXPECT_EQ(sprite.width, 100);
  // Not transparent: every pixel opaque, the full box, no masks.
  EXPECT_EQ(At(sprite.frames[0], 0, 0), kMagenta);
  EXPECT_FALSE(sprite.HasMasks());
  EXPECT_EQ(sprite.bbox_right, 99);
  EXPECT_EQ(sprite.bbox_bottom, 3);
  // More frames than columns: one column each.
  ASSERT_TRUE(LoadSpriteFromFile(sprite, path, 1000000, 0, 0, false, false, false, false));
  EXPECT_EQ(sprite.FrameCount(), 100);
  EXPECT_EQ(sprite.width, 1);
}

// A 3 by 1 animation: red kept, green at x 1 restored to the background,
// blue at x 2 restored to what was before, then a transparent pixel.
vendrel::testing::Bytes DisposalGif() {
  const std::vector<GifColorType> palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  GifFrameSpec all(0, 0, 3, 1, {1, 1, 1});
  all.disposal = platform::kGifDisposalKeep;
  GifFrameSpec green(1, 0, 1, 1, {2});
  green.disposal = platform::kGifDisposalBackground;
  GifFrameSpec blue(2, 0, 1, 1, {3});
  blue.disposal = platform::kGifDisposalPrevious;
  GifFrameSpec clear(0, 0, 1, 1, {0});
  clear.transparent = 0;
  return vendrel::testing::MakeGif(3, 1, palette, {all, green, blue, clear});
}

TEST_F(ResourceImagesTest, GifFramesAreComposedWithTheirDisposalMethods) {
  std::string path = File(".GIF", DisposalGif());
  CSprite sprite;
  // The requested count does not matter for an animation.
  ASSERT_TRUE(LoadSpriteFromFile(sprite, path, 7, 0, 0, false, false, false, true));
  ASSERT_EQ(sprite.FrameCount(), 4);
  EXPECT_EQ(sprite.width, 3);
  EXPECT_EQ(sprite.height, 1);
  const uint32_t b = kPictureBackdrop;
  const std::vector<std::vector<uint32_t>> expected = {
      {kRed, kRed, kRed}, {kRed, kGreen, kRed}, {kRed, b, kBlue}, {kRed, b, kRed}};
  for (size_t f = 0; f < expected.size(); ++f) EXPECT_EQ(sprite.frames[f].pixels, expected[f]);
  // Not transparent: no masks although precise.
  EXPECT_FALSE(sprite.HasMasks());

  // Under another name the file is one picture: its first image.
  std::string renamed = File(".png", DisposalGif());
  ASSERT_TRUE(LoadSpriteFromFile(sprite, renamed, 1, 0, 0, false, false, false, true));
  ASSERT_EQ(sprite.FrameCount(), 1);
  EXPECT_EQ(sprite.frames[0].pixels, expected[0]);
}

TEST_F(ResourceImagesTest, GifImagesReachingBeyondTheScreenAreCut) {
  const std::vector<GifColorType> palette = {{0, 0, 0}, {255, 0, 0}};
  GifFrameSpec over(1, 1, 3, 3, std::vector<uint8_t>(9, 1));
  over.disposal = platform::kGifDisposalBackground;
  GifFrameSpec outside(5, 0, 2, 2, std::vector<uint8_t>(4, 1));
  outside.disposal = platform::kGifDisposalBackground;
  std::string path =
      File(".gif", vendrel::testing::MakeGif(2, 2, palette, {over, outside}));
  CSprite sprite;
  ASSERT_TRUE(LoadSpriteFromFile(sprite, path, 1, 0, 0, false, false, false, false));
  ASSERT_EQ(sprite.FrameCount(), 2);
  const uint32_t b = kPictureBackdrop;
  EXPECT_EQ(sprite.frames[0].pixels, (std::vector<uint32_t>{b, b, b, kRed}));
  EXPECT_EQ(sprite.frames[1].pixels, (std::vector<uint32_t>{b, b, b, b}));
}

TEST_F(ResourceImagesTest, OwnAlphaIsKeptAndOnlyAVisibleCornerColourIsRemoved) {
  // Bottom-left transparent: black stays visible, the transparent pixels
  // take a neighbour's colour.
  std::vector<uint32_t> pixels = {kBlack, 0x80FF0000, 0x00000000, kBlack};
  std::string path = File(".png", vendrel::testing::MakePng(2, 2, pixels));
  CSprite sprite;
  ASSERT_TRUE(LoadSpriteFromFile(sprite, path, 1, 0, 0, false, false, true, true));
  EXPECT_EQ(At(sprite.frames[0], 0, 0), kBlack);
  EXPECT_EQ(At(sprite.frames[0], 1, 0) >> 24, 0x80u);
  EXPECT_EQ(At(sprite.frames[0], 0, 1), 0x00000000u);  // bled from black
  EXPECT_EQ(At(sprite.frames[0], 1, 1), kBlack);
  // Bottom-left visible: its colour is removed everywhere.
  pixels = {kBlack, 0x80FF0000, kBlack, kWhite};
  path = File("b.png", vendrel::testing::MakePng(2, 2, pixels));
  ASSERT_TRUE(LoadSpriteFromFile(sprite, path, 1, 0, 0, false, false, true, true));
  EXPECT_EQ(At(sprite.frames[0], 0, 0) >> 24, 0u);
  EXPECT_EQ(At(sprite.frames[0], 1, 1), kWhite);
}

TEST_F(ResourceImagesTest, MissingOrDamagedFilesLeaveTheSpriteAsItWas) {
  CSprite sprite;
  CreateSpriteFromBitmap(sprite, testing::SolidImage(2, 2, kRed), true, false, 0, 0, false, false, false);
  int texture = sprite.textures[0];
  vendrel::testing::Bytes png = vendrel::testing::MakePng(4, 4, std::vector<uint32_t>(16, kRed));
  png.resize(png.size() / 2);
  for (const std::string& path :
       {File(".png", png), File(".gif", {'G', 'I', 'F', '8', '9', 'a', 0}),
        File(".jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0}), File(".txt", {'h', 'i'}),
        vendrel::testing::TestTempPath("missing.png")}) {
    EXPECT_FALSE(LoadSpriteFromFile(sprite, path, 1, 0, 0, false, false, false, false)) << path;
    CBackground background;
    EXPECT_FALSE(LoadBackgroundFromFile(background, path, false, false, false)) << path;
  }
  EXPECT_EQ(sprite.FrameCount(), 1);
  EXPECT_EQ(sprite.textures[0], texture);
  EXPECT_TRUE(TextureExists(texture));
}

TEST_F(ResourceImagesTest, BitmapsBecomeFramesWithOrWithoutTheirAlpha) {
  runner::CBitmap32 bitmap = testing::SolidImage(3, 2, 0x40102030);
  CSprite sprite;
  CreateSpriteFromBitmap(sprite, bitmap, true, true, 1, 2, false, false, false);
  EXPECT_EQ(sprite.frames[0].pixels[0], 0x40102030u);
  CreateSpriteFromBitmap(sprite, bitmap, true, false, 1, 2, false, false, false);
  EXPECT_EQ(sprite.frames[0].pixels[0], 0xFF102030u);
  EXPECT_EQ(sprite.width, 3);
  EXPECT_EQ(sprite.x_origin, 1);
  // A capture that gave nothing: no frames, nothing to draw.
  CreateSpriteFromBitmap(sprite, runner::CBitmap32(), true, false, 0, 0, false, false, true);
  EXPECT_EQ(sprite.FrameCount(), 0);
  EXPECT_TRUE(sprite.textures.empty());
}

TEST_F(ResourceImagesTest, AddedFramesAreResizedToTheSprite) {
  CSprite sprite;
  sprite.transparent = false;
  // A sprite without frames takes the first frame's size.
  AddSpriteFrame(sprite, testing::SolidImage(2, 2, kRed), false);
  EXPECT_EQ(sprite.width, 2);
  runner::CBitmap32 wide = testing::SolidImage(4, 1, kGreen);
  wide.pixels[2] = kBlue;
  AddSpriteFrame(sprite, wide, false);
  ASSERT_EQ(sprite.FrameCount(), 2);
  // Nearest pixels: (j * 4 / 2, i * 1 / 2).
  EXPECT_EQ(sprite.frames[1].pixels, (std::vector<uint32_t>{kGreen, kBlue, kGreen, kBlue}));
  EXPECT_EQ(sprite.textures.size(), 2u);
  AddSpriteFrame(sprite, runner::CBitmap32(), false);
  EXPECT_EQ(sprite.FrameCount(), 2);
}

TEST_F(ResourceImagesTest, MergingAppendsResizedCopiesAndASpriteCanMergeItself) {
  CSprite sprite, other;
  other.transparent = false;
  CreateSpriteFromBitmap(other, testing::SolidImage(4, 4, kBlue), true, false, 0, 0, false, false, false);
  MergeSprite(sprite, other);
  EXPECT_EQ(sprite.width, 4);
  ASSERT_EQ(sprite.FrameCount(), 1);
  MergeSprite(sprite, sprite);
  EXPECT_EQ(sprite.FrameCount(), 2);
  CSprite small;
  CreateSpriteFromBitmap(small, testing::SolidImage(2, 1, kRed), true, false, 0, 0, false, false, false);
  MergeSprite(small, sprite);
  ASSERT_EQ(small.FrameCount(), 3);
  EXPECT_EQ(small.frames[2].width, 2);
  EXPECT_EQ(small.frames[2].height, 1);
  EXPECT_EQ(small.frames[2].pixels[0], kBlue);
  EXPECT_EQ(small.textures.size(), 3u);
}

TEST_F(ResourceImagesTest, AlphaFromAnotherSpriteCyclesItsFramesAndKeepsBoxAndMasks) {
  CSprite sprite;
  for (int i = 0; i < 3; ++i) sprite.frames.push_back(testing::SolidImage(2, 1, kRed));
  sprite.width = 2;
  sprite.height = 1;
  sprite.FramesChanged();
  BuildSpriteTextures(sprite);
  CSprite source;
  source.width = 1;
  source.height = 1;
  source.frames = {testing::SolidImage(1, 1, 0xFF303030), testing::SolidImage(1, 1, 0xFF906030)};  // means 48, 96
  SetSpriteAlphaFrom(sprite, source);
  EXPECT_EQ(sprite.frames[0].pixels, (std::vector<uint32_t>{0x30FF0000, kRed}));
  EXPECT_EQ(sprite.frames[1].pixels[0], 0x60FF0000u);
  EXPECT_EQ(sprite.frames[2].pixels[0], 0x30FF0000u);  // frame 2 takes frame 0
  EXPECT_TRUE(sprite.MaskAt(0, 0, 0));
  EXPECT_EQ(sprite.bbox_right, 1);
  EXPECT_EQ(TexturePixels(sprite.textures[2])[0], 0x30FF0000u);
  // A source without frames changes nothing.
  SetSpriteAlphaFrom(sprite, CSprite());
  EXPECT_EQ(sprite.frames[1].pixels[0], 0x60FF0000u);
}

TEST_F(ResourceImagesTest, BoundingBoxModesAndPrecision) {
  CSprite sprite;
  runner::CBitmap32 frame = testing::SolidImage(4, 3, 0);
  frame.pixels[size_t(1) * 4 + 2] = kRed;
  CreateSpriteFromBitmap(sprite, frame, true, true, 0, 0, false, false, true);
  EXPECT_EQ(std::vector<int>({sprite.bbox_left, sprite.bbox_top, sprite.bbox_right,
                              sprite.bbox_bottom}),
            std::vector<int>({2, 1, 2, 1}));
  sprite.SetBoundingBox(0, 0, 9, 9);  // only in manual mode
  EXPECT_EQ(sprite.bbox_right, 2);
  sprite.SetBoundingBoxMode(3);  // ignored
  EXPECT_EQ(sprite.bbox_mode, 0);
  sprite.SetBoundingBoxMode(resources::kBoundingBoxFullImage);
  EXPECT_EQ(sprite.bbox_right, 3);
  EXPECT_EQ(sprite.bbox_bottom, 2);
  sprite.SetBoundingBoxMode(resources::kBoundingBoxManual);
  sprite.SetBoundingBox(1, 1, 2, 2);
  EXPECT_EQ(sprite.bbox_left, 1);
  EXPECT_EQ(sprite.bbox_bottom, 2);
  // Frames added later keep a manual box.
  AddSpriteFrame(sprite, testing::SolidImage(4, 3, kRed), true);
  EXPECT_EQ(sprite.bbox_right, 2);

  EXPECT_TRUE(sprite.HasMasks());
  sprite.SetPrecise(false);
  EXPECT_FALSE(sprite.HasMasks());
  sprite.SetPrecise(true);
  EXPECT_TRUE(sprite.MaskAt(0, 2, 1));
  EXPECT_FALSE(sprite.MaskAt(0, 0, 0));

  // All frames transparent: the inverted box.
  CreateSpriteFromBitmap(sprite, testing::SolidImage(5, 4, 0), true, true, 0, 0, false, false, true);
  EXPECT_EQ(std::vector<int>({sprite.bbox_left, sprite.bbox_top, sprite.bbox_right,
                              sprite.bbox_bottom}),
            std::vector<int>({4, 3, 0, 0}));
}

TEST_F(ResourceImagesTest, CopiesHaveTexturesOfTheirOwn) {
  CSprite sprite;
  CreateSpriteFromBitmap(sprite, testing::SolidImage(2, 2, kRed), true, false, 0, 0, false, false, false);
  CSprite copy;
  AssignSprite(copy, sprite);
  ASSERT_EQ(copy.textures.size(), 1u);
  EXPECT_NE(copy.textures[0], sprite.textures[0]);
  FreeSpriteTextures(sprite);
  EXPECT_TRUE(TextureExists(copy.textures[0]));
  EXPECT_EQ(TexturePixels(copy.textures[0])[0], kRed);
  // Assigning a sprite to itself keeps it.
  AssignSprite(copy, copy);
  EXPECT_EQ(copy.FrameCount(), 1);
  EXPECT_TRUE(TextureExists(copy.textures[0]));

  CBackground background, background_copy;
  CreateBackgroundColor(background, 2, 2, false, 0x0000FF);
  AssignBackground(background_copy, background);
  EXPECT_NE(background_copy.texture, background.texture);
  FreeBackgroundTexture(background);
  EXPECT_TRUE(TextureExists(background_copy.texture));
}

TEST_F(ResourceImagesTest, SpriteTableAddsReplacesCopiesAndDeletes) {
  auto& table = resources::Resources().sprites;
  table.Reset(2);  // two empty slots from the game
  std::string path = File(".png", vendrel::testing::MakePng(6, 2, std::vector<uint32_t>(12, kRed)));

  EXPECT_EQ(AddSprite(vendrel::testing::TestTempPath("none.png"), 1, true, true, false, false, 0,
                      0),
            -1);
  EXPECT_EQ(table.Count(), 2);
  int added = AddSprite(path, 2, true, false, false, false, 1, 1);
  ASSERT_EQ(added, 2);
  EXPECT_EQ(table.Name(added), "__newsprite2");
  EXPECT_EQ(table.Get(added)->FrameCount(), 2);
  EXPECT_EQ(table.Get(added)->width, 3);

  int live = device_->LiveTextures();
  int copy = DuplicateSprite(added);
  EXPECT_EQ(copy, 3);
  EXPECT_EQ(table.Name(copy), "__newsprite3");
  EXPECT_EQ(device_->LiveTextures(), live + 2);
  EXPECT_EQ(DuplicateSprite(0), -1);

  // Replace: an index outside the table fails; an empty slot gets a sprite;
  // a file that cannot be read leaves the sprite as it was.
  EXPECT_FALSE(ReplaceSprite(9, path, 1, true, true, false, false, 0, 0));
  EXPECT_FALSE(ReplaceSprite(0, "no such file.png", 1, true, true, false, false, 0, 0));
  EXPECT_FALSE(table.Exists(0));
  EXPECT_TRUE(ReplaceSprite(0, path, 1, true, true, false, false, 0, 0));
  EXPECT_EQ(table.Get(0)->width, 6);
  EXPECT_FALSE(ReplaceSprite(added, "no such file.png", 1, true, true, false, false, 0, 0));
  EXPECT_EQ(table.Get(added)->FrameCount(), 2);

  // Assign: the source must exist and the index lie in the table.
  EXPECT_FALSE(AssignSpriteFrom(1, 7));
  EXPECT_FALSE(AssignSpriteFrom(10, added));
  EXPECT_TRUE(AssignSpriteFrom(1, added));
  EXPECT_EQ(table.Get(1)->FrameCount(), 2);

  live = device_->LiveTextures();
  EXPECT_TRUE(DeleteSprite(copy));
  EXPECT_FALSE(table.Exists(copy));
  EXPECT_EQ(table.Name(copy), resources::kUndefinedName);
  EXPECT_EQ(device_->LiveTextures(), live - 2);
  EXPECT_FALSE(DeleteSprite(copy));
  // New entries are appended after the deleted one.
  EXPECT_EQ(AddEmptySprite(), 4);
}

TEST_F(ResourceImagesTest, BackgroundsFromFilesColoursAndGradients) {
  std::vector<uint8_t> rgb(8 * 8 * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i + 1] = 255;  // green
  std::string path = File(".jpg", vendrel::testing::MakeJpeg(8, 8, 3, rgb));
  CBackground background;
  ASSERT_TRUE(LoadBackgroundFromFile(background, path, false, false, true));
  EXPECT_EQ(background.width, 8);
  EXPECT_EQ(background.height, 8);
  EXPECT_TRUE(background.preload);
  ASSERT_TRUE(background.image.has_value());
  EXPECT_GT((At(*background.image, 3, 3) >> 8) & 0xFF, 0xF0u);
  EXPECT_TRUE(TextureExists(background.texture));

  // A bitmap file, whatever its name.
  runner::CBitmap32 bmp = testing::SolidImage(3, 2, kBlue);
  bmp.pixels[0] = kRed;
  std::vector<uint8_t> bmp_bytes = EncodeBmp(bmp);
  path = File(".png", vendrel::testing::Bytes(bmp_bytes.begin(), bmp_bytes.end()));
  ASSERT_TRUE(LoadBackgroundFromFile(background, path, true, false, false));
  EXPECT_EQ(background.width, 3);
  EXPECT_EQ(At(*background.image, 0, 0), kRed);
  EXPECT_EQ(At(*background.image, 2, 1) >> 24, 0u);  // the bottom-left colour is gone

  // A colour: width 0 makes a 1 pixel wide image but keeps width 0.
  CreateBackgroundColor(background, 0, 3, false, 0x0000FF);  // red in the low byte
  EXPECT_EQ(background.width, 0);
  EXPECT_EQ(background.image->width, 1);
  EXPECT_EQ(background.image->pixels[0], kRed);
  EXPECT_FALSE(background.transparent);
  // Sizes no image can have: no image.
  CreateBackgroundColor(background, 100000, 100000, false, 0);
  EXPECT_FALSE(background.image.has_value());
  EXPECT_EQ(background.texture, -1);

  // Kind 4 from black to white: black at the left, white in the middle
  // column, the rightmost column of step 1.
  CreateBackgroundGradient(background, 10, 2, false, 4, 0x000000, 0xFFFFFF);
  ASSERT_TRUE(background.image.has_value());
  EXPECT_EQ(At(*background.image, 0, 0), kBlack);
  EXPECT_EQ(At(*background.image, 5, 1), kWhite);
  EXPECT_EQ(At(*background.image, 9, 0), 0xFF333333u);  // mix(1 / 5)

  CBackground mask;
  CreateBackgroundColor(mask, 4, 4, false, 0x808080);
  SetBackgroundAlphaFrom(background, mask);
  EXPECT_EQ(At(*background.image, 0, 0) >> 24, 0x80u);
  EXPECT_EQ(At(*background.image, 9, 0) >> 24, 0xFFu);  // outside the common area
  EXPECT_EQ(TexturePixels(background.texture)[0] >> 24, 0x80u);
}

TEST_F(ResourceImagesTest, BackgroundTableOperations) {
  auto& table = resources::Resources().backgrounds;
  table.Reset(1);
  std::string path = File(".png", vendrel::testing::MakePng(2, 1, {kRed, kBlue}));
  EXPECT_EQ(AddBackground("missing.bmp", false, false, false), -1);
  int added = AddBackground(path, false, false, false);
  ASSERT_EQ(added, 1);
  EXPECT_EQ(table.Name(added), "__newbackground1");
  EXPECT_EQ(DuplicateBackground(added), 2);
  EXPECT_EQ(DuplicateBackground(0), -1);
  EXPECT_TRUE(ReplaceBackground(0, path, true, false, false));
  EXPECT_TRUE(table.Get(0)->transparent);
  EXPECT_FALSE(ReplaceBackground(5, path, true, false, false));
  EXPECT_TRUE(AssignBackgroundFrom(0, 2));
  EXPECT_FALSE(table.Get(0)->transparent);
  EXPECT_FALSE(AssignBackgroundFrom(0, 9));
  int live = device_->LiveTextures();
  EXPECT_TRUE(DeleteBackground(2));
  EXPECT_EQ(device_->LiveTextures(), live - 1);
  EXPECT_FALSE(DeleteBackground(2));
  EXPECT_EQ(AddEmptyBackground(), 3);
}

}  // namespace
}  // namespace vendrel::graphics
