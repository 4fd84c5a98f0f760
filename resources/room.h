// CRoom (resource side): a level's size, speed, caption, colours, eight
// background layers, eight views, the instances placed in it, its tiles and
// its creation code.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/background.h"
#include "resources/resource_table.h"
#include "runner/stream.h"

namespace vendrel::resources {

// One background or foreground layer.
struct CBack {
  bool visible = false;
  bool foreground = false;
  int32_t background = -1;
  double x = 0.0;
  double y = 0.0;
  bool tile_horizontally = true;
  bool tile_vertically = true;
  double horizontal_speed = 0.0;
  double vertical_speed = 0.0;
  // The stored stretch flag; the scales below are derived from it on load.
  bool stretch = false;
  double x_scale = 1.0;
  double y_scale = 1.0;
  int32_t blend_color = 0xFFFFFF;
  double alpha = 1.0;
};

struct CView {
  bool visible = false;
  // The room area shown.
  int32_t view_x = 0;
  int32_t view_y = 0;
  int32_t view_width = 640;
  int32_t view_height = 480;
  // Where it is shown in the window.
  int32_t port_x = 0;
  int32_t port_y = 0;
  int32_t port_width = 640;
  int32_t port_height = 480;
  double angle = 0.0;
  int32_t horizontal_border = 32;
  int32_t vertical_border = 32;
  // -1: no limit.
  int32_t horizontal_speed = -1;
  int32_t vertical_speed = -1;
  int32_t followed_object = -1;
};

// An instance placed in the room editor.
struct RPlacedInstance {
  int32_t x = 0;
  int32_t y = 0;
  int32_t object = -1;
  int32_t id = 0;
  std::string creation_code;
};

struct RTile {
  double x = 0.0;
  double y = 0.0;
  int32_t background = -1;
  // The part of the background image.
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  double depth = 0.0;
  int32_t id = 0;
  double x_scale = 1.0;
  double y_scale = 1.0;
  int32_t blend_color = 0xFFFFFF;
  double alpha = 1.0;
  bool visible = true;
};

class CRoom {
 public:
  static constexpr int32_t kRecordVersion = 541;
  static constexpr int kLayerCount = 8;
  static constexpr int kViewCount = 8;

  std::string caption;
  int32_t width = 640;
  int32_t height = 480;
  int32_t speed = 30;
  bool persistent = false;
  int32_t background_color = 0xC0C0C0;
  bool draw_background_color = true;
  std::string creation_code;
  std::array<CBack, kLayerCount> backgrounds;
  bool views_enabled = false;
  std::array<CView, kViewCount> views;
  std::vector<RPlacedInstance> instances;
  std::vector<RTile> tiles;

  // Reads a room record; false for another version. [backgrounds], when
  // given, supplies the sizes that a stretched layer's scales derive from.
  // Layer and view records beyond the eight a room has are read and
  // dropped.
  bool Read(runner::CStream& stream, const ResourceTable<CBackground>* background_table = nullptr);
  void Write(runner::CStream& stream) const;
};

}  // namespace vendrel::resources
