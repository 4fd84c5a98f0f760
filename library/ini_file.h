// INI files as Windows reads and writes them: "[section]" lines, then
// "key=value" lines; section and key names compare without case, the first
// of duplicates counts, ";" starts a comment line, blanks around names and
// values are ignored and one pair of enclosing quotes is taken off a value.
//
// CIniDocument keeps every line of the file, so writing a value changes
// that one line and comments, blank lines and unknown lines survive. A
// value that would not read back as written (blanks at either end, or
// enclosed in quotes) is written in double quotes.
//
// CIniFile binds a document to a file: it re-reads the file when it changed
// on disk, and stores every change at once by replacing the file atomically,
// so the file is always complete; Close makes the last change durable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vendrel::library {

class CIniDocument {
 public:
  void Parse(std::string_view text);
  std::string Serialize() const;

  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  // A section counts as existing when it holds at least one key.
  bool SectionExists(std::string_view section) const;
  bool KeyExists(std::string_view section, std::string_view key) const;
  void Write(std::string_view section, std::string_view key, std::string_view value);
  // False when there was nothing to delete.
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);

 private:
  struct Line {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    std::string text;
    std::string name;   // section or key name as written (trimmed)
    std::string value;  // a key's value, trimmed and unquoted
  };
  static Line ParseLine(std::string text);
  // The index of the section's header line, or -1.
  int64_t FindSection(std::string_view section) const;
  // The index just past the section that starts at [header].
  size_t SectionEnd(size_t header) const;
  int64_t FindKey(std::string_view section, std::string_view key) const;

  std::vector<Line> lines_;
  std::string line_end_ = "\n";
  bool byte_order_mark_ = false;
};

class CIniFile {
 public:
  ~CIniFile() { Close(); }

  // Binds to [host_path]; the file need not exist.
  void Open(std::string host_path);
  bool IsOpen() const { return open_; }
  // Makes written changes durable and unbinds.
  void Close();

  std::optional<std::string> Read(std::string_view section, std::string_view key);
  bool SectionExists(std::string_view section);
  bool KeyExists(std::string_view section, std::string_view key);
  // Each returns false when the file could not be written.
  bool Write(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);

 private:
  // Re-reads the file when it is not the one last read or written.
  void Refresh();
  bool Store();

  bool open_ = false;
  bool written_ = false;
  std::string path_;
  CIniDocument document_;
  // The file the document came from; a change on disk makes Refresh read
  // it again.
  std::optional<platform::FileIdentity> identity_;
};

}  // namespace vendrel::library
