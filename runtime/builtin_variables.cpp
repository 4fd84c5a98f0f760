#include "runtime/builtin_variables.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <type_traits>

#include "code/errors.h"
#include "interpreter/actions.h"
#include "interpreter/builtin_variables.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "runner/game_data.h"
#include "runner/temp_dir.h"
#include "runtime/game_loop.h"
#include "runtime/game_state.h"
#include "runtime/instance.h"
#include "runtime/instance_commands.h"

namespace vendrel::runtime {

namespace {

using interp::RValue;
using resources::CBack;
using resources::CRoom;
using resources::CView;

// Setter conversions: a string counts as 0 where a number is expected and a
// real as the empty string where a string is expected.
double Real(const RValue& value) { return value.IsReal() ? value.real : 0.0; }
int Integer(const RValue& value) {
  return int(std::clamp<int64_t>(interp::RoundHalfEven(Real(value)), INT32_MIN, INT32_MAX));
}
bool Boolean(const RValue& value) { return interp::RoundHalfEven(Real(value)) > 0; }
std::string Text(const RValue& value) { return value.IsString() ? value.str : std::string(); }

template <class T>
void Convert(const RValue& value, T& target) {
  if constexpr (std::is_same_v<T, bool>)
    target = Boolean(value);
  else if constexpr (std::is_same_v<T, double>)
    target = Real(value);
  else if constexpr (std::is_integral_v<T>)
    target = T(Integer(value));
  else
    target = Text(value);
}

template <class T>
void Out(const T& value, RValue& out) {
  if constexpr (std::is_same_v<T, std::string>)
    out.SetString(value);
  else
    out.SetReal(double(value));
}

// Index ranges outside which index 0 is used.
int Clamped(int index, int count) { return index >= 0 && index < count ? index : 0; }

// Instance fields --------------------------------------------------------------

template <auto kMember>
bool GetField(CInstance* instance, int, RValue& out) {
  if (instance == nullptr) {
    out.SetReal(0.0);
    return true;
  }
  Out(instance->*kMember, out);
  return true;
}

template <auto kMember>
bool SetField(CInstance* instance, int, const RValue& value) {
  if (instance != nullptr) Convert(value, instance->*kMember);
  return true;
}

// A real field whose setter keeps derived fields in step.
template <void (CInstance::*kSetter)(double)>
bool SetThrough(CInstance* instance, int, const RValue& value) {
  if (instance != nullptr) (instance->*kSetter)(Real(value));
  return true;
}

template <void (CInstance::*kSetter)(int)>
bool SetThroughInteger(CInstance* instance, int, const RValue& value) {
  if (instance != nullptr) (instance->*kSetter)(Integer(value));
  return true;
}

bool SetX(CInstance* instance, int, const RValue& value) {
  if (instance != nullptr) instance->SetPosition(Real(value), instance->y);
  return true;
}

bool SetY(CInstance* instance, int, const RValue& value) {
  if (instance != nullptr) instance->SetPosition(instance->x, Real(value));
  return true;
}

bool GetAlarm(CInstance* instance, int index, RValue& out) {
  out.SetReal(instance != nullptr ? instance->Alarm(Clamped(index, kAlarmCount)) : 0.0);
  return true;
}

bool SetAlarm(CInstance* instance, int index, const RValue& value) {
  if (instance != nullptr) instance->SetAlarm(Clamped(index, kAlarmCount), Integer(value));
  return true;
}

bool GetImageSingle(CInstance* instance, int, RValue& out) {
  if (instance == nullptr)
    out.SetReal(0.0);
  else
    out.SetReal(instance->image_speed != 0.0 ? -1.0 : instance->image_index);
  return true;
}

bool SetImageSingle(CInstance* instance, int, const RValue& value) {
  if (instance == nullptr) return true;
  if (Real(value) >= 0.0) {
    instance->image_index = Real(value);
    instance->image_speed = 0.0;
  } else {
    instance->image_speed = 1.0;
  }
  return true;
}

bool GetImageNumber(CInstance* instance, int, RValue& out) {
  out.SetReal(instance != nullptr ? instance->ImageNumber() : 0);
  return true;
}

// sprite_width and relatives: a sprite measure times a scale.
enum class SpriteMeasure { Width, Height, XOffset, YOffset };

template <SpriteMeasure kMeasure>
bool GetSpriteMeasure(CInstance* instance, int, RValue& out) {
  out.SetReal(0.0);
  if (instance == nullptr) return true;
  const resources::CSprite* sprite = resources::Resources().sprites.Get(instance->sprite_index);
  if (sprite == nullptr) return true;
  switch (kMeasure) {
    case SpriteMeasure::Width: out.SetReal(sprite->width * instance->image_xscale); break;
    case SpriteMeasure::Height: out.SetReal(sprite->height * instance->image_yscale); break;
    case SpriteMeasure::XOffset: out.SetReal(sprite->x_origin * instance->image_xscale); break;
    case SpriteMeasure::YOffset: out.SetReal(sprite->y_origin * instance->image_yscale); break;
  }
  return true;
}

// Global game state --------------------------------------------------------------

template <auto kMember>
bool GetGame(CInstance*, int, RValue& out) {
  Out(Game().*kMember, out);
  return true;
}

template <auto kMember>
bool SetGame(CInstance*, int, const RValue& value) {
  Convert(value, Game().*kMember);
  return true;
}

bool SetLives(CInstance*, int, const RValue& value) {
  runtime::SetLives(Integer(value));
  return true;
}

bool SetHealth(CInstance*, int, const RValue& value) {
  runtime::SetHealth(Real(value));
  return true;
}

bool SetShowScore(CInstance*, int, const RValue& value) {
  Game().show_score = Boolean(value);
  Game().score_shown_because_set = true;
  return true;
}

bool GetArgumentRelative(CInstance*, int, RValue& out) {
  out.SetReal(interp::ActionRelative() ? 1.0 : 0.0);
  return true;
}

// Rooms -------------------------------------------------------------------------

bool GetRoom(CInstance*, int, RValue& out) {
  out.SetReal(Game().room);
  return true;
}

bool SetRoom(CInstance*, int, const RValue& value) {
  RequestRoom(Integer(value));
  return true;
}

bool GetRoomFirst(CInstance*, int, RValue& out) {
  out.SetReal(resources::Resources().room_order.First());
  return true;
}

bool GetRoomLast(CInstance*, int, RValue& out) {
  out.SetReal(resources::Resources().room_order.Last());
  return true;
}

template <auto kMember>
bool GetRoomField(CInstance*, int, RValue& out) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) {
    using T = std::remove_cvref_t<decltype(CRoom{}.*kMember)>;
    Out(T{}, out);
    return true;
  }
  Out(room->data.*kMember, out);
  return true;
}

