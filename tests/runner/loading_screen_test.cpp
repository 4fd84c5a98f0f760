// The loading screen's layout, its progress bar and its headless output.
#include "runner/loading_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/bmp.h"
#include "runner/game_data.h"
#include "platform/message_box.h"
#include "tests/solid_image.h"

namespace vendrel::runner {
namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                   kYellow = 0xFFFFFF00;

uint32_t At(const CBitmap32& bitmap, int x, int y) {
  return bitmap.pixels[size_t(y) * size_t(bitmap.width) + size_t(x)];
}

void ExpectRect(const LoadingRect& rect, int left, int top, int width, int height) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.width, width);
  EXPECT_EQ(rect.height, height);
}

TEST(LoadingScreenLayout, DefaultPicturesFollowTheDesignSizes) {
  GameSettings settings;
  LoadingLayout layout = LayOutLoadingScreen(settings, false, 1024, 768);
  EXPECT_EQ(layout.picture.width, 332);
  EXPECT_EQ(layout.picture.height, 92);
  EXPECT_EQ(layout.bar_back.width, 289);
  EXPECT_EQ(layout.bar_back.height, 16);
  EXPECT_EQ(layout.bar_front.width, 105);
  EXPECT_EQ(layout.bar_front.height, 14);
  for (const CBitmap32* picture : {&layout.picture, &layout.bar_back, &layout.bar_front}) {
    ASSERT_EQ(picture->pixels.size(), size_t(picture->width) * size_t(picture->height));
    for (uint32_t pixel : picture->pixels) ASSERT_EQ(pixel >> 24, 0xFFu);
  }

  // The client area is the picture; the bar keeps 24 pixels from each side.
  EXPECT_EQ(layout.client_width, 332);
  EXPECT_EQ(layout.client_height, 92);
  EXPECT_EQ(layout.window_left, 346);
  EXPECT_EQ(layout.window_top, 338);
  ExpectRect(layout.back, 24, 60, 284, 16);
  ExpectRect(layout.front, 24, 62, 0, 14);
  EXPECT_EQ(layout.label.top, 60);
  EXPECT_TRUE(layout.bars_visible);
  EXPECT_TRUE(layout.stretch_front);
  EXPECT_FALSE(layout.label_visible);
  EXPECT_FALSE(layout.transparent);
  EXPECT_EQ(layout.alpha, 255);
}

TEST(LoadingScreenLayout, CentringDropsHalvesTowardsZero) {
  GameSettings settings;
  struct Case {
    int screen_width, screen_height, left, top;
  };
  const Case cases[] = {
      {1023, 767, 345, 337},  // 345.5, 337.5
      {332, 92, 0, 0},
      {300, 80, -16, -6},     // picture larger than the screen
      {301, 81, -15, -5},     // -15.5, -5.5: towards zero, not down
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.screen_width << "x" << c.screen_height);
    LoadingLayout layout = LayOutLoadingScreen(settings, false, c.screen_width, c.screen_height);
    EXPECT_EQ(layout.window_left, c.left);
    EXPECT_EQ(layout.window_top, c.top);
  }
}

TEST(LoadingScreenLayout, StoredPicturesSetTheSizesAndTheTransparentColour) {
  GameSettings settings;
  CBitmap32 picture = testing::SolidImage(200, 50, kRed);
  picture.pixels[size_t(49) * 200] = 0xFF123456;  // left of the bottom row
  picture.pixels[0] = 0xFF654321;                 // top left: not it
  settings.LoadingImage = graphics::EncodeBmp(picture);
  settings.ProgressBackImage = graphics::EncodeBmp(testing::SolidImage(7, 3, kGreen));
  settings.ProgressFrontImage = graphics::EncodeBmp(testing::SolidImage(5, 2, kBlue));
  settings.LoadingImageTransparent = true;
  settings.LoadingImageAlpha = 128;
  settings.ScaleProgressBar = false;

  LoadingLayout layout = LayOutLoadingScreen(settings, false, 800, 600);
  EXPECT_EQ(layout.picture.pixels, picture.pixels);
  EXPECT_EQ(layout.client_width, 200);
  EXPECT_EQ(layout.client_height, 50);
  EXPECT_EQ(layout.window_left, 300);
  EXPECT_EQ(layout.window_top, 275);
  ExpectRect(layout.back, 24, 18, 152, 16);
  ExpectRect(layout.front, 24, 20, 0, 14);
  EXPECT_EQ(layout.label.top, 18);
  EXPECT_EQ(layout.bar_back.pixels, testing::SolidImage(7, 3, kGreen).pixels);
  EXPECT_EQ(layout.bar_front.pixels, testing::SolidImage(5, 2, kBlue).pixels);
  EXPECT_TRUE(layout.transparent);
  EXPECT_EQ(layout.transparent_color, 0x123456u);
  EXPECT_EQ(layout.alpha, 128);
  EXPECT_FALSE(layout.stretch_front);

  // Without the progress bar the stored bar pictures are not used; a
  // picture that does not decode leaves the default in its place.
  settings.ShowProgressBar = false;
  settings.LoadingImage = {'B', 'M', 1, 2, 3};
  settings.LoadingImageTransparent = false;
  layout = LayOutLoadingScreen(settings, true, 800, 600);
  EXPECT_EQ(layout.picture.pixels, DefaultLoadingPicture().pixels);
  EXPECT_EQ(layout.bar_back.pixels, DefaultBarBack().pixels);
  EXPECT_EQ(layout.bar_front.pixels, DefaultBarFront().pixels);
  EXPECT_FALSE(layout.transparent);

  // A picture narrower than the two margins gives a bar of no width.
  settings.LoadingImage = graphics::EncodeBmp(testing::SolidImage(40, 40, kRed));
  layout = LayOutLoadingScreen(settings, false, 800, 600);
  EXPECT_EQ(layout.back.width, 0);
  EXPECT_EQ(ProgressBarWidth(100, layout.back.width), 0);
}

