#include "code/constants.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "code/code.h"
#include "code/errors.h"
#include "platform/message_box.h"
#include "resources/game_resources.h"
#include "runtime/instance.h"

namespace vendrel::code {

namespace {

struct BuiltinConstant {
  const char* name;
  double value;
};

// Colours are 0xBBGGRR, red in the low byte.
constexpr BuiltinConstant kBuiltinConstants[] = {
    // Instance designators (6)
    {"self", -1},
    {"other", -2},
    {"all", -3},
    {"noone", -4},
    {"global", -5},
    {"local", -7},
    // Truth values and pi (3)
    {"true", 1},
    {"false", 0},
    {"pi", 3.141592653589793},
    // Primitive kinds (6)
    {"pr_pointlist", 1},
    {"pr_linelist", 2},
    {"pr_linestrip", 3},
    {"pr_trianglelist", 4},
    {"pr_trianglestrip", 5},
    {"pr_trianglefan", 6},
    // Colours (18)
    {"c_aqua", 16776960},
    {"c_black", 0},
    {"c_blue", 16711680},
    {"c_dkgray", 4210752},
    {"c_fuchsia", 16711935},
    {"c_gray", 8421504},
    {"c_green", 32768},
    {"c_lime", 65280},
    {"c_ltgray", 12632256},
    {"c_maroon", 128},
    {"c_navy", 8388608},
    {"c_olive", 32896},
    {"c_purple", 8388736},
    {"c_red", 255},
    {"c_silver", 12632256},
    {"c_teal", 8421376},
    {"c_white", 16777215},
    {"c_yellow", 65535},
    // Blend modes (15)
    {"bm_normal", 0},
    {"bm_add", 1},
    {"bm_max", 2},
    {"bm_subtract", 3},
    {"bm_zero", 1},
    {"bm_one", 2},
    {"bm_src_color", 3},
    {"bm_inv_src_color", 4},
    {"bm_src_alpha", 5},
    {"bm_inv_src_alpha", 6},
    {"bm_dest_alpha", 7},
    {"bm_inv_dest_alpha", 8},
    {"bm_dest_color", 9},
    {"bm_inv_dest_color", 10},
    {"bm_src_alpha_sat", 11},
    // Sound effects (8)
    {"se_none", 0},
    {"se_chorus", 1},
    {"se_echo", 2},
    {"se_flanger", 4},
    {"se_gargle", 8},
    {"se_reverb", 16},
    {"se_compressor", 32},
    {"se_equalizer", 64},
    // Text alignment (6)
    {"fa_left", 0},
    {"fa_center", 1},
    {"fa_right", 2},
    {"fa_top", 0},
    {"fa_middle", 1},
    {"fa_bottom", 2},
    // Mouse buttons (5)
    {"mb_any", -1},
    {"mb_none", 0},
    {"mb_left", 1},
    {"mb_right", 2},
    {"mb_middle", 3},
    // Virtual keys (56)
    {"vk_nokey", 0},
    {"vk_anykey", 1},
    {"vk_enter", 13},
    {"vk_return", 13},
    {"vk_shift", 16},
    {"vk_control", 17},
    {"vk_alt", 18},
    {"vk_escape", 27},
    {"vk_space", 32},
    {"vk_backspace", 8},
    {"vk_tab", 9},
    {"vk_pause", 19},
    {"vk_printscreen", 44},
    {"vk_left", 37},
    {"vk_right", 39},
    {"vk_up", 38},
    {"vk_down", 40},
    {"vk_home", 36},
    {"vk_end", 35},
    {"vk_delete", 46},
    {"vk_insert", 45},
    {"vk_pageup", 33},
    {"vk_pagedown", 34},
    {"vk_f1", 112},
    {"vk_f2", 113},
    {"vk_f3", 114},
    {"vk_f4", 115},
    {"vk_f5", 116},
    {"vk_f6", 117},
    {"vk_f7", 118},
    {"vk_f8", 119},
    {"vk_f9", 120},
    {"vk_f10", 121},
    {"vk_f11", 122},
    {"vk_f12", 123},
    {"vk_numpad0", 96},
    {"vk_numpad1", 97},
    {"vk_numpad2", 98},
    {"vk_numpad3", 99},
    {"vk_numpad4", 100},
    {"vk_numpad5", 101},
    {"vk_numpad6", 102},
    {"vk_numpad7", 103},
    {"vk_numpad8", 104},
    {"vk_numpad9", 105},
    {"vk_divide", 111},
    {"vk_multiply", 106},
    {"vk_subtract", 109},
    {"vk_add", 107},
    {"vk_decimal", 110},
    {"vk_lshift", 160},
    {"vk_lcontrol", 162},
    {"vk_lalt", 164},
    {"vk_rshift", 161},
    {"vk_rcontrol", 163},
    {"vk_ralt", 165},
    // Event types and event numbers (89)
    {"ev_create", 0},
    {"ev_destroy", 1},
    {"ev_step", 3},
    {"ev_alarm", 2},
    {"ev_keyboard", 5},
    {"ev_mouse", 6},
    {"ev_collision", 4},
    {"ev_other", 7},
    {"ev_draw", 8},
    {"ev_keypress", 9},
    {"ev_keyrelease", 10},
    {"ev_left_button", 0},
    {"ev_right_button", 1},
    {"ev_middle_button", 2},
    {"ev_no_button", 3},
    {"ev_left_press", 4},
    {"ev_right_press", 5},
    {"ev_middle_press", 6},
    {"ev_left_release", 7},
    {"ev_right_release", 8},
    {"ev_middle_release", 9},
    {"ev_mouse_enter", 10},
    {"ev_mouse_leave", 11},
    {"ev_global_press", 12},
    {"ev_global_release", 13},
    {"ev_joystick1_left", 16},
    {"ev_joystick1_right", 17},
    {"ev_joystick1_up", 18},
    {"ev_joystick1_down", 19},
    {"ev_joystick1_button1", 21},
    {"ev_joystick1_button2", 22},
    {"ev_joystick1_button3", 23},
    {"ev_joystick1_button4", 24},
    {"ev_joystick1_button5", 25},
    {"ev_joystick1_button6", 26},
    {"ev_joystick1_button7", 27},
    {"ev_joystick1_button8", 28},
    {"ev_joystick2_left", 31},
    {"ev_joystick2_right", 32},
    {"ev_joystick2_up", 33},
    {"ev_joystick2_down", 34},
    {"ev_joystick2_button1", 36},
    {"ev_joystick2_button2", 37},
    {"ev_joystick2_button3", 38},
    {"ev_joystick2_button4", 39},
    {"ev_joystick2_button5", 40},
    {"ev_joystick2_button6", 41},
    {"ev_joystick2_button7", 42},
    {"ev_joystick2_button8", 43},
    {"ev_global_left_button", 50},
    {"ev_global_right_button", 51},
    {"ev_global_middle_button", 52},
    {"ev_global_left_press", 53},
    {"ev_global_right_press", 54},
    {"ev_global_middle_press", 55},
    {"ev_global_left_release", 56},
    {"ev_global_right_release", 57},
    {"ev_global_middle_release", 58},
    {"ev_mouse_wheel_up", 60},
    {"ev_mouse_wheel_down", 61},
    {"ev_outside", 0},
    {"ev_boundary", 1},
    {"ev_game_start", 2},
    {"ev_game_end", 3},
    {"ev_room_start", 4},
    {"ev_room_end", 5},
    {"ev_no_more_lives", 6},
    {"ev_animation_end", 7},
    {"ev_end_of_path", 8},
    {"ev_no_more_health", 9},
    {"ev_user0", 10},
    {"ev_user1", 11},
    {"ev_user2", 12},
    {"ev_user3", 13},
    {"ev_user4", 14},
    {"ev_user5", 15},
    {"ev_user6", 16},
    {"ev_user7", 17},
    {"ev_user8", 18},
    {"ev_user9", 19},
    {"ev_user10", 20},
    {"ev_user11", 21},
    {"ev_user12", 22},
    {"ev_user13", 23},
    {"ev_user14", 24},
    {"ev_user15", 25},
    {"ev_step_normal", 0},
    {"ev_step_begin", 1},
    {"ev_step_end", 2},
    // Value kinds (2)
    {"ty_real", 0},
    {"ty_string", 1},
    // Calling conventions of external functions (2)
    {"dll_cdecl", 0},
    {"dll_stdcall", 1},
    // File attributes (6)
    {"fa_readonly", 1},
    {"fa_hidden", 2},
    {"fa_sysfile", 4},
    {"fa_volumeid", 8},
    {"fa_directory", 16},
    {"fa_archive", 32},
    // Cursors (23)
    {"cr_default", 0},
    {"cr_none", -1},
    {"cr_arrow", -2},
    {"cr_arrrow", -2},
    {"cr_cross", -3},
    {"cr_beam", -4},
    {"cr_size_nesw", -6},
    {"cr_size_ns", -7},
    {"cr_size_nwse", -8},
    {"cr_size_we", -9},
    {"cr_uparrow", -10},
    {"cr_hourglass", -11},
    {"cr_drag", -12},
    {"cr_nodrop", -13},
    {"cr_hsplit", -14},
    {"cr_vsplit", -15},
    {"cr_multidrag", -16},
    {"cr_sqlwait", -17},
    {"cr_no", -18},
    {"cr_appstart", -19},
    {"cr_help", -20},
    {"cr_handpoint", -21},
    {"cr_size_all", -22},
    // Particle shapes (14)
    {"pt_shape_pixel", 0},
    {"pt_shape_disk", 1},
    {"pt_shape_square", 2},
    {"pt_shape_line", 3},
    {"pt_shape_star", 4},
    {"pt_shape_circle", 5},
    {"pt_shape_ring", 6},
    {"pt_shape_sphere", 7},
    {"pt_shape_flare", 8},
    {"pt_shape_spark", 9},
    {"pt_shape_explosion", 10},
    {"pt_shape_cloud", 11},
    {"pt_shape_smoke", 12},
    {"pt_shape_snow", 13},
    // Particle emitter distributions, shapes, forces, deflection and change modes (14)
    {"ps_distr_linear", 0},
    {"ps_distr_gaussian", 1},
    {"ps_shape_rectangle", 0},
    {"ps_shape_ellipse", 1},
    {"ps_shape_diamond", 2},
    {"ps_shape_line", 3},
    {"ps_force_constant", 0},
    {"ps_force_linear", 1},
    {"ps_force_quadratic", 2},
    {"ps_deflect_vertical", 0},
    {"ps_deflect_horizontal", 1},
    {"ps_change_all", 0},
    {"ps_change_shape", 1},
    {"ps_change_motion", 2},
    // Effect kinds (12)
    {"ef_explosion", 0},
    {"ef_ring", 1},
    {"ef_ellipse", 2},
    {"ef_firework", 3},
    {"ef_smoke", 4},
    {"ef_smokeup", 5},
    {"ef_star", 6},
    {"ef_spark", 7},
    {"ef_flare", 8},
    {"ef_cloud", 9},
    {"ef_rain", 10},
    {"ef_snow", 11},
};

static_assert(std::size(kBuiltinConstants) == kBuiltinConstantCount);

class ConstantTable {
 public:
  ConstantTable() {
    for (const BuiltinConstant& constant : kBuiltinConstants)
      Add(constant.name, interp::RValue(constant.value));
  }