template <auto kMember>
bool SetRoomField(CInstance*, int, const RValue& value) {
  if (CRunRoom* room = CurrentRoom()) Convert(value, room->data.*kMember);
  return true;
}

bool SetRoomSpeed(CInstance*, int, const RValue& value) {
  const int speed = Integer(value);
  if (speed <= 0) {
    code::ShowError("Trying to set the room speed to a value <= 0.", false);
    return false;
  }
  if (CRunRoom* room = CurrentRoom()) room->data.speed = speed;
  return true;
}

// Background layers and views of the current room, index 0 to 7.
template <auto kMember>
bool GetLayerField(CInstance*, int index, RValue& out) {
  CRunRoom* room = CurrentRoom();
  const CBack layer = room != nullptr
                          ? room->data.backgrounds[size_t(Clamped(index, CRoom::kLayerCount))]
                          : CBack{};
  Out(layer.*kMember, out);
  return true;
}

template <auto kMember>
bool SetLayerField(CInstance*, int index, const RValue& value) {
  if (CRunRoom* room = CurrentRoom())
    Convert(value, room->data.backgrounds[size_t(Clamped(index, CRoom::kLayerCount))].*kMember);
  return true;
}

template <bool kWidth>
bool GetLayerImageSize(CInstance*, int index, RValue& out) {
  out.SetReal(0.0);
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return true;
  const CBack& layer = room->data.backgrounds[size_t(Clamped(index, CRoom::kLayerCount))];
  if (const resources::CBackground* image = resources::Resources().backgrounds.Get(layer.background))
    out.SetReal(kWidth ? image->width : image->height);
  return true;
}

template <auto kMember>
bool GetViewField(CInstance*, int index, RValue& out) {
  CRunRoom* room = CurrentRoom();
  const CView view =
      room != nullptr ? room->data.views[size_t(Clamped(index, CRoom::kViewCount))] : CView{};
  Out(view.*kMember, out);
  return true;
}

template <auto kMember>
bool SetViewField(CInstance*, int index, const RValue& value) {
  if (CRunRoom* room = CurrentRoom())
    Convert(value, room->data.views[size_t(Clamped(index, CRoom::kViewCount))].*kMember);
  return true;
}

// Instances of the room ----------------------------------------------------------

