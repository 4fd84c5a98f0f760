#include "resources/object.h"

#include <utility>

#include "resources/record_io.h"

namespace vendrel::resources {

namespace {

// Version 400 implies rows 0 to 8.
constexpr int32_t kOldLastEventType = 8;

}  // namespace

const CEvent* CObject::Event(int type, int number) const {
  if (type < 0 || type >= kEventTypeCount) return nullptr;
  auto found = events[size_t(type)].find(number);
  if (found == events[size_t(type)].end() || found->second.actions.empty()) return nullptr;
  return &found->second;
}

CEvent* CObject::Event(int type, int number) {
  return const_cast<CEvent*>(std::as_const(*this).Event(type, number));
}

CEvent* CObject::EventForWriting(int type, int number) {
  if (type < 0 || type >= kEventTypeCount || number < 0) return nullptr;
  return &events[size_t(type)][number];
}

bool CObject::HasType(int type) const {
  if (type < 0 || type >= kEventTypeCount) return false;
  for (const auto& [number, event] : events[size_t(type)])
    if (!event.actions.empty()) return true;
  return false;
}

bool CObject::Read(CStream& stream) {
  *this = CObject();
  record_version = stream.ReadInteger();
  if (record_version != kRecordVersionOld && record_version != kRecordVersion) return false;
  sprite = stream.ReadInteger();
  solid = stream.ReadBoolean();
  visible = stream.ReadBoolean();
  depth = stream.ReadInteger();
  persistent = stream.ReadBoolean();
  parent = stream.ReadInteger();
  mask = stream.ReadInteger();
  int32_t last_type =
      record_version == kRecordVersion ? stream.ReadInteger() : kOldLastEventType;
  if (last_type < 0) return true;
  if (last_type >= kEventTypeCount) return false;
  // Each row is a run of (number, event) pairs closed by a negative number.
  int type = 0;
  int rows_left = last_type;
  for (;;) {
    int32_t number = stream.ReadInteger();
    if (number >= 0) {
      if (!events[size_t(type)][number].Read(stream)) return false;
    } else {
      if (rows_left == 0) break;
      ++type;
      --rows_left;
    }
  }
  return true;
}

void CObject::Write(CStream& stream) const {
  int last_type = -1;
  for (int type = 0; type < kEventTypeCount; ++type)
    if (!events[size_t(type)].empty()) last_type = type;
  bool old_form = record_version == kRecordVersionOld && last_type <= kOldLastEventType;
  stream.WriteInteger(old_form ? kRecordVersionOld : kRecordVersion);
  stream.WriteInteger(sprite);
  stream.WriteBoolean(solid);
  stream.WriteBoolean(visible);
  stream.WriteInteger(depth);
  stream.WriteBoolean(persistent);
  stream.WriteInteger(parent);
  stream.WriteInteger(mask);
  if (old_form)
    last_type = kOldLastEventType;
  else
    stream.WriteInteger(last_type);
  for (int type = 0; type <= last_type; ++type) {
    for (const auto& [number, event] : events[size_t(type)]) {
      stream.WriteInteger(number);
      event.Write(stream);
    }
    stream.WriteInteger(-1);
  }
}

}  // namespace vendrel::resources
