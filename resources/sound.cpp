#include "resources/sound.h"

#include "resources/record_io.h"

namespace vendrel::resources {

bool CSound::Read(CStream& stream) {
  *this = CSound();
  if (stream.ReadInteger() != kRecordVersion) return false;
  kind = stream.ReadInteger();
  file_type = stream.ReadString();
  file_name = stream.ReadString();
  if (stream.ReadBoolean()) data = std::move(stream.ReadCompressed()->MutableBytes());
  effects = stream.ReadInteger();
  volume = stream.ReadReal();
  pan = stream.ReadReal();
  preload = stream.ReadBoolean();
  return true;
}

void CSound::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteInteger(kind);
  stream.WriteString(file_type);
  stream.WriteString(file_name);
  stream.WriteBoolean(data.has_value());
  if (data) stream.WriteCompressed(*data);
  stream.WriteInteger(effects);
  stream.WriteReal(volume);
  stream.WriteReal(pan);
  stream.WriteBoolean(preload);
}

}  // namespace vendrel::resources
