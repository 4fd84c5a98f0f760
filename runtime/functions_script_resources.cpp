// The script resource built-ins that inspect scripts: name, existence and
// source text. Calling a script (script_execute) belongs to the language's
// code functions.
#include <string>

#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "runtime/function_families.h"

namespace vendrel::runtime {

namespace {

resources::ResourceTable<resources::CScript>& Scripts() { return resources::Resources().scripts; }

VENDREL_BUILTIN(ScriptName) { result.SetString(Scripts().Name(ArgInt32(args[0]))); }
VENDREL_BUILTIN(ScriptExists) { interp::SetBool(result, Scripts().Exists(ArgInt32(args[0]))); }
VENDREL_BUILTIN(ScriptGetText) {
  const resources::CScript* script = Scripts().Get(ArgInt32(args[0]));
  result.SetString(script != nullptr ? script->source : std::string());
}

}  // namespace

static const code::FunctionTableRow kScriptResourceFunctions[] = {
    {"script_name", 1, ScriptName},
    {"script_get_name", 1, ScriptName},
    {"script_exists", 1, ScriptExists},
    {"script_get_text", 1, ScriptGetText},
};

void RegisterScriptResourceFunctions() { code::RegisterFamily(kScriptResourceFunctions); }

}  // namespace vendrel::runtime
