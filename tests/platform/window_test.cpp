// The game window, created headless when there is no display.
#include "platform/window.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/graphics/headless_gl.h"

namespace vendrel::platform {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseOffscreenVideoWithoutDisplay();
    WindowOptions options;
    options.caption = "first";
    options.width = 120;
    options.height = 90;
    options.visible = false;
    std::string error;
    window_ = Window::Create(options, &error);
    if (!window_) GTEST_SKIP() << "no video driver: " << error;
  }

  std::unique_ptr<Window> window_;
};

TEST_F(WindowTest, KeepsItsCaptionSizeAndFlags) {
  EXPECT_EQ(window_->ClientWidth(), 120);
  EXPECT_EQ(window_->ClientHeight(), 90);
  EXPECT_EQ(window_->Caption(), "first");
  window_->SetCaption("Score: 10");
  EXPECT_EQ(window_->Caption(), "Score: 10");
  window_->SetClientSize(200, 150);
  EXPECT_EQ(window_->ClientWidth(), 200);
  EXPECT_EQ(window_->ClientHeight(), 150);
  window_->SetClientSize(0, -5);  // sizes stay positive
  EXPECT_GE(window_->ClientWidth(), 1);
  EXPECT_GE(window_->ClientHeight(), 1);
  EXPECT_FALSE(window_->Visible());
  window_->SetVisible(true);
  EXPECT_TRUE(window_->Visible());
  window_->SetFullscreen(true);
  EXPECT_TRUE(window_->Fullscreen());
  window_->SetFullscreen(false);
  EXPECT_FALSE(window_->Fullscreen());
}

TEST_F(WindowTest, WithoutADisplayTheWindowLivesInMemory) {
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && *display != '\0') GTEST_SKIP() << "a display is present";
  EXPECT_TRUE(window_->Offscreen());
  EXPECT_EQ(VideoDriverName(), "offscreen");
  DisplayMode mode = DesktopDisplayMode();
  EXPECT_GT(mode.width, 0);
  EXPECT_GT(mode.height, 0);
}

TEST_F(WindowTest, SeveralWindowsComeAndGo) {
  // Windows made and dropped one after another each get a working context.
  for (int i = 0; i < 3; ++i) {
    testing::HeadlessGl gl;
    ASSERT_TRUE(gl.Open(16, 16, 16, 16)) << gl.failure;
    gl.device->Clear(true, false, 0xFF00FF00, 0.0f);
    std::vector<uint32_t> pixel;
    ASSERT_TRUE(gl.device->ReadPixels(kBackBuffer, {0, 0, 1, 1}, pixel));
    EXPECT_EQ(pixel[0], 0xFF00FF00u);
  }
}

}  // namespace
}  // namespace vendrel::platform
