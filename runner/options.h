// The command line of vrun: options before GAME, the game's own parameters
// after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vendrel::runner {

struct Screenshot {
  int64_t frame;
  std::string file;
};

struct RunOptions {
  bool help = false;
  bool version = false;
  bool headless = false;       // no window, no sound device, dialogs take their default
  bool no_wait = false;        // virtual clock: no frame wait
  int64_t frames = -1;         // end after this many steps; -1: run until the game ends
  std::optional<uint32_t> seed;
  std::vector<Screenshot> screenshots;
  std::string audio_out;       // write the mixed sound here instead of playing it
  std::string input;           // scripted keyboard, mouse and joystick input (runtime/input_script.h)
  std::string game;            // empty: the container is in vrun's own file
  // parameter_string(0) is the game file, then what followed it.
  std::vector<std::string> game_parameters;
};

struct CommandLine {
  RunOptions options;
  std::string error;  // empty when the command line is valid
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

const char* UsageText();

// The options of this run, for the subsystems that honour them.
const RunOptions& CurrentOptions();
void SetCurrentOptions(RunOptions options);

}  // namespace vendrel::runner
