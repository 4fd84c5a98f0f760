#include "tools/vpack/project_json.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/files.h"

namespace vendrel::vpack {

namespace fs = std::filesystem;

// Text conversion ---------------------------------------------------------

namespace {

// The characters of bytes 0x80 to 0x9F in Windows-1252; the five bytes
// without one keep their C1 control characters.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CharacterOfByte(uint8_t byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char32_t(byte);
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string Utf8FromGameText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char byte : text) AppendUtf8(out, CharacterOfByte(uint8_t(byte)));
  return out;
}

std::string GameCodeFromFile(std::string_view file_bytes, const std::string& where) {
  std::string code = GameTextFromUtf8(file_bytes, where);
  if (code.find('\r') != std::string::npos) return code;
  std::string with_cr;
  with_cr.reserve(code.size() + code.size() / 16);
  for (char c : code) {
    if (c == '\n') with_cr += '\r';
    with_cr += c;
  }
  return with_cr;
}

std::optional<std::string> CodeFileFromGameCode(std::string_view code) {
  bool has_cr = code.find('\r') != std::string_view::npos;
  if (!has_cr) {
    if (code.find('\n') != std::string_view::npos) return std::nullopt;
    return Utf8FromGameText(code);
  }
  // Only CR LF pairs: the file gets LF line ends and is read back with CR LF.
  bool only_pairs = true;
  for (size_t i = 0; i < code.size() && only_pairs; ++i) {
    if (code[i] == '\r') only_pairs = i + 1 < code.size() && code[i + 1] == '\n';
    if (code[i] == '\n') only_pairs = i > 0 && code[i - 1] == '\r';
  }
  if (!only_pairs) return Utf8FromGameText(code);
  std::string lf;
  lf.reserve(code.size());
  for (char c : code)
    if (c != '\r') lf += c;
  return Utf8FromGameText(lf);
}

std::string GameTextFromUtf8(std::string_view text, const std::string& where) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  auto bad = [&](const std::string& what) -> ProjectError {
    return ProjectError(where + ": " + what + " at byte " + std::to_string(i));
  };
  while (i < text.size()) {
    uint8_t lead = uint8_t(text[i]);
    char32_t c;
    size_t length;
    if (lead < 0x80) {
      c = lead;
      length = 1;
    } else if ((lead & 0xE0) == 0xC0) {
      c = lead & 0x1F;
      length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
      c = lead & 0x0F;
      length = 3;
    } else if ((lead & 0xF8) == 0xF0) {
      c = lead & 0x07;
      length = 4;
    } else {
      throw bad("invalid UTF-8");
    }
    if (i + length > text.size()) throw bad("invalid UTF-8");
    for (size_t k = 1; k < length; ++k) {
      uint8_t next = uint8_t(text[i + k]);
      if ((next & 0xC0) != 0x80) throw bad("invalid UTF-8");
      c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length]) throw bad("invalid UTF-8");
    int byte = -1;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      byte = int(c);
    } else {
      for (size_t k = 0; k < kHighControls.size(); ++k)
        if (kHighControls[k] == c) byte = int(0x80 + k);
    }
    if (byte < 0) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
      throw bad(std::string("character ") + code +
                " cannot be stored in a game (its text is Windows-1252)");
    }
    out += char(byte);
    i += length;
  }
  return out;
}

// JSON printing --------------------------------------------------------------