bool GetInstanceCount(CInstance*, int, RValue& out) {
  CRunRoom* room = CurrentRoom();
  out.SetReal(room != nullptr ? room->ActiveCount() : 0);
  return true;
}

bool GetInstanceId(CInstance*, int index, RValue& out) {
  CRunRoom* room = CurrentRoom();
  CInstance* instance = room != nullptr ? room->ActiveAt(index) : nullptr;
  out.SetReal(instance != nullptr ? instance->id : kNoone);
  return true;
}

// Input ---------------------------------------------------------------------------

template <auto kMember>
bool GetInput(CInstance*, int, RValue& out) {
  Out(Input().*kMember, out);
  return true;
}

template <auto kMember>
bool SetMouseButton(CInstance*, int, const RValue& value) {
  const int button = Integer(value);
  if (button >= 1 && button <= 3) Input().*kMember = button;
  return true;
}

template <auto kMember>
bool SetKey(CInstance*, int, const RValue& value) {
  const int key = Integer(value);
  if (key >= 0 && key <= 255) Input().*kMember = key;
  return true;
}

bool SetLastChar(CInstance*, int, const RValue& value) {
  const std::string text = Text(value);
  if (!text.empty()) Input().keyboard_lastchar = text.substr(0, 1);
  return true;
}

bool SetKeyboardString(CInstance*, int, const RValue& value) {
  Input().keyboard_string = Text(value);
  return true;
}

// Time ----------------------------------------------------------------------------

bool GetCurrentTime(CInstance*, int, RValue& out) {
  if (LoopSettings().virtual_clock) {
    // Virtual time keeps a headless run repeatable.
    out.SetReal(double(ClockNow() / 1000));
  } else {
    const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    out.SetReal(double(std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count()));
  }
  return true;
}

template <int64_t interp::DateTimeFields::*kField>
bool GetDateField(CInstance*, int, RValue& out) {
  out.SetReal(double(interp::DecodeDateTime(interp::DateTimeNow()).*kField));
  return true;
}

// Events, game and errors ----------------------------------------------------------

template <int code::RunErrorContext::*kField>
bool GetContext(CInstance*, int, RValue& out) {
  out.SetReal(code::ErrorContext().*kField);
  return true;
}

bool GetGameId(CInstance*, int, RValue& out) {
  out.SetReal(runner::Identity().GameId);
  return true;
}

bool GetWorkingDirectory(CInstance*, int, RValue& out) {
  std::error_code error;
  out.SetString(std::filesystem::current_path(error).string());
  return true;
}

bool GetTempDirectory(CInstance*, int, RValue& out) {
  out.SetString(runner::TempDir());
  return true;
}

struct VariableRow {
  const char* name;
  interp::BuiltinGetter getter;
  interp::BuiltinSetter setter;
};

template <auto kMember>
constexpr VariableRow Field(const char* name) {
  return {name, GetField<kMember>, SetField<kMember>};
}

template <auto kMember>
constexpr VariableRow ReadOnlyField(const char* name) {
  return {name, GetField<kMember>, nullptr};
}

template <auto kMember>
constexpr VariableRow Layer(const char* name) {
  return {name, GetLayerField<kMember>, SetLayerField<kMember>};
}

template <auto kMember>
constexpr VariableRow View(const char* name) {
  return {name, GetViewField<kMember>, SetViewField<kMember>};
}

template <auto kMember>
constexpr VariableRow GameField(const char* name) {
  return {name, GetGame<kMember>, SetGame<kMember>};
}

using I = CInstance;
using G = GameState;

