#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vendrel::platform {

namespace {
bool g_headless = false;
}

void SetHeadless(bool headless) { g_headless = headless; }
bool IsHeadless() { return g_headless; }

int ShowMessageBox(std::string_view caption, std::string_view text, MessageIcon icon,
                   std::initializer_list<const char*> buttons, int default_button,
                   bool to_stderr) {
  // Game texts use CR or CR LF line ends; a terminal and SDL want LF.
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      shown += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      shown += text[i];
    }
  }
  if (g_headless) {
    std::FILE* out = to_stderr ? stderr : stdout;
    std::fprintf(out, "%.*s\n", int(shown.size()), shown.data());
    std::fflush(out);
    return default_button;
  }
  std::vector<SDL_MessageBoxButtonData> data;
  int id = 0;
  for (const char* label : buttons) {
    Uint32 flags = id == default_button ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
    data.push_back({flags, id++, label});
  }
  Uint32 kind = icon == MessageIcon::Error     ? SDL_MESSAGEBOX_ERROR
                : icon == MessageIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                               : SDL_MESSAGEBOX_INFORMATION;
  std::string title(caption);
  SDL_MessageBoxData box{kind, nullptr, title.c_str(), shown.c_str(), int(data.size()),
                         data.data(), nullptr};
  int chosen = default_button;
  if (SDL_ShowMessageBox(&box, &chosen) != 0) {
    // No window system after all: fall back to the terminal.
    std::fprintf(stderr, "%s\n", shown.c_str());
    return default_button;
  }
  return chosen < 0 ? default_button : chosen;
}

}  // namespace vendrel::platform
