// Shared pieces of the project format: text conversion between the game's
// Windows-1252 bytes and the project's UTF-8 files, a JSON printer that
// keeps short arrays on one line, checked field access with error messages
// that name the file and the field, and whole-file reads and writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel::vpack {

using Json = nlohmann::ordered_json;

// A fault in a project folder; the message names the file and field.
class ProjectError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Game text (Windows-1252, any byte) to UTF-8. Every byte has a character,
// the five bytes 1252 leaves unassigned their C1 control characters, so
// the conversion can be undone exactly.
std::string Utf8FromGameText(std::string_view text);
// The inverse. Throws ProjectError naming [where] for invalid UTF-8 or a
// character that Windows-1252 cannot hold. A leading byte order mark is
// dropped.
std::string GameTextFromUtf8(std::string_view text, const std::string& where);

// Game code has CR LF line ends, as the editor stores them, while a .code
// file written on Linux has LF ones: a file holding no CR at all gets CR LF
// for every LF, so error positions name the right lines; a file holding any
// CR is taken byte for byte.
std::string GameCodeFromFile(std::string_view file_bytes, const std::string& where);
// The bytes of a .code file that GameCodeFromFile reads back as [code], or
// nothing when no file can: code with LF line ends and no CR at all, which
// must be stored inline instead.
std::optional<std::string> CodeFileFromGameCode(std::string_view code);

// JSON text with two-space indentation; arrays and objects of plain values
// that fit in a line stay on one line. Reals that are not finite are
// written as the strings "nan", "inf" and "-inf".
std::string DumpJson(const Json& value);

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path, const std::string& shown);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// Parses a JSON file; errors name [shown] (the path relative to the project).
Json ReadJsonFile(const std::filesystem::path& path, const std::string& shown);

// Checked access to the fields of one JSON object. Each read marks its
// field as known; Finish() rejects fields nobody read (most often typos).
class Fields {
 public:
  // [file] is the path shown in messages, [folder] the directory that
  // {"file": ...} texts are relative to, [prefix] the field path so far.
  Fields(const Json& object, std::string file, std::filesystem::path folder,
         std::string prefix = "");

  bool Has(const std::string& key) const;
  // The field's value, or null when absent.
  const Json& Get(const std::string& key);

  bool Bool(const std::string& key, bool fallback);
  int32_t Int(const std::string& key, int32_t fallback);
  double Real(const std::string& key, double fallback);
  // An integer, or "#RRGGBB" (stored as the Windows colour 0x00BBGGRR).
  int32_t Color(const std::string& key, int32_t fallback);
  // A UTF-8 string, returned as game text.
  std::string String(const std::string& key, const std::string& fallback);
  // Game text given as a string or as {"file": "name.code"} (relative to
  // the JSON file's folder).
  std::string Text(const std::string& key, const std::string& fallback);

  // Conversions of values that do not sit directly under a key; [field]
  // is the name shown in messages.
  bool AsBool(const Json& value, const std::string& field) const;
  int32_t AsInt(const Json& value, const std::string& field) const;
  double AsReal(const Json& value, const std::string& field) const;
  std::string AsString(const Json& value, const std::string& field) const;
  std::string AsText(const Json& value, const std::string& field) const;

  // Fields of a nested object, for messages like "events[2].actions[0].kind".
  Fields Nested(const Json& object, const std::string& field) const;

  [[noreturn]] void Fail(const std::string& field, const std::string& message) const;
  // Rejects every field that was not read.
  void Finish() const;

  const std::string& file() const { return file_; }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  const Json& object_;
  std::string file_;
  std::filesystem::path folder_;
  std::string prefix_;
  std::set<std::string> used_;
};

// JSON values for writing.
Json ColorJson(int32_t color);
Json RealJson(double value);

}  // namespace vendrel::vpack
