#include "graphics/color.h"

#include <algorithm>
#include <cmath>

namespace vendrel::graphics {

namespace {

int64_t Round(double value) {
  if (std::isnan(value)) return 0;
  return int64_t(std::nearbyint(std::clamp(value, -4.0e18, 4.0e18)));
}

struct Hsv {
  double hue, saturation, value;  // degrees, 0..1, 0..1
};

Hsv ToHsv(double color) {
  uint32_t c = uint32_t(Round(color));
  double r = double(c & 0xFF) / 255, g = double((c >> 8) & 0xFF) / 255,
         b = double((c >> 16) & 0xFF) / 255;
  double max = std::max({r, g, b}), min = std::min({r, g, b}), delta = max - min;
  Hsv hsv{0, max == 0 ? 0 : delta / max, max};
  if (hsv.saturation != 0) {
    if (r == max) {
      hsv.hue = (g - b) * 60 / delta;
    } else if (g == max) {
      hsv.hue = (b - r) * 60 / delta + 120;
    } else {
      hsv.hue = (r - g) * 60 / delta + 240;
    }
    if (hsv.hue < 0) hsv.hue += 360;
  }
  return hsv;
}

}  // namespace

int64_t ColorRed(double color) { return Round(color) % 256; }
int64_t ColorGreen(double color) { return (Round(color) / 256) % 256; }
int64_t ColorBlue(double color) { return (Round(color) / 65536) % 256; }

double MakeColorRgb(double red, double green, double blue) {
  return double(Round(red)) + 256.0 * double(Round(green)) + 65536.0 * double(Round(blue));
}

int32_t MakeColorHsv(double hue, double saturation, double value) {
  double h = double(Round(hue) & 0xFF) * 360 / 255;
  double s = double(Round(saturation) & 0xFF) / 255;
  double v = double(Round(value) & 0xFF) / 255;
  if (h == 360) h = 0;
  double r, g, b;
  if (s == 0) {
    r = g = b = v;
  } else {
    int sector = int(h / 60);
    double f = h / 60 - sector;
    double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (sector) {
      case 0: r = v; g = t; b = p; break;
      case 1: r = q; g = v; b = p; break;
      case 2: r = p; g = v; b = t; break;
      case 3: r = p; g = q; b = v; break;
      case 4: r = t; g = p; b = v; break;
      default: r = v; g = p; b = q; break;
    }
  }
  auto byte = [](double channel) { return int32_t(std::trunc(channel * 255)); };
  return byte(r) + 256 * byte(g) + 65536 * byte(b);
}

int32_t ColorHue(double color) { return int32_t(std::trunc(ToHsv(color).hue * 255 / 360)); }
int32_t ColorSaturation(double color) { return int32_t(std::trunc(ToHsv(color).saturation * 255)); }
int32_t ColorValue(double color) { return int32_t(std::trunc(ToHsv(color).value * 255)); }

int32_t MergeColor(int64_t color1, int64_t color2, double amount) {
  if (std::isnan(amount)) amount = 0;
  uint32_t a = uint32_t(color1), b = uint32_t(color2);
  int32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    double c1 = double((a >> shift) & 0xFF), c2 = double((b >> shift) & 0xFF);
    int64_t channel = Round((1 - amount) * c1 + amount * c2);
    result |= int32_t(std::clamp<int64_t>(channel, 0, 255)) << shift;
  }
  return result;
}

}  // namespace vendrel::graphics
