#include "runner/game_data.h"

#include <memory>
#include <utility>

#include "code/function_registry.h"
#include "resources/record_io.h"

namespace vendrel::runner {

namespace res = vendrel::resources;

namespace {

// Section versions.
constexpr int32_t kSoundTableVersion = 400;
constexpr int32_t kSpriteTableVersion = 400;
constexpr int32_t kBackgroundTableVersion = 400;
constexpr int32_t kPathTableVersion = 420;
constexpr int32_t kScriptTableVersion = 400;
constexpr int32_t kFontTableVersion = 540;
constexpr int32_t kTimeLineTableVersion = 500;
constexpr int32_t kObjectTableVersion = 400;
constexpr int32_t kRoomTableVersion = 420;
constexpr int32_t kLibraryCodeVersion = 500;

// Filler words the writer puts around the seed.
constexpr int32_t kWrittenFillerBefore = 3;
constexpr int32_t kWrittenFillerAfter = 2;

// Reads a resource table: the version, the slot count, then per slot an
// exists flag and, for an existing slot, its name and record. A record that
// fails ends the table at once (the slots after it stay empty).
template <class T, class ReadRecord>
bool ReadTable(CStream& stream, res::ResourceTable<T>& table, int32_t version,
               ReadRecord read_record) {
  table.Reset();
  if (stream.ReadInteger() != version) return false;
  // Every slot takes at least its exists flag.
  int32_t count = res::ReadCount(stream, 4);
  table.Reset(count);
  for (int32_t i = 0; i < count; ++i) {
    if (!stream.ReadBoolean()) continue;
    std::string name = stream.ReadString();
    table.Set(i, std::make_unique<T>(), std::move(name));
    if (!read_record(*table.Get(i))) return false;
  }
  return true;
}

template <class T>
bool ReadTable(CStream& stream, res::ResourceTable<T>& table, int32_t version) {
  return ReadTable(stream, table, version, [&](T& record) { return record.Read(stream); });
}

template <class T>
void WriteTable(CStream& stream, const res::ResourceTable<T>& table, int32_t version) {
  stream.WriteInteger(version);
  stream.WriteInteger(table.Count());
  for (int i = 0; i < table.Count(); ++i) {
    const T* record = table.Get(i);
    stream.WriteBoolean(record != nullptr);
    if (record == nullptr) continue;
    stream.WriteString(table.Name(i));
    record->Write(stream);
  }
}

bool ReadLibraryCode(CStream& stream, std::vector<std::string>& texts) {
  texts.clear();
  if (stream.ReadInteger() != kLibraryCodeVersion) return false;
  int32_t count = res::ReadCount(stream, 4);
  texts.resize(size_t(count));
  for (std::string& text : texts) text = stream.ReadString();
  return true;
}

void WriteLibraryCode(CStream& stream, const std::vector<std::string>& texts) {
  stream.WriteInteger(kLibraryCodeVersion);
  stream.WriteInteger(int32_t(texts.size()));
  for (const std::string& text : texts) stream.WriteString(text);
}

// Looks the function of every action of [event] up by name; an action that
// calls a function that does not exist gives a warning.
void ResolveFunctions(res::CEvent& event, const FunctionLookup& find, LoadResult& result) {
  for (res::CAction& action : event.actions) {
    action.function = find(action.function_name);
    if (action.execution_type == res::kExecuteFunction && action.function < 0)
      result.warnings.push_back("Failed to locate action function " + action.function_name);
  }
}

void ResolveTimeLineFunctions(res::GameResources& resources, const FunctionLookup& find,
                              LoadResult& result) {
  for (int i = 0; i < resources.time_lines.Count(); ++i)
    if (res::CTimeLine* time_line = resources.time_lines.Get(i))
      for (res::RMoment& moment : time_line->moments) ResolveFunctions(moment.event, find, result);
}

void ResolveObjectFunctions(res::GameResources& resources, const FunctionLookup& find,
                            LoadResult& result) {
  for (int i = 0; i < resources.objects.Count(); ++i)
    if (res::CObject* object = resources.objects.Get(i))
      for (auto& row : object->events)
        for (auto& [number, event] : row) ResolveFunctions(event, find, result);
}

LoadResult Failure(LoadStatus status, std::string_view message) {
  LoadResult result;
  result.status = status;
  result.message = std::string(message);
  return result;
}

// Skips [count] filler words.
void SkipWords(CStream& stream, int32_t count) {
  if (count <= 0) return;
  if (uint64_t(count) * 4 > stream.Remaining())
    throw StreamError("the header's filler is longer than the data");
  stream.Seek(stream.Position() + size_t(count) * 4);
}

struct Section {
  int progress;
  const char* text;
};

}  // namespace

GameIdentity& Identity() {
  static GameIdentity identity;
  return identity;
}

LoadResult ReadGameData(CStream& stream, GameData& game, const LoadHooks& hooks) {
  auto progress = [&](int percent, std::string_view text) {
    if (hooks.progress) hooks.progress(percent, text);
  };

  if (stream.ReadInteger() != kGameDataMagic)
    return Failure(LoadStatus::NotAGame, kNotAGameMessage);
  int32_t filler_before = stream.ReadInteger();
  int32_t filler_after = stream.ReadInteger();
  SkipWords(stream, filler_before);
  game.seed = stream.ReadInteger();
  stream.ReadInteger();  // reserved
  SkipWords(stream, filler_after);
  stream.ReadInteger();  // reserved
  // The byte right after the header is stored as it is; everything after
  // it is scrambled.
  stream.Unscramble(game.seed, int64_t(stream.Position()) + 1, 0);

  stream.ReadInteger();  // reserved
  stream.ReadInteger();  // reserved
  if (stream.ReadInteger() != kGameDataInnerMagic)
    return Failure(LoadStatus::NotAGame, kNotAGameMessage);
  if (stream.ReadInteger() != kGameDataVersion)
    return Failure(LoadStatus::WrongVersion, kWrongVersionMessage);

  game.identity.DebugMode = stream.ReadBoolean();
  game.identity.GameId = stream.ReadInteger();
  stream.ReadBytes(game.identity.GameGuid.data(), game.identity.GameGuid.size());

  if (!game.settings.Read(stream))
    return Failure(LoadStatus::BadResourceData, kBadResourceDataMessage);
  if (hooks.settings_read) hooks.settings_read(game.identity, game.settings);
  progress(0, "Loading");

  res::GameResources& resources = game.resources;
  LoadResult result;
  auto section = [&](int percent, const char* text, auto&& read) {
    progress(percent, text);
    return read();
  };
  bool ok =
      section(5, "Loading sounds",
              [&] { return ReadTable(stream, resources.sounds, kSoundTableVersion); }) &&
      section(10, "Loading sprites",
              [&] { return ReadTable(stream, resources.sprites, kSpriteTableVersion); }) &&
      section(23, "Loading backgrounds",
              [&] { return ReadTable(stream, resources.backgrounds, kBackgroundTableVersion); }) &&
      section(30, "Loading paths",
              [&] { return ReadTable(stream, resources.paths, kPathTableVersion); }) &&
      section(32, "Loading scripts",
              [&] { return ReadTable(stream, resources.scripts, kScriptTableVersion); }) &&
      section(34, "Loading fonts",
              [&] { return ReadTable(stream, resources.fonts, kFontTableVersion); }) &&
      section(36, "Loading time lines",
              [&] {
                bool read = ReadTable(stream, resources.time_lines, kTimeLineTableVersion);
                if (hooks.find_function)
                  ResolveTimeLineFunctions(resources, hooks.find_function, result);
                return read;
              }) &&
      section(38, "Loading objects",
              [&] {
                bool read = ReadTable(stream, resources.objects, kObjectTableVersion);
                if (hooks.find_function)
                  ResolveObjectFunctions(resources, hooks.find_function, result);
                return read;
              }) &&
      section(41, "Loading rooms",
              [&] {
                bool read = ReadTable(stream, resources.rooms, kRoomTableVersion,
                                      [&](res::CRoom& room) {
                                        return room.Read(stream, &resources.backgrounds);
                                      });
                if (!read) return false;
                resources.last_instance_id = stream.ReadInteger();
                resources.last_tile_id = stream.ReadInteger();
                return true;
              }) &&
      section(45, "Loading help", [&] { return resources.information.Read(stream); }) &&
      section(47, "Loading library init code",
              [&] { return ReadLibraryCode(stream, resources.library_code); }) &&
      section(49, "Loading room order", [&] { return resources.room_order.Read(stream); });
  if (!ok) {
    result.status = LoadStatus::BadResourceData;
    result.message = std::string(kBadResourceDataMessage);
  }
  return result;
}

LoadResult ReadGameData(CStream& stream, const ProgressCallback& progress,
                        const std::function<void()>& settings_read) {
  GameData game;
  LoadHooks hooks;
  hooks.progress = progress;
  hooks.find_function = [](std::string_view name) { return code::FindBuiltinFunction(name); };
  bool settings_given = false;
  hooks.settings_read = [&](const GameIdentity& identity, const GameSettings& settings) {
    Identity() = identity;
    Settings() = settings;
    settings_given = true;
    if (settings_read) settings_read();
  };
  // What was read is kept after a failure too, as the run's state. Settings
  // already handed over stay as they are now: the loading screen has taken
  // and released their pictures.
  auto keep = [&] {
    Identity() = game.identity;
    if (!settings_given) Settings() = std::move(game.settings);
    resources::Resources() = std::move(game.resources);
  };
  try {
    LoadResult result = ReadGameData(stream, game, hooks);
    keep();
    return result;
  } catch (...) {
    keep();
    throw;
  }
}

std::vector<uint8_t> WriteGameData(const GameData& game) {
  CStream stream;
  stream.WriteInteger(kGameDataMagic);
  stream.WriteInteger(kWrittenFillerBefore);
  stream.WriteInteger(kWrittenFillerAfter);
  // The filler only has to be there; any words do.
  uint32_t filler = uint32_t(game.seed) * 2654435761u + 12345u;
  auto write_filler = [&](int count) {
    for (int i = 0; i < count; ++i) {
      filler = filler * 1103515245u + 12345u;
      stream.WriteInteger(int32_t(filler >> 1));
    }
  };
  write_filler(kWrittenFillerBefore);
  stream.WriteInteger(game.seed);
  stream.WriteInteger(0);  // reserved
  write_filler(kWrittenFillerAfter);
  stream.WriteInteger(0);  // reserved
  int64_t scrambled_from = int64_t(stream.Position()) + 1;

  stream.WriteInteger(0);  // reserved
  stream.WriteInteger(0);  // reserved
  stream.WriteInteger(kGameDataInnerMagic);
  stream.WriteInteger(kGameDataVersion);
  stream.WriteBoolean(game.identity.DebugMode);
  stream.WriteInteger(game.identity.GameId);
  stream.WriteBytes(game.identity.GameGuid.data(), game.identity.GameGuid.size());
  game.settings.Write(stream);

  const res::GameResources& resources = game.resources;
  WriteTable(stream, resources.sounds, kSoundTableVersion);
  WriteTable(stream, resources.sprites, kSpriteTableVersion);
  WriteTable(stream, resources.backgrounds, kBackgroundTableVersion);
  WriteTable(stream, resources.paths, kPathTableVersion);
  WriteTable(stream, resources.scripts, kScriptTableVersion);
  WriteTable(stream, resources.fonts, kFontTableVersion);
  WriteTable(stream, resources.time_lines, kTimeLineTableVersion);
  WriteTable(stream, resources.objects, kObjectTableVersion);
  WriteTable(stream, resources.rooms, kRoomTableVersion);
  stream.WriteInteger(resources.last_instance_id);
  stream.WriteInteger(resources.last_tile_id);
  resources.information.Write(stream);
  WriteLibraryCode(stream, resources.library_code);
  resources.room_order.Write(stream);

  stream.Scramble(game.seed, scrambled_from, 0);
  return std::move(stream.MutableBytes());
}

}  // namespace vendrel::runner
