// The registry of Windows, kept as text files: one INI-like file per root
// key in $XDG_CONFIG_HOME/vendrel/registry/ (or ~/.config/vendrel/registry/),
// e.g. HKEY_CURRENT_USER.ini:
//
//   [Software\Vendrel\12345]
//   name=string:Some text
//   score=real:1250.5
//   Warning=dword:1
//   blob=hex:00FF10
//
// A section is a key path, a line is a value: its name, its type and its
// data. "real" is an 8-byte binary value shown as the double it holds.
// Bytes that would make a line ambiguous or unreadable (line ends, "%",
// non-ASCII bytes, "=" in names, "[" and "]" in key paths, blanks at either
// end) are written as %XX. Key paths and value names compare without case.
// Every change rewrites the whole file atomically (temporary file, fsync,
// rename) under a lock, re-reading it first, so the file is complete after
// every write and games running side by side do not lose each other's
// values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel::platform {

enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot, Users };

struct RegistryValue {
  enum class Type { String, Dword, Binary };
  Type type = Type::String;
  std::string data;    // the text of a string, the bytes of a binary value
  uint32_t dword = 0;  // the number of a dword value
};

// The folder of the store files (not created until something is written).
std::string RegistryStoreDirectory();
// The file that holds [root].
std::string RegistryStoreFile(RegistryRoot root);

// Reads value [name] of [key]; false when the key or value does not exist.
bool RegistryReadValue(RegistryRoot root, std::string_view key, std::string_view name,
                       RegistryValue& value);
// Writes value [name] of [key], creating the key; false when the store
// cannot be written.
bool RegistryWriteValue(RegistryRoot root, std::string_view key, std::string_view name,
                        const RegistryValue& value);
// Creates [key] when it does not exist yet.
bool RegistryCreateKey(RegistryRoot root, std::string_view key);

}  // namespace vendrel::platform
