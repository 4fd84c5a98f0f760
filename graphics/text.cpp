#include "graphics/text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "graphics/color.h"
#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/font_resource.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"

namespace vendrel::graphics {

namespace {

struct TextState {
  int draw_font = -1;
  int halign = kAlignLeft;
  int valign = kAlignTop;
  bool default_made = false;
  resources::CFont default_font;
  // The device the default font's texture belongs to: a texture id kept
  // from an earlier device means nothing (the table was emptied).
  const platform::GraphicsDevice* texture_device = nullptr;
};

TextState& State() {
  static TextState state;
  return state;
}

// Forgets the default font's texture when it was made on another device.
void CheckDefaultTexture(TextState& s) {
  if (s.default_font.texture >= 0 && s.texture_device != Device()) s.default_font.texture = -1;
}

int Alignment(int64_t value) { return value == 1 || value == 2 ? int(value) : 0; }

// Cuts [piece] (a line without breaks) into words, each running up to and
// including the next space or hyphen.
std::vector<std::string_view> Words(std::string_view piece) {
  std::vector<std::string_view> words;
  size_t start = 0;
  for (size_t i = 0; i < piece.size(); ++i) {
    if (piece[i] == ' ' || piece[i] == '-') {
      words.push_back(piece.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  if (start < piece.size()) words.push_back(piece.substr(start));
  return words;
}

// Appends the lines of one piece filled greedily up to [width]; a word
// wider than the width stands alone.
void WrapPiece(const resources::CFont& font, std::string_view piece, int64_t width,
               std::vector<std::string>& lines) {
  std::vector<std::string_view> words = Words(piece);
  if (words.empty()) {
    lines.emplace_back();
    return;
  }
  size_t next = 0;
  while (next < words.size()) {
    std::string line(words[next]);
    int64_t line_width = FontTextWidth(font, words[next]);
    ++next;
    while (line_width < width && next < words.size()) {
      int64_t word_width = FontTextWidth(font, words[next]);
      if (line_width + word_width > width) break;
      line += words[next];
      line_width += word_width;
      ++next;
    }
    lines.push_back(std::move(line));
  }
}

double Round(double value) { return std::nearbyint(value); }

// Whether a pixel of alpha 0 leaves the render target as it was: it is
// discarded by the alpha test of 3D hidden-surface removal, or the blend
// factors weigh the source by its alpha (or by nothing) and keep the
// destination whole.
bool TransparentPixelsLeaveTargetUnchanged() {
  const RenderSettings& r = Settings();
  if (r.mode_3d && r.hidden_surface_removal) return true;
  const bool source = r.blend_source == 1 || r.blend_source == 5 || r.blend_source == 11;
  const bool dest = r.blend_destination == 2 || r.blend_destination == 6;
  return source && dest;
}

}  // namespace

// Text state -----------------------------------------------------------------

void ResetTextState() {
  TextState& s = State();
  s.draw_font = -1;
  s.halign = kAlignLeft;
  s.valign = kAlignTop;
  CheckDefaultTexture(s);
  if (s.default_made) ClearFont(s.default_font);
  s.default_made = false;
}

void SetDrawFont(int64_t font) {
  bool exists = font >= 0 && font < resources::Resources().fonts.Count() &&
                resources::Resources().fonts.Exists(int(font));
  State().draw_font = exists ? int(font) : -1;
}

int DrawFont() { return State().draw_font; }
void SetHAlign(int64_t align) { State().halign = Alignment(align); }
void SetVAlign(int64_t align) { State().valign = Alignment(align); }
int HAlign() { return State().halign; }
int VAlign() { return State().valign; }

resources::CFont& DefaultFont() {
  TextState& s = State();
  CheckDefaultTexture(s);
  if (!s.default_made) {
    CreateFontFromSystem(s.default_font, "Arial", 12, false, false, 32, 127);
    s.default_made = true;
  }
  if (s.default_font.texture < 0 && Device() != nullptr) MakeFontTexture(s.default_font);
  s.texture_device = Device();
  return s.default_font;
}

resources::CFont& FontInUse() {
  if (resources::CFont* font = resources::Resources().fonts.Get(State().draw_font))
    return *font;
  return DefaultFont();
}

std::string TextOfValue(const interp::RValue& value) {
  if (value.IsString()) return value.str;
  return interp::FormatReal(value.real);
}

// Lines and measuring ----------------------------------------------------------

std::string ExpandLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '#') {
      out += text[i];
    } else if (i > 0 && text[i - 1] == '\\') {
      out.back() = '#';
    } else {
      out += '\n';
    }
  }
  return out;
}

std::vector<std::string> TextLines(const resources::CFont& font, std::string_view text,
                                   int64_t width) {
  std::string expanded = ExpandLineBreaks(text);
  std::string_view rest = expanded;
  std::vector<std::string> lines;
  while (!rest.empty()) {
    size_t end = rest.find_first_of("\r\n");
    std::string_view piece = rest.substr(0, end);
    if (width < 0)
      lines.emplace_back(piece);
    else
      WrapPiece(font, piece, width, lines);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return lines;
}

int64_t LineSeparation(const resources::CFont& font, int64_t separation) {
  return separation < 0 ? FontLineHeight(font) : separation;
}

int64_t TextWidth(const resources::CFont& font, std::string_view text, int64_t width) {
  int64_t widest = 1;
  for (const std::string& line : TextLines(font, text, width))
    widest = std::max(widest, FontTextWidth(font, line));
  return widest;
}

int64_t TextHeight(const resources::CFont& font, std::string_view text, int64_t separation,
                   int64_t width) {
  size_t count = TextLines(font, text, width).size();
  if (count == 0) return 1;
  return FontLineHeight(font) + LineSeparation(font, separation) * int64_t(count - 1);
}

// Layout -------------------------------------------------------------------

std::vector<PlacedGlyph> LayoutText(const resources::CFont& font, std::string_view text,
                                    double x, double y, const TextStyle& style) {
  std::vector<std::string> lines = TextLines(font, text, style.width);
  std::vector<PlacedGlyph> glyphs;
  if (lines.empty()) return glyphs;
  const int64_t n = int64_t(lines.size());
  const int64_t s = LineSeparation(font, style.separation);
  const bool gradient = style.colors[0] != style.colors[1] ||
                        style.colors[0] != style.colors[2] ||
                        style.colors[0] != style.colors[3];

  // The direction of a line (x axis) and of the next line (y axis).
  double cos_a = 1.0, sin_a = 0.0;
  double step_x = 0.0, step_y = double(s);
  double start_x = x, start_y = y;
  if (style.transformed) {
    double radians = style.angle * std::numbers::pi / 180.0;
    cos_a = std::cos(radians);
    sin_a = std::sin(radians);
    step_x = double(s) * style.y_scale * sin_a;
    step_y = double(s) * style.y_scale * cos_a;
    if (style.valign == kAlignMiddle) {
      start_x -= Round(double(n) * step_x / 2.0);
      start_y -= Round(double(n) * step_y / 2.0);
    } else if (style.valign == kAlignBottom) {
      start_x -= Round(double(n) * step_x);
      start_y -= Round(double(n) * step_y);
    }
  } else if (style.valign == kAlignMiddle) {
    start_y -= double((n * s) / 2);
  } else if (style.valign == kAlignBottom) {
    start_y -= double(n * s);
  }
  const double x_scale = style.transformed ? style.x_scale : 1.0;

  for (const std::string& line : lines) {
    const int64_t line_width = FontTextWidth(font, line);
    double t = 0.0;
    if (style.transformed) {
      if (style.halign == kAlignCenter)
        t = -Round(x_scale * double(line_width) / 2.0);
      else if (style.halign == kAlignRight)
        t = -Round(x_scale * double(line_width));
    } else if (style.halign == kAlignCenter) {
      t = -double(line_width / 2);
    } else if (style.halign == kAlignRight) {
      t = -double(line_width);
    }
    const double line_x = start_x + t * cos_a;
    const double line_y = start_y - t * sin_a;

    int64_t pen = 0;  // unscaled distance from the line's start
    for (char ch : line) {
      const uint8_t code = uint8_t(ch);
      const int32_t advance = FontAdvance(font, code);
      if (FontHolds(font, code)) {
        PlacedGlyph glyph;
        glyph.code = code;
        const double along = x_scale * double(pen + font.offset[code]);
        glyph.x = line_x + along * cos_a;
        glyph.y = line_y - along * sin_a;
        if (gradient) {
          double w = double(line_width);
          double left = w != 0.0 ? double(pen) / w : 0.0;
          double right = w != 0.0 ? double(pen + advance) / w : 0.0;
          glyph.colors[0] = MergeColor(style.colors[0], style.colors[1], left);
          glyph.colors[1] = MergeColor(style.colors[0], style.colors[1], right);
          glyph.colors[2] = MergeColor(style.colors[3], style.colors[2], right);
          glyph.colors[3] = MergeColor(style.colors[3], style.colors[2], left);
        } else {
          std::fill(std::begin(glyph.colors), std::end(glyph.colors), style.colors[0]);
        }
        glyphs.push_back(glyph);
      }
      pen += advance;
    }
    start_x += step_x;
    start_y += step_y;
  }
  return glyphs;
}

void DrawGlyphs(resources::CFont& font, const std::vector<PlacedGlyph>& glyphs,
                const TextStyle& style) {
  if (glyphs.empty() || Device() == nullptr) return;
  const double x_scale = style.transformed ? style.x_scale : 1.0;
  const double y_scale = style.transformed ? style.y_scale : 1.0;
  const double angle = style.transformed ? style.angle * std::numbers::pi / 180.0 : 0.0;

  if (font.sprite >= 0) {
    const resources::CSprite* sprite = resources::Resources().sprites.Get(font.sprite);
    if (sprite == nullptr) return;
    for (const PlacedGlyph& g : glyphs) {
      size_t frame = size_t(int(g.code) - font.first);
      if (frame >= sprite->textures.size()) continue;
      DrawTextureGeneral(sprite->textures[frame], g.colors[0], g.colors[1], 0, 0,
                         sprite->width, sprite->height, g.x, g.y, x_scale, y_scale, angle,
                         g.colors[2], g.colors[3], style.alpha);
    }
    return;
  }

  if (font.texture < 0) MakeFontTexture(font);
  if (font.texture < 0) return;
  // Where the transparent part of a cell cannot change the target, only
  // the part with ink is drawn: the same pixels for far less fill.
  const bool trim = TransparentPixelsLeaveTargetUnchanged();
  const std::array<GlyphInk, 256>& ink = FontGlyphInk(font);
  const double cos_a = std::cos(angle), sin_a = std::sin(angle);
  for (const PlacedGlyph& g : glyphs) {
    const size_t c = g.code;
    const bool uniform =
        g.colors[0] == g.colors[1] && g.colors[0] == g.colors[2] && g.colors[0] == g.colors[3];
    if (trim && uniform) {
      const GlyphInk& box = ink[c];
      if (box.width <= 0) continue;
      // The ink box's corner, moved along the turned axes of the cell.
      const double dx = box.left * x_scale, dy = box.top * y_scale;
      const double x = g.x + dx * cos_a + dy * sin_a;
      const double y = g.y - dx * sin_a + dy * cos_a;
      DrawTexturePart(font.texture, g.colors[0], font.glyph_x[c] + box.left,
                      font.glyph_y[c] + box.top, box.width, box.height, x, y, x_scale, y_scale,
                      angle, style.alpha);
      continue;
    }
    DrawTextureGeneral(font.texture, g.colors[0], g.colors[1], font.glyph_x[c], font.glyph_y[c],
                       font.cell_width[c], font.cell_height[c], g.x, g.y, x_scale, y_scale,
                       angle, g.colors[2], g.colors[3], style.alpha);
  }
}

// Drawing ------------------------------------------------------------------

namespace {

void DrawStyled(double x, double y, std::string_view text, TextStyle& style) {
  resources::CFont& font = FontInUse();
  style.halign = HAlign();
  style.valign = VAlign();
  DrawGlyphs(font, LayoutText(font, text, x, y, style), style);
}

void SetColors(TextStyle& style, int64_t c1, int64_t c2, int64_t c3, int64_t c4) {
  // Through MergeColor so that every corner is a proper 24-bit colour.
  style.colors[0] = MergeColor(c1, c1, 0.0);
  style.colors[1] = MergeColor(c2, c2, 0.0);
  style.colors[2] = MergeColor(c3, c3, 0.0);
  style.colors[3] = MergeColor(c4, c4, 0.0);
}

}  // namespace

void DrawText(double x, double y, std::string_view text, int64_t separation, int64_t width) {
  TextStyle style;
  style.separation = separation;
  style.width = width;
  std::fill(std::begin(style.colors), std::end(style.colors), DrawColor());
  style.alpha = DrawAlpha();
  DrawStyled(x, y, text, style);
}

void DrawTextTransformed(double x, double y, std::string_view text, int64_t separation,
                         int64_t width, double x_scale, double y_scale, double angle) {
  TextStyle style;
  style.separation = separation;
  style.width = width;
  style.transformed = true;
  style.x_scale = x_scale;
  style.y_scale = y_scale;
  style.angle = angle;
  std::fill(std::begin(style.colors), std::end(style.colors), DrawColor());
  style.alpha = DrawAlpha();
  DrawStyled(x, y, text, style);
}

void DrawTextColor(double x, double y, std::string_view text, int64_t separation,
                   int64_t width, int64_t c1, int64_t c2, int64_t c3, int64_t c4,
                   double alpha) {
  TextStyle style;
  style.separation = separation;
  style.width = width;
  SetColors(style, c1, c2, c3, c4);
  style.alpha = alpha;
  DrawStyled(x, y, text, style);
}

void DrawTextTransformedColor(double x, double y, std::string_view text, int64_t separation,
                              int64_t width, double x_scale, double y_scale, double angle,
                              int64_t c1, int64_t c2, int64_t c3, int64_t c4, double alpha) {
  TextStyle style;
  style.separation = separation;
  style.width = width;
  style.transformed = true;
  style.x_scale = x_scale;
  style.y_scale = y_scale;
  style.angle = angle;
  SetColors(style, c1, c2, c3, c4);
  style.alpha = alpha;
  DrawStyled(x, y, text, style);
}

}  // namespace vendrel::graphics
