// Installs a recording device as the game's drawing device, so tests can
// read back exactly which vertices and states the drawing code sent.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "graphics/device.h"
#include "graphics/draw.h"
#include "platform/recording_graphics_device.h"

namespace vendrel::testing {

class RecordingDeviceTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 240;

  void SetUp() override {
    auto device = std::make_unique<platform::RecordingGraphicsDevice>(kWidth, kHeight);
    device_ = device.get();
    graphics::InstallDevice(std::move(device), kWidth, kHeight, false);
    graphics::ResetDrawState();
    device_->ClearRecord();
  }

  void TearDown() override {
    graphics::DestroyDevice();
    graphics::ResetDrawState();
  }

  const platform::RecordedDraw& OnlyDraw() {
    EXPECT_EQ(device_->draws.size(), 1u);
    static platform::RecordedDraw none;
    return device_->draws.empty() ? none : device_->draws.back();
  }

  platform::RecordingGraphicsDevice* device_ = nullptr;
};

}  // namespace vendrel::testing
