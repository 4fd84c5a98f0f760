// The state operations of CInstance: construction from an object, the
// coupled motion fields, friction and gravity, the sprite-based bounding
// box, alarms and copying.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "interpreter/value.h"
#include "resources/game_resources.h"
#include "runtime/instance.h"

namespace vendrel::runtime {

namespace {

constexpr double kSnap = 0.0001;
constexpr int kNoBox = -100000;

int Round(double value) {
  const int64_t rounded = interp::RoundHalfEven(value);
  return int(std::clamp<int64_t>(rounded, INT32_MIN, INT32_MAX));
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// [value] moved to the nearest integer when it lies within kSnap of it.
double Snapped(double value) {
  const double nearest = std::nearbyint(value);
  return std::fabs(value - nearest) < kSnap ? nearest : value;
}

double Wrapped360(double degrees) { return degrees - std::floor(degrees / 360.0) * 360.0; }

}  // namespace

CInstance::CInstance(int instance_id, int object, double x_position, double y_position) {
  // The record starts zero-filled, so an object that does not exist leaves
  // sprite 0, mask 0, depth 0 and all flags off.
  sprite_index = 0;
  mask_index = 0;
  visible = false;
  SetObject(object);
  x = x_position;
  y = y_position;
  id = instance_id;
  xstart = xprevious = x;
  ystart = yprevious = y;
  ComputeBoundingBox();
}

resources::CObject* CInstance::Object() const {
  return resources::Resources().objects.Get(object_index);
}

void CInstance::ComputeBoundingBox() {
  const int mask_sprite = mask_index >= 0 ? mask_index : sprite_index;
  const resources::CSprite* sprite = resources::Resources().sprites.Get(mask_sprite);
  if (sprite == nullptr) {
    bbox_left = bbox_top = bbox_right = bbox_bottom = kNoBox;
    precise = false;
    return;
  }
  const double left = sprite->bbox_left, right = sprite->bbox_right;
  const double top = sprite->bbox_top, bottom = sprite->bbox_bottom;
  const double xorigin = sprite->x_origin, yorigin = sprite->y_origin;
  if (image_angle == 0.0) {
    bbox_left = Round((left - xorigin) * image_xscale + x);
    bbox_right = Round(x + image_xscale * (right - xorigin));
    if (bbox_right < bbox_left) std::swap(bbox_left, bbox_right);
    bbox_top = Round(y + image_yscale * (top - yorigin));
    bbox_bottom = Round(y + image_yscale * (bottom - yorigin));
    if (bbox_bottom < bbox_top) std::swap(bbox_top, bbox_bottom);
  } else {
    const double c = std::cos(Radians(image_angle));
    const double s = std::sin(Radians(image_angle));
    const double b = (std::min(left, right) - xorigin) * image_xscale;
    const double cc = (std::max(left, right) - xorigin) * image_xscale;
    const double f = (std::min(top, bottom) - yorigin) * image_yscale;
    const double g = (std::max(top, bottom) - yorigin) * image_yscale;
    bbox_left = Round(std::min(c * b, c * cc) + x + std::min(s * f, s * g));
    bbox_right = Round(std::max(c * b, c * cc) + x + std::max(s * f, s * g));
    bbox_top = Round(std::min(c * f, c * g) + y - std::max(b * s, cc * s));
    bbox_bottom = Round(std::max(c * f, c * g) + y - std::min(b * s, cc * s));
  }
  precise = sprite->precise;
}

void CInstance::SetPosition(double new_x, double new_y) {
  if (new_x == x && new_y == y) return;
  x = new_x;
  y = new_y;
  ComputeBoundingBox();
}

namespace {

// direction and speed from hspeed and vspeed.
void VectorToPolar(CInstance& instance) {
  double direction;
  if (instance.hspeed != 0.0) {
    const double a = std::atan2(instance.vspeed, instance.hspeed) * 180.0 / std::numbers::pi;
    direction = a > 0.0 ? 360.0 - a : -a;
  } else if (instance.vspeed > 0.0) {
    direction = 270.0;
  } else if (instance.vspeed < 0.0) {
    direction = 90.0;
  } else {
    direction = 0.0;
  }
  instance.direction = Wrapped360(Snapped(direction));
  instance.speed = Snapped(std::sqrt(instance.hspeed * instance.hspeed +
                                     instance.vspeed * instance.vspeed));
}

// hspeed and vspeed from direction and speed.
void PolarToVector(CInstance& instance) {
  const double radians = Radians(instance.direction);
  instance.hspeed = Snapped(std::cos(radians) * instance.speed);
  instance.vspeed = Snapped(-std::sin(radians) * instance.speed);
}

}  // namespace

void CInstance::SetHSpeed(double value) {
  if (value == hspeed) return;
  hspeed = value;
  VectorToPolar(*this);
}

void CInstance::SetVSpeed(double value) {
  if (value == vspeed) return;
  vspeed = value;
  VectorToPolar(*this);
}

void CInstance::SetDirection(double degrees) {
  if (degrees == direction) return;
  direction = Wrapped360(degrees);
  PolarToVector(*this);
}

void CInstance::SetSpeed(double value) {
  if (value == speed) return;
  speed = value;
  PolarToVector(*this);
}

void CInstance::AddMotion(double degrees, double amount) {
  hspeed += std::cos(Radians(degrees)) * amount;
  vspeed -= std::sin(Radians(degrees)) * amount;
  VectorToPolar(*this);
}

void CInstance::SetImageXScale(double value) {
  if (value == image_xscale) return;
  image_xscale = value;
  ComputeBoundingBox();
}

void CInstance::SetImageYScale(double value) {
  if (value == image_yscale) return;
  image_yscale = value;
  ComputeBoundingBox();
}

void CInstance::SetImageAngle(double value) {
  if (value == image_angle) return;
  image_angle = value;
  ComputeBoundingBox();
}

void CInstance::SetSprite(int sprite) {
  sprite_index = sprite;
  if (std::floor(image_index) >= double(ImageNumber())) image_index = 0.0;
  ComputeBoundingBox();
}

void CInstance::SetMask(int sprite) {
  mask_index = sprite;
  ComputeBoundingBox();
}

void CInstance::SetObject(int object) {
  object_index = object;
  const resources::CObject* source = Object();
  if (source == nullptr) return;
  SetSprite(source->sprite);
  mask_index = source->mask;
  depth = source->depth;
  solid = source->solid;
  visible = source->visible;
  persistent = source->persistent;
  ComputeBoundingBox();
}

int CInstance::Alarm(int index) const {
  return index >= 0 && index < kAlarmCount ? alarm[size_t(index)] : -1;
}

void CInstance::SetAlarm(int index, int value) {
  if (index >= 0 && index < kAlarmCount) alarm[size_t(index)] = value;
}

int CInstance::ImageNumber() const {
  const resources::CSprite* sprite = resources::Resources().sprites.Get(sprite_index);
  return sprite != nullptr ? sprite->FrameCount() : 0;
}

namespace {
double ClampedPathPosition(double value) {
  if (std::isnan(value) || value < 0.0) return 0.0;
  return value > 1.0 ? 1.0 : value;
}
}  // namespace

void CInstance::SetPathPosition(double value) { path_position = ClampedPathPosition(value); }

void CInstance::SetPathPositionPrevious(double value) {
  path_positionprevious = ClampedPathPosition(value);
}

void CInstance::ApplyFrictionAndGravity() {
  if (friction != 0.0) {
    const double v = speed;
    const double n = v > 0.0 ? v - friction : v + friction;
    if ((v > 0.0 && n < 0.0) || (v < 0.0 && n > 0.0))
      SetSpeed(0.0);
    else if (v != 0.0)
      SetSpeed(n);
  }
  if (gravity != 0.0) AddMotion(gravity_direction, gravity);
}

void CInstance::CopyFrom(const CInstance& source) {
  if (&source == this) return;
  id = source.id;
  object_index = source.object_index;
  destroyed = source.destroyed;
  active = source.active;
  sprite_index = source.sprite_index;
  image_index = source.image_index;
  image_speed = source.image_speed;
  image_xscale = source.image_xscale;
  image_yscale = source.image_yscale;
  image_angle = source.image_angle;
  image_alpha = source.image_alpha;
  image_blend = source.image_blend;
  mask_index = source.mask_index;
  depth = source.depth;
  precise = source.precise;
  x = source.x;
  y = source.y;
  xstart = source.xstart;
  ystart = source.ystart;
  xprevious = source.xprevious;
  yprevious = source.yprevious;
  direction = source.direction;
  speed = source.speed;
  friction = source.friction;
  gravity_direction = source.gravity_direction;
  gravity = source.gravity;
  hspeed = source.hspeed;
  vspeed = source.vspeed;
  bbox_left = source.bbox_left;
  bbox_top = source.bbox_top;
  bbox_right = source.bbox_right;
  bbox_bottom = source.bbox_bottom;
  visible = source.visible;
  solid = source.solid;
  persistent = source.persistent;
  alarm = source.alarm;
  deactivated = source.deactivated;
  path_index = source.path_index;
  path_position = source.path_position;
  path_positionprevious = source.path_positionprevious;
  path_speed = source.path_speed;
  path_scale = source.path_scale;
  path_orientation = source.path_orientation;
  path_endaction = source.path_endaction;
  path_xorigin = source.path_xorigin;
  path_yorigin = source.path_yorigin;
  timeline_index = source.timeline_index;
  timeline_position = source.timeline_position;
  timeline_speed = source.timeline_speed;
  creation_code = source.creation_code;
  interp::CopyVariables(variables, source.variables);
}

}  // namespace vendrel::runtime
