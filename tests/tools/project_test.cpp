#include "tools/vpack/project.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/png.h"
#include "runner/game_data.h"
#include "tools/vpack/project_json.h"

namespace vendrel::vpack {
namespace {

namespace fs = std::filesystem;
namespace res = vendrel::resources;

// A folder of its own under the system's temporary directory, removed when
// the test ends.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("vendrel_project_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void Write(const fs::path& path, std::string_view text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string Png(int width, int height, platform::PngFormat format, uint8_t seed) {
  platform::PngPixels pixels;
  pixels.width = width;
  pixels.height = height;
  size_t channels = format == platform::PngFormat::Rgba ? 4 : 1;
  pixels.bytes.resize(size_t(width * height) * channels);
  for (size_t i = 0; i < pixels.bytes.size(); ++i) pixels.bytes[i] = uint8_t(seed + i * 37);
  // Leave the first pixel fully transparent, so boxes and masks have work.
  if (channels == 4) pixels.bytes[3] = 0;
  std::vector<uint8_t> file;
  std::string error;
  EXPECT_TRUE(platform::EncodePng(pixels, format, file, error)) << error;
  return std::string(file.begin(), file.end());
}

runner::GameData Load(const std::vector<uint8_t>& bytes) {
  runner::GameData game;
  runner::CStream stream(bytes);
  runner::LoadResult result = runner::ReadGameData(stream, game);
  EXPECT_TRUE(result.Loaded()) << result.message;
  return game;
}

// Every file below [root], by relative path.
std::map<std::string, std::string> Files(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[fs::relative(entry.path(), root).generic_string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

// A project that uses every kind of resource and most fields.
void WriteRichProject(const fs::path& root) {
  Write(root / "game.json", R"({
  "game_id": 31337,
  "guid": "00112233-4455-6677-8899-aabbccddeeff",
  "debug_mode": true,
  "scramble_seed": 777,
  "settings": {"full_screen": true, "scaling": -1, "window_color": "#102030",
               "loading_image": "loading.png", "progress_back_image": "back.bmp",
               "loading_image_alpha": 200, "priority": 2},
  "constants": {"MAX_LIVES": "3", "TITLE": "\"Caf\u00e9\""},
  "information": {"caption": "How to play", "modal": false, "left": 10},
  "library_code": ["global.lib = 1;", {"file": "library/extra.code"}],
  "room_order": ["rm_two", "rm_one"],
  "sounds": ["snd_beep", null],
  "sprites": ["spr_ball", {"name": "spr wall", "file": "spr_wall"}],
  "backgrounds": ["bg_tiles"],
  "paths": ["pth_loop"],
  "scripts": ["scr_double"],
  "fonts": ["fnt_main"],
  "timelines": ["tl_spawn"],
  "objects": ["obj_wall", "obj_ball", null, "obj_child"],
  "rooms": ["rm_one", "rm_two"]
})");
  Write(root / "loading.png", Png(4, 3, platform::PngFormat::Rgba, 9));
  Write(root / "back.bmp", "BM-not-really-a-bitmap");
  Write(root / "info.rtf", "{\\rtf1\\ansi Press \\b space\\b0 .}");
  Write(root / "library/extra.code", "// caf\xC3\xA9\r\nglobal.extra = 2;\r\n");
  Write(root / "sounds/snd_beep.json",
        R"({"kind": "3d", "data": "snd_beep.wav", "volume": 0.5, "pan": -0.25,
            "effects": 3, "preload": false})");
  Write(root / "sounds/snd_beep.wav", std::string("RIFF\0\1\2\3WAVE", 12));
  Write(root / "sprites/spr_ball/0.png", Png(3, 2, platform::PngFormat::Rgba, 1));
  Write(root / "sprites/spr_ball/1.png", Png(3, 2, platform::PngFormat::Rgba, 2));
  Write(root / "sprites/spr_ball/sprite.json", R"({"x_origin": 1, "y_origin": 1})");
  Write(root / "sprites/spr_wall/0.png", Png(2, 2, platform::PngFormat::Rgba, 3));
  Write(root / "backgrounds/bg_tiles.png", Png(8, 4, platform::PngFormat::Rgba, 4));
  Write(root / "paths/pth_loop.json",
        R"({"kind": "smooth", "precision": 3,
            "points": [[0, 0], [100, 0, 50], {"x": 100, "y": 100}]})");
  Write(root / "scripts/scr_double.code", "return argument0 * 2;\n");
  Write(root / "fonts/fnt_main.json",
        R"({"name": "Arial", "size": 10, "first": 65, "last": 66,
            "glyphs": {"65": [0, 0, 5, 8, 6, 0], "66": [6, 0, 5, 8, 6, -1]}})");
  Write(root / "fonts/fnt_main.png", Png(12, 8, platform::PngFormat::Gray, 5));
  Write(root / "timelines/tl_spawn.json", R"({"moments": [
    {"step": 0, "code": "instance_create(0, 0, obj_ball);"},
    {"step": 30, "actions": [{"kind": "normal", "function": "action_sound",
                              "arguments": ["snd_beep", "0"], "argument_kinds": [6, 3],
                              "applies_to": "other"}]}]})");
  Write(root / "objects/obj_wall.json", R"({"sprite": "spr wall", "solid": true})");
  Write(root / "objects/obj_ball.json", R"({"sprite": "spr_ball", "depth": -10, "events": [
    {"type": "create", "code": {"file": "obj_ball.create.code"}},
    {"type": "collision", "number": "obj_wall",
     "actions": [{"kind": "code", "arguments": ["move_bounce_all(true);"]}, {"kind": "exit"}]},
    {"type": "alarm", "number": 3,
     "actions": [{"kind": "variable", "arguments": ["score", "10"], "relative": true,
                  "applies_to": "obj_wall", "first_id": 1, "second_id": 611}]},
    {"type": "keypress", "number": 32, "code": "speed = 4;"},
    {"type": "other", "number": 10, "version": 399}]})");
  Write(root / "objects/obj_ball.create.code", "direction = random(360);\nspeed = 2;\n");
  Write(root / "objects/obj_child.json",
        R"({"parent": "obj_ball", "version": 400, "mask": 1, "visible": false})");
  Write(root / "rooms/rm_one.json", R"({
    "caption": "One", "speed": 60, "background_color": "#000000",
    "creation_code": {"file": "rm_one.creation.code"},
    "backgrounds": [{"visible": true, "background": "bg_tiles", "stretch": true}],
    "views_enabled": true,
    "views": [{"visible": true, "view_width": 320, "followed_object": "obj_ball"}],
    "instances": [{"object": "obj_ball", "x": 5, "y": 6, "creation_code": "hspeed = 1;"},
                  {"object": "obj_wall", "x": 0, "y": 0, "id": 100050}],
    "tiles": [{"background": "bg_tiles", "x": 1, "y": 2, "width": 2, "height": 2,
               "depth": 1000}]})");
  Write(root / "rooms/rm_one.creation.code", "room_caption = \"One\";\n");
  Write(root / "rooms/rm_two.json", "{}");
}

