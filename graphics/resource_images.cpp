#include "graphics/resource_images.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "graphics/bitmap32.h"
#include "graphics/picture_file.h"
#include "graphics/resource_draw.h"
#include "platform/image_files.h"
#include "platform/paths.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"
#include "runtime/instance.h"
#include "runtime/room_state.h"

namespace vendrel::graphics {

namespace {

constexpr const char* kNewSpritePrefix = "__newsprite";
constexpr const char* kNewBackgroundPrefix = "__newbackground";

bool HasGifExtension(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return tail == ".gif";
}

// The frames of a sprite file, converted; false when it cannot be read.
bool ReadSpriteFrames(const std::string& game_path, int frame_count, bool smooth,
                      bool transparent, std::vector<runner::CBitmap32>& frames) {
  std::string path = platform::ResolveGamePath(game_path);
  if (HasGifExtension(game_path)) {
    std::vector<runner::CBitmap32> canvases;
    bool is_gif = false;
    if (ReadGifAnimation(path, canvases, is_gif)) {
      frames.clear();
      for (const runner::CBitmap32& canvas : canvases) {
        frames.push_back(BitmapFromPixels(canvas.width, canvas.height, canvas.pixels.data(),
                                          false, smooth, transparent));
      }
      return true;
    }
    // A damaged GIF file is refused; a picture of another kind that only
    // carries the name is read as a picture.
    if (is_gif) return false;
  }
  Picture picture;
  if (!ReadPicture(path, picture)) return false;
  runner::CBitmap32 whole = ConvertPicture(picture, smooth, transparent);
  if (whole.Empty()) return false;
  // Frames are at least one pixel wide.
  int count = std::clamp(frame_count, 1, whole.width);
  int width = whole.width / count;
  frames.clear();
  if (count == 1) {
    frames.push_back(std::move(whole));
    return true;
  }
  for (int i = 0; i < count; ++i) {
    frames.push_back(SubBitmap(whole, width, whole.height, i * width, 0));
  }
  return true;
}

// A frame made from [bitmap], opaque unless [alpha].
runner::CBitmap32 ConvertBitmap(const runner::CBitmap32& bitmap, bool alpha, bool smooth,
                                bool transparent) {
  if (bitmap.Empty() ||
      bitmap.pixels.size() < size_t(bitmap.width) * size_t(bitmap.height)) {
    return {};
  }
  return BitmapFromPixels(bitmap.width, bitmap.height, bitmap.pixels.data(), alpha, smooth,
                          transparent);
}

// Textures, then box and masks, after the frames changed.
void RemakeSprite(resources::CSprite& sprite) {
  BuildSpriteTextures(sprite);
  sprite.FramesChanged();
}

void ReplaceFrames(resources::CSprite& sprite, std::vector<runner::CBitmap32> frames) {
  FreeSpriteTextures(sprite);
  sprite.frames = std::move(frames);
  sprite.masks.clear();
  sprite.textures.assign(sprite.frames.size(), -1);
  if (!sprite.frames.empty()) {
    sprite.width = sprite.frames.front().width;
    sprite.height = sprite.frames.front().height;
  }
}

template <class T>
std::string NewName(const char* prefix, const resources::ResourceTable<T>& table) {
  return prefix + std::to_string(table.Count());
}

}  // namespace

// Sprites ---------------------------------------------------------------------

bool LoadSpriteFromFile(resources::CSprite& sprite, const std::string& game_path,
                        int frame_count, int x_origin, int y_origin, bool preload, bool smooth,
                        bool transparent, bool precise) {
  std::vector<runner::CBitmap32> frames;
  if (!ReadSpriteFrames(game_path, frame_count, smooth, transparent, frames)) return false;
  ReplaceFrames(sprite, std::move(frames));
  sprite.bbox_mode = resources::kBoundingBoxAutomatic;
  sprite.x_origin = x_origin;
  sprite.y_origin = y_origin;
  sprite.preload = preload;
  sprite.smooth = smooth;
  sprite.transparent = transparent;
  sprite.precise = precise;
  RemakeSprite(sprite);
  return true;
}

void CreateSpriteFromBitmap(resources::CSprite& sprite, const runner::CBitmap32& bitmap,
                            bool precise, bool alpha, int x_origin, int y_origin, bool preload,
                            bool smooth, bool transparent) {
  FreeSpriteTextures(sprite);
  sprite = resources::CSprite();
  runner::CBitmap32 frame = ConvertBitmap(bitmap, alpha, smooth, transparent);
  std::vector<runner::CBitmap32> frames;
  if (!frame.Empty()) frames.push_back(std::move(frame));
  ReplaceFrames(sprite, std::move(frames));
  sprite.bbox_mode = resources::kBoundingBoxAutomatic;
  sprite.precise = precise;
  sprite.x_origin = x_origin;
  sprite.y_origin = y_origin;
  sprite.preload = preload;
  sprite.smooth = smooth;
  sprite.transparent = transparent;
  RemakeSprite(sprite);
}

void AddSpriteFrame(resources::CSprite& sprite, const runner::CBitmap32& bitmap, bool alpha) {
  runner::CBitmap32 frame = ConvertBitmap(bitmap, alpha, sprite.smooth, sprite.transparent);
  if (frame.Empty()) return;
  if (sprite.frames.empty()) {
    sprite.width = frame.width;
    sprite.height = frame.height;
  }
  ResizeBitmap(frame, sprite.width, sprite.height);
  sprite.frames.push_back(std::move(frame));
  RemakeSprite(sprite);
}

void MergeSprite(resources::CSprite& sprite, const resources::CSprite& other) {
  // Copied first: [other] may be [sprite] itself.
  std::vector<runner::CBitmap32> added = other.frames;
  if (sprite.frames.empty() && !added.empty()) {
    sprite.width = other.width;
    sprite.height = other.height;
  }
  for (runner::CBitmap32& frame : added) {
    ResizeBitmap(frame, sprite.width, sprite.height);
    sprite.frames.push_back(std::move(frame));
  }
  RemakeSprite(sprite);
}

void SetSpriteAlphaFrom(resources::CSprite& sprite, const resources::CSprite& other) {
  if (other.frames.empty()) return;
  std::vector<runner::CBitmap32> sources = other.frames;
  for (size_t i = 0; i < sprite.frames.size(); ++i) {
    AlphaFromBitmap(sprite.frames[i], sources[i % sources.size()]);
  }
  BuildSpriteTextures(sprite);
}

void AssignSprite(resources::CSprite& sprite, const resources::CSprite& other) {
  if (&sprite == &other) return;
  FreeSpriteTextures(sprite);
  sprite = other;
  // The copy's texture ids are the source's; the copy makes its own.
  sprite.textures.assign(sprite.frames.size(), -1);
  BuildSpriteTextures(sprite);
  sprite.BuildMasks();
}

int AddSprite(const std::string& game_path, int frame_count, bool precise, bool transparent,
              bool smooth, bool preload, int x_origin, int y_origin) {
  auto sprite = std::make_unique<resources::CSprite>();
  if (!LoadSpriteFromFile(*sprite, game_path, frame_count, x_origin, y_origin, preload, smooth,
                          transparent, precise)) {
    return -1;
  }
  auto& table = resources::Resources().sprites;
  return table.Add(std::move(sprite), NewName(kNewSpritePrefix, table));
}

bool ReplaceSprite(int index, const std::string& game_path, int frame_count, bool precise,
                   bool transparent, bool smooth, bool preload, int x_origin, int y_origin) {
  auto& table = resources::Resources().sprites;
  if (index < 0 || index >= table.Count()) return false;
  if (table.Get(index) == nullptr) {
    // An empty slot is filled only when the file loads.
    auto sprite = std::make_unique<resources::CSprite>();
    if (!LoadSpriteFromFile(*sprite, game_path, frame_count, x_origin, y_origin, preload,
                            smooth, transparent, precise)) {
      return false;
    }
    table.Set(index, std::move(sprite), "");
    return true;
  }
  return LoadSpriteFromFile(*table.Get(index), game_path, frame_count, x_origin, y_origin,
                            preload, smooth, transparent, precise);
}

bool DeleteSprite(int index) {
  auto& table = resources::Resources().sprites;
  resources::CSprite* sprite = table.Get(index);
  if (sprite == nullptr) return false;
  FreeSpriteTextures(*sprite);
  table.Remove(index);
  return true;
}

int DuplicateSprite(int index) {
  auto& table = resources::Resources().sprites;
  const resources::CSprite* source = table.Get(index);
  if (source == nullptr) return -1;
  auto copy = std::make_unique<resources::CSprite>();
  AssignSprite(*copy, *source);
  return table.Add(std::move(copy), NewName(kNewSpritePrefix, table));
}

bool AssignSpriteFrom(int index, int source) {
  auto& table = resources::Resources().sprites;
  const resources::CSprite* from = table.Get(source);
  if (from == nullptr || index < 0 || index >= table.Count()) return false;
  if (table.Get(index) == nullptr) table.Set(index, std::make_unique<resources::CSprite>(), "");
  AssignSprite(*table.Get(index), *from);
  return true;
}

int AddEmptySprite() {
  auto& table = resources::Resources().sprites;
  return table.Add(std::make_unique<resources::CSprite>(), NewName(kNewSpritePrefix, table));
}

void RefreshInstanceBoxes() {
  runtime::CRunRoom* room = runtime::CurrentRoom();
  if (room == nullptr) return;
  for (const auto* list : {&room->active, &room->inactive}) {
    for (const std::unique_ptr<runtime::CInstance>& instance : *list) {
      instance->ComputeBoundingBox();
    }
  }
}

// Backgrounds -----------------------------------------------------------------

namespace {

// Takes [image] as the background's image, with the given flags, and makes
// the texture.
void SetBackgroundImage(resources::CBackground& background,
                        std::optional<runner::CBitmap32> image, int width, int height,
                        bool transparent, bool smooth, bool preload) {
  FreeBackgroundTexture(background);
  background = resources::CBackground();
  background.width = width;
  background.height = height;
  background.transparent = transparent;
  background.smooth = smooth;
  background.preload = preload;
  background.image = std::move(image);
  BuildBackgroundTexture(background);
}

}  // namespace

bool LoadBackgroundFromFile(resources::CBackground& background, const std::string& game_path,
                            bool transparent, bool smooth, bool preload) {
  Picture picture;
  if (!ReadPicture(platform::ResolveGamePath(game_path), picture)) return false;
  runner::CBitmap32 image = ConvertPicture(picture, smooth, transparent);
  int width = image.width, height = image.height;
  SetBackgroundImage(background, std::move(image), width, height, transparent, smooth, preload);
  return true;
}

void CreateBackgroundFromBitmap(resources::CBackground& background,
                                const runner::CBitmap32& bitmap, bool transparent, bool alpha,
                                bool preload, bool smooth) {
  runner::CBitmap32 image = ConvertBitmap(bitmap, alpha, smooth, transparent);
  if (image.Empty()) {
    SetBackgroundImage(background, std::nullopt, 0, 0, transparent, smooth, preload);
    return;
  }
  int width = image.width, height = image.height;
  SetBackgroundImage(background, std::move(image), width, height, transparent, smooth, preload);
}

void CreateBackgroundColor(resources::CBackground& background, int width, int height,
                           bool preload, int64_t color) {
  if (!platform::ImageSizeAllowed(std::max(width, 1), std::max(height, 1))) {
    SetBackgroundImage(background, std::nullopt, 0, 0, false, false, preload);
    return;
  }
  SetBackgroundImage(background, FilledBitmap(width, height, color), width, height, false,
                     false, preload);
}

void CreateBackgroundGradient(resources::CBackground& background, int width, int height,
                              bool preload, int kind, int64_t color1, int64_t color2) {
  if (!platform::ImageSizeAllowed(std::max(width, 1), std::max(height, 1))) {
    SetBackgroundImage(background, std::nullopt, 0, 0, false, false, preload);
    return;
  }
  SetBackgroundImage(background, GradientBitmap(width, height, color1, color2, kind), width,
                     height, false, false, preload);
}

void SetBackgroundAlphaFrom(resources::CBackground& background,
                            const resources::CBackground& other) {
  if (!background.image || !other.image) return;
  runner::CBitmap32 source = *other.image;
  AlphaFromBitmap(*background.image, source);
  BuildBackgroundTexture(background);
}

void AssignBackground(resources::CBackground& background, const resources::CBackground& other) {
  if (&background == &other) return;
  FreeBackgroundTexture(background);
  background = other;
  background.texture = -1;
  BuildBackgroundTexture(background);
}

int AddBackground(const std::string& game_path, bool transparent, bool smooth, bool preload) {
  auto background = std::make_unique<resources::CBackground>();
  if (!LoadBackgroundFromFile(*background, game_path, transparent, smooth, preload)) return -1;
  auto& table = resources::Resources().backgrounds;
  return table.Add(std::move(background), NewName(kNewBackgroundPrefix, table));
}

bool ReplaceBackground(int index, const std::string& game_path, bool transparent, bool smooth,
                       bool preload) {
  auto& table = resources::Resources().backgrounds;
  if (index < 0 || index >= table.Count()) return false;
  if (table.Get(index) == nullptr) {
    auto background = std::make_unique<resources::CBackground>();
    if (!LoadBackgroundFromFile(*background, game_path, transparent, smooth, preload)) {
      return false;
    }
    table.Set(index, std::move(background), "");
    return true;
  }
  return LoadBackgroundFromFile(*table.Get(index), game_path, transparent, smooth, preload);
}

bool DeleteBackground(int index) {
  auto& table = resources::Resources().backgrounds;
  resources::CBackground* background = table.Get(index);
  if (background == nullptr) return false;
  FreeBackgroundTexture(*background);
  table.Remove(index);
  return true;
}

int DuplicateBackground(int index) {
  auto& table = resources::Resources().backgrounds;
  const resources::CBackground* source = table.Get(index);
  if (source == nullptr) return -1;
  auto copy = std::make_unique<resources::CBackground>();
  AssignBackground(*copy, *source);
  return table.Add(std::move(copy), NewName(kNewBackgroundPrefix, table));
}

bool AssignBackgroundFrom(int index, int source) {
  auto& table = resources::Resources().backgrounds;
  const resources::CBackground* from = table.Get(source);
  if (from == nullptr || index < 0 || index >= table.Count()) return false;
  if (table.Get(index) == nullptr) {
    table.Set(index, std::make_unique<resources::CBackground>(), "");
  }
  AssignBackground(*table.Get(index), *from);
  return true;
}

int AddEmptyBackground() {
  auto& table = resources::Resources().backgrounds;
  return table.Add(std::make_unique<resources::CBackground>(),
                   NewName(kNewBackgroundPrefix, table));
}

}  // namespace vendrel::graphics
