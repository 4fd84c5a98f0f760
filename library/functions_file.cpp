// The file functions of game code: binary and text files, the file system
// and file names, programs, the command line and environment, the registry
// and INI files. Handlers check and convert their arguments, apply the
// secure-mode refusals and report failures; library/files.h, ini_file.h and
// the platform layer do the work. Game file names are Windows names:
// platform::ResolveGamePath maps them onto the host.
#include <cstring>

#include "code/errors.h"
#include "code/function_registry.h"
#include "library/arguments.h"
#include "library/files.h"
#include "library/library.h"
#include "library/text_format.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry_store.h"
#include "runtime/game_state.h"

namespace vendrel::library {

namespace {

using interp::RValue;
using platform::RegistryRoot;
using platform::RegistryValue;

struct FileFunctionState {
  std::vector<std::string> parameters;
  int64_t game_id = 0;
  void (*wait_callback)() = nullptr;
  RegistryRoot registry_root = RegistryRoot::CurrentUser;
};

FileFunctionState& State() {
  static FileFunctionState state;
  return state;
}

void Error(const std::string& message) { code::ShowRunError(message, false); }

std::string Resolve(const std::string& name) { return platform::ResolveGamePath(name); }

// Secure mode refuses names with a folder part, and names that lead outside
// the working directory (a symbolic link), for operations that write.
bool RefusedInSecureMode(const std::string& name, const std::string& message) {
  if (!runtime::Game().secure_mode) return false;
  if (!HasFolderPart(name) && platform::IsInsideAllowedArea(Resolve(name))) return false;
  Error(message);
  return true;
}

// Binary files ---------------------------------------------------------------

constexpr const char* kMaximumExceeded = "Cannot open another file (maximum exceeded).";
constexpr const char* kNotOpened = "File is not opened.";

// The lowest free slot from 1, or 0 after reporting that none is free.
template <class Slots, class IsFree>
int FreeSlot(Slots& slots, IsFree is_free) {
  for (int id = 1; id <= FileTables::kMaxFiles; ++id)
    if (is_free(slots[size_t(id)])) return id;
  Error(kMaximumExceeded);
  return 0;
}

// The open binary file [id], or nullptr after reporting [message].
CBinaryFile* OpenBinary(const RValue& id, const char* message = kNotOpened) {
  int64_t index = ArgInt(id);
  if (index >= 1 && index <= FileTables::kMaxFiles && Files().binary[size_t(index)].is_open())
    return &Files().binary[size_t(index)];
  Error(message);
  return nullptr;
}

VENDREL_BUILTIN(FileBinOpen) {
  const std::string& name = ArgString(args[0]);
  int64_t mode = ArgInt(args[1]);
  // Binary files may use folders in secure mode, but not write outside the
  // working directory.
  if (mode != 0 && runtime::Game().secure_mode && !platform::IsInsideAllowedArea(Resolve(name))) {
    Error("In secure mode you cannot write file " + name);
    return;
  }
  int id = FreeSlot(Files().binary, [](const CBinaryFile& file) { return !file.is_open(); });
  if (id == 0) return;
  if (!Files().binary[size_t(id)].Open(Resolve(name), mode)) Error("Error opening binary file.");
  result.SetReal(id);
}

VENDREL_BUILTIN(FileBinRewrite) {
  if (CBinaryFile* file = OpenBinary(args[0], "Trying to rewrite unopened file."))
    if (!file->Rewrite()) Error("Error rewriting file.");
}

VENDREL_BUILTIN(FileBinClose) {
  if (CBinaryFile* file = OpenBinary(args[0], "Trying to close unopened file."))
    if (!file->Close()) Error("Error closing file.");
}

VENDREL_BUILTIN(FileBinSize) {
  if (CBinaryFile* file = OpenBinary(args[0])) {
    int64_t size = file->Size();
    if (size < 0)
      Error("Error retrieving file size.");
    else
      result.SetReal(double(size));
  }
}

VENDREL_BUILTIN(FileBinPosition) {
  if (CBinaryFile* file = OpenBinary(args[0])) {
    int64_t position = file->Position();
    if (position < 0)
      Error("Error retrieving file position.");
    else
      result.SetReal(double(position));
  }
}

VENDREL_BUILTIN(FileBinSeek) {
  if (CBinaryFile* file = OpenBinary(args[0]))
    if (!file->Seek(ArgInt(args[1]))) Error("Error seeking.");
}

VENDREL_BUILTIN(FileBinReadByte) {
  if (CBinaryFile* file = OpenBinary(args[0])) {
    int byte = file->ReadByte();
    if (byte < 0)
      Error("Error reading byte.");
    else
      result.SetReal(byte);
  }
}

VENDREL_BUILTIN(FileBinWriteByte) {
  if (CBinaryFile* file = OpenBinary(args[0])) {
    // round(byte) modulo 256, negative values wrapping as two's complement.
    auto byte = static_cast<unsigned char>(uint64_t(ArgInt(args[1])) & 0xFF);
    if (!file->WriteByte(byte)) Error("Error writing byte.");
  }
}

// Text files -----------------------------------------------------------------

constexpr const char* kNotForReading = "File is not opened for reading.";
constexpr const char* kNotForWriting = "File not opened for writing.";
constexpr const char* kWriteFailed = "Error writing to file.";

// Text file [id] (0..32) when it is in [state], else nullptr after
// reporting [message].
CTextFile* TextFile(int64_t id, CTextFile::State state, const char* message) {
  if (id >= 0 && id <= FileTables::kMaxFiles && Files().text[size_t(id)].state() == state)
    return &Files().text[size_t(id)];
  Error(message);
  return nullptr;
}

CTextFile* Reading(const RValue& id) {
  return TextFile(ArgInt(id), CTextFile::State::Reading, kNotForReading);
}
CTextFile* Writing(const RValue& id) {
  return TextFile(ArgInt(id), CTextFile::State::Writing, kNotForWriting);
}

int FreeTextSlot() {
  return FreeSlot(Files().text,
                  [](const CTextFile& file) { return file.state() == CTextFile::State::Closed; });
}

// Opening for writing or appending; [appending] picks the messages.
int OpenTextForWriting(CTextFile& file, const std::string& name, bool appending) {
  std::string host = Resolve(name);
  bool opened = appending ? file.OpenAppend(host) : file.OpenWrite(host);
  if (!opened)
    Error(appending ? "Error opening file for appending." : "Error opening file for writing.");
  return opened;
}

VENDREL_BUILTIN(FileTextOpenRead) {
  int id = FreeTextSlot();
  if (id == 0) return;
  std::string host = Resolve(ArgString(args[0]));
  if (!platform::IsRegularFile(host)) return;  // a missing file: 0, no message
  if (!Files().text[size_t(id)].OpenRead(host)) Error("Error opening file for reading.");
  result.SetReal(id);
}

template <bool appending>
VENDREL_BUILTIN(FileTextOpenWriting) {
  int id = FreeTextSlot();
  if (id == 0) return;
  const std::string& name = ArgString(args[0]);
  std::string refusal = appending ? "In secure mode you cannot append to file "
                                  : "In secure mode you cannot write file ";
  if (RefusedInSecureMode(name, refusal + name)) return;
  OpenTextForWriting(Files().text[size_t(id)], name, appending);
  result.SetReal(id);
}

VENDREL_BUILTIN(FileTextClose) {
  int64_t id = ArgInt(args[0]);
  if (id < 1 || id > FileTables::kMaxFiles) {
    Error("Trying to close unexisting text file.");
    return;
  }
  CTextFile& file = Files().text[size_t(id)];
  if (file.state() != CTextFile::State::Closed && !file.Close()) Error("Error closing file.");
}

VENDREL_BUILTIN(FileTextEof) {
  if (CTextFile* file = Reading(args[0])) SetBool(result, file->AtEnd());
}

void ReadStringInto(CTextFile* file, RValue& result) {
  std::string text;
  if (!file) return;
  if (file->ReadString(text))
    result.SetString(std::move(text));
  else
    Error("Error reading string.");
}

void ReadRealInto(CTextFile* file, RValue& result) {
  double value = 0;
  if (!file) return;
  if (file->ReadReal(value))
    result.SetReal(value);
  else
    Error("Error reading real.");
}

void ReadLineOf(CTextFile* file) {
  if (file && !file->ReadLine()) Error("Error reading line.");
}

VENDREL_BUILTIN(FileTextReadString) { ReadStringInto(Reading(args[0]), result); }
VENDREL_BUILTIN(FileTextReadReal) { ReadRealInto(Reading(args[0]), result); }
VENDREL_BUILTIN(FileTextReadln) { ReadLineOf(Reading(args[0])); }

VENDREL_BUILTIN(FileTextWriteString) {
  if (CTextFile* file = Writing(args[0]))
    if (!file->WriteString(ArgString(args[1]))) Error(kWriteFailed);
}
VENDREL_BUILTIN(FileTextWriteReal) {
  if (CTextFile* file = Writing(args[0]))
    if (!file->WriteReal(ArgReal(args[1]))) Error(kWriteFailed);
}
VENDREL_BUILTIN(FileTextWriteln) {
  if (CTextFile* file = Writing(args[0]))
    if (!file->WriteLine()) Error(kWriteFailed);
}

// The single text file of the file_* functions (slot 0).

CTextFile& SingleFile() { return Files().text[0]; }

void CloseSingleFile() {
  if (SingleFile().state() != CTextFile::State::Closed && !SingleFile().Close())
    Error("Error closing file.");
}

// Slot 0 when it is in [state], else nullptr after reporting [message].
CTextFile* SingleIn(CTextFile::State state, const char* message) {
  if (SingleFile().state() == state) return &SingleFile();
  Error(message);
  return nullptr;
}

constexpr const char* kSingleNotForReading = "File not opened for reading.";

VENDREL_BUILTIN(FileOpenRead) {
  CloseSingleFile();
  std::string host = Resolve(ArgString(args[0]));
  if (!platform::IsRegularFile(host)) return;
  if (!SingleFile().OpenRead(host)) Error("Error opening file for reading.");
}

template <bool appending>
VENDREL_BUILTIN(FileOpenWriting) {
  CloseSingleFile();
  const std::string& name = ArgString(args[0]);
  std::string refusal = appending ? "In secure mode you cannot append to file "
                                  : "In secure mode you cannot write file ";
  if (RefusedInSecureMode(name, refusal + name)) return;
  OpenTextForWriting(SingleFile(), name, appending);
}

VENDREL_BUILTIN(FileClose) { CloseSingleFile(); }

VENDREL_BUILTIN(FileEof) {
  if (CTextFile* file = SingleIn(CTextFile::State::Reading, kNotForReading))
    SetBool(result, file->AtEnd());
}
VENDREL_BUILTIN(FileReadString) {
  ReadStringInto(SingleIn(CTextFile::State::Reading, kSingleNotForReading), result);
}
VENDREL_BUILTIN(FileReadReal) {
  ReadRealInto(SingleIn(CTextFile::State::Reading, kSingleNotForReading), result);
}
VENDREL_BUILTIN(FileReadln) {
  ReadLineOf(SingleIn(CTextFile::State::Reading, kSingleNotForReading));
}
VENDREL_BUILTIN(FileWriteString) {
  if (CTextFile* file = SingleIn(CTextFile::State::Writing, kNotForWriting))
    if (!file->WriteString(ArgString(args[0]))) Error(kWriteFailed);
}
VENDREL_BUILTIN(FileWriteReal) {
  if (CTextFile* file = SingleIn(CTextFile::State::Writing, kNotForWriting))
    if (!file->WriteReal(ArgReal(args[0]))) Error(kWriteFailed);
}
VENDREL_BUILTIN(FileWriteln) {
  if (CTextFile* file = SingleIn(CTextFile::State::Writing, kNotForWriting))
    if (!file->WriteLine()) Error(kWriteFailed);
}

// File system ----------------------------------------------------------------

VENDREL_BUILTIN(FileExists) {
  SetBool(result, platform::IsRegularFile(Resolve(ArgString(args[0]))));
}

VENDREL_BUILTIN(FileDelete) {
  const std::string& name = ArgString(args[0]);
  if (RefusedInSecureMode(name, "In Secure mode you cannot delete file " + name)) return;
  platform::RemoveFile(Resolve(name));
}

VENDREL_BUILTIN(FileRename) {
  const std::string& from = ArgString(args[0]);
  const std::string& to = ArgString(args[1]);
  std::string refusal = "In Secure mode you cannot rename file " + from + " into " + to;
  if (RefusedInSecureMode(from, refusal) || RefusedInSecureMode(to, refusal)) return;
  std::string source = Resolve(from);
  std::string target = Resolve(to);
  if (platform::SameFile(source, target)) {
    // Only the case differs ("a.txt" into "A.txt"): the new spelling.
    size_t slash = target.rfind('/');
    target = target.substr(0, slash + 1) + platform::GameNameToHost(FileNameName(to));
    if (target == source) return;
  }
  platform::RenameWithoutReplacing(source, target);
}

VENDREL_BUILTIN(FileCopy) {
  const std::string& from = ArgString(args[0]);
  const std::string& to = ArgString(args[1]);
  std::string refusal = "In Secure mode you cannot copy file " + from + " to " + to;
  if (RefusedInSecureMode(from, refusal) || RefusedInSecureMode(to, refusal)) return;
  platform::CopyFileAtomically(Resolve(from), Resolve(to));
}

VENDREL_BUILTIN(DirectoryExists) {
  SetBool(result, platform::IsDirectory(Resolve(ArgString(args[0]))));
}

VENDREL_BUILTIN(DirectoryCreate) {
  const std::string& name = ArgString(args[0]);
  if (RefusedInSecureMode(name, "In Secure mode you cannot create directory " + name)) return;
  platform::CreateDirectories(Resolve(name));
}

VENDREL_BUILTIN(FileFindFirst) {
  FileTables& files = Files();
  files.found = platform::FindFiles(ArgString(args[0]), int(ArgInt(args[1])));
  files.search_open = !files.found.empty();
  files.next_found = 0;
  if (files.search_open) result.SetString(files.found[files.next_found++]);
  else result.SetString("");
}

VENDREL_BUILTIN(FileFindNext) {
  FileTables& files = Files();
  if (files.search_open && files.next_found < files.found.size())
    result.SetString(files.found[files.next_found++]);
  else
    result.SetString("");
}

VENDREL_BUILTIN(FileFindClose) {
  Files().found.clear();
  Files().next_found = 0;
  Files().search_open = false;
}

VENDREL_BUILTIN(FileAttributes) {
  int attributes = platform::ReadFileAttributes(Resolve(ArgString(args[0])));
  if (attributes < 0)
    result.SetReal(-1);
  else
    SetBool(result, (attributes & ArgInt(args[1])) != 0);
}

VENDREL_BUILTIN(FilenameName) { result.SetString(FileNameName(ArgString(args[0]))); }
VENDREL_BUILTIN(FilenamePath) { result.SetString(FileNamePath(ArgString(args[0]))); }
VENDREL_BUILTIN(FilenameDir) { result.SetString(FileNameDir(ArgString(args[0]))); }
VENDREL_BUILTIN(FilenameDrive) { result.SetString(FileNameDrive(ArgString(args[0]))); }
VENDREL_BUILTIN(FilenameExt) { result.SetString(FileNameExt(ArgString(args[0]))); }
VENDREL_BUILTIN(FilenameChangeExt) {
  result.SetString(FileNameChangeExt(ArgString(args[0]), ArgString(args[1])));
}

// Programs -------------------------------------------------------------------

// [program] without surrounding blanks and quotes.
std::string ProgramName(const std::string& program) {
  size_t start = program.find_first_not_of(" \t");
  size_t end = program.find_last_not_of(" \t");
  if (start == std::string::npos) return "";
  std::string name = program.substr(start, end - start + 1);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    name = name.substr(1, name.size() - 2);
  return name;
}

// The program file for a Windows program name: the file as named (relative
// to the working directory), the same without a Windows program extension
// ("tool.exe" runs "tool"), or for a bare name the program on $PATH.
std::string LocateProgram(const std::string& name) {
  if (name.empty()) return "";
  std::string resolved = Resolve(name);
  if (platform::IsRegularFile(resolved)) return resolved;
  std::string stripped = name;
  std::string extension = platform::FoldWindowsCase(FileNameExt(name));
  if (extension == ".exe" || extension == ".com" || extension == ".bat" || extension == ".cmd") {
    stripped = name.substr(0, name.size() - extension.size());
    std::string without = Resolve(stripped);
    if (platform::IsRegularFile(without)) return without;
  }
  if (HasFolderPart(name)) return "";
  for (const std::string& candidate : {name, stripped, platform::FoldWindowsCase(stripped)}) {
    std::string found = platform::FindOnPath(candidate);
    if (!found.empty()) return found;
  }
  return "";
}

bool IsAddress(const std::string& name) {
  std::string folded = platform::FoldWindowsCase(name);
  return folded.find("://") != std::string::npos || folded.starts_with("www.") ||
         folded.starts_with("mailto:");
}

VENDREL_BUILTIN(ExecuteProgram) {
  const std::string& program = ArgString(args[0]);
  if (runtime::Game().secure_mode) {
    Error("In Secure mode you cannot execute program " + program);
    return;
  }
  std::string path = LocateProgram(ProgramName(program));
  if (path.empty() ||
      !platform::StartProgram(path, platform::SplitCommandLine(ArgString(args[1])),
                              platform::GameWorkingDirectory(), ArgBool(args[2]),
                              State().wait_callback))
    Error("Cannot execute " + program);
}

VENDREL_BUILTIN(ExecuteShell) {
  const std::string& program = ArgString(args[0]);
  if (runtime::Game().secure_mode) {
    Error("In Secure mode you cannot execute program " + program);
    return;
  }
  std::string name = ProgramName(program);
  std::string directory = platform::GameWorkingDirectory();
  std::vector<std::string> arguments = platform::SplitCommandLine(ArgString(args[1]));
  bool started = false;
  if (name.empty()) {
    started = false;
  } else if (IsAddress(name)) {
    started = platform::OpenDocument(name, directory);
  } else {
    std::string resolved = Resolve(name);
    if (platform::IsExecutableFile(resolved)) {
      started = platform::StartProgram(resolved, arguments, directory, false, nullptr);
    } else if (platform::IsRegularFile(resolved) || platform::IsDirectory(resolved)) {
      started = platform::OpenDocument(resolved, directory);
    } else {
      std::string path = LocateProgram(name);
      started = !path.empty() && platform::StartProgram(path, arguments, directory, false, nullptr);
    }
  }
  if (!started) Error("Cannot execute " + program);
}

VENDREL_BUILTIN(ParameterCount) {
  size_t count = State().parameters.size();
  result.SetReal(count > 0 ? double(count - 1) : 0.0);
}

VENDREL_BUILTIN(ParameterString) {
  int64_t n = ArgInt(args[0]);
  const std::vector<std::string>& parameters = State().parameters;
  result.SetString(n >= 0 && n < int64_t(parameters.size()) ? parameters[size_t(n)] : "");
}

VENDREL_BUILTIN(EnvironmentGetVariable) {
  result.SetString(platform::EnvironmentVariable(ArgString(args[0])));
}

// Registry -------------------------------------------------------------------

std::string GameKey() { return "Software\\Vendrel\\" + std::to_string(State().game_id); }

RegistryValue StringValue(const std::string& text) {
  RegistryValue value;
  value.type = RegistryValue::Type::String;
  value.data = text;
  return value;
}

// A real is stored as the 8 bytes of its IEEE double.
RegistryValue RealValue(double real) {
  RegistryValue value;
  value.type = RegistryValue::Type::Binary;
  value.data.resize(sizeof real);
  std::memcpy(value.data.data(), &real, sizeof real);
  return value;
}

// Values of another type read as "" or 0.
void ReadStringValue(RegistryRoot root, const std::string& key, const std::string& name,
                     RValue& result) {
  RegistryValue value;
  bool found = platform::RegistryReadValue(root, key, name, value) &&
               value.type == RegistryValue::Type::String;
  result.SetString(found ? value.data : "");
}

void ReadRealValue(RegistryRoot root, const std::string& key, const std::string& name,
                   RValue& result) {
  RegistryValue value;
  double real = 0;
  if (platform::RegistryReadValue(root, key, name, value) &&
      value.type == RegistryValue::Type::Binary && value.data.size() == sizeof real)
    std::memcpy(&real, value.data.data(), sizeof real);
  result.SetReal(real);
}

VENDREL_BUILTIN(RegistryWriteString) {
  platform::RegistryWriteValue(RegistryRoot::CurrentUser, GameKey(), ArgString(args[0]),
                               StringValue(ArgString(args[1])));
}
VENDREL_BUILTIN(RegistryWriteReal) {
  platform::RegistryWriteValue(RegistryRoot::CurrentUser, GameKey(), ArgString(args[0]),
                               RealValue(ArgReal(args[1])));
}
VENDREL_BUILTIN(RegistryReadString) {
  ReadStringValue(RegistryRoot::CurrentUser, GameKey(), ArgString(args[0]), result);
}
VENDREL_BUILTIN(RegistryReadReal) {
  ReadRealValue(RegistryRoot::CurrentUser, GameKey(), ArgString(args[0]), result);
}
VENDREL_BUILTIN(RegistryExists) {
  platform::RegistryCreateKey(RegistryRoot::CurrentUser, GameKey());
  RegistryValue value;
  SetBool(result,
          platform::RegistryReadValue(RegistryRoot::CurrentUser, GameKey(), ArgString(args[0]),
                                      value));
}

bool RefusedRegistryWrite(const std::string& key) {
  if (!runtime::Game().secure_mode) return false;
  Error("In Secure mode you cannot write registry entries in " + key);
  return true;
}

VENDREL_BUILTIN(RegistryWriteStringExt) {
  const std::string& key = ArgString(args[0]);
  if (RefusedRegistryWrite(key)) return;
  platform::RegistryWriteValue(State().registry_root, key, ArgString(args[1]),
                               StringValue(ArgString(args[2])));
}
VENDREL_BUILTIN(RegistryWriteRealExt) {
  const std::string& key = ArgString(args[0]);
  if (RefusedRegistryWrite(key)) return;
  platform::RegistryWriteValue(State().registry_root, key, ArgString(args[1]),
                               RealValue(ArgReal(args[2])));
}
VENDREL_BUILTIN(RegistryReadStringExt) {
  ReadStringValue(State().registry_root, ArgString(args[0]), ArgString(args[1]), result);
}
VENDREL_BUILTIN(RegistryReadRealExt) {
  ReadRealValue(State().registry_root, ArgString(args[0]), ArgString(args[1]), result);
}
VENDREL_BUILTIN(RegistryExistsExt) {
  const std::string& key = ArgString(args[0]);
  // Opening a key creates it; secure mode creates nothing outside the game.
  if (!runtime::Game().secure_mode) platform::RegistryCreateKey(State().registry_root, key);
  RegistryValue value;
  SetBool(result,
          platform::RegistryReadValue(State().registry_root, key, ArgString(args[1]), value));
}

VENDREL_BUILTIN(RegistrySetRoot) {
  switch (ArgInt(args[0])) {
    case 1: State().registry_root = RegistryRoot::LocalMachine; break;
    case 2: State().registry_root = RegistryRoot::ClassesRoot; break;
    case 3: State().registry_root = RegistryRoot::Users; break;
    default: State().registry_root = RegistryRoot::CurrentUser; break;
  }
}

// INI files ------------------------------------------------------------------

constexpr const char* kIniNotHere = "INI files must be located in the same directory as the program";

CIniFile* IniFor(const char* message) {
  if (Files().ini.IsOpen()) return &Files().ini;
  Error(message);
  return nullptr;
}

CIniFile* IniForReading() { return IniFor("Trying to read from undefined INI file"); }
CIniFile* IniForWriting() { return IniFor("Trying to write to undefined INI file"); }
CIniFile* IniForChanging() { return IniFor("Trying to change undefined INI file"); }

void ReportIniWriteFailure(bool stored) {
  if (!stored) Error("Cannot write the INI file.");
}

VENDREL_BUILTIN(IniOpen) {
  const std::string& name = ArgString(args[0]);
  std::string host = Resolve(name);
  if (HasFolderPart(name) ||
      (runtime::Game().secure_mode && !platform::IsInsideAllowedArea(host))) {
    Error(kIniNotHere);
    return;
  }
  Files().ini.Open(host);
}

VENDREL_BUILTIN(IniClose) { Files().ini.Close(); }

VENDREL_BUILTIN(IniReadString) {
  if (CIniFile* ini = IniForReading()) {
    std::optional<std::string> value = ini->Read(ArgString(args[0]), ArgString(args[1]));
    result.SetString(value ? *value : ArgString(args[2]));
  }
}

VENDREL_BUILTIN(IniReadReal) {
  if (CIniFile* ini = IniForReading()) {
    std::optional<std::string> value = ini->Read(ArgString(args[0]), ArgString(args[1]));
    result.SetReal(ParseIniReal(value ? *value : FormatGeneral(ArgReal(args[2]))));
  }
}

VENDREL_BUILTIN(IniWriteString) {
  if (CIniFile* ini = IniForWriting())
    ReportIniWriteFailure(ini->Write(ArgString(args[0]), ArgString(args[1]), ArgString(args[2])));
}

VENDREL_BUILTIN(IniWriteReal) {
  if (CIniFile* ini = IniForWriting())
    ReportIniWriteFailure(
        ini->Write(ArgString(args[0]), ArgString(args[1]), FormatGeneral(ArgReal(args[2]))));
}

VENDREL_BUILTIN(IniKeyExists) {
  if (CIniFile* ini = IniForReading())
    SetBool(result, ini->KeyExists(ArgString(args[0]), ArgString(args[1])));
}

VENDREL_BUILTIN(IniSectionExists) {
  if (CIniFile* ini = IniForReading()) SetBool(result, ini->SectionExists(ArgString(args[0])));
}

VENDREL_BUILTIN(IniKeyDelete) {
  if (CIniFile* ini = IniForChanging())
    ReportIniWriteFailure(ini->DeleteKey(ArgString(args[0]), ArgString(args[1])));
}

VENDREL_BUILTIN(IniSectionDelete) {
  if (CIniFile* ini = IniForChanging())
    ReportIniWriteFailure(ini->DeleteSection(ArgString(args[0])));
}

static const code::FunctionTableRow kFileFunctions[] = {
    {"file_bin_open", 2, FileBinOpen},
    {"file_bin_rewrite", 1, FileBinRewrite},
    {"file_bin_close", 1, FileBinClose},
    {"file_bin_size", 1, FileBinSize},
    {"file_bin_position", 1, FileBinPosition},
    {"file_bin_seek", 2, FileBinSeek},
    {"file_bin_read_byte", 1, FileBinReadByte},
    {"file_bin_write_byte", 2, FileBinWriteByte},

    {"file_text_open_read", 1, FileTextOpenRead},
    {"file_text_open_write", 1, FileTextOpenWriting<false>},
    {"file_text_open_append", 1, FileTextOpenWriting<true>},
    {"file_text_close", 1, FileTextClose},
    {"file_text_eof", 1, FileTextEof},
    {"file_text_read_string", 1, FileTextReadString},
    {"file_text_read_real", 1, FileTextReadReal},
    {"file_text_readln", 1, FileTextReadln},
    {"file_text_write_string", 2, FileTextWriteString},
    {"file_text_write_real", 2, FileTextWriteReal},
    {"file_text_writeln", 1, FileTextWriteln},

    {"file_open_read", 1, FileOpenRead},
    {"file_open_write", 1, FileOpenWriting<false>},
    {"file_open_append", 1, FileOpenWriting<true>},
    {"file_close", 0, FileClose},
    {"file_eof", 0, FileEof},
    {"file_read_string", 0, FileReadString},
    {"file_read_real", 0, FileReadReal},
    {"file_readln", 0, FileReadln},
    {"file_write_string", 1, FileWriteString},
    {"file_write_real", 1, FileWriteReal},
    {"file_writeln", 0, FileWriteln},

    {"file_exists", 1, FileExists},
    {"file_delete", 1, FileDelete},
    {"file_rename", 2, FileRename},
    {"file_copy", 2, FileCopy},
    {"directory_exists", 1, DirectoryExists},
    {"directory_create", 1, DirectoryCreate},
    {"file_find_first", 2, FileFindFirst},
    {"file_find_next", 0, FileFindNext},
    {"file_find_close", 0, FileFindClose},
    {"file_attributes", 2, FileAttributes},
    {"filename_name", 1, FilenameName},
    {"filename_path", 1, FilenamePath},
    {"filename_dir", 1, FilenameDir},
    {"filename_drive", 1, FilenameDrive},
    {"filename_ext", 1, FilenameExt},
    {"filename_change_ext", 2, FilenameChangeExt},
    {"execute_program", 3, ExecuteProgram},
    {"execute_shell", 2, ExecuteShell},
    {"parameter_count", 0, ParameterCount},
    {"parameter_string", 1, ParameterString},
    {"environment_get_variable", 1, EnvironmentGetVariable},

    {"registry_write_string", 2, RegistryWriteString},
    {"registry_write_real", 2, RegistryWriteReal},
    {"registry_read_string", 1, RegistryReadString},
    {"registry_read_real", 1, RegistryReadReal},
    {"registry_exists", 1, RegistryExists},
    {"registry_write_string_ext", 3, RegistryWriteStringExt},
    {"registry_write_real_ext", 3, RegistryWriteRealExt},
    {"registry_read_string_ext", 2, RegistryReadStringExt},
    {"registry_read_real_ext", 2, RegistryReadRealExt},
    {"registry_exists_ext", 2, RegistryExistsExt},
    {"registry_set_root", 1, RegistrySetRoot},

    {"ini_open", 1, IniOpen},
    {"ini_close", 0, IniClose},
    {"ini_read_string", 3, IniReadString},
    {"ini_read_real", 3, IniReadReal},
    {"ini_write_string", 3, IniWriteString},
    {"ini_write_real", 3, IniWriteReal},
    {"ini_key_exists", 2, IniKeyExists},
    {"ini_section_exists", 1, IniSectionExists},
    {"ini_key_delete", 2, IniKeyDelete},
    {"ini_section_delete", 1, IniSectionDelete},
};

}  // namespace

void RegisterFileFunctions() {
  code::RegisterFamily(kFileFunctions);
  runtime::Game().secure_mode = SecureModePreference();
}

void SetGameParameters(std::vector<std::string> parameters) {
  State().parameters = std::move(parameters);
}

void SetGameId(int64_t game_id) { State().game_id = game_id; }

bool SecureMode() { return runtime::Game().secure_mode; }
void SetSecureMode(bool secure) { runtime::Game().secure_mode = secure; }

bool SecureModePreference() {
  const char* key = "Software\\Vendrel\\Version 6\\Preferences";
  // A flag is true when it is a non-zero number; a value of another type
  // cannot be read as a flag and counts as false.
  auto flag = [&](const char* name, bool& exists) {
    RegistryValue value;
    exists = platform::RegistryReadValue(RegistryRoot::CurrentUser, key, name, value);
    return exists && value.type == RegistryValue::Type::Dword && value.dword != 0;
  };
  bool warning_exists = false, running_exists = false;
  bool warning = flag("Warning", warning_exists);
  bool running = flag("VendrelRunning", running_exists);
  return warning && (!running_exists || running);
}

void SetWaitCallback(void (*callback)()) { State().wait_callback = callback; }

void CloseAllFiles() {
  FileTables& files = Files();
  for (CTextFile& file : files.text) file.Close();
  for (CBinaryFile& file : files.binary) file.Close();
  files.found.clear();
  files.next_found = 0;
  files.search_open = false;
  files.ini.Close();
}

}  // namespace vendrel::library
