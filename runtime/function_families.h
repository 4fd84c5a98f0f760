// The built-in function families of the game runtime.
#pragma once

namespace vendrel::runtime {

// Rooms, game end and restart, saving and loading, sleep, and the instance
// commands (instance_create, instance_destroy, instance_change...).
void RegisterInstanceFunctions();

}  // namespace vendrel::runtime
