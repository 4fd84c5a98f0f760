// GameSettings: the per-game options chosen by the game's author: window
// and display, the function keys the runner handles itself, priority, the
// loading screen, error reporting, unset variables and the named constants.
// Read once from the game data, right after the game's identity.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/stream.h"

namespace vendrel::runner {

struct GameConstant {
  std::string name;
  // The value's source text, unchanged (trimmed and checked when the
  // constants are defined).
  std::string value;
};

struct GameSettings {
  static constexpr int32_t kRecordVersion = 600;

  bool FullScreen = false;
  // Linear texture filtering instead of point filtering.
  bool Interpolate = false;
  bool NoBorder = false;
  bool ShowCursor = true;
  // Above 0: a fixed factor Scaling / 100; 0: fill the client area; below
  // 0: the largest factor that keeps the aspect ratio.
  int32_t Scaling = 100;
  bool AllowResize = false;
  bool StayOnTop = false;
  // Colour outside the drawn room region (0x00BBGGRR).
  int32_t WindowColor = 0xFFFFFF;
  bool SetResolution = false;
  // 1: 16 bits; 2: 32 bits; other: no change.
  int32_t ColorDepth = 0;
  // 1 to 6: 320x240, 640x480, 800x600, 1024x768, 1280x1024, 1600x1200.
  int32_t Resolution = 0;
  // 1 to 5: 60, 70, 85, 100, 120 Hz.
  int32_t Frequency = 0;
  bool NoButtons = false;
  bool VSync = false;
  bool KeyFullScreen = true;  // F4
  bool KeyGameInfo = true;    // F1
  bool KeyEndGame = true;     // Esc
  bool KeySaveLoad = true;    // F5 and F6
  // 0 normal, 1 above normal, 2 high; other values as 0.
  int32_t Priority = 0;
  bool FreezeOnLoseFocus = false;
  bool ShowProgressBar = true;
  // BMP files as stored; empty for none. The bar images are stored only
  // while ShowProgressBar is set.
  std::vector<uint8_t> ProgressBackImage;
  std::vector<uint8_t> ProgressFrontImage;
  std::vector<uint8_t> LoadingImage;
  bool LoadingImageTransparent = false;
  int32_t LoadingImageAlpha = 255;
  bool ScaleProgressBar = true;
  bool ShowErrors = true;
  bool WriteErrorLog = false;
  bool AbortOnError = false;
  bool UninitializedIsZero = false;
  std::vector<GameConstant> Constants;

  // Every field back to its default: no images, no constants.
  void Reset() { *this = GameSettings(); }

  // Resets, then reads the record; false for a version other than 600.
  // Truncated data throws StreamError.
  bool Read(CStream& stream);
  void Write(CStream& stream) const;
};

// The settings of the running game.
GameSettings& Settings();

}  // namespace vendrel::runner
