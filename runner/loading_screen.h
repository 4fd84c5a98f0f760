// The loading screen: progress while the game data is read and prepared.
#pragma once

#include <functional>
#include <string_view>

namespace vendrel::runner {

// Shows [percent] and [text]. Headless runs print a progress line on stderr;
// with a window the drawing layer installs its own display.
void ShowProgress(int percent, std::string_view text);

// Replaces how progress is shown (the window's loading screen); an empty
// function restores the default.
void SetProgressDisplay(std::function<void(int, std::string_view)> display);

}  // namespace vendrel::runner
