// Action lists: blocks, questions with else and not, repeat, exit,
// variable actions, argument preparation, applies-to, parent events.
#include "tests/runtime/game_fixture.h"

namespace vendrel::testing {
namespace {

using namespace resources;

CAction Structure(int kind) {
  CAction action;
  action.kind = kind;
  return action;
}

CAction Question(const std::string& code, bool not_flag = false) {
  CAction action = CAction::MakeCodeAction(code);
  action.is_question = true;
  action.not_flag = not_flag;
  return action;
}

CAction Say(const std::string& text) { return CAction::MakeCodeAction("log('" + text + "')"); }

CAction Repeat(const std::string& count) {
  CAction action = Structure(kActionRepeat);
  action.argument_count = 1;
  action.argument_kinds[0] = 0;
  action.argument_texts[0] = count;
  return action;
}

// A call of log with the given argument kinds and texts.
CAction LogCall(std::vector<std::pair<int, std::string>> arguments) {
  CAction action;
  action.execution_type = kExecuteFunction;
  action.function_name = "log";
  action.function = code::FindBuiltinFunction("log");
  action.argument_count = int32_t(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i) {
    action.argument_kinds[i] = arguments[i].first;
    action.argument_texts[i] = arguments[i].second;
  }
  return action;
}

class ActionTest : public GameTest {
 protected:
  // Runs [actions] as the create event of one instance; returns the log.
  std::vector<std::string> RunCreate(std::vector<CAction> actions) {
    SetUp();
    const int o = AddObject("o");
    for (CAction& action : actions) Action(o, kEventCreate, 0, std::move(action));
    const int r = AddRoom("r");
    Place(r, o, 0, 0);
    Play(1);
    return Log();
  }
};

TEST_F(ActionTest, QuestionGovernsTheNextActionAndItsElse) {
  struct Case {
    bool answer;
    bool not_flag;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {true, false, {"then", "after"}},
      {false, false, {"else", "after"}},
      {true, true, {"else", "after"}},
      {false, true, {"then", "after"}},
  };
  for (const Case& c : cases) {
    std::vector<CAction> actions;
    actions.push_back(Question(c.answer ? "return 1" : "return 0.4", c.not_flag));
    actions.push_back(Say("then"));
    actions.push_back(Structure(kActionElse));
    actions.push_back(Say("else"));
    actions.push_back(Say("after"));
    EXPECT_EQ(RunCreate(std::move(actions)), c.expected)
        << "answer " << c.answer << " not " << c.not_flag;
  }
}

TEST_F(ActionTest, FalseQuestionSkipsAWholeBlockAndNestedQuestions) {
  std::vector<CAction> actions;
  actions.push_back(Question("return 0"));
  actions.push_back(Structure(kActionBeginBlock));
  actions.push_back(Question("return 1"));
  actions.push_back(Say("inner"));
  actions.push_back(Say("block"));
  actions.push_back(Structure(kActionEndBlock));
  actions.push_back(Say("after"));
  EXPECT_EQ(RunCreate(std::move(actions)), Lines({"after"}));
}

TEST_F(ActionTest, RepeatRunsTheFollowingBlockCountTimes) {
  std::vector<CAction> actions;
  actions.push_back(Repeat("1 + 2"));
  actions.push_back(Structure(kActionBeginBlock));
  actions.push_back(Say("a"));
  actions.push_back(Say("b"));
  actions.push_back(Structure(kActionEndBlock));
  actions.push_back(Say("after"));
  EXPECT_EQ(RunCreate(std::move(actions)), Lines({"a", "b", "a", "b", "a", "b", "after"}));

  actions.clear();
  actions.push_back(Repeat("'three'"));  // a string counts as 0
  actions.push_back(Say("never"));
  actions.push_back(Say("after"));
  EXPECT_EQ(RunCreate(std::move(actions)), Lines({"after"}));
}

TEST_F(ActionTest, ExitInsideABlockEndsTheWholeList) {
  std::vector<CAction> actions;
  actions.push_back(Structure(kActionBeginBlock));
  actions.push_back(Say("in block"));
  actions.push_back(Structure(kActionExit));
  actions.push_back(Say("rest of block"));
  actions.push_back(Structure(kActionEndBlock));
  actions.push_back(Say("after block"));
  EXPECT_EQ(RunCreate(std::move(actions)), Lines({"in block"}));
}

TEST_F(ActionTest, VariableActionAssignsOrAddsWhenRelative) {
  for (bool relative : {false, true}) {
    CAction variable = Structure(kActionVariable);
    variable.argument_texts[0] = "score";
    variable.argument_texts[1] = "2";
    variable.relative = relative;
    std::vector<CAction> actions;
    actions.push_back(CAction::MakeCodeAction("score = 10"));
    actions.push_back(std::move(variable));
    actions.push_back(CAction::MakeCodeAction("log(score)"));
    EXPECT_EQ(RunCreate(std::move(actions)), Lines({relative ? "12" : "2"}));
  }
}

TEST_F(ActionTest, ArgumentsAreFixedTextsFoldedExpressionsOrLiveExpressions) {
  std::vector<CAction> actions;
  actions.push_back(CAction::MakeCodeAction("x = 5"));
  actions.push_back(LogCall({{2, "'a' + 'b'"}, {2, "hello"}, {1, "x + 1"}, {0, "x + 1"},
                             {15, "'q'"}}));
  EXPECT_EQ(RunCreate(std::move(actions)), Lines({"ab hello x + 1 6 'q'"}));
}

TEST_F(ActionTest, RelativeFlagReachesFunctionsAndCodeActions) {
  std::vector<CAction> actions;
  CAction call = LogCall({{0, "argument_relative"}});
  call.may_be_relative = true;
  call.relative = true;
  actions.push_back(std::move(call));
  CAction code = CAction::MakeCodeAction("log('code', argument_relative)");
  code.may_be_relative = true;
  code.relative = true;
  actions.push_back(std::move(code));
  CAction ignored = LogCall({{0, "argument_relative"}});
  ignored.relative = true;  // only counts when the action may be relative
  actions.push_back(std::move(ignored));
  // The relative flag is set before the arguments are evaluated.
  EXPECT_EQ(RunCreate(std::move(actions)), Lines({"1", "code 1", "0"}));
}

TEST_F(ActionTest, LibraryCodeActionGetsItsArgumentsInTheArgumentSlots) {
  CAction action;
  action.execution_type = kExecuteCode;
  action.code = "log(argument0, argument1)";
  action.argument_count = 2;
  action.argument_kinds = {0, 1};
  action.argument_texts[0] = "2 * 3";
  action.argument_texts[1] = "text";
  std::vector<CAction> actions;
  actions.push_back(CAction::MakeCodeAction("argument0 = 'kept'"));
  actions.push_back(std::move(action));
  actions.push_back(CAction::MakeCodeAction("log(argument0)"));
  EXPECT_EQ(RunCreate(std::move(actions)), Lines({"6 text", "kept"}));
}

TEST_F(ActionTest, AppliesToRunsForEveryInstanceOfTheObjectAndItsChildren) {
  const int target = AddObject("target");
  const int child = AddObject("child", target);
  const int caller = AddObject("caller");
  CAction action = CAction::MakeCodeAction("log(object_index, other.object_index)");
  action.applies_to = target;
  Action(caller, kEventOther, 4, std::move(action));
  CAction question = Question("return object_index == " + std::to_string(target));
  question.applies_to = target;
  Action(caller, kEventOther, 4, std::move(question));
  Action(caller, kEventOther, 4, Say("all were targets"));
  Action(caller, kEventOther, 4, Structure(kActionElse));
  Action(caller, kEventOther, 4, Say("not all"));
  const int r = AddRoom("r");
  Place(r, caller, 0, 0);
  Place(r, target, 0, 0);
  Place(r, child, 0, 0);
  Play(1);
  EXPECT_EQ(Log(), Lines({"0 2", "1 2", "not all"}));
}

TEST_F(ActionTest, QuestionForAnObjectWithoutInstancesAnswersTrue) {
  const int absent = AddObject("absent");
  const int o = AddObject("o");
  CAction question = Question("return 0");
  question.applies_to = absent;
  Action(o, kEventCreate, 0, std::move(question));
  Action(o, kEventCreate, 0, Say("yes"));
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Play(1);
  EXPECT_EQ(Log(), Lines({"yes"}));
}

TEST_F(ActionTest, UnknownActionFunctionIsAnErrorAndTheListGoesOn) {
  CAction missing;
  missing.execution_type = kExecuteFunction;
  missing.function_name = "action_not_here";
  std::vector<CAction> actions;
  actions.push_back(std::move(missing));
  actions.push_back(Say("after"));
  EXPECT_EQ(RunCreate(std::move(actions)), Lines({"after"}));
  const std::string& error = code::Errors().last_error;
  EXPECT_NE(error.find("action number 1\r\nof Create Event\r\nfor object o:\r\n\r\n"
                       "Unknown action function action_not_here"),
            std::string::npos)
      << error;
}

TEST_F(ActionTest, CompileErrorsStopThePreparationWithTheirContext) {
  struct Case {
    CAction action;
    const char* expected;
  };
  std::vector<Case> cases;
  cases.push_back({CAction::MakeCodeAction("x = = 1"), "COMPILATION ERROR in code action\r"});
  cases.push_back({LogCall({{1, "fine"}, {0, "1 +"}}), "COMPILATION ERROR in argument 1\r"});
  for (Case& c : cases) {
    SetUp();
    const int o = AddObject("o");
    Action(o, kEventStep, 2, Say("first"));
    Action(o, kEventStep, 2, std::move(c.action));
    EXPECT_FALSE(Prepare());
    const std::string& error = code::Errors().last_error;
    EXPECT_EQ(error.rfind("FATAL ERROR in\r\naction number 2\r\nof End Step Event\r\n"
                          "for object o:\r\n\r\n" +
                              std::string(c.expected),
                          0),
              0u)
        << error;
  }
}

TEST_F(ActionTest, ActionsAddedAfterPreparationArePreparedWhenTheyRun) {
  const int o = AddObject("o");
  Code(o, kEventCreate, 0, "log('create')");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  ASSERT_TRUE(Prepare());
  // As object_event_add does while the game runs.
  Code(o, kEventCreate, 0, "log('added', 1 + 2)");
  Action(o, kEventCreate, 0, LogCall({{0, "x + 5"}, {2, "'a' + 'b'"}}));
  CAction variable = Structure(kActionVariable);
  variable.argument_texts = {"y", "7"};
  Action(o, kEventCreate, 0, std::move(variable));
  Code(o, kEventCreate, 0, "log(y)");
  runtime::LoopSettings().max_steps = 1;
  runtime::RunGame();
  EXPECT_EQ(Log(), Lines({"create", "added 3", "5 ab", "7"}));
  // Preparing everything again leaves prepared actions alone.
  ASSERT_TRUE(Prepare());
  Log().clear();
  runtime::RunGame();
  EXPECT_EQ(Log(), Lines({"create", "added 3", "5 ab", "7"}));
}

TEST_F(ActionTest, EventsAreInheritedThroughTheParentChain) {
  const int grandparent = AddObject("grandparent");
  const int parent = AddObject("parent", grandparent);
  const int child = AddObject("child", parent);
  Code(grandparent, kEventStep, 0, "log('grandparent step', object_index); x = 1 + text");
  Code(grandparent, kEventCreate, 0, "text = 'a'");
  Code(parent, kEventCreate, 0, "text = 'b'; log('parent create', object_index)");
  const int r = AddRoom("r");
  Place(r, child, 0, 0);
  Play(1);
  EXPECT_EQ(Log(), Lines({"parent create 2", "grandparent step 2"}));
  // The error context names the object whose event ran.
  EXPECT_NE(code::Errors().last_error.find("for object grandparent:"), std::string::npos);
}

TEST_F(ActionTest, CollisionEventsAreFoundThroughTheOtherObjectsParents) {
  const int wall = AddObject("wall");
  const int brick = AddObject("brick", wall);
  const int ball = AddObject("ball");
  const int heavy_ball = AddObject("heavy_ball", ball);
  Code(ball, kEventCollision, wall, "log('ball hits a wall')");
  struct Case {
    int object, other;
    int owner;  // -1: no event
  };
  const Case cases[] = {
      {ball, wall, ball},       {ball, brick, ball},  {heavy_ball, brick, ball},
      {brick, ball, -1},        {ball, ball, -1},     {ball, 99, -1},
  };
  for (const Case& c : cases) {
    interp::FoundEvent found = interp::FindEvent(c.object, kEventCollision, c.other);
    EXPECT_EQ(found.event != nullptr ? found.owner : -1, c.owner)
        << c.object << " with " << c.other;
  }
}

TEST_F(ActionTest, ParentLoopsDoNotHangLookups) {
  const int a = AddObject("a");
  const int b = AddObject("b", a);
  Object(a).parent = b;
  EXPECT_EQ(interp::FindEvent(a, kEventStep, 0).event, nullptr);
  Code(b, kEventStep, 0, "log('b step', object_index)");
  const int r = AddRoom("r");
  Place(r, a, 0, 0);
  Play(1);
  EXPECT_EQ(Log(), Lines({"b step 0"}));
}

TEST(EventNames, DisplayNamesOfEvents) {
  struct Case {
    int type, number;
    const char* name;
  };
  const Case cases[] = {
      {0, 0, "Create Event"},
      {1, 0, "Destroy Event"},
      {2, 3, "Alarm Event for alarm 3"},
      {3, 0, " Step Event"},
      {3, 1, "Begin Step Event"},
      {3, 2, "End Step Event"},
      {3, 7, "<unknown> Step Event"},
      {5, 65, "Keyboard Event for A-key Key"},
      {5, 48, "Keyboard Event for 0-key Key"},
      {5, 99, "Keyboard Event for Keypad 3 Key"},
      {5, 123, "Keyboard Event for F12 Key"},
      {5, 37, "Keyboard Event for <Left> Key"},
      {5, 200, "Keyboard Event for <unknown> Key"},
      {9, 32, "Key Press Event for <Space> Key"},
      {10, 109, "Key Release Event for Keypad - Key"},
      {6, 4, "Mouse Event for Left Pressed"},
      {6, 23, "Mouse Event for Joystick 1 Button 3"},
      {6, 34, "Mouse Event for Joystick 2 Down"},
      {6, 58, "Mouse Event for Glob Middle Released"},
      {6, 61, "Mouse Event for Mouse Wheel Down"},
      {6, 12, "Mouse Event for <unknown>"},
      {7, 2, "Other Event: Game Start"},
      {7, 25, "Other Event: User Defined 15"},
      {7, 26, "Other Event: <unknown>"},
      {8, 0, "Draw Event"},
      {11, 0, "<Unknown Event>"},
  };
  for (const Case& c : cases) EXPECT_EQ(interp::EventName(c.type, c.number), c.name);
  resources::Resources().Clear();
  EXPECT_EQ(interp::EventName(4, 3), "Collision Event with object <undefined>");
}

}  // namespace
}  // namespace vendrel::testing