TEST(Project, TinyHandWrittenProjectBuilds) {
  runner::GameData game =
      Load(BuildGameData(fs::path(VENDREL_SOURCE_DIR) / "tests/tools/fixtures/tiny"));
  const res::GameResources& r = game.resources;
  ASSERT_EQ(r.objects.Count(), 1);
  EXPECT_EQ(r.objects.Name(0), "obj_hello");
  const res::CEvent* create = r.objects.Get(0)->Event(res::kEventCreate, 0);
  ASSERT_NE(create, nullptr);
  ASSERT_EQ(create->Count(), 1);
  EXPECT_EQ(create->actions[0].kind, res::kActionCode);
  EXPECT_EQ(create->actions[0].execution_type, res::kExecuteCode);
  EXPECT_EQ(create->actions[0].argument_texts[0], "show_message(\"Hello, world\");\r\ngame_end();\r\n");
  const res::CRoom* room = r.rooms.Get(0);
  ASSERT_NE(room, nullptr);
  EXPECT_EQ(room->caption, "Hello");
  EXPECT_EQ(room->width, 640);
  EXPECT_EQ(room->speed, 30);
  ASSERT_EQ(room->instances.size(), 1u);
  EXPECT_EQ(room->instances[0].object, 0);
  EXPECT_EQ(room->instances[0].id, 100001);
  EXPECT_EQ(r.last_instance_id, 100001);
  EXPECT_EQ(r.room_order.rooms, (std::vector<int32_t>{0}));
  // Settings keep their defaults.
  EXPECT_TRUE(game.settings.ShowProgressBar);
  EXPECT_EQ(game.settings.Scaling, 100);
}

