#include "runner/game_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace vendrel::runner {
namespace {

namespace res = vendrel::resources;

// Game data written by hand, field by field, the way the game-making tool
// lays it out. The knobs damage one field at a time.
struct HandBuiltGame {
  int32_t magic = 1230600;
  int32_t inner_magic = 1234321;
  int32_t version = 600;
  int32_t filler_before = 2;
  int32_t filler_after = 0;
  int32_t seed = 1234;
  // The seed word as stored, when it differs from the one used.
  int32_t stored_seed = 0;
  int32_t settings_version = 600;
  int32_t sound_table_version = 400;
  int32_t sound_table_count = 2;
  int32_t sprite_record_version = 542;
  int32_t sprite_frame_count = 2;
  bool sprites_all_missing = false;
  int32_t path_table_version = 420;
  int32_t path_point_count = 2;
  int32_t script_record_version = 400;
  int32_t font_table_version = 540;
  int32_t time_line_record_version = 500;
  int32_t object_record_version = 430;
  int32_t last_event_type = 10;
  int32_t action_count = 1;
  int32_t action_kind_count = 1;
  int32_t action_text_count = 1;
  int32_t collision_number = 7;
  int32_t room_record_version = 541;
  int32_t room_instance_count = 2;
  int32_t info_version = 600;
  int32_t library_version = 500;
  int32_t room_order_version = 540;
  int32_t room_order_count = 3;

  CStream out;
  // Where the font's glyph table lies in the bytes: 6 KB of plain integers.
  size_t glyph_table_begin = 0;
  size_t glyph_table_end = 0;

  void Int(int32_t value) { out.WriteInteger(value); }
  void Bool(bool value) { out.WriteInteger(value ? 1 : 0); }
  void Str(const std::string& value) { out.WriteString(value); }
  void Block(const std::vector<uint8_t>& content) { out.WriteCompressed(content); }

  // A stored image of [width] x [height] pixels, all [pixel].
  void Image(int32_t width, int32_t height, uint32_t pixel) {
    Int(540);
    Bool(true);
    Int(width);
    Int(height);
    std::vector<uint8_t> bytes(size_t(width * height) * 4);
    for (size_t i = 0; i < bytes.size(); i += 4) std::memcpy(&bytes[i], &pixel, 4);
    Block(bytes);
  }

  void Action(int32_t kind, int32_t execution, const std::string& function,
              const std::string& argument) {
    Int(440);
    Int(1);    // first id
    Int(603);  // second id
    Int(kind);
    Bool(false);  // may be relative
    Bool(false);  // is question
    Bool(true);   // applies-to settable
    Int(execution);
    Str(function);
    Str("");  // code
    Int(1);   // argument count
    Int(action_kind_count);
    for (int i = 0; i < action_kind_count; ++i) Int(1);
    Int(-1);      // applies to
    Bool(false);  // relative
    Int(action_text_count);
    for (int i = 0; i < action_text_count; ++i) Str(i == 0 ? argument : "");
    Bool(false);  // not
  }

  void Event(int32_t kind, int32_t execution, const std::string& function,
             const std::string& argument) {
    Int(400);
    Int(action_count);
    for (int i = 0; i < std::min(action_count, 4); ++i)
      Action(kind, execution, function, argument);
  }

  void Settings() {
    Int(settings_version);
    for (int i = 0; i < 4; ++i) Bool(false);  // FullScreen .. ShowCursor
    Int(100);                                  // Scaling
    Bool(false);
    Bool(false);
    Int(0xFFFFFF);
    Bool(false);
    Int(0);
    Int(0);
    Int(0);
    for (int i = 0; i < 2; ++i) Bool(false);  // NoButtons, VSync
    for (int i = 0; i < 4; ++i) Bool(true);   // function keys
    Int(0);                                    // Priority
    Bool(false);                               // FreezeOnLoseFocus
    Bool(false);                               // ShowProgressBar: no bar images
    Bool(false);                               // LoadingImage absent
    Bool(false);
    Int(255);
    Bool(true);
    Bool(true);
    Bool(false);
    Bool(false);
    Bool(true);  // UninitializedIsZero
    Int(1);
    Str("LIVES");
    Str("3");
  }

  void Sounds() {
    Int(sound_table_version);
    Int(sound_table_count);
    Bool(false);  // slot 0 missing
    Bool(true);
    Str("snd_jump");
    Int(600);
    Int(2);  // kind: 3D
    Str(".wav");
    Str("jump.wav");
    Bool(true);
    Block({'R', 'I', 'F', 'F', 0, 1, 2});
    Int(5);
    out.WriteReal(0.75);
    out.WriteReal(-0.5);
    Bool(false);
  }

