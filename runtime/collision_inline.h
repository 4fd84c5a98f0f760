// Template definitions of runtime/collision.h.
#pragma once

#include "runtime/game_state.h"

namespace vendrel::runtime {

template <class Visit>
CInstance* FindTarget(int obj, Visit visit) {
  CRunRoom* room = CurrentRoom();
  if (room == nullptr) return nullptr;
  if (obj == kAllInstances) {
    // Lists are read afresh at each position: nothing here runs events, but
    // a caller's visit might.
    for (int i = 0; i < room->ActiveCount(); ++i) {
      CInstance* instance = room->ActiveAt(i);
      if (!instance->destroyed && visit(*instance)) return instance;
    }
  } else if (obj >= kFirstInstanceId) {
    CInstance* instance = room->Find(obj);
    if (instance != nullptr && !instance->destroyed && visit(*instance)) return instance;
  } else if (obj >= 0) {
    for (int i = 0; i < room->FamilyCount(obj); ++i) {
      CInstance* instance = room->FamilyAt(obj, i);
      if (!instance->destroyed && visit(*instance)) return instance;
    }
  }
  return nullptr;
}

template <class Test>
auto AtPosition(CInstance& instance, double x, double y, Test test) {
  const double saved_x = instance.x, saved_y = instance.y;
  instance.SetPosition(x, y);
  auto result = test();
  instance.SetPosition(saved_x, saved_y);
  return result;
}

}  // namespace vendrel::runtime