namespace {

constexpr size_t kLineWidth = 100;

std::string Scalar(const Json& value) {
  if (value.is_number_float() && !std::isfinite(value.get<double>())) {
    double real = value.get<double>();
    return std::isnan(real) ? "\"nan\"" : (real > 0 ? "\"inf\"" : "\"-inf\"");
  }
  return value.dump(-1, ' ', false, Json::error_handler_t::strict);
}

// How deep values nest inside [value]: 0 for a plain value.
int Depth(const Json& value) {
  if (!value.is_structured() || value.empty()) return 0;
  int deepest = 0;
  for (const auto& item : value) deepest = std::max(deepest, Depth(item));
  return deepest + 1;
}

std::string OneLine(const Json& value) {
  if (!value.is_structured()) return Scalar(value);
  std::string out = value.is_array() ? "[" : "{";
  bool first = true;
  for (auto it = value.begin(); it != value.end(); ++it) {
    if (!first) out += ", ";
    first = false;
    if (value.is_object()) out += Json(it.key()).dump() + ": ";
    out += OneLine(*it);
  }
  return out + (value.is_array() ? "]" : "}");
}

// Writes [value] at [indent], the line holding [used] characters already.
// Inner values that fit on the rest of the line and nest at most two deep
// stay on one line; the top level is always laid out.
void Dump(const Json& value, size_t indent, size_t used, std::string& out) {
  if (!value.is_structured() || value.empty()) {
    out += OneLine(value);
    return;
  }
  if (indent > 0 && Depth(value) <= 2) {
    std::string line = OneLine(value);
    if (indent + used + line.size() <= kLineWidth) {
      out += line;
      return;
    }
  }
  std::string pad(indent + 2, ' ');
  out += value.is_array() ? "[\n" : "{\n";
  bool first = true;
  for (auto it = value.begin(); it != value.end(); ++it) {
    if (!first) out += ",\n";
    first = false;
    out += pad;
    size_t key_length = 0;
    if (value.is_object()) {
      std::string key = Json(it.key()).dump() + ": ";
      out += key;
      key_length = key.size();
    }
    Dump(*it, indent + 2, key_length, out);
  }
  out += "\n" + std::string(indent, ' ') + (value.is_array() ? "]" : "}");
}

}  // namespace

std::string DumpJson(const Json& value) {
  std::string out;
  Dump(value, 0, 0, out);
  return out + "\n";
}

// Files ---------------------------------------------------------------------

std::vector<uint8_t> ReadFileBytes(const fs::path& path, const std::string& shown) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ProjectError(shown + ": cannot read the file");
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  if (file.bad()) throw ProjectError(shown + ": cannot read the file");
  return bytes;
}

void WriteFileBytes(const fs::path& path, std::string_view bytes) {
  if (!platform::WriteFileAtomically(path.string(), bytes.data(), bytes.size()))
    throw std::runtime_error("cannot write " + path.string());
}

void WriteFileBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  WriteFileBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Json ReadJsonFile(const fs::path& path, const std::string& shown) {
  std::vector<uint8_t> bytes = ReadFileBytes(path, shown);
  try {
    return Json::parse(bytes.begin(), bytes.end());
  } catch (const Json::exception& error) {
    throw ProjectError(shown + ": " + error.what());
  }
}

// Field access ----------------------------------------------------------------

Fields::Fields(const Json& object, std::string file, fs::path folder, std::string prefix)
    : object_(object), file_(std::move(file)), folder_(std::move(folder)),
      prefix_(std::move(prefix)) {
  if (!object_.is_object()) {
    if (prefix_.empty()) throw ProjectError(file_ + ": expected a JSON object");
    throw ProjectError(file_ + ": field '" + prefix_ + "': expected an object");
  }
}

namespace {

// "a" + "b" is "a.b"; "a" + "[2]" is "a[2]".
std::string JoinPath(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return b.front() == '[' ? a + b : a + "." + b;
}

}  // namespace

void Fields::Fail(const std::string& field, const std::string& message) const {
  throw ProjectError(file_ + ": field '" + JoinPath(prefix_, field) + "': " + message);
}

bool Fields::Has(const std::string& key) const { return object_.contains(key); }

const Json& Fields::Get(const std::string& key) {
  static const Json kNull;
  used_.insert(key);
  auto found = object_.find(key);
  return found == object_.end() ? kNull : *found;
}

bool Fields::AsBool(const Json& value, const std::string& field) const {
  if (!value.is_boolean()) Fail(field, "expected true or false");
  return value.get<bool>();
}

