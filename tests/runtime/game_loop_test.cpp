// The order of events within a step and around rooms, alarms, time lines,
// game end, restart and the step limit.
#include "tests/runtime/game_fixture.h"

namespace vendrel::testing {
namespace {

using namespace resources;

TEST_F(GameTest, StepPerformsEventsInTheirFixedOrder) {
  const int tl = AddTimeLine("tl", {0, 1});
  const int o = AddObject("o");
  Code(o, kEventCreate, 0, "log('create'); alarm[0] = 1; timeline_index = " +
                               std::to_string(tl));
  Code(o, kEventOther, 2, "log('game start')");
  Code(o, kEventOther, 4, "log('room start')");
  Code(o, kEventStep, 1, "log('begin step', x)");
  Code(o, kEventAlarm, 0, "log('alarm')");
  Code(o, kEventStep, 0, "log('step', x); hspeed = 2");
  Code(o, kEventStep, 2, "log('end step', x)");
  Code(o, kEventOther, 5, "log('room end')");
  Code(o, kEventOther, 3, "log('game end')");
  const int r = AddRoom("r", "log('room code')");
  Place(r, o, 10, 0);
  EXPECT_FALSE(Play(2));
  EXPECT_EQ(Log(), Lines({"create", "game start", "room code", "room start",
                          // step 1: motion happens after the step event
                          "begin step 10", "moment 0", "alarm", "step 10", "end step 12",
                          // step 2
                          "begin step 12", "moment 1", "step 12", "end step 14",
                          "room end", "game end"}));
  EXPECT_FALSE(runtime::Game().running);
}

TEST_F(GameTest, AlarmsCountDownOnlyForObjectsWithTheAlarmEvent) {
  const int o = AddObject("o");
  Code(o, kEventCreate, 0, "alarm[0] = 3; alarm[1] = 0; alarm[2] = 5");
  Code(o, kEventStep, 0, "log('step', alarm[0], alarm[1], alarm[2])");
  Code(o, kEventAlarm, 0, "log('alarm 0')");
  Code(o, kEventAlarm, 1, "log('alarm 1')");
  // No alarm 2 event: its counter keeps its value.
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Play(4);
  EXPECT_EQ(Log(), Lines({"step 2 -1 5", "step 1 -1 5", "alarm 0", "step 0 -1 5",
                          "step -1 -1 5"}));
}

TEST_F(GameTest, TimeLineRunsEachMomentOnceBetweenOldAndNewPosition) {
  struct Case {
    const char* name;
    double speed;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"speed 1", 1, {"moment 0", "moment 1", "moment 3"}},
      {"speed 2 runs two moments in the first step", 2, {"moment 0", "moment 1", "moment 3"}},
      {"speed 0.5", 0.5, {"moment 0", "moment 1"}},
      {"negative speed runs nothing", -1, {}},
  };
  for (const Case& c : cases) {
    SetUp();
    const int tl = AddTimeLine("tl", {0, 1, 3});
    const int o = AddObject("o");
    Code(o, kEventCreate, 0, "timeline_index = " + std::to_string(tl) +
                                 "; timeline_speed = " + std::to_string(c.speed));
    const int r = AddRoom("r");
    Place(r, o, 0, 0);
    Play(4);
    EXPECT_EQ(Log(), c.expected) << c.name;
  }
}

TEST_F(GameTest, TimeLineMomentErrorsNameTheTimeLineAndStep) {
  auto line = std::make_unique<CTimeLine>();
  RMoment moment;
  moment.step = 2;
  moment.event.actions.push_back(CAction::MakeCodeAction("x = undefined_thing"));
  line->moments.push_back(std::move(moment));
  const int tl = R().time_lines.Add(std::move(line), "intro");
  const int o = AddObject("o");
  Code(o, kEventCreate, 0, "timeline_index = " + std::to_string(tl));
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  EXPECT_FALSE(Play(4));
  const std::string& error = code::Errors().last_error;
  EXPECT_NE(error.find("at time step 2\r\nof time line intro"), std::string::npos) << error;
}

TEST_F(GameTest, StepLimitEndsTheGameNormally) {
  const int o = AddObject("o");
  Code(o, kEventStep, 0, "global.n += 1");
  Code(o, kEventCreate, 0, "global.n = 0");
  Code(o, kEventOther, 3, "log('steps', global.n)");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  EXPECT_FALSE(Play(7));
  EXPECT_EQ(Log(), Lines({"steps 7"}));
  EXPECT_EQ(runtime::Game().steps_run, 7);
}

TEST_F(GameTest, GameEndSkipsTheRestOfTheStep) {
  const int o = AddObject("o");
  Code(o, kEventStep, 1, "log('begin'); game_end(); log('same code runs to its end')");
  Action(o, kEventStep, 1, CAction::MakeCodeAction("log('next action')"));
  Code(o, kEventStep, 0, "log('step')");
  Code(o, kEventOther, 3, "log('game end')");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Place(r, o, 0, 0);
  EXPECT_FALSE(Play(10));
  EXPECT_EQ(Log(), Lines({"begin", "same code runs to its end", "game end", "game end"}));
  EXPECT_EQ(runtime::Game().steps_run, 1);
}

TEST_F(GameTest, GameRestartClearsGlobalsAndStartsAgain) {
  interp::VariableSettings().uninitialized_is_zero = true;
  R().library_code = {"log('library', global.kept)", "", "log('second text')"};
  const int o = AddObject("o");
  Code(o, kEventOther, 2, "log('game start', score); score = 5; global.kept = 7");
  Code(o, kEventStep, 0,
       "global.steps += 1; log('step', global.steps); if (global.steps == 2) game_restart()");
  Code(o, kEventOther, 3, "log('game end')");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Play(3);
  EXPECT_EQ(Log(), Lines({"library 0", "second text", "game start 0", "step 1", "step 2",
                          "game end", "library 0", "second text", "game start 0", "step 1",
                          "game end"}));
}

TEST_F(GameTest, RunTimeErrorIsReportedAndTheGameGoesOn) {
  const int o = AddObject("thrower");
  Code(o, kEventStep, 0, "log('before'); text = 'a'; x = 1 + text; log('not reached')");
  Action(o, kEventStep, 0, CAction::MakeCodeAction("log('next action')"));
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  EXPECT_FALSE(Play(2));
  EXPECT_EQ(Log(), Lines({"before", "next action", "before", "next action"}));
  const std::string& error = code::Errors().last_error;
  EXPECT_EQ(error.rfind("ERROR in\r\naction number 1\r\nof  Step Event\r\nfor object thrower:", 0),
            0u)
      << error;
  EXPECT_TRUE(code::Errors().error_occurred);
}

TEST_F(GameTest, AbortOnErrorEndsTheGameAfterTheStep) {
  code::ErrorSettings().abort_on_error = true;
  const int o = AddObject("o");
  Code(o, kEventStep, 0, "log('step'); text = 'a'; x = 1 + text");
  Action(o, kEventStep, 0, CAction::MakeCodeAction("log('not run')"));
  Code(o, kEventOther, 3, "log('game end')");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  EXPECT_TRUE(Play(5));
  EXPECT_EQ(Log(), Lines({"step", "game end"}));
}

TEST_F(GameTest, PausedGameRunsSingleStepsResumesAndStops) {
  static int64_t pause_after = 0;
  const int o = AddObject("o");
  Code(o, kEventStep, 0, "global.n += 1; log('step', global.n)");
  Code(o, kEventCreate, 0, "global.n = 0");
  Code(o, kEventOther, 3, "log('game end')");
  // The debug window pauses from outside game code, between steps.
  runtime::Hooks().process_messages = [] {
    if (runtime::Game().steps_run == pause_after) runtime::PauseGame();
  };
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  ASSERT_TRUE(Prepare());
  pause_after = 1;
  runtime::RunGame();
  EXPECT_TRUE(runtime::Game().running);
  EXPECT_TRUE(runtime::Game().paused);
  runtime::SingleStep();
  runtime::SingleStep();
  pause_after = 5;
  runtime::RunGame();
  EXPECT_TRUE(runtime::Game().paused);
  runtime::StopGame();
  EXPECT_FALSE(runtime::Game().running);
  EXPECT_EQ(Log(), Lines({"step 1", "step 2", "step 3", "step 4", "step 5", "game end"}));
}

TEST_F(GameTest, RoomSpeedSetsTheVirtualClockPace) {
  const int o = AddObject("o");
  Code(o, kEventStep, 0, "log(current_time)");
  const int r = AddRoom("r");
  Room(r).speed = 50;
  Place(r, o, 0, 0);
  Play(3);
  EXPECT_EQ(Log(), Lines({"0", "20", "40"}));
}

TEST_F(GameTest, FpsCountsStepsOfTheLastSecond) {
  const int o = AddObject("o");
  Code(o, kEventStep, 0, "if (global.n == 25) log(fps); global.n += 1");
  Code(o, kEventCreate, 0, "global.n = 0");
  const int r = AddRoom("r");
  Room(r).speed = 10;
  Place(r, o, 0, 0);
  Play(26);
  EXPECT_EQ(Log(), Lines({"10"}));
}

TEST_F(GameTest, AnimationEndFiresWhenTheImageWraps) {
  const int s = AddSprite("s", 16, 16, 4);
  const int o = AddObject("o");
  Object(o).sprite = s;
  Code(o, kEventCreate, 0, "image_speed = 0.5; global.n = 0");
  Code(o, kEventStep, 0, "global.n += 1");
  Code(o, kEventOther, 7, "log('animation end after', global.n, image_index)");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Play(9);
  EXPECT_EQ(Log(), Lines({"animation end after 8 0"}));
}

}  // namespace
}  // namespace vendrel::testing
