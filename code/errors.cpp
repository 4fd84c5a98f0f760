#include "code/errors.h"

#include "platform/files.h"
#include "platform/message_box.h"

namespace vendrel::code {

ErrorState& Errors() {
  static ErrorState state;
  return state;
}

void ShowError(std::string_view message, bool abort) {
  ErrorState& state = Errors();
  if (state.aborting) return;
  int chosen = abort ? platform::ShowMessageBox("Error", message, platform::MessageIcon::Error,
                                                {"Abort"}, 0)
                     : platform::ShowMessageBox("Error", message, platform::MessageIcon::Error,
                                                {"Abort", "Ignore"}, 1);
  if (chosen == 0) abort = true;
  platform::AppendToFile("game_errors.log", std::string(message) + "\r\n\r\n\r\n",
                         !state.log_written);
  state.log_written = true;
  state.last_error = std::string(message);
  state.error_occurred = true;
  if (abort) state.aborting = true;
}

void ShowRunError(std::string_view message, bool fatal) {
  std::string text = fatal ? "FATAL ERROR in\r\n" : "ERROR in\r\n";
  text += message;
  ShowError(text, fatal);
}

}  // namespace vendrel::code