  void Sprites() {
    Int(400);
    if (sprites_all_missing) {
      Int(3);
      for (int i = 0; i < 3; ++i) Bool(false);
      return;
    }
    Int(1);
    Bool(true);
    Str("spr_ball");
    Int(sprite_record_version);
    Int(2);   // width
    Int(1);   // height
    Int(10);  // left
    Int(11);  // right
    Int(12);  // bottom
    Int(13);  // top
    Bool(true);   // transparent
    Bool(false);  // smooth
    Bool(true);   // preload
    Int(2);       // manual box
    Bool(true);   // precise
    Int(1);
    Int(0);
    Int(sprite_frame_count);
    for (int i = 0; i < std::min(sprite_frame_count, 2); ++i)
      Image(2, 1, i == 0 ? 0xFF112233u : 0x00445566u);
  }

  void Backgrounds() {
    Int(400);
    Int(2);
    Bool(true);
    Str("bg_sky");
    Int(543);
    Int(320);
    Int(240);
    Bool(true);
    Bool(false);
    Bool(true);
    Bool(true);  // has image
    Image(1, 1, 0xFF0000FFu);
    Bool(true);
    Str("bg_flat");
    Int(543);
    Int(0);  // width 0: a stretched layer keeps its scale
    Int(0);
    Bool(false);
    Bool(false);
    Bool(false);
    Bool(false);  // no image
  }

  void Paths() {
    Int(path_table_version);
    Int(1);
    Bool(true);
    Str("path_line");
    Int(530);
    Int(0);      // straight
    Bool(true);  // closed
    Int(4);
    Int(path_point_count);
    for (int i = 0; i < std::min(path_point_count, 2); ++i) {
      out.WriteReal(i * 100.0);
      out.WriteReal(0.0);
      out.WriteReal(100.0);
    }
  }

  void Scripts() {
    Int(400);
    Int(1);
    Bool(true);
    Str("scr_add");
    Int(script_record_version);
    CStream text;
    text.WriteString("return argument0 + argument1;");
    text.Scramble(70814, 0, 0);
    Block(text.Bytes());
  }

  void Fonts() {
    Int(font_table_version);
    Int(1);
    Bool(true);
    Str("fnt_small");
    Int(540);
    Str("Arial");
    Int(10);
    Bool(true);
    Bool(false);
    Int(65);
    Int(90);
    glyph_table_begin = out.Position();
    for (int c = 0; c < 256; ++c)
      for (int field = 0; field < 6; ++field) Int(c * 10 + field);
    glyph_table_end = out.Position();
    Int(3);
    Int(2);
    Block({0, 64, 128, 192, 255, 7});
  }

  void TimeLines() {
    Int(500);
    Int(1);
    Bool(true);
    Str("tl_waves");
    Int(time_line_record_version);
    Int(2);
    Int(0);
    Event(7, 2, "", "show_message('zero')");
    Int(10);
    Event(0, 1, "action_sound", "");
  }

  void Objects() {
    Int(400);
    Int(3);
    // Object 0: version 430 with rows 0 to [last_event_type].
    Bool(true);
    Str("obj_ball");
    Int(object_record_version);
    Int(0);      // sprite
    Bool(true);  // solid
    Bool(false);  // visible
    Int(-5);     // depth
    Bool(true);  // persistent
    Int(2);      // parent
    Int(-1);     // mask
    if (object_record_version == 430) Int(last_event_type);
    int last = object_record_version == 430 ? last_event_type : 8;
    for (int type = 0; type <= last; ++type) {
      if (type == 0) {
        Int(0);
        Event(7, 2, "", "x += 1;");
      } else if (type == 2) {
        Int(5);
        Event(7, 2, "", "alarm five");
      } else if (type == 4) {
        Int(collision_number);
        Event(0, 1, "action_bounce", "0");
      } else if (type == 10) {
        Int(37);
        Int(399);  // an event record of another version: read as empty
        Int(38);
        Event(7, 2, "", "released");
      }
      Int(-1);
    }
    // Object 1: missing.
    Bool(false);
    // Object 2: version 400, rows 0 to 8, a draw event only.
    Bool(true);
    Str("obj_parent");
    Int(400);
    Int(-1);
    Bool(false);
    Bool(true);
    Int(0);
    Bool(false);
    Int(-1);
    Int(-1);
    for (int type = 0; type <= 8; ++type) {
      if (type == 8) {
        Int(0);
        Event(7, 2, "", "draw_self();");
      }
      Int(-1);
    }
  }

