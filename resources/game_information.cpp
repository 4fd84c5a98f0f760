#include "resources/game_information.h"

namespace vendrel::resources {

bool GameInformation::Read(runner::CStream& stream) {
  *this = GameInformation();
  if (stream.ReadInteger() != kRecordVersion) return false;
  background_color = stream.ReadInteger();
  in_game_window = stream.ReadBoolean();
  caption = stream.ReadString();
  left = stream.ReadInteger();
  top = stream.ReadInteger();
  width = stream.ReadInteger();
  height = stream.ReadInteger();
  border = stream.ReadBoolean();
  sizeable = stream.ReadBoolean();
  stay_on_top = stream.ReadBoolean();
  modal = stream.ReadBoolean();
  text = std::move(stream.ReadCompressed()->MutableBytes());
  return true;
}

void GameInformation::Write(runner::CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteInteger(background_color);
  stream.WriteBoolean(in_game_window);
  stream.WriteString(caption);
  stream.WriteInteger(left);
  stream.WriteInteger(top);
  stream.WriteInteger(width);
  stream.WriteInteger(height);
  stream.WriteBoolean(border);
  stream.WriteBoolean(sizeable);
  stream.WriteBoolean(stay_on_top);
  stream.WriteBoolean(modal);
  stream.WriteCompressed(text);
}

}  // namespace vendrel::resources
