#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "library/ini_file.h"
#include "library/library.h"
#include "library_test_support.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

namespace vendrel::library {
namespace {

using namespace vendrel::library::testing;
namespace fs = std::filesystem;

class FileFunctions : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetHeadless(true);
    ::setenv("XDG_CONFIG_HOME", (directory_ / "config").c_str(), 1);
    RegisterFileFunctions();
    platform::SetGameWorkingDirectory(directory_.path().string());
    platform::SetExtraAllowedDirectories({});
    SetSecureMode(false);
    CloseAllFiles();
    Call("registry_set_root", {R(0)});
    ClearErrors();
  }
  void TearDown() override {
    CloseAllFiles();
    SetSecureMode(false);
  }

  // Calls [name] and expects no run-time error.
  RValue Quiet(const std::string& name, std::vector<RValue> arguments = {}) {
    ClearErrors();
    RValue result = Call(name, std::move(arguments));
    EXPECT_EQ(LastError(), "") << name;
    return result;
  }
  // Calls [name] and expects exactly the run-time error [message].
  RValue Refused(const std::string& message, const std::string& name,
                 std::vector<RValue> arguments = {}) {
    ClearErrors();
    RValue result = Call(name, std::move(arguments));
    EXPECT_TRUE(ErrorEndsWith(message)) << name << " gave: " << LastError();
    return result;
  }

  TemporaryDirectory directory_;
};

// Text files -------------------------------------------------------------------

TEST_F(FileFunctions, TextFileWritesExactTextAndReadsItBack) {
  double f = Real(Quiet("file_text_open_write", {S("out.txt")}));
  EXPECT_EQ(f, 1);
  Quiet("file_text_write_string", {R(f), S("hello")});
  Quiet("file_text_write_real", {R(f), R(3.14159)});
  Quiet("file_text_writeln", {R(f)});
  Quiet("file_text_write_real", {R(f), R(-2.5)});
  Quiet("file_text_write_real", {R(f), R(7)});
  Quiet("file_text_writeln", {R(f)});
  Quiet("file_text_write_string", {R(f), S("last")});
  // Each write is flushed: the file holds everything before it is closed.
  EXPECT_EQ(ReadWholeFile(directory_ / "out.txt"),
            "hello 3.1416\r\n -2.5000 7.0000\r\nlast");
  Quiet("file_text_close", {R(f)});

  f = Real(Quiet("file_text_open_read", {S("OUT.TXT")}));  // names ignore case
  EXPECT_EQ(f, 1);
  EXPECT_EQ(Str(Quiet("file_text_read_string", {R(f)})), "hello 3.1416");
  EXPECT_EQ(Str(Quiet("file_text_read_string", {R(f)})), "");  // still at the line end
  Quiet("file_text_readln", {R(f)});
  EXPECT_EQ(Real(Quiet("file_text_read_real", {R(f)})), -2.5);
  EXPECT_EQ(Real(Quiet("file_text_read_real", {R(f)})), 7);
  EXPECT_EQ(Real(Refused("Error reading real.", "file_text_read_real", {R(f)})), 0);  // "last"
  EXPECT_EQ(Real(Quiet("file_text_eof", {R(f)})), 1);
  Quiet("file_text_close", {R(f)});
}

TEST_F(FileFunctions, TextReadingAcrossLineEnds) {
  WriteWholeFile(directory_ / "in.txt", "  12  \n\r\n 3.5e1\rx y\r\nlast");
  double f = Real(Quiet("file_text_open_read", {S("in.txt")}));
  // Numbers skip blanks and line ends.
  EXPECT_EQ(Real(Quiet("file_text_read_real", {R(f)})), 12);
  EXPECT_EQ(Real(Quiet("file_text_read_real", {R(f)})), 35);
  Quiet("file_text_readln", {R(f)});  // past the lone CR
  EXPECT_EQ(Str(Quiet("file_text_read_string", {R(f)})), "x y");
  Quiet("file_text_readln", {R(f)});
  EXPECT_EQ(Real(Quiet("file_text_eof", {R(f)})), 0);
  EXPECT_EQ(Str(Quiet("file_text_read_string", {R(f)})), "last");
  EXPECT_EQ(Real(Quiet("file_text_eof", {R(f)})), 1);
  // At the end: empty strings, 0 and no errors.
  EXPECT_EQ(Str(Quiet("file_text_read_string", {R(f)})), "");
  EXPECT_EQ(Real(Quiet("file_text_read_real", {R(f)})), 0);
  Quiet("file_text_readln", {R(f)});
  Quiet("file_text_close", {R(f)});

  WriteWholeFile(directory_ / "bad.txt", "12abc 4");
  f = Real(Quiet("file_text_open_read", {S("bad.txt")}));
  EXPECT_EQ(Real(Refused("Error reading real.", "file_text_read_real", {R(f)})), 0);
  EXPECT_EQ(Real(Quiet("file_text_read_real", {R(f)})), 4);
}

