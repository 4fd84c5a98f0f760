// Unpacking game data into a project folder (see README.md for the format).
// Everything the game data holds is written, so that building the project
// again gives back the same records; fields that only repeat what building
// would choose anyway are left out of the sub-records to keep them short.
#include <set>

#include "platform/png.h"
#include "resources/record_io.h"
#include "runner/game_data.h"
#include "tools/vpack/project.h"
#include "tools/vpack/project_format.h"
#include "tools/vpack/project_images.h"

namespace vendrel::vpack {

namespace fs = std::filesystem;
namespace res = vendrel::resources;

namespace {

// What generated file stems start with, per kind.
constexpr const char* kStemPrefixes[kKindCount] = {"sound", "sprite", "background", "path", "script",
                                                   "font", "timeline", "object", "room"};

bool IsPlainExtension(const std::string& extension) {
  if (extension.size() < 2 || extension.size() > 11 || extension[0] != '.') return false;
  if (FoldCase(extension) == ".json") return false;
  return IsValidStem(extension.substr(1));
}

std::vector<uint8_t> ActionBytes(const res::CAction& action) {
  runner::CStream stream;
  action.Write(stream);
  return stream.Bytes();
}

class Unpacker {
 public:
  Unpacker(runner::GameData& game, fs::path root) : game_(game), root_(std::move(root)) {}

  void Unpack();

 private:
  void AssignStems();
  Json SlotList(Kind kind) const;
  // A reference to resource [index] of [kind]: its name when the name leads
  // back to it, null for -1, else the number.
  Json Reference(Kind kind, int32_t index) const;
  // Writes [text] (game text) to a file [base].code in [folder] (relative
  // to the project), unique within the folder, and returns {"file": name}.
  Json TextFile(const std::string& folder, const std::string& base, const std::string& text);
  Json CodeText(const std::string& folder, const std::string& base, const std::string& text,
                bool always_file);
  void WriteBinary(const std::string& path, const std::vector<uint8_t>& bytes);
  void WritePng(const std::string& path, const platform::PngPixels& pixels,
                platform::PngFormat format);
  void WriteJson(const std::string& path, const Json& json);

  Json EventBody(const res::CEvent& event, const std::string& folder, const std::string& base);
  Json ActionJson(const res::CAction& action, const std::string& folder, const std::string& base);

  void UnpackSound(const res::CSound& sound, const Slot& slot);
  void UnpackSprite(const res::CSprite& sprite, const Slot& slot);
  void UnpackBackground(const res::CBackground& background, const Slot& slot);
  void UnpackPath(const res::CPath& path, const Slot& slot);
  void UnpackScript(const res::CScript& script, const Slot& slot);
  void UnpackFont(const res::CFont& font, const Slot& slot);
  void UnpackTimeLine(const res::CTimeLine& time_line, const Slot& slot);
  void UnpackObject(const res::CObject& object, const Slot& slot);
  void UnpackRoom(const res::CRoom& room, const Slot& slot);
  Json GameJson();

