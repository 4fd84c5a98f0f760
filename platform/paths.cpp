#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace vendrel::platform {

namespace {

std::string g_working_directory;
std::vector<std::string> g_extra_allowed;

// Windows-1252 bytes 0x80 to 0x9F as Unicode; the five unassigned bytes map
// to the C1 control of the same number, as Windows converts them.
constexpr std::array<uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t AnsiToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

// The Windows-1252 byte for [code_point], or -1 when there is none.
int UnicodeToAnsi(uint32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return int(code_point);
  for (size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == code_point) return int(0x80 + i);
  return -1;
}

void AppendUtf8(std::string& out, uint32_t code_point) {
  if (code_point < 0x80) {
    out.push_back(char(code_point));
  } else if (code_point < 0x800) {
    out.push_back(char(0xC0 | (code_point >> 6)));
    out.push_back(char(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(char(0xE0 | (code_point >> 12)));
    out.push_back(char(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(char(0x80 | (code_point & 0x3F)));
  }
}

// Decodes [text] as UTF-8 into code points; false when it is not valid
// UTF-8 (overlong forms and surrogates included).
bool DecodeUtf8(std::string_view text, std::vector<uint32_t>& code_points) {
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3
                                   : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    uint32_t code_point = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code_point = (code_point << 6) | (next & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code_point < kSmallest[length] || code_point > 0x10FFFF ||
        (code_point >= 0xD800 && code_point <= 0xDFFF))
      return false;
    code_points.push_back(code_point);
    i += length;
  }
  return true;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

unsigned char FoldByte(unsigned char byte) {
  if (byte >= 'A' && byte <= 'Z') return byte + 32;
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return byte + 32;
  switch (byte) {
    case 0x8A: return 0x9A;  // Š
    case 0x8C: return 0x9C;  // Œ
    case 0x8E: return 0x9E;  // Ž
    case 0x9F: return 0xFF;  // Ÿ
    default: return byte;
  }
}

bool EqualFoldingAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

std::string Join(const std::string& directory, std::string_view name) {
  std::string path = directory;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

// Splits [path] at "/" into its components, dropping empty ones and ".",
// and applying ".." lexically (as Windows does), never above the start.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!part.empty() && part != ".") {
      components.emplace_back(part);
    }
    start = end + 1;
  }
  return components;
}

// The entry of [directory] whose name equals [name] without case, either
// as the game spells it (Windows-1252) or byte for byte in UTF-8; when
// several match, the first in byte order. "" when none.
std::string FindIgnoringCase(const std::string& directory, std::string_view name) {
  DIR* listing = ::opendir(directory.c_str());
  if (!listing) return "";
  std::string folded = FoldWindowsCase(name);
  std::string best;
  while (dirent* entry = ::readdir(listing)) {
    std::string_view entry_name = entry->d_name;
    if (entry_name == "." || entry_name == "..") continue;
    bool match = FoldWindowsCase(HostNameToGame(entry_name)) == folded ||
                 EqualFoldingAscii(entry_name, name);
    if (match && (best.empty() || entry_name < best)) best = entry_name;
  }
  ::closedir(listing);
  return best;
}

// [path] made absolute and lexically normal ("/" separated, no "." or "..").
std::string Normalize(const std::string& path) {
  std::string absolute = path;
  if (absolute.empty() || absolute[0] != '/') absolute = Join(GameWorkingDirectory(), path);
  std::string normal;
  for (const std::string& component : Components(absolute)) normal += "/" + component;
  return normal.empty() ? "/" : normal;
}

// [path] with the symbolic links of its longest existing prefix followed.
std::string Canonical(const std::string& path) {
  std::vector<std::string> components = Components(Normalize(path));
  for (size_t keep = components.size() + 1; keep-- > 0;) {
    std::string prefix;
    for (size_t i = 0; i < keep; ++i) prefix += "/" + components[i];
    if (prefix.empty()) prefix = "/";
    char resolved[PATH_MAX];
    if (!::realpath(prefix.c_str(), resolved)) continue;
    std::string result = resolved;
    for (size_t i = keep; i < components.size(); ++i) result = Join(result, components[i]);
    return result;
  }
  return Normalize(path);
}

bool IsWithin(const std::string& path, const std::string& root) {
  if (root == "/") return true;
  return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                          path[root.size()] == '/');
}

// Whether [name] matches [mask] with "*" and "?", comparing folded bytes.
bool MatchFolded(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

void SetGameWorkingDirectory(const std::string& host_directory) {
  g_working_directory.clear();
  g_working_directory = Normalize(host_directory);
}

std::string GameWorkingDirectory() {
  if (g_working_directory.empty()) {
    char buffer[PATH_MAX];
    g_working_directory = ::getcwd(buffer, sizeof buffer) ? buffer : "/";
  }
  return g_working_directory;
}

void SetExtraAllowedDirectories(std::vector<std::string> host_directories) {
  g_extra_allowed = std::move(host_directories);
}

std::string HostNameToGame(std::string_view host_name) {
  if (IsAscii(host_name)) return std::string(host_name);
  std::vector<uint32_t> code_points;
  if (!DecodeUtf8(host_name, code_points)) return std::string(host_name);
  std::string game;
  for (uint32_t code_point : code_points) {
    int byte = UnicodeToAnsi(code_point);
    if (byte < 0) return std::string(host_name);
    game.push_back(char(byte));
  }
  return game;
}

std::string GameNameToHost(std::string_view game_name) {
  std::vector<uint32_t> ignored;
  if (IsAscii(game_name) || DecodeUtf8(game_name, ignored)) return std::string(game_name);
  std::string host;
  for (char c : game_name) AppendUtf8(host, AnsiToUnicode(static_cast<unsigned char>(c)));
  return host;
}

std::string FoldWindowsCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = char(FoldByte(static_cast<unsigned char>(c)));
  return folded;
}

std::string ResolveGamePath(std::string_view game_path) {
  std::string path(game_path);
  std::replace(path.begin(), path.end(), '\\', '/');
  bool absolute;
  unsigned char first = path.empty() ? 0 : static_cast<unsigned char>(path[0]);
  if (path.size() >= 2 && path[1] == ':' && ((first | 32) >= 'a' && (first | 32) <= 'z')) {
    // "C:\dir" is absolute; "C:name" is relative to the current directory.
    path.erase(0, 2);
    absolute = !path.empty() && path[0] == '/';
  } else {
    absolute = !path.empty() && path[0] == '/';
  }
  std::string current = absolute ? "/" : GameWorkingDirectory();
  std::vector<std::string> components = Components(path);
  if (!absolute) {
    // ".." may climb above the working directory: resolve it from the root.
    components = Components(current + "/" + path);
    current = "/";
  }

  // The common case: the name exists exactly as written.
  std::string direct = "/";
  for (const std::string& component : components) direct = Join(direct, component);
  if (Exists(direct)) return direct;

  for (size_t i = 0; i < components.size(); ++i) {
    const std::string& component = components[i];
    std::string candidate = Join(current, component);
    if (Exists(candidate)) {
      current = candidate;
      continue;
    }
    std::string host = GameNameToHost(component);
    if (host != component && Exists(Join(current, host))) {
      current = Join(current, host);
      continue;
    }
    std::string match = FindIgnoringCase(current, component);
    if (!match.empty()) {
      current = Join(current, match);
      continue;
    }
    // Missing from here on: keep the game's spelling so it can be created.
    for (size_t k = i; k < components.size(); ++k)
      current = Join(current, GameNameToHost(components[k]));
    break;
  }
  return current;
}

bool IsInsideAllowedArea(const std::string& host_path) {
  std::string path = Canonical(host_path);
  if (IsWithin(path, Canonical(GameWorkingDirectory()))) return true;
  for (const std::string& root : g_extra_allowed)
    if (!root.empty() && IsWithin(path, Canonical(root))) return true;
  return false;
}

bool MatchesWildcard(std::string_view name, std::string_view mask) {
  std::string folded_name = FoldWindowsCase(name);
  std::string folded_mask = FoldWindowsCase(mask);
  if (folded_mask == "*.*" || folded_mask == "*") return true;
  if (MatchFolded(folded_name, folded_mask)) return true;
  // "name.*" also matches a name without an extension, "name." only one.
  if (folded_mask.size() >= 2 && folded_mask.ends_with(".*") &&
      folded_name.find('.') == std::string::npos)
    return MatchFolded(folded_name, std::string_view(folded_mask).substr(0, folded_mask.size() - 2));
  if (folded_mask.size() >= 2 && folded_mask.back() == '.' && folded_mask != ".." &&
      folded_name.find('.') == std::string::npos)
    return MatchFolded(folded_name, std::string_view(folded_mask).substr(0, folded_mask.size() - 1));
  return false;
}

int ReadFileAttributes(const std::string& host_path) {
  struct stat info;
  if (::stat(host_path.c_str(), &info) != 0 && ::lstat(host_path.c_str(), &info) != 0) return -1;
  int attributes = 0;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttributeReadOnly;
  std::string_view name = host_path;
  while (name.size() > 1 && name.back() == '/') name.remove_suffix(1);
  size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) name = name.substr(slash + 1);
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= kAttributeHidden;
  if (S_ISDIR(info.st_mode)) {
    attributes |= kAttributeDirectory;
  } else if (S_ISREG(info.st_mode)) {
    attributes |= kAttributeArchive;
  } else if (!S_ISLNK(info.st_mode)) {
    attributes |= kAttributeSystem;
  }
  return attributes;
}

std::vector<std::string> FindFiles(std::string_view game_mask, int attributes) {
  std::string mask(game_mask);
  std::replace(mask.begin(), mask.end(), '\\', '/');
  size_t slash = mask.rfind('/');
  std::string directory_part;
  std::string pattern = mask;
  if (slash != std::string::npos) {
    directory_part = mask.substr(0, slash + 1);
    pattern = mask.substr(slash + 1);
  } else if (mask.size() >= 2 && mask[1] == ':') {
    pattern = mask.substr(2);
  }
  std::vector<std::string> names;
  if (pattern.empty()) return names;
  std::string directory = directory_part.empty() ? GameWorkingDirectory()
                                                 : ResolveGamePath(directory_part);
  DIR* listing = ::opendir(directory.c_str());
  if (!listing) return names;
  constexpr int kSpecial =
      kAttributeHidden | kAttributeSystem | kAttributeVolumeId | kAttributeDirectory;
  int excluded = ~attributes & kSpecial;
  std::vector<std::string> dots;
  while (dirent* entry = ::readdir(listing)) {
    std::string host_name = entry->d_name;
    if ((host_name == "." || host_name == "..") && directory == "/") continue;
    std::string name = HostNameToGame(host_name);
    if (!MatchesWildcard(name, pattern)) continue;
    int found = ReadFileAttributes(Join(directory, host_name));
    if (found < 0 || (found & excluded) != 0) continue;
    (host_name == "." || host_name == ".." ? dots : names).push_back(name);
  }
  ::closedir(listing);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    std::string fa = FoldWindowsCase(a), fb = FoldWindowsCase(b);
    return fa != fb ? fa < fb : a < b;
  });
  std::sort(dots.begin(), dots.end());
  names.insert(names.begin(), dots.begin(), dots.end());
  return names;
}

}  // namespace vendrel::platform
