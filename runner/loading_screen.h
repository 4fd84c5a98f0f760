// The loading screen: a borderless window in the middle of the screen,
// shown from the moment the settings are read until the game is ready. It
// holds the loading picture, a progress bar made of two pictures (the bar's
// background and its filled part) and, for games stored in debug mode, a
// line naming the current step. The game's settings may replace each of
// the three pictures, make one colour of the window see-through and blend
// the whole window.
//
// Headless runs open no window; each progress step is printed on stderr
// instead ("[ 50%] Compiling time line actions").
#pragma once

#include <cstdint>
#include <string_view>

#include "runner/settings.h"
#include "runner/stream.h"

namespace vendrel::runner {

// Sizes of the pictures the loading screen has when the game stores none,
// and where its bar sits in the default layout.
inline constexpr int kLoadingPictureWidth = 332;
inline constexpr int kLoadingPictureHeight = 92;
inline constexpr int kBarLeft = 24;
inline constexpr int kBarBackWidth = 289;
inline constexpr int kBarBackHeight = 16;
inline constexpr int kBarFrontWidth = 105;
inline constexpr int kBarFrontHeight = 14;
// The bar's background starts this far above the bottom of the window,
// its filled part and the label as given.
inline constexpr int kBarBackFromBottom = 32;
inline constexpr int kBarFrontFromBottom = 30;
inline constexpr int kLabelFromBottom = 32;
// The label's text starts a little inside the bar.
inline constexpr int kLabelLeft = 28;

struct LoadingRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Everything the loading screen shows and where, before any progress.
struct LoadingLayout {
  // The picture that fills the window; the window's client size is its size.
  CBitmap32 picture;
  // The bar's background, stretched over [back].
  CBitmap32 bar_back;
  // The bar's filled part: drawn over [front] with the width the progress
  // gives, stretched to it when [stretch_front], else clipped.
  CBitmap32 bar_front;
  int client_width = 0;
  int client_height = 0;
  // The window's position on the screen: centred, halves dropped towards
  // zero (negative when the picture is larger than the screen).
  int window_left = 0;
  int window_top = 0;
  LoadingRect back;
  LoadingRect front;  // width at 0 percent: 0
  LoadingRect label;  // the text is centred vertically in it
  bool bars_visible = true;
  bool stretch_front = true;
  bool label_visible = false;
  // Pixels of this colour (0xRRGGBB) are see-through, when [transparent].
  bool transparent = false;
  uint32_t transparent_color = 0;
  // Opacity of the whole window, 0 to 255; 255 is opaque.
  int alpha = 255;
};

// The pictures of the loading screen when the game stores none: a panel
// of 332 by 92 pixels, a sunken grey bar of 289 by 16 and a blue bar of 105
// by 14.
CBitmap32 DefaultLoadingPicture();
CBitmap32 DefaultBarBack();
CBitmap32 DefaultBarFront();

// Lays the loading screen out from [settings] (the stored pictures are
// decoded here; one that does not decode leaves the default in place) for a
// game stored in debug mode or not ([debug]), centred on a screen of
// [screen_width] by [screen_height] pixels.
LoadingLayout LayOutLoadingScreen(const GameSettings& settings, bool debug, int screen_width,
                                  int screen_height);

// The width of the bar's filled part at [percent] of a background
// [back_width] wide: percent * back_width / 100, rounded to the nearest
// integer with halves to even; never below 0.
int ProgressBarWidth(int percent, int back_width);

// The window's picture at [percent]: the loading picture with the bar over
// it (when visible). The label is drawn separately, since it needs a font.
CBitmap32 ComposeLoadingFrame(const LoadingLayout& layout, int percent);

// Sets the loading screen up from the running game's settings and shows it
// at 0 percent, "Loading"; then releases the stored pictures from the
// settings. [debug] shows the step names under the bar. A window that
// cannot be opened leaves the run without a loading screen; headless runs
// never open one.
void ShowLoadingScreen(bool debug);

// Closes the loading screen, if it is open.
void HideLoadingScreen();

// Whether the loading screen window is open.
bool LoadingScreenShown();

// Shows [percent] and [text] on the loading screen and handles pending
// window events so that it repaints. Headless runs print a progress line on
// stderr.
void ShowProgress(int percent, std::string_view text);

}  // namespace vendrel::runner