// The instance variables (ids 0 to 48), in their fixed order.
const VariableRow kInstanceVariables[] = {
    {"x", GetField<&I::x>, SetX},
    {"y", GetField<&I::y>, SetY},
    Field<&I::xprevious>("xprevious"),
    Field<&I::yprevious>("yprevious"),
    Field<&I::xstart>("xstart"),
    Field<&I::ystart>("ystart"),
    {"hspeed", GetField<&I::hspeed>, SetThrough<&I::SetHSpeed>},
    {"vspeed", GetField<&I::vspeed>, SetThrough<&I::SetVSpeed>},
    {"direction", GetField<&I::direction>, SetThrough<&I::SetDirection>},
    {"speed", GetField<&I::speed>, SetThrough<&I::SetSpeed>},
    Field<&I::friction>("friction"),
    Field<&I::gravity>("gravity"),
    Field<&I::gravity_direction>("gravity_direction"),
    ReadOnlyField<&I::object_index>("object_index"),
    ReadOnlyField<&I::id>("id"),
    {"alarm", GetAlarm, SetAlarm},
    Field<&I::solid>("solid"),
    Field<&I::visible>("visible"),
    Field<&I::persistent>("persistent"),
    Field<&I::depth>("depth"),
    ReadOnlyField<&I::bbox_left>("bbox_left"),
    ReadOnlyField<&I::bbox_right>("bbox_right"),
    ReadOnlyField<&I::bbox_top>("bbox_top"),
    ReadOnlyField<&I::bbox_bottom>("bbox_bottom"),
    {"sprite_index", GetField<&I::sprite_index>, SetThroughInteger<&I::SetSprite>},
    Field<&I::image_index>("image_index"),
    {"image_single", GetImageSingle, SetImageSingle},
    {"image_number", GetImageNumber, nullptr},
    {"sprite_width", GetSpriteMeasure<SpriteMeasure::Width>, nullptr},
    {"sprite_height", GetSpriteMeasure<SpriteMeasure::Height>, nullptr},
    {"sprite_xoffset", GetSpriteMeasure<SpriteMeasure::XOffset>, nullptr},
    {"sprite_yoffset", GetSpriteMeasure<SpriteMeasure::YOffset>, nullptr},
    {"image_xscale", GetField<&I::image_xscale>, SetThrough<&I::SetImageXScale>},
    {"image_yscale", GetField<&I::image_yscale>, SetThrough<&I::SetImageYScale>},
    {"image_angle", GetField<&I::image_angle>, SetThrough<&I::SetImageAngle>},
    Field<&I::image_alpha>("image_alpha"),
    Field<&I::image_blend>("image_blend"),
    Field<&I::image_speed>("image_speed"),
    {"mask_index", GetField<&I::mask_index>, SetThroughInteger<&I::SetMask>},
    ReadOnlyField<&I::path_index>("path_index"),
    {"path_position", GetField<&I::path_position>, SetThrough<&I::SetPathPosition>},
    {"path_positionprevious", GetField<&I::path_positionprevious>,
     SetThrough<&I::SetPathPositionPrevious>},
    Field<&I::path_speed>("path_speed"),
    Field<&I::path_scale>("path_scale"),
    Field<&I::path_orientation>("path_orientation"),
    Field<&I::path_endaction>("path_endaction"),
    Field<&I::timeline_index>("timeline_index"),
    Field<&I::timeline_position>("timeline_position"),
    Field<&I::timeline_speed>("timeline_speed"),
};