  void Add(std::string_view name, const interp::RValue& value) {
    names_.emplace_back(name);
    values_.push_back(value);
    // The first entry of a name is the one found.
    first_by_name_.try_emplace(names_.back(), int(names_.size()) - 1);
  }

  int Find(std::string_view name) const {
    auto found = first_by_name_.find(std::string(name));
    return found == first_by_name_.end() ? -1 : found->second;
  }

  void Truncate(int count) {
    while (int(names_.size()) > count) {
      auto found = first_by_name_.find(names_.back());
      if (found != first_by_name_.end() && found->second == int(names_.size()) - 1)
        first_by_name_.erase(found);
      names_.pop_back();
      values_.pop_back();
    }
  }

  int Count() const { return int(names_.size()); }
  const std::string& Name(int index) const { return names_.at(size_t(index)); }
  const interp::RValue& Value(int index) const { return values_.at(size_t(index)); }

 private:
  std::vector<std::string> names_;
  std::vector<interp::RValue> values_;
  std::unordered_map<std::string, int> first_by_name_;
};

ConstantTable& Table() {
  static ConstantTable table;
  return table;
}

std::string Trim(std::string_view text) {
  size_t start = 0;
  size_t end = text.size();
  while (start < end && static_cast<unsigned char>(text[start]) <= 32) ++start;
  while (end > start && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(start, end - start));
}

bool IsIdentifier(std::string_view name) {
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (name.empty() || !letter(name[0])) return false;
  for (char c : name.substr(1))
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

void ShowPlainMessage(const std::string& text) {
  platform::ShowMessageBox("Vendrel", text, platform::MessageIcon::Information, {"OK"}, 0);
}

}  // namespace

void AddConstant(std::string_view name, const interp::RValue& value) { Table().Add(name, value); }

bool FindConstant(std::string_view name, interp::RValue& value) {
  int resource = resources::FindResourceConstant(name);
  if (resource >= 0) {
    value.SetReal(double(resource));
    return true;
  }
  int index = Table().Find(name);
  if (index < 0) return false;
  value = Table().Value(index);
  return true;
}

int ConstantCount() { return Table().Count(); }
const std::string& ConstantName(int index) { return Table().Name(index); }
const interp::RValue& ConstantValue(int index) { return Table().Value(index); }

void RemoveUserConstants() { Table().Truncate(kBuiltinConstantCount); }

bool DefineUserConstants(std::span<const UserConstant> constants) {
  for (const UserConstant& constant : constants) {
    std::string name = Trim(constant.name);
    if (!IsIdentifier(name)) {
      ShowPlainMessage("Constant name " + name + "  is not valid.");
      return false;
    }
    CCode code(constant.value, true);
    interp::RValue value;
    bool ok = code.Compile();
    if (ok) {
      auto temporary = std::make_unique<runtime::CInstance>();
      ok = EvaluateCode(temporary.get(), temporary.get(), code, value);
    }
    if (!ok) {
      Errors().pending = false;
      ShowPlainMessage("Value for constant " + name + "  is not valid.");
      return false;
    }
    AddConstant(name, value);
  }
  return true;
}

}  // namespace vendrel::code