TEST_F(FileFunctions, AppendingKeepsWhatIsThere) {
  WriteWholeFile(directory_ / "log.txt", "one\r\n");
  double f = Real(Quiet("file_text_open_append", {S("log.txt")}));
  Quiet("file_text_write_string", {R(f), S("two")});
  Quiet("file_text_close", {R(f)});
  f = Real(Quiet("file_text_open_append", {S("new.txt")}));  // a missing file is created
  Quiet("file_text_write_string", {R(f), S("three")});
  Quiet("file_text_close", {R(f)});
  EXPECT_EQ(ReadWholeFile(directory_ / "log.txt"), "one\r\ntwo");
  EXPECT_EQ(ReadWholeFile(directory_ / "new.txt"), "three");
}

TEST_F(FileFunctions, ThirtyTwoTextFilesAtMost) {
  WriteWholeFile(directory_ / "in.txt", "x");
  // A missing file takes no slot and reports nothing.
  EXPECT_EQ(Real(Quiet("file_text_open_read", {S("missing.txt")})), 0);
  for (int i = 1; i <= 32; ++i)
    ASSERT_EQ(Real(Quiet("file_text_open_read", {S("in.txt")})), i);
  EXPECT_EQ(Real(Refused("Cannot open another file (maximum exceeded).", "file_text_open_read",
                         {S("in.txt")})),
            0);
  Refused("Cannot open another file (maximum exceeded).", "file_text_open_write", {S("o.txt")});
  EXPECT_FALSE(fs::exists(directory_ / "o.txt"));
  Quiet("file_text_close", {R(7)});
  EXPECT_EQ(Real(Quiet("file_text_open_write", {S("o.txt")})), 7);  // the lowest free slot
}

TEST_F(FileFunctions, TextFileMessages) {
  struct Case {
    const char* function;
    std::vector<RValue> arguments;
    const char* message;
  };
  const Case cases[] = {
      {"file_text_read_string", {R(5)}, "File is not opened for reading."},
      {"file_text_read_real", {R(33)}, "File is not opened for reading."},
      {"file_text_readln", {R(-1)}, "File is not opened for reading."},
      {"file_text_eof", {R(0)}, "File is not opened for reading."},
      {"file_text_write_string", {R(5), S("x")}, "File not opened for writing."},
      {"file_text_write_real", {R(5), R(1)}, "File not opened for writing."},
      {"file_text_writeln", {R(40)}, "File not opened for writing."},
      {"file_text_close", {R(0)}, "Trying to close unexisting text file."},
      {"file_text_close", {R(33)}, "Trying to close unexisting text file."},
      {"file_eof", {}, "File is not opened for reading."},
      {"file_read_string", {}, "File not opened for reading."},
      {"file_read_real", {}, "File not opened for reading."},
      {"file_readln", {}, "File not opened for reading."},
      {"file_write_string", {S("x")}, "File not opened for writing."},
      {"file_write_real", {R(1)}, "File not opened for writing."},
      {"file_writeln", {}, "File not opened for writing."},
  };
  for (const Case& c : cases) {
    RValue result = Refused(c.message, c.function, c.arguments);
    EXPECT_TRUE(result.IsReal() && result.real == 0) << c.function;
  }
  Quiet("file_text_close", {R(5)});  // a closed slot: nothing happens
  Quiet("file_close");

  // Slot 0 is the file of the file_* functions: once it is open for
  // reading, file_text_* may read it through id 0.
  WriteWholeFile(directory_ / "single.txt", "abc\r\n5");
  Quiet("file_open_read", {S("single.txt")});
  EXPECT_EQ(Str(Quiet("file_text_read_string", {R(0)})), "abc");
  Quiet("file_readln");
  EXPECT_EQ(Real(Quiet("file_read_real")), 5);
  EXPECT_EQ(Real(Quiet("file_eof")), 1);
  Refused("File not opened for writing.", "file_write_string", {S("x")});
  Quiet("file_close");
  Refused("File is not opened for reading.", "file_text_read_string", {R(0)});
}

