// The object resource built-ins: the fields new instances take from their
// object, parents and ancestors, new and deleted objects, and code added to
// or cleared from objects' events while the game runs.
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
using interp::ArgBool;
using interp::ArgString;
using resources::CObject;

resources::ResourceTable<CObject>& Objects() { return resources::Resources().objects; }
CObject* ObjectArg(const interp::RValue& value) { return Objects().Get(ArgInt32(value)); }

VENDREL_BUILTIN(ObjectName) { result.SetString(Objects().Name(ArgInt32(args[0]))); }
VENDREL_BUILTIN(ObjectExists) { interp::SetBool(result, ObjectArg(args[0]) != nullptr); }

// A field of the object; -1 when it does not exist.
template <int (*Field)(const CObject&)>
VENDREL_BUILTIN(ObjectGetField) {
  const CObject* object = ObjectArg(args[0]);
  result.SetReal(object != nullptr ? Field(*object) : -1);
}
int SpriteOf(const CObject& o) { return o.sprite; }
int SolidOf(const CObject& o) { return o.solid ? 1 : 0; }
int VisibleOf(const CObject& o) { return o.visible ? 1 : 0; }
int DepthOf(const CObject& o) { return o.depth; }
int PersistentOf(const CObject& o) { return o.persistent ? 1 : 0; }
int MaskOf(const CObject& o) { return o.mask; }
int ParentOf(const CObject& o) { return o.parent; }

// Setters of fields that instances created afterwards take.
template <int32_t CObject::*Field>
VENDREL_BUILTIN(ObjectSetInteger) {
  if (CObject* object = ObjectArg(args[0])) object->*Field = ArgInt32(args[1]);
}
template <bool CObject::*Field>
VENDREL_BUILTIN(ObjectSetFlag) {
  if (CObject* object = ObjectArg(args[0])) object->*Field = ArgBool(args[1]);
}

// ind1, ind2: whether ind2 is met on the parent chain of ind1. Each parent
// index is compared before it is tested for existence, so -1 (the end of
// every chain) is an ancestor of every object. A chain that loops is
// followed once round.
VENDREL_BUILTIN(ObjectIsAncestor) {
  const CObject* object = ObjectArg(args[0]);
  if (object == nullptr) {
    result.SetReal(-1);
    return;
  }
  const int wanted = ArgInt32(args[1]);
  int parent = object->parent;
  for (int steps = 0; steps <= Objects().Count(); ++steps) {
    if (parent == wanted) {
      result.SetReal(1);
      return;
    }
    const CObject* next = Objects().Get(parent);
    if (next == nullptr) break;
    parent = next->parent;
  }
  result.SetReal(0);
}

VENDREL_BUILTIN(ObjectSetParent) { SetObjectParent(ArgInt32(args[0]), ArgInt32(args[1])); }

VENDREL_BUILTIN(ObjectAdd) { result.SetReal(AddEmptyResource(Objects(), kNewObjectPrefix)); }

VENDREL_BUILTIN(ObjectDelete) {
  if (!DeleteObject(ArgInt32(args[0])))
    code::ShowRunError("Trying to delete non-existing object.", false);
}

// ind, evtype, evnumb
VENDREL_BUILTIN(ObjectEventClear) {
  ClearObjectEvent(ArgInt32(args[0]), ArgInt32(args[1]), ArgInt32(args[2]));
}

// ind, evtype, evnumb, codestr
VENDREL_BUILTIN(ObjectEventAdd) {
  AddObjectEventCode(ArgInt32(args[0]), ArgInt32(args[1]), ArgInt32(args[2]),
                     ArgString(args[3]));
}

}  // namespace

static const code::FunctionTableRow kObjectResourceFunctions[] = {
    {"object_name", 1, ObjectName},
    {"object_get_name", 1, ObjectName},
    {"object_exists", 1, ObjectExists},
    {"object_get_sprite", 1, ObjectGetField<SpriteOf>},
    {"object_get_solid", 1, ObjectGetField<SolidOf>},
    {"object_get_visible", 1, ObjectGetField<VisibleOf>},
    {"object_get_depth", 1, ObjectGetField<DepthOf>},
    {"object_get_persistent", 1, ObjectGetField<PersistentOf>},
    {"object_get_mask", 1, ObjectGetField<MaskOf>},
    {"object_get_parent", 1, ObjectGetField<ParentOf>},
    {"object_is_ancestor", 2, ObjectIsAncestor},
    {"object_set_sprite", 2, ObjectSetInteger<&CObject::sprite>},
    {"object_set_solid", 2, ObjectSetFlag<&CObject::solid>},
    {"object_set_visible", 2, ObjectSetFlag<&CObject::visible>},
    {"object_set_depth", 2, ObjectSetInteger<&CObject::depth>},
    {"object_set_persistent", 2, ObjectSetFlag<&CObject::persistent>},
    {"object_set_mask", 2, ObjectSetInteger<&CObject::mask>},
    {"object_set_parent", 2, ObjectSetParent},
    {"object_add", 0, ObjectAdd},
    {"object_delete", 1, ObjectDelete},
    {"object_event_clear", 3, ObjectEventClear},
    {"object_event_add", 4, ObjectEventAdd},
};

void RegisterObjectResourceFunctions() { code::RegisterFamily(kObjectResourceFunctions); }

}  // namespace vendrel::runtime
