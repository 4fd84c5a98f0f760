// Game colours (red + 256 green + 65536 blue) and the colour models the
// game's colour functions use. Hue, saturation and value are bytes 0..255.
#pragma once

#include <cstdint>

namespace vendrel::graphics {

// Channels of a game colour: round(c) mod 256 and so on, with the
// remainder of truncating division (negative colours give negative parts).
int64_t ColorRed(double color);
int64_t ColorGreen(double color);
int64_t ColorBlue(double color);
// round(r) + 256 round(g) + 65536 round(b), not clamped.
double MakeColorRgb(double red, double green, double blue);
// Each argument is taken as a byte (rounded, low eight bits).
int32_t MakeColorHsv(double hue, double saturation, double value);
int32_t ColorHue(double color);
int32_t ColorSaturation(double color);
int32_t ColorValue(double color);
// Per channel round((1 - amount) c1 + amount c2), kept within 0..255.
int32_t MergeColor(int64_t color1, int64_t color2, double amount);

}  // namespace vendrel::graphics