TEST_F(FileFunctions, SingleFileReplacesItsFile) {
  Quiet("file_open_write", {S("a.txt")});
  Quiet("file_write_string", {S("first")});
  Quiet("file_write_real", {R(0.5)});
  Quiet("file_writeln");
  Quiet("file_open_append", {S("a.txt")});  // closes the file it had open
  Quiet("file_write_string", {S("more")});
  Quiet("file_close");
  EXPECT_EQ(ReadWholeFile(directory_ / "a.txt"), "first 0.5000\r\nmore");
  Quiet("file_open_read", {S("a.txt")});
  EXPECT_EQ(Str(Quiet("file_read_string")), "first 0.5000");
  Quiet("file_open_read", {S("missing.txt")});  // closes, then opens nothing
  Refused("File not opened for reading.", "file_read_string");
}

// Binary files -----------------------------------------------------------------

TEST_F(FileFunctions, BinaryFilesByteByByte) {
  // Opening needs an existing file; the slot still counts as open.
  double f = Real(Refused("Error opening binary file.", "file_bin_open", {S("data.bin"), R(1)}));
  EXPECT_EQ(f, 1);
  Refused("Error writing byte.", "file_bin_write_byte", {R(f), R(1)});
  Quiet("file_bin_rewrite", {R(f)});  // creates and empties the file
  for (double byte : {65.0, 256.0 + 66, -1.0, 2.5, 3.5})
    Quiet("file_bin_write_byte", {R(f), R(byte)});
  EXPECT_EQ(Real(Quiet("file_bin_size", {R(f)})), 5);
  EXPECT_EQ(Real(Quiet("file_bin_position", {R(f)})), 5);
  Quiet("file_bin_seek", {R(f), R(1)});
  EXPECT_EQ(Real(Quiet("file_bin_read_byte", {R(f)})), 66);
  EXPECT_EQ(Real(Quiet("file_bin_position", {R(f)})), 2);
  Quiet("file_bin_close", {R(f)});
  EXPECT_EQ(ReadWholeFile(directory_ / "data.bin"), std::string("AB\xFF\x02\x04", 5));

  f = Real(Quiet("file_bin_open", {S("DATA.BIN"), R(0)}));
  EXPECT_EQ(Real(Quiet("file_bin_read_byte", {R(f)})), 65);
  Refused("Error writing byte.", "file_bin_write_byte", {R(f), R(1)});
  Quiet("file_bin_seek", {R(f), R(5)});
  EXPECT_EQ(Real(Refused("Error reading byte.", "file_bin_read_byte", {R(f)})), 0);
  Refused("Error seeking.", "file_bin_seek", {R(f), R(-1)});
  double g = Real(Quiet("file_bin_open", {S("data.bin"), R(2)}));
  EXPECT_EQ(g, 2);
  Quiet("file_bin_seek", {R(g), R(4)});
  Quiet("file_bin_write_byte", {R(g), R(9)});
  Quiet("file_bin_close", {R(g)});
  Quiet("file_bin_close", {R(f)});
  EXPECT_EQ(ReadWholeFile(directory_ / "data.bin"), std::string("AB\xFF\x02\x09", 5));

  struct Case {
    const char* function;
    std::vector<RValue> arguments;
    const char* message;
  };
  const Case cases[] = {
      {"file_bin_rewrite", {R(1)}, "Trying to rewrite unopened file."},
      {"file_bin_rewrite", {R(40)}, "Trying to rewrite unopened file."},
      {"file_bin_close", {R(1)}, "Trying to close unopened file."},
      {"file_bin_size", {R(0)}, "File is not opened."},
      {"file_bin_position", {R(1)}, "File is not opened."},
      {"file_bin_seek", {R(1), R(0)}, "File is not opened."},
      {"file_bin_read_byte", {R(33)}, "File is not opened."},
      {"file_bin_write_byte", {R(1), R(0)}, "File is not opened."},
  };
  for (const Case& c : cases) Refused(c.message, c.function, c.arguments);
  for (int i = 1; i <= 32; ++i) Call("file_bin_open", {S("data.bin"), R(0)});
  Refused("Cannot open another file (maximum exceeded).", "file_bin_open", {S("data.bin"), R(0)});
}

// Secure mode --------------------------------------------------------------------