  void Rooms() {
    Int(420);
    Int(1);
    Bool(true);
    Str("rm_first");
    Int(room_record_version);
    Str("Level 1");
    Int(640);
    Int(480);
    Int(60);
    Bool(true);
    Int(0x112233);
    Bool(false);
    Str("room_speed = 30;");
    Int(8);
    for (int i = 0; i < 8; ++i) {
      Bool(i < 2);  // visible
      Bool(i == 1);
      Int(i == 0 ? 0 : (i == 1 ? 1 : -1));  // background
      Int(i * 3);
      Int(-i);
      Bool(false);
      Bool(true);
      Int(i);
      Int(-2);
      Bool(i < 2);  // stretch
    }
    Bool(true);  // views enabled
    Int(8);
    for (int i = 0; i < 8; ++i) {
      Bool(i == 0);
      for (int field = 0; field < 13; ++field) Int(i * 100 + field);
    }
    Int(room_instance_count);
    for (int i = 0; i < std::min(room_instance_count, 2); ++i) {
      Int(16 * i);
      Int(32);
      Int(0);
      Int(100001 + i);
      Str(i == 0 ? "speed = 2;" : "");
    }
    Int(1);
    for (int field = 0; field < 9; ++field) Int(field == 8 ? 10000001 : field * 4);
    Int(100002);    // last instance id
    Int(10000001);  // last tile id
  }

  void Information() {
    Int(info_version);
    Int(0xE0FFFF);
    Bool(true);
    Str("About");
    Int(-1);
    Int(20);
    Int(500);
    Int(300);
    Bool(false);
    Bool(true);
    Bool(true);
    Bool(false);
    std::string rtf = "{\\rtf1 Hello}";
    Block(std::vector<uint8_t>(rtf.begin(), rtf.end()));
  }

  void LibraryCode() {
    Int(library_version);
    Int(2);
    Str("global.a = 1;");
    Str("");
  }

  void RoomOrder() {
    Int(room_order_version);
    Int(room_order_count);
    int32_t rooms[] = {3, 1, 2};
    for (int i = 0; i < std::min(room_order_count, 3); ++i) Int(rooms[i]);
  }

