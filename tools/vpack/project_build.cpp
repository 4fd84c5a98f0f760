// Building game data from a project folder (see README.md for the format).
// Every field may be left out and takes the value a new resource has in the
// editor, so a hand-written project stays small; every fault names the file
// and the field.
#include <algorithm>
#include <cstring>

#include "platform/png.h"
#include "runner/game_data.h"
#include "tools/vpack/project.h"
#include "tools/vpack/project_format.h"
#include "tools/vpack/project_images.h"

namespace vendrel::vpack {

namespace fs = std::filesystem;
namespace res = vendrel::resources;

namespace {

constexpr int32_t kFirstInstanceId = 100000;
constexpr int32_t kFirstTileId = 10000000;

// FNV-1a, for the identity a project gets when it names none.
uint64_t Hash(std::string_view text, uint64_t seed) {
  uint64_t hash = 1469598103934665603ull ^ seed;
  for (char c : text) {
    hash ^= uint8_t(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

class Builder {
 public:
  explicit Builder(fs::path root) : root_(std::move(root)) {}

  std::vector<uint8_t> Build();

 private:
  // Helpers -------------------------------------------------------------------
  int32_t Reference(Fields& fields, const Json& value, const std::string& field, Kind kind);
  int32_t ReferenceField(Fields& fields, const std::string& key, Kind kind) {
    return Reference(fields, fields.Get(key), key, kind);
  }
  runner::CBitmap32 ReadImageFile(Fields& fields, const std::string& field,
                                  const std::string& name);
  Json ReadResourceJson(const fs::path& path, const std::string& shown, bool required);

  void ReadSlots(Fields& game);
  void ReadSettings(Fields& game);
  void ReadInformation(Fields& game);

  void BuildSound(int index, const Slot& slot);
  void BuildSprite(int index, const Slot& slot);
  void BuildBackground(int index, const Slot& slot);
  void BuildPath(int index, const Slot& slot);
  void BuildScript(int index, const Slot& slot);
  void BuildFont(int index, const Slot& slot);
  void BuildTimeLine(int index, const Slot& slot);
  void BuildObject(int index, const Slot& slot);
  void BuildRoom(int index, const Slot& slot);

  // Reads "version" and "code" or "actions" of an event or moment; the
  // caller reads the keys that place it (type and number, or step).
  void ReadEventBody(Fields& fields, res::CEvent& event);
  res::CAction ReadAction(Fields& fields, const Json& value, const std::string& field);

  fs::path root_;
  std::array<KindSlots, kKindCount> kinds_;
  runner::GameData game_;
  // Placed instances and tiles whose ids the project leaves to us.
  std::vector<res::RPlacedInstance*> unnumbered_instances_;
  std::vector<res::RTile*> unnumbered_tiles_;
};

int32_t Builder::Reference(Fields& fields, const Json& value, const std::string& field,
                           Kind kind) {
  if (value.is_null()) return -1;
  if (value.is_string()) {
    std::string name = fields.AsString(value, field);
    const KindSlots& slots = kinds_[size_t(kind)];
    auto found = slots.first_index.find(name);
    if (found == slots.first_index.end())
      fields.Fail(field, std::string("no ") + Info(kind).singular + " is named \"" +
                             value.get<std::string>() + "\"");
    return found->second;
  }
  return fields.AsInt(value, field);
}

Json Builder::ReadResourceJson(const fs::path& path, const std::string& shown, bool required) {
  if (!fs::is_regular_file(path)) {
    if (required) throw ProjectError(shown + ": the file is missing");
    return Json::object();
  }
  return ReadJsonFile(path, shown);
}

runner::CBitmap32 Builder::ReadImageFile(Fields& fields, const std::string& field,
                                         const std::string& name) {
  fs::path path = fields.folder() / name;
  std::string shown = (fs::path(fields.file()).parent_path() / name).generic_string();
  if (!fs::is_regular_file(path)) fields.Fail(field, "the file " + shown + " does not exist");
  platform::PngPixels pixels;
  std::string error;
  if (!platform::DecodePng(ReadFileBytes(path, shown), platform::PngFormat::Rgba, pixels, error))
    throw ProjectError(shown + ": " + error);
  return BitmapFromRgba(pixels);
}

// game.json -------------------------------------------------------------------

void Builder::ReadSlots(Fields& game) {
  for (const KindInfo& info : kKinds) {
    const Json& list = game.Get(info.key);
    KindSlots& kind = kinds_[size_t(info.kind)];
    if (list.is_null()) continue;
    if (!list.is_array()) game.Fail(info.key, "expected a list of names (null for an empty slot)");
    std::map<std::string, std::string> stems;  // folded stem -> slot field
    for (size_t i = 0; i < list.size(); ++i) {
      const Json& entry = list[i];
      std::string field = std::string(info.key) + "[" + std::to_string(i) + "]";
      Slot slot;
      if (entry.is_null()) {
        kind.slots.push_back(slot);
        continue;
      }
      std::string utf8_name;
      if (entry.is_object()) {
        Fields entry_fields = game.Nested(entry, field);
        const Json& name = entry_fields.Get("name");
        if (!name.is_string()) entry_fields.Fail("name", "expected a string");
        utf8_name = name.get<std::string>();
        slot.stem = entry_fields.Get("file").is_null()
                        ? utf8_name
                        : entry_fields.Get("file").is_string()
                              ? entry_fields.Get("file").get<std::string>()
                              : (entry_fields.Fail("file", "expected a string"), std::string());
        entry_fields.Finish();
      } else if (entry.is_string()) {
        utf8_name = entry.get<std::string>();
        slot.stem = utf8_name;
      } else {
        game.Fail(field, "expected a name, null or {\"name\": ..., \"file\": ...}");
      }
      slot.exists = true;
      slot.name = GameTextFromUtf8(utf8_name, game.file() + ": field '" + field + "'");
      if (!IsValidStem(slot.stem))
        game.Fail(field, "\"" + slot.stem +
                             "\" cannot name files (letters, digits, '_' and '-' only); give "
                             "{\"name\": ..., \"file\": ...}");
      auto [previous, inserted] = stems.emplace(FoldCase(slot.stem), field);
      if (!inserted)
        game.Fail(field, "its files would be those of " + previous->second +
                             " (file names must differ in more than case)");
      kind.slots.push_back(slot);
    }
    kind.Index();
  }
}

void Builder::ReadSettings(Fields& game) {
  runner::GameSettings& settings = game_.settings;
  const Json& value = game.Get("settings");
  if (!value.is_null()) {
    Fields fields = game.Nested(value, "settings");
    for (const BoolSetting& row : BoolSettings())
      settings.*row.field = fields.Bool(row.name, settings.*row.field);
    for (const IntSetting& row : IntSettings())
      settings.*row.field = row.color ? fields.Color(row.name, settings.*row.field)
                                      : fields.Int(row.name, settings.*row.field);
    for (const ImageSetting& row : ImageSettings()) {
      const Json& file = fields.Get(row.name);
      if (file.is_null()) continue;
      if (!file.is_string()) fields.Fail(row.name, "expected a .bmp or .png file name");
      std::string name = file.get<std::string>();
      fs::path path = root_ / name;
      if (!fs::is_regular_file(path)) fields.Fail(row.name, "the file " + name + " does not exist");
      std::vector<uint8_t> bytes = ReadFileBytes(path, name);
      std::string extension = FoldCase(path.extension().string());
      if (extension == ".png") {
        platform::PngPixels pixels;
        std::string error;
        if (!platform::DecodePng(bytes, platform::PngFormat::Rgba, pixels, error))
          throw ProjectError(name + ": " + error);
        bytes = BmpFromRgba(pixels);
      } else if (extension != ".bmp") {
        fields.Fail(row.name, "expected a .bmp or .png file name");
      }
      settings.*row.field = std::move(bytes);
    }
    fields.Finish();
  }
  if (!settings.ShowProgressBar &&
      (!settings.ProgressBackImage.empty() || !settings.ProgressFrontImage.empty()))
    game.Fail("settings",
              "the progress bar images are only stored while show_progress_bar is true");

  const Json& constants = game.Get("constants");
  auto add = [&](const Json& name, const Json& text, const std::string& field) {
    settings.Constants.push_back({game.AsString(name, field), game.AsString(text, field)});
  };
  if (constants.is_object()) {
    for (auto it = constants.begin(); it != constants.end(); ++it)
      add(Json(it.key()), it.value(), "constants." + it.key());
  } else if (constants.is_array()) {
    for (size_t i = 0; i < constants.size(); ++i) {
      std::string field = "constants[" + std::to_string(i) + "]";
      const Json& pair = constants[i];
      if (!pair.is_array() || pair.size() != 2) game.Fail(field, "expected [name, value]");
      add(pair[0], pair[1], field);
    }
  } else if (!constants.is_null()) {
    game.Fail("constants", "expected {\"NAME\": \"value\", ...} or a list of [name, value]");
  }
}

void Builder::ReadInformation(Fields& game) {
  res::GameInformation& info = game_.resources.information;
  const Json& value = game.Get("information");
  if (!value.is_null()) {
    Fields fields = game.Nested(value, "information");
    info.background_color = fields.Color("background_color", info.background_color);
    info.in_game_window = fields.Bool("in_game_window", info.in_game_window);
    info.caption = fields.String("caption", info.caption);
    info.left = fields.Int("left", info.left);
    info.top = fields.Int("top", info.top);
    info.width = fields.Int("width", info.width);
    info.height = fields.Int("height", info.height);
    info.border = fields.Bool("border", info.border);
    info.sizeable = fields.Bool("sizeable", info.sizeable);
    info.stay_on_top = fields.Bool("stay_on_top", info.stay_on_top);
    info.modal = fields.Bool("modal", info.modal);
    fields.Finish();
  }
  // The rich text is kept as it is: RTF carries its own encoding.
  if (fs::is_regular_file(root_ / "info.rtf"))
    info.text = ReadFileBytes(root_ / "info.rtf", "info.rtf");
}

// Resources ---------------------------------------------------------------------

void Builder::BuildSound(int index, const Slot& slot) {
  std::string shown = "sounds/" + slot.stem + ".json";
  Json json = ReadResourceJson(root_ / shown, shown, true);
  Fields fields(json, shown, root_ / "sounds");
  auto sound = std::make_unique<res::CSound>();
  sound->kind = EnumValue(fields, fields.Get("kind").is_null() ? Json(0) : fields.Get("kind"),
                          "kind", kSoundKindNames);
  std::string data_name;
  const Json& data = fields.Get("data");
  if (data.is_string()) {
    data_name = data.get<std::string>();
  } else if (!data.is_null()) {
    fields.Fail("data", "expected the sound file's name or null");
  } else if (!fields.Has("data")) {
    // Left out: the one file beside the JSON that carries the same stem.
    for (const auto& entry : fs::directory_iterator(root_ / "sounds")) {
      if (!entry.is_regular_file() || entry.path().stem() != slot.stem ||
          entry.path().extension() == ".json")
        continue;
      if (!data_name.empty())
        fields.Fail("data", "both " + data_name + " and " + entry.path().filename().string() +
                                " could be the sound; name one");
      data_name = entry.path().filename().string();
    }
  }
  std::string default_type;
  if (!data_name.empty()) {
    fs::path path = root_ / "sounds" / data_name;
    std::string data_shown = "sounds/" + data_name;
    if (!fs::is_regular_file(path)) fields.Fail("data", "the file " + data_shown + " does not exist");
    sound->data = ReadFileBytes(path, data_shown);
    default_type = GameTextFromUtf8(fs::path(data_name).extension().string(), shown);
  }
  sound->file_type = fields.String("file_type", default_type);
  sound->file_name = fields.String(
      "file_name", data_name.empty() ? "" : GameTextFromUtf8(data_name, shown));
  sound->effects = fields.Int("effects", sound->effects);
  sound->volume = fields.Real("volume", sound->volume);
  sound->pan = fields.Real("pan", sound->pan);
  sound->preload = fields.Bool("preload", sound->preload);
  fields.Finish();
  game_.resources.sounds.Set(index, std::move(sound), slot.name);
}

void Builder::BuildSprite(int index, const Slot& slot) {
  std::string folder_shown = "sprites/" + slot.stem;
  fs::path folder = root_ / "sprites" / slot.stem;
  if (!fs::is_directory(folder)) throw ProjectError(folder_shown + "/: the folder is missing");
  std::string shown = folder_shown + "/sprite.json";
  Json json = ReadResourceJson(folder / "sprite.json", shown, false);
  Fields fields(json, shown, folder);
  auto sprite = std::make_unique<res::CSprite>();

  const Json& frames = fields.Get("frames");
  if (frames.is_null()) {
    for (int i = 0; fs::is_regular_file(folder / (std::to_string(i) + ".png")); ++i)
      sprite->frames.push_back(ReadImageFile(fields, "frames", std::to_string(i) + ".png"));
  } else if (frames.is_array()) {
    for (size_t i = 0; i < frames.size(); ++i) {
      std::string field = "frames[" + std::to_string(i) + "]";
      if (frames[i].is_null())
        sprite->frames.emplace_back();  // a frame stored without an image
      else if (frames[i].is_string())
        sprite->frames.push_back(ReadImageFile(fields, field, frames[i].get<std::string>()));
      else
        fields.Fail(field, "expected a PNG file name or null");
    }
  } else {
    fields.Fail("frames", "expected a list of PNG file names");
  }
  int32_t width = 1, height = 1;
  for (const runner::CBitmap32& frame : sprite->frames)
    if (!frame.Empty()) {
      width = frame.width;
      height = frame.height;
      break;
    }
  bool sized = fields.Has("width") || fields.Has("height");
  sprite->width = fields.Int("width", width);
  sprite->height = fields.Int("height", height);
  if (!sized)
    for (size_t i = 0; i < sprite->frames.size(); ++i) {
      const runner::CBitmap32& frame = sprite->frames[i];
      if (!frame.Empty() && (frame.width != width || frame.height != height))
        fields.Fail("frames", "frame " + std::to_string(i) + " is " + std::to_string(frame.width) +
                                  " x " + std::to_string(frame.height) + " but frame 0 is " +
                                  std::to_string(width) + " x " + std::to_string(height) +
                                  " (every frame has the sprite's size)");
    }
  sprite->x_origin = fields.Int("x_origin", 0);
  sprite->y_origin = fields.Int("y_origin", 0);
  sprite->transparent = fields.Bool("transparent", sprite->transparent);
  sprite->smooth = fields.Bool("smooth", sprite->smooth);
  sprite->preload = fields.Bool("preload", sprite->preload);
  sprite->precise = fields.Bool("precise", sprite->precise);
  const Json& mode = fields.Get("bbox_mode");
  sprite->bbox_mode =
      mode.is_null() ? res::kBoundingBoxAutomatic
                     : EnumValue(fields, mode, "bbox_mode", kBoundingBoxModeNames);
  const Json& box = fields.Get("bbox");
  if (box.is_null()) {
    std::array<int32_t, 4> computed = DefaultBoundingBox(*sprite);
    sprite->bbox_left = computed[0];
    sprite->bbox_top = computed[1];
    sprite->bbox_right = computed[2];
    sprite->bbox_bottom = computed[3];
  } else {
    if (!box.is_array() || box.size() != 4) fields.Fail("bbox", "expected [left, top, right, bottom]");
    sprite->bbox_left = fields.AsInt(box[0], "bbox[0]");
    sprite->bbox_top = fields.AsInt(box[1], "bbox[1]");
    sprite->bbox_right = fields.AsInt(box[2], "bbox[2]");
    sprite->bbox_bottom = fields.AsInt(box[3], "bbox[3]");
  }
  fields.Finish();
  game_.resources.sprites.Set(index, std::move(sprite), slot.name);
}

void Builder::BuildBackground(int index, const Slot& slot) {
  std::string shown = "backgrounds/" + slot.stem + ".json";
  fs::path folder = root_ / "backgrounds";
  bool has_png = fs::is_regular_file(folder / (slot.stem + ".png"));
  Json json = ReadResourceJson(root_ / shown, shown, !has_png);
  Fields fields(json, shown, folder);
  auto background = std::make_unique<res::CBackground>();
  const Json& image = fields.Get("image");
  std::optional<runner::CBitmap32> bitmap;
  if (image.is_string())
    bitmap = ReadImageFile(fields, "image", image.get<std::string>());
  else if (!image.is_null())
    fields.Fail("image", "expected a PNG file name or null");
  else if (!fields.Has("image") && has_png)
    bitmap = ReadImageFile(fields, "image", slot.stem + ".png");
  if (fields.Bool("has_image", bitmap.has_value()))
    background->image = bitmap ? std::move(*bitmap) : runner::CBitmap32();
  else if (bitmap)
    fields.Fail("has_image", "false, but an image is given");
  int32_t width = background->image ? background->image->width : 0;
  int32_t height = background->image ? background->image->height : 0;
  background->width = fields.Int("width", width);
  background->height = fields.Int("height", height);
  background->transparent = fields.Bool("transparent", background->transparent);
  background->smooth = fields.Bool("smooth", background->smooth);
  background->preload = fields.Bool("preload", background->preload);
  fields.Finish();
  game_.resources.backgrounds.Set(index, std::move(background), slot.name);
}

void Builder::BuildPath(int index, const Slot& slot) {
  std::string shown = "paths/" + slot.stem + ".json";
  Json json = ReadResourceJson(root_ / shown, shown, true);
  Fields fields(json, shown, root_ / "paths");
  auto path = std::make_unique<res::CPath>();
  const Json& kind = fields.Get("kind");
  path->kind = kind.is_null() ? 0 : EnumValue(fields, kind, "kind", kPathKindNames);
  path->closed = fields.Bool("closed", path->closed);
  path->precision = fields.Int("precision", path->precision);
  const Json& points = fields.Get("points");
  if (!points.is_null() && !points.is_array()) fields.Fail("points", "expected a list of points");
  for (size_t i = 0; i < points.size() && points.is_array(); ++i) {
    std::string field = "points[" + std::to_string(i) + "]";
    const Json& point = points[i];
    res::RPathPoint read;
    if (point.is_array() && (point.size() == 2 || point.size() == 3)) {
      read.x = fields.AsReal(point[0], field + "[0]");
      read.y = fields.AsReal(point[1], field + "[1]");
      if (point.size() == 3) read.speed = fields.AsReal(point[2], field + "[2]");
    } else if (point.is_object()) {
      Fields point_fields = fields.Nested(point, field);
      read.x = point_fields.Real("x", 0);
      read.y = point_fields.Real("y", 0);
      read.speed = point_fields.Real("speed", 100);
      point_fields.Finish();
    } else {
      fields.Fail(field, "expected [x, y], [x, y, speed] or {\"x\": .., \"y\": .., \"speed\": ..}");
    }
    path->points.push_back(read);
  }
  path->Recompute();
  fields.Finish();
  game_.resources.paths.Set(index, std::move(path), slot.name);
}

void Builder::BuildScript(int index, const Slot& slot) {
  std::string shown = "scripts/" + slot.stem + ".code";
  fs::path file = root_ / shown;
  auto script = std::make_unique<res::CScript>();
  // scripts/NAME.json {"source": TEXT} holds code that no .code file can.
  std::string json_shown = "scripts/" + slot.stem + ".json";
  if (!fs::is_regular_file(file) && fs::is_regular_file(root_ / json_shown)) {
    Json json = ReadResourceJson(root_ / json_shown, json_shown, true);
    Fields fields(json, json_shown, root_ / "scripts");
    script->source = fields.Text("source", "");
    fields.Finish();
    game_.resources.scripts.Set(index, std::move(script), slot.name);
    return;
  }
  if (!fs::is_regular_file(file)) throw ProjectError(shown + ": the file is missing");
  std::vector<uint8_t> bytes = ReadFileBytes(file, shown);
  script->source = GameCodeFromFile(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), shown);
  game_.resources.scripts.Set(index, std::move(script), slot.name);
}

void Builder::BuildFont(int index, const Slot& slot) {
  std::string shown = "fonts/" + slot.stem + ".json";
  Json json = ReadResourceJson(root_ / shown, shown, true);
  fs::path folder = root_ / "fonts";
  Fields fields(json, shown, folder);
  auto font = std::make_unique<res::CFont>();
  font->font_name = fields.String("name", font->font_name);
  font->size = fields.Int("size", font->size);
  font->bold = fields.Bool("bold", font->bold);
  font->italic = fields.Bool("italic", font->italic);
  font->first = fields.Int("first", font->first);
  font->last = fields.Int("last", font->last);
  const Json& glyphs = fields.Get("glyphs");
  if (glyphs.is_object()) {
    for (auto it = glyphs.begin(); it != glyphs.end(); ++it) {
      std::string field = "glyphs." + it.key();
      char* end = nullptr;
      long code = std::strtol(it.key().c_str(), &end, 10);
      if (it.key().empty() || *end != '\0' || code < 0 || code > 255)
        fields.Fail(field, "glyphs are keyed by character code, 0 to 255");
      const Json& row = it.value();
      if (!row.is_array() || row.size() != 6)
        fields.Fail(field, "expected [x, y, width, height, advance, offset]");
      size_t c = size_t(code);
      font->glyph_x[c] = fields.AsInt(row[0], field + "[0]");
      font->glyph_y[c] = fields.AsInt(row[1], field + "[1]");
      font->cell_width[c] = fields.AsInt(row[2], field + "[2]");
      font->cell_height[c] = fields.AsInt(row[3], field + "[3]");
      font->advance[c] = fields.AsInt(row[4], field + "[4]");
      font->offset[c] = fields.AsInt(row[5], field + "[5]");
    }
  } else if (!glyphs.is_null()) {
    fields.Fail("glyphs", "expected {\"CODE\": [x, y, width, height, advance, offset], ...}");
  }
  const Json& bitmap = fields.Get("bitmap");
  std::string bitmap_name;
  if (bitmap.is_string())
    bitmap_name = bitmap.get<std::string>();
  else if (!bitmap.is_null())
    fields.Fail("bitmap", "expected a PNG file name or null");
  else if (!fields.Has("bitmap") && fs::is_regular_file(folder / (slot.stem + ".png")))
    bitmap_name = slot.stem + ".png";
  int32_t width = 0, height = 0;
  if (!bitmap_name.empty()) {
    std::string bitmap_shown = "fonts/" + bitmap_name;
    if (!fs::is_regular_file(folder / bitmap_name))
      fields.Fail("bitmap", "the file " + bitmap_shown + " does not exist");
    platform::PngPixels pixels;
    std::string error;
    if (!platform::DecodePng(ReadFileBytes(folder / bitmap_name, bitmap_shown),
                             platform::PngFormat::Gray, pixels, error))
      throw ProjectError(bitmap_shown + ": " + error);
    width = pixels.width;
    height = pixels.height;
    font->glyph_bitmap = std::move(pixels.bytes);
  }
  font->bitmap_width = fields.Int("bitmap_width", width);
  font->bitmap_height = fields.Int("bitmap_height", height);
  if (!bitmap_name.empty() && (font->bitmap_width != width || font->bitmap_height != height))
    fields.Fail("bitmap_width", "the glyph bitmap is " + std::to_string(width) + " x " +
                                    std::to_string(height));
  if (bitmap_name.empty() && font->bitmap_width > 0 && font->bitmap_height > 0)
    fields.Fail("bitmap", "a font of bitmap_width and bitmap_height above 0 needs its bitmap");
  fields.Finish();
  game_.resources.fonts.Set(index, std::move(font), slot.name);
}

res::CAction Builder::ReadAction(Fields& parent, const Json& value, const std::string& field) {
  Fields fields = parent.Nested(value, field);
  const Json& version = fields.Get("version");
  if (!version.is_null() && fields.AsInt(version, "version") != res::CAction::kRecordVersion) {
    // A record of another version holds nothing more.
    res::CAction action;
    action.record_version = fields.AsInt(version, "version");
    fields.Finish();
    return action;
  }
  const Json& kind_value = fields.Get("kind");
  int32_t kind = kind_value.is_null() ? res::kActionNormal
                                      : EnumValue(fields, kind_value, "kind", kActionKindNames);
  res::CAction action = DefaultAction(kind);
  res::CAction defaults = DefaultAction(kind);
  action.first_id = fields.Int("first_id", action.first_id);
  action.second_id = fields.Int("second_id", action.second_id);
  action.may_be_relative = fields.Bool("may_be_relative", action.may_be_relative);
  action.is_question = fields.Bool("is_question", action.is_question);
  action.applies_to_settable = fields.Bool("applies_to_settable", action.applies_to_settable);
  action.function_name = fields.String("function", action.function_name);
  const Json& execution = fields.Get("execution");
  action.execution_type = execution.is_null()
                              ? DefaultExecution(kind, action.function_name)
                              : EnumValue(fields, execution, "execution", kExecutionNames);
  action.code = fields.Text("code", action.code);

  const Json& arguments = fields.Get("arguments");
  if (!arguments.is_null()) {
    if (!arguments.is_array() || arguments.size() > size_t(res::CAction::kMaxArguments))
      fields.Fail("arguments", "expected a list of at most 8 texts");
    action.text_count = int32_t(arguments.size());
    action.argument_texts = {};
    for (size_t i = 0; i < arguments.size(); ++i)
      action.argument_texts[i] = fields.AsText(arguments[i], "arguments[" + std::to_string(i) + "]");
  }
  int32_t listed = arguments.is_null() ? defaults.text_count : int32_t(arguments.size());
  action.argument_count = fields.Int("argument_count",
                                     arguments.is_null() ? defaults.argument_count : listed);
  const Json& kinds = fields.Get("argument_kinds");
  if (kinds.is_null()) {
    action.kind_count = listed;
    action.argument_kinds = DefaultArgumentKinds(defaults, listed);
  } else {
    if (!kinds.is_array() || kinds.size() > size_t(res::CAction::kMaxArguments))
      fields.Fail("argument_kinds", "expected a list of at most 8 integers");
    action.kind_count = int32_t(kinds.size());
    action.argument_kinds = {};
    for (size_t i = 0; i < kinds.size(); ++i)
      action.argument_kinds[i] = fields.AsInt(kinds[i], "argument_kinds[" + std::to_string(i) + "]");
  }
  const Json& applies_to = fields.Get("applies_to");
  if (applies_to == "self")
    action.applies_to = -1;
  else if (applies_to == "other")
    action.applies_to = -2;
  else if (!applies_to.is_null())
    action.applies_to = Reference(fields, applies_to, "applies_to", Kind::Objects);
  action.relative = fields.Bool("relative", action.relative);
  action.not_flag = fields.Bool("not", action.not_flag);
  fields.Finish();
  return action;
}

void Builder::ReadEventBody(Fields& fields, res::CEvent& event) {
  const Json& version = fields.Get("version");
  if (!version.is_null()) event.record_version = fields.AsInt(version, "version");
  const Json& code = fields.Get("code");
  const Json& actions = fields.Get("actions");
  if (!code.is_null() && !actions.is_null())
    fields.Fail("code", "give either code or actions, not both");
  if (event.record_version != res::CEvent::kRecordVersion) {
    if (!code.is_null() || !actions.is_null())
      fields.Fail("version", "an event of another version holds no actions");
  } else if (!code.is_null()) {
    event.actions.push_back(res::CAction::MakeCodeAction(fields.AsText(code, "code")));
  } else if (actions.is_array()) {
    for (size_t i = 0; i < actions.size(); ++i)
      event.actions.push_back(ReadAction(fields, actions[i], "actions[" + std::to_string(i) + "]"));
  } else if (!actions.is_null()) {
    fields.Fail("actions", "expected a list of actions");
  }
}

void Builder::BuildTimeLine(int index, const Slot& slot) {
  std::string shown = "timelines/" + slot.stem + ".json";
  Json json = ReadResourceJson(root_ / shown, shown, true);
  Fields fields(json, shown, root_ / "timelines");
  auto time_line = std::make_unique<res::CTimeLine>();
  const Json& moments = fields.Get("moments");
  if (!moments.is_null() && !moments.is_array()) fields.Fail("moments", "expected a list of moments");
  for (size_t i = 0; moments.is_array() && i < moments.size(); ++i) {
    std::string field = "moments[" + std::to_string(i) + "]";
    Fields moment_fields = fields.Nested(moments[i], field);
    res::RMoment moment;
    moment.step = moment_fields.Int("step", 0);
    ReadEventBody(moment_fields, moment.event);
    moment_fields.Finish();
    time_line->moments.push_back(std::move(moment));
  }
  fields.Finish();
  game_.resources.time_lines.Set(index, std::move(time_line), slot.name);
}

void Builder::BuildObject(int index, const Slot& slot) {
  std::string shown = "objects/" + slot.stem + ".json";
  Json json = ReadResourceJson(root_ / shown, shown, true);
  Fields fields(json, shown, root_ / "objects");
  auto object = std::make_unique<res::CObject>();
  object->record_version = fields.Int("version", object->record_version);
  if (object->record_version != res::CObject::kRecordVersion &&
      object->record_version != res::CObject::kRecordVersionOld)
    fields.Fail("version", "an object record is version 400 or 430");
  object->sprite = ReferenceField(fields, "sprite", Kind::Sprites);
  object->solid = fields.Bool("solid", object->solid);
  object->visible = fields.Bool("visible", object->visible);
  object->depth = fields.Int("depth", object->depth);
  object->persistent = fields.Bool("persistent", object->persistent);
  object->parent = ReferenceField(fields, "parent", Kind::Objects);
  object->mask = ReferenceField(fields, "mask", Kind::Sprites);
  const Json& events = fields.Get("events");
  if (!events.is_null() && !events.is_array()) fields.Fail("events", "expected a list of events");
  for (size_t i = 0; events.is_array() && i < events.size(); ++i) {
    std::string field = "events[" + std::to_string(i) + "]";
    Fields event_fields = fields.Nested(events[i], field);
    const Json& type_value = event_fields.Get("type");
    if (type_value.is_null()) event_fields.Fail("type", "every event names its type");
    int32_t type = EnumValue(event_fields, type_value, "type", kEventTypeNames);
    if (type < 0 || type >= res::kEventTypeCount) event_fields.Fail("type", "event types are 0 to 10");
    const Json& number_value = event_fields.Get("number");
    int32_t number = 0;
    if (type == res::kEventCollision && number_value.is_null())
      event_fields.Fail("number", "a collision event names the other object");
    if (number_value.is_string() && type == res::kEventCollision)
      number = Reference(event_fields, number_value, "number", Kind::Objects);
    else if (!number_value.is_null())
      number = event_fields.AsInt(number_value, "number");
    if (number < 0) event_fields.Fail("number", "event numbers are 0 or more");
    if (object->events[size_t(type)].count(number))
      event_fields.Fail("number", "the object has this event already");
    res::CEvent& event = object->events[size_t(type)][number];
    ReadEventBody(event_fields, event);
    event_fields.Finish();
  }
  fields.Finish();
  game_.resources.objects.Set(index, std::move(object), slot.name);
}

void Builder::BuildRoom(int index, const Slot& slot) {
  std::string shown = "rooms/" + slot.stem + ".json";
  Json json = ReadResourceJson(root_ / shown, shown, true);
  Fields fields(json, shown, root_ / "rooms");
  auto room = std::make_unique<res::CRoom>();
  room->caption = fields.String("caption", room->caption);
  room->width = fields.Int("width", room->width);
  room->height = fields.Int("height", room->height);
  room->speed = fields.Int("speed", room->speed);
  room->persistent = fields.Bool("persistent", room->persistent);
  room->background_color = fields.Color("background_color", room->background_color);
  room->draw_background_color = fields.Bool("draw_background_color", room->draw_background_color);
  room->creation_code = fields.Text("creation_code", room->creation_code);

  auto list = [&](const char* key, size_t most) -> const Json& {
    const Json& value = fields.Get(key);
    if (!value.is_null() && (!value.is_array() || value.size() > most))
      fields.Fail(key, most < 100 ? "expected a list of at most " + std::to_string(most)
                                  : std::string("expected a list"));
    return value;
  };
  const Json& layers = list("backgrounds", res::CRoom::kLayerCount);
  for (size_t i = 0; layers.is_array() && i < layers.size(); ++i) {
    Fields layer_fields = fields.Nested(layers[i], "backgrounds[" + std::to_string(i) + "]");
    res::CBack& layer = room->backgrounds[i];
    layer.visible = layer_fields.Bool("visible", layer.visible);
    layer.foreground = layer_fields.Bool("foreground", layer.foreground);
    layer.background = ReferenceField(layer_fields, "background", Kind::Backgrounds);
    layer.x = layer_fields.Int("x", 0);
    layer.y = layer_fields.Int("y", 0);
    layer.tile_horizontally = layer_fields.Bool("tile_horizontally", layer.tile_horizontally);
    layer.tile_vertically = layer_fields.Bool("tile_vertically", layer.tile_vertically);
    layer.horizontal_speed = layer_fields.Int("horizontal_speed", 0);
    layer.vertical_speed = layer_fields.Int("vertical_speed", 0);
    layer.stretch = layer_fields.Bool("stretch", layer.stretch);
    layer_fields.Finish();
  }
  room->views_enabled = fields.Bool("views_enabled", room->views_enabled);
  const Json& views = list("views", res::CRoom::kViewCount);
  for (size_t i = 0; views.is_array() && i < views.size(); ++i) {
    Fields view_fields = fields.Nested(views[i], "views[" + std::to_string(i) + "]");
    res::CView& view = room->views[i];
    view.visible = view_fields.Bool("visible", view.visible);
    view.view_x = view_fields.Int("view_x", view.view_x);
    view.view_y = view_fields.Int("view_y", view.view_y);
    view.view_width = view_fields.Int("view_width", view.view_width);
    view.view_height = view_fields.Int("view_height", view.view_height);
    view.port_x = view_fields.Int("port_x", view.port_x);
    view.port_y = view_fields.Int("port_y", view.port_y);
    view.port_width = view_fields.Int("port_width", view.port_width);
    view.port_height = view_fields.Int("port_height", view.port_height);
    view.horizontal_border = view_fields.Int("horizontal_border", view.horizontal_border);
    view.vertical_border = view_fields.Int("vertical_border", view.vertical_border);
    view.horizontal_speed = view_fields.Int("horizontal_speed", view.horizontal_speed);
    view.vertical_speed = view_fields.Int("vertical_speed", view.vertical_speed);
    view.followed_object = ReferenceField(view_fields, "followed_object", Kind::Objects);
    view_fields.Finish();
  }
  const Json& instances = list("instances", SIZE_MAX);
  room->instances.resize(instances.is_array() ? instances.size() : 0);
  for (size_t i = 0; i < room->instances.size(); ++i) {
    Fields instance_fields = fields.Nested(instances[i], "instances[" + std::to_string(i) + "]");
    res::RPlacedInstance& instance = room->instances[i];
    instance.x = instance_fields.Int("x", 0);
    instance.y = instance_fields.Int("y", 0);
    if (!instance_fields.Has("object")) instance_fields.Fail("object", "every instance names its object");
    instance.object = ReferenceField(instance_fields, "object", Kind::Objects);
    if (instance_fields.Has("id"))
      instance.id = instance_fields.Int("id", 0);
    else
      unnumbered_instances_.push_back(&instance);
    instance.creation_code = instance_fields.Text("creation_code", "");
    instance_fields.Finish();
  }
  const Json& tiles = list("tiles", SIZE_MAX);
  room->tiles.resize(tiles.is_array() ? tiles.size() : 0);
  for (size_t i = 0; i < room->tiles.size(); ++i) {
    Fields tile_fields = fields.Nested(tiles[i], "tiles[" + std::to_string(i) + "]");
    res::RTile& tile = room->tiles[i];
    tile.x = tile_fields.Int("x", 0);
    tile.y = tile_fields.Int("y", 0);
    if (!tile_fields.Has("background")) tile_fields.Fail("background", "every tile names its background");
    tile.background = ReferenceField(tile_fields, "background", Kind::Backgrounds);
    tile.left = tile_fields.Int("left", 0);
    tile.top = tile_fields.Int("top", 0);
    tile.width = tile_fields.Int("width", 0);
    tile.height = tile_fields.Int("height", 0);
    tile.depth = tile_fields.Int("depth", 0);
    if (tile_fields.Has("id"))
      tile.id = tile_fields.Int("id", 0);
    else
      unnumbered_tiles_.push_back(&tile);
    tile_fields.Finish();
  }
  fields.Finish();
  game_.resources.rooms.Set(index, std::move(room), slot.name);
}

// The whole game ------------------------------------------------------------------

std::vector<uint8_t> Builder::Build() {
  if (!fs::is_directory(root_)) throw ProjectError(root_.string() + ": not a project folder");
  if (!fs::is_regular_file(root_ / "game.json"))
    throw ProjectError("game.json: the file is missing (every project has one)");
  Json json = ReadJsonFile(root_ / "game.json", "game.json");
  Fields game(json, "game.json", root_);

  ReadSlots(game);
  std::string folder_name = fs::absolute(root_).lexically_normal().filename().string();
  if (folder_name.empty()) folder_name = fs::absolute(root_).parent_path().filename().string();
  runner::GameIdentity& identity = game_.identity;
  identity.GameId = game.Int("game_id", int32_t(Hash(folder_name, 0) & 0x7FFFFFFF));
  identity.DebugMode = game.Bool("debug_mode", false);
  const Json& guid = game.Get("guid");
  if (guid.is_null()) {
    uint64_t a = Hash(folder_name, 1), b = Hash(std::to_string(identity.GameId), a);
    std::memcpy(identity.GameGuid.data(), &a, 8);
    std::memcpy(identity.GameGuid.data() + 8, &b, 8);
  } else {
    std::string digits;
    if (guid.is_string())
      for (char c : guid.get<std::string>())
        if (c != '-' && c != '{' && c != '}') digits += c;
    if (digits.size() != 32 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      game.Fail("guid", "expected 32 hexadecimal digits (dashes allowed)");
    for (size_t i = 0; i < 16; ++i)
      identity.GameGuid[i] = uint8_t(std::stoi(digits.substr(i * 2, 2), nullptr, 16));
  }
  game_.seed = game.Int("scramble_seed", game_.seed);
  if (game_.seed < 0) game.Fail("scramble_seed", "expected 0 or more");
  ReadSettings(game);
  ReadInformation(game);

  res::GameResources& resources = game_.resources;
  auto build_kind = [&](Kind kind, auto& table, void (Builder::*build)(int, const Slot&)) {
    const std::vector<Slot>& slots = kinds_[size_t(kind)].slots;
    table.Reset(int(slots.size()));
    for (size_t i = 0; i < slots.size(); ++i)
      if (slots[i].exists) (this->*build)(int(i), slots[i]);
  };
  build_kind(Kind::Sounds, resources.sounds, &Builder::BuildSound);
  build_kind(Kind::Sprites, resources.sprites, &Builder::BuildSprite);
  build_kind(Kind::Backgrounds, resources.backgrounds, &Builder::BuildBackground);
  build_kind(Kind::Paths, resources.paths, &Builder::BuildPath);
  build_kind(Kind::Scripts, resources.scripts, &Builder::BuildScript);
  build_kind(Kind::Fonts, resources.fonts, &Builder::BuildFont);
  build_kind(Kind::TimeLines, resources.time_lines, &Builder::BuildTimeLine);
  build_kind(Kind::Objects, resources.objects, &Builder::BuildObject);
  build_kind(Kind::Rooms, resources.rooms, &Builder::BuildRoom);

  // Instances and tiles without ids number on from the highest id in use.
  int32_t highest_instance = kFirstInstanceId, highest_tile = kFirstTileId;
  for (int i = 0; i < resources.rooms.Count(); ++i)
    if (const res::CRoom* room = resources.rooms.Get(i)) {
      for (const res::RPlacedInstance& instance : room->instances)
        highest_instance = std::max(highest_instance, instance.id);
      for (const res::RTile& tile : room->tiles) highest_tile = std::max(highest_tile, tile.id);
    }
  resources.last_instance_id = game.Int("last_instance_id", -1);
  resources.last_tile_id = game.Int("last_tile_id", -1);
  int32_t next_instance = std::max(highest_instance, resources.last_instance_id);
  int32_t next_tile = std::max(highest_tile, resources.last_tile_id);
  for (res::RPlacedInstance* instance : unnumbered_instances_) instance->id = ++next_instance;
  for (res::RTile* tile : unnumbered_tiles_) tile->id = ++next_tile;
  if (!game.Has("last_instance_id")) resources.last_instance_id = next_instance;
  if (!game.Has("last_tile_id")) resources.last_tile_id = next_tile;

  const Json& library = game.Get("library_code");
  if (!library.is_null() && !library.is_array())
    game.Fail("library_code", "expected a list of texts");
  for (size_t i = 0; library.is_array() && i < library.size(); ++i)
    resources.library_code.push_back(game.AsText(library[i], "library_code[" + std::to_string(i) + "]"));

  const Json& order = game.Get("room_order");
  if (order.is_null()) {
    for (int i = 0; i < resources.rooms.Count(); ++i)
      if (resources.rooms.Exists(i)) resources.room_order.rooms.push_back(i);
  } else if (order.is_array()) {
    for (size_t i = 0; i < order.size(); ++i)
      resources.room_order.rooms.push_back(
          Reference(game, order[i], "room_order[" + std::to_string(i) + "]", Kind::Rooms));
  } else {
    game.Fail("room_order", "expected a list of rooms");
  }
  if (resources.room_order.rooms.empty())
    game.Fail("room_order", "a game needs at least one room to start in");
  game.Finish();
  return runner::WriteGameData(game_);
}

}  // namespace

std::vector<uint8_t> BuildGameData(const fs::path& project) { return Builder(project).Build(); }

}  // namespace vendrel::vpack
