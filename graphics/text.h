// Text drawing: the drawing font and alignment, line breaks and word wrap,
// the measuring of strings, and the placing of each character's glyph.
//
// Layout is pure: LayoutText gives where every glyph goes, and only
// DrawGlyphs sends the glyph quads to the device. A glyph is the cell of a
// character in the font's glyph bitmap (or the frame of a sprite font),
// drawn with its top-left corner at the placed point, scaled and turned
// around that corner.
//
// Lines: every "#" is a line break, except that "\#" is a "#" (the
// backslash dropped); every carriage return and line feed ends a line.
// Given a width, each line is further cut into words (each runs up to and
// including the next space or hyphen) and filled greedily.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/value.h"
#include "resources/font.h"

namespace vendrel::graphics {

inline constexpr int kAlignLeft = 0;    // fa_left
inline constexpr int kAlignCenter = 1;  // fa_center
inline constexpr int kAlignRight = 2;   // fa_right
inline constexpr int kAlignTop = 0;     // fa_top
inline constexpr int kAlignMiddle = 1;  // fa_middle
inline constexpr int kAlignBottom = 2;  // fa_bottom

// Text state -----------------------------------------------------------------

// Back to the start of a game: the default font as drawing font, left and
// top alignment. The default font is freed and made again when next used.
void ResetTextState();
// The font resource [font] when it exists, else -1 (the default font).
void SetDrawFont(int64_t font);
int DrawFont();
// Values other than 0, 1 and 2 count as 0.
void SetHAlign(int64_t align);
void SetVAlign(int64_t align);
int HAlign();
int VAlign();
// "Arial", 12 points, characters 32 to 127; made when first asked for.
resources::CFont& DefaultFont();
// The drawing font when it exists, else the default font.
resources::CFont& FontInUse();

// The text a value draws as: a string unchanged; a real without decimals
// when it is whole, else with two decimals.
std::string TextOfValue(const interp::RValue& value);

// Lines and measuring ----------------------------------------------------------

// [text] with every "#" turned into a line feed and every "\#" into "#".
std::string ExpandLineBreaks(std::string_view text);
// The lines of [text] in [font]; a [width] below 0 means no wrapping. A
// break ends a line, so "a\r\nb" has an empty line between "a" and "b", and
// the empty text has no lines.
std::vector<std::string> TextLines(const resources::CFont& font, std::string_view text,
                                   int64_t width);
// The separation a negative [separation] stands for: the line height.
int64_t LineSeparation(const resources::CFont& font, int64_t separation);
// The greatest line width, at least 1.
int64_t TextWidth(const resources::CFont& font, std::string_view text, int64_t width);
// 1 for a text without lines, else the line height plus the separation
// for each further line.
int64_t TextHeight(const resources::CFont& font, std::string_view text, int64_t separation,
                   int64_t width);

// Layout -------------------------------------------------------------------

struct TextStyle {
  int64_t separation = -1;  // negative: the line height
  int64_t width = -1;       // negative: no wrapping
  int halign = kAlignLeft;
  int valign = kAlignTop;
  // Transformed text follows the rules of scaled and turned text (rounded
  // offsets) even at scale 1 and angle 0.
  bool transformed = false;
  double x_scale = 1.0;
  double y_scale = 1.0;
  double angle = 0.0;  // degrees, counter-clockwise
  // The colours of the top-left, top-right, bottom-right and bottom-left
  // corners of each line's box (game colours); all four the same for
  // plain text.
  int32_t colors[4] = {0, 0, 0, 0};
  double alpha = 1.0;
};

// One character to draw: its code and where the top-left corner of its
// cell goes, with the colours of the quad's corners.
struct PlacedGlyph {
  uint8_t code = 0;
  double x = 0.0;
  double y = 0.0;
  int32_t colors[4] = {0, 0, 0, 0};
};

// Where each character of [text] drawn at ([x], [y]) goes. Characters the
// font does not hold move the pen but are left out.
std::vector<PlacedGlyph> LayoutText(const resources::CFont& font, std::string_view text,
                                    double x, double y, const TextStyle& style);

// Draws the glyph quads of [glyphs] with the style's scale, angle and
// alpha: from the font's glyph texture, or for a sprite font from the
// frames of its sprite. Makes the font's texture first when it has none.
void DrawGlyphs(resources::CFont& font, const std::vector<PlacedGlyph>& glyphs,
                const TextStyle& style);

// Drawing with the font in use and the alignment ----------------------------

// In the drawing colour and alpha.
void DrawText(double x, double y, std::string_view text, int64_t separation = -1,
              int64_t width = -1);
void DrawTextTransformed(double x, double y, std::string_view text, int64_t separation,
                         int64_t width, double x_scale, double y_scale, double angle);
// With the corner colours [c1] to [c4] (top-left, top-right, bottom-right,
// bottom-left of each line) and [alpha]; the drawing colour is not used.
void DrawTextColor(double x, double y, std::string_view text, int64_t separation,
                   int64_t width, int64_t c1, int64_t c2, int64_t c3, int64_t c4,
                   double alpha);
void DrawTextTransformedColor(double x, double y, std::string_view text, int64_t separation,
                              int64_t width, double x_scale, double y_scale, double angle,
                              int64_t c1, int64_t c2, int64_t c3, int64_t c4, double alpha);

}  // namespace vendrel::graphics
