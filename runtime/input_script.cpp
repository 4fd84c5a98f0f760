#include "runtime/input_script.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "code/constants.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace vendrel::runtime {

namespace {

using Kind = ScriptedInput::Kind;

template <class T>
bool ParseNumber(std::string_view text, T& value) {
  if (text.empty()) return false;
  auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
  return problem == std::errc() && end == text.data() + text.size();
}

// Splits [line] at blanks, keeping a double-quoted field (with its
// escapes) as one word. False for an unterminated quote or bad escape.
bool SplitWords(std::string_view line, std::vector<std::string>& words, bool& quoted_last,
                std::string& error) {
  words.clear();
  quoted_last = false;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] != '"') {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        word += line[i++];
      words.push_back(word);
      quoted_last = false;
      continue;
    }
    ++i;
    bool closed = false;
    while (i < line.size()) {
      const char c = line[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\') {
        word += c;
        continue;
      }
      if (i >= line.size()) break;
      switch (line[i++]) {
        case '"': word += '"'; break;
        case '\\': word += '\\'; break;
        case 'n': word += '\n'; break;
        case 't': word += '\t'; break;
        case 'b': word += '\b'; break;
        case 'r': word += '\r'; break;
        default:
          error = "unknown escape in text";
          return false;
      }
    }
    if (!closed) {
      error = "text without its closing quote";
      return false;
    }
    words.push_back(word);
    quoted_last = true;
  }
  return true;
}

int ButtonNumber(std::string_view name) {
  if (name == "1" || name == "left") return 1;
  if (name == "2" || name == "right") return 2;
  if (name == "3" || name == "middle") return 3;
  return 0;
}

int AxisNumber(std::string_view name) {
  static constexpr std::string_view kAxes[] = {"x", "y", "z", "r", "u", "v"};
  for (int i = 0; i < 6; ++i)
    if (name == kAxes[i]) return i;
  return -1;
}

