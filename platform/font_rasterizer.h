// Installed system fonts, rendered glyph by glyph into 8-bit coverage:
// fontconfig finds the font file for a family name and style, FreeType
// renders it.
//
// Games name Windows font families. A family with a metric-compatible
// stand-in ("Arial" and Liberation Sans, "Times New Roman" and Liberation
// Serif, "Courier New" and Liberation Mono) is asked for under the stand-in's
// name, so that text keeps the widths the game was laid out with; any other
// name gets fontconfig's best match.
//
// Vertical metrics follow the Windows text metrics of a TrueType font: the
// ascent and descent come from the font's Windows ascent and descent
// (OS/2 table), so the text height of a font is what the game expects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel::platform {

// The installed family that stands in for [family] when it names one of the
// Windows families with a metric-compatible replacement (compared without
// regard to case or surrounding spaces); otherwise [family] itself.
std::string MetricCompatibleFamily(std::string_view family);

// The font file fontconfig chooses for a family and style.
struct ResolvedFont {
  std::string path;
  int face_index = 0;
  std::string family;  // the family of the chosen file
  bool bold = false;   // the file's own style; missing styles are synthesised
  bool italic = false;
};

// Resolves [family] (after MetricCompatibleFamily) with the given style.
// False, with the reason in [error], when fontconfig finds no font at all.
bool ResolveFont(std::string_view family, bool bold, bool italic, ResolvedFont& font,
                 std::string* error);

// One rendered glyph. The coverage box is [width] by [height] bytes, rows
// from the top; its left edge lies [left] pixels right of the pen and its
// top row [top] pixels above the baseline.
struct RasterGlyph {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  // How far the pen moves after the glyph, in whole pixels.
  int advance = 0;
  std::vector<uint8_t> coverage;
};

class RasterFont {
 public:
  // Opens [family] with the given style at [pixel_size] pixels per em.
  // Styles the chosen file lacks are synthesised (emboldened, slanted).
  // Gives nullptr, with the reason in [error], when no font can be opened.
  static std::unique_ptr<RasterFont> Open(std::string_view family, int pixel_size, bool bold,
                                          bool italic, std::string* error);
  ~RasterFont();
  RasterFont(const RasterFont&) = delete;
  RasterFont& operator=(const RasterFont&) = delete;

  const ResolvedFont& Resolved() const { return resolved_; }
  // Pixels above and below the baseline; their sum is the text height.
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int Height() const { return ascent_ + descent_; }
  // Whether the font maps the Unicode [code_point] to a glyph of its own.
  bool HasGlyph(uint32_t code_point) const;
  // Renders [code_point] (the font's missing-glyph shape when it has none);
  // false only when FreeType fails.
  bool RenderGlyph(uint32_t code_point, RasterGlyph& glyph);

 private:
  RasterFont() = default;
  struct Handles;
  std::unique_ptr<Handles> handles_;
  ResolvedFont resolved_;
  bool embolden_ = false;
  bool slant_ = false;
  int ascent_ = 0;
  int descent_ = 0;
};

}  // namespace vendrel::platform
