#include "tools/vpack/project_format.h"

#include <cctype>

namespace vendrel::vpack {

using runner::GameSettings;

Json EnumJson(int32_t value, const std::vector<std::string>& names) {
  if (value >= 0 && size_t(value) < names.size()) return names[size_t(value)];
  return value;
}

int32_t EnumValue(Fields& fields, const Json& value, const std::string& field,
                  const std::vector<std::string>& names) {
  if (value.is_string()) {
    std::string text = value.get<std::string>();
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == text) return int32_t(i);
    std::string known;
    for (const std::string& name : names) known += (known.empty() ? "" : ", ") + name;
    fields.Fail(field, "unknown value \"" + text + "\" (known: " + known + ")");
  }
  return fields.AsInt(value, field);
}

std::span<const BoolSetting> BoolSettings() {
  static const BoolSetting kRows[] = {
      {"full_screen", &GameSettings::FullScreen},
      {"interpolate", &GameSettings::Interpolate},
      {"no_border", &GameSettings::NoBorder},
      {"show_cursor", &GameSettings::ShowCursor},
      {"allow_resize", &GameSettings::AllowResize},
      {"stay_on_top", &GameSettings::StayOnTop},
      {"set_resolution", &GameSettings::SetResolution},
      {"no_buttons", &GameSettings::NoButtons},
      {"vsync", &GameSettings::VSync},
      {"key_full_screen", &GameSettings::KeyFullScreen},
      {"key_game_info", &GameSettings::KeyGameInfo},
      {"key_end_game", &GameSettings::KeyEndGame},
      {"key_save_load", &GameSettings::KeySaveLoad},
      {"freeze_on_lose_focus", &GameSettings::FreezeOnLoseFocus},
      {"show_progress_bar", &GameSettings::ShowProgressBar},
      {"loading_image_transparent", &GameSettings::LoadingImageTransparent},
      {"scale_progress_bar", &GameSettings::ScaleProgressBar},
      {"show_errors", &GameSettings::ShowErrors},
      {"write_error_log", &GameSettings::WriteErrorLog},
      {"abort_on_error", &GameSettings::AbortOnError},
      {"uninitialized_is_zero", &GameSettings::UninitializedIsZero},
  };
  return kRows;
}

std::span<const IntSetting> IntSettings() {
  static const IntSetting kRows[] = {
      {"scaling", &GameSettings::Scaling, false},
      {"window_color", &GameSettings::WindowColor, true},
      {"color_depth", &GameSettings::ColorDepth, false},
      {"resolution", &GameSettings::Resolution, false},
      {"frequency", &GameSettings::Frequency, false},
      {"priority", &GameSettings::Priority, false},
      {"loading_image_alpha", &GameSettings::LoadingImageAlpha, false},
  };
  return kRows;
}

std::span<const ImageSetting> ImageSettings() {
  static const ImageSetting kRows[] = {
      {"progress_back_image", &GameSettings::ProgressBackImage},
      {"progress_front_image", &GameSettings::ProgressFrontImage},
      {"loading_image", &GameSettings::LoadingImage},
  };
  return kRows;
}

resources::CAction DefaultAction(int32_t kind) {
  if (kind == resources::kActionCode) return resources::CAction::MakeCodeAction("");
  resources::CAction action;
  action.kind = kind;
  return action;
}

int32_t DefaultExecution(int32_t kind, const std::string& function_name) {
  int32_t execution = DefaultAction(kind).execution_type;
  if (execution == resources::kExecuteNothing && !function_name.empty())
    return resources::kExecuteFunction;
  return execution;
}

std::array<int32_t, resources::CAction::kMaxArguments> DefaultArgumentKinds(
    const resources::CAction& defaults, int32_t count) {
  std::array<int32_t, resources::CAction::kMaxArguments> kinds{};
  for (int32_t i = 0; i < count && i < defaults.kind_count; ++i)
    kinds[size_t(i)] = defaults.argument_kinds[size_t(i)];
  return kinds;
}

std::array<int32_t, 4> DefaultBoundingBox(const resources::CSprite& sprite) {
  resources::CSprite copy;
  copy.width = sprite.width;
  copy.height = sprite.height;
  copy.transparent = sprite.transparent;
  copy.bbox_mode = sprite.bbox_mode == resources::kBoundingBoxManual
                       ? resources::kBoundingBoxFullImage
                       : sprite.bbox_mode;
  copy.frames = sprite.frames;
  copy.ComputeBoundingBox();
  return {copy.bbox_left, copy.bbox_top, copy.bbox_right, copy.bbox_bottom};
}

void KindSlots::Index() {
  first_index.clear();
  for (size_t i = 0; i < slots.size(); ++i)
    if (slots[i].exists) first_index.emplace(slots[i].name, int(i));
}

std::optional<std::string> KindSlots::ReferenceName(int32_t index) const {
  if (index < 0 || size_t(index) >= slots.size() || !slots[size_t(index)].exists)
    return std::nullopt;
  const std::string& name = slots[size_t(index)].name;
  auto found = first_index.find(name);
  if (found == first_index.end() || found->second != index) return std::nullopt;
  return name;
}

bool IsValidStem(const std::string& stem) {
  if (stem.empty() || stem.size() > 100) return false;
  for (char c : stem)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
  return true;
}

std::string FoldCase(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = char(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace vendrel::vpack
