#include "runner/loading_screen.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/bitmap32.h"
#include "graphics/bmp.h"
#include "platform/font_rasterizer.h"
#include "platform/loading_window.h"
#include "platform/message_box.h"

namespace vendrel::runner {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

CBitmap32 Blank(int width, int height) {
  CBitmap32 bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.assign(size_t(width) * size_t(height), kOpaque);
  return bitmap;
}

void FillRect(CBitmap32& bitmap, int left, int top, int width, int height, uint32_t color) {
  for (int y = std::max(top, 0); y < std::min(top + height, bitmap.height); ++y)
    for (int x = std::max(left, 0); x < std::min(left + width, bitmap.width); ++x)
      bitmap.pixels[size_t(y) * size_t(bitmap.width) + size_t(x)] = color;
}

// An opaque colour [t] of the way from [from] to [to] (0xRRGGBB each).
uint32_t Mix(uint32_t from, uint32_t to, double t) {
  uint32_t result = kOpaque;
  for (int shift = 0; shift <= 16; shift += 8) {
    double a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
    result |= uint32_t(a + (b - a) * t + 0.5) << shift;
  }
  return result;
}

// Rows shading from [top] to [bottom].
void VerticalGradient(CBitmap32& bitmap, uint32_t top, uint32_t bottom) {
  for (int y = 0; y < bitmap.height; ++y) {
    double t = bitmap.height > 1 ? double(y) / (bitmap.height - 1) : 0.0;
    FillRect(bitmap, 0, y, bitmap.width, 1, Mix(top, bottom, t));
  }
}

// Copies [source] onto [target] with its top left at ([left], [top]),
// only inside the [clip_width] by [clip_height] box there and inside the
// target.
void Blit(CBitmap32& target, const CBitmap32& source, int left, int top, int clip_width,
          int clip_height) {
  int width = std::min(source.width, clip_width);
  int height = std::min(source.height, clip_height);
  for (int y = std::max(0, -top); y < height && top + y < target.height; ++y) {
    for (int x = std::max(0, -left); x < width && left + x < target.width; ++x) {
      target.pixels[size_t(top + y) * size_t(target.width) + size_t(left + x)] =
          source.pixels[size_t(y) * size_t(source.width) + size_t(x)];
    }
  }
}

// [source] stretched over the rectangle (nearest pixel, as the form
// library draws a stretched bitmap).
void StretchBlit(CBitmap32& target, const CBitmap32& source, const LoadingRect& rect) {
  if (rect.width <= 0 || rect.height <= 0 || source.Empty()) return;
  CBitmap32 stretched = source;
  if (stretched.width != rect.width || stretched.height != rect.height)
    graphics::ResizeBitmap(stretched, rect.width, rect.height);
  Blit(target, stretched, rect.left, rect.top, rect.width, rect.height);
}

// The stored BMP file decoded, or [fallback] when none is stored or it does
// not decode.
CBitmap32 StoredOr(const std::vector<uint8_t>& stored, CBitmap32 fallback) {
  if (stored.empty()) return fallback;
  CBitmap32 decoded = graphics::DecodeBmp(stored);
  return decoded.Empty() ? fallback : decoded;
}

}  // namespace

CBitmap32 DefaultLoadingPicture() {
  CBitmap32 panel = Blank(kLoadingPictureWidth, kLoadingPictureHeight);
  const int w = panel.width, h = panel.height;
  VerticalGradient(panel, 0xF4F6FA, 0xD2DAE8);
  // A raised panel: dark outline, light upper-left edge, shaded lower-right.
  FillRect(panel, 1, 1, w - 2, 1, 0xFFFFFFFF);
  FillRect(panel, 1, 1, 1, h - 2, 0xFFFFFFFF);
  FillRect(panel, 1, h - 2, w - 2, 1, 0xFF9CA8BA);
  FillRect(panel, w - 2, 1, 1, h - 2, 0xFF9CA8BA);
  FillRect(panel, 0, 0, w, 1, 0xFF3C4655);
  FillRect(panel, 0, h - 1, w, 1, 0xFF3C4655);
  FillRect(panel, 0, 0, 1, h, 0xFF3C4655);
  FillRect(panel, w - 1, 0, 1, h, 0xFF3C4655);
  // A band across the top and an etched line above the bar.
  CBitmap32 band = Blank(w - 4, 34);
  VerticalGradient(band, 0x3A64C8, 0x1E3C8C);
  Blit(panel, band, 2, 2, band.width, band.height);
  FillRect(panel, kBarLeft, h - kBarBackFromBottom - 10, w - 2 * kBarLeft, 1, 0xFFA4AEC0);
  FillRect(panel, kBarLeft, h - kBarBackFromBottom - 9, w - 2 * kBarLeft, 1, 0xFFFFFFFF);
  return panel;
}

