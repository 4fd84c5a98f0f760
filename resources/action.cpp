#include "resources/action.h"

#include <algorithm>

#include "code/code.h"
#include "resources/record_io.h"

namespace vendrel::resources {

CAction::CAction() = default;
CAction::~CAction() = default;
CAction::CAction(CAction&&) noexcept = default;
CAction& CAction::operator=(CAction&&) noexcept = default;

bool CAction::Read(CStream& stream) {
  *this = CAction();
  record_version = stream.ReadInteger();
  if (record_version != kRecordVersion) return true;
  first_id = stream.ReadInteger();
  second_id = stream.ReadInteger();
  kind = stream.ReadInteger();
  may_be_relative = stream.ReadBoolean();
  is_question = stream.ReadBoolean();
  applies_to_settable = stream.ReadBoolean();
  execution_type = stream.ReadInteger();
  function_name = stream.ReadString();
  code = stream.ReadString();
  argument_count = stream.ReadInteger();
  kind_count = stream.ReadInteger();
  if (kind_count < 0) kind_count = 0;
  if (kind_count > kMaxArguments) return false;
  for (int i = 0; i < kind_count; ++i) argument_kinds[size_t(i)] = stream.ReadInteger();
  applies_to = stream.ReadInteger();
  relative = stream.ReadBoolean();
  text_count = stream.ReadInteger();
  if (text_count < 0) text_count = 0;
  if (text_count > kMaxArguments) return false;
  for (int i = 0; i < text_count; ++i) argument_texts[size_t(i)] = stream.ReadString();
  not_flag = stream.ReadBoolean();
  return true;
}

void CAction::Write(CStream& stream) const {
  stream.WriteInteger(record_version);
  if (record_version != kRecordVersion) return;
  stream.WriteInteger(first_id);
  stream.WriteInteger(second_id);
  stream.WriteInteger(kind);
  stream.WriteBoolean(may_be_relative);
  stream.WriteBoolean(is_question);
  stream.WriteBoolean(applies_to_settable);
  stream.WriteInteger(execution_type);
  stream.WriteString(function_name);
  stream.WriteString(code);
  stream.WriteInteger(argument_count);
  int kinds = std::clamp(kind_count, 0, kMaxArguments);
  stream.WriteInteger(kinds);
  for (int i = 0; i < kinds; ++i) stream.WriteInteger(argument_kinds[size_t(i)]);
  stream.WriteInteger(applies_to);
  stream.WriteBoolean(relative);
  int texts = std::clamp(text_count, 0, kMaxArguments);
  stream.WriteInteger(texts);
  for (int i = 0; i < texts; ++i) stream.WriteString(argument_texts[size_t(i)]);
  stream.WriteBoolean(not_flag);
}

CAction CAction::MakeCodeAction(std::string code_text) {
  CAction action;
  action.first_id = 1;
  action.second_id = 603;
  action.kind = kActionCode;
  action.applies_to_settable = true;
  action.execution_type = kExecuteCode;
  action.argument_count = 1;
  action.kind_count = 1;
  action.argument_kinds[0] = 1;
  action.text_count = 1;
  action.argument_texts[0] = std::move(code_text);
  return action;
}

}  // namespace vendrel::resources