TEST(Project, RichProjectBuildsWithEveryField) {
  TempFolder folder;
  WriteRichProject(folder.path());
  runner::GameData game = Load(BuildGameData(folder.path()));
  EXPECT_EQ(game.identity.GameId, 31337);
  EXPECT_TRUE(game.identity.DebugMode);
  EXPECT_EQ(game.identity.GameGuid[0], 0x00);
  EXPECT_EQ(game.identity.GameGuid[15], 0xFF);
  EXPECT_EQ(game.seed, 777);
  EXPECT_TRUE(game.settings.FullScreen);
  EXPECT_EQ(game.settings.Scaling, -1);
  EXPECT_EQ(game.settings.WindowColor, 0x302010);
  EXPECT_EQ(game.settings.Priority, 2);
  EXPECT_EQ(game.settings.LoadingImageAlpha, 200);
  // A PNG loading image becomes a 24-bit BMP; a BMP is taken as it is.
  ASSERT_GE(game.settings.LoadingImage.size(), 54u + 3 * 4 * 3);
  EXPECT_EQ(game.settings.LoadingImage[0], 'B');
  EXPECT_EQ(game.settings.LoadingImage[28], 24);
  EXPECT_EQ(std::string(game.settings.ProgressBackImage.begin(), game.settings.ProgressBackImage.end()),
            "BM-not-really-a-bitmap");
  ASSERT_EQ(game.settings.Constants.size(), 2u);
  EXPECT_EQ(game.settings.Constants[1].name, "TITLE");
  EXPECT_EQ(game.settings.Constants[1].value, "\"Caf\xE9\"");

  const res::GameResources& r = game.resources;
  EXPECT_EQ(r.information.caption, "How to play");
  EXPECT_FALSE(r.information.modal);
  EXPECT_EQ(r.information.left, 10);
  EXPECT_EQ(r.information.top, -1);
  EXPECT_EQ(std::string(r.information.text.begin(), r.information.text.end()),
            "{\\rtf1\\ansi Press \\b space\\b0 .}");
  EXPECT_EQ(r.library_code,
            (std::vector<std::string>{"global.lib = 1;", "// caf\xE9\r\nglobal.extra = 2;\r\n"}));
  EXPECT_EQ(r.room_order.rooms, (std::vector<int32_t>{1, 0}));

  const res::CSound* sound = r.sounds.Get(0);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->kind, res::kSound3D);
  EXPECT_EQ(sound->file_type, ".wav");
  EXPECT_EQ(sound->file_name, "snd_beep.wav");
  ASSERT_TRUE(sound->data.has_value());
  EXPECT_EQ(sound->data->size(), 12u);
  EXPECT_EQ(sound->pan, -0.25);
  EXPECT_FALSE(sound->preload);
  EXPECT_FALSE(r.sounds.Exists(1));

  const res::CSprite* ball = r.sprites.Get(0);
  ASSERT_NE(ball, nullptr);
  EXPECT_EQ(ball->width, 3);
  EXPECT_EQ(ball->height, 2);
  EXPECT_EQ(ball->FrameCount(), 2);
  EXPECT_EQ(ball->x_origin, 1);
  // The first pixel of each frame is transparent: the box starts at x 1
  // or y 1 there, and the automatic box covers the rest.
  EXPECT_EQ(ball->bbox_left, 0);
  EXPECT_EQ(ball->bbox_top, 0);
  EXPECT_EQ(ball->bbox_right, 2);
  EXPECT_EQ(ball->bbox_bottom, 1);
  EXPECT_FALSE(ball->MaskAt(0, 0, 0));
  EXPECT_TRUE(ball->MaskAt(0, 1, 0));
  EXPECT_EQ(r.sprites.Name(1), "spr wall");
  EXPECT_EQ(r.backgrounds.Get(0)->width, 8);
  ASSERT_TRUE(r.backgrounds.Get(0)->image.has_value());

  const res::CPath* path = r.paths.Get(0);
  ASSERT_EQ(path->points.size(), 3u);
  EXPECT_EQ(path->points[1].speed, 50.0);
  EXPECT_EQ(path->points[2].speed, 100.0);
  EXPECT_EQ(path->kind, 1);
  EXPECT_FALSE(path->path_points.empty());

  EXPECT_EQ(r.scripts.Get(0)->source, "return argument0 * 2;\r\n");
  const res::CFont* font = r.fonts.Get(0);
  EXPECT_EQ(font->bitmap_width, 12);
  EXPECT_EQ(font->glyph_bitmap.size(), 96u);
  EXPECT_EQ(font->offset[66], -1);
  EXPECT_EQ(font->advance[65], 6);
  EXPECT_EQ(font->advance[67], 0);

  const res::CTimeLine* time_line = r.time_lines.Get(0);
  ASSERT_EQ(time_line->Count(), 2);
  const res::CAction& sound_action = time_line->moments[1].event.actions[0];
  EXPECT_EQ(sound_action.execution_type, res::kExecuteFunction);
  EXPECT_EQ(sound_action.argument_count, 2);
  EXPECT_EQ(sound_action.argument_kinds[1], 3);
  EXPECT_EQ(sound_action.applies_to, -2);

  const res::CObject* obj_ball = r.objects.Get(1);
  ASSERT_NE(obj_ball, nullptr);
  EXPECT_EQ(obj_ball->sprite, 0);
  EXPECT_EQ(obj_ball->depth, -10);
  const res::CEvent* collision = obj_ball->Event(res::kEventCollision, 0);
  ASSERT_NE(collision, nullptr);
  ASSERT_EQ(collision->Count(), 2);
  EXPECT_EQ(collision->actions[1].kind, res::kActionExit);
  const res::CAction& variable = obj_ball->Event(res::kEventAlarm, 3)->actions[0];
  EXPECT_EQ(variable.kind, res::kActionVariable);
  EXPECT_TRUE(variable.relative);
  EXPECT_EQ(variable.applies_to, 0);
  EXPECT_EQ(variable.second_id, 611);
  EXPECT_EQ(obj_ball->events[res::kEventOther].at(10).record_version, 399);
  EXPECT_NE(obj_ball->Event(res::kEventKeyPress, 32), nullptr);
  EXPECT_EQ(r.objects.Get(3)->parent, 1);
  EXPECT_EQ(r.objects.Get(3)->record_version, 400);
  EXPECT_EQ(r.objects.Get(0)->sprite, 1);

  const res::CRoom* room = r.rooms.Get(0);
  EXPECT_EQ(room->speed, 60);
  EXPECT_EQ(room->background_color, 0);
  EXPECT_EQ(room->creation_code, "room_caption = \"One\";\r\n");
  EXPECT_TRUE(room->backgrounds[0].stretch);
  EXPECT_EQ(room->backgrounds[0].x_scale, 80.0);  // 640 / 8
  EXPECT_EQ(room->views[0].view_width, 320);
  EXPECT_EQ(room->views[0].followed_object, 1);
  ASSERT_EQ(room->instances.size(), 2u);
  // An instance without an id numbers on from the highest id in use.
  EXPECT_EQ(room->instances[0].id, 100051);
  EXPECT_EQ(room->instances[0].creation_code, "hspeed = 1;");
  EXPECT_EQ(r.last_instance_id, 100051);
  ASSERT_EQ(room->tiles.size(), 1u);
  EXPECT_EQ(room->tiles[0].id, 10000001);
  EXPECT_EQ(room->tiles[0].depth, 1000.0);
  EXPECT_EQ(r.last_tile_id, 10000001);
}

