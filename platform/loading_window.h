// A small borderless window that shows a finished picture: the loading
// screen. It is drawn in software (SDL's window surface, no OpenGL), so it
// can stay open while the game window's OpenGL device is set up, without
// touching that device's context. While it is open the mouse cursor is the
// busy (wait) cursor.
//
// A colour key makes the pixels of one colour see-through. On X11 this is a
// shaped window (the SHAPE extension): those pixels are cut out of the
// window. Where no shaped window can be made (Wayland, or an X server
// without the extension), the window stays rectangular and those pixels
// show their own colour.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vendrel::platform {

// The rectangle of the first display, in screen coordinates.
struct ScreenArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The first display, when a real display server is there (not the
// in-memory driver, not headless). False, with the reason in [error],
// otherwise.
bool LoadingScreenArea(ScreenArea& area, std::string* error);

struct LoadingWindowOptions {
  // Position of the window (screen coordinates) and its client size.
  int x = 0;
  int y = 0;
  int width = 1;
  int height = 1;
  // 0 (invisible) to 255 (opaque), for the whole window.
  int opacity = 255;
  // Pixels of [color_key] (0xRRGGBB) are see-through, when [use_color_key].
  bool use_color_key = false;
  uint32_t color_key = 0;
};

class LoadingWindow {
 public:
  // Opens the window, hidden until the first Present. Gives nullptr, with
  // the reason in [error], when there is no display server or the window
  // cannot be made.
  static std::unique_ptr<LoadingWindow> Create(const LoadingWindowOptions& options,
                                               std::string* error);
  ~LoadingWindow();
  LoadingWindow(const LoadingWindow&) = delete;
  LoadingWindow& operator=(const LoadingWindow&) = delete;

  // Shows [pixels]: width * height words 0xAARRGGBB (alpha ignored), rows
  // from the top, in the client size given at creation. The first call
  // shows the window.
  void Present(const uint32_t* pixels);

  // Handles the window events waiting in the queue: repaints after an
  // exposure and drops the input aimed at this window, so that it never
  // reaches the game. Events of other windows stay queued.
  void PumpEvents();

  // Whether see-through pixels are really cut out (a shaped window).
  bool Shaped() const { return shaped_; }

 private:
  LoadingWindow() = default;
  void DropOwnEvents();

  void* window_ = nullptr;   // SDL_Window
  void* picture_ = nullptr;  // SDL_Surface holding the last picture
  void* cursor_ = nullptr;   // SDL_Cursor
  uint32_t window_id_ = 0;
  int x_ = 0;
  int y_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool shaped_ = false;
  bool shown_ = false;
  uint32_t color_key_ = 0;
};

}  // namespace vendrel::platform