TEST_F(FileFunctions, SecureModeRefusals) {
  fs::create_directory(directory_ / "sub");
  WriteWholeFile(directory_ / "sub" / "keep.txt", "keep");
  WriteWholeFile(directory_ / "plain.txt", "plain");
  fs::create_directory_symlink("/tmp", directory_ / "out");
  SetSecureMode(true);
  struct Case {
    const char* function;
    std::vector<RValue> arguments;
    const char* message;
  };
  const Case cases[] = {
      {"file_text_open_write", {S("sub\\new.txt")}, "In secure mode you cannot write file sub\\new.txt"},
      {"file_text_open_append", {S("sub/keep.txt")}, "In secure mode you cannot append to file sub/keep.txt"},
      {"file_open_write", {S("C:\\x.txt")}, "In secure mode you cannot write file C:\\x.txt"},
      {"file_open_append", {S("..\\x.txt")}, "In secure mode you cannot append to file ..\\x.txt"},
      {"file_delete", {S("sub\\keep.txt")}, "In Secure mode you cannot delete file sub\\keep.txt"},
      {"file_rename", {S("plain.txt"), S("sub\\p.txt")},
       "In Secure mode you cannot rename file plain.txt into sub\\p.txt"},
      {"file_copy", {S("sub\\keep.txt"), S("k.txt")},
       "In Secure mode you cannot copy file sub\\keep.txt to k.txt"},
      {"directory_create", {S("a\\b")}, "In Secure mode you cannot create directory a\\b"},
      {"execute_program", {S("true"), S(""), R(1)}, "In Secure mode you cannot execute program true"},
      {"execute_shell", {S("notes.txt"), S("")}, "In Secure mode you cannot execute program notes.txt"},
      {"registry_write_string_ext", {S("Software\\X"), S("n"), S("v")},
       "In Secure mode you cannot write registry entries in Software\\X"},
      {"registry_write_real_ext", {S("Software\\X"), S("n"), R(1)},
       "In Secure mode you cannot write registry entries in Software\\X"},
      {"ini_open", {S("sub\\a.ini")}, "INI files must be located in the same directory as the program"},
      // Binary files may use folders, but not leave the working directory.
      {"file_bin_open", {S("..\\x.bin"), R(1)}, "In secure mode you cannot write file ..\\x.bin"},
      {"file_bin_open", {S("out\\x.bin"), R(2)}, "In secure mode you cannot write file out\\x.bin"},
      // A plain name that is a link out of the working directory.
      {"file_text_open_write", {S("out")}, "In secure mode you cannot write file out"},
  };
  for (const Case& c : cases) {
    RValue result = Refused(c.message, c.function, c.arguments);
    EXPECT_TRUE(result.IsReal() && result.real == 0) << c.function;
  }
  EXPECT_EQ(ReadWholeFile(directory_ / "sub" / "keep.txt"), "keep");
  EXPECT_TRUE(fs::exists(directory_ / "plain.txt"));
  EXPECT_FALSE(fs::exists(directory_ / "a"));
  EXPECT_FALSE(fs::exists(directory_ / "k.txt"));
  // No slot was taken by the refusals.
  EXPECT_EQ(Real(Quiet("file_text_open_write", {S("ok.txt")})), 1);

  // Plain names, reads, binary files inside and the game's registry key work.
  Quiet("file_text_write_string", {R(1), S("fine")});
  Quiet("file_text_close", {R(1)});
  EXPECT_EQ(ReadWholeFile(directory_ / "ok.txt"), "fine");
  Quiet("file_copy", {S("ok.txt"), S("ok2.txt")});
  Quiet("directory_create", {S("saves")});
  EXPECT_TRUE(fs::is_directory(directory_ / "saves"));
  WriteWholeFile(directory_ / "sub" / "d.bin", "z");
  double bin = Real(Quiet("file_bin_open", {S("sub\\d.bin"), R(2)}));
  Quiet("file_bin_close", {R(bin)});
  Quiet("file_bin_close", {R(Real(Quiet("file_bin_open", {S("/etc/passwd"), R(0)})))});
  Quiet("registry_write_string", {S("name"), S("value")});
  EXPECT_EQ(Str(Quiet("registry_read_string_ext", {S("Software\\Vendrel\\0"), S("name")})), "value");
  Quiet("ini_open", {S("game.ini")});
  Quiet("ini_write_string", {S("a"), S("b"), S("c")});
  Quiet("file_delete", {S("ok2.txt")});
  EXPECT_FALSE(fs::exists(directory_ / "ok2.txt"));
}

TEST_F(FileFunctions, SecureModeAllowsTheExtraDirectories) {
  TemporaryDirectory temporary;  // becomes the current directory too
  platform::SetExtraAllowedDirectories({temporary.path().string()});
  SetSecureMode(true);
  std::string inside = (temporary.path() / "t.bin").string();
  WriteWholeFile(inside, "t");
  Quiet("file_bin_close", {R(Real(Quiet("file_bin_open", {S(inside), R(1)})))});
  platform::SetExtraAllowedDirectories({});
  Refused("In secure mode you cannot write file " + inside, "file_bin_open", {S(inside), R(1)});
}