TEST(Project, BuildUnpackBuildGivesTheSameGameData) {
  TempFolder first, second, third;
  WriteRichProject(first.path());
  std::vector<uint8_t> built = BuildGameData(first.path());
  UnpackGameData(built, second.path());
  std::vector<uint8_t> rebuilt = BuildGameData(second.path());
  // Writing is deterministic, so the same records give the same bytes.
  EXPECT_EQ(rebuilt, built);
  UnpackGameData(rebuilt, third.path());
  EXPECT_EQ(Files(third.path()), Files(second.path()));
}

// Game data that no editor would write but the format allows: every odd
// case the project format must carry through unpack and build unchanged.
runner::GameData OddGame() {
  runner::GameData game;
  game.seed = 12;
  game.identity.GameId = -5;
  game.identity.GameGuid[3] = 0xAB;
  game.settings.ShowProgressBar = false;
  game.settings.LoadingImage = {'B', 'M', 0, 255};
  game.settings.WindowColor = -1;
  game.settings.Constants = {{"A", "1"}, {"A", "2"}, {"\x80uro", " spaced "}};
  res::GameResources& r = game.resources;
  r.last_instance_id = 7;
  r.last_tile_id = -3;
  r.information.text = {0, 1, 2, 255};
  r.information.caption = "Info \x81\x8D";
  r.library_code = {"", "a\r\nb", "\xE9t\xE9"};
  r.room_order.rooms = {0, 7, -1};

  auto sound = std::make_unique<res::CSound>();
  sound->file_type = "../x";
  sound->data = std::vector<uint8_t>{};
  sound->volume = INFINITY;
  sound->pan = -0.0;
  sound->kind = 9;
  r.sounds.Set(0, std::move(sound), "same");
  auto silent = std::make_unique<res::CSound>();
  r.sounds.Set(2, std::move(silent), "same");  // a duplicate name, slot 1 empty

  auto sprite = std::make_unique<res::CSprite>();
  sprite->width = 4;
  sprite->height = 4;
  sprite->bbox_mode = 7;
  sprite->bbox_left = -9;
  sprite->frames.resize(2);  // frame 0 stored without an image
  sprite->frames[1] = {2, 1, {0x80FF0000u, 0x00000000u}};
  r.sprites.Set(0, std::move(sprite), "has space");
  r.sprites.Set(1, std::make_unique<res::CSprite>(), "HAS_SPACE_");
  r.sprites.Set(2, std::make_unique<res::CSprite>(), "has_space_");

  auto background = std::make_unique<res::CBackground>();
  background->image = runner::CBitmap32();  // stored, but without pixels
  background->width = -4;
  r.backgrounds.Set(0, std::move(background), "");
  r.backgrounds.Set(1, std::make_unique<res::CBackground>(), "background_0");

  auto path = std::make_unique<res::CPath>();
  path->kind = 5;
  path->precision = 99;
  path->points = {{0.1, -1e300, 1.0 / 3}};
  r.paths.Set(0, std::move(path), "p");

  auto script = std::make_unique<res::CScript>();
  script->source = std::string("\0\x7F\x9D", 3);
  r.scripts.Set(0, std::move(script), "s");
  // Line ends no .code file could give back, and a mix kept byte for byte.
  auto lf_script = std::make_unique<res::CScript>();
  lf_script->source = "a = 1;\nb = 2;\n";
  r.scripts.Set(1, std::move(lf_script), "lf_only");
  auto mixed_script = std::make_unique<res::CScript>();
  mixed_script->source = "a\rb\r\nc\n";
  r.scripts.Set(2, std::move(mixed_script), "mixed");

  auto font = std::make_unique<res::CFont>();
  font->bitmap_width = 5;
  font->bitmap_height = 0;
  font->glyph_x[0] = -1;
  font->offset[255] = 7;
  r.fonts.Set(0, std::move(font), "f");

  auto time_line = std::make_unique<res::CTimeLine>();
  time_line->moments.resize(3);
  time_line->moments[0].step = 5;
  time_line->moments[0].event.actions.push_back(res::CAction::MakeCodeAction("one"));
  time_line->moments[1].step = 5;  // the same step twice
  time_line->moments[1].event.actions.push_back(res::CAction::MakeCodeAction("two"));
  time_line->moments[2].step = -1;
  time_line->moments[2].event.record_version = 12;
  r.time_lines.Set(0, std::move(time_line), "t");

  auto object = std::make_unique<res::CObject>();
  object->sprite = 99;
  object->parent = 0;
  res::CAction odd;
  odd.first_id = 3;
  odd.kind = 42;
  odd.execution_type = 2;
  odd.function_name = "f\xE0";
  odd.code = "multi\nline";
  odd.argument_count = 8;
  odd.kind_count = 3;
  odd.argument_kinds = {5, 0, 15};
  odd.text_count = 8;
  odd.argument_texts = {"a", "", "b\nc", "", "", "", "", "h"};
  odd.applies_to = 1;  // the object named "self"
  odd.not_flag = true;
  odd.may_be_relative = true;
  odd.is_question = true;
  object->events[res::kEventCollision][5].actions.push_back(std::move(odd));
  res::CAction old;
  old.record_version = 439;
  object->events[res::kEventCollision][5].actions.push_back(std::move(old));
  res::CAction empty_code = res::CAction::MakeCodeAction("");
  empty_code.text_count = 0;
  empty_code.argument_texts[0] = "";
  object->events[res::kEventKeyRelease][255].actions.push_back(std::move(empty_code));
  object->events[res::kEventStep][2];  // stored, but with no actions
  r.objects.Set(0, std::move(object), "self");
  auto self_named = std::make_unique<res::CObject>();
  self_named->record_version = 400;
  r.objects.Set(1, std::move(self_named), "self");

  auto room = std::make_unique<res::CRoom>();
  room->backgrounds[7].background = 5;
  room->backgrounds[7].horizontal_speed = -3;
  room->views[3].followed_object = 1;
  room->views[3].horizontal_speed = 0;
  room->instances.push_back({1, 2, 77, 100001, "multi\r\nline"});
  room->instances.push_back({0, 0, -1, 100001, "same id"});
  room->tiles.push_back({-1, -2, 0, 1, 2, 3, 4, -50, 9});
  r.rooms.Set(0, std::move(room), "r");
  return game;
}

