#include "runner/settings.h"

#include "resources/record_io.h"

namespace vendrel::runner {

GameSettings& Settings() {
  static GameSettings settings;
  return settings;
}

bool GameSettings::Read(CStream& stream) {
  Reset();
  if (stream.ReadInteger() != kRecordVersion) return false;
  FullScreen = stream.ReadBoolean();
  Interpolate = stream.ReadBoolean();
  NoBorder = stream.ReadBoolean();
  ShowCursor = stream.ReadBoolean();
  Scaling = stream.ReadInteger();
  AllowResize = stream.ReadBoolean();
  StayOnTop = stream.ReadBoolean();
  WindowColor = stream.ReadInteger();
  SetResolution = stream.ReadBoolean();
  ColorDepth = stream.ReadInteger();
  Resolution = stream.ReadInteger();
  Frequency = stream.ReadInteger();
  NoButtons = stream.ReadBoolean();
  VSync = stream.ReadBoolean();
  KeyFullScreen = stream.ReadBoolean();
  KeyGameInfo = stream.ReadBoolean();
  KeyEndGame = stream.ReadBoolean();
  KeySaveLoad = stream.ReadBoolean();
  Priority = stream.ReadInteger();
  FreezeOnLoseFocus = stream.ReadBoolean();
  ShowProgressBar = stream.ReadBoolean();
  if (ShowProgressBar) {
    ProgressBackImage = stream.ReadBitmap();
    ProgressFrontImage = stream.ReadBitmap();
  }
  LoadingImage = stream.ReadBitmap();
  LoadingImageTransparent = stream.ReadBoolean();
  LoadingImageAlpha = stream.ReadInteger();
  ScaleProgressBar = stream.ReadBoolean();
  ShowErrors = stream.ReadBoolean();
  WriteErrorLog = stream.ReadBoolean();
  AbortOnError = stream.ReadBoolean();
  UninitializedIsZero = stream.ReadBoolean();
  // Each constant is at least two string lengths.
  int32_t count = resources::ReadCount(stream, 8);
  Constants.resize(size_t(count));
  for (GameConstant& constant : Constants) {
    constant.name = stream.ReadString();
    constant.value = stream.ReadString();
  }
  return true;
}

void GameSettings::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteBoolean(FullScreen);
  stream.WriteBoolean(Interpolate);
  stream.WriteBoolean(NoBorder);
  stream.WriteBoolean(ShowCursor);
  stream.WriteInteger(Scaling);
  stream.WriteBoolean(AllowResize);
  stream.WriteBoolean(StayOnTop);
  stream.WriteInteger(WindowColor);
  stream.WriteBoolean(SetResolution);
  stream.WriteInteger(ColorDepth);
  stream.WriteInteger(Resolution);
  stream.WriteInteger(Frequency);
  stream.WriteBoolean(NoButtons);
  stream.WriteBoolean(VSync);
  stream.WriteBoolean(KeyFullScreen);
  stream.WriteBoolean(KeyGameInfo);
  stream.WriteBoolean(KeyEndGame);
  stream.WriteBoolean(KeySaveLoad);
  stream.WriteInteger(Priority);
  stream.WriteBoolean(FreezeOnLoseFocus);
  stream.WriteBoolean(ShowProgressBar);
  if (ShowProgressBar) {
    stream.WriteBitmap(ProgressBackImage);
    stream.WriteBitmap(ProgressFrontImage);
  }
  stream.WriteBitmap(LoadingImage);
  stream.WriteBoolean(LoadingImageTransparent);
  stream.WriteInteger(LoadingImageAlpha);
  stream.WriteBoolean(ScaleProgressBar);
  stream.WriteBoolean(ShowErrors);
  stream.WriteBoolean(WriteErrorLog);
  stream.WriteBoolean(AbortOnError);
  stream.WriteBoolean(UninitializedIsZero);
  stream.WriteInteger(int32_t(Constants.size()));
  for (const GameConstant& constant : Constants) {
    stream.WriteString(constant.name);
    stream.WriteString(constant.value);
  }
}

}  // namespace vendrel::runner
