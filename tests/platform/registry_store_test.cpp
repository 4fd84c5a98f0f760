#include "platform/registry_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vendrel::platform {
namespace {

namespace fs = std::filesystem;

class RegistryStore : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vendrel-registry-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
    ::setenv("XDG_CONFIG_HOME", directory_.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
  }
  static std::string FileText(RegistryRoot root) {
    std::ifstream in(RegistryStoreFile(root), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path directory_;
};

RegistryValue String(std::string text) {
  RegistryValue value;
  value.data = std::move(text);
  return value;
}

RegistryValue Dword(uint32_t number) {
  RegistryValue value;
  value.type = RegistryValue::Type::Dword;
  value.dword = number;
  return value;
}

RegistryValue Binary(std::string bytes) {
  RegistryValue value;
  value.type = RegistryValue::Type::Binary;
  value.data = std::move(bytes);
  return value;
}

RegistryValue Real(double real) {
  std::string bytes(sizeof real, '\0');
  std::memcpy(bytes.data(), &real, sizeof real);
  return Binary(bytes);
}

TEST_F(RegistryStore, TheFileIsReadableText) {
  EXPECT_EQ(RegistryStoreDirectory(), directory_.string() + "/vendrel/registry");
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "\\Software\\Vendrel\\12345\\",
                                 "name", String("Some text")));
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "Software\\Vendrel\\12345", "score",
                                 Real(1250.5)));
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "Software\\Vendrel\\12345", "odd",
                                 Real(0.1)));
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "Software\\Vendrel\\Version 6\\Preferences",
                                 "Warning", Dword(1)));
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "Software\\X", "blob",
                                 Binary(std::string("\x00\xFF\x10", 3))));
  EXPECT_EQ(FileText(RegistryRoot::CurrentUser),
            "; Registry values of games run with Vendrel: one section per key, one line per value\n"
            "; (name=type:data). Types: string, dword, real (8 bytes), hex (bytes).\n"
            "\n[Software\\Vendrel\\12345]\nname=string:Some text\nscore=real:1250.5\nodd=real:0.1\n"
            "\n[Software\\Vendrel\\Version 6\\Preferences]\nWarning=dword:1\n"
            "\n[Software\\X]\nblob=hex:00FF10\n");
  EXPECT_TRUE(fs::exists(directory_ / "vendrel" / "registry" / "HKEY_CURRENT_USER.ini"));
  EXPECT_FALSE(fs::exists(RegistryStoreFile(RegistryRoot::LocalMachine)));
}

TEST_F(RegistryStore, ValuesComeBackExactly) {
  // Names and data that would break a line if written as they are.
  const std::string awkward[] = {
      "", " lead", "trail ", "a=b", "%41", "line\nbreak\r\n", std::string("nul\0byte", 8),
      "[section]", "; comment", "\xE9t\xE9 \x80", "\t", "x]y",
  };
  int i = 0;
  for (const std::string& text : awkward) {
    std::string key = "Software\\Odd" + text;
    ASSERT_TRUE(RegistryWriteValue(RegistryRoot::Users, key, text, String(text)));
    ASSERT_TRUE(RegistryWriteValue(RegistryRoot::Users, key, "n" + std::to_string(i), Binary(text)));
    ++i;
  }
  const double reals[] = {0.1, -0.0, 1e-300, 1.7976931348623157e308,
                          std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (double real : reals)
    ASSERT_TRUE(RegistryWriteValue(RegistryRoot::Users, "R", std::to_string(real), Real(real)));
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::Users, "R", "max", Dword(4294967295u)));

  i = 0;
  for (const std::string& text : awkward) {
    std::string key = "Software\\Odd" + text;
    RegistryValue value;
    ASSERT_TRUE(RegistryReadValue(RegistryRoot::Users, key, text, value)) << text;
    EXPECT_EQ(value.type, RegistryValue::Type::String);
    EXPECT_EQ(value.data, text);
    ASSERT_TRUE(RegistryReadValue(RegistryRoot::Users, key, "n" + std::to_string(i), value));
    EXPECT_EQ(value.type, RegistryValue::Type::Binary);
    EXPECT_EQ(value.data, text);
    ++i;
  }
  for (double real : reals) {
    RegistryValue value;
    ASSERT_TRUE(RegistryReadValue(RegistryRoot::Users, "R", std::to_string(real), value));
    EXPECT_EQ(value.data, Real(real).data) << real;  // the same 8 bytes
  }
  RegistryValue value;
  ASSERT_TRUE(RegistryReadValue(RegistryRoot::Users, "R", "MAX", value));
  EXPECT_EQ(value.type, RegistryValue::Type::Dword);
  EXPECT_EQ(value.dword, 4294967295u);
  // The text stays plain ASCII: one line per value.
  std::string text = FileText(RegistryRoot::Users);
  for (char c : text) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
}

