#include "runner/options.h"

#include <gtest/gtest.h>

namespace vendrel::runner {
namespace {

TEST(CommandLine, OptionsBeforeGameAndParametersAfter) {
  CommandLine line = ParseCommandLine({"--headless", "--frames", "30", "--seed", "7", "--no-wait",
                                       "--screenshot", "3:a.png", "--screenshot", "10:b:c.png",
                                       "--audio-out", "o.wav", "game", "--frames", "x"});
  ASSERT_EQ(line.error, "");
  const RunOptions& o = line.options;
  EXPECT_TRUE(o.headless);
  EXPECT_TRUE(o.no_wait);
  EXPECT_EQ(o.frames, 30);
  EXPECT_EQ(o.seed, 7u);
  ASSERT_EQ(o.screenshots.size(), 2u);
  EXPECT_EQ(o.screenshots[1].frame, 10);
  EXPECT_EQ(o.screenshots[1].file, "b:c.png");
  EXPECT_EQ(o.audio_out, "o.wav");
  EXPECT_EQ(o.game, "game");
  EXPECT_EQ(o.game_parameters, (std::vector<std::string>{"game", "--frames", "x"}));
}

TEST(CommandLine, InputScriptFile) {
  CommandLine line = ParseCommandLine({"--input", "keys.txt", "game", "--input", "x"});
  ASSERT_EQ(line.error, "");
  EXPECT_EQ(line.options.input, "keys.txt");
  // After GAME the option belongs to the game.
  EXPECT_EQ(line.options.game_parameters, (std::vector<std::string>{"game", "--input", "x"}));
  EXPECT_EQ(ParseCommandLine({"--input"}).error, "option --input needs a value");
}

TEST(CommandLine, NoGameMeansTheOwnFile) {
  CommandLine line = ParseCommandLine({"--headless"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.options.game, "");
  EXPECT_TRUE(line.options.game_parameters.empty());
}

TEST(CommandLine, BadValuesAreErrors) {
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{"--frames"}, {"--frames", "-1"}, {"--frames", "ten"},
        {"--seed", "-3"}, {"--screenshot", "5"}, {"--screenshot", "x:a.png"},
        {"--screenshot", "5:"}, {"--bogus", "game"}}) {
    EXPECT_NE(ParseCommandLine(arguments).error, "") << arguments[0];
  }
}

}  // namespace
}  // namespace vendrel::runner