CBitmap32 DefaultBarBack() {
  CBitmap32 bar = Blank(kBarBackWidth, kBarBackHeight);
  const int w = bar.width, h = bar.height;
  FillRect(bar, 0, 0, w, h, 0xFFC8CCD2);
  // Sunken: dark upper-left edges, light lower-right edges.
  FillRect(bar, 0, 0, w, 1, 0xFF7C828C);
  FillRect(bar, 0, 0, 1, h, 0xFF7C828C);
  FillRect(bar, 1, 1, w - 2, 1, 0xFF4A5058);
  FillRect(bar, 1, 1, 1, h - 2, 0xFF4A5058);
  FillRect(bar, 0, h - 1, w, 1, 0xFFFFFFFF);
  FillRect(bar, w - 1, 0, 1, h, 0xFFFFFFFF);
  return bar;
}

CBitmap32 DefaultBarFront() {
  CBitmap32 bar = Blank(kBarFrontWidth, kBarFrontHeight);
  VerticalGradient(bar, 0x6C9EF6, 0x1A48B4);
  FillRect(bar, 0, 0, bar.width, 1, 0xFFA8C8FF);
  return bar;
}

LoadingLayout LayOutLoadingScreen(const GameSettings& settings, bool debug, int screen_width,
                                  int screen_height) {
  LoadingLayout layout;
  layout.picture = StoredOr(settings.LoadingImage, DefaultLoadingPicture());
  layout.bar_back = DefaultBarBack();
  layout.bar_front = DefaultBarFront();
  if (settings.ShowProgressBar) {
    layout.bar_back = StoredOr(settings.ProgressBackImage, std::move(layout.bar_back));
    layout.bar_front = StoredOr(settings.ProgressFrontImage, std::move(layout.bar_front));
  }
  const CBitmap32& picture = layout.picture;
  layout.transparent = settings.LoadingImageTransparent;
  if (layout.transparent)
    layout.transparent_color =
        picture.pixels[size_t(picture.height - 1) * size_t(picture.width)] & 0xFFFFFFu;
  layout.alpha = std::clamp(int(settings.LoadingImageAlpha), 0, 255);

  layout.bars_visible = settings.ShowProgressBar;
  layout.stretch_front = settings.ScaleProgressBar;
  layout.label_visible = debug && settings.ShowProgressBar;

  layout.client_width = picture.width;
  layout.client_height = picture.height;
  // Integer division drops halves towards zero, also for a picture larger
  // than the screen.
  layout.window_left = (screen_width - layout.client_width) / 2;
  layout.window_top = (screen_height - layout.client_height) / 2;

  const int back_width = std::max(0, layout.client_width - 2 * kBarLeft);
  layout.back = {kBarLeft, layout.client_height - kBarBackFromBottom, back_width, kBarBackHeight};
  layout.front = {kBarLeft, layout.client_height - kBarFrontFromBottom, 0, kBarFrontHeight};
  layout.label = {kLabelLeft, layout.client_height - kLabelFromBottom,
                  std::max(0, back_width - (kLabelLeft - kBarLeft)), kBarBackHeight};
  return layout;
}

int ProgressBarWidth(int percent, int back_width) {
  const int64_t product = int64_t(percent) * back_width;
  if (product <= 0) return 0;
  int64_t width = product / 100;
  const int64_t rest = product % 100;
  if (rest > 50 || (rest == 50 && width % 2 == 1)) ++width;
  return int(width);
}

CBitmap32 ComposeLoadingFrame(const LoadingLayout& layout, int percent) {
  CBitmap32 frame = layout.picture;
  if (!layout.bars_visible) return frame;
  StretchBlit(frame, layout.bar_back, layout.back);
  LoadingRect front = layout.front;
  front.width = ProgressBarWidth(percent, layout.back.width);
  if (layout.stretch_front) {
    StretchBlit(frame, layout.bar_front, front);
  } else {
    Blit(frame, layout.bar_front, front.left, front.top, front.width, front.height);
  }
  return frame;
}