TEST(LoadingScreenLayout, LabelShowsOnlyInDebugModeWithTheProgressBar) {
  struct Case {
    bool debug, show_progress_bar, label, bars;
  };
  const Case cases[] = {
      {false, false, false, false},
      {true, false, false, false},
      {false, true, false, true},
      {true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "debug " << c.debug << ", bar " << c.show_progress_bar);
    GameSettings settings;
    settings.ShowProgressBar = c.show_progress_bar;
    LoadingLayout layout = LayOutLoadingScreen(settings, c.debug, 1024, 768);
    EXPECT_EQ(layout.label_visible, c.label);
    EXPECT_EQ(layout.bars_visible, c.bars);
  }
}

TEST(LoadingScreenProgress, BarWidthRoundsHalvesToEven) {
  struct Case {
    int percent, back_width, width;
  };
  const Case cases[] = {
      {0, 289, 0},    {50, 289, 144},  // 144.5
      {33, 289, 95},  // 95.37
      {100, 289, 289}, {49, 289, 142},  // 141.61
      {50, 284, 142}, {33, 284, 94},   // 93.72
      {50, 3, 2},     // 1.5
      {50, 5, 2},     // 2.5
      {10, 5, 0},     // 0.5
      {30, 5, 2},     // 1.5
      {70, 5, 4},     // 3.5
      {-10, 289, 0},  {50, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressBarWidth(c.percent, c.back_width), c.width)
        << c.percent << "% of " << c.back_width;
  }
}

// A loading screen of plain colours: red picture 100 by 40, so the bar's
// background lies at (24, 8) and is 52 by 16, its filled part at (24, 10).
LoadingLayout PlainLayout(bool stretch) {
  GameSettings settings;
  settings.LoadingImage = graphics::EncodeBmp(testing::SolidImage(100, 40, kRed));
  settings.ProgressBackImage = graphics::EncodeBmp(testing::SolidImage(3, 3, kGreen));
  CBitmap32 front = testing::SolidImage(10, 2, kBlue);
  for (int y = 0; y < 2; ++y) front.pixels[size_t(y) * 10 + 9] = kYellow;
  settings.ProgressFrontImage = graphics::EncodeBmp(front);
  settings.ScaleProgressBar = stretch;
  return LayOutLoadingScreen(settings, false, 1024, 768);
}

TEST(LoadingScreenProgress, FrameStretchesTheBackgroundAndTheFilledPart) {
  LoadingLayout layout = PlainLayout(true);
  ASSERT_EQ(layout.back.width, 52);

  CBitmap32 empty = ComposeLoadingFrame(layout, 0);
  EXPECT_EQ(At(empty, 23, 8), kRed);
  EXPECT_EQ(At(empty, 24, 8), kGreen);
  EXPECT_EQ(At(empty, 75, 23), kGreen);
  EXPECT_EQ(At(empty, 76, 23), kRed);
  EXPECT_EQ(At(empty, 24, 24), kRed);
  EXPECT_EQ(At(empty, 24, 12), kGreen);  // nothing filled at 0

  // 50 percent: 26 pixels, the front picture stretched over 26 by 14.
  CBitmap32 half = ComposeLoadingFrame(layout, 50);
  EXPECT_EQ(At(half, 24, 9), kGreen);  // the filled part starts 2 lower
  EXPECT_EQ(At(half, 24, 10), kBlue);
  EXPECT_EQ(At(half, 24, 23), kBlue);
  EXPECT_EQ(At(half, 47, 10), kBlue);
  EXPECT_EQ(At(half, 49, 10), kYellow);  // its last column, stretched
  EXPECT_EQ(At(half, 50, 10), kGreen);

  CBitmap32 full = ComposeLoadingFrame(layout, 100);
  EXPECT_EQ(At(full, 75, 23), kYellow);
  EXPECT_EQ(At(full, 76, 23), kRed);
}

