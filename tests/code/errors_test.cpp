#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/message_box.h"
#include "tests/code/code_runner.h"

namespace vendrel::code {
namespace {

class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ResetState();
    platform::SetHeadless(true);
    saved_directory_ = std::filesystem::current_path();
    directory_ = std::filesystem::temp_directory_path() /
                 ("vendrel_errors_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                  "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
    std::filesystem::current_path(directory_);
  }
  void TearDown() override {
    testing::RestoreDefaults();
    std::filesystem::current_path(saved_directory_);
    std::filesystem::remove_all(directory_);
  }

  static std::string Log() {
    std::ifstream in("game_errors.log", std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }

  std::filesystem::path saved_directory_;
  std::filesystem::path directory_;
};

TEST_F(ErrorsTest, ProgramErrorsShowLineTextAndColumn) {
  // CR LF line ends: the line feed starts the second line and counts.
  EXPECT_EQ(testing::CompileError("a = 1\r\nb = 'x' * 2"),
            "Error in code at line 2:\r   \nb = 'x' * 2\r\rat position 12: "
            "Wrong type of arguments to *.");
  // Bare line feeds do not start lines.
  EXPECT_EQ(testing::CompileError("a = 1\nb = %"),
            "Error in code at line 1:\r   a = 1\nb = %\r\rat position 11: Unexpected symbol.");
  EXPECT_EQ(testing::CompileError("x = 1\ry = 2\rz = #"),
            "Error in code at line 3:\r   z = #\r\rat position 5: Unexpected symbol.");
}

TEST_F(ErrorsTest, ExpressionErrorsShowTheWholeSource) {
  EXPECT_EQ(testing::CompileError("1 +", true),
            "Error in expression:1 +\r position 3: Unexpected symbol in expression.");
}

TEST_F(ErrorsTest, PositionsAreClampedIntoTheSource) {
  struct Case {
    const char* source;
    int position;
    const char* text;
  } cases[] = {
      {"abc", 0, "Error in code at line 1:\r   abc\r\rat position 1: M"},
      {"abc", 99, "Error in code at line 1:\r   abc\r\rat position 3: M"},
      {"\rabc", 0, "Error in code at line 2:\r   abc\r\rat position 0: M"},
      {"", 0, "Error in code at line 1:\r   \r\rat position 1: M"},
      {"a\r", 2, "Error in code at line 2:\r   \r\rat position 0: M"},
  };
  for (const Case& c : cases) {
    CCode code(c.source);
    Errors().pending = false;
    ReportError(code, c.position, "M");
    EXPECT_TRUE(Errors().pending);
    EXPECT_EQ(Errors().text, c.text) << c.source << " at " << c.position;
  }
  // Only the first error of a run is kept.
  CCode code("abc");
  ReportError(code, 2, "second");
  EXPECT_EQ(Errors().text, cases[4].text);
}

TEST_F(ErrorsTest, CompilationHappensOnce) {
  CCode code("x = 1");
  EXPECT_TRUE(code.Compile());
  EXPECT_FALSE(code.Compile());
  EXPECT_EQ(Errors().text,
            "Error in code at line 1:\r   x = 1\r\rat position 1: "
            "Internal Error: Recompiling compiled code.");
  CCode never("x = 1");
  interp::RValue result;
  testing::TestWorld::Get().Add(0);
  EXPECT_FALSE(ExecuteCode(nullptr, nullptr, never, result));
  EXPECT_NE(Errors().text.find("Internal Error: Executing non-compiled code."), std::string::npos);
  EXPECT_FALSE(ExecuteCode(nullptr, nullptr, code, result));
  EXPECT_NE(Errors().text.find("Internal Error: Executing code for nil instance."),
            std::string::npos);
  // A constant expression needs no instance.
  CCode constant("3 * 4", true);
  ASSERT_TRUE(constant.Compile());
  EXPECT_EQ(constant.kind, CodeKind::Constant);
  EXPECT_TRUE(ExecuteCode(nullptr, nullptr, constant, result));
  EXPECT_EQ(result.real, 12);
}

TEST_F(ErrorsTest, LogCollectsMessagesAndIsEmptiedByTheFirstErrorOfARun) {
  { std::ofstream("game_errors.log") << "left over from an earlier run"; }
  ErrorSettings() = ErrorOptions{false, false, true};
  ShowError("first", false);
  ShowError("second", false);
  EXPECT_EQ(Log(), "first\r\n\r\n\r\nsecond\r\n\r\n\r\n");
  EXPECT_EQ(Errors().last_error, "second");
  EXPECT_TRUE(Errors().error_occurred);
  EXPECT_FALSE(Errors().aborting);

  // Without the log setting nothing is written but the error still counts.
  ErrorSettings().write_error_log = false;
  ShowError("third", false);
  EXPECT_EQ(Log(), "first\r\n\r\n\r\nsecond\r\n\r\n\r\n");
  EXPECT_EQ(Errors().last_error, "third");
}

TEST_F(ErrorsTest, AbortingErrorsRequestTheAbortOnceAndSilenceLaterOnes) {
  static int requests = 0;
  requests = 0;
  ErrorCallbacks().request_abort = [] { ++requests; };
  ErrorSettings() = ErrorOptions{false, false, true};
  ShowError("not fatal", false);
  EXPECT_EQ(requests, 0);
  ShowError("fatal", true);
  EXPECT_EQ(requests, 1);
  EXPECT_TRUE(Errors().aborting);
  ShowError("ignored", false);
  EXPECT_EQ(Errors().last_error, "fatal");
  EXPECT_EQ(Log(), "not fatal\r\n\r\n\r\nfatal\r\n\r\n\r\n");

  // AbortOnError turns every error into an abort.
  Errors() = ErrorState();
  ErrorSettings().abort_on_error = true;
  ShowError("plain", false);
  EXPECT_TRUE(Errors().aborting);
  EXPECT_EQ(requests, 2);
}

TEST_F(ErrorsTest, HeadlessDialogAnswersIgnore) {
  ErrorSettings() = ErrorOptions{false, true, false};
  ::testing::internal::CaptureStdout();
  ShowError("shown\rtwice", false);
  std::string echoed = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(echoed.find("shown\ntwice"), std::string::npos);
  EXPECT_FALSE(Errors().aborting);
}

TEST_F(ErrorsTest, RunErrorsNameActionEventAndObject) {
  ErrorSettings() = ErrorOptions{false, false, true};
  ErrorContext() = RunErrorContext{3, 0, 0, 1};
  ShowRunError("Something failed.", false);
  EXPECT_EQ(Errors().last_error,
            "ERROR in\r\naction number 2\r\nof <undefined>\r\nfor object <undefined>:\r\n\r\n"
            "Something failed.");

  ErrorCallbacks().object_name = [](int index) {
    return index == 3 ? std::string("obj_player") : std::string();
  };
  ErrorCallbacks().event_name = [](int type, int number) {
    return type == 3 && number == 0 ? std::string("Step Event") : std::string();
  };
  ErrorCallbacks().time_line_name = [](int index) {
    return index == 1 ? std::string("tl_intro") : std::string();
  };
  ErrorContext() = RunErrorContext{3, 3, 0, 0};
  ShowRunError("Boom.", false);
  EXPECT_EQ(Errors().last_error,
            "ERROR in\r\naction number 1\r\nof Step Event\r\nfor object obj_player:\r\n\r\nBoom.");

  ErrorContext() = RunErrorContext{1, kTimeLineEvent, 40, 2};
  ShowRunError("Late.", true);
  EXPECT_EQ(Errors().last_error,
            "FATAL ERROR in\r\naction number 3\r\nat time step 40\r\nof time line tl_intro:"
            "\r\n\r\nLate.");
  EXPECT_TRUE(Errors().aborting);
}

TEST_F(ErrorsTest, RunCodeShowsTheErrorAndClearsIt) {
  ErrorSettings() = ErrorOptions{false, false, true};
  CCode code("x = y");
  ASSERT_TRUE(code.Compile());
  runtime::CInstance* self = testing::TestWorld::Get().Add(0);
  interp::RValue result;
  EXPECT_FALSE(RunCode(self, self, code, result));
  EXPECT_FALSE(Errors().pending);
  EXPECT_EQ(Errors().last_error,
            "ERROR in\r\naction number 1\r\nof <undefined>\r\nfor object <undefined>:\r\n\r\n"
            "Error in code at line 1:\r   x = y\r\rat position 5: Unknown variable y");
  interp::RValue evaluated;
  EXPECT_FALSE(EvaluateCode(self, self, code, evaluated));
  EXPECT_TRUE(evaluated.IsString());
  EXPECT_EQ(evaluated.str, "ERROR");
  EXPECT_TRUE(Errors().pending);
}

TEST_F(ErrorsTest, ScriptCompilationFailureIsShownWithTheScriptName) {
  ErrorSettings() = ErrorOptions{false, false, true};
  testing::AddScript("scr_good", "return 1");
  testing::AddScript("scr_bad", "x = ");
  EXPECT_FALSE(CompileScripts());
  EXPECT_EQ(Errors().last_error,
            "COMPILATION ERROR in Script: scr_bad\rError in code at line 1:\r   x = \r\r"
            "at position 4: Unexpected symbol in expression.");
  EXPECT_TRUE(Errors().aborting);
  EXPECT_EQ(FindScript("scr_bad"), 1);
  EXPECT_EQ(FindScript("nothing"), -1);
  EXPECT_EQ(ScriptName(0), "scr_good");
  EXPECT_EQ(ScriptName(7), "<undefined>");
}

}  // namespace
}  // namespace vendrel::code
