#include "runner/options.h"

#include <charconv>

namespace vendrel::runner {

namespace {

RunOptions g_options;

template <class T>
bool ParseNumber(const std::string& text, T& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

const char* UsageText() {
  return "Usage: vrun [OPTIONS] GAME [GAME-PARAMETERS...]\n"
         "Plays a Vendrel 6 game file. Without GAME, plays the game stored in vrun itself.\n"
         "\n"
         "Options:\n"
         "  --help                  show this text and exit\n"
         "  --version               show the version and exit\n"
         "  --headless              no window and no sound device; dialogs take their default\n"
         "  --frames N              end the game after N steps\n"
         "  --no-wait               do not wait between frames (virtual clock)\n"
         "  --seed N                fix the seed of the random numbers\n"
         "  --screenshot N:FILE.png save frame N as a PNG file (may be repeated)\n"
         "  --audio-out FILE.wav    write the mixed sound to a file instead of playing it\n"
         "  --input FILE            play scripted input, one \"STEP EVENT ...\" per line, e.g.\n"
         "                          \"3 key_down vk_left\" (format: runtime/README.md)\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine result;
  RunOptions& options = result.options;
  size_t i = 0;
  auto value_of = [&](const std::string& option, std::string& value) {
    if (i + 1 >= arguments.size()) {
      result.error = "option " + option + " needs a value";
      return false;
    }
    value = arguments[++i];
    return true;
  };
  for (; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string value;
    if (argument == "--") {
      ++i;
      break;
    } else if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else if (argument == "--headless") {
      options.headless = true;
    } else if (argument == "--no-wait") {
      options.no_wait = true;
    } else if (argument == "--frames") {
      if (!value_of(argument, value)) return result;
      if (!ParseNumber(value, options.frames) || options.frames < 0) {
        result.error = "--frames needs a number of steps, not \"" + value + "\"";
        return result;
      }
    } else if (argument == "--seed") {
      if (!value_of(argument, value)) return result;
      uint32_t seed;
      if (!ParseNumber(value, seed)) {
        result.error = "--seed needs a number from 0 to 4294967295, not \"" + value + "\"";
        return result;
      }
      options.seed = seed;
    } else if (argument == "--screenshot") {
      if (!value_of(argument, value)) return result;
      size_t colon = value.find(':');
      Screenshot shot{};
      if (colon == std::string::npos || colon + 1 == value.size() ||
          !ParseNumber(value.substr(0, colon), shot.frame) || shot.frame < 0) {
        result.error = "--screenshot needs FRAME:FILE.png, not \"" + value + "\"";
        return result;
      }
      shot.file = value.substr(colon + 1);
      options.screenshots.push_back(shot);
    } else if (argument == "--audio-out") {
      if (!value_of(argument, value)) return result;
      options.audio_out = value;
    } else if (argument == "--input") {
      if (!value_of(argument, value)) return result;
      options.input = value;
    } else if (argument.size() > 1 && argument[0] == '-') {
      result.error = "unknown option " + argument;
      return result;
    } else {
      break;
    }
  }
  if (i < arguments.size()) {
    options.game = arguments[i];
    options.game_parameters.assign(arguments.begin() + long(i), arguments.end());
  }
  return result;
}

const RunOptions& CurrentOptions() { return g_options; }
void SetCurrentOptions(RunOptions options) { g_options = std::move(options); }

}  // namespace vendrel::runner