// The global variables that follow argument0 .. argument15 (ids 67 to 148).
const VariableRow kGlobalVariables[] = {
    {"room", GetRoom, SetRoom},
    {"room_first", GetRoomFirst, nullptr},
    {"room_last", GetRoomLast, nullptr},
    GameField<&G::transition_kind>("transition_kind"),
    GameField<&G::score>("score"),
    {"lives", GetGame<&G::lives>, SetLives},
    {"health", GetGame<&G::health>, SetHealth},
    {"game_id", GetGameId, nullptr},
    {"working_directory", GetWorkingDirectory, nullptr},
    {"temp_directory", GetTempDirectory, nullptr},
    {"instance_count", GetInstanceCount, nullptr},
    {"instance_id", GetInstanceId, nullptr},
    {"room_width", GetRoomField<&CRoom::width>, nullptr},
    {"room_height", GetRoomField<&CRoom::height>, nullptr},
    {"room_caption", GetRoomField<&CRoom::caption>, SetRoomField<&CRoom::caption>},
    {"room_speed", GetRoomField<&CRoom::speed>, SetRoomSpeed},
    {"room_persistent", GetRoomField<&CRoom::persistent>, SetRoomField<&CRoom::persistent>},
    {"background_color", GetRoomField<&CRoom::background_color>,
     SetRoomField<&CRoom::background_color>},
    {"background_showcolor", GetRoomField<&CRoom::draw_background_color>,
     SetRoomField<&CRoom::draw_background_color>},
    Layer<&CBack::visible>("background_visible"),
    Layer<&CBack::foreground>("background_foreground"),
    Layer<&CBack::background>("background_index"),
    Layer<&CBack::x>("background_x"),
    Layer<&CBack::y>("background_y"),
    {"background_width", GetLayerImageSize<true>, nullptr},
    {"background_height", GetLayerImageSize<false>, nullptr},
    Layer<&CBack::tile_horizontally>("background_htiled"),
    Layer<&CBack::tile_vertically>("background_vtiled"),
    Layer<&CBack::x_scale>("background_xscale"),
    Layer<&CBack::y_scale>("background_yscale"),
    Layer<&CBack::horizontal_speed>("background_hspeed"),
    Layer<&CBack::vertical_speed>("background_vspeed"),
    Layer<&CBack::blend_color>("background_blend"),
    Layer<&CBack::alpha>("background_alpha"),
    {"view_enabled", GetRoomField<&CRoom::views_enabled>, SetRoomField<&CRoom::views_enabled>},
    {"view_current", GetGame<&G::view_current>, nullptr},
    View<&CView::visible>("view_visible"),
    View<&CView::view_x>("view_xview"),
    View<&CView::view_y>("view_yview"),
    View<&CView::view_width>("view_wview"),
    View<&CView::view_height>("view_hview"),
    View<&CView::port_x>("view_xport"),
    View<&CView::port_y>("view_yport"),
    View<&CView::port_width>("view_wport"),
    View<&CView::port_height>("view_hport"),
    View<&CView::angle>("view_angle"),
    View<&CView::horizontal_border>("view_hborder"),
    View<&CView::vertical_border>("view_vborder"),
    View<&CView::horizontal_speed>("view_hspeed"),
    View<&CView::vertical_speed>("view_vspeed"),
    View<&CView::followed_object>("view_object"),
    {"mouse_x", GetInput<&InputState::mouse_x>, nullptr},
    {"mouse_y", GetInput<&InputState::mouse_y>, nullptr},
    {"mouse_button", GetInput<&InputState::mouse_button>,
     SetMouseButton<&InputState::mouse_button>},
    {"mouse_lastbutton", GetInput<&InputState::mouse_lastbutton>,
     SetMouseButton<&InputState::mouse_lastbutton>},
    {"keyboard_key", GetInput<&InputState::keyboard_key>, SetKey<&InputState::keyboard_key>},
    {"keyboard_lastkey", GetInput<&InputState::keyboard_lastkey>,
     SetKey<&InputState::keyboard_lastkey>},
    {"keyboard_lastchar", GetInput<&InputState::keyboard_lastchar>, SetLastChar},
    {"keyboard_string", GetInput<&InputState::keyboard_string>, SetKeyboardString},
    GameField<&G::cursor_sprite>("cursor_sprite"),
    {"show_score", GetGame<&G::show_score>, SetShowScore},
    GameField<&G::show_lives>("show_lives"),
    GameField<&G::show_health>("show_health"),
    GameField<&G::caption_score>("caption_score"),
    GameField<&G::caption_lives>("caption_lives"),
    GameField<&G::caption_health>("caption_health"),
    {"fps", GetGame<&G::fps>, nullptr},
    {"current_time", GetCurrentTime, nullptr},
    {"current_year", GetDateField<&interp::DateTimeFields::year>, nullptr},
    {"current_month", GetDateField<&interp::DateTimeFields::month>, nullptr},
    {"current_day", GetDateField<&interp::DateTimeFields::day>, nullptr},
    {"current_weekday", GetDateField<&interp::DateTimeFields::weekday>, nullptr},
    {"current_hour", GetDateField<&interp::DateTimeFields::hour>, nullptr},
    {"current_minute", GetDateField<&interp::DateTimeFields::minute>, nullptr},
    {"current_second", GetDateField<&interp::DateTimeFields::second>, nullptr},
    {"event_type", GetContext<&code::RunErrorContext::event_type>, nullptr},
    {"event_number", GetContext<&code::RunErrorContext::event_number>, nullptr},
    {"event_object", GetContext<&code::RunErrorContext::object_index>, nullptr},
    {"event_action", GetContext<&code::RunErrorContext::action_index>, nullptr},
    {"secure_mode", GetGame<&G::secure_mode>, nullptr},
    {"error_occurred", interp::GetErrorOccurred, interp::SetErrorOccurred},
    {"error_last", interp::GetErrorLast, interp::SetErrorLast},
};

void Register(const VariableRow& row) {
  interp::RegisterBuiltinVariable(row.name, row.getter, row.setter);
}

}  // namespace

void RegisterBuiltinVariables() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  for (const VariableRow& row : kInstanceVariables) Register(row);
  interp::RegisterBuiltinVariable("argument_relative", GetArgumentRelative, nullptr);
  interp::RegisterBuiltinVariable("argument", interp::GetArgumentArray, interp::SetArgumentArray);
  for (int i = 0; i < interp::kArgumentSlots; ++i)
    interp::RegisterBuiltinVariable("argument" + std::to_string(i), interp::kArgumentGetters[i],
                                    interp::kArgumentSetters[i]);
  for (const VariableRow& row : kGlobalVariables) Register(row);
}

}  // namespace vendrel::runtime