int32_t Fields::AsInt(const Json& value, const std::string& field) const {
  if (value.is_number_integer()) {
    int64_t number = value.get<int64_t>();
    if (value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(INT32_MAX))
      Fail(field, "integer out of range");
    if (number < INT32_MIN || number > INT32_MAX) Fail(field, "integer out of range");
    return int32_t(number);
  }
  Fail(field, "expected an integer");
}

double Fields::AsReal(const Json& value, const std::string& field) const {
  if (value.is_number()) return value.get<double>();
  if (value.is_string()) {
    std::string text = value.get<std::string>();
    if (text == "nan") return std::nan("");
    if (text == "inf") return INFINITY;
    if (text == "-inf") return -INFINITY;
  }
  Fail(field, "expected a number");
}

std::string Fields::AsString(const Json& value, const std::string& field) const {
  if (!value.is_string()) Fail(field, "expected a string");
  return GameTextFromUtf8(value.get<std::string>(),
                          file_ + ": field '" + JoinPath(prefix_, field) + "'");
}

std::string Fields::AsText(const Json& value, const std::string& field) const {
  if (value.is_string()) return AsString(value, field);
  if (value.is_object() && value.size() == 1 && value.contains("file") &&
      value["file"].is_string()) {
    std::string name = value["file"].get<std::string>();
    fs::path path = folder_ / name;
    std::string shown = (fs::path(file_).parent_path() / name).generic_string();
    if (!fs::is_regular_file(path)) Fail(field, "the file " + shown + " does not exist");
    std::vector<uint8_t> bytes = ReadFileBytes(path, shown);
    return GameCodeFromFile(std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                             bytes.size()),
                            shown);
  }
  Fail(field, "expected a string or {\"file\": \"name.code\"}");
}

Fields Fields::Nested(const Json& object, const std::string& field) const {
  return Fields(object, file_, folder_, JoinPath(prefix_, field));
}

bool Fields::Bool(const std::string& key, bool fallback) {
  const Json& value = Get(key);
  return value.is_null() ? fallback : AsBool(value, key);
}

int32_t Fields::Int(const std::string& key, int32_t fallback) {
  const Json& value = Get(key);
  return value.is_null() ? fallback : AsInt(value, key);
}

double Fields::Real(const std::string& key, double fallback) {
  const Json& value = Get(key);
  return value.is_null() ? fallback : AsReal(value, key);
}

int32_t Fields::Color(const std::string& key, int32_t fallback) {
  const Json& value = Get(key);
  if (value.is_null()) return fallback;
  if (value.is_string()) {
    std::string text = value.get<std::string>();
    unsigned red, green, blue;
    char end;
    if (text.size() == 7 && text[0] == '#' &&
        std::sscanf(text.c_str() + 1, "%2x%2x%2x%c", &red, &green, &blue, &end) == 3)
      return int32_t(red | (green << 8) | (blue << 16));
    Fail(key, "expected an integer or a colour \"#RRGGBB\"");
  }
  return AsInt(value, key);
}

std::string Fields::String(const std::string& key, const std::string& fallback) {
  const Json& value = Get(key);
  return value.is_null() ? fallback : AsString(value, key);
}

std::string Fields::Text(const std::string& key, const std::string& fallback) {
  const Json& value = Get(key);
  return value.is_null() ? fallback : AsText(value, key);
}

void Fields::Finish() const {
  for (auto it = object_.begin(); it != object_.end(); ++it)
    if (!used_.count(it.key())) Fail(it.key(), "unknown field");
}

Json ColorJson(int32_t color) {
  if (color < 0 || color > 0xFFFFFF) return color;
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color & 0xFF),
                unsigned((color >> 8) & 0xFF), unsigned((color >> 16) & 0xFF));
  return text;
}

Json RealJson(double value) { return value; }

}  // namespace vendrel::vpack
