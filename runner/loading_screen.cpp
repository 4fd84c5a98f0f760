#include "runner/loading_screen.h"

#include <cstdio>
#include <utility>

#include "platform/message_box.h"

namespace vendrel::runner {

namespace {
std::function<void(int, std::string_view)> g_display;
}

void ShowProgress(int percent, std::string_view text) {
  if (g_display) {
    g_display(percent, text);
  } else if (platform::IsHeadless()) {
    std::fprintf(stderr, "[%3d%%] %.*s\n", percent, int(text.size()), text.data());
  }
}

void SetProgressDisplay(std::function<void(int, std::string_view)> display) {
  g_display = std::move(display);
}

}  // namespace vendrel::runner
