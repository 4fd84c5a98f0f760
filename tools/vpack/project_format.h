// The names of the project format shared by building and unpacking: the
// resource kinds and their folders, enumeration names, the settings fields
// and the file names given to resources.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "resources/action.h"
#include "resources/sprite.h"
#include "runner/settings.h"
#include "tools/vpack/project_json.h"

namespace vendrel::vpack {

enum class Kind { Sounds, Sprites, Backgrounds, Paths, Scripts, Fonts, TimeLines, Objects, Rooms };
inline constexpr int kKindCount = 9;

struct KindInfo {
  Kind kind;
  // The slot list's key in game.json and the resource folder.
  const char* key;
  // What a reference to this kind is called in messages.
  const char* singular;
};

inline constexpr std::array<KindInfo, kKindCount> kKinds = {{
    {Kind::Sounds, "sounds", "sound"},
    {Kind::Sprites, "sprites", "sprite"},
    {Kind::Backgrounds, "backgrounds", "background"},
    {Kind::Paths, "paths", "path"},
    {Kind::Scripts, "scripts", "script"},
    {Kind::Fonts, "fonts", "font"},
    {Kind::TimeLines, "timelines", "time line"},
    {Kind::Objects, "objects", "object"},
    {Kind::Rooms, "rooms", "room"},
}};

inline const KindInfo& Info(Kind kind) { return kKinds[size_t(kind)]; }

// Enumerations written by name; any other value is written as its number.
inline const std::vector<std::string> kEventTypeNames = {
    "create", "destroy", "alarm",  "step",     "collision", "keyboard",
    "mouse",  "other",   "draw",   "keypress", "keyrelease"};
inline const std::vector<std::string> kActionKindNames = {
    "normal", "begin", "end", "else", "exit", "repeat", "variable", "code"};
inline const std::vector<std::string> kExecutionNames = {"none", "function", "code"};
inline const std::vector<std::string> kSoundKindNames = {"normal", "music", "3d", "multimedia"};
inline const std::vector<std::string> kPathKindNames = {"straight", "smooth"};
inline const std::vector<std::string> kBoundingBoxModeNames = {"automatic", "full", "manual"};

Json EnumJson(int32_t value, const std::vector<std::string>& names);
int32_t EnumValue(Fields& fields, const Json& value, const std::string& field,
                  const std::vector<std::string>& names);

// The settings fields by their names in game.json.
struct BoolSetting {
  const char* name;
  bool runner::GameSettings::*field;
};
struct IntSetting {
  const char* name;
  int32_t runner::GameSettings::*field;
  bool color;
};
struct ImageSetting {
  const char* name;
  std::vector<uint8_t> runner::GameSettings::*field;
};
std::span<const BoolSetting> BoolSettings();
std::span<const IntSetting> IntSettings();
std::span<const ImageSetting> ImageSettings();

// The action a kind starts from when the project leaves fields out: a code
// action as the editor stores it for kind "code", an empty action else.
resources::CAction DefaultAction(int32_t kind);

// The execution type an action of [kind] gets when the project gives none:
// the kind's own, but calling a function when one is named.
int32_t DefaultExecution(int32_t kind, const std::string& function_name);
// The argument kinds an action gets when the project gives none: those of
// [defaults] for the first [count] arguments, 0 for the rest.
std::array<int32_t, resources::CAction::kMaxArguments> DefaultArgumentKinds(
    const resources::CAction& defaults, int32_t count);

// The box a sprite gets when the project gives none: full image in manual
// mode, else the automatic box of its mode.
std::array<int32_t, 4> DefaultBoundingBox(const resources::CSprite& sprite);

// The slots of one kind: names in index order, and the file stem each
// existing slot's files are named by.
struct Slot {
  bool exists = false;
  std::string name;  // game text
  std::string stem;
};

struct KindSlots {
  std::vector<Slot> slots;
  // The first existing slot of each name (what a name reference means).
  std::map<std::string, int> first_index;

  void Index();
  // The name to write for a reference to [index], when that name leads
  // back to it; none otherwise (the index is then written as a number).
  std::optional<std::string> ReferenceName(int32_t index) const;
};

// A stem names files of the project: letters, digits, '_' and '-' only.
bool IsValidStem(const std::string& stem);
// Lower case, for stems that must differ on case-insensitive file systems.
std::string FoldCase(const std::string& text);

}  // namespace vendrel::vpack