  std::vector<uint8_t> Bytes() {
    out.Clear();
    Int(magic);
    Int(filler_before);
    Int(filler_after);
    for (int i = 0; i < std::min(filler_before, 2); ++i) Int(0x55555555 + i);
    Int(stored_seed != 0 ? stored_seed : seed);
    Int(77);  // reserved
    for (int i = 0; i < std::min(filler_after, 2); ++i) Int(0x66666666 + i);
    Int(88);  // reserved
    size_t scrambled_from = out.Position() + 1;
    Int(0);
    Int(0);
    Int(inner_magic);
    Int(version);
    Bool(true);  // DebugMode
    Int(4242);   // GameId
    for (uint8_t i = 0; i < 16; ++i) out.WriteBytes(&i, 1);
    Settings();
    Sounds();
    Sprites();
    Backgrounds();
    Paths();
    Scripts();
    Fonts();
    TimeLines();
    Objects();
    Rooms();
    Information();
    LibraryCode();
    RoomOrder();
    out.Scramble(seed, int64_t(scrambled_from), 0);
    return out.Bytes();
  }
};

LoadResult Load(std::vector<uint8_t> bytes, GameData& game, const LoadHooks& hooks = {}) {
  CStream stream(std::move(bytes));
  return ReadGameData(stream, game, hooks);
}

TEST(GameData, HandBuiltGameLoadsEveryField) {
  GameData game;
  std::vector<std::pair<int, std::string>> progress;
  LoadHooks hooks;
  hooks.progress = [&](int percent, std::string_view text) {
    progress.emplace_back(percent, std::string(text));
  };
  LoadResult result = Load(HandBuiltGame().Bytes(), game, hooks);
  ASSERT_TRUE(result.Loaded()) << result.message;
  EXPECT_EQ(result.message, "");

  EXPECT_EQ(progress, (std::vector<std::pair<int, std::string>>{
                          {0, "Loading"},
                          {5, "Loading sounds"},
                          {10, "Loading sprites"},
                          {23, "Loading backgrounds"},
                          {30, "Loading paths"},
                          {32, "Loading scripts"},
                          {34, "Loading fonts"},
                          {36, "Loading time lines"},
                          {38, "Loading objects"},
                          {41, "Loading rooms"},
                          {45, "Loading help"},
                          {47, "Loading library init code"},
                          {49, "Loading room order"},
                      }));

  EXPECT_EQ(game.seed, 1234);
  EXPECT_TRUE(game.identity.DebugMode);
  EXPECT_EQ(game.identity.GameId, 4242);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(game.identity.GameGuid[size_t(i)], i);
  EXPECT_TRUE(game.settings.UninitializedIsZero);
  ASSERT_EQ(game.settings.Constants.size(), 1u);
  EXPECT_EQ(game.settings.Constants[0].name, "LIVES");

  const res::GameResources& r = game.resources;
  // Sounds: a missing slot keeps its index.
  ASSERT_EQ(r.sounds.Count(), 2);
  EXPECT_FALSE(r.sounds.Exists(0));
  EXPECT_EQ(r.sounds.Name(0), "<undefined>");
  const res::CSound* sound = r.sounds.Get(1);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(r.sounds.Name(1), "snd_jump");
  EXPECT_EQ(sound->kind, 2);
  EXPECT_EQ(sound->file_type, ".wav");
  EXPECT_EQ(sound->file_name, "jump.wav");
  ASSERT_TRUE(sound->data.has_value());
  EXPECT_EQ(*sound->data, (std::vector<uint8_t>{'R', 'I', 'F', 'F', 0, 1, 2}));
  EXPECT_EQ(sound->effects, 5);
  EXPECT_EQ(sound->volume, 0.75);
  EXPECT_EQ(sound->pan, -0.5);
  EXPECT_FALSE(sound->preload);

  // Sprites: the box is stored left, right, bottom, top and kept as stored.
  const res::CSprite* sprite = r.sprites.Get(0);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->width, 2);
  EXPECT_EQ(sprite->height, 1);
  EXPECT_EQ(sprite->bbox_left, 10);
  EXPECT_EQ(sprite->bbox_right, 11);
  EXPECT_EQ(sprite->bbox_bottom, 12);
  EXPECT_EQ(sprite->bbox_top, 13);
  EXPECT_EQ(sprite->bbox_mode, 2);
  EXPECT_EQ(sprite->x_origin, 1);
  ASSERT_EQ(sprite->FrameCount(), 2);
  EXPECT_EQ(sprite->frames[0].pixels, (std::vector<uint32_t>{0xFF112233u, 0xFF112233u}));
  // Masks: solid where alpha is not 0.
  ASSERT_TRUE(sprite->HasMasks());
  EXPECT_TRUE(sprite->MaskAt(0, 1, 0));
  EXPECT_FALSE(sprite->MaskAt(1, 1, 0));
  EXPECT_TRUE(sprite->MaskAt(2, 0, 0));  // frame 2 of 2 is frame 0
  EXPECT_FALSE(sprite->MaskAt(0, 2, 0));

  const res::CBackground* sky = r.backgrounds.Get(0);
  ASSERT_NE(sky, nullptr);
  EXPECT_EQ(sky->width, 320);
  EXPECT_TRUE(sky->transparent);
  EXPECT_TRUE(sky->preload);
  ASSERT_TRUE(sky->image.has_value());
  EXPECT_EQ(sky->image->pixels, (std::vector<uint32_t>{0xFF0000FFu}));
  EXPECT_FALSE(r.backgrounds.Get(1)->image.has_value());

  // A closed straight path returns to its first point.
  const res::CPath* path = r.paths.Get(0);
  ASSERT_NE(path, nullptr);
  ASSERT_EQ(path->path_points.size(), 3u);
  EXPECT_EQ(path->total_length, 200.0);
  EXPECT_EQ(path->path_points[2].x, 0.0);

  EXPECT_EQ(r.scripts.Get(0)->source, "return argument0 + argument1;");
  EXPECT_EQ(r.scripts.Find("scr_add"), 0);

