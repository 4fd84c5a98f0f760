// The path resource built-ins: properties of paths and positions along
// them, new, copied, assigned, appended and deleted paths, and the editing
// of their control points. Positions come from the same code that moves
// instances along paths.
#include <string>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "resources/game_resources.h"
#include "runtime/function_families.h"
#include "runtime/path.h"
#include "runtime/resource_edits.h"

namespace vendrel::runtime {

namespace {

using interp::ArgInt32;
using interp::ArgBool;
using interp::ArgReal;
using resources::CPath;

resources::ResourceTable<CPath>& Paths() { return resources::Resources().paths; }
CPath* PathArg(const interp::RValue& value) { return Paths().Get(ArgInt32(value)); }

VENDREL_BUILTIN(PathName) { result.SetString(Paths().Name(ArgInt32(args[0]))); }
VENDREL_BUILTIN(PathExists) { interp::SetBool(result, PathArg(args[0]) != nullptr); }

// A property of the path; -1 when it does not exist.
template <double (*Field)(const CPath&)>
VENDREL_BUILTIN(PathGetField) {
  const CPath* path = PathArg(args[0]);
  result.SetReal(path != nullptr ? Field(*path) : -1.0);
}
double LengthOf(const CPath& p) { return p.total_length; }
double KindOf(const CPath& p) { return p.kind; }
double ClosedOf(const CPath& p) { return p.closed ? 1.0 : 0.0; }
double PrecisionOf(const CPath& p) { return p.precision; }
double NumberOf(const CPath& p) { return double(p.points.size()); }

// A field of control point n (ind, n); -1 when the path does not exist.
template <double resources::RPathPoint::*Field>
VENDREL_BUILTIN(PathGetPoint) {
  const CPath* path = PathArg(args[0]);
  result.SetReal(path != nullptr ? path->ControlPoint(ArgInt32(args[1])).*Field : -1.0);
}

// A field of the position at fraction pos (ind, pos); -1 when the path
// does not exist.
template <double resources::RComputedPathPoint::*Field>
VENDREL_BUILTIN(PathGetPosition) {
  const CPath* path = PathArg(args[0]);
  result.SetReal(path != nullptr ? PathPosition(*path, ArgReal(args[1])).*Field : -1.0);
}

VENDREL_BUILTIN(PathSetKind) {
  if (CPath* path = PathArg(args[0])) path->SetKind(ArgInt32(args[1]));
}
VENDREL_BUILTIN(PathSetClosed) {
  if (CPath* path = PathArg(args[0])) path->SetClosed(ArgBool(args[1]));
}
VENDREL_BUILTIN(PathSetPrecision) {
  if (CPath* path = PathArg(args[0])) path->SetPrecision(ArgInt32(args[1]));
}

VENDREL_BUILTIN(PathAdd) { result.SetReal(AddEmptyResource(Paths(), kNewPathPrefix)); }

VENDREL_BUILTIN(PathDuplicate) {
  if (PathArg(args[0]) == nullptr) {
    code::ShowRunError("Trying to duplicate non-existing path.", false);
    return;
  }
  result.SetReal(DuplicateResource(Paths(), ArgInt32(args[0]), kNewPathPrefix));
}

VENDREL_BUILTIN(PathAssign) {
  if (!AssignResource(Paths(), ArgInt32(args[0]), ArgInt32(args[1])))
    code::ShowRunError("Error assigning a path.", false);
}

VENDREL_BUILTIN(PathAppend) {
  CPath* path = PathArg(args[0]);
  if (path == nullptr) {
    code::ShowRunError("Appending to non-existing path.", false);
    return;
  }
  const CPath* appended = PathArg(args[1]);
  if (appended == nullptr) {
    code::ShowRunError("Appending a non-existing path.", false);
    return;
  }
  path->Append(*appended);
}

VENDREL_BUILTIN(PathDelete) {
  if (PathArg(args[0]) == nullptr) {
    code::ShowRunError("Trying to delete non-existing path.", false);
    return;
  }
  // Instances that follow the path stop following it at their next step.
  Paths().Remove(ArgInt32(args[0]));
}

// ind, x, y, speed
VENDREL_BUILTIN(PathAddPoint) {
  if (CPath* path = PathArg(args[0]))
    path->AddPoint(ArgReal(args[1]), ArgReal(args[2]), ArgReal(args[3]));
}
// ind, n, x, y, speed
VENDREL_BUILTIN(PathInsertPoint) {
  if (CPath* path = PathArg(args[0]))
    path->InsertPoint(ArgInt32(args[1]), ArgReal(args[2]), ArgReal(args[3]), ArgReal(args[4]));
}
VENDREL_BUILTIN(PathChangePoint) {
  if (CPath* path = PathArg(args[0]))
    path->ChangePoint(ArgInt32(args[1]), ArgReal(args[2]), ArgReal(args[3]), ArgReal(args[4]));
}
VENDREL_BUILTIN(PathDeletePoint) {
  if (CPath* path = PathArg(args[0])) path->DeletePoint(ArgInt32(args[1]));
}
VENDREL_BUILTIN(PathClearPoints) {
  if (CPath* path = PathArg(args[0])) path->ClearPoints();
}
VENDREL_BUILTIN(PathReverse) {
  if (CPath* path = PathArg(args[0])) path->Reverse();
}
VENDREL_BUILTIN(PathMirror) {
  if (CPath* path = PathArg(args[0])) path->Mirror();
}
VENDREL_BUILTIN(PathFlip) {
  if (CPath* path = PathArg(args[0])) path->Flip();
}
VENDREL_BUILTIN(PathRotate) {
  if (CPath* path = PathArg(args[0])) path->Rotate(ArgReal(args[1]));
}
VENDREL_BUILTIN(PathScale) {
  if (CPath* path = PathArg(args[0])) path->Scale(ArgReal(args[1]), ArgReal(args[2]));
}
VENDREL_BUILTIN(PathShift) {
  if (CPath* path = PathArg(args[0])) path->Shift(ArgReal(args[1]), ArgReal(args[2]));
}

using Point = resources::RPathPoint;
using Position = resources::RComputedPathPoint;

}  // namespace

static const code::FunctionTableRow kPathResourceFunctions[] = {
    {"path_name", 1, PathName},
    {"path_get_name", 1, PathName},
    {"path_exists", 1, PathExists},
    {"path_get_length", 1, PathGetField<LengthOf>},
    {"path_get_kind", 1, PathGetField<KindOf>},
    {"path_get_closed", 1, PathGetField<ClosedOf>},
    {"path_get_precision", 1, PathGetField<PrecisionOf>},
    {"path_get_number", 1, PathGetField<NumberOf>},
    {"path_get_point_x", 2, PathGetPoint<&Point::x>},
    {"path_get_point_y", 2, PathGetPoint<&Point::y>},
    {"path_get_point_speed", 2, PathGetPoint<&Point::speed>},
    {"path_get_x", 2, PathGetPosition<&Position::x>},
    {"path_get_y", 2, PathGetPosition<&Position::y>},
    {"path_get_speed", 2, PathGetPosition<&Position::speed>},
    {"path_set_kind", 2, PathSetKind},
    {"path_set_closed", 2, PathSetClosed},
    {"path_set_precision", 2, PathSetPrecision},
    {"path_add", 0, PathAdd},
    {"path_duplicate", 1, PathDuplicate},
    {"path_assign", 2, PathAssign},
    {"path_append", 2, PathAppend},
    {"path_delete", 1, PathDelete},
    {"path_add_point", 4, PathAddPoint},
    {"path_insert_point", 5, PathInsertPoint},
    {"path_change_point", 5, PathChangePoint},
    {"path_delete_point", 2, PathDeletePoint},
    {"path_clear_points", 1, PathClearPoints},
    {"path_reverse", 1, PathReverse},
    {"path_mirror", 1, PathMirror},
    {"path_flip", 1, PathFlip},
    {"path_rotate", 2, PathRotate},
    {"path_scale", 3, PathScale},
    {"path_shift", 3, PathShift},
};

void RegisterPathResourceFunctions() { code::RegisterFamily(kPathResourceFunctions); }

}  // namespace vendrel::runtime