// The file system ----------------------------------------------------------------

TEST_F(FileFunctions, FilesAndDirectories) {
  WriteWholeFile(directory_ / "Readme.txt", "r");
  fs::create_directory(directory_ / "Data");
  struct Exists {
    const char* function;
    const char* name;
    double expected;
  };
  const Exists checks[] = {
      {"file_exists", "readme.TXT", 1}, {"file_exists", "data", 0},
      {"file_exists", "none.txt", 0},   {"directory_exists", "DATA", 1},
      {"directory_exists", "Readme.txt", 0},
  };
  for (const Exists& c : checks)
    EXPECT_EQ(Real(Quiet(c.function, {S(c.name)})), c.expected) << c.function << " " << c.name;

  Quiet("directory_create", {S("data\\Levels\\One")});  // "data" is the existing "Data"
  EXPECT_TRUE(fs::is_directory(directory_ / "Data" / "Levels" / "One"));
  Quiet("file_copy", {S("README.txt"), S("data\\levels\\copy.txt")});
  EXPECT_EQ(ReadWholeFile(directory_ / "Data" / "Levels" / "copy.txt"), "r");
  WriteWholeFile(directory_ / "other.txt", "o");
  Quiet("file_copy", {S("other.txt"), S("Readme.txt")});  // copying overwrites
  EXPECT_EQ(ReadWholeFile(directory_ / "Readme.txt"), "o");

  // Renaming never replaces another file; a change of case is a rename.
  Quiet("file_rename", {S("other.txt"), S("readme.txt")});
  EXPECT_TRUE(fs::exists(directory_ / "other.txt"));
  Quiet("file_rename", {S("readme.txt"), S("README.TXT")});
  EXPECT_TRUE(fs::exists(directory_ / "README.TXT"));
  EXPECT_FALSE(fs::exists(directory_ / "Readme.txt"));
  Quiet("file_rename", {S("other.txt"), S("data\\moved.txt")});
  EXPECT_TRUE(fs::exists(directory_ / "Data" / "moved.txt"));

  Quiet("file_delete", {S("data\\MOVED.txt")});
  EXPECT_FALSE(fs::exists(directory_ / "Data" / "moved.txt"));
  Quiet("file_delete", {S("data")});  // a directory is not a file
  EXPECT_TRUE(fs::is_directory(directory_ / "Data"));
  // Absolute host paths (as working_directory gives them) work as well.
  std::string absolute = (directory_ / "README.TXT").string();
  EXPECT_EQ(Real(Quiet("file_exists", {S(absolute)})), 1);
  EXPECT_EQ(Real(Quiet("file_exists", {S(directory_.path().string() + "\\readme.txt")})), 1);
}

