// The built-in variables of the game language (x, speed, alarm, score,
// room, view_xview...): 49 instance variables and 100 global ones,
// registered in their fixed order so that their ids are stable.
#pragma once

namespace vendrel::runtime {

// Registers all built-in variables once (later calls do nothing). Must run
// before any game code is compiled.
void RegisterBuiltinVariables();

}  // namespace vendrel::runtime
