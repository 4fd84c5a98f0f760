// The time-line resource built-ins: name and existence, new and deleted
// time lines, and code added to or cleared from their moments.
#include <string>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "runtime/function_families.h"
#include "runtime/resource_edits.h"

namespace vendrel::runtime {

namespace {

using interp::ArgInt32;
using interp::ArgString;

resources::ResourceTable<resources::CTimeLine>& TimeLines() {
  return resources::Resources().time_lines;
}

VENDREL_BUILTIN(TimeLineName) { result.SetString(TimeLines().Name(ArgInt32(args[0]))); }
VENDREL_BUILTIN(TimeLineExists) { interp::SetBool(result, TimeLines().Exists(ArgInt32(args[0]))); }
VENDREL_BUILTIN(TimeLineAdd) { result.SetReal(AddEmptyResource(TimeLines(), kNewTimeLinePrefix)); }

VENDREL_BUILTIN(TimeLineDelete) {
  if (!DeleteTimeLine(ArgInt32(args[0])))
    code::ShowRunError("Trying to delete non-existing timeline.", false);
}

// ind, step
VENDREL_BUILTIN(TimeLineMomentClear) { ClearMoment(ArgInt32(args[0]), ArgInt32(args[1])); }

// ind, step, codestr
VENDREL_BUILTIN(TimeLineMomentAdd) {
  AddMomentCode(ArgInt32(args[0]), ArgInt32(args[1]), ArgString(args[2]));
}

}  // namespace

static const code::FunctionTableRow kTimeLineResourceFunctions[] = {
    {"timeline_name", 1, TimeLineName},
    {"timeline_get_name", 1, TimeLineName},
    {"timeline_exists", 1, TimeLineExists},
    {"timeline_add", 0, TimeLineAdd},
    {"timeline_delete", 1, TimeLineDelete},
    {"timeline_moment_clear", 2, TimeLineMomentClear},
    {"timeline_moment_add", 3, TimeLineMomentAdd},
};

void RegisterTimeLineResourceFunctions() { code::RegisterFamily(kTimeLineResourceFunctions); }

}  // namespace vendrel::runtime