TEST_F(FileFunctions, DirectorySearchAndAttributes) {
  for (const char* name : {"b.txt", "A.txt", "c.dat", ".hidden.txt"})
    WriteWholeFile(directory_ / name, "x");
  fs::create_directory(directory_ / "sub");
  WriteWholeFile(directory_ / "sub" / "in.txt", "x");
  auto search = [&](const std::string& mask, int attributes) {
    std::vector<std::string> names;
    for (std::string name = Str(Quiet("file_find_first", {S(mask), R(attributes)}));
         !name.empty(); name = Str(Quiet("file_find_next")))
      names.push_back(name);
    return names;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(search("*.txt", 0), (Names{"A.txt", "b.txt"}));
  EXPECT_EQ(search("*.TXT", 2), (Names{".hidden.txt", "A.txt", "b.txt"}));
  EXPECT_EQ(search("*.*", 16), (Names{".", "..", "A.txt", "b.txt", "c.dat", "sub"}));
  EXPECT_EQ(search("?.dat", 0), (Names{"c.dat"}));
  EXPECT_EQ(search("SUB\\*", 0), (Names{"in.txt"}));
  EXPECT_EQ(search("none*", 63), (Names{}));
  Quiet("file_find_first", {S("*.txt"), R(0)});
  Quiet("file_find_close");
  EXPECT_EQ(Str(Quiet("file_find_next")), "");

  fs::permissions(directory_ / "c.dat", fs::perms::owner_read | fs::perms::group_read);
  struct Case {
    const char* name;
    int attributes;
    double expected;
  };
  const Case cases[] = {
      {"c.dat", 1, 1},  {"b.txt", 1, 0},  {"sub", 16, 1},  {"b.txt", 16, 0},
      {"b.txt", 32, 1}, {".hidden.txt", 2, 1}, {"b.txt", 0, 0}, {"missing", 63, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Real(Quiet("file_attributes", {S(c.name), R(c.attributes)})), c.expected)
        << c.name << " " << c.attributes;
}

TEST_F(FileFunctions, FileNameFunctions) {
  EXPECT_EQ(Str(Quiet("filename_name", {S("C:\\a\\b.txt")})), "b.txt");
  EXPECT_EQ(Str(Quiet("filename_path", {S("C:\\a\\b.txt")})), "C:\\a\\");
  EXPECT_EQ(Str(Quiet("filename_dir", {S("C:\\a\\b.txt")})), "C:\\a");
  EXPECT_EQ(Str(Quiet("filename_drive", {S("C:\\a\\b.txt")})), "C:");
  EXPECT_EQ(Str(Quiet("filename_ext", {S("C:\\a\\b.txt")})), ".txt");
  EXPECT_EQ(Str(Quiet("filename_change_ext", {S("C:\\a\\b.txt"), S(".sav")})), "C:\\a\\b.sav");
}

// Command line and environment ----------------------------------------------------

TEST_F(FileFunctions, ParametersAndEnvironment) {
  SetGameParameters({"/games/demo", "-level", "3"});
  EXPECT_EQ(Real(Quiet("parameter_count")), 2);
  EXPECT_EQ(Str(Quiet("parameter_string", {R(0)})), "/games/demo");
  EXPECT_EQ(Str(Quiet("parameter_string", {R(2)})), "3");
  EXPECT_EQ(Str(Quiet("parameter_string", {R(3)})), "");
  EXPECT_EQ(Str(Quiet("parameter_string", {R(-1)})), "");
  SetGameParameters({});
  EXPECT_EQ(Real(Quiet("parameter_count")), 0);

  ::setenv("VENDREL_TEST_VALUE", "abc", 1);
  EXPECT_EQ(Str(Quiet("environment_get_variable", {S("VENDREL_TEST_VALUE")})), "abc");
  EXPECT_EQ(Str(Quiet("environment_get_variable", {S("vendrel_test_value")})), "abc");
  ::unsetenv("VENDREL_TEST_VALUE");
  EXPECT_EQ(Str(Quiet("environment_get_variable", {S("VENDREL_TEST_VALUE")})), "");
}

// Programs -------------------------------------------------------------------------

TEST_F(FileFunctions, ExecuteProgramRunsInTheWorkingDirectory) {
  // A Windows name: "tool.exe" runs the program "tool" beside the game.
  WriteWholeFile(directory_ / "tool", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$(pwd)/args.txt\"\n");
  fs::permissions(directory_ / "tool", fs::perms::owner_all);
  TemporaryDirectory elsewhere;  // the process's directory is not the game's
  Quiet("execute_program", {S("TOOL.EXE"), S("one \"two three\" a\\\"b"), R(1)});
  EXPECT_EQ(ReadWholeFile(directory_ / "args.txt"), "one|two three|a\"b|");
  Refused("Cannot execute missing.exe", "execute_program", {S("missing.exe"), S(""), R(1)});
  WriteWholeFile(directory_ / "plain.txt", "not a program");
  Refused("Cannot execute plain.txt", "execute_program", {S("plain.txt"), S(""), R(0)});
  Refused("Cannot execute ", "execute_program", {S(""), S(""), R(0)});
}

TEST_F(FileFunctions, ExecuteShellOpensWhatExists) {
  WriteWholeFile(directory_ / "notes.txt", "n");
  Quiet("execute_shell", {S("NOTES.txt"), S("")});  // headless: found, not shown
  Quiet("execute_shell", {S("http://example.invalid/"), S("")});
  Refused("Cannot execute missing.txt", "execute_shell", {S("missing.txt"), S("")});
  WriteWholeFile(directory_ / "run", "#!/bin/sh\ntouch \"$(pwd)/$1\"\n");
  fs::permissions(directory_ / "run", fs::perms::owner_all);
  Quiet("execute_shell", {S("run"), S("marker")});
  // Started without waiting: give it a moment to finish.
  for (int i = 0; i < 1000 && !fs::exists(directory_ / "marker"); ++i) ::usleep(10000);
  EXPECT_TRUE(fs::exists(directory_ / "marker"));
}

// INI files --------------------------------------------------------------------------

TEST_F(FileFunctions, IniFilesRoundTrip) {
  Refused("Trying to read from undefined INI file", "ini_read_string", {S("a"), S("b"), S("d")});
  Refused("Trying to read from undefined INI file", "ini_read_real", {S("a"), S("b"), R(1)});
  Refused("Trying to read from undefined INI file", "ini_key_exists", {S("a"), S("b")});
  Refused("Trying to read from undefined INI file", "ini_section_exists", {S("a")});
  Refused("Trying to write to undefined INI file", "ini_write_string", {S("a"), S("b"), S("c")});
  Refused("Trying to write to undefined INI file", "ini_write_real", {S("a"), S("b"), R(1)});
  Refused("Trying to change undefined INI file", "ini_key_delete", {S("a"), S("b")});
  Refused("Trying to change undefined INI file", "ini_section_delete", {S("a")});
  Refused("INI files must be located in the same directory as the program", "ini_open",
          {S("C:\\game.ini")});

  WriteWholeFile(directory_ / "Game.ini", "; made by hand\r\n[Player]\r\nname=Ann\r\n");
  Quiet("ini_open", {S("game.ini")});
  EXPECT_EQ(Str(Quiet("ini_read_string", {S("player"), S("NAME"), S("?")})), "Ann");
  EXPECT_EQ(Str(Quiet("ini_read_string", {S("player"), S("age"), S("?")})), "?");
  EXPECT_EQ(Real(Quiet("ini_read_real", {S("player"), S("age"), R(-2.5)})), -2.5);
  Quiet("ini_write_real", {S("Player"), S("score"), R(1250.5)});
  Quiet("ini_write_real", {S("Player"), S("tiny"), R(1.5e-6)});
  Quiet("ini_write_string", {S("Player"), S("odd"), S(" 5")});
  Quiet("ini_write_string", {S("Options"), S("speed"), S("1,5e-2")});
  // Every write is on disk at once.
  EXPECT_EQ(ReadWholeFile(directory_ / "Game.ini"),
            "; made by hand\r\n[Player]\r\nname=Ann\r\nscore=1250.5\r\ntiny=1.5E-6\r\n"
            "odd=\" 5\"\r\n\r\n[Options]\r\nspeed=1,5e-2\r\n");
  EXPECT_EQ(Real(Quiet("ini_read_real", {S("Player"), S("score"), R(0)})), 1250.5);
  EXPECT_EQ(Real(Quiet("ini_read_real", {S("Player"), S("tiny"), R(0)})), 1.5e-6);
  EXPECT_EQ(Real(Quiet("ini_read_real", {S("Player"), S("odd"), R(9)})), 0);  // leading blank
  EXPECT_EQ(Str(Quiet("ini_read_string", {S("Player"), S("odd"), S("")})), " 5");
  EXPECT_EQ(Real(Quiet("ini_read_real", {S("options"), S("speed"), R(0)})), 0.015);
  EXPECT_EQ(Real(Quiet("ini_key_exists", {S("OPTIONS"), S("Speed")})), 1);
  EXPECT_EQ(Real(Quiet("ini_section_exists", {S("options")})), 1);
  Quiet("ini_key_delete", {S("options"), S("speed")});
  EXPECT_EQ(Real(Quiet("ini_key_exists", {S("options"), S("speed")})), 0);
  EXPECT_EQ(Real(Quiet("ini_section_exists", {S("options")})), 0);  // no keys left
  Quiet("ini_section_delete", {S("player")});
  Quiet("ini_close");
  EXPECT_EQ(ReadWholeFile(directory_ / "Game.ini"), "; made by hand\r\n[Options]\r\n");

  // A change made to the file behind the INI file's back is seen.
  Quiet("ini_open", {S("game.ini")});
  EXPECT_EQ(Str(Quiet("ini_read_string", {S("Options"), S("x"), S("")})), "");
  WriteWholeFile(directory_ / "Game.ini", "[Options]\nx=changed on disk and longer\n");
  EXPECT_EQ(Str(Quiet("ini_read_string", {S("Options"), S("x"), S("")})),
            "changed on disk and longer");
  Quiet("ini_close");
  Refused("Trying to read from undefined INI file", "ini_read_string", {S("a"), S("b"), S("")});
}

TEST_F(FileFunctions, IniFileIsCompleteAfterEveryWrite) {
  Quiet("ini_open", {S("many.ini")});
  for (int i = 0; i < 60; ++i) {
    Quiet("ini_write_real", {S("s" + std::to_string(i % 3)), S("k" + std::to_string(i)), R(i)});
    CIniDocument on_disk;
    on_disk.Parse(ReadWholeFile(directory_ / "many.ini"));
    for (int k = 0; k <= i; ++k)
      ASSERT_EQ(on_disk.Read("s" + std::to_string(k % 3), "k" + std::to_string(k)),
                std::to_string(k))
          << "after write " << i;
  }
  // Only the INI file itself is left: no temporary files.
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(directory_.path()))
    if (entry.path().filename() != "game_errors.log") ++entries;
  EXPECT_EQ(entries, 1);
}

// Registry -------------------------------------------------------------------------

TEST_F(FileFunctions, RegistryValuesOfTheGameAndOfAnyKey) {
  SetGameId(4711);
  Quiet("registry_write_string", {S("player"), S("Ann\r\n=%")});
  Quiet("registry_write_real", {S("best"), R(1250.25)});
  EXPECT_EQ(Str(Quiet("registry_read_string", {S("PLAYER")})), "Ann\r\n=%");
  EXPECT_EQ(Real(Quiet("registry_read_real", {S("best")})), 1250.25);
  // A value of the other type reads as "" or 0.
  EXPECT_EQ(Str(Quiet("registry_read_string", {S("best")})), "");
  EXPECT_EQ(Real(Quiet("registry_read_real", {S("player")})), 0);
  EXPECT_EQ(Real(Quiet("registry_read_real", {S("missing")})), 0);
  EXPECT_EQ(Real(Quiet("registry_exists", {S("best")})), 1);
  EXPECT_EQ(Real(Quiet("registry_exists", {S("missing")})), 0);
  // The _ext functions see the same key by its path.
  EXPECT_EQ(Real(Quiet("registry_read_real_ext", {S("\\Software\\Vendrel\\4711"), S("best")})),
            1250.25);

  Quiet("registry_set_root", {R(1)});
  Quiet("registry_write_string_ext", {S("Software\\Tool"), S("v"), S("machine")});
  EXPECT_EQ(Str(Quiet("registry_read_string_ext", {S("software\\tool"), S("V")})), "machine");
  Quiet("registry_set_root", {R(7)});  // any other value: the current user
  EXPECT_EQ(Str(Quiet("registry_read_string_ext", {S("Software\\Tool"), S("v")})), "");
  EXPECT_EQ(Str(Quiet("registry_read_string_ext", {S("Software\\Vendrel\\4711"), S("player")})),
            "Ann\r\n=%");
  Quiet("registry_write_real_ext", {S("Software\\Tool"), S("n"), R(-0.5)});
  EXPECT_EQ(Real(Quiet("registry_read_real_ext", {S("Software\\Tool"), S("n")})), -0.5);
  EXPECT_EQ(Real(Quiet("registry_exists_ext", {S("Software\\Tool"), S("n")})), 1);

  // The store is a readable text file per root.
  std::string current_user = ReadWholeFile(platform::RegistryStoreFile(
      platform::RegistryRoot::CurrentUser));
  EXPECT_NE(current_user.find("[Software\\Vendrel\\4711]\nplayer=string:Ann%0D%0A=%25\n"
                              "best=real:1250.25\n"),
            std::string::npos)
      << current_user;
  SetGameId(0);
}

TEST_F(FileFunctions, SecureModePreferenceFromTheStore) {
  const char* key = "Software\\Vendrel\\Version 6\\Preferences";
  auto set = [&](const char* name, platform::RegistryValue::Type type, uint32_t number) {
    platform::RegistryValue value;
    value.type = type;
    value.dword = number;
    value.data = std::to_string(number);
    platform::RegistryWriteValue(platform::RegistryRoot::CurrentUser, key, name, value);
  };
  using Type = platform::RegistryValue::Type;
  EXPECT_FALSE(SecureModePreference());  // no key
  set("Warning", Type::Dword, 1);
  EXPECT_TRUE(SecureModePreference());
  set("VendrelRunning", Type::Dword, 0);
  EXPECT_FALSE(SecureModePreference());
  set("VendrelRunning", Type::Dword, 1);
  EXPECT_TRUE(SecureModePreference());
  set("Warning", Type::String, 1);  // not a flag
  EXPECT_FALSE(SecureModePreference());
  set("Warning", Type::Dword, 0);
  EXPECT_FALSE(SecureModePreference());
  set("Warning", Type::Dword, 2);
  RegisterFileFunctions();  // registration reads the preference
  EXPECT_TRUE(SecureMode());
}

}  // namespace
}  // namespace vendrel::library
