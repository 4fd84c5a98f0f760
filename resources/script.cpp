#include "resources/script.h"

#include "code/code.h"

namespace vendrel::resources {

CScript::CScript() = default;
CScript::~CScript() = default;

bool CScript::Read(runner::CStream& stream) {
  source.clear();
  code.reset();
  if (stream.ReadInteger() != kRecordVersion) return false;
  std::unique_ptr<runner::CStream> text = stream.ReadCompressed();
  text->Unscramble(kTextSeed, 0, 0);
  source = text->ReadString();
  return true;
}

void CScript::Write(runner::CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  runner::CStream text;
  text.WriteString(source);
  text.Scramble(kTextSeed, 0, 0);
  stream.WriteCompressed(text.Bytes());
}

}  // namespace vendrel::resources
