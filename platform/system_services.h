// Services of the desktop the game runs on: process priority, the clipboard
// and the game window's system id.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel::platform {

// Applies a priority level from -3 (idle) to 3 (real time) as a nice value.
// Raising the priority needs privileges a player rarely has; a refused change
// leaves the priority as it was.
void SetProcessPriorityLevel(int level);

// The clipboard holds game text (Windows-1252). With a window system it is
// the desktop's clipboard; headless runs keep a clipboard of their own.
bool ClipboardHasText();
std::string ClipboardGameText();
void SetClipboardGameText(std::string_view text);

// The window system's id of an SDL window (the X11 window id), 0 when there
// is none.
uint64_t NativeWindowId(void* sdl_window);

// Windows-1252 bytes to UTF-8 and back; characters outside the code page
// become "?".
std::string Utf8FromCp1252(std::string_view text);
std::string Cp1252FromUtf8(std::string_view text);

}  // namespace vendrel::platform