TEST(LoadingScreenProgress, UnstretchedFilledPartIsClippedToItsWidth) {
  LoadingLayout layout = PlainLayout(false);
  // 50 percent is 26 pixels, but the picture is only 10 by 2.
  CBitmap32 half = ComposeLoadingFrame(layout, 50);
  EXPECT_EQ(At(half, 24, 10), kBlue);
  EXPECT_EQ(At(half, 33, 11), kYellow);
  EXPECT_EQ(At(half, 34, 10), kGreen);
  EXPECT_EQ(At(half, 24, 12), kGreen);
  // 10 percent is 5 pixels: the picture is cut there.
  CBitmap32 tenth = ComposeLoadingFrame(layout, 10);
  EXPECT_EQ(At(tenth, 28, 10), kBlue);
  EXPECT_EQ(At(tenth, 29, 10), kGreen);
  EXPECT_EQ(At(tenth, 33, 10), kGreen);

  // Without the progress bar the frame is the picture alone.
  GameSettings settings;
  settings.ShowProgressBar = false;
  LoadingLayout plain = LayOutLoadingScreen(settings, true, 1024, 768);
  EXPECT_EQ(ComposeLoadingFrame(plain, 100).pixels, plain.picture.pixels);
}

TEST(LoadingScreenHeadless, OpensNoWindowPrintsProgressAndReleasesThePictures) {
  platform::SetHeadless(true);
  GameSettings saved = Settings();
  Settings().LoadingImage = graphics::EncodeBmp(testing::SolidImage(4, 4, kRed));
  Settings().ProgressBackImage = {'B', 'M'};
  Settings().ProgressFrontImage = {'B', 'M'};

  ::testing::internal::CaptureStderr();
  ShowLoadingScreen(true);
  EXPECT_FALSE(LoadingScreenShown());
  ShowProgress(0, "Loading");
  ShowProgress(5, "Loading sounds");
  ShowProgress(100, "Ready");
  HideLoadingScreen();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[  0%] Loading\n[  5%] Loading sounds\n[100%] Ready\n");
  EXPECT_TRUE(Settings().LoadingImage.empty());
  EXPECT_TRUE(Settings().ProgressBackImage.empty());
  EXPECT_TRUE(Settings().ProgressFrontImage.empty());

  Settings() = saved;
  platform::SetHeadless(false);
}

TEST(LoadingScreenHeadless, LoadShowsTheScreenRightAfterTheSettingsAndKeepsThemReleased) {
  platform::SetHeadless(true);
  GameData game;
  game.identity.DebugMode = true;
  game.settings.LoadingImage = graphics::EncodeBmp(testing::SolidImage(4, 4, kRed));
  game.settings.LoadingImageAlpha = 77;
  game.resources.room_order.rooms = {0};  // a game has at least one room
  CStream stream(WriteGameData(game));

  std::vector<std::string> steps;
  ::testing::internal::CaptureStderr();
  LoadResult result = ReadGameData(
      stream, [&](int percent, std::string_view text) {
        ShowProgress(percent, text);
        steps.push_back(std::to_string(percent) + " " + std::string(text));
      },
      [&] {
        // The settings and the identity are in place when the screen is set up.
        steps.push_back("screen " + std::to_string(Settings().LoadingImageAlpha) + " " +
                        std::to_string(Identity().DebugMode));
        EXPECT_FALSE(Settings().LoadingImage.empty());
        ShowLoadingScreen(Identity().DebugMode);
      });
  std::string printed = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(result.Loaded()) << result.message << " after " << steps.back();
  ASSERT_GE(steps.size(), 2u);
  EXPECT_EQ(steps[0], "screen 77 1");
  EXPECT_EQ(steps[1], "0 Loading");
  EXPECT_EQ(printed.rfind("[  0%] Loading\n[  5%] Loading sounds\n", 0), 0u) << printed;
  // The whole load keeps the pictures the loading screen released.
  EXPECT_TRUE(Settings().LoadingImage.empty());
  EXPECT_EQ(Settings().LoadingImageAlpha, 77);

  Settings().Reset();
  Identity() = GameIdentity();
  resources::Resources().Clear();
  platform::SetHeadless(false);
}

}  // namespace
}  // namespace vendrel::runner