TEST(Project, OddGameDataSurvivesUnpackAndBuild) {
  std::vector<uint8_t> original = runner::WriteGameData(OddGame());
  // What the loader makes of it, written back: the records to reproduce.
  std::vector<uint8_t> expected = runner::WriteGameData(Load(original));
  TempFolder folder;
  UnpackGameData(original, folder.path());
  EXPECT_EQ(BuildGameData(folder.path()), expected);
}

TEST(Project, CodeFilesWithLfLineEndsGetCrLf) {
  // Error positions count lines by CR, as the editor's CR LF line ends do.
  TempFolder folder;
  fs::create_directories(folder.path() / "objects");
  fs::create_directories(folder.path() / "scripts");
  fs::create_directories(folder.path() / "rooms");
  Write(folder.path() / "game.json",
            R"({"objects": ["o"], "scripts": ["s"], "rooms": ["r"]})");
  Write(folder.path() / "objects/o.json",
            R"({"events": [{"type": "create", "code": {"file": "o.code"}}]})");
  Write(folder.path() / "objects/o.code", "a = 1;\nb = 2;\n");
  Write(folder.path() / "scripts/s.code", "keep\r\nas\ris\n");
  Write(folder.path() / "rooms/r.json", "{}");
  runner::GameData game = Load(BuildGameData(folder.path()));
  const res::CObject* object = game.resources.objects.Get(0);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->events[res::kEventCreate].at(0).actions.at(0).argument_texts[0],
            "a = 1;\r\nb = 2;\r\n");
  EXPECT_EQ(game.resources.scripts.Get(0)->source, "keep\r\nas\ris\n");
}

