#include "runner/settings.h"

#include <gtest/gtest.h>

namespace vendrel::runner {
namespace {

// The settings record written field by field in stored order, with values
// that differ from every default.
struct StoredSettings {
  int32_t version = 600;
  bool show_progress_bar = true;
  std::vector<uint8_t> back_bmp = {'B', 'M', 1};
  std::vector<uint8_t> front_bmp = {'B', 'M', 2};
  std::vector<uint8_t> loading_bmp = {'B', 'M', 3};
  int32_t constant_count = 2;

  std::vector<uint8_t> Bytes() const {
    CStream out;
    out.WriteInteger(version);
    out.WriteInteger(1);      // FullScreen
    out.WriteInteger(1);      // Interpolate
    out.WriteInteger(1);      // NoBorder
    out.WriteInteger(0);      // ShowCursor
    out.WriteInteger(-1);     // Scaling
    out.WriteInteger(1);      // AllowResize
    out.WriteInteger(1);      // StayOnTop
    out.WriteInteger(0x123456);  // WindowColor
    out.WriteInteger(1);      // SetResolution
    out.WriteInteger(2);      // ColorDepth
    out.WriteInteger(3);      // Resolution
    out.WriteInteger(4);      // Frequency
    out.WriteInteger(1);      // NoButtons
    out.WriteInteger(1);      // VSync
    out.WriteInteger(0);      // KeyFullScreen
    out.WriteInteger(0);      // KeyGameInfo
    out.WriteInteger(0);      // KeyEndGame
    out.WriteInteger(0);      // KeySaveLoad
    out.WriteInteger(2);      // Priority
    out.WriteInteger(1);      // FreezeOnLoseFocus
    out.WriteInteger(show_progress_bar ? 1 : 0);
    if (show_progress_bar) {
      out.WriteBitmap(back_bmp);
      out.WriteBitmap(front_bmp);
    }
    out.WriteBitmap(loading_bmp);
    out.WriteInteger(1);      // LoadingImageTransparent
    out.WriteInteger(128);    // LoadingImageAlpha
    out.WriteInteger(0);      // ScaleProgressBar
    out.WriteInteger(0);      // ShowErrors
    out.WriteInteger(1);      // WriteErrorLog
    out.WriteInteger(1);      // AbortOnError
    out.WriteInteger(1);      // UninitializedIsZero
    out.WriteInteger(constant_count);
    for (int i = 0; i < std::min(constant_count, 2); ++i) {
      out.WriteString(i == 0 ? "MAX_LIVES" : " spaced ");
      out.WriteString(i == 0 ? "3" : " \"text\" ");
    }
    out.WriteInteger(0x5EED);  // what follows the record
    return out.Bytes();
  }
};

TEST(GameSettings, DefaultsBeforeAnythingIsRead) {
  GameSettings settings;
  settings.FullScreen = true;
  settings.Constants.push_back({"A", "1"});
  settings.LoadingImage = {1};
  settings.Reset();
  EXPECT_FALSE(settings.FullScreen);
  EXPECT_FALSE(settings.Interpolate);
  EXPECT_FALSE(settings.NoBorder);
  EXPECT_TRUE(settings.ShowCursor);
  EXPECT_EQ(settings.Scaling, 100);
  EXPECT_EQ(settings.WindowColor, 0xFFFFFF);
  EXPECT_EQ(settings.ColorDepth, 0);
  EXPECT_EQ(settings.Resolution, 0);
  EXPECT_EQ(settings.Frequency, 0);
  EXPECT_TRUE(settings.KeyFullScreen);
  EXPECT_TRUE(settings.KeyGameInfo);
  EXPECT_TRUE(settings.KeyEndGame);
  EXPECT_TRUE(settings.KeySaveLoad);
  EXPECT_EQ(settings.Priority, 0);
  EXPECT_TRUE(settings.ShowProgressBar);
  EXPECT_TRUE(settings.LoadingImage.empty());
  EXPECT_EQ(settings.LoadingImageAlpha, 255);
  EXPECT_TRUE(settings.ScaleProgressBar);
  EXPECT_TRUE(settings.ShowErrors);
  EXPECT_FALSE(settings.WriteErrorLog);
  EXPECT_FALSE(settings.AbortOnError);
  EXPECT_FALSE(settings.UninitializedIsZero);
  EXPECT_TRUE(settings.Constants.empty());
}

TEST(GameSettings, ReadsEveryFieldInStoredOrder) {
  CStream in(StoredSettings().Bytes());
  GameSettings settings;
  ASSERT_TRUE(settings.Read(in));
  EXPECT_TRUE(settings.FullScreen);
  EXPECT_TRUE(settings.Interpolate);
  EXPECT_TRUE(settings.NoBorder);
  EXPECT_FALSE(settings.ShowCursor);
  EXPECT_EQ(settings.Scaling, -1);
  EXPECT_TRUE(settings.AllowResize);
  EXPECT_TRUE(settings.StayOnTop);
  EXPECT_EQ(settings.WindowColor, 0x123456);
  EXPECT_TRUE(settings.SetResolution);
  EXPECT_EQ(settings.ColorDepth, 2);
  EXPECT_EQ(settings.Resolution, 3);
  EXPECT_EQ(settings.Frequency, 4);
  EXPECT_TRUE(settings.NoButtons);
  EXPECT_TRUE(settings.VSync);
  EXPECT_FALSE(settings.KeyFullScreen);
  EXPECT_FALSE(settings.KeyGameInfo);
  EXPECT_FALSE(settings.KeyEndGame);
  EXPECT_FALSE(settings.KeySaveLoad);
  EXPECT_EQ(settings.Priority, 2);
  EXPECT_TRUE(settings.FreezeOnLoseFocus);
  EXPECT_TRUE(settings.ShowProgressBar);
  EXPECT_EQ(settings.ProgressBackImage, (std::vector<uint8_t>{'B', 'M', 1}));
  EXPECT_EQ(settings.ProgressFrontImage, (std::vector<uint8_t>{'B', 'M', 2}));
  EXPECT_EQ(settings.LoadingImage, (std::vector<uint8_t>{'B', 'M', 3}));
  EXPECT_TRUE(settings.LoadingImageTransparent);
  EXPECT_EQ(settings.LoadingImageAlpha, 128);
  EXPECT_FALSE(settings.ScaleProgressBar);
  EXPECT_FALSE(settings.ShowErrors);
  EXPECT_TRUE(settings.WriteErrorLog);
  EXPECT_TRUE(settings.AbortOnError);
  EXPECT_TRUE(settings.UninitializedIsZero);
  ASSERT_EQ(settings.Constants.size(), 2u);
  // Names and values are kept exactly as stored.
  EXPECT_EQ(settings.Constants[0].name, "MAX_LIVES");
  EXPECT_EQ(settings.Constants[0].value, "3");
  EXPECT_EQ(settings.Constants[1].name, " spaced ");
  EXPECT_EQ(settings.Constants[1].value, " \"text\" ");
  EXPECT_EQ(in.ReadInteger(), 0x5EED);
}

TEST(GameSettings, WithoutProgressBarTheBarImagesAreNotStored) {
  StoredSettings stored;
  stored.show_progress_bar = false;
  CStream in(stored.Bytes());
  GameSettings settings;
  ASSERT_TRUE(settings.Read(in));
  EXPECT_FALSE(settings.ShowProgressBar);
  EXPECT_TRUE(settings.ProgressBackImage.empty());
  EXPECT_TRUE(settings.ProgressFrontImage.empty());
  // The loading image's present flag followed the bar flag directly.
  EXPECT_EQ(settings.LoadingImage, (std::vector<uint8_t>{'B', 'M', 3}));
  EXPECT_EQ(settings.LoadingImageAlpha, 128);
  EXPECT_EQ(in.ReadInteger(), 0x5EED);
}

TEST(GameSettings, OtherVersionsFailAndLeaveDefaults) {
  for (int32_t version : {599, 601, 0, -600}) {
    StoredSettings stored;
    stored.version = version;
    CStream in(stored.Bytes());
    GameSettings settings;
    settings.FullScreen = true;
    EXPECT_FALSE(settings.Read(in)) << version;
    EXPECT_FALSE(settings.FullScreen) << version;
  }
}

TEST(GameSettings, DamagedConstantCountIsAnErrorNotAnAllocation) {
  StoredSettings stored;
  stored.constant_count = 0x7FFFFFFF;
  CStream in(stored.Bytes());
  GameSettings settings;
  EXPECT_THROW(settings.Read(in), StreamError);
  // A negative count holds no constants.
  stored.constant_count = -4;
  CStream negative(stored.Bytes());
  ASSERT_TRUE(settings.Read(negative));
  EXPECT_TRUE(settings.Constants.empty());
}

TEST(GameSettings, WriteIsTheInverseOfRead) {
  for (bool bar : {true, false}) {
    StoredSettings stored;
    stored.show_progress_bar = bar;
    std::vector<uint8_t> bytes = stored.Bytes();
    CStream in(bytes);
    GameSettings settings;
    ASSERT_TRUE(settings.Read(in));
    CStream out;
    settings.Write(out);
    out.WriteInteger(0x5EED);
    EXPECT_EQ(out.Bytes(), bytes) << "bar " << bar;
  }
}

}  // namespace
}  // namespace vendrel::runner
