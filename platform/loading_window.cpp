#include "platform/loading_window.h"

#include <SDL.h>
#include <SDL_shape.h>

#include <cstring>

#include "platform/message_box.h"
#include "platform/window.h"

namespace vendrel::platform {

namespace {

SDL_Window* Sdl(void* handle) { return static_cast<SDL_Window*>(handle); }
SDL_Surface* Surface(void* handle) { return static_cast<SDL_Surface*>(handle); }

// Starts the video subsystem and checks that it talks to a real display.
// On success the caller owns one AcquireVideo.
bool AcquireRealDisplay(std::string* error) {
  if (IsHeadless()) {
    if (error) *error = "headless run";
    return false;
  }
  if (!AcquireVideo(error)) return false;
  std::string driver = VideoDriverName();
  if (driver == "offscreen" || driver == "dummy") {
    ReleaseVideo();
    if (error) *error = "no display server";
    return false;
  }
  return true;
}

// The window id an input or window event is aimed at, or 0.
Uint32 EventWindow(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTEDITING: return event.edit.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    default: return 0;
  }
}

struct EventFilter {
  Uint32 window_id = 0;
  bool exposed = false;
};

// SDL_FilterEvents callback: 0 drops the event.
int DropEventsOfWindow(void* data, SDL_Event* event) {
  auto* filter = static_cast<EventFilter*>(data);
  if (filter->window_id == 0 || EventWindow(*event) != filter->window_id) return 1;
  if (event->type == SDL_WINDOWEVENT && event->window.event == SDL_WINDOWEVENT_EXPOSED)
    filter->exposed = true;
  return 0;
}

}  // namespace

bool LoadingScreenArea(ScreenArea& area, std::string* error) {
  if (!AcquireRealDisplay(error)) return false;
  SDL_Rect bounds;
  bool ok = SDL_GetDisplayBounds(0, &bounds) == 0;
  if (ok) {
    area = {bounds.x, bounds.y, bounds.w, bounds.h};
  } else if (error) {
    *error = SDL_GetError();
  }
  ReleaseVideo();
  return ok;
}

std::unique_ptr<LoadingWindow> LoadingWindow::Create(const LoadingWindowOptions& options,
                                                     std::string* error) {
  if (!AcquireRealDisplay(error)) return nullptr;
  std::unique_ptr<LoadingWindow> window(new LoadingWindow());
  window->x_ = options.x;
  window->y_ = options.y;
  window->width_ = options.width > 0 ? options.width : 1;
  window->height_ = options.height > 0 ? options.height : 1;
  window->color_key_ = options.color_key;

  // The window surface must be plain memory sent to the X server: a surface
  // kept in an OpenGL texture would make its own context current whenever
  // the window is updated, under the feet of the game's device.
  if (SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION) == nullptr)
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");

  const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
  SDL_Window* sdl = nullptr;
  if (options.use_color_key) {
    // A shaped window starts off screen; it moves into place when its
    // first shape is set (Present).
    sdl = SDL_CreateShapedWindow("", 0, 0, unsigned(window->width_), unsigned(window->height_),
                                 flags);
    window->shaped_ = sdl != nullptr;
  }
  if (sdl == nullptr)
    sdl = SDL_CreateWindow("", options.x, options.y, window->width_, window->height_, flags);
  if (sdl == nullptr) {
    if (error) *error = SDL_GetError();
    ReleaseVideo();
    return nullptr;
  }
  window->window_ = sdl;
  window->window_id_ = SDL_GetWindowID(sdl);
  if (options.opacity < 255) {
    float opacity = options.opacity <= 0 ? 0.0f : float(options.opacity) / 255.0f;
    SDL_SetWindowOpacity(sdl, opacity);  // needs a compositor to show
  }
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, window->width_, window->height_, 32,
                                                        SDL_PIXELFORMAT_ARGB8888);
  if (picture == nullptr) {
    if (error) *error = SDL_GetError();
    return nullptr;  // the destructor closes the window
  }
  SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
  window->picture_ = picture;
  if (SDL_Cursor* cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT)) {
    window->cursor_ = cursor;
    SDL_SetCursor(cursor);
  }
  return window;
}

LoadingWindow::~LoadingWindow() {
  if (cursor_ != nullptr) {
    SDL_SetCursor(SDL_GetDefaultCursor());
    SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor_));
  }
  if (picture_ != nullptr) SDL_FreeSurface(Surface(picture_));
  if (window_ != nullptr) {
    SDL_DestroyWindow(Sdl(window_));
    // What the window received before it closed is of no use to anyone.
    SDL_PumpEvents();
    DropOwnEvents();
    ReleaseVideo();
  }
}

void LoadingWindow::Present(const uint32_t* pixels) {
  SDL_Surface* picture = Surface(picture_);
  SDL_Window* window = Sdl(window_);
  if (SDL_MUSTLOCK(picture)) SDL_LockSurface(picture);
  for (int y = 0; y < height_; ++y) {
    std::memcpy(static_cast<uint8_t*>(picture->pixels) + size_t(y) * size_t(picture->pitch),
                pixels + size_t(y) * size_t(width_), size_t(width_) * 4);
  }
  if (SDL_MUSTLOCK(picture)) SDL_UnlockSurface(picture);

  if (shaped_) {
    // The bar moves over the picture, so the shape follows every picture.
    SDL_WindowShapeMode mode;
    mode.mode = ShapeModeColorKey;
    mode.parameters.colorKey = {Uint8(color_key_ >> 16), Uint8(color_key_ >> 8),
                                Uint8(color_key_), 255};
    if (SDL_SetWindowShape(window, picture, &mode) != 0) shaped_ = false;
  }
  if (!shown_) {
    // Also for shaped windows, which only move into place by themselves
    // when neither coordinate is 0.
    SDL_SetWindowPosition(window, x_, y_);
    SDL_ShowWindow(window);
    shown_ = true;
  }
  if (SDL_Surface* surface = SDL_GetWindowSurface(window)) {
    SDL_BlitSurface(picture, nullptr, surface, nullptr);
    SDL_UpdateWindowSurface(window);
  }
}

void LoadingWindow::PumpEvents() {
  SDL_PumpEvents();
  EventFilter filter{window_id_, false};
  SDL_FilterEvents(DropEventsOfWindow, &filter);
  if (filter.exposed && shown_) SDL_UpdateWindowSurface(Sdl(window_));
}

void LoadingWindow::DropOwnEvents() {
  EventFilter filter{window_id_, false};
  SDL_FilterEvents(DropEventsOfWindow, &filter);
}

}  // namespace vendrel::platform
