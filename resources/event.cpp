#include "resources/event.h"

#include "resources/record_io.h"

namespace vendrel::resources {

bool CEvent::Read(CStream& stream) {
  actions.clear();
  record_version = stream.ReadInteger();
  if (record_version != kRecordVersion) return true;
  // Every action record takes at least its version word.
  int32_t count = ReadCount(stream, 4);
  actions.resize(size_t(count));
  for (CAction& action : actions)
    if (!action.Read(stream)) return false;
  return true;
}

void CEvent::Write(CStream& stream) const {
  stream.WriteInteger(record_version);
  if (record_version != kRecordVersion) return;
  stream.WriteInteger(Count());
  for (const CAction& action : actions) action.Write(stream);
}

}  // namespace vendrel::resources
