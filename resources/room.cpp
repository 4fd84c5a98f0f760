#include "resources/room.h"

#include "resources/record_io.h"

namespace vendrel::resources {

namespace {

constexpr size_t kLayerRecordBytes = 10 * 4;
constexpr size_t kViewRecordBytes = 14 * 4;
constexpr size_t kInstanceRecordBytes = 5 * 4;
constexpr size_t kTileRecordBytes = 9 * 4;

void ReadLayer(CStream& stream, CBack& layer) {
  layer = CBack();
  layer.visible = stream.ReadBoolean();
  layer.foreground = stream.ReadBoolean();
  layer.background = stream.ReadInteger();
  layer.x = stream.ReadInteger();
  layer.y = stream.ReadInteger();
  layer.tile_horizontally = stream.ReadBoolean();
  layer.tile_vertically = stream.ReadBoolean();
  layer.horizontal_speed = stream.ReadInteger();
  layer.vertical_speed = stream.ReadInteger();
  layer.stretch = stream.ReadBoolean();
}

void ReadView(CStream& stream, CView& view) {
  view = CView();
  view.visible = stream.ReadBoolean();
  view.view_x = stream.ReadInteger();
  view.view_y = stream.ReadInteger();
  view.view_width = stream.ReadInteger();
  view.view_height = stream.ReadInteger();
  view.port_x = stream.ReadInteger();
  view.port_y = stream.ReadInteger();
  view.port_width = stream.ReadInteger();
  view.port_height = stream.ReadInteger();
  view.horizontal_border = stream.ReadInteger();
  view.vertical_border = stream.ReadInteger();
  view.horizontal_speed = stream.ReadInteger();
  view.vertical_speed = stream.ReadInteger();
  view.followed_object = stream.ReadInteger();
}

}  // namespace

bool CRoom::Read(CStream& stream, const ResourceTable<CBackground>* background_table) {
  *this = CRoom();
  if (stream.ReadInteger() != kRecordVersion) return false;
  caption = stream.ReadString();
  width = stream.ReadInteger();
  height = stream.ReadInteger();
  speed = stream.ReadInteger();
  persistent = stream.ReadBoolean();
  background_color = stream.ReadInteger();
  draw_background_color = stream.ReadBoolean();
  creation_code = stream.ReadString();

  int32_t layer_count = ReadCount(stream, kLayerRecordBytes);
  for (int32_t i = 0; i < layer_count; ++i) {
    CBack layer;
    ReadLayer(stream, layer);
    if (i < kLayerCount) backgrounds[size_t(i)] = layer;
  }
  for (CBack& layer : backgrounds) {
    if (!layer.stretch || background_table == nullptr) continue;
    const CBackground* background = background_table->Get(layer.background);
    if (background == nullptr) continue;
    if (background->width > 0) layer.x_scale = double(width) / background->width;
    if (background->height > 0) layer.y_scale = double(height) / background->height;
  }

  views_enabled = stream.ReadBoolean();
  int32_t view_count = ReadCount(stream, kViewRecordBytes);
  for (int32_t i = 0; i < view_count; ++i) {
    CView view;
    ReadView(stream, view);
    if (i < kViewCount) views[size_t(i)] = view;
  }

  int32_t instance_count = ReadCount(stream, kInstanceRecordBytes);
  instances.resize(size_t(instance_count));
  for (RPlacedInstance& instance : instances) {
    instance.x = stream.ReadInteger();
    instance.y = stream.ReadInteger();
    instance.object = stream.ReadInteger();
    instance.id = stream.ReadInteger();
    instance.creation_code = stream.ReadString();
  }

  int32_t tile_count = ReadCount(stream, kTileRecordBytes);
  tiles.resize(size_t(tile_count));
  for (RTile& tile : tiles) {
    tile.x = stream.ReadInteger();
    tile.y = stream.ReadInteger();
    tile.background = stream.ReadInteger();
    tile.left = stream.ReadInteger();
    tile.top = stream.ReadInteger();
    tile.width = stream.ReadInteger();
    tile.height = stream.ReadInteger();
    tile.depth = stream.ReadInteger();
    tile.id = stream.ReadInteger();
  }
  return true;
}

void CRoom::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteString(caption);
  stream.WriteInteger(width);
  stream.WriteInteger(height);
  stream.WriteInteger(speed);
  stream.WriteBoolean(persistent);
  stream.WriteInteger(background_color);
  stream.WriteBoolean(draw_background_color);
  stream.WriteString(creation_code);

  stream.WriteInteger(kLayerCount);
  for (const CBack& layer : backgrounds) {
    stream.WriteBoolean(layer.visible);
    stream.WriteBoolean(layer.foreground);
    stream.WriteInteger(layer.background);
    stream.WriteInteger(StoredInteger(layer.x));
    stream.WriteInteger(StoredInteger(layer.y));
    stream.WriteBoolean(layer.tile_horizontally);
    stream.WriteBoolean(layer.tile_vertically);
    stream.WriteInteger(StoredInteger(layer.horizontal_speed));
    stream.WriteInteger(StoredInteger(layer.vertical_speed));
    stream.WriteBoolean(layer.stretch);
  }

  stream.WriteBoolean(views_enabled);
  stream.WriteInteger(kViewCount);
  for (const CView& view : views) {
    stream.WriteBoolean(view.visible);
    for (int32_t value : {view.view_x, view.view_y, view.view_width, view.view_height,
                          view.port_x, view.port_y, view.port_width, view.port_height,
                          view.horizontal_border, view.vertical_border, view.horizontal_speed,
                          view.vertical_speed, view.followed_object})
      stream.WriteInteger(value);
  }

  stream.WriteInteger(int32_t(instances.size()));
  for (const RPlacedInstance& instance : instances) {
    stream.WriteInteger(instance.x);
    stream.WriteInteger(instance.y);
    stream.WriteInteger(instance.object);
    stream.WriteInteger(instance.id);
    stream.WriteString(instance.creation_code);
  }

  stream.WriteInteger(int32_t(tiles.size()));
  for (const RTile& tile : tiles) {
    stream.WriteInteger(StoredInteger(tile.x));
    stream.WriteInteger(StoredInteger(tile.y));
    stream.WriteInteger(tile.background);
    stream.WriteInteger(tile.left);
    stream.WriteInteger(tile.top);
    stream.WriteInteger(tile.width);
    stream.WriteInteger(tile.height);
    stream.WriteInteger(StoredInteger(tile.depth));
    stream.WriteInteger(tile.id);
  }
}

}  // namespace vendrel::resources
