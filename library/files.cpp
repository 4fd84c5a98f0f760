#include "library/files.h"

#include "library/text_format.h"

namespace vendrel::library {

using Mode = platform::FileHandle::Mode;

// CTextFile ------------------------------------------------------------------

bool CTextFile::Open(const std::string& host_path, Mode mode, State state) {
  file_.Close();
  state_ = state;
  return file_.Open(host_path, mode);
}

bool CTextFile::OpenRead(const std::string& host_path) {
  return Open(host_path, Mode::Read, State::Reading);
}

bool CTextFile::OpenWrite(const std::string& host_path) {
  return Open(host_path, Mode::Write, State::Writing);
}

bool CTextFile::OpenAppend(const std::string& host_path) {
  return Open(host_path, Mode::Append, State::Writing);
}

bool CTextFile::Close() {
  state_ = State::Closed;
  return file_.Close();
}

bool CTextFile::AtEnd() { return !file_.IsOpen() || file_.AtEnd(); }

bool CTextFile::ReadString(std::string& text) {
  if (!file_.IsOpen()) return false;
  text.clear();
  for (int c = file_.Peek(); c >= 0 && c != '\r' && c != '\n'; c = file_.Peek())
    text.push_back(char(file_.Get()));
  return true;
}

bool CTextFile::ReadReal(double& value) {
  if (!file_.IsOpen()) return false;
  // Blanks, tabs, line ends and other control characters come first.
  while (file_.Peek() >= 0 && file_.Peek() <= ' ') file_.Get();
  std::string token;
  while (file_.Peek() > ' ') token.push_back(char(file_.Get()));
  value = 0;
  if (token.empty()) return true;  // the end of the file reads as 0
  return ParseTextReal(token, value);
}

bool CTextFile::ReadLine() {
  if (!file_.IsOpen()) return false;
  int c;
  while ((c = file_.Get()) >= 0) {
    if (c == '\n') break;
    if (c == '\r') {
      if (file_.Peek() == '\n') file_.Get();
      break;
    }
  }
  return true;
}

bool CTextFile::WriteString(std::string_view text) { return file_.Write(text); }

bool CTextFile::WriteReal(double value) { return file_.Write(" " + FormatFixed4(value)); }

bool CTextFile::WriteLine() { return file_.Write("\r\n"); }

// CBinaryFile ----------------------------------------------------------------

bool CBinaryFile::Open(const std::string& host_path, int64_t mode) {
  file_.Close();
  open_ = true;
  path_ = host_path;
  can_read_ = mode != 1;
  can_write_ = mode != 0;
  Mode open_mode = mode == 0 ? Mode::Read : mode == 1 ? Mode::WriteExisting : Mode::ReadWrite;
  return file_.Open(host_path, open_mode);
}

bool CBinaryFile::Rewrite() {
  file_.Close();
  if (!file_.Open(path_, Mode::ReadWriteCreate)) return false;
  can_read_ = can_write_ = true;
  return true;
}

bool CBinaryFile::Close() {
  open_ = false;
  can_read_ = can_write_ = false;
  return file_.Close();
}

bool CBinaryFile::WriteByte(unsigned char byte) {
  return can_write_ && file_.Write(std::string_view(reinterpret_cast<const char*>(&byte), 1),
                                   false);
}

FileTables& Files() {
  static FileTables tables;
  return tables;
}

}  // namespace vendrel::library
