#include "platform/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vendrel::platform {

namespace {

struct StoredValue {
  std::string name;
  std::string encoded;  // "type:data" as in the file
};

struct StoredKey {
  std::string path;
  std::vector<StoredValue> values;
};

using Store = std::vector<StoredKey>;

constexpr const char* kHeader =
    "; Registry values of games run with Vendrel: one section per key, one line per value\n"
    "; (name=type:data). Types: string, dword, real (8 bytes), hex (bytes).\n";

// Holds an flock on the store's lock file while it lives.
class StoreLock {
 public:
  StoreLock(const std::string& directory, bool exclusive) {
    fd_ = ::open((directory + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH);
  }
  ~StoreLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  int fd_ = -1;
};

// [text] with "%", control bytes, non-ASCII bytes, the bytes of [special]
// and blanks at either end written as %XX.
std::string Escape(std::string_view text, std::string_view special) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool edge_blank = (c == ' ' || c == '\t') && (i == 0 || i + 1 == text.size());
    if (c < 0x20 || c >= 0x7F || c == '%' || edge_blank ||
        special.find(char(c)) != std::string_view::npos) {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    } else {
      out += char(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Undoes Escape; a "%" not followed by two hexadecimal digits stays as is.
std::string Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      int high = HexDigit(text[i + 1]);
      int low = HexDigit(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += char(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string Trim(std::string_view text) {
  size_t start = 0, end = text.size();
  while (start < end && (text[start] == ' ' || text[start] == '\t' || text[start] == '\r'))
    ++start;
  while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
    --end;
  return std::string(text.substr(start, end - start));
}

// "\Software\\Vendrel\" and "Software\Vendrel" are the same key.
std::string NormalizeKey(std::string_view key) {
  std::string normal;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string_view::npos) end = key.size();
    if (end > start) {
      if (!normal.empty()) normal += '\\';
      normal += key.substr(start, end - start);
    }
    start = end + 1;
  }
  return normal;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldWindowsCase(a) == FoldWindowsCase(b);
}

Store Parse(const std::string& text) {
  Store store;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']') {
      store.push_back({NormalizeKey(Unescape(std::string_view(line).substr(1, line.size() - 2))), {}});
      continue;
    }
    size_t equals = line.find('=');
    if (store.empty() || equals == std::string::npos) continue;
    store.back().values.push_back({Unescape(line.substr(0, equals)), line.substr(equals + 1)});
  }
  return store;
}

std::string Serialize(const Store& store) {
  std::string text = kHeader;
  for (const StoredKey& key : store) {
    text += "\n[" + Escape(key.path, "[]") + "]\n";
    for (const StoredValue& value : key.values)
      text += Escape(value.name, "=[];") + "=" + value.encoded + "\n";
  }
  return text;
}

std::string Encode(const RegistryValue& value) {
  switch (value.type) {
    case RegistryValue::Type::String:
      return "string:" + Escape(value.data, "");
    case RegistryValue::Type::Dword:
      return "dword:" + std::to_string(value.dword);
    case RegistryValue::Type::Binary:
      break;
  }
  if (value.data.size() == 8) {
    double real;
    std::memcpy(&real, value.data.data(), sizeof real);
    if (!std::isnan(real)) {
      char buffer[64];
      auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, real);
      if (error == std::errc()) return "real:" + std::string(buffer, end);
    }
  }
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "hex:";
  for (char c : value.data) {
    unsigned char byte = static_cast<unsigned char>(c);
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

bool Decode(std::string_view encoded, RegistryValue& value) {
  size_t colon = encoded.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view type = encoded.substr(0, colon);
  std::string_view data = encoded.substr(colon + 1);
  RegistryValue decoded;
  if (type == "string") {
    decoded.type = RegistryValue::Type::String;
    decoded.data = Unescape(data);
  } else if (type == "dword") {
    decoded.type = RegistryValue::Type::Dword;
    auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), decoded.dword);
    if (error != std::errc() || end != data.data() + data.size()) return false;
  } else if (type == "real") {
    double real = 0;
    auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), real);
    if (error != std::errc() || end != data.data() + data.size()) return false;
    decoded.type = RegistryValue::Type::Binary;
    decoded.data.resize(sizeof real);
    std::memcpy(decoded.data.data(), &real, sizeof real);
  } else if (type == "hex") {
    if (data.size() % 2 != 0) return false;
    decoded.type = RegistryValue::Type::Binary;
    for (size_t i = 0; i < data.size(); i += 2) {
      int high = HexDigit(data[i]);
      int low = HexDigit(data[i + 1]);
      if (high < 0 || low < 0) return false;
      decoded.data += char(high * 16 + low);
    }
  } else {
    return false;
  }
  value = std::move(decoded);
  return true;
}

const char* RootFileName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine: return "HKEY_LOCAL_MACHINE.ini";
    case RegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT.ini";
    case RegistryRoot::Users: return "HKEY_USERS.ini";
    case RegistryRoot::CurrentUser: break;
  }
  return "HKEY_CURRENT_USER.ini";
}

Store Load(RegistryRoot root) {
  std::string text;
  if (!ReadWholeFile(RegistryStoreFile(root), text)) return {};
  return Parse(text);
}

StoredKey* FindKey(Store& store, const std::string& path) {
  for (StoredKey& key : store)
    if (SameName(key.path, path)) return &key;
  return nullptr;
}

// Loads the store of [root], lets [change] edit it, and writes it back when
// [change] returns true; all under the exclusive lock.
template <class Change>
bool Modify(RegistryRoot root, Change change) {
  std::string directory = RegistryStoreDirectory();
  if (!CreateDirectories(directory)) return false;
  StoreLock lock(directory, true);
  Store store = Load(root);
  if (!change(store)) return true;
  std::string text = Serialize(store);
  return WriteFileAtomically(RegistryStoreFile(root), text.data(), text.size());
}

}  // namespace

std::string RegistryStoreDirectory() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
      const passwd* user = ::getpwuid(::getuid());
      home = user ? user->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/vendrel/registry";
}

std::string RegistryStoreFile(RegistryRoot root) {
  return RegistryStoreDirectory() + "/" + RootFileName(root);
}

bool RegistryReadValue(RegistryRoot root, std::string_view key, std::string_view name,
                       RegistryValue& value) {
  std::string directory = RegistryStoreDirectory();
  Store store;
  if (IsDirectory(directory)) {
    StoreLock lock(directory, false);
    store = Load(root);
  }
  StoredKey* found = FindKey(store, NormalizeKey(key));
  if (!found) return false;
  for (const StoredValue& stored : found->values)
    if (SameName(stored.name, name)) return Decode(stored.encoded, value);
  return false;
}

bool RegistryWriteValue(RegistryRoot root, std::string_view key, std::string_view name,
                        const RegistryValue& value) {
  std::string path = NormalizeKey(key);
  std::string encoded = Encode(value);
  return Modify(root, [&](Store& store) {
    StoredKey* found = FindKey(store, path);
    if (!found) {
      store.push_back({path, {}});
      found = &store.back();
    }
    for (StoredValue& stored : found->values) {
      if (SameName(stored.name, name)) {
        stored.encoded = encoded;
        return true;
      }
    }
    found->values.push_back({std::string(name), encoded});
    return true;
  });
}

bool RegistryCreateKey(RegistryRoot root, std::string_view key) {
  std::string path = NormalizeKey(key);
  return Modify(root, [&](Store& store) {
    if (FindKey(store, path)) return false;
    store.push_back({path, {}});
    return true;
  });
}

}  // namespace vendrel::platform
