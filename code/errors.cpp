#include "code/errors.h"

#include <algorithm>

#include "code/code.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace vendrel::code {

namespace {

constexpr char kCR = '\r';
constexpr const char* kLogFile = "game_errors.log";
const std::string kUndefined = "<undefined>";

std::string NameOrUndefined(std::string (*hook)(int), int index) {
  if (hook == nullptr) return kUndefined;
  std::string name = hook(index);
  return name.empty() ? kUndefined : name;
}

}  // namespace

ErrorState& Errors() {
  static ErrorState state;
  return state;
}

ErrorOptions& ErrorSettings() {
  static ErrorOptions options;
  return options;
}

RunErrorContext& ErrorContext() {
  static RunErrorContext context;
  return context;
}

ErrorHooks& ErrorCallbacks() {
  static ErrorHooks hooks;
  return hooks;
}

void ReportError(const CCode& code, int position, std::string_view message) {
  ErrorState& state = Errors();
  if (state.pending) return;
  state.pending = true;

  const std::string& source = code.source;
  const int length = int(source.size());
  position = std::max(std::min(position, length), 1);
  // Lines are counted by carriage returns alone; a line feed is an ordinary
  // character of the following line.
  int line = 1;
  int line_start = 0;  // 0-based index of the line's first character
  for (int i = 0; i < position && i < length; ++i) {
    if (source[size_t(i)] == kCR) {
      ++line;
      line_start = i + 1;
    }
  }
  const int column = position - line_start;
  size_t line_end = source.find(kCR, size_t(line_start));
  if (line_end == std::string::npos) line_end = source.size();
  std::string_view line_text =
      std::string_view(source).substr(size_t(std::min(line_start, length)),
                                      line_end - size_t(std::min(line_start, length)));

  std::string text;
  if (code.kind == CodeKind::Program) {
    text = "Error in code at line " + std::to_string(line) + ":" + kCR + "   ";
    text += line_text;
    text += kCR;
    text += kCR;
    text += "at position " + std::to_string(column) + ": ";
  } else {
    text = "Error in expression:" + source + kCR + " position " + std::to_string(column) + ": ";
  }
  text += message;
  state.text = std::move(text);
}

void ShowError(std::string_view message, bool abort) {
  ErrorState& state = Errors();
  const ErrorOptions& options = ErrorSettings();
  if (state.aborting) return;
  if (options.abort_on_error) abort = true;
  if (options.show_errors) {
    int chosen = abort ? platform::ShowMessageBox("Error", message, platform::MessageIcon::Error,
                                                  {"Abort"}, 0)
                       : platform::ShowMessageBox("Error", message, platform::MessageIcon::Error,
                                                  {"Abort", "Ignore"}, 1);
    if (chosen == 0) abort = true;
  }
  if (options.write_error_log) {
    // A failing log file must never disturb the game.
    platform::AppendToFile(kLogFile, std::string(message) + "\r\n\r\n\r\n", !state.log_written);
    state.log_written = true;
  }
  state.last_error = std::string(message);
  state.error_occurred = true;
  if (abort) {
    state.aborting = true;
    if (ErrorCallbacks().request_abort != nullptr) ErrorCallbacks().request_abort();
  }
}

void ShowRunError(std::string_view message, bool fatal) {
  const RunErrorContext& context = ErrorContext();
  const ErrorHooks& hooks = ErrorCallbacks();
  std::string text = fatal ? "FATAL ERROR in\r\n" : "ERROR in\r\n";
  text += "action number " + std::to_string(context.action_index + 1) + "\r\n";
  if (context.event_type == kTimeLineEvent) {
    text += "at time step " + std::to_string(context.event_number) + "\r\n";
    text += "of time line " + NameOrUndefined(hooks.time_line_name, context.object_index);
  } else {
    std::string event = hooks.event_name != nullptr
                            ? hooks.event_name(context.event_type, context.event_number)
                            : std::string();
    text += "of " + (event.empty() ? kUndefined : event) + "\r\n";
    text += "for object " + NameOrUndefined(hooks.object_name, context.object_index);
  }
  text += ":\r\n\r\n";
  text += message;
  ShowError(text, fatal);
}

}  // namespace vendrel::code