// UTF-8 text as Windows-1252 bytes; false when a character has no byte.
bool ToGameText(const std::string& text, std::string& out) {
  out = platform::HostNameToGame(text);
  // Names that cannot be converted come back unchanged: any byte of 0x80
  // or more then still belongs to a UTF-8 sequence.
  if (out == text && std::any_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
    return false;
  return true;
}

bool ParseLine(const std::vector<std::string>& words, bool quoted_last, ScriptedInput& event,
               std::string& error) {
  if (!ParseNumber(std::string_view(words[0]), event.step) || event.step < 0) {
    error = "the step must be a number, not \"" + words[0] + "\"";
    return false;
  }
  if (words.size() < 2) {
    error = "an event must follow the step";
    return false;
  }
  const std::string& name = words[1];
  const size_t argc = words.size() - 2;
  auto need = [&](size_t count) {
    if (argc == count) return true;
    error = name + " takes " + std::to_string(count) + " value" + (count == 1 ? "" : "s");
    return false;
  };
  auto integer = [&](const std::string& text, int& value, const char* what) {
    if (ParseNumber(std::string_view(text), value)) return true;
    error = std::string(what) + " must be a whole number, not \"" + text + "\"";
    return false;
  };
  if (name == "key_down" || name == "key_up") {
    if (!need(1)) return false;
    event.kind = name == "key_down" ? Kind::kKeyDown : Kind::kKeyUp;
    event.a = ScriptKeyCode(words[2]);
    if (event.a < 0) {
      error = "unknown key \"" + words[2] + "\"";
      return false;
    }
  } else if (name == "mouse_move") {
    if (!need(2)) return false;
    event.kind = Kind::kMouseMove;
    if (!integer(words[2], event.a, "X") || !integer(words[3], event.b, "Y")) return false;
  } else if (name == "mouse_down" || name == "mouse_up") {
    if (!need(1)) return false;
    event.kind = name == "mouse_down" ? Kind::kMouseDown : Kind::kMouseUp;
    event.a = ButtonNumber(words[2]);
    if (event.a == 0) {
      error = "unknown mouse button \"" + words[2] + "\"";
      return false;
    }
  } else if (name == "wheel") {
    if (!need(1)) return false;
    if (words[2] != "up" && words[2] != "down") {
      error = "wheel goes up or down, not \"" + words[2] + "\"";
      return false;
    }
    event.kind = words[2] == "up" ? Kind::kWheelUp : Kind::kWheelDown;
  } else if (name == "text") {
    if (!need(1)) return false;
    if (!quoted_last) {
      error = "text must be in double quotes";
      return false;
    }
    event.kind = Kind::kText;
    if (!ToGameText(words[2], event.text)) {
      error = "text holds a character that Windows-1252 lacks";
      return false;
    }
  } else if (name == "close") {
    if (!need(0)) return false;
    event.kind = Kind::kClose;
  } else if (name == "joystick_axis") {
    if (!need(3)) return false;
    event.kind = Kind::kJoystickAxis;
    if (!integer(words[2], event.a, "the joystick id")) return false;
    event.b = AxisNumber(words[3]);
    if (event.b < 0) {
      error = "unknown joystick axis \"" + words[3] + "\" (x y z r u v)";
      return false;
    }
    if (!ParseNumber(std::string_view(words[4]), event.value) || !(std::fabs(event.value) <= 1.0)) {
      error = "the axis position must lie in -1..1, not \"" + words[4] + "\"";
      return false;
    }
  } else if (name == "joystick_button") {
    if (!need(3)) return false;
    if (!integer(words[2], event.a, "the joystick id") ||
        !integer(words[3], event.b, "the button"))
      return false;
    if (event.b < 1 || event.b > 32) {
      error = "joystick buttons are 1..32";
      return false;
    }
    if (words[4] != "down" && words[4] != "up") {
      error = "a joystick button goes down or up, not \"" + words[4] + "\"";
      return false;
    }
    event.kind = words[4] == "down" ? Kind::kJoystickButtonDown : Kind::kJoystickButtonUp;
  } else if (name == "joystick_pov") {
    if (!need(2)) return false;
    event.kind = Kind::kJoystickPov;
    if (!integer(words[2], event.a, "the joystick id")) return false;
    if (!ParseNumber(std::string_view(words[3]), event.value) ||
        !(event.value == -1.0 || (event.value >= 0.0 && event.value < 360.0))) {
      error = "the hat angle must be -1 or lie in 0..359, not \"" + words[3] + "\"";
      return false;
    }
  } else {
    error = "unknown event \"" + name + "\"";
    return false;
  }
  return true;
}

}  // namespace

int ScriptKeyCode(std::string_view name) {
  int code = -1;
  if (ParseNumber(name, code)) return code >= 0 && code <= 255 ? code : -1;
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    return c >= 'A' && c <= 'Z' ? c : -1;
  }
  if (name.starts_with("vk_")) {
    interp::RValue value;
    if (code::FindConstant(name, value) && value.IsReal()) return int(value.real);
  }
  return -1;
}

bool ParseInputScript(std::string_view script, std::vector<ScriptedInput>& events,
                      std::string& error) {
  events.clear();
  std::vector<std::string> words;
  int line_number = 0;
  size_t start = 0;
  while (start <= script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string_view::npos) end = script.size();
    const std::string_view line = script.substr(start, end - start);
    start = end + 1;
    ++line_number;
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') continue;
    bool quoted_last = false;
    std::string reason;
    if (!SplitWords(line, words, quoted_last, reason)) {
      error = "line " + std::to_string(line_number) + ": " + reason;
      return false;
    }
    ScriptedInput event;
    if (!ParseLine(words, quoted_last, event, reason)) {
      error = "line " + std::to_string(line_number) + ": " + reason;
      return false;
    }
    events.push_back(std::move(event));
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const ScriptedInput& a, const ScriptedInput& b) { return a.step < b.step; });
  return true;
}

bool LoadInputScript(const std::string& file, std::vector<ScriptedInput>& events,
                     std::string& error) {
  std::string contents;
  if (!platform::ReadWholeFile(file, contents)) {
    error = "Cannot read the input file \"" + file + "\".";
    return false;
  }
  std::string reason;
  if (!ParseInputScript(contents, events, reason)) {
    error = "Input file \"" + file + "\", " + reason + ".";
    return false;
  }
  return true;
}

}  // namespace vendrel::runtime