TEST_F(RegistryStore, KeysAndNamesIgnoreCase) {
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "Software\\Game", "Name", String("a")));
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "SOFTWARE\\\\game\\", "NAME", String("b")));
  RegistryValue value;
  ASSERT_TRUE(RegistryReadValue(RegistryRoot::CurrentUser, "software\\GAME", "name", value));
  EXPECT_EQ(value.data, "b");
  EXPECT_NE(FileText(RegistryRoot::CurrentUser).find("[Software\\Game]\nName=string:b\n"),
            std::string::npos);  // the first spelling stays
  EXPECT_FALSE(RegistryReadValue(RegistryRoot::CurrentUser, "Software\\Game", "other", value));
  EXPECT_FALSE(RegistryReadValue(RegistryRoot::CurrentUser, "Software\\Gam", "name", value));
  EXPECT_FALSE(RegistryReadValue(RegistryRoot::LocalMachine, "Software\\Game", "name", value));
  ASSERT_TRUE(RegistryCreateKey(RegistryRoot::ClassesRoot, "Empty\\Key"));
  EXPECT_NE(FileText(RegistryRoot::ClassesRoot).find("[Empty\\Key]\n"), std::string::npos);
}

TEST_F(RegistryStore, DamagedLinesAreSkipped) {
  fs::create_directories(RegistryStoreDirectory());
  std::ofstream(RegistryStoreFile(RegistryRoot::CurrentUser), std::ios::binary)
      << "orphan=string:x\n[K]\r\ngood=string:fine%\r\nbad=dword:12x\nnot a value\n"
         "weird=unknown:1\nhex=hex:ABC\nreal=real:\n[unclosed\n";
  RegistryValue value;
  ASSERT_TRUE(RegistryReadValue(RegistryRoot::CurrentUser, "K", "good", value));
  EXPECT_EQ(value.data, "fine%");  // a "%" without two digits stays
  for (const char* name : {"bad", "weird", "hex", "real", "orphan"})
    EXPECT_FALSE(RegistryReadValue(RegistryRoot::CurrentUser, "K", name, value)) << name;
  ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "K", "new", Dword(3)));
  ASSERT_TRUE(RegistryReadValue(RegistryRoot::CurrentUser, "K", "good", value));
}

TEST_F(RegistryStore, TheFileIsCompleteAfterEveryWrite) {
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(RegistryWriteValue(RegistryRoot::CurrentUser, "Software\\Many",
                                   "v" + std::to_string(i), String(std::string(size_t(i) * 50, 'x'))));
    for (int k = 0; k <= i; ++k) {
      RegistryValue value;
      ASSERT_TRUE(RegistryReadValue(RegistryRoot::CurrentUser, "Software\\Many",
                                    "v" + std::to_string(k), value))
          << "after write " << i;
      ASSERT_EQ(value.data.size(), size_t(k) * 50);
    }
  }
  // Only the store and its lock file: no temporary files are left.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(RegistryStoreDirectory()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".lock", "HKEY_CURRENT_USER.ini"}));
}

TEST_F(RegistryStore, WritersSideBySideKeepEachOthersValues) {
  // Two processes write different values at the same time; the lock and
  // the re-read before each write keep all of them.
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = ::fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      bool ok = true;
      for (int i = 0; i < 30; ++i)
        ok = RegistryWriteValue(RegistryRoot::CurrentUser, "Shared",
                                "c" + std::to_string(child) + "_" + std::to_string(i),
                                Dword(uint32_t(i))) && ok;
      ::_exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int child = 0; child < 2; ++child)
    for (int i = 0; i < 30; ++i) {
      RegistryValue value;
      ASSERT_TRUE(RegistryReadValue(RegistryRoot::CurrentUser, "Shared",
                                    "c" + std::to_string(child) + "_" + std::to_string(i), value));
      EXPECT_EQ(value.dword, uint32_t(i));
    }
}

}  // namespace
}  // namespace vendrel::platform
