// The loading screen's window: only ever opened on a real display.
#include "platform/loading_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/window.h"
#include "tests/graphics/headless_gl.h"

namespace vendrel::platform {
namespace {

TEST(LoadingWindowTest, HeadlessRunsOpenNoWindow) {
  SetHeadless(true);
  ScreenArea area;
  std::string error;
  EXPECT_FALSE(LoadingScreenArea(area, &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_EQ(LoadingWindow::Create(LoadingWindowOptions(), &error), nullptr);
  EXPECT_FALSE(error.empty());
  SetHeadless(false);
}

TEST(LoadingWindowTest, OpensOnlyWhereADisplayServerShowsIt) {
  testing::UseOffscreenVideoWithoutDisplay();
  std::string error;
  if (!AcquireVideo(&error)) GTEST_SKIP() << "no video driver: " << error;
  const std::string driver = VideoDriverName();
  ReleaseVideo();

  LoadingWindowOptions options;
  options.width = 20;
  options.height = 10;
  options.use_color_key = true;
  options.color_key = 0xFF00FF;
  std::unique_ptr<LoadingWindow> window = LoadingWindow::Create(options, &error);
  if (driver == "offscreen" || driver == "dummy") {
    // A window in memory would show nobody anything.
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(error.empty());
    return;
  }
  ASSERT_NE(window, nullptr) << error;
  std::vector<uint32_t> pixels(20 * 10, 0xFF336699u);
  pixels[0] = 0xFFFF00FFu;
  window->Present(pixels.data());
  window->PumpEvents();
  window->Present(pixels.data());
}

}  // namespace
}  // namespace vendrel::platform
