#include "library/text_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "library/ini_file.h"

namespace vendrel::library {
namespace {

TEST(TextFormat, FixedFourDecimalsRoundsToTenDigitsFirst) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {3.14159, "3.1416"},
      {0, "0.0000"},
      {-1.5, "-1.5000"},
      {-0.00001, "0.0000"},             // rounds to zero: no minus sign
      {0.00006, "0.0001"},              // rounds up into the last decimal
      {0.00015, "0.0001"},              // the double is 0.000149999...
      {0.03125, "0.0313"},              // an exact half rounds away from zero
      {-0.03125, "-0.0313"},
      {99.99995, "99.9999"},            // the double is 99.999949999...
      {99.99996, "100.0000"},           // carries into a new digit
      {123456.789012, "123456.7890"},   // 10 significant digits
      {1234567.891234, "1234567.8910"},
      {9999999999.4, "9999999999.0000"},
      {12345678901.0, "1.23456789E10"}, // more than 10 integer digits
      {1e300, "1E300"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFixed4(c.value), c.text) << c.value;
}

TEST(TextFormat, GeneralFormHasFifteenDigits) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},
      {3, "3"},
      {-2.5, "-2.5"},
      {0.1, "0.1"},
      {1.0 / 3, "0.333333333333333"},
      {123.456, "123.456"},
      {0.0001, "0.0001"},
      {0.00001, "1E-5"},
      {1.5e-6, "1.5E-6"},
      {999999999999999, "999999999999999"},
      {1e15, "1E15"},
      {123456789012345678.0, "1.23456789012346E17"},
      {-1e100, "-1E100"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatGeneral(c.value), c.text) << c.value;
}

TEST(TextFormat, IniRealParser) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"1,5e-2", 0.015},
      {"-2.5", -2.5},
      {" 5", 0},            // a leading blank ends the number at once
      {"", 0},
      {"abc", 0},
      {"12abc", 12},
      {"1.5.3", 1.5},       // a second separator ends the number
      {"2e3e4", 2000},      // a second exponent mark ends it
      {"1e2.5", 100},       // a separator after the exponent ends it
      {"--3", 3},           // each minus flips the sign
      {"1e--2", 100},
      {"-1e-2", -0.01},
      {"1e+5", 1},          // "+" is not part of a number here
      {".5", 0.5},
      {"1E15", 1e15},
      {"1.23456789012346E17", 123456789012346000.0},
      {"7e999999", std::numeric_limits<double>::infinity()},
      {"7e-999999", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseIniReal(c.text), c.value) << c.text;
}

TEST(TextFormat, TextFileNumberTokens) {
  struct Case {
    const char* token;
    bool valid;
    double value;
  };
  const Case cases[] = {
      {"3.1416", true, 3.1416}, {"-2.5000", true, -2.5}, {"+7", true, 7},
      {"1e3", true, 1000},      {"2.5E-1", true, 0.25},  {".5", true, 0.5},
      {"5.", true, 5},          {"12abc", false, 0},     {"1,5", false, 0},
      {"-", false, 0},          {"e5", false, 0},        {"1e", false, 0},
      {"inf", false, 0},        {"0x10", false, 0},
  };
  for (const Case& c : cases) {
    double value = 0;
    EXPECT_EQ(ParseTextReal(c.token, value), c.valid) << c.token;
    if (c.valid) {
      EXPECT_EQ(value, c.value) << c.token;
    }
  }
}

