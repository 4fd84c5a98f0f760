// CInstance: a live instance of an object in the current room, and the
// access the interpreter has to the room's instance lists.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "interpreter/variables.h"

namespace vendrel::resources {
class CObject;
}

namespace vendrel::runtime {

// Instance ids start here; smaller owner codes are object indexes.
inline constexpr int kFirstInstanceId = 100000;

inline constexpr int kAlarmCount = 12;

class CInstance {
 public:
  CInstance() = default;
  CInstance(int instance_id, int object) : id(instance_id), object_index(object) {}
  // A complete new instance of [object] at ([x_position], [y_position]):
  // sprite, mask, depth and flags from the object, every other field at its
  // initial value, the bounding box computed (runtime/instance_state.cpp).
  CInstance(int instance_id, int object, double x_position, double y_position);

  int id = 0;
  int object_index = -1;
  // Marked for removal: no longer chosen by with, owners or lookups by id,
  // though it stays in the room's lists until the end of the step.
  bool destroyed = false;
  // Part of the room's active list (deactivated instances are not).
  bool active = true;
  // The instance's user variables (ids 100000 and up).
  interp::CVariableList variables;

  // The fields below are named after the built-in variables that expose
  // them. Setters that keep derived fields in step are the member functions
  // further down; assigning a field directly skips them.
  int sprite_index = -1;
  double image_index = 0.0;
  double image_speed = 1.0;
  double image_xscale = 1.0;
  double image_yscale = 1.0;
  double image_angle = 0.0;
  double image_alpha = 1.0;
  int image_blend = 0xFFFFFF;
  int mask_index = -1;  // -1: sprite_index serves as the mask
  double depth = 0.0;
  bool precise = false;  // taken from the mask sprite with the bounding box
  double x = 0.0, y = 0.0;
  double xstart = 0.0, ystart = 0.0;
  double xprevious = 0.0, yprevious = 0.0;
  double direction = 0.0;  // degrees in [0, 360)
  double speed = 0.0;
  double friction = 0.0;
  double gravity_direction = 270.0;
  double gravity = 0.0;
  double hspeed = 0.0, vspeed = 0.0;
  // Inclusive collision box in room pixels; -100000 without a mask sprite.
  int bbox_left = -100000, bbox_top = -100000, bbox_right = -100000, bbox_bottom = -100000;
  bool visible = true;
  bool solid = false;
  bool persistent = false;
  std::array<int, kAlarmCount> alarm{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  // Requested inactive state; the room moves the instance between its
  // lists when the activation is applied.
  bool deactivated = false;
  int path_index = -1;
  double path_position = 0.0;
  double path_positionprevious = 0.0;
  double path_speed = 0.0;
  double path_scale = 1.0;
  double path_orientation = 0.0;
  int path_endaction = 0;
  double path_xorigin = 0.0, path_yorigin = 0.0;
  int timeline_index = -1;
  double timeline_position = 0.0;
  double timeline_speed = 1.0;
  // Creation code of an instance placed in the room editor.
  std::string creation_code;

  // The object of object_index, or null when it does not exist (looked up
  // each time, so that an object deleted at run time is never dangling).
  resources::CObject* Object() const;
  void ComputeBoundingBox();
  void SetPosition(double new_x, double new_y);
  void SetHSpeed(double value);
  void SetVSpeed(double value);
  void SetDirection(double degrees);
  void SetSpeed(double value);
  void AddMotion(double degrees, double amount);
  void SetImageXScale(double value);
  void SetImageYScale(double value);
  void SetImageAngle(double value);
  void SetSprite(int sprite);
  void SetMask(int sprite);
  // Takes sprite, mask, depth and flags from object [object] when it exists.
  void SetObject(int object);
  int Alarm(int index) const;
  void SetAlarm(int index, int value);
  // Images of sprite_index; 0 when the sprite does not exist.
  int ImageNumber() const;
  void SetPathPosition(double value);
  void SetPathPositionPrevious(double value);
  void ApplyFrictionAndGravity();
  // Takes over every field of [source]; the variables are copied and the
  // bounding box is taken over as it is, not recomputed.
  void CopyFrom(const CInstance& source);
};

// How the interpreter reaches the instances of the current room. The room
// runtime installs these; an entry left empty behaves as an empty room.
// Lists are read by position so that instances created while a with
// statement runs (appended at the end) do not disturb it.
struct InstanceAccess {
  // The room's active list, destroyed instances included.
  int (*active_count)() = nullptr;
  CInstance* (*active_at)(int position) = nullptr;
  // The instances of an object and of its descendants.
  int (*family_count)(int object_index) = nullptr;
  CInstance* (*family_at)(int object_index, int position) = nullptr;
  // The instance with [id] in the active list, or null.
  CInstance* (*find)(int id) = nullptr;
};

InstanceAccess& Instances();

// Counted and positional access through the hooks above.
int ActiveInstanceCount();
CInstance* ActiveInstanceAt(int position);
int FamilyInstanceCount(int object_index);
CInstance* FamilyInstanceAt(int object_index, int position);
// The live (not destroyed) instance with [id], or null.
CInstance* FindLiveInstance(int id);
// The first live instance of the active list, or of an object's family.
CInstance* FirstLiveInstance();
CInstance* FirstLiveFamilyInstance(int object_index);

}  // namespace vendrel::runtime
