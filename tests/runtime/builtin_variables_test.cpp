// The built-in variables: registry order, index ranges, setter conversions
// and the setters with side effects.
#include "tests/runtime/game_fixture.h"

namespace vendrel::testing {
namespace {

using namespace resources;

TEST_F(GameTest, BuiltinVariablesAreRegisteredInTheirFixedOrder) {
  const char* const kNames[] = {
      "x", "y", "xprevious", "yprevious", "xstart", "ystart", "hspeed", "vspeed", "direction",
      "speed", "friction", "gravity", "gravity_direction", "object_index", "id", "alarm", "solid",
      "visible", "persistent", "depth", "bbox_left", "bbox_right", "bbox_top", "bbox_bottom",
      "sprite_index", "image_index", "image_single", "image_number", "sprite_width",
      "sprite_height", "sprite_xoffset", "sprite_yoffset", "image_xscale", "image_yscale",
      "image_angle", "image_alpha", "image_blend", "image_speed", "mask_index", "path_index",
      "path_position", "path_positionprevious", "path_speed", "path_scale", "path_orientation",
      "path_endaction", "timeline_index", "timeline_position", "timeline_speed",
      "argument_relative", "argument", "argument0", "argument1", "argument2", "argument3",
      "argument4", "argument5", "argument6", "argument7", "argument8", "argument9", "argument10",
      "argument11", "argument12", "argument13", "argument14", "argument15", "room", "room_first",
      "room_last", "transition_kind", "score", "lives", "health", "game_id",
      "working_directory", "temp_directory", "instance_count", "instance_id", "room_width",
      "room_height", "room_caption", "room_speed", "room_persistent", "background_color",
      "background_showcolor", "background_visible", "background_foreground",
      "background_index", "background_x", "background_y", "background_width",
      "background_height", "background_htiled", "background_vtiled", "background_xscale",
      "background_yscale", "background_hspeed", "background_vspeed", "background_blend",
      "background_alpha", "view_enabled", "view_current", "view_visible", "view_xview",
      "view_yview", "view_wview", "view_hview", "view_xport", "view_yport", "view_wport",
      "view_hport", "view_angle", "view_hborder", "view_vborder", "view_hspeed", "view_vspeed",
      "view_object", "mouse_x", "mouse_y", "mouse_button", "mouse_lastbutton", "keyboard_key",
      "keyboard_lastkey", "keyboard_lastchar", "keyboard_string", "cursor_sprite",
      "show_score", "show_lives", "show_health", "caption_score", "caption_lives",
      "caption_health", "fps", "current_time", "current_year", "current_month", "current_day",
      "current_weekday", "current_hour", "current_minute", "current_second", "event_type",
      "event_number", "event_object", "event_action", "secure_mode", "error_occurred",
      "error_last"};
  ASSERT_EQ(interp::BuiltinVariableCount(), int(std::size(kNames)));
  for (int id = 0; id < int(std::size(kNames)); ++id)
    EXPECT_EQ(interp::BuiltinVariableAt(id)->name, kNames[id]) << id;
  const char* const kReadOnly[] = {"object_index", "id", "bbox_left", "image_number",
                                   "sprite_width", "path_index", "argument_relative",
                                   "room_first", "instance_count", "instance_id", "room_width",
                                   "background_width", "view_current", "mouse_x", "fps",
                                   "current_time", "event_type", "secure_mode", "game_id"};
  for (const char* name : kReadOnly)
    EXPECT_FALSE(interp::BuiltinVariableAt(interp::FindBuiltinVariable(name))->writable) << name;
}


class VariableTest : public GameTest {
 public:
  std::vector<std::string> Run(const std::string& source) {
    SetUp();
    const int sprite = AddSprite("s", 16, 8, 4, 2, 1);
    const int o = AddObject("o");
    Object(o).sprite = sprite;
    Code(o, kEventCreate, 0, source);
    const int r = AddRoom("r");
    Place(r, o, 10, 20);
    Play(1);
    return Log();
  }
};

TEST_F(VariableTest, SettersConvertAndClampTheirIndexes) {
  struct Case {
    const char* code;
    const char* expected;
  };
  const Case cases[] = {
      {"alarm[12] = 4; log(alarm[0], alarm[12], alarm[1])", "4 4 -1"},
      {"alarm[1] = 2.5; log(alarm[1])", "2"},
      {"visible = 0.5; a = visible; visible = 0.6; log(a, visible)", "0 1"},
      {"solid = -1; log(solid)", "0"},
      {"direction = 370; a = direction; direction = -90; log(a, direction)", "10 270"},
      {"hspeed = 3; vspeed = -3; log(direction, round(speed * 1000))", "45 4243"},
      {"speed = 2; direction = 90; log(hspeed, vspeed)", "0 -2"},
      {"x = 15; log(bbox_left, bbox_right, bbox_top, bbox_bottom)", "13 28 19 26"},
      {"image_xscale = 2; log(sprite_width, sprite_xoffset, bbox_left)", "32 4 6"},
      {"image_single = 2; log(image_index, image_speed, image_single)", "2 0 2"},
      {"image_single = -1; log(image_speed, image_single)", "1 -1"},
      {"image_index = 3.5; sprite_index = -1; log(image_index, image_number, sprite_width)",
       "0 0 0"},
      {"path_position = 2; a = path_position; path_position = -1; log(a, path_position)", "1 0"},
      {"argument[16] = 'a'; log(argument0, argument[3])", "a 0"},
      {"view_xview[8] = 12; log(view_xview[0], view_wview[3])", "12 640"},
      {"background_x[2] = 5.5; background_visible[2] = 1; log(background_x[2], "
       "background_visible[2], background_width[2])",
       "5.50 1 0"},
      {"mouse_button = 0; a = mouse_button; mouse_button = 2; log(a, mouse_button)", "0 2"},
      {"keyboard_key = 300; a = keyboard_key; keyboard_key = 65; log(a, keyboard_key)", "0 65"},
      {"keyboard_lastchar = 'xyz'; keyboard_lastchar = ''; log(keyboard_lastchar)", "x"},
      {"log(instance_id[0], instance_id[instance_count])", "100001 -4"},
      {"log(room, room_width, room_height, room_speed, room_caption == '', score, lives, health)",
       "0 640 480 30 1 0 -1 100"},
      {"score = 2.5; caption_score = 3; log(score, caption_score == '')", "2 1"},
      {"log(event_type, event_number, event_object, event_action)", "0 0 0 0"},
      {"x = 'text'; log(x)", "0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.code), Lines({c.expected})) << c.code << "\n" << code::Errors().last_error;
  }
}

TEST_F(VariableTest, ReadOnlyVariablesCannotBeAssigned) {
  EXPECT_EQ(Run("log('before'); id = 3; log('not reached')"), Lines({"before"}));
  EXPECT_NE(code::Errors().last_error.find("Cannot assign to the variable"), std::string::npos)
      << code::Errors().last_error;
}

TEST_F(VariableTest, RoomSpeedMustBePositive) {
  EXPECT_EQ(Run("room_speed = 0.4; log('not reached')"), Lines({}));
  EXPECT_NE(code::Errors().last_error.find("Cannot assign to the variable"), std::string::npos);
  EXPECT_EQ(Run("room_speed = 60; log(room_speed)"), Lines({"60"}));
}

TEST_F(GameTest, LivesAndHealthRunTheirEventsWhenTheyRunOut) {
  const int o = AddObject("o");
  Code(o, kEventOther, 6, "log('no more lives', lives)");
  Code(o, kEventOther, 9, "log('no more health', health)");
  Code(o, kEventCreate, 0,
       "lives = 1; lives = 0; lives = -1; lives = 2; lives = -1;"
       "health = 0.5; health = 0; health = -3; log('done')");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Place(r, o, 0, 0);
  Play(1);
  // Each instance's create event triggers both instances' events.
  EXPECT_EQ(Log(), Lines({"no more lives 0", "no more lives 0", "no more lives -1",
                          "no more lives -1", "no more health 0", "no more health 0", "done",
                          "no more lives 0", "no more lives 0", "no more lives -1",
                          "no more lives -1", "no more health 0", "no more health 0", "done"}));
}

TEST_F(GameTest, TransitionKindIsResetWhenAFrameIsPresented) {
  static std::vector<int> presented;
  presented.clear();
  runtime::Hooks().present_frame = [](int kind) { presented.push_back(kind); };
  const int o = AddObject("o");
  Code(o, kEventStep, 0, "transition_kind = 5");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Play(2);
  // Room start, then one frame per step.
  EXPECT_EQ(presented, (std::vector<int>{0, 5, 5}));
}

}  // namespace
}  // namespace vendrel::testing