TEST(Project, NanRealsStayNan) {
  runner::GameData game = OddGame();
  game.resources.sounds.Get(0)->volume = std::nan("");
  TempFolder folder;
  UnpackGameData(runner::WriteGameData(game), folder.path());
  runner::GameData back = Load(BuildGameData(folder.path()));
  EXPECT_TRUE(std::isnan(back.resources.sounds.Get(0)->volume));
}

TEST(Project, UnpackRefusesDamagedGameData) {
  std::vector<uint8_t> data = runner::WriteGameData(OddGame());
  TempFolder folder;
  std::vector<uint8_t> cut(data.begin(), data.begin() + ptrdiff_t(data.size() / 2));
  EXPECT_THROW(UnpackGameData(cut, folder.path()), runner::StreamError);
  std::vector<uint8_t> bad = data;
  bad[0] ^= 1;
  try {
    UnpackGameData(bad, folder.path());
    ADD_FAILURE() << "damaged magic accepted";
  } catch (const runner::StreamError& error) {
    EXPECT_STREQ(error.what(), "Error: Not a valid Vendrel 6 file.");
  }
}

TEST(Project, FaultsNameTheFileAndField) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;
    const char* message;
  };
  const Case cases[] = {
      {"no game.json", {}, "game.json: the file is missing"},
      {"not JSON", {{"game.json", "{\"rooms\": [}"}}, "game.json: [json.exception.parse_error"},
      {"unknown field",
       {{"game.json", R"({"rooms": ["r"], "objectz": []})"}, {"rooms/r.json", "{}"}},
       "game.json: field 'objectz': unknown field"},
      {"typo in a nested field",
       {{"game.json", R"({"rooms": ["r"], "objects": ["o"]})"},
        {"rooms/r.json", "{}"},
        {"objects/o.json", R"({"events": [{"type": "step", "actions": [{"kynd": "code"}]}]})"}},
       "objects/o.json: field 'events[0].actions[0].kynd': unknown field"},
      {"wrong type",
       {{"game.json", R"({"rooms": ["r"]})"}, {"rooms/r.json", R"({"speed": "fast"})"}},
       "rooms/r.json: field 'speed': expected an integer"},
      {"missing reference",
       {{"game.json", R"({"rooms": ["r"], "objects": ["o"]})"},
        {"rooms/r.json", "{}"},
        {"objects/o.json", R"({"sprite": "spr_nothing"})"}},
       "objects/o.json: field 'sprite': no sprite is named \"spr_nothing\""},
      {"unknown event type",
       {{"game.json", R"({"rooms": ["r"], "objects": ["o"]})"},
        {"rooms/r.json", "{}"},
        {"objects/o.json", R"({"events": [{"type": "stepp"}]})"}},
       "objects/o.json: field 'events[0].type': unknown value \"stepp\""},
      {"collision without its object",
       {{"game.json", R"({"rooms": ["r"], "objects": ["o"]})"},
        {"rooms/r.json", "{}"},
        {"objects/o.json", R"({"events": [{"type": "collision", "code": "x = 1;"}]})"}},
       "objects/o.json: field 'events[0].number': a collision event names the other object"},
      {"missing resource file",
       {{"game.json", R"({"rooms": ["r"], "objects": ["o"]})"}, {"rooms/r.json", "{}"}},
       "objects/o.json: the file is missing"},
      {"missing code file",
       {{"game.json", R"({"rooms": ["r"]})"},
        {"rooms/r.json", R"({"creation_code": {"file": "r.code"}})"}},
       "rooms/r.json: field 'creation_code': the file rooms/r.code does not exist"},
      {"character outside Windows-1252",
       {{"game.json", R"({"rooms": ["r"], "scripts": ["s"]})"},
        {"rooms/r.json", "{}"},
        {"scripts/s.code", "x = \"\xF0\x9F\x98\x80\";"}},
       "scripts/s.code: character U+1F600 cannot be stored in a game"},
      {"invalid UTF-8",
       {{"game.json", R"({"rooms": ["r"], "scripts": ["s"]})"},
        {"rooms/r.json", "{}"},
        {"scripts/s.code", "x = \"\xE9\";"}},
       "scripts/s.code: invalid UTF-8"},
      {"name that cannot name files",
       {{"game.json", R"({"rooms": ["my room"]})"}},
       "game.json: field 'rooms[0]': \"my room\" cannot name files"},
      {"names equal but for case",
       {{"game.json", R"({"rooms": ["Room", "room"]})"}, {"rooms/Room.json", "{}"}},
       "game.json: field 'rooms[1]': its files would be those of rooms[0]"},
      {"no room",
       {{"game.json", R"({"objects": ["o"]})"}, {"objects/o.json", "{}"}},
       "game.json: field 'room_order': a game needs at least one room"},
      {"damaged PNG",
       {{"game.json", R"({"rooms": ["r"], "backgrounds": ["b"]})"},
        {"rooms/r.json", "{}"},
        {"backgrounds/b.png", "\x89PNG but not really"}},
       "backgrounds/b.png: not a PNG file"},
      {"frames of different sizes",
       {{"game.json", R"({"rooms": ["r"], "sprites": ["s"]})"},
        {"rooms/r.json", "{}"},
        {"sprites/s/0.png", Png(2, 2, platform::PngFormat::Rgba, 0)},
        {"sprites/s/1.png", Png(3, 2, platform::PngFormat::Rgba, 0)}},
       "sprites/s/sprite.json: field 'frames': frame 1 is 3 x 2 but frame 0 is 2 x 2"},
      {"code and actions",
       {{"game.json", R"({"rooms": ["r"], "objects": ["o"]})"},
        {"rooms/r.json", "{}"},
        {"objects/o.json", R"({"events": [{"type": "draw", "code": "a", "actions": []}]})"}},
       "objects/o.json: field 'events[0].code': give either code or actions, not both"},
      {"integer out of range",
       {{"game.json", R"({"rooms": ["r"], "game_id": 4294967296})"}, {"rooms/r.json", "{}"}},
       "game.json: field 'game_id': integer out of range"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    for (const auto& [path, text] : c.files) Write(folder.path() / path, text);
    try {
      BuildGameData(folder.path());
      ADD_FAILURE() << c.what << ": built without complaint";
    } catch (const ProjectError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
          << c.what << ": " << error.what();
    }
  }
}