TEST(TextFormat, FileNameParts) {
  struct Case {
    const char* name;
    const char* file_name;
    const char* path;
    const char* dir;
    const char* drive;
    const char* ext;
  };
  const Case cases[] = {
      {"C:\\games\\save.dat", "save.dat", "C:\\games\\", "C:\\games", "C:", ".dat"},
      {"C:\\save.dat", "save.dat", "C:\\", "C:\\", "C:", ".dat"},
      {"C:save.dat", "save.dat", "C:", "C:", "C:", ".dat"},
      {"save", "save", "", "", "", ""},
      {"archive.tar.gz", "archive.tar.gz", "", "", "", ".gz"},
      {"dir.d\\file", "file", "dir.d\\", "dir.d", "", ""},
      {"/home/me/game/level.txt", "level.txt", "/home/me/game/", "/home/me/game", "", ".txt"},
      {"/level.txt", "level.txt", "/", "/", "", ".txt"},
      {"\\\\server\\share\\dir\\x.y", "x.y", "\\\\server\\share\\dir\\",
       "\\\\server\\share\\dir", "\\\\server\\share", ".y"},
      {"\\\\server\\share", "share", "\\\\server\\", "\\\\server", "\\\\server\\share", ""},
      {"folder\\", "", "folder\\", "folder", "", ""},
      {".bashrc", ".bashrc", "", "", "", ".bashrc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileNameName(c.name), c.file_name) << c.name;
    EXPECT_EQ(FileNamePath(c.name), c.path) << c.name;
    EXPECT_EQ(FileNameDir(c.name), c.dir) << c.name;
    EXPECT_EQ(FileNameDrive(c.name), c.drive) << c.name;
    EXPECT_EQ(FileNameExt(c.name), c.ext) << c.name;
  }
  EXPECT_EQ(FileNameChangeExt("C:\\a\\b.txt", ".ini"), "C:\\a\\b.ini");
  EXPECT_EQ(FileNameChangeExt("C:\\a.d\\b", ".ini"), "C:\\a.d\\b.ini");
  EXPECT_EQ(FileNameChangeExt("x.tar.gz", ""), "x.tar");
  EXPECT_TRUE(HasFolderPart("a/b"));
  EXPECT_TRUE(HasFolderPart("a\\b"));
  EXPECT_FALSE(HasFolderPart("C:ab"));
}

// INI documents ---------------------------------------------------------------

TEST(IniDocument, ReadsAsWindowsDoes) {
  CIniDocument ini;
  ini.Parse(
      "\xEF\xBB\xBF[Main]\r\n"
      "  Name = Hero  \r\n"
      "quoted=\" padded \"\r\n"
      "single='x'\r\n"
      "; comment=not a key\r\n"
      "empty=\r\n"
      "name=second\r\n"
      "[ Other ]\r\n"
      "a=1=2\r\n"
      "[Main]\r\n"
      "late=ignored\r\n"
      "[Bare]\r\n");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"main", "NAME", "Hero"},      // names ignore case; the first duplicate counts
      {"Main", "quoted", " padded "},
      {"Main", "single", "x"},
      {"Main", "empty", ""},
      {"Main", "; comment", std::nullopt},
      {"Other", "a", "1=2"},
      {" other ", "a", "1=2"},
      {"Main", "late", std::nullopt},  // in the second [Main], which does not count
      {"Missing", "a", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ini.Read(c.section, c.key), c.value) << c.key;
  EXPECT_TRUE(ini.SectionExists("MAIN"));
  EXPECT_FALSE(ini.SectionExists("Bare"));  // no keys
  EXPECT_TRUE(ini.KeyExists("other", "A"));
  EXPECT_FALSE(ini.KeyExists("other", "b"));
}

TEST(IniDocument, WritesChangeOnlyTheirLine) {
  CIniDocument ini;
  ini.Parse("; settings\r\n[Video]\r\nWidth=640\r\n\r\n; audio next\r\n[Audio]\r\nOn=1\r\n");
  ini.Write("video", "WIDTH", "800");     // keeps the stored spelling of the key
  ini.Write("Video", "Height", "600");    // after the section's last key
  ini.Write("Audio", "Volume", " 50 ");   // blanks kept through quotes
  ini.Write("Audio", "Title", "\"x\"");
  ini.Write("New", "k", "v");             // a new section at the end
  EXPECT_EQ(ini.Serialize(),
            "; settings\r\n[Video]\r\nWidth=800\r\nHeight=600\r\n\r\n; audio next\r\n"
            "[Audio]\r\nOn=1\r\nVolume=\" 50 \"\r\nTitle=\"\"x\"\"\r\n\r\n[New]\r\nk=v\r\n");
  EXPECT_EQ(ini.Read("Audio", "Volume"), " 50 ");
  EXPECT_EQ(ini.Read("Audio", "Title"), "\"x\"");
  EXPECT_TRUE(ini.DeleteKey("audio", "on"));
  EXPECT_FALSE(ini.DeleteKey("audio", "on"));
  EXPECT_TRUE(ini.DeleteSection("VIDEO"));
  EXPECT_EQ(ini.Serialize(),
            "; settings\r\n[Audio]\r\nVolume=\" 50 \"\r\nTitle=\"\"x\"\"\r\n\r\n[New]\r\nk=v\r\n");
  CIniDocument fresh;
  fresh.Write("A", "b", "c");
  EXPECT_EQ(fresh.Serialize(), "[A]\nb=c\n");
}

}  // namespace
}  // namespace vendrel::library