  runner::GameData& game_;
  fs::path root_;
  std::array<KindSlots, kKindCount> kinds_;
  // Files written so far, folded, so that no two texts share a file.
  std::set<std::string> written_;
};

void Unpacker::AssignStems() {
  auto fill = [&](Kind kind, const auto& table) {
    KindSlots& slots = kinds_[size_t(kind)];
    slots.slots.resize(size_t(table.Count()));
    for (int i = 0; i < table.Count(); ++i)
      if (table.Exists(i)) {
        slots.slots[size_t(i)].exists = true;
        slots.slots[size_t(i)].name = table.Name(i);
      }
    // Names that can name files keep them; the first of equal names wins.
    std::set<std::string> used;
    for (Slot& slot : slots.slots) {
      if (!slot.exists) continue;
      std::string utf8 = Utf8FromGameText(slot.name);
      if (IsValidStem(utf8) && used.insert(FoldCase(utf8)).second) slot.stem = utf8;
    }
    for (size_t i = 0; i < slots.slots.size(); ++i) {
      Slot& slot = slots.slots[i];
      if (!slot.exists || !slot.stem.empty()) continue;
      std::string stem = std::string(kStemPrefixes[size_t(kind)]) + "_" + std::to_string(i);
      while (!used.insert(FoldCase(stem)).second) stem += "_";
      slot.stem = stem;
    }
    slots.Index();
  };
  const res::GameResources& r = game_.resources;
  fill(Kind::Sounds, r.sounds);
  fill(Kind::Sprites, r.sprites);
  fill(Kind::Backgrounds, r.backgrounds);
  fill(Kind::Paths, r.paths);
  fill(Kind::Scripts, r.scripts);
  fill(Kind::Fonts, r.fonts);
  fill(Kind::TimeLines, r.time_lines);
  fill(Kind::Objects, r.objects);
  fill(Kind::Rooms, r.rooms);
}

Json Unpacker::SlotList(Kind kind) const {
  Json list = Json::array();
  for (const Slot& slot : kinds_[size_t(kind)].slots) {
    if (!slot.exists) {
      list.push_back(nullptr);
      continue;
    }
    std::string utf8 = Utf8FromGameText(slot.name);
    if (utf8 == slot.stem)
      list.push_back(utf8);
    else
      list.push_back(Json{{"name", utf8}, {"file", slot.stem}});
  }
  return list;
}

Json Unpacker::Reference(Kind kind, int32_t index) const {
  if (index == -1) return nullptr;
  if (std::optional<std::string> name = kinds_[size_t(kind)].ReferenceName(index))
    return Utf8FromGameText(*name);
  return index;
}

void Unpacker::WriteBinary(const std::string& path, const std::vector<uint8_t>& bytes) {
  fs::path full = root_ / path;
  fs::create_directories(full.parent_path());
  WriteFileBytes(full, bytes);
  written_.insert(FoldCase(path));
}

void Unpacker::WriteJson(const std::string& path, const Json& json) {
  std::string text = DumpJson(json);
  WriteBinary(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void Unpacker::WritePng(const std::string& path, const platform::PngPixels& pixels,
                        platform::PngFormat format) {
  std::vector<uint8_t> file;
  std::string error;
  if (!platform::EncodePng(pixels, format, file, error))
    throw std::runtime_error(path + ": " + error);
  WriteBinary(path, file);
}

Json Unpacker::TextFile(const std::string& folder, const std::string& base,
                        const std::string& text) {
  std::optional<std::string> file_text = CodeFileFromGameCode(text);
  if (!file_text) return Utf8FromGameText(text);
  std::string name = base + ".code";
  auto taken = [&](const std::string& candidate) {
    return written_.count(FoldCase((fs::path(folder) / candidate).generic_string())) != 0;
  };
  for (int n = 2; taken(name); ++n) name = base + "_" + std::to_string(n) + ".code";
  WriteBinary((fs::path(folder) / name).generic_string(),
              std::vector<uint8_t>(file_text->begin(), file_text->end()));
  return Json{{"file", name}};
}

Json Unpacker::CodeText(const std::string& folder, const std::string& base,
                        const std::string& text, bool always_file) {
  if (!always_file && text.find_first_of("\r\n") == std::string::npos)
    return Utf8FromGameText(text);
  return TextFile(folder, base, text);
}

// Actions and events ----------------------------------------------------------------

Json Unpacker::ActionJson(const res::CAction& action, const std::string& folder,
                          const std::string& base) {
  Json json = Json::object();
  if (action.record_version != res::CAction::kRecordVersion) {
    json["version"] = action.record_version;
    return json;
  }
  res::CAction defaults = DefaultAction(action.kind);
  json["kind"] = EnumJson(action.kind, kActionKindNames);
  if (action.first_id != defaults.first_id) json["first_id"] = action.first_id;
  if (action.second_id != defaults.second_id) json["second_id"] = action.second_id;
  if (action.may_be_relative != defaults.may_be_relative)
    json["may_be_relative"] = action.may_be_relative;
  if (action.is_question != defaults.is_question) json["is_question"] = action.is_question;
  if (action.applies_to_settable != defaults.applies_to_settable)
    json["applies_to_settable"] = action.applies_to_settable;
  if (!action.function_name.empty()) json["function"] = Utf8FromGameText(action.function_name);
  if (action.execution_type != DefaultExecution(action.kind, action.function_name))
    json["execution"] = EnumJson(action.execution_type, kExecutionNames);
  if (!action.code.empty()) json["code"] = CodeText(folder, base + ".action_code", action.code, false);

  bool texts_differ = action.text_count != defaults.text_count;
  for (int i = 0; i < action.text_count && !texts_differ; ++i)
    texts_differ = action.argument_texts[size_t(i)] != defaults.argument_texts[size_t(i)];
  bool code_action = action.kind == res::kActionCode;
  if (texts_differ) {
    Json arguments = Json::array();
    for (int i = 0; i < action.text_count; ++i)
      arguments.push_back(CodeText(folder, i == 0 ? base : base + ".argument" + std::to_string(i),
                                   action.argument_texts[size_t(i)], code_action && i == 0));
    json["arguments"] = arguments;
  }
  int32_t listed = texts_differ ? action.text_count : defaults.text_count;
  int32_t default_count = texts_differ ? action.text_count : defaults.argument_count;
  if (action.argument_count != default_count) json["argument_count"] = action.argument_count;
  std::array<int32_t, res::CAction::kMaxArguments> default_kinds =
      DefaultArgumentKinds(defaults, listed);
  bool kinds_differ = action.kind_count != listed;
  for (int i = 0; i < action.kind_count && !kinds_differ; ++i)
    kinds_differ = action.argument_kinds[size_t(i)] != default_kinds[size_t(i)];
  if (kinds_differ) {
    Json kinds = Json::array();
    for (int i = 0; i < action.kind_count; ++i) kinds.push_back(action.argument_kinds[size_t(i)]);
    json["argument_kinds"] = kinds;
  }
  if (action.applies_to == -2) {
    json["applies_to"] = "other";
  } else if (action.applies_to != -1) {
    Json target = Reference(Kind::Objects, action.applies_to);
    if (target == "self" || target == "other") target = action.applies_to;
    json["applies_to"] = target;
  }
  if (action.relative) json["relative"] = true;
  if (action.not_flag) json["not"] = true;
  return json;
}

Json Unpacker::EventBody(const res::CEvent& event, const std::string& folder,
                         const std::string& base) {
  Json json = Json::object();
  if (event.record_version != res::CEvent::kRecordVersion) {
    json["version"] = event.record_version;
    return json;
  }
  if (event.actions.size() == 1) {
    const res::CAction& only = event.actions[0];
    if (ActionBytes(only) == ActionBytes(res::CAction::MakeCodeAction(only.argument_texts[0]))) {
      json["code"] = TextFile(folder, base, only.argument_texts[0]);
      return json;
    }
  }
  if (event.actions.empty()) return json;
  Json actions = Json::array();
  for (size_t i = 0; i < event.actions.size(); ++i)
    actions.push_back(ActionJson(event.actions[i], folder,
                                 event.actions.size() == 1 ? base : base + "." + std::to_string(i)));
  json["actions"] = actions;
  return json;
}

// Resources -----------------------------------------------------------------------------

void Unpacker::UnpackSound(const res::CSound& sound, const Slot& slot) {
  Json json = Json::object();
  json["kind"] = EnumJson(sound.kind, kSoundKindNames);
  json["file_type"] = Utf8FromGameText(sound.file_type);
  json["file_name"] = Utf8FromGameText(sound.file_name);
  if (sound.data) {
    std::string extension = Utf8FromGameText(sound.file_type);
    std::string name = slot.stem + (IsPlainExtension(extension) ? extension : ".bin");
    WriteBinary("sounds/" + name, *sound.data);
    json["data"] = name;
  } else {
    json["data"] = nullptr;
  }
  json["effects"] = sound.effects;
  json["volume"] = RealJson(sound.volume);
  json["pan"] = RealJson(sound.pan);
  json["preload"] = sound.preload;
  WriteJson("sounds/" + slot.stem + ".json", json);
}

void Unpacker::UnpackSprite(const res::CSprite& sprite, const Slot& slot) {
  std::string folder = "sprites/" + slot.stem + "/";
  Json json = Json::object();
  json["width"] = sprite.width;
  json["height"] = sprite.height;
  json["x_origin"] = sprite.x_origin;
  json["y_origin"] = sprite.y_origin;
  json["transparent"] = sprite.transparent;
  json["smooth"] = sprite.smooth;
  json["preload"] = sprite.preload;
  json["precise"] = sprite.precise;
  json["bbox_mode"] = EnumJson(sprite.bbox_mode, kBoundingBoxModeNames);
  std::array<int32_t, 4> box = {sprite.bbox_left, sprite.bbox_top, sprite.bbox_right,
                                sprite.bbox_bottom};
  if (box != DefaultBoundingBox(sprite)) json["bbox"] = box;
  Json frames = Json::array();
  for (size_t i = 0; i < sprite.frames.size(); ++i) {
    if (sprite.frames[i].Empty()) {
      frames.push_back(nullptr);
      continue;
    }
    std::string name = std::to_string(i) + ".png";
    WritePng(folder + name, RgbaFromBitmap(sprite.frames[i]), platform::PngFormat::Rgba);
    frames.push_back(name);
  }
  json["frames"] = frames;
  WriteJson(folder + "sprite.json", json);
}

void Unpacker::UnpackBackground(const res::CBackground& background, const Slot& slot) {
  Json json = Json::object();
  json["width"] = background.width;
  json["height"] = background.height;
  json["transparent"] = background.transparent;
  json["smooth"] = background.smooth;
  json["preload"] = background.preload;
  if (background.image && !background.image->Empty()) {
    std::string name = slot.stem + ".png";
    WritePng("backgrounds/" + name, RgbaFromBitmap(*background.image), platform::PngFormat::Rgba);
    json["image"] = name;
  } else {
    json["image"] = nullptr;
    // Stored with an image that holds no pixels.
    if (background.image) json["has_image"] = true;
  }
  WriteJson("backgrounds/" + slot.stem + ".json", json);
}

void Unpacker::UnpackPath(const res::CPath& path, const Slot& slot) {
  Json json = Json::object();
  json["kind"] = EnumJson(path.kind, kPathKindNames);
  json["closed"] = path.closed;
  json["precision"] = path.precision;
  Json points = Json::array();
  for (const res::RPathPoint& point : path.points)
    points.push_back(Json::array({RealJson(point.x), RealJson(point.y), RealJson(point.speed)}));
  json["points"] = points;
  WriteJson("paths/" + slot.stem + ".json", json);
}

void Unpacker::UnpackScript(const res::CScript& script, const Slot& slot) {
  std::optional<std::string> file_text = CodeFileFromGameCode(script.source);
  if (!file_text) {
    WriteJson("scripts/" + slot.stem + ".json", Json{{"source", Utf8FromGameText(script.source)}});
    return;
  }
  WriteBinary("scripts/" + slot.stem + ".code",
              std::vector<uint8_t>(file_text->begin(), file_text->end()));
}

void Unpacker::UnpackFont(const res::CFont& font, const Slot& slot) {
  Json json = Json::object();
  json["name"] = Utf8FromGameText(font.font_name);
  json["size"] = font.size;
  json["bold"] = font.bold;
  json["italic"] = font.italic;
  json["first"] = font.first;
  json["last"] = font.last;
  Json glyphs = Json::object();
  for (size_t c = 0; c < size_t(res::CFont::kCodes); ++c) {
    std::array<int32_t, 6> row = {font.glyph_x[c],      font.glyph_y[c], font.cell_width[c],
                                  font.cell_height[c], font.advance[c], font.offset[c]};
    if (row != std::array<int32_t, 6>{}) glyphs[std::to_string(c)] = row;
  }
  json["glyphs"] = glyphs;
  if (font.bitmap_width > 0 && font.bitmap_height > 0) {
    std::string name = slot.stem + ".png";
    platform::PngPixels pixels;
    pixels.width = font.bitmap_width;
    pixels.height = font.bitmap_height;
    pixels.bytes = font.glyph_bitmap;
    WritePng("fonts/" + name, pixels, platform::PngFormat::Gray);
    json["bitmap"] = name;
  } else {
    json["bitmap"] = nullptr;
    json["bitmap_width"] = font.bitmap_width;
    json["bitmap_height"] = font.bitmap_height;
  }
  WriteJson("fonts/" + slot.stem + ".json", json);
}

void Unpacker::UnpackTimeLine(const res::CTimeLine& time_line, const Slot& slot) {
  Json moments = Json::array();
  for (const res::RMoment& moment : time_line.moments) {
    Json json = Json{{"step", moment.step}};
    Json body = EventBody(moment.event, "timelines",
                          slot.stem + ".step_" + std::to_string(moment.step));
    json.update(body);
    moments.push_back(json);
  }
  WriteJson("timelines/" + slot.stem + ".json", Json{{"moments", moments}});
}

void Unpacker::UnpackObject(const res::CObject& object, const Slot& slot) {
  Json json = Json::object();
  if (object.record_version == res::CObject::kRecordVersionOld) json["version"] = object.record_version;
  json["sprite"] = Reference(Kind::Sprites, object.sprite);
  json["solid"] = object.solid;
  json["visible"] = object.visible;
  json["depth"] = object.depth;
  json["persistent"] = object.persistent;
  json["parent"] = Reference(Kind::Objects, object.parent);
  json["mask"] = Reference(Kind::Sprites, object.mask);
  Json events = Json::array();
  for (int type = 0; type < res::kEventTypeCount; ++type)
    for (const auto& [number, event] : object.events[size_t(type)]) {
      Json entry = Json{{"type", EnumJson(type, kEventTypeNames)}};
      if (type == res::kEventCollision) {
        Json other = Reference(Kind::Objects, number);
        entry["number"] = other.is_null() ? Json(number) : other;
      } else if (number != 0) {
        entry["number"] = number;
      }
      std::string base = slot.stem + "." + kEventTypeNames[size_t(type)] + "_" + std::to_string(number);
      entry.update(EventBody(event, "objects", base));
      events.push_back(entry);
    }
  json["events"] = events;
  WriteJson("objects/" + slot.stem + ".json", json);
}

void Unpacker::UnpackRoom(const res::CRoom& room, const Slot& slot) {
  Json json = Json::object();
  json["caption"] = Utf8FromGameText(room.caption);
  json["width"] = room.width;
  json["height"] = room.height;
  json["speed"] = room.speed;
  json["persistent"] = room.persistent;
  json["background_color"] = ColorJson(room.background_color);
  json["draw_background_color"] = room.draw_background_color;
  if (!room.creation_code.empty())
    json["creation_code"] = TextFile("rooms", slot.stem + ".creation", room.creation_code);

  // Layers and views: only what differs from a new room's, trailing
  // defaults left out.
  Json layers = Json::array();
  const res::CBack fresh_layer;
  for (const res::CBack& layer : room.backgrounds) {
    Json entry = Json::object();
    if (layer.visible != fresh_layer.visible) entry["visible"] = layer.visible;
    if (layer.foreground != fresh_layer.foreground) entry["foreground"] = layer.foreground;
    if (layer.background != -1) entry["background"] = Reference(Kind::Backgrounds, layer.background);
    if (res::StoredInteger(layer.x) != 0) entry["x"] = res::StoredInteger(layer.x);
    if (res::StoredInteger(layer.y) != 0) entry["y"] = res::StoredInteger(layer.y);
    if (layer.tile_horizontally != fresh_layer.tile_horizontally)
      entry["tile_horizontally"] = layer.tile_horizontally;
    if (layer.tile_vertically != fresh_layer.tile_vertically)
      entry["tile_vertically"] = layer.tile_vertically;
    if (res::StoredInteger(layer.horizontal_speed) != 0)
      entry["horizontal_speed"] = res::StoredInteger(layer.horizontal_speed);
    if (res::StoredInteger(layer.vertical_speed) != 0)
      entry["vertical_speed"] = res::StoredInteger(layer.vertical_speed);
    if (layer.stretch != fresh_layer.stretch) entry["stretch"] = layer.stretch;
    layers.push_back(entry);
  }
  while (!layers.empty() && layers.back().empty()) layers.erase(layers.size() - 1);
  if (!layers.empty()) json["backgrounds"] = layers;

  json["views_enabled"] = room.views_enabled;
  Json views = Json::array();
  const res::CView fresh_view;
  for (const res::CView& view : room.views) {
    Json entry = Json::object();
    if (view.visible != fresh_view.visible) entry["visible"] = view.visible;
    auto field = [&](const char* name, int32_t value, int32_t fresh) {
      if (value != fresh) entry[name] = value;
    };
    field("view_x", view.view_x, fresh_view.view_x);
    field("view_y", view.view_y, fresh_view.view_y);
    field("view_width", view.view_width, fresh_view.view_width);
    field("view_height", view.view_height, fresh_view.view_height);
    field("port_x", view.port_x, fresh_view.port_x);
    field("port_y", view.port_y, fresh_view.port_y);
    field("port_width", view.port_width, fresh_view.port_width);
    field("port_height", view.port_height, fresh_view.port_height);
    field("horizontal_border", view.horizontal_border, fresh_view.horizontal_border);
    field("vertical_border", view.vertical_border, fresh_view.vertical_border);
    field("horizontal_speed", view.horizontal_speed, fresh_view.horizontal_speed);
    field("vertical_speed", view.vertical_speed, fresh_view.vertical_speed);
    if (view.followed_object != -1)
      entry["followed_object"] = Reference(Kind::Objects, view.followed_object);
    views.push_back(entry);
  }
  while (!views.empty() && views.back().empty()) views.erase(views.size() - 1);
  if (!views.empty()) json["views"] = views;

  Json instances = Json::array();
  for (const res::RPlacedInstance& instance : room.instances) {
    Json entry = Json{{"x", instance.x},
                      {"y", instance.y},
                      {"object", Reference(Kind::Objects, instance.object)},
                      {"id", instance.id}};
    if (!instance.creation_code.empty())
      entry["creation_code"] = CodeText("rooms", slot.stem + ".instance_" + std::to_string(instance.id),
                                        instance.creation_code, false);
    instances.push_back(entry);
  }
  json["instances"] = instances;
  Json tiles = Json::array();
  for (const res::RTile& tile : room.tiles)
    tiles.push_back(Json{{"x", res::StoredInteger(tile.x)},
                         {"y", res::StoredInteger(tile.y)},
                         {"background", Reference(Kind::Backgrounds, tile.background)},
                         {"left", tile.left},
                         {"top", tile.top},
                         {"width", tile.width},
                         {"height", tile.height},
                         {"depth", res::StoredInteger(tile.depth)},
                         {"id", tile.id}});
  json["tiles"] = tiles;
  WriteJson("rooms/" + slot.stem + ".json", json);
}

// game.json ---------------------------------------------------------------------------

Json Unpacker::GameJson() {
  const runner::GameIdentity& identity = game_.identity;
  const runner::GameSettings& settings = game_.settings;
  const res::GameResources& r = game_.resources;
  Json json = Json::object();
  json["game_id"] = identity.GameId;
  std::string guid;
  for (size_t i = 0; i < identity.GameGuid.size(); ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", identity.GameGuid[i]);
    if (i == 4 || i == 6 || i == 8 || i == 10) guid += '-';
    guid += digits;
  }
  json["guid"] = guid;
  json["debug_mode"] = identity.DebugMode;
  json["scramble_seed"] = game_.seed;

  Json settings_json = Json::object();
  for (const BoolSetting& row : BoolSettings()) settings_json[row.name] = settings.*row.field;
  for (const IntSetting& row : IntSettings())
    settings_json[row.name] = row.color ? ColorJson(settings.*row.field) : Json(settings.*row.field);
  for (const ImageSetting& row : ImageSettings()) {
    const std::vector<uint8_t>& bytes = settings.*row.field;
    if (bytes.empty()) continue;
    std::string name = std::string(row.name) + ".bmp";
    WriteBinary(name, bytes);
    settings_json[row.name] = name;
  }
  json["settings"] = settings_json;

  if (!settings.Constants.empty()) {
    std::set<std::string> names;
    bool unique = true;
    for (const runner::GameConstant& constant : settings.Constants)
      unique = names.insert(constant.name).second && unique;
    Json constants = unique ? Json::object() : Json::array();
    for (const runner::GameConstant& constant : settings.Constants) {
      std::string name = Utf8FromGameText(constant.name);
      std::string value = Utf8FromGameText(constant.value);
      if (unique)
        constants[name] = value;
      else
        constants.push_back(Json::array({name, value}));
    }
    json["constants"] = constants;
  }

  const res::GameInformation& info = r.information;
  json["information"] = Json{{"background_color", ColorJson(info.background_color)},
                             {"in_game_window", info.in_game_window},
                             {"caption", Utf8FromGameText(info.caption)},
                             {"left", info.left},
                             {"top", info.top},
                             {"width", info.width},
                             {"height", info.height},
                             {"border", info.border},
                             {"sizeable", info.sizeable},
                             {"stay_on_top", info.stay_on_top},
                             {"modal", info.modal}};
  if (!info.text.empty()) WriteBinary("info.rtf", info.text);

  if (!r.library_code.empty()) {
    Json library = Json::array();
    for (size_t i = 0; i < r.library_code.size(); ++i) {
      Json text = TextFile("library", std::to_string(i), r.library_code[i]);
      if (text.is_object()) text = Json{{"file", "library/" + text["file"].get<std::string>()}};
      library.push_back(text);
    }
    json["library_code"] = library;
  }
  Json order = Json::array();
  for (int32_t room : r.room_order.rooms) order.push_back(Reference(Kind::Rooms, room));
  json["room_order"] = order;
  json["last_instance_id"] = r.last_instance_id;
  json["last_tile_id"] = r.last_tile_id;
  for (const KindInfo& info_row : kKinds) json[info_row.key] = SlotList(info_row.kind);
  return json;
}

void Unpacker::Unpack() {
  AssignStems();
  const res::GameResources& r = game_.resources;
  auto each = [&](Kind kind, const auto& table, auto unpack) {
    for (int i = 0; i < table.Count(); ++i)
      if (const auto* resource = table.Get(i)) (this->*unpack)(*resource, kinds_[size_t(kind)].slots[size_t(i)]);
  };
  each(Kind::Sounds, r.sounds, &Unpacker::UnpackSound);
  each(Kind::Sprites, r.sprites, &Unpacker::UnpackSprite);
  each(Kind::Backgrounds, r.backgrounds, &Unpacker::UnpackBackground);
  each(Kind::Paths, r.paths, &Unpacker::UnpackPath);
  each(Kind::Scripts, r.scripts, &Unpacker::UnpackScript);
  each(Kind::Fonts, r.fonts, &Unpacker::UnpackFont);
  each(Kind::TimeLines, r.time_lines, &Unpacker::UnpackTimeLine);
  each(Kind::Objects, r.objects, &Unpacker::UnpackObject);
  each(Kind::Rooms, r.rooms, &Unpacker::UnpackRoom);
  WriteJson("game.json", GameJson());
}

}  // namespace

void UnpackGameData(const std::vector<uint8_t>& game_data, const fs::path& project) {
  runner::GameData game;
  runner::CStream stream(game_data);
  runner::LoadResult result = runner::ReadGameData(stream, game);
  if (!result.Loaded()) throw runner::StreamError(result.message);
  fs::create_directories(project);
  Unpacker(game, project).Unpack();
}

}  // namespace vendrel::vpack