TEST(ProjectText, EveryGameByteSurvivesUtf8) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += char(byte);
  std::string utf8 = Utf8FromGameText(all);
  EXPECT_EQ(GameTextFromUtf8(utf8, "test"), all);
  // A few characters as editors show them.
  EXPECT_EQ(Utf8FromGameText("\x80"), "\xE2\x82\xAC");   // euro sign
  EXPECT_EQ(Utf8FromGameText("\xE9"), "\xC3\xA9");       // e acute
  EXPECT_EQ(GameTextFromUtf8("\xEF\xBB\xBFok", "test"), "ok");  // byte order mark dropped
  EXPECT_THROW(GameTextFromUtf8("\xC0\x80", "test"), ProjectError);  // overlong
  EXPECT_THROW(GameTextFromUtf8("\xE2\x82", "test"), ProjectError);  // cut short
  EXPECT_THROW(GameTextFromUtf8("\xE2\x80\x8B", "test"), ProjectError);  // U+200B
}

TEST(ProjectText, JsonKeepsShortListsOnOneLineAndRealsExact) {
  Json json = {{"points", Json::array({Json::array({0.1, -0.0, 1e300}), Json::array({1, 2, 3})})},
               {"nothing", INFINITY},
               {"name", "x"}};
  std::string text = DumpJson(json);
  EXPECT_NE(text.find("[0.1, -0.0, 1e+300]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"nothing\": \"inf\""), std::string::npos) << text;
  Json back = Json::parse(text);
  Fields fields(back, "x.json", ".");
  EXPECT_EQ(fields.Real("nothing", 0), INFINITY);
  EXPECT_EQ(back["points"][0][0].get<double>(), 0.1);
  EXPECT_TRUE(std::signbit(back["points"][0][1].get<double>()));
}

TEST(ProjectImages, PngRoundTripsExactly) {
  for (platform::PngFormat format : {platform::PngFormat::Rgba, platform::PngFormat::Gray}) {
    std::string file = Png(5, 3, format, 77);
    platform::PngPixels pixels;
    std::string error;
    ASSERT_TRUE(platform::DecodePng(std::vector<uint8_t>(file.begin(), file.end()), format, pixels,
                                    error))
        << error;
    EXPECT_EQ(pixels.width, 5);
    EXPECT_EQ(pixels.height, 3);
    size_t channels = format == platform::PngFormat::Rgba ? 4 : 1;
    ASSERT_EQ(pixels.bytes.size(), 15 * channels);
    for (size_t i = 0; i < pixels.bytes.size(); ++i) {
      uint8_t expected = uint8_t(77 + i * 37);
      if (channels == 4 && i == 3) expected = 0;
      EXPECT_EQ(pixels.bytes[i], expected) << i;
    }
  }
  platform::PngPixels pixels;
  std::string error;
  EXPECT_FALSE(platform::DecodePng({1, 2, 3}, platform::PngFormat::Rgba, pixels, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vendrel::vpack
