// Modal message boxes. With a window system they are SDL message boxes;
// in a headless run the text is echoed and the default button is chosen.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace vendrel::platform {

enum class MessageIcon { Information, Warning, Error };

// Headless runs open no window and no sound device; set once at start-up.
void SetHeadless(bool headless);
bool IsHeadless();

// Shows [text] with the given buttons (left to right) and returns the index
// of the one chosen. Headless: prints the caption and text on [to_stderr] ?
// stderr : stdout and returns [default_button].
int ShowMessageBox(std::string_view caption, std::string_view text, MessageIcon icon,
                   std::initializer_list<const char*> buttons, int default_button,
                   bool to_stderr = false);

}  // namespace vendrel::platform
