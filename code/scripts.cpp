#include "code/scripts.h"

#include <memory>

#include "code/code.h"
#include "code/errors.h"
#include "resources/game_resources.h"

namespace vendrel::code {

int FindScript(std::string_view name) { return resources::Resources().scripts.Find(name); }

std::string ScriptName(int index) { return resources::Resources().scripts.Name(index); }

bool CompileScripts() {
  auto& scripts = resources::Resources().scripts;
  for (int i = 0; i < scripts.Count(); ++i) {
    resources::CScript* script = scripts.Get(i);
    if (script == nullptr) continue;
    script->code = std::make_unique<CCode>(script->source, false);
    if (!script->code->Compile()) {
      ShowError("COMPILATION ERROR in Script: " + scripts.Name(i) + "\r" + Errors().text, true);
      return false;
    }
  }
  return true;
}

}  // namespace vendrel::code
