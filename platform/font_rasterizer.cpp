#include "platform/font_rasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <mutex>

namespace vendrel::platform {

namespace {

struct FamilyAlias {
  const char* windows;
  const char* stand_in;
};

// Windows families and the installed families drawn with the same advance
// widths and vertical metrics.
constexpr std::array<FamilyAlias, 3> kFamilyAliases = {{
    {"arial", "Liberation Sans"},
    {"times new roman", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
}};

std::string Normalised(std::string_view name) {
  size_t begin = 0, end = name.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(name[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(name[end - 1]))) --end;
  std::string out;
  for (size_t i = begin; i < end; ++i)
    out += char(std::tolower(static_cast<unsigned char>(name[i])));
  return out;
}

// fontconfig's configuration, loaded once for the whole run.
FcConfig* FontConfig() {
  static std::once_flag once;
  static FcConfig* config = nullptr;
  std::call_once(once, [] { config = FcInitLoadConfigAndFonts(); });
  return config;
}

std::mutex& FontConfigMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

std::string MetricCompatibleFamily(std::string_view family) {
  std::string key = Normalised(family);
  for (const FamilyAlias& alias : kFamilyAliases)
    if (key == alias.windows) return alias.stand_in;
  return std::string(family);
}

bool ResolveFont(std::string_view family, bool bold, bool italic, ResolvedFont& font,
                 std::string* error) {
  std::lock_guard<std::mutex> lock(FontConfigMutex());
  FcConfig* config = FontConfig();
  if (config == nullptr) {
    if (error) *error = "fontconfig could not load its configuration";
    return false;
  }
  std::string wanted = MetricCompatibleFamily(family);
  FcPattern* pattern = FcPatternCreate();
  if (!wanted.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(wanted.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) {
    if (error) *error = "no installed font matches \"" + wanted + "\"";
    return false;
  }
  FcChar8* file = nullptr;
  FcChar8* matched_family = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (ok) {
    font.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    font.face_index = index;
    font.family = FcPatternGetString(match, FC_FAMILY, 0, &matched_family) == FcResultMatch
                      ? reinterpret_cast<const char*>(matched_family)
                      : "";
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    font.bold = weight >= FC_WEIGHT_DEMIBOLD;
    font.italic = slant != FC_SLANT_ROMAN;
  } else if (error) {
    *error = "the font matching \"" + wanted + "\" has no file";
  }
  FcPatternDestroy(match);
  return ok;
}

struct RasterFont::Handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Handles() {
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
};

RasterFont::~RasterFont() = default;

std::unique_ptr<RasterFont> RasterFont::Open(std::string_view family, int pixel_size,
                                             bool bold, bool italic, std::string* error) {
  std::unique_ptr<RasterFont> font(new RasterFont());
  if (!ResolveFont(family, bold, italic, font->resolved_, error)) return nullptr;
  font->handles_ = std::make_unique<Handles>();
  Handles& h = *font->handles_;
  if (FT_Init_FreeType(&h.library) != 0) {
    if (error) *error = "FreeType could not start";
    return nullptr;
  }
  // The classic TrueType interpreter hints in both directions, as Windows
  // does: stems land on whole pixels and advances are the hinted ones.
  FT_UInt interpreter = TT_INTERPRETER_VERSION_35;
  FT_Property_Set(h.library, "truetype", "interpreter-version", &interpreter);
  if (FT_New_Face(h.library, font->resolved_.path.c_str(), font->resolved_.face_index,
                  &h.face) != 0) {
    if (error) *error = "FreeType cannot open \"" + font->resolved_.path + "\"";
    return nullptr;
  }
  pixel_size = std::max(1, pixel_size);
  if (FT_Set_Pixel_Sizes(h.face, 0, FT_UInt(pixel_size)) != 0) {
    // A bitmap-only face: take its nearest strike.
    if (h.face->num_fixed_sizes <= 0) {
      if (error) *error = "the font \"" + font->resolved_.path + "\" has no usable size";
      return nullptr;
    }
    int best = 0;
    for (int i = 1; i < h.face->num_fixed_sizes; ++i)
      if (std::abs(h.face->available_sizes[i].height - pixel_size) <
          std::abs(h.face->available_sizes[best].height - pixel_size))
        best = i;
    FT_Select_Size(h.face, best);
  }
  font->embolden_ = bold && !font->resolved_.bold;
  font->slant_ = italic && !font->resolved_.italic;

  // The Windows ascent and descent of the font, as a TrueType font's text
  // metrics give them: the ascent rounded up so that the tallest glyphs fit,
  // the whole height rounded to the nearest pixel.
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(h.face, FT_SFNT_OS2));
  if (os2 != nullptr && FT_IS_SCALABLE(h.face) && h.face->units_per_EM > 0 &&
      os2->usWinAscent + os2->usWinDescent > 0) {
    double scale = double(pixel_size) / double(h.face->units_per_EM);
    double ascent = os2->usWinAscent * scale;
    double height = (double(os2->usWinAscent) + double(os2->usWinDescent)) * scale;
    font->ascent_ = int(std::ceil(ascent - 1e-6));
    font->descent_ = std::max(0, int(std::lround(height)) - font->ascent_);
  } else {
    const FT_Size_Metrics& m = h.face->size->metrics;
    font->ascent_ = int((m.ascender + 63) >> 6);
    font->descent_ = std::max(0, int((-m.descender + 63) >> 6));
  }
  return font;
}

bool RasterFont::HasGlyph(uint32_t code_point) const {
  return FT_Get_Char_Index(handles_->face, code_point) != 0;
}

bool RasterFont::RenderGlyph(uint32_t code_point, RasterGlyph& glyph) {
  glyph = RasterGlyph();
  FT_Face face = handles_->face;
  FT_UInt index = FT_Get_Char_Index(face, code_point);
  FT_Int32 flags = FT_LOAD_DEFAULT;
  if (FT_IS_SCALABLE(face)) flags |= FT_LOAD_NO_BITMAP;
  if (FT_Load_Glyph(face, index, flags) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (embolden_) FT_GlyphSlot_Embolden(slot);
  if (slant_ && slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_GlyphSlot_Oblique(slot);
  if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
    return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = int(bitmap.width);
  glyph.height = int(bitmap.rows);
  glyph.advance = int((slot->advance.x + 32) >> 6);
  glyph.coverage.assign(size_t(glyph.width) * size_t(glyph.height), 0);
  for (int row = 0; row < glyph.height; ++row) {
    const unsigned char* source = bitmap.buffer + ptrdiff_t(row) * bitmap.pitch;
    uint8_t* dest = glyph.coverage.data() + size_t(row) * size_t(glyph.width);
    for (int col = 0; col < glyph.width; ++col) {
      switch (bitmap.pixel_mode) {
        case FT_PIXEL_MODE_GRAY:
          dest[col] = source[col];
          break;
        case FT_PIXEL_MODE_MONO:
          dest[col] = (source[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0;
          break;
        default:
          return false;
      }
    }
  }
  return true;
}

}  // namespace vendrel::platform
