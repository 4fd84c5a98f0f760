// The open files of game code: text files read and written by strings,
// numbers and lines (slot 0 for the single file_* file, 1 to 32 for
// file_text_*), binary files read and written byte by byte (1 to 32), the
// directory search and the INI file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/ini_file.h"
#include "platform/file_system.h"

namespace vendrel::library {

class CTextFile {
 public:
  enum class State { Closed = 0, Reading = 1, Writing = 2 };

  State state() const { return state_; }
  // Each open sets the state even when opening fails (the slot then counts
  // as open without a file, and reads and writes fail).
  bool OpenRead(const std::string& host_path);
  bool OpenWrite(const std::string& host_path);
  bool OpenAppend(const std::string& host_path);
  // Flushes what was written to the disk; false when that failed.
  bool Close();

  bool AtEnd();
  // The rest of the current line without its line end ("" at the end).
  bool ReadString(std::string& text);
  // Skips blanks and line ends, then reads one number ("." decimal
  // separator); 0 at the end of the file; false for a malformed number.
  bool ReadReal(double& value);
  // Moves to the start of the next line (line ends: CR LF, LF or CR).
  bool ReadLine();
  bool WriteString(std::string_view text);
  // A blank and the value with 4 decimals (FormatFixed4).
  bool WriteReal(double value);
  // Writes CR LF, the line end of the system games were made for.
  bool WriteLine();

 private:
  bool Open(const std::string& host_path, platform::FileHandle::Mode mode, State state);

  State state_ = State::Closed;
  platform::FileHandle file_;
};

class CBinaryFile {
 public:
  bool is_open() const { return open_; }
  // Opens an existing file: [mode] 0 reads, 1 writes, any other both. The
  // slot counts as open even when that fails.
  bool Open(const std::string& host_path, int64_t mode);
  // Empties the file (creating it when it is missing) and moves to its start.
  bool Rewrite();
  bool Close();
  int64_t Size() { return file_.IsOpen() ? file_.Size() : -1; }
  int64_t Position() { return file_.IsOpen() ? file_.Position() : -1; }
  bool Seek(int64_t position) { return file_.Seek(position); }
  // The next byte 0..255, or -1 at the end or on an error.
  int ReadByte() { return can_read_ ? file_.Get() : -1; }
  bool WriteByte(unsigned char byte);

 private:
  bool open_ = false;
  bool can_read_ = false;
  bool can_write_ = false;
  std::string path_;
  platform::FileHandle file_;
};

struct FileTables {
  static constexpr int kMaxFiles = 32;
  std::array<CTextFile, kMaxFiles + 1> text;      // 0: file_*, 1..32: file_text_*
  std::array<CBinaryFile, kMaxFiles + 1> binary;  // 1..32
  std::vector<std::string> found;                 // the open directory search
  size_t next_found = 0;
  bool search_open = false;
  CIniFile ini;
};

FileTables& Files();

}  // namespace vendrel::library
