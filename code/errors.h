// Error reporting for game code: the first compile or run-time error of a
// piece of code is recorded (ReportError), then shown to the player and
// appended to "game_errors.log" (ShowError, ShowRunError).
#pragma once

#include <string>
#include <string_view>

namespace vendrel::code {

class CCode;

struct ErrorState {
  bool pending = false;      // reported, not yet dealt with; further reports ignored
  std::string text;          // formatted message of the pending error
  std::string last_error;    // error_last
  bool error_occurred = false;
  bool aborting = false;     // never cleared once set
  bool log_written = false;  // the log has been emptied by this run's first error
};

ErrorState& Errors();

// How errors are shown; the runner copies these from the game settings.
struct ErrorOptions {
  bool abort_on_error = false;
  bool show_errors = true;
  bool write_error_log = true;
};

ErrorOptions& ErrorSettings();

// Where a run-time error happened, set by whoever runs actions and events.
// An event type of kTimeLineEvent means a time-line moment: the object index
// is then the time line's index and the event number the moment's step.
inline constexpr int kTimeLineEvent = 100000;

struct RunErrorContext {
  int object_index = -1;
  int event_type = 0;
  int event_number = 0;
  int action_index = 0;  // 0-based
};

RunErrorContext& ErrorContext();

// Services the game runtime provides once it exists. Each may stay empty:
// a missing name reads "<undefined>", a missing abort handler only sets
// the aborting flag.
struct ErrorHooks {
  // The name of an object or a time line, or "" when there is none.
  std::string (*object_name)(int object_index) = nullptr;
  std::string (*time_line_name)(int time_line_index) = nullptr;
  // The name of an event, such as "Step Event".
  std::string (*event_name)(int event_type, int event_number) = nullptr;
  // Sets the pending room change to -400, which ends the game.
  void (*request_abort)() = nullptr;
};

ErrorHooks& ErrorCallbacks();

// The pending room change that an abort requests.
inline constexpr int kAbortRoomChange = -400;

// Records the first error of a compilation or execution of [code] at the
// 1-based source [position]: formats Errors().text with line and column
// and sets Errors().pending. Ignored while an error is pending.
void ReportError(const CCode& code, int position, std::string_view message);

// Shows and logs [message]; [abort] (or the AbortOnError setting, or the
// player's choice) aborts the game.
void ShowError(std::string_view message, bool abort);
// Prefixes the run-time error context ("ERROR in ... action number ...") and
// shows the message; fatal errors abort the game.
void ShowRunError(std::string_view message, bool fatal);

}  // namespace vendrel::code