namespace {

// The label's font: the form's 8-point sans serif, 11 pixels to the em on
// a 96 dots-per-inch screen.
constexpr const char* kLabelFamily = "Arial";
constexpr int kLabelPixelSize = 11;

// Black [text] (one byte a character, Latin-1) over [frame], vertically
// centred in [rect], clipped to the frame.
void DrawLabel(CBitmap32& frame, const LoadingRect& rect, std::string_view text,
               platform::RasterFont& font) {
  const int baseline = rect.top + (rect.height - font.Height()) / 2 + font.Ascent();
  int pen = rect.left;
  platform::RasterGlyph glyph;
  for (char c : text) {
    if (!font.RenderGlyph(static_cast<unsigned char>(c), glyph)) continue;
    for (int gy = 0; gy < glyph.height; ++gy) {
      const int y = baseline - glyph.top + gy;
      if (y < 0 || y >= frame.height) continue;
      for (int gx = 0; gx < glyph.width; ++gx) {
        const int x = pen + glyph.left + gx;
        if (x < 0 || x >= frame.width) continue;
        const uint32_t coverage = glyph.coverage[size_t(gy) * size_t(glyph.width) + size_t(gx)];
        if (coverage == 0) continue;
        uint32_t& pixel = frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
        uint32_t result = pixel & 0xFF000000u;
        for (int shift = 0; shift <= 16; shift += 8) {
          const uint32_t channel = (pixel >> shift) & 0xFF;
          result |= (channel * (255 - coverage) + 127) / 255 << shift;
        }
        pixel = result;
      }
    }
    pen += glyph.advance;
  }
}

struct LoadingScreen {
  LoadingLayout layout;
  std::unique_ptr<platform::LoadingWindow> window;
  std::unique_ptr<platform::RasterFont> font;  // null without a label
  int percent = 0;
  std::string text;

  void Present() {
    CBitmap32 frame = ComposeLoadingFrame(layout, percent);
    if (layout.label_visible && font) DrawLabel(frame, layout.label, text, *font);
    window->Present(frame.pixels.data());
  }
};

std::unique_ptr<LoadingScreen> g_screen;

// Opens the window for [settings]; leaves g_screen empty when there is no
// display or the window cannot be made.
void OpenLoadingScreen(const GameSettings& settings, bool debug) {
  if (platform::IsHeadless()) return;
  platform::ScreenArea area;
  if (!platform::LoadingScreenArea(area, nullptr)) return;
  auto screen = std::make_unique<LoadingScreen>();
  screen->layout = LayOutLoadingScreen(settings, debug, area.width, area.height);
  const LoadingLayout& layout = screen->layout;
  platform::LoadingWindowOptions options;
  options.x = area.x + layout.window_left;
  options.y = area.y + layout.window_top;
  options.width = layout.client_width;
  options.height = layout.client_height;
  options.opacity = layout.alpha;
  options.use_color_key = layout.transparent;
  options.color_key = layout.transparent_color;
  screen->window = platform::LoadingWindow::Create(options, nullptr);
  if (!screen->window) return;
  // Without a font the label stays empty; the screen itself still shows.
  if (layout.label_visible)
    screen->font = platform::RasterFont::Open(kLabelFamily, kLabelPixelSize, false, false, nullptr);
  screen->percent = 0;
  screen->text = "Loading";
  screen->Present();
  screen->window->PumpEvents();
  g_screen = std::move(screen);
}

void Release(std::vector<uint8_t>& bytes) { std::vector<uint8_t>().swap(bytes); }

}  // namespace

void ShowLoadingScreen(bool debug) {
  HideLoadingScreen();
  GameSettings& settings = Settings();
  OpenLoadingScreen(settings, debug);
  // The loading screen has made its pictures from the stored ones; they are
  // not needed again.
  Release(settings.LoadingImage);
  Release(settings.ProgressBackImage);
  Release(settings.ProgressFrontImage);
}

void HideLoadingScreen() { g_screen.reset(); }

bool LoadingScreenShown() { return g_screen != nullptr; }

void ShowProgress(int percent, std::string_view text) {
  if (g_screen) {
    g_screen->percent = percent;
    g_screen->text = std::string(text);
    g_screen->Present();
    g_screen->window->PumpEvents();
  } else if (platform::IsHeadless()) {
    std::fprintf(stderr, "[%3d%%] %.*s\n", percent, int(text.size()), text.data());
  }
}

}  // namespace vendrel::runner
