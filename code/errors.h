// Error reporting for game code: the first compile or run-time error of a
// piece of code is recorded (ReportError), then shown to the player and
// appended to "game_errors.log" (ShowError, ShowRunError).
#pragma once

#include <string>
#include <string_view>

namespace vendrel::code {

struct ErrorState {
  bool pending = false;      // reported, not yet dealt with; further reports ignored
  std::string text;          // formatted message of the pending error
  std::string last_error;    // error_last
  bool error_occurred = false;
  bool aborting = false;     // never cleared once set
  bool log_written = false;  // the log has been emptied by this run's first error
};

ErrorState& Errors();

// Shows and logs [message]; [abort] (or the AbortOnError setting, or the
// player's choice) aborts the game.
void ShowError(std::string_view message, bool abort);
// Prefixes the run-time error context ("ERROR in ... action number ...") and
// shows the message; fatal errors abort the game.
void ShowRunError(std::string_view message, bool fatal);

}  // namespace vendrel::code
