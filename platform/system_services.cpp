#include "platform/system_services.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <sys/resource.h>

#include "platform/message_box.h"

namespace vendrel::platform {

namespace {

// Unicode code points of the bytes 0x80..0x9F in Windows-1252; 0 where the
// code page leaves the byte undefined (kept as the same code point).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t CodePointOfByte(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0 && kCp1252High[byte - 0x80] != 0)
    return kCp1252High[byte - 0x80];
  return byte;
}

std::string g_own_clipboard;

bool UseDesktopClipboard() { return !IsHeadless() && SDL_WasInit(SDL_INIT_VIDEO) != 0; }

}  // namespace

void SetProcessPriorityLevel(int level) {
  static constexpr int kNiceOfLevel[] = {19, 10, 5, 0, -5, -10, -20};
  int nice_value = level >= -3 && level <= 3 ? kNiceOfLevel[level + 3] : 0;
  ::setpriority(PRIO_PROCESS, 0, nice_value);  // refused without privileges: ignored
}

bool ClipboardHasText() {
  if (UseDesktopClipboard()) return SDL_HasClipboardText() == SDL_TRUE;
  return !g_own_clipboard.empty();
}

std::string ClipboardGameText() {
  if (!UseDesktopClipboard()) return g_own_clipboard;
  char* text = SDL_GetClipboardText();
  std::string game_text = text != nullptr ? Cp1252FromUtf8(text) : std::string();
  SDL_free(text);
  return game_text;
}

void SetClipboardGameText(std::string_view text) {
  if (UseDesktopClipboard()) {
    SDL_SetClipboardText(Utf8FromCp1252(text).c_str());
  } else {
    g_own_clipboard = std::string(text);
  }
}

uint64_t NativeWindowId(void* sdl_window) {
  if (sdl_window == nullptr) return 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdl_window), &info)) return 0;
#if defined(SDL_VIDEO_DRIVER_X11)
  if (info.subsystem == SDL_SYSWM_X11) return uint64_t(info.info.x11.window);
#endif
  return 0;
}

std::string Utf8FromCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char byte : text) {
    char32_t c = CodePointOfByte(uint8_t(byte));
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Cp1252FromUtf8(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    uint8_t lead = uint8_t(text[i]);
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 4;
    char32_t c = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    bool valid = i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
      uint8_t next = uint8_t(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    i += valid ? length : 1;
    char byte = '?';
    if (valid && c < 0x80) {
      byte = char(c);
    } else if (valid && c >= 0x80 && c < 0x100 &&
               (c >= 0xA0 || kCp1252High[c - 0x80] == 0)) {
      byte = char(c);  // Latin-1, or a byte the code page leaves undefined
    } else if (valid) {
      for (int k = 0; k < 32; ++k)
        if (kCp1252High[k] == c) byte = char(0x80 + k);
    }
    out += byte;
  }
  return out;
}

}  // namespace vendrel::platform
