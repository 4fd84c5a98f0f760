// The font resource built-ins: properties of fonts, fonts added from
// system fonts and sprites at run time, replaced and deleted. Handlers
// convert their arguments and call graphics/font_resource.h.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "code/errors.h"
#include "code/function_registry.h"
#include "graphics/function_families.h"
#include "graphics/font_resource.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"

namespace vendrel::graphics {

namespace {

using interp::ArgInt;
using interp::ArgReal;
using interp::ArgString;

bool ArgFlag(const interp::RValue& value) { return ArgReal(value) >= 0.5; }

// The font of index argument [value], or nullptr.
const resources::CFont* FontArg(const interp::RValue& value) {
  int64_t index = ArgInt(value);
  if (index < 0 || index > INT32_MAX) return nullptr;
  return resources::Resources().fonts.Get(int(index));
}

int FontIndexArg(const interp::RValue& value) {
  int64_t index = ArgInt(value);
  return index < 0 || index > INT32_MAX ? -1 : int(index);
}

int32_t Int32Arg(const interp::RValue& value) {
  return int32_t(std::clamp<int64_t>(ArgInt(value), INT32_MIN, INT32_MAX));
}

VENDREL_BUILTIN(FontName) {
  result.SetString(resources::Resources().fonts.Name(FontIndexArg(args[0])));
}
VENDREL_BUILTIN(FontExists) { result.SetReal(FontArg(args[0]) != nullptr ? 1 : 0); }
VENDREL_BUILTIN(FontGetFontName) {
  const resources::CFont* font = FontArg(args[0]);
  result.SetString(font != nullptr ? font->font_name : std::string());
}

// A whole-number property of the font, -1 when it does not exist.
template <int32_t (*Field)(const resources::CFont&)>
VENDREL_BUILTIN(FontGetField) {
  const resources::CFont* font = FontArg(args[0]);
  result.SetReal(font != nullptr ? double(Field(*font)) : -1.0);
}
int32_t SizeOf(const resources::CFont& f) { return f.size; }
int32_t BoldOf(const resources::CFont& f) { return f.bold ? 1 : 0; }
int32_t ItalicOf(const resources::CFont& f) { return f.italic ? 1 : 0; }
int32_t FirstOf(const resources::CFont& f) { return f.first; }
int32_t LastOf(const resources::CFont& f) { return f.last; }

// name, size, bold, italic, first, last
VENDREL_BUILTIN(FontAdd) {
  result.SetReal(AddFontFromSystem(ArgString(args[0]), Int32Arg(args[1]), ArgFlag(args[2]),
                                   ArgFlag(args[3]), Int32Arg(args[4]), Int32Arg(args[5])));
}
// ind, name, size, bold, italic, first, last
VENDREL_BUILTIN(FontReplace) {
  if (FontArg(args[0]) == nullptr) {
    code::ShowRunError("Trying to replace non-existing font.", false);
    return;
  }
  bool replaced = ReplaceFontFromSystem(FontIndexArg(args[0]), ArgString(args[1]),
                                        Int32Arg(args[2]), ArgFlag(args[3]), ArgFlag(args[4]),
                                        Int32Arg(args[5]), Int32Arg(args[6]));
  result.SetReal(replaced ? 1 : 0);
}
// spr, first, prop, sep
VENDREL_BUILTIN(FontAddSprite) {
  int32_t sprite = Int32Arg(args[0]);
  if (!resources::Resources().sprites.Exists(sprite)) {
    code::ShowRunError("Trying to create font from non-existing sprite.", false);
    return;
  }
  result.SetReal(
      AddFontFromSprite(sprite, Int32Arg(args[1]), ArgFlag(args[2]), Int32Arg(args[3])));
}
// ind, spr, first, prop, sep
VENDREL_BUILTIN(FontReplaceSprite) {
  if (FontArg(args[0]) == nullptr) {
    code::ShowRunError("Trying to replace non-existing font.", false);
    return;
  }
  int32_t sprite = Int32Arg(args[1]);
  if (!resources::Resources().sprites.Exists(sprite)) {
    code::ShowRunError("Trying to replace font from non-existing sprite.", false);
    return;
  }
  bool replaced = ReplaceFontFromSprite(FontIndexArg(args[0]), sprite, Int32Arg(args[2]),
                                        ArgFlag(args[3]), Int32Arg(args[4]));
  result.SetReal(replaced ? 1 : 0);
}
VENDREL_BUILTIN(FontDelete) {
  if (FontArg(args[0]) == nullptr) {
    code::ShowRunError("Trying to delete non-existing font.", false);
    return;
  }
  DeleteFont(FontIndexArg(args[0]));
}

}  // namespace

static const code::FunctionTableRow kFontFunctions[] = {
    {"font_name", 1, FontName},
    {"font_get_name", 1, FontName},
    {"font_exists", 1, FontExists},
    {"font_get_fontname", 1, FontGetFontName},
    {"font_get_size", 1, FontGetField<SizeOf>},
    {"font_get_bold", 1, FontGetField<BoldOf>},
    {"font_get_italic", 1, FontGetField<ItalicOf>},
    {"font_get_first", 1, FontGetField<FirstOf>},
    {"font_get_last", 1, FontGetField<LastOf>},
    {"font_add", 6, FontAdd},
    {"font_replace", 7, FontReplace},
    {"font_add_sprite", 4, FontAddSprite},
    {"font_replace_sprite", 5, FontReplaceSprite},
    {"font_delete", 1, FontDelete},
};

void RegisterFontFunctions() { code::RegisterFamily(kFontFunctions); }

}  // namespace vendrel::graphics
