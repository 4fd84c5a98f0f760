#include "runtime/saved_game.h"

#include <new>
#include <utility>

#include "code/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "resources/game_resources.h"
#include "runner/game_data.h"
#include "runner/stream.h"
#include "runtime/game_state.h"
#include "runtime/hooks.h"

namespace vendrel::runtime {

namespace {

using runner::CStream;
using runner::StreamError;

// Version of the stream form of a variable list.
constexpr int32_t kVariableListVersion = 440;
// Every room record holds exactly this many layers and views.
constexpr int32_t kLayerCount = resources::CRoom::kLayerCount;
constexpr int32_t kViewCount = resources::CRoom::kViewCount;

// The fewest bytes each record can take, for rejecting counts that the
// rest of the file cannot hold before reading a single record.
constexpr size_t kSlotBytes = 4;
constexpr size_t kTileBytes = 6 * 8 + 8 * 4;
constexpr size_t kInstanceBytes = 29 * 8 + 33 * 4;

// Reports a damaged file; parsing catches it with the stream's own errors.
[[noreturn]] void Damaged(const char* what) { throw StreamError(what); }

// A count that must be 0 or more and whose records, each at least
// [record_bytes] long, fit in what remains of [stream].
int32_t ReadCount(CStream& stream, size_t record_bytes) {
  const int32_t count = stream.ReadInteger();
  if (count < 0 || size_t(count) > stream.Remaining() / record_bytes)
    Damaged("impossible record count");
  return count;
}

// Variable lists ---------------------------------------------------------------

void WriteVariableList(const interp::CVariableList& list, CStream& stream) {
  interp::WriteVariables(list, stream);
}

// Reads a variable list record; another version would leave the rest of
// the record unread and the stream out of step, so it is damage here.
void ReadVariableList(CStream& stream, interp::CVariableList& list) {
  const size_t start = stream.Position();
  if (stream.ReadInteger() != kVariableListVersion) Damaged("variable list of another version");
  stream.Seek(start);
  interp::ReadVariables(list, stream);
  for (const interp::RVariable& variable : list.variables()) {
    if (variable.array.size() > size_t(interp::kArrayLimit)) Damaged("array with too many rows");
    for (const auto& row : variable.array)
      if (row.size() > size_t(interp::kArrayLimit)) Damaged("array row too long");
  }
}

// Instances --------------------------------------------------------------------

void WriteInstance(const CInstance& instance, CStream& stream) {
  stream.WriteInteger(instance.id);
  stream.WriteInteger(instance.sprite_index);
  for (double value : {instance.image_index, instance.image_speed, instance.image_xscale,
                       instance.image_yscale, instance.image_angle, instance.image_alpha})
    stream.WriteReal(value);
  stream.WriteInteger(instance.image_blend);
  stream.WriteInteger(instance.mask_index);
  stream.WriteReal(instance.depth);
  stream.WriteBoolean(instance.precise);
  for (double value : {instance.x, instance.y, instance.xstart, instance.ystart,
                       instance.xprevious, instance.yprevious, instance.direction, instance.speed,
                       instance.friction, instance.gravity_direction, instance.gravity,
                       instance.hspeed, instance.vspeed})
    stream.WriteReal(value);
  // Left, right, top, bottom: not the order of the fields.
  for (int value :
       {instance.bbox_left, instance.bbox_right, instance.bbox_top, instance.bbox_bottom})
    stream.WriteInteger(value);
  stream.WriteBoolean(instance.visible);
  stream.WriteBoolean(instance.solid);
  stream.WriteBoolean(instance.persistent);
  stream.WriteInteger(instance.object_index);
  for (int alarm : instance.alarm) stream.WriteInteger(alarm);
  stream.WriteBoolean(instance.destroyed);
  stream.WriteBoolean(instance.deactivated);
  stream.WriteInteger(instance.path_index);
  for (double value : {instance.path_position, instance.path_positionprevious,
                       instance.path_speed, instance.path_scale, instance.path_orientation})
    stream.WriteReal(value);
  stream.WriteInteger(instance.path_endaction);
  stream.WriteReal(instance.path_xorigin);
  stream.WriteReal(instance.path_yorigin);
  stream.WriteInteger(instance.timeline_index);
  stream.WriteReal(instance.timeline_position);
  stream.WriteReal(instance.timeline_speed);
  stream.WriteString(instance.creation_code);
  WriteVariableList(instance.variables, stream);
}

// Every field of an instance comes from its record, so a default instance
// ends up as one constructed for its object would; the bounding box is
// taken as stored.
std::unique_ptr<CInstance> ReadInstance(CStream& stream, bool active) {
  auto instance = std::make_unique<CInstance>();
  CInstance& i = *instance;
  i.id = stream.ReadInteger();
  i.sprite_index = stream.ReadInteger();
  for (double* field : {&i.image_index, &i.image_speed, &i.image_xscale, &i.image_yscale,
                        &i.image_angle, &i.image_alpha})
    *field = stream.ReadReal();
  i.image_blend = stream.ReadInteger();
  i.mask_index = stream.ReadInteger();
  i.depth = stream.ReadReal();
  i.precise = stream.ReadBoolean();
  for (double* field : {&i.x, &i.y, &i.xstart, &i.ystart, &i.xprevious, &i.yprevious,
                        &i.direction, &i.speed, &i.friction, &i.gravity_direction, &i.gravity,
                        &i.hspeed, &i.vspeed})
    *field = stream.ReadReal();
  for (int* field : {&i.bbox_left, &i.bbox_right, &i.bbox_top, &i.bbox_bottom})
    *field = stream.ReadInteger();
  i.visible = stream.ReadBoolean();
  i.solid = stream.ReadBoolean();
  i.persistent = stream.ReadBoolean();
  i.object_index = stream.ReadInteger();
  for (int& alarm : i.alarm) alarm = stream.ReadInteger();
  i.destroyed = stream.ReadBoolean();
  i.deactivated = stream.ReadBoolean();
  i.path_index = stream.ReadInteger();
  for (double* field : {&i.path_position, &i.path_positionprevious, &i.path_speed,
                        &i.path_scale, &i.path_orientation})
    *field = stream.ReadReal();
  i.path_endaction = stream.ReadInteger();
  i.path_xorigin = stream.ReadReal();
  i.path_yorigin = stream.ReadReal();
  i.timeline_index = stream.ReadInteger();
  i.timeline_position = stream.ReadReal();
  i.timeline_speed = stream.ReadReal();
  i.creation_code = stream.ReadString();
  ReadVariableList(stream, i.variables);
  i.active = active;
  return instance;
}

// Rooms ------------------------------------------------------------------------

void WriteRoom(const CRunRoom& room, CStream& stream) {
  const resources::CRoom& data = room.data;
  stream.WriteInteger(kSavedGameVersion);
  stream.WriteString(data.caption);
  stream.WriteInteger(data.width);
  stream.WriteInteger(data.height);
  stream.WriteInteger(data.speed);
  stream.WriteBoolean(data.persistent);
  stream.WriteInteger(data.background_color);
  stream.WriteBoolean(data.draw_background_color);
  stream.WriteString(data.creation_code);
  stream.WriteInteger(kLayerCount);
  for (const resources::CBack& layer : data.backgrounds) {
    stream.WriteBoolean(layer.visible);
    stream.WriteBoolean(layer.foreground);
    stream.WriteInteger(layer.background);
    stream.WriteReal(layer.x);
    stream.WriteReal(layer.y);
    stream.WriteBoolean(layer.tile_horizontally);
    stream.WriteBoolean(layer.tile_vertically);
    stream.WriteReal(layer.x_scale);
    stream.WriteReal(layer.y_scale);
    stream.WriteReal(layer.horizontal_speed);
    stream.WriteReal(layer.vertical_speed);
    stream.WriteInteger(layer.blend_color);
    stream.WriteReal(layer.alpha);
  }
  stream.WriteBoolean(data.views_enabled);
  stream.WriteInteger(kViewCount);
  for (const resources::CView& view : data.views) {
    stream.WriteBoolean(view.visible);
    for (int32_t value : {view.view_x, view.view_y, view.view_width, view.view_height,
                          view.port_x, view.port_y, view.port_width, view.port_height})
      stream.WriteInteger(value);
    stream.WriteReal(view.angle);
    for (int32_t value : {view.horizontal_border, view.vertical_border, view.horizontal_speed,
                          view.vertical_speed, view.followed_object})
      stream.WriteInteger(value);
  }
  stream.WriteInteger(room.ActiveCount());
  for (const auto& instance : room.active) WriteInstance(*instance, stream);
  stream.WriteInteger(room.InactiveCount());
  for (const auto& instance : room.inactive) WriteInstance(*instance, stream);
  stream.WriteInteger(int32_t(data.tiles.size()));
  for (const resources::RTile& tile : data.tiles) {
    stream.WriteReal(tile.x);
    stream.WriteReal(tile.y);
    for (int32_t value : {tile.background, tile.left, tile.top, tile.width, tile.height})
      stream.WriteInteger(value);
    stream.WriteReal(tile.depth);
    stream.WriteInteger(tile.id);
    stream.WriteReal(tile.x_scale);
    stream.WriteReal(tile.y_scale);
    stream.WriteInteger(tile.blend_color);
    stream.WriteReal(tile.alpha);
    stream.WriteBoolean(tile.visible);
  }
}

std::unique_ptr<CRunRoom> ReadRoom(CStream& stream, int room_index) {
  if (stream.ReadInteger() != kSavedGameVersion) Damaged("room record of another version");
  auto room = std::make_unique<CRunRoom>();
  room->index = room_index;
  resources::CRoom& data = room->data;
  data.caption = stream.ReadString();
  data.width = stream.ReadInteger();
  data.height = stream.ReadInteger();
  data.speed = stream.ReadInteger();
  data.persistent = stream.ReadBoolean();
  data.background_color = stream.ReadInteger();
  data.draw_background_color = stream.ReadBoolean();
  data.creation_code = stream.ReadString();
  if (stream.ReadInteger() != kLayerCount) Damaged("room without eight layers");
  for (resources::CBack& layer : data.backgrounds) {
    layer.visible = stream.ReadBoolean();
    layer.foreground = stream.ReadBoolean();
    layer.background = stream.ReadInteger();
    layer.x = stream.ReadReal();
    layer.y = stream.ReadReal();
    layer.tile_horizontally = stream.ReadBoolean();
    layer.tile_vertically = stream.ReadBoolean();
    layer.x_scale = stream.ReadReal();
    layer.y_scale = stream.ReadReal();
    layer.horizontal_speed = stream.ReadReal();
    layer.vertical_speed = stream.ReadReal();
    layer.blend_color = stream.ReadInteger();
    layer.alpha = stream.ReadReal();
  }
  data.views_enabled = stream.ReadBoolean();
  if (stream.ReadInteger() != kViewCount) Damaged("room without eight views");
  for (resources::CView& view : data.views) {
    view.visible = stream.ReadBoolean();
    for (int32_t* field : {&view.view_x, &view.view_y, &view.view_width, &view.view_height,
                           &view.port_x, &view.port_y, &view.port_width, &view.port_height})
      *field = stream.ReadInteger();
    view.angle = stream.ReadReal();
    for (int32_t* field : {&view.horizontal_border, &view.vertical_border,
                           &view.horizontal_speed, &view.vertical_speed, &view.followed_object})
      *field = stream.ReadInteger();
  }
  const int32_t active_count = ReadCount(stream, kInstanceBytes);
  for (int32_t i = 0; i < active_count; ++i) room->active.push_back(ReadInstance(stream, true));
  const int32_t inactive_count = ReadCount(stream, kInstanceBytes);
  for (int32_t i = 0; i < inactive_count; ++i)
    room->inactive.push_back(ReadInstance(stream, false));
  const int32_t tile_count = ReadCount(stream, kTileBytes);
  data.tiles.resize(size_t(tile_count));
  for (resources::RTile& tile : data.tiles) {
    tile.x = stream.ReadReal();
    tile.y = stream.ReadReal();
    for (int32_t* field : {&tile.background, &tile.left, &tile.top, &tile.width, &tile.height})
      *field = stream.ReadInteger();
    tile.depth = stream.ReadReal();
    tile.id = stream.ReadInteger();
    tile.x_scale = stream.ReadReal();
    tile.y_scale = stream.ReadReal();
    tile.blend_color = stream.ReadInteger();
    tile.alpha = stream.ReadReal();
    tile.visible = stream.ReadBoolean();
  }
  room->RebuildLists();
  return room;
}

void Error(const std::string& message) { code::ShowRunError(message, false); }

}  // namespace

// Whole file ---------------------------------------------------------------------

void WriteSavedGame(CStream& stream) {
  const GameState& game = Game();
  const resources::GameResources& resources = resources::Resources();
  stream.WriteInteger(kSavedGameVersion);
  stream.WriteInteger(runner::Identity().GameId);
  stream.WriteInteger(game.room);
  stream.WriteInteger(game.transition_kind);
  stream.WriteInteger(game.score);
  stream.WriteInteger(game.lives);
  stream.WriteReal(game.health);
  stream.WriteInteger(game.cursor_sprite);
  stream.WriteInteger(game.step_counter);
  stream.WriteBoolean(game.automatic_draw);
  WriteVariableList(interp::GlobalVariables(), stream);
  stream.WriteInteger(int32_t(game.runtime_rooms.size()));
  for (const auto& room : game.runtime_rooms) {
    stream.WriteBoolean(room != nullptr);
    if (room != nullptr) WriteRoom(*room, stream);
  }
  stream.WriteInteger(resources.last_instance_id);
  stream.WriteInteger(resources.last_tile_id);
}

SavedGameStatus ParseSavedGame(CStream& stream, int32_t game_id, SavedGame& saved) {
  try {
    if (stream.ReadInteger() != kSavedGameVersion) return SavedGameStatus::kOtherVersion;
    if (stream.ReadInteger() != game_id) return SavedGameStatus::kOtherGame;
    saved.room = stream.ReadInteger();
    saved.transition_kind = stream.ReadInteger();
    saved.score = stream.ReadInteger();
    saved.lives = stream.ReadInteger();
    saved.health = stream.ReadReal();
    saved.cursor_sprite = stream.ReadInteger();
    saved.step_counter = stream.ReadInteger();
    saved.automatic_draw = stream.ReadBoolean();
    ReadVariableList(stream, saved.globals);
    const int32_t slot_count = ReadCount(stream, kSlotBytes);
    saved.rooms.clear();
    saved.rooms.resize(size_t(slot_count));
    for (int32_t slot = 0; slot < slot_count; ++slot)
      if (stream.ReadBoolean()) saved.rooms[size_t(slot)] = ReadRoom(stream, slot);
    saved.last_instance_id = stream.ReadInteger();
    saved.last_tile_id = stream.ReadInteger();
  } catch (const StreamError&) {
    return SavedGameStatus::kDamaged;
  } catch (const std::bad_alloc&) {
    return SavedGameStatus::kDamaged;
  }
  // The game needs a current room to go on in.
  if (saved.room < 0 || saved.room >= int32_t(saved.rooms.size()) ||
      saved.rooms[size_t(saved.room)] == nullptr)
    return SavedGameStatus::kDamaged;
  return SavedGameStatus::kOk;
}

void ApplySavedGame(SavedGame& saved) {
  GameState& game = Game();
  game.room = saved.room;
  game.transition_kind = saved.transition_kind;
  game.score = saved.score;
  game.lives = saved.lives;
  game.health = saved.health;
  game.cursor_sprite = saved.cursor_sprite;
  game.step_counter = saved.step_counter;
  game.automatic_draw = saved.automatic_draw;
  interp::GlobalVariables() = std::move(saved.globals);
  saved.globals.Clear();
  // The old room states and their instances go; nothing carried between
  // rooms belongs to the loaded game.
  game.runtime_rooms = std::move(saved.rooms);
  saved.rooms.clear();
  game.carried.clear();
  resources::Resources().last_instance_id = saved.last_instance_id;
  resources::Resources().last_tile_id = saved.last_tile_id;
  if (Hooks().adapt_window_to_room != nullptr) Hooks().adapt_window_to_room();
}

bool SaveGame(const std::string& file) {
  if (Game().secure_mode && file.find_first_of("\\/") != std::string::npos) {
    Error("In secure mode you cannot save game to file " + file);
    return false;
  }
  // A game without a current room (before the first room starts) would
  // make a file that can never be loaded; the earlier save is kept.
  if (CurrentRoom() == nullptr) {
    Error("Failed to save game to file " + file);
    return false;
  }
  CStream stream;
  WriteSavedGame(stream);
  const std::vector<uint8_t>& bytes = stream.Bytes();
  if (!platform::WriteFileAtomically(platform::ResolveGamePath(file), bytes.data(),
                                     bytes.size())) {
    Error("Failed to save game to file " + file);
    return false;
  }
  return true;
}

bool LoadGame(const std::string& file) {
  const std::string path = platform::ResolveGamePath(file);
  if (!platform::FileExists(path)) return false;
  CStream stream;
  try {
    stream.LoadFromFile(path);
  } catch (const StreamError&) {
    Error("Failed to load game from file " + file);
    return false;
  }
  SavedGame saved;
  switch (ParseSavedGame(stream, runner::Identity().GameId, saved)) {
    case SavedGameStatus::kOk:
      ApplySavedGame(saved);
      return true;
    case SavedGameStatus::kOtherVersion:
      Error("Cannot load game saved with other version.");
      return false;
    case SavedGameStatus::kOtherGame:
      Error("This is a save file for a different game!");
      return false;
    case SavedGameStatus::kDamaged:
      break;
  }
  Error("Failed to load game from file " + file + ": the file is damaged.");
  return false;
}

void InstallSavedGameHooks() {
  Hooks().save_game = SaveGame;
  Hooks().load_game = LoadGame;
}

}  // namespace vendrel::runtime