  const res::CFont* font = r.fonts.Get(0);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->font_name, "Arial");
  EXPECT_EQ(font->size, 10);
  EXPECT_TRUE(font->bold);
  EXPECT_EQ(font->first, 65);
  EXPECT_EQ(font->last, 90);
  EXPECT_EQ(font->glyph_x[65], 650);
  EXPECT_EQ(font->glyph_y[65], 651);
  EXPECT_EQ(font->cell_width[65], 652);
  EXPECT_EQ(font->cell_height[65], 653);
  EXPECT_EQ(font->advance[65], 654);
  EXPECT_EQ(font->offset[255], 2555);
  EXPECT_EQ(font->bitmap_width, 3);
  EXPECT_EQ(font->bitmap_height, 2);
  EXPECT_EQ(font->glyph_bitmap, (std::vector<uint8_t>{0, 64, 128, 192, 255, 7}));

  const res::CTimeLine* time_line = r.time_lines.Get(0);
  ASSERT_NE(time_line, nullptr);
  ASSERT_EQ(time_line->Count(), 2);
  EXPECT_EQ(time_line->moments[1].step, 10);
  EXPECT_EQ(time_line->moments[0].event.actions[0].argument_texts[0], "show_message('zero')");
  EXPECT_EQ(time_line->moments[1].event.actions[0].function_name, "action_sound");

  const res::CObject* ball = r.objects.Get(0);
  ASSERT_NE(ball, nullptr);
  EXPECT_EQ(ball->sprite, 0);
  EXPECT_TRUE(ball->solid);
  EXPECT_FALSE(ball->visible);
  EXPECT_EQ(ball->depth, -5);
  EXPECT_TRUE(ball->persistent);
  EXPECT_EQ(ball->parent, 2);
  EXPECT_EQ(ball->mask, -1);
  const res::CEvent* create = ball->Event(res::kEventCreate, 0);
  ASSERT_NE(create, nullptr);
  const res::CAction& code = create->actions[0];
  EXPECT_EQ(code.first_id, 1);
  EXPECT_EQ(code.second_id, 603);
  EXPECT_EQ(code.kind, res::kActionCode);
  EXPECT_TRUE(code.applies_to_settable);
  EXPECT_EQ(code.execution_type, res::kExecuteCode);
  EXPECT_EQ(code.argument_count, 1);
  EXPECT_EQ(code.argument_kinds[0], 1);
  EXPECT_EQ(code.applies_to, -1);
  EXPECT_EQ(code.argument_texts[0], "x += 1;");
  EXPECT_EQ(code.function, -1);  // no lookup asked for
  // Row 2 holds only number 5: the numbers below it are no events.
  EXPECT_NE(ball->Event(res::kEventAlarm, 5), nullptr);
  EXPECT_EQ(ball->Event(res::kEventAlarm, 3), nullptr);
  EXPECT_NE(ball->Event(res::kEventCollision, 7), nullptr);
  // The event of another version is empty; the one after it was read.
  EXPECT_EQ(ball->Event(res::kEventKeyRelease, 37), nullptr);
  ASSERT_NE(ball->Event(res::kEventKeyRelease, 38), nullptr);
  EXPECT_EQ(ball->Event(res::kEventKeyRelease, 38)->actions[0].argument_texts[0], "released");
  EXPECT_TRUE(ball->HasType(res::kEventKeyRelease));
  EXPECT_FALSE(ball->HasType(res::kEventStep));
  EXPECT_FALSE(r.objects.Exists(1));
  const res::CObject* parent = r.objects.Get(2);
  ASSERT_NE(parent, nullptr);
  EXPECT_NE(parent->Event(res::kEventDraw, 0), nullptr);

  const res::CRoom* room = r.rooms.Get(0);
  ASSERT_NE(room, nullptr);
  EXPECT_EQ(room->caption, "Level 1");
  EXPECT_EQ(room->speed, 60);
  EXPECT_TRUE(room->persistent);
  EXPECT_EQ(room->background_color, 0x112233);
  EXPECT_FALSE(room->draw_background_color);
  EXPECT_EQ(room->creation_code, "room_speed = 30;");
  // Layer 0 stretches a 320 x 240 background over a 640 x 480 room; layer 1
  // names a background of width 0 and keeps its scales.
  EXPECT_EQ(room->backgrounds[0].x_scale, 2.0);
  EXPECT_EQ(room->backgrounds[0].y_scale, 2.0);
  EXPECT_EQ(room->backgrounds[1].x_scale, 1.0);
  EXPECT_EQ(room->backgrounds[1].y_scale, 1.0);
  EXPECT_TRUE(room->backgrounds[1].foreground);
  EXPECT_EQ(room->backgrounds[2].x, 6.0);
  EXPECT_EQ(room->backgrounds[3].y, -3.0);
  EXPECT_EQ(room->backgrounds[4].horizontal_speed, 4.0);
  EXPECT_EQ(room->backgrounds[4].blend_color, 0xFFFFFF);
  EXPECT_TRUE(room->views_enabled);
  EXPECT_TRUE(room->views[0].visible);
  EXPECT_EQ(room->views[2].view_x, 200);
  EXPECT_EQ(room->views[2].port_height, 207);
  EXPECT_EQ(room->views[2].followed_object, 212);
  ASSERT_EQ(room->instances.size(), 2u);
  EXPECT_EQ(room->instances[1].x, 16);
  EXPECT_EQ(room->instances[1].id, 100002);
  EXPECT_EQ(room->instances[0].creation_code, "speed = 2;");
  ASSERT_EQ(room->tiles.size(), 1u);
  EXPECT_EQ(room->tiles[0].width, 20);
  EXPECT_EQ(room->tiles[0].depth, 28.0);
  EXPECT_EQ(room->tiles[0].id, 10000001);
  EXPECT_TRUE(room->tiles[0].visible);
  EXPECT_EQ(r.last_instance_id, 100002);
  EXPECT_EQ(r.last_tile_id, 10000001);

  EXPECT_EQ(r.information.background_color, 0xE0FFFF);
  EXPECT_TRUE(r.information.in_game_window);
  EXPECT_EQ(r.information.caption, "About");
  EXPECT_EQ(r.information.left, -1);
  EXPECT_EQ(r.information.top, 20);
  EXPECT_FALSE(r.information.border);
  EXPECT_TRUE(r.information.stay_on_top);
  EXPECT_EQ(std::string(r.information.text.begin(), r.information.text.end()), "{\\rtf1 Hello}");
  EXPECT_EQ(r.library_code, (std::vector<std::string>{"global.a = 1;", ""}));
  EXPECT_EQ(r.room_order.rooms, (std::vector<int32_t>{3, 1, 2}));
}

