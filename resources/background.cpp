#include "resources/background.h"

#include "resources/record_io.h"

namespace vendrel::resources {

bool CBackground::Read(CStream& stream) {
  *this = CBackground();
  if (stream.ReadInteger() != kRecordVersion) return false;
  width = stream.ReadInteger();
  height = stream.ReadInteger();
  transparent = stream.ReadBoolean();
  smooth = stream.ReadBoolean();
  preload = stream.ReadBoolean();
  if (stream.ReadBoolean()) image = stream.ReadImage();
  return true;
}

void CBackground::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteInteger(width);
  stream.WriteInteger(height);
  stream.WriteBoolean(transparent);
  stream.WriteBoolean(smooth);
  stream.WriteBoolean(preload);
  stream.WriteBoolean(image.has_value());
  if (image) stream.WriteImage(*image);
}

}  // namespace vendrel::resources
