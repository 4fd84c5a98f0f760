#include "graphics/resource_draw.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "code/errors.h"
#include "graphics/draw.h"
#include "graphics/surface.h"
#include "graphics/texture.h"
#include "resources/game_resources.h"
#include "runtime/game_state.h"
#include "runtime/path.h"
#include "runtime/room_state.h"

namespace vendrel::graphics {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// What a wrapper draws: a texture with its origin, or nothing.
struct Image {
  int texture = -1;
  double x_origin = 0, y_origin = 0;
  double width = 0, height = 0;  // the image size
};

bool Resolve(ImageSource source, int id, int64_t frame, Image& image) {
  switch (source) {
    case ImageSource::Sprite: {
      const resources::CSprite* sprite = resources::Resources().sprites.Get(id);
      if (sprite == nullptr) {
        code::ShowRunError("Trying to draw non-existing sprite.", false);
        return false;
      }
      image.texture = SpriteFrameTexture(id, frame);
      image.x_origin = sprite->x_origin;
      image.y_origin = sprite->y_origin;
      break;
    }
    case ImageSource::Background: {
      const resources::CBackground* background = resources::Resources().backgrounds.Get(id);
      if (background == nullptr) {
        code::ShowRunError("Trying to draw non-existing background.", false);
        return false;
      }
      image.texture = background->texture;
      break;
    }
    case ImageSource::Surface:
      if (!SurfaceExists(id)) {
        code::ShowRunError("Trying to use non-existing surface.", false);
        return false;
      }
      image.texture = SurfaceTexture(id);
      break;
  }
  const RTexture* texture = TextureEntry(image.texture);
  if (texture == nullptr) return false;
  image.width = texture->image_width;
  image.height = texture->image_height;
  return true;
}

}  // namespace

void FreeSpriteTextures(resources::CSprite& sprite) {
  for (int& texture : sprite.textures) {
    FreeTexture(texture);
    texture = -1;
  }
}

void BuildSpriteTextures(resources::CSprite& sprite) {
  FreeSpriteTextures(sprite);
  sprite.textures.assign(sprite.frames.size(), -1);
  for (size_t i = 0; i < sprite.frames.size(); ++i) {
    sprite.textures[i] = TextureFromBitmap(sprite.frames[i]);
    if (sprite.preload) PreloadTexture(sprite.textures[i]);
  }
}

void FreeBackgroundTexture(resources::CBackground& background) {
  FreeTexture(background.texture);
  background.texture = -1;
}

void BuildBackgroundTexture(resources::CBackground& background) {
  FreeBackgroundTexture(background);
  if (background.image) background.texture = TextureFromBitmap(*background.image);
  if (background.preload) PreloadTexture(background.texture);
}

void BuildResourceTextures() {
  resources::GameResources& r = resources::Resources();
  for (int i = 0; i < r.backgrounds.Count(); ++i) {
    if (resources::CBackground* background = r.backgrounds.Get(i)) {
      BuildBackgroundTexture(*background);
    }
  }
  for (int i = 0; i < r.sprites.Count(); ++i) {
    if (resources::CSprite* sprite = r.sprites.Get(i)) BuildSpriteTextures(*sprite);
  }
}

int SpriteFrameTexture(int sprite_index, int64_t frame) {
  const resources::CSprite* sprite = resources::Resources().sprites.Get(sprite_index);
  if (sprite == nullptr) return -1;
  int64_t n = int64_t(sprite->textures.size());
  if (n == 0) return -1;
  int64_t f = frame % n;
  if (f < 0) f += n;
  return sprite->textures[size_t(f)];
}

void DrawImage(ImageSource source, int id, int64_t frame, double x, double y) {
  Image image;
  if (!Resolve(source, id, frame, image)) return;
  DrawTexture(image.texture, x - image.x_origin, y - image.y_origin);
}

void DrawImageExt(ImageSource source, int id, int64_t frame, double x, double y,
                  double x_scale, double y_scale, double angle, int64_t color, double alpha) {
  Image image;
  if (!Resolve(source, id, frame, image)) return;
  DrawTextureExt(image.texture, color, image.x_origin, image.y_origin, x, y, x_scale, y_scale,
                 angle * kRadiansPerDegree, alpha);
}

void DrawImageStretched(ImageSource source, int id, int64_t frame, double x, double y,
                        double width, double height, int64_t color, double alpha) {
  Image image;
  if (!Resolve(source, id, frame, image)) return;
  if (width <= 0 || height <= 0 || image.width <= 0 || image.height <= 0) return;
  DrawTextureExt(image.texture, color, 0, 0, x, y, width / image.width, height / image.height,
                 0, alpha);
}

void DrawImagePart(ImageSource source, int id, int64_t frame, double left, double top,
                   double width, double height, double x, double y, double x_scale,
                   double y_scale, int64_t color, double alpha) {
  Image image;
  if (!Resolve(source, id, frame, image)) return;
  DrawTexturePart(image.texture, color, left, top, width, height, x, y, x_scale, y_scale, 0,
                  alpha);
}

void DrawImageGeneral(ImageSource source, int id, int64_t frame, double left, double top,
                      double width, double height, double x, double y, double x_scale,
                      double y_scale, double angle, int64_t c1, int64_t c2, int64_t c3,
                      int64_t c4, double alpha) {
  Image image;
  if (!Resolve(source, id, frame, image)) return;
  DrawTextureGeneral(image.texture, c1, c2, left, top, width, height, x, y, x_scale, y_scale,
                     angle * kRadiansPerDegree, c3, c4, alpha);
}

void DrawImageTiled(ImageSource source, int id, int64_t frame, double x, double y,
                    double x_scale, double y_scale, int64_t color, double alpha) {
  Image image;
  if (!Resolve(source, id, frame, image)) return;
  const runtime::CRunRoom* room = runtime::CurrentRoom();
  double width = room ? room->data.width : 0, height = room ? room->data.height : 0;
  DrawTextureTiled(image.texture, true, true, image.x_origin, image.y_origin, x, y, x_scale,
                   y_scale, 0, 0, width, height, color, alpha);
}

void DrawPath(int path_index, double x, double y, bool absolute) {
  const resources::CPath* path = resources::Resources().paths.Get(path_index);
  if (path == nullptr) {
    code::ShowRunError("Trying to drawn non-existing path.", false);
    return;
  }
  double dx = 0, dy = 0;
  if (!absolute) {
    resources::RComputedPathPoint start = runtime::PathPosition(*path, 0);
    dx = x - start.x;
    dy = y - start.y;
  }
  double steps = std::nearbyint(path->total_length / 4);
  PrimitiveBegin(kPrLineStrip);
  if (steps >= 1) {
    // Points beyond what the primitive buffer holds would be dropped, so
    // they are not computed.
    int last = int(std::min(steps, double(kMaxPrimitiveVertices - 1)));
    for (int i = 0; i <= last; ++i) {
      resources::RComputedPathPoint point = runtime::PathPosition(*path, double(i) / steps);
      PrimitiveVertex(point.x + dx, point.y + dy);
    }
  } else {
    resources::RComputedPathPoint point = runtime::PathPosition(*path, 0);
    PrimitiveVertex(point.x + dx, point.y + dy);
  }
  PrimitiveEnd();
}

}  // namespace vendrel::graphics
