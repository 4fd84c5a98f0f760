#include "library/ini_file.h"

#include "platform/paths.h"

namespace vendrel::library {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool Quoted(std::string_view value) {
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
         value.back() == value.front();
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && platform::FoldWindowsCase(a) == platform::FoldWindowsCase(b);
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// CIniDocument ---------------------------------------------------------------

CIniDocument::Line CIniDocument::ParseLine(std::string text) {
  Line line;
  std::string_view trimmed = Trim(text);
  if (!trimmed.empty() && trimmed.front() == '[') {
    size_t close = trimmed.find(']');
    line.kind = Line::Kind::Section;
    line.name = std::string(Trim(trimmed.substr(1, close == std::string_view::npos
                                                       ? std::string_view::npos
                                                       : close - 1)));
  } else if (!trimmed.empty() && trimmed.front() != ';') {
    size_t equals = trimmed.find('=');
    if (equals != std::string_view::npos) {
      line.kind = Line::Kind::Key;
      line.name = std::string(Trim(trimmed.substr(0, equals)));
      std::string_view value = Trim(trimmed.substr(equals + 1));
      if (Quoted(value)) value = value.substr(1, value.size() - 2);
      line.value = std::string(value);
    }
  }
  line.text = std::move(text);
  return line;
}

void CIniDocument::Parse(std::string_view text) {
  lines_.clear();
  byte_order_mark_ = text.starts_with(kByteOrderMark);
  if (byte_order_mark_) text.remove_prefix(kByteOrderMark.size());
  line_end_ = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines_.push_back(ParseLine(std::string(text.substr(start, end - start))));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
}

std::string CIniDocument::Serialize() const {
  std::string text = byte_order_mark_ ? std::string(kByteOrderMark) : "";
  for (const Line& line : lines_) text += line.text + line_end_;
  return text;
}

int64_t CIniDocument::FindSection(std::string_view section) const {
  std::string_view wanted = Trim(section);
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Line::Kind::Section && SameName(lines_[i].name, wanted))
      return int64_t(i);
  return -1;
}

size_t CIniDocument::SectionEnd(size_t header) const {
  size_t end = header + 1;
  while (end < lines_.size() && lines_[end].kind != Line::Kind::Section) ++end;
  return end;
}

int64_t CIniDocument::FindKey(std::string_view section, std::string_view key) const {
  int64_t header = FindSection(section);
  if (header < 0) return -1;
  std::string_view wanted = Trim(key);
  size_t end = SectionEnd(size_t(header));
  for (size_t i = size_t(header) + 1; i < end; ++i)
    if (lines_[i].kind == Line::Kind::Key && SameName(lines_[i].name, wanted)) return int64_t(i);
  return -1;
}

std::optional<std::string> CIniDocument::Read(std::string_view section,
                                              std::string_view key) const {
  int64_t i = FindKey(section, key);
  if (i < 0) return std::nullopt;
  return lines_[size_t(i)].value;
}

bool CIniDocument::SectionExists(std::string_view section) const {
  int64_t header = FindSection(section);
  if (header < 0) return false;
  size_t end = SectionEnd(size_t(header));
  for (size_t i = size_t(header) + 1; i < end; ++i)
    if (lines_[i].kind == Line::Kind::Key) return true;
  return false;
}

bool CIniDocument::KeyExists(std::string_view section, std::string_view key) const {
  return FindKey(section, key) >= 0;
}

void CIniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  std::string stored(value);
  if (Trim(value) != value || Quoted(value)) stored = "\"" + stored + "\"";
  int64_t existing = FindKey(section, key);
  if (existing >= 0) {
    Line& line = lines_[size_t(existing)];
    line = ParseLine(line.name + "=" + stored);
    return;
  }
  Line line = ParseLine(std::string(Trim(key)) + "=" + stored);
  int64_t header = FindSection(section);
  if (header >= 0) {
    // After the section's last key, before trailing blank lines and comments.
    size_t at = size_t(header) + 1;
    size_t end = SectionEnd(size_t(header));
    for (size_t i = at; i < end; ++i)
      if (lines_[i].kind == Line::Kind::Key) at = i + 1;
    lines_.insert(lines_.begin() + std::ptrdiff_t(at), std::move(line));
    return;
  }
  if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(ParseLine(""));
  lines_.push_back(ParseLine("[" + std::string(Trim(section)) + "]"));
  lines_.push_back(std::move(line));
}

bool CIniDocument::DeleteKey(std::string_view section, std::string_view key) {
  int64_t i = FindKey(section, key);
  if (i < 0) return false;
  lines_.erase(lines_.begin() + i);
  return true;
}

bool CIniDocument::DeleteSection(std::string_view section) {
  int64_t header = FindSection(section);
  if (header < 0) return false;
  size_t end = SectionEnd(size_t(header));
  lines_.erase(lines_.begin() + header, lines_.begin() + std::ptrdiff_t(end));
  return true;
}

// CIniFile -------------------------------------------------------------------

void CIniFile::Open(std::string host_path) {
  Close();
  path_ = std::move(host_path);
  open_ = true;
  written_ = false;
  identity_.reset();
  document_ = CIniDocument();
  Refresh();
}

void CIniFile::Close() {
  if (open_ && written_) platform::SyncFile(path_);
  open_ = false;
  written_ = false;
}

void CIniFile::Refresh() {
  platform::FileIdentity identity;
  if (!platform::ReadFileIdentity(path_, identity)) {
    if (identity_) document_ = CIniDocument();  // deleted since
    identity_.reset();
    return;
  }
  if (identity_ && *identity_ == identity) return;
  std::string text;
  document_ = CIniDocument();
  if (platform::ReadWholeFile(path_, text)) document_.Parse(text);
  identity_ = identity;
}

bool CIniFile::Store() {
  if (!platform::ReplaceFileContents(path_, document_.Serialize(), false)) {
    identity_.reset();  // read the file again next time
    return false;
  }
  written_ = true;
  platform::FileIdentity identity;
  if (platform::ReadFileIdentity(path_, identity))
    identity_ = identity;
  else
    identity_.reset();
  return true;
}

std::optional<std::string> CIniFile::Read(std::string_view section, std::string_view key) {
  Refresh();
  return document_.Read(section, key);
}

bool CIniFile::SectionExists(std::string_view section) {
  Refresh();
  return document_.SectionExists(section);
}

bool CIniFile::KeyExists(std::string_view section, std::string_view key) {
  Refresh();
  return document_.KeyExists(section, key);
}

bool CIniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  Refresh();
  document_.Write(section, key, value);
  return Store();
}

bool CIniFile::DeleteKey(std::string_view section, std::string_view key) {
  Refresh();
  return !document_.DeleteKey(section, key) || Store();
}

bool CIniFile::DeleteSection(std::string_view section) {
  Refresh();
  return !document_.DeleteSection(section) || Store();
}

}  // namespace vendrel::library
