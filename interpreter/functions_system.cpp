// Built-in functions that reach the desktop: debug messages, process
// priority, the clipboard and the game window's handle.
#include <cstdio>

#include "code/function_registry.h"
#include "graphics/device.h"
#include "interpreter/function_families.h"
#include "platform/system_services.h"
#include "platform/window.h"

namespace vendrel::interp {

namespace {

// There is no debug window yet: messages go to the terminal, each followed
// by an empty line as in the Messages list.
VENDREL_BUILTIN(ShowDebugMessage) {
  const std::string& text = ArgString(args[0]);
  std::fprintf(stderr, "%s\n\n", platform::Utf8FromCp1252(text).c_str());
  std::fflush(stderr);
}

VENDREL_BUILTIN(SetProgramPriority) {
  platform::SetProcessPriorityLevel(int(ArgInt(args[0])));
}

VENDREL_BUILTIN(WindowHandle) {
  platform::Window* window = graphics::DeviceWindow();
  result.SetReal(double(platform::NativeWindowId(window != nullptr ? window->NativeHandle() : nullptr)));
}

VENDREL_BUILTIN(ClipboardHasText) { result.SetReal(platform::ClipboardHasText() ? 1 : 0); }

VENDREL_BUILTIN(ClipboardGetText) { result.SetString(platform::ClipboardGameText()); }

VENDREL_BUILTIN(ClipboardSetText) { platform::SetClipboardGameText(ArgString(args[0])); }

const code::FunctionTableRow kSystemFunctions[] = {
    {"show_debug_message", 1, ShowDebugMessage},
    {"set_program_priority", 1, SetProgramPriority},
    {"window_handle", 0, WindowHandle},
    {"clipboard_has_text", 0, ClipboardHasText},
    {"clipboard_get_text", 0, ClipboardGetText},
    {"clipboard_set_text", 1, ClipboardSetText},
};

}  // namespace

void RegisterSystemFunctions() { code::RegisterFamily(kSystemFunctions); }

}  // namespace vendrel::interp
