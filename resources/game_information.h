// The game information: a rich-text page with the settings of the window
// that shows it (F1 and show_info).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/stream.h"

namespace vendrel::resources {

struct GameInformation {
  static constexpr int32_t kRecordVersion = 600;

  // Colour of the text area, as a Windows colour value.
  int32_t background_color = 0xFFFFFF;
  // When shown, the window covers the game window's client area.
  bool in_game_window = false;
  std::string caption = "Game Information";
  // Negative left or top: centred on the screen.
  int32_t left = -1;
  int32_t top = -1;
  int32_t width = 600;
  int32_t height = 400;
  bool border = true;
  bool sizeable = true;
  bool stay_on_top = false;
  bool modal = true;
  // The information text as rich text, exactly as stored.
  std::vector<uint8_t> text;

  // Reads the record; false for another version.
  bool Read(runner::CStream& stream);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
