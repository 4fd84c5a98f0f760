// The built-in function families of the game runtime.
#pragma once

namespace vendrel::runtime {

// Rooms, game end and restart, saving and loading, sleep, and the instance
// commands (instance_create, instance_destroy, instance_change...).
void RegisterInstanceFunctions();
// Motion and placement: place_*, move_*, motion_*, distance_*.
void RegisterMotionFunctions();
// path_start and path_end.
void RegisterPathFunctions();
// Searches: collision_*, instance_position, instance_place,
// instance_nearest, instance_furthest, position_*.
void RegisterCollisionFunctions();
// Keyboard, mouse and joystick: keyboard_*, mouse_*, joystick_*, io_*.
void RegisterInputFunctions();
// The resource functions of game code: script_* (but script_execute),
// path_* (but path_start and path_end), timeline_*, object_* and room_*
// (those that change room resources).
void RegisterScriptResourceFunctions();
void RegisterPathResourceFunctions();
void RegisterTimeLineResourceFunctions();
void RegisterObjectResourceFunctions();
void RegisterRoomResourceFunctions();

}  // namespace vendrel::runtime
