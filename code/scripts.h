// Lookups in the game's script table and the compilation of every script
// at start-up.
#pragma once

#include <string>
#include <string_view>

namespace vendrel::code {

// The first existing script of that exact name, or -1.
int FindScript(std::string_view name);
// The script's name, or "<undefined>".
std::string ScriptName(int index);
// Compiles every script in slot order. At the first failure shows
// "COMPILATION ERROR in Script: NAME" with the error (aborting) and
// returns false.
bool CompileScripts();

}  // namespace vendrel::code