TEST(GameData, ZeroFillerCountsAreValid) {
  HandBuiltGame built;
  built.filler_before = 0;
  built.filler_after = 0;
  GameData game;
  EXPECT_TRUE(Load(built.Bytes(), game).Loaded());
  EXPECT_EQ(game.resources.scripts.Get(0)->source, "return argument0 + argument1;");
}

TEST(GameData, DamagedDataGivesItsMessage) {
  struct Case {
    const char* what;
    void (*damage)(HandBuiltGame&);
    LoadStatus status;
    const char* message;
  };
  const Case cases[] = {
      {"first magic", [](HandBuiltGame& g) { g.magic = 1230601; }, LoadStatus::NotAGame,
       "Error: Not a valid Vendrel 6 file."},
      {"first magic is the inner one", [](HandBuiltGame& g) { g.magic = 1234321; },
       LoadStatus::NotAGame, "Error: Not a valid Vendrel 6 file."},
      {"inner magic", [](HandBuiltGame& g) { g.inner_magic = 1230600; }, LoadStatus::NotAGame,
       "Error: Not a valid Vendrel 6 file."},
      {"wrong seed unscrambles the magic away", [](HandBuiltGame& g) { g.stored_seed = 99; },
       LoadStatus::NotAGame, "Error: Not a valid Vendrel 6 file."},
      {"version", [](HandBuiltGame& g) { g.version = 601; }, LoadStatus::WrongVersion,
       "Error: Wrong version number."},
      {"settings version", [](HandBuiltGame& g) { g.settings_version = 599; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"sound table version", [](HandBuiltGame& g) { g.sound_table_version = 401; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"sprite record version", [](HandBuiltGame& g) { g.sprite_record_version = 541; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"path table version", [](HandBuiltGame& g) { g.path_table_version = 400; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"script record version", [](HandBuiltGame& g) { g.script_record_version = 401; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"font table version", [](HandBuiltGame& g) { g.font_table_version = 400; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"time line record version", [](HandBuiltGame& g) { g.time_line_record_version = 400; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"object record version", [](HandBuiltGame& g) { g.object_record_version = 431; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"last event type above 10", [](HandBuiltGame& g) { g.last_event_type = 11; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"nine argument kinds", [](HandBuiltGame& g) { g.action_kind_count = 9; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"nine argument texts", [](HandBuiltGame& g) { g.action_text_count = 9; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"room record version", [](HandBuiltGame& g) { g.room_record_version = 540; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"game information version", [](HandBuiltGame& g) { g.info_version = 599; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"library code version", [](HandBuiltGame& g) { g.library_version = 499; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"room order version", [](HandBuiltGame& g) { g.room_order_version = 541; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"room order of no rooms", [](HandBuiltGame& g) { g.room_order_count = 0; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
      {"negative room order count", [](HandBuiltGame& g) { g.room_order_count = -1; },
       LoadStatus::BadResourceData, "Error: Error in resource data."},
  };
  for (const Case& c : cases) {
    HandBuiltGame built;
    c.damage(built);
    GameData game;
    LoadResult result = Load(built.Bytes(), game);
    EXPECT_EQ(result.status, c.status) << c.what;
    EXPECT_EQ(result.message, c.message) << c.what;
  }
}

TEST(GameData, FailedTableKeepsWhatCameBefore) {
  HandBuiltGame built;
  built.object_record_version = 431;
  GameData game;
  std::vector<int> progress;
  LoadHooks hooks;
  hooks.progress = [&](int percent, std::string_view) { progress.push_back(percent); };
  EXPECT_FALSE(Load(built.Bytes(), game, hooks).Loaded());
  // The objects section was the last one announced.
  EXPECT_EQ(progress.back(), 38);
  EXPECT_EQ(game.resources.scripts.Get(0)->source, "return argument0 + argument1;");
  EXPECT_EQ(game.resources.objects.Count(), 3);
  EXPECT_FALSE(game.resources.objects.Exists(2));
}

TEST(GameData, EveryTruncationIsAStreamError) {
  HandBuiltGame built;
  std::vector<uint8_t> bytes = built.Bytes();
  // Every cut, but only a sample inside the long run of glyph integers.
  for (size_t size = 0; size < bytes.size();
       size += size >= built.glyph_table_begin && size < built.glyph_table_end ? 97 : 1) {
    GameData game;
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + ptrdiff_t(size));
    EXPECT_THROW(Load(std::move(cut), game), StreamError) << "cut at " << size;
  }
}

TEST(GameData, HugeCountsAreStreamErrorsNotAllocations) {
  struct Case {
    const char* what;
    void (*damage)(HandBuiltGame&);
  };
  const Case cases[] = {
      {"filler", [](HandBuiltGame& g) { g.filler_before = 0x40000000; }},
      {"table slots", [](HandBuiltGame& g) { g.sound_table_count = 0x7FFFFFFF; }},
      {"sprite frames", [](HandBuiltGame& g) { g.sprite_frame_count = 0x7FFFFFFF; }},
      {"path points", [](HandBuiltGame& g) { g.path_point_count = 0x7FFFFFFF; }},
      {"actions", [](HandBuiltGame& g) { g.action_count = 0x7FFFFFFF; }},
      {"placed instances", [](HandBuiltGame& g) { g.room_instance_count = 0x7FFFFFFF; }},
      {"room order", [](HandBuiltGame& g) { g.room_order_count = 0x7FFFFFFF; }},
  };
  for (const Case& c : cases) {
    HandBuiltGame built;
    c.damage(built);
    GameData game;
    EXPECT_THROW(Load(built.Bytes(), game), StreamError) << c.what;
  }
}

TEST(GameData, HugeEventNumberCostsNoMemory) {
  HandBuiltGame built;
  built.collision_number = 0x7FFFFFFF;
  GameData game;
  ASSERT_TRUE(Load(built.Bytes(), game).Loaded());
  const res::CObject* ball = game.resources.objects.Get(0);
  EXPECT_NE(ball->Event(res::kEventCollision, 0x7FFFFFFF), nullptr);
  EXPECT_EQ(ball->events[res::kEventCollision].size(), 1u);
}

TEST(GameData, AllMissingTableHasUndefinedNames) {
  HandBuiltGame built;
  built.sprites_all_missing = true;
  GameData game;
  ASSERT_TRUE(Load(built.Bytes(), game).Loaded());
  const auto& sprites = game.resources.sprites;
  EXPECT_EQ(sprites.Count(), 3);
  for (int i = -1; i <= 3; ++i) {
    EXPECT_FALSE(sprites.Exists(i)) << i;
    EXPECT_EQ(sprites.Name(i), "<undefined>") << i;
    EXPECT_EQ(sprites.Get(i), nullptr) << i;
  }
  EXPECT_EQ(sprites.Find(""), -1);
  // The sections after it are read as usual.
  EXPECT_TRUE(game.resources.backgrounds.Exists(0));
}

TEST(GameData, ActionFunctionsAreLookedUpWithWarnings) {
  GameData game;
  LoadHooks hooks;
  hooks.find_function = [](std::string_view name) { return name == "action_sound" ? 12 : -1; };
  LoadResult result = Load(HandBuiltGame().Bytes(), game, hooks);
  ASSERT_TRUE(result.Loaded());
  // Code actions have no function and are not reported; the time line's
  // function is found; the object's is not, and loading goes on.
  EXPECT_EQ(result.warnings,
            (std::vector<std::string>{"Failed to locate action function action_bounce"}));
  EXPECT_EQ(game.resources.time_lines.Get(0)->moments[1].event.actions[0].function, 12);
  const res::CObject* ball = game.resources.objects.Get(0);
  EXPECT_EQ(ball->Event(res::kEventCollision, 7)->actions[0].function, -1);
  EXPECT_TRUE(game.resources.rooms.Exists(0));
}

TEST(GameData, WrittenDataReadsBackTheSame) {
  GameData first;
  ASSERT_TRUE(Load(HandBuiltGame().Bytes(), first).Loaded());
  std::vector<uint8_t> written = WriteGameData(first);
  GameData second;
  ASSERT_TRUE(Load(written, second).Loaded());
  // Writing is deterministic, so equal bytes mean equal contents.
  EXPECT_EQ(WriteGameData(second), written);
  EXPECT_EQ(second.seed, 1234);
  EXPECT_EQ(second.resources.objects.Get(2)->record_version, 400);
  EXPECT_EQ(second.resources.objects.Get(0)->events[res::kEventKeyRelease].at(37).record_version,
            399);
  EXPECT_EQ(second.resources.rooms.Get(0)->backgrounds[0].x_scale, 2.0);
  EXPECT_EQ(second.resources.room_order.rooms, (std::vector<int32_t>{3, 1, 2}));
}

TEST(GameData, GlobalLoadFillsTheRunningGame) {
  CStream stream(HandBuiltGame().Bytes());
  // The loading screen is set up at the first progress call, from the
  // settings and identity already in place.
  bool settings_seen = false;
  LoadResult result = ReadGameData(stream, [&](int percent, std::string_view) {
    if (percent == 0) settings_seen = Settings().UninitializedIsZero && Identity().DebugMode;
  });
  EXPECT_TRUE(settings_seen);
  ASSERT_TRUE(result.Loaded());
  EXPECT_EQ(Identity().GameId, 4242);
  EXPECT_TRUE(Settings().UninitializedIsZero);
  EXPECT_EQ(res::Resources().objects.Find("obj_parent"), 2);
  EXPECT_EQ(res::FindResourceConstant("rm_first"), 0);
  EXPECT_EQ(res::FindResourceConstant("scr_add"), 0);
  EXPECT_EQ(res::FindResourceConstant("nothing"), -1);
  res::Resources().Clear();
  Settings().Reset();
  Identity() = GameIdentity();
}

TEST(ResourceConstants, ObjectsComeFirstThenTheOtherKindsInOrder) {
  res::GameResources game;
  game.rooms.Reset(5);
  game.rooms.Set(4, std::make_unique<res::CRoom>(), "same");
  game.scripts.Reset(4);
  game.scripts.Set(3, std::make_unique<res::CScript>(), "same");
  EXPECT_EQ(res::FindResourceConstant(game, "same"), 3);
  game.sounds.Reset(3);
  game.sounds.Set(2, std::make_unique<res::CSound>(), "same");
  EXPECT_EQ(res::FindResourceConstant(game, "same"), 2);
  game.sprites.Set(1, std::make_unique<res::CSprite>(), "same");
  EXPECT_EQ(res::FindResourceConstant(game, "same"), 1);
  game.objects.Set(0, std::make_unique<res::CObject>(), "same");
  EXPECT_EQ(res::FindResourceConstant(game, "same"), 0);
  // Names match exactly.
  EXPECT_EQ(res::FindResourceConstant(game, "Same"), -1);
}

TEST(RoomOrder, NeighboursFollowTheScan) {
  res::RoomOrder order;
  order.rooms = {3, 1, 2};
  EXPECT_EQ(order.First(), 3);
  EXPECT_EQ(order.Last(), 2);
  struct Case { int room, previous, next; };
  // The first and last rooms are the callers' business: the scan answers
  // entry n - 2 and entry 1 for them, as for a room not in the order.
  for (Case c : {Case{3, 1, 1}, Case{1, 3, 2}, Case{2, 1, 1}, Case{9, 1, 1}}) {
    EXPECT_EQ(order.Previous(c.room), c.previous) << c.room;
    EXPECT_EQ(order.Next(c.room), c.next) << c.room;
  }
  order.rooms = {5};
  EXPECT_EQ(order.Previous(5), -1);
  EXPECT_EQ(order.Next(5), -1);
  EXPECT_EQ(order.First(), 5);
}

TEST(PathRecord, SmoothPathsStayBoundedWhateverThePrecision) {
  struct Case { int32_t precision; bool closed; size_t min_points, max_points; };
  for (Case c : {Case{0, false, 2, 2}, Case{12, false, 3, 600}, Case{1000000, true, 3, 2000},
                 Case{-3, true, 0, 0}}) {
    res::CPath path;
    path.kind = 1;
    path.closed = c.closed;
    path.precision = c.precision;
    path.points = {{0, 0, 100}, {1e9, 0, 100}, {1e9, 1e9, 50}};
    path.Recompute();
    EXPECT_GE(path.path_points.size(), c.min_points) << c.precision;
    EXPECT_LE(path.path_points.size(), c.max_points) << c.precision;
    EXPECT_EQ(path.precision, c.precision);
  }
}

}  // namespace
}  // namespace vendrel::runner
