// The resource functions of game code for scripts, paths, time lines,
// objects and rooms, run inside a game: answers for resources that do not
// exist, their messages, and resources built while the game runs and then
// used by it (paths followed, events and moments run, rooms visited).
#include <string>

#include "runtime/function_families.h"
#include "tests/runtime/game_fixture.h"

namespace vendrel::testing {
namespace {

using namespace resources;

class ResourceFunctions : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    static const bool registered = [] {
      runtime::RegisterScriptResourceFunctions();
      runtime::RegisterPathResourceFunctions();
      runtime::RegisterTimeLineResourceFunctions();
      runtime::RegisterObjectResourceFunctions();
      runtime::RegisterRoomResourceFunctions();
      runtime::RegisterPathFunctions();
      interp::RegisterEventFunctions();
      return true;
    }();
    (void)registered;
  }

  // Runs [code] in the create event of the one instance of a one-room game
  // that stops after [steps] steps; whether the game was aborted.
  bool RunCreate(const std::string& code, int steps = 1) {
    const int o = AddObject("runner");
    Code(o, kEventCreate, 0, code);
    Place(AddRoom("main"), o, 0, 0);
    return Play(steps);
  }
  const std::string& LastError() { return code::Errors().last_error; }
};

TEST_F(ResourceFunctions, ResourcesThatDoNotExistGiveNeutralAnswers) {
  // One of each kind exists at index 0; 3 and -1 name nothing.
  struct Case {
    const char* expression;
    const char* answer;
  };
  const Case cases[] = {
      {"script_name(3)", "<undefined>"},
      {"script_get_name(-1)", "<undefined>"},
      {"script_exists(3)", "0"},
      {"script_exists(0)", "1"},
      {"script_get_text(3)", ""},
      {"script_get_text(0)", "return 1"},
      {"path_name(3)", "<undefined>"},
      {"path_exists(3)", "0"},
      {"path_exists(0.5)", "1"},  // rounds to 0
      {"path_exists(1.5)", "0"},  // rounds to 2
      {"path_get_length(3)", "-1"},
      {"path_get_kind(3)", "-1"},
      {"path_get_closed(3)", "-1"},
      {"path_get_precision(3)", "-1"},
      {"path_get_number(3)", "-1"},
      {"path_get_point_x(3, 0)", "-1"},
      {"path_get_point_speed(3, 0)", "-1"},
      {"path_get_x(3, 0.5)", "-1"},
      {"path_get_speed(-1, 0)", "-1"},
      {"timeline_name(3)", "<undefined>"},
      {"timeline_get_name(0)", "line"},
      {"timeline_exists(3)", "0"},
      {"object_name(3)", "<undefined>"},
      {"object_get_name(0)", "runner"},
      {"object_exists(3)", "0"},
      {"object_get_sprite(3)", "-1"},
      {"object_get_solid(3)", "-1"},
      {"object_get_depth(3)", "-1"},
      {"object_get_parent(3)", "-1"},
      {"object_is_ancestor(3, -1)", "-1"},
      {"room_name(3)", "<undefined>"},
      {"room_exists(3)", "0"},
      {"room_exists(0)", "1"},
      {"room_instance_add(3, 0, 0, 0)", "-1"},
      {"room_tile_add(3, 0, 0, 0, 8, 8, 0, 0, 0)", "-1"},
      {"room_tile_add_ext(3, 0, 0, 0, 8, 8, 0, 0, 0, 1, 1, 1)", "0"},
  };
  for (const Case& c : cases) {
    SetUp();
    R().scripts.Add(std::make_unique<CScript>(), "s");
    R().scripts.Get(0)->source = "return 1";
    R().paths.Add(std::make_unique<CPath>(), "p");
    AddTimeLine("line", {});
    R().backgrounds.Add(std::make_unique<CBackground>(), "b");
    EXPECT_FALSE(RunCreate(std::string("log(") + c.expression + ")")) << c.expression;
    EXPECT_EQ(Log(), Lines({c.answer})) << c.expression;
    EXPECT_EQ(LastError(), "") << c.expression;
  }
}

TEST_F(ResourceFunctions, MisuseIsReportedAndTheCodeGoesOn) {
  // Path 0, room 0 and object 0 exist; 7 names nothing.
  struct Case {
    const char* call;
    const char* message;
    const char* answer;  // what the call gave
  };
  const Case cases[] = {
      {"path_duplicate(7)", "Trying to duplicate non-existing path.", "0"},
      {"path_assign(7, 0)", "Error assigning a path.", "0"},
      {"path_assign(0, 7)", "Error assigning a path.", "0"},
      {"path_append(7, 7)", "Appending to non-existing path.", "0"},
      {"path_append(0, 7)", "Appending a non-existing path.", "0"},
      {"path_delete(7)", "Trying to delete non-existing path.", "0"},
      {"timeline_delete(7)", "Trying to delete non-existing timeline.", "0"},
      {"object_delete(7)", "Trying to delete non-existing object.", "0"},
      {"room_duplicate(7)", "Trying to duplicate non-existing room.", "0"},
      {"room_assign(0, 7)", "Error assigning a room.", "0"},
      {"room_assign(7, 0)", "Error assigning a room.", "0"},
      {"room_tile_add(0, 7, 0, 0, 8, 8, 0, 0, 0)", "Background does not exist.", "-1"},
      {"room_tile_add_ext(0, 7, 0, 0, 8, 8, 0, 0, 0, 1, 1, 1)", "Background does not exist.", "0"},
  };
  for (const Case& c : cases) {
    SetUp();
    R().paths.Add(std::make_unique<CPath>(), "p");
    EXPECT_FALSE(RunCreate(std::string("log(") + c.call + "); log('went on')")) << c.call;
    EXPECT_EQ(Log(), Lines({c.answer, "went on"})) << c.call;
    const std::string& error = LastError();
    EXPECT_EQ(error.rfind("ERROR in", 0), 0u) << error;  // not fatal
    EXPECT_NE(error.find(std::string(":\r\n\r\n") + c.message), std::string::npos) << error;
  }
}

TEST_F(ResourceFunctions, PathBuiltByCodeIsMeasuredAndFollowed) {
  RunCreate(
      "p = path_add();"
      "log(p, path_name(p), path_get_number(p), path_get_length(p), path_get_closed(p));"
      "path_add_point(p, 0, 0, 100); path_add_point(p, 100, 0, 50);"
      "log(path_get_number(p), path_get_length(p), path_get_x(p, 3 / 4), path_get_y(p, 3 / 4));"
      "log(path_get_speed(p, 1 / 4), path_get_point_x(p, 1), path_get_point_speed(p, 1));"
      "log(path_get_point_x(p, 2), path_get_point_y(p, -1), path_get_point_speed(p, 9));"
      "path_insert_point(p, 2, 100, 100, 100); path_insert_point(p, 4, 0, 0, 0);"
      "path_set_closed(p, 0.5); path_set_kind(p, 2); path_set_precision(p, 12);"
      "log(path_get_number(p), path_get_closed(p), path_get_kind(p), path_get_precision(p));"
      "path_set_closed(p, 0.4); log(path_get_closed(p), path_get_length(p));"
      "q = path_duplicate(p); path_shift(p, 10, 0);"
      "log(q, path_name(q), path_get_point_x(q, 0), path_get_point_x(p, 0));"
      "path_append(q, q); log(path_get_number(q));"
      "path_assign(q, p); log(path_get_number(q), path_get_point_x(q, 0), path_name(q));"
      "path_delete_point(q, 0); path_change_point(q, 0, 1, 2, 3);"
      "log(path_get_number(q), path_get_point_x(q, 0), path_get_point_y(q, 0));"
      "path_clear_points(q); log(path_get_number(q), path_get_length(q), path_get_x(q, 0.5));"
      "path_delete(q); log(path_exists(q), path_name(q), path_get_length(q));"
      "path_start(p, 10, 0, true); log(x, y)",
      3);
  EXPECT_EQ(Log(), Lines({"0 __newpath0 0 0 1",
                          "2 200 50 0",
                          "75 100 50",
                          "0 0 100",
                          "3 1 0 8",
                          "0 200",
                          "1 __newpath1 0 10",
                          "6",
                          "3 10 __newpath1",
                          "2 1 2",
                          "0 0 0",
                          "0 <undefined> -1",
                          "10 0"}));
  EXPECT_EQ(LastError(), "");
}

TEST_F(ResourceFunctions, ObjectBuiltByCodeRunsItsEvents) {
  RunCreate(
      "o = object_add(); log(o, object_get_name(o), object_get_sprite(o), object_get_visible(o));"
      "object_set_depth(o, 7.5); object_set_solid(o, 0.5); object_set_visible(o, 0.4);"
      "object_set_sprite(o, 3); object_set_mask(o, 4); object_set_persistent(o, 1);"
      "log(object_get_depth(o), object_get_solid(o), object_get_visible(o), object_get_sprite(o),"
      "    object_get_mask(o), object_get_persistent(o));"
      "object_event_add(o, ev_create, 0, 'log(\"created\", depth, solid, visible)');"
      "object_event_add(o, ev_step, ev_step_normal, 'log(\"step\", id)');"
      "object_event_add(o, ev_other, ev_user0, 'log(\"user 0\")');"
      "object_event_add(o, 11, 0, 'log(\"no such type\")');"
      "object_event_add(o, ev_step, -1, 'log(\"no such number\")');"
      "object_event_add(7, ev_step, 0, 'log(\"no such object\")');"
      "global.made = instance_create(5, 5, o); with (global.made) event_user(0);"
      "object_event_add(o, ev_other, ev_user0, 'log(\"user 0 again\")');"
      "with (global.made) event_user(0)",
      2);
  EXPECT_EQ(Log(), Lines({"1 __newobject1 -1 1", "8 1 0 3 4 1", "created 8 1 0", "user 0",
                          "user 0", "user 0 again", "step 100002", "step 100002"}));
  EXPECT_EQ(LastError(), "");
}

TEST_F(ResourceFunctions, EventClearAndParentChangeTheDispatch) {
  const int child = AddObject("child");
  const int parent = AddObject("parent");
  Code(child, kEventStep, 0, "log('child step')");
  Code(parent, kEventAlarm, 0, "log('parent alarm', id)");
  RunCreate(
      "c = " + std::to_string(child) + "; p = " + std::to_string(parent) + ";"
      "log(object_is_ancestor(c, p), object_is_ancestor(c, -1), object_is_ancestor(c, c));"
      "object_set_parent(c, p);"
      "log(object_get_parent(c), object_is_ancestor(c, p), object_is_ancestor(c, 5));"
      "i = instance_create(0, 0, c); i.alarm[0] = 2;"
      "object_event_clear(c, ev_step, 0); object_event_clear(c, ev_draw, 0);"
      "object_event_clear(99, ev_step, 0)",
      4);
  EXPECT_EQ(Log(), Lines({"0 1 0", "1 1 0", "parent alarm 100002"}));
  EXPECT_EQ(LastError(), "");
}

TEST_F(ResourceFunctions, ParentLoopsAreFollowedOnceRound) {
  const int a = AddObject("a");
  const int b = AddObject("b");
  RunCreate("object_set_parent(" + std::to_string(a) + ", " + std::to_string(b) +
            "); object_set_parent(" + std::to_string(b) + ", " + std::to_string(a) +
            "); log(object_is_ancestor(" + std::to_string(a) + ", " + std::to_string(a) +
            "), object_is_ancestor(" + std::to_string(a) + ", 9))");
  EXPECT_EQ(Log(), Lines({"1 0"}));
}

TEST_F(ResourceFunctions, RunningEventsThatChangeThemselvesRunToTheirEnd) {
  const int o = AddObject("o");
  // Step: the first action clears the whole event and adds a new action;
  // both actions of this step still run, and from the next step on only
  // the added one.
  Code(o, kEventStep, 0,
       "log('first', global.steps); object_event_clear(object_index, ev_step, 0);"
       "object_event_add(object_index, ev_step, 0, 'log(\"added\")'); global.steps += 1");
  Code(o, kEventStep, 0, "log('second')");
  // Its own object deleted while its destroy event runs.
  Code(o, kEventDestroy, 0, "object_delete(object_index); log('deleted', object_exists(object_index))");
  Code(o, kEventDestroy, 0, "log('destroy goes on')");
  Code(o, kEventAlarm, 1, "instance_destroy()");
  Code(o, kEventCreate, 0, "global.steps = 0; alarm[1] = 3");
  Place(AddRoom("r"), o, 0, 0);
  Play(5);
  EXPECT_EQ(Log(), Lines({"first 0", "second", "added", "deleted 0", "destroy goes on"}));
  EXPECT_EQ(LastError(), "");
}

TEST_F(ResourceFunctions, CodeThatDoesNotCompileIsAFatalErrorAndAddsNothing) {
  const int o = AddObject("o");
  Code(o, kEventCreate, 0,
       "object_event_add(object_index, ev_step, 0, 'x = '); log('after')");
  Code(o, kEventStep, 0, "log('step', object_exists(object_index))");
  Place(AddRoom("r"), o, 0, 0);
  EXPECT_TRUE(Play(3));
  const std::string& error = LastError();
  EXPECT_EQ(error.rfind("FATAL ERROR in", 0), 0u) << error;
  EXPECT_NE(error.find("COMPILATION ERROR in code action"), std::string::npos) << error;
  EXPECT_EQ(Object(o).Event(kEventStep, 0)->Count(), 1);
}

TEST_F(ResourceFunctions, TimeLineBuiltByCodeRunsItsMoments) {
  RunCreate(
      "t = timeline_add(); log(t, timeline_name(t), timeline_exists(t));"
      "timeline_moment_add(t, 2, 'log(\"two\", timeline_position)');"
      "timeline_moment_add(t, 0, 'log(\"zero\")');"
      "timeline_moment_add(t, 1, 'log(\"one\")');"
      "timeline_moment_add(t, 1, 'log(\"one again\")');"
      "timeline_moment_add(t, 4, 'log(\"four\"); timeline_moment_clear(timeline_index, 4);"
      "   timeline_moment_add(timeline_index, 5, \"log(5)\"); log(\"four goes on\")');"
      "timeline_moment_add(t, 4, 'log(\"four second action\")');"
      "timeline_moment_add(t, 3, 'log(\"three\")'); timeline_moment_clear(t, 3);"
      "timeline_moment_add(9, 3, 'log(\"no such time line\")'); timeline_moment_clear(9, 3);"
      "timeline_index = t",
      8);
  EXPECT_EQ(Log(), Lines({"0 __newtimeline0 1", "zero", "one", "one again", "two 3", "four",
                          "four goes on", "four second action", "5"}));
  const CTimeLine* line = R().time_lines.Get(0);
  ASSERT_NE(line, nullptr);
  ASSERT_EQ(line->Count(), 4);
  EXPECT_EQ(line->moments[3].step, 5);
  EXPECT_EQ(LastError(), "");
}

TEST_F(ResourceFunctions, TimeLineDeletedByItsOwnMomentFinishesTheMoment) {
  const int line = AddTimeLine("line", {});
  R().time_lines.Get(line)->MomentForWriting(1).actions.push_back(
      CAction::MakeCodeAction("log('moment'); timeline_delete(timeline_index); log('goes on')"));
  R().time_lines.Get(line)->MomentForWriting(1).actions.push_back(
      CAction::MakeCodeAction("log('second action', timeline_exists(timeline_index))"));
  R().time_lines.Get(line)->MomentForWriting(2).actions.push_back(
      CAction::MakeCodeAction("log('never')"));
  RunCreate("timeline_index = " + std::to_string(line), 4);
  EXPECT_EQ(Log(), Lines({"moment", "goes on", "second action 0"}));
  EXPECT_EQ(LastError(), "");
}

TEST_F(ResourceFunctions, RoomBuiltByCodeIsVisited) {
  const int visitor = AddObject("visitor");
  Code(visitor, kEventCreate, 0, "log('visitor', id, x, y, room, room_width, room_caption)");
  const std::string v = std::to_string(visitor);
  RunCreate(
      "r = room_add(); log(r, room_name(r), room_exists(r));"
      "room_set_width(r, 320.5); room_set_height(r, 200); room_set_caption(r, 'built');"
      "room_set_persistent(r, 1); room_set_background_color(r, 255, 0);"
      "room_set_code(r, 'log(\"room code\", room_persistent)');"
      "a = room_instance_add(r, 10.5, 20, " + v + "); b = room_instance_add(r, 30, 40, " + v +
      ");"
      "log(a, b);"
      "d = room_duplicate(r); room_instance_clear(r); c = room_instance_add(r, 1, 2, " + v + ");"
      "log(d, room_name(d), c); room_goto(d)",
      3);
  EXPECT_EQ(Log(), Lines({"1 __newroom1 1", "100002 100003", "2 __newroom2 100004",
                          "visitor 100002 10 20 2 320 built",
                          "visitor 100003 30 40 2 320 built", "room code 1"}));
  const CRoom* made = R().rooms.Get(1);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->background_color, 255);
  EXPECT_FALSE(made->draw_background_color);
  ASSERT_EQ(made->instances.size(), 1u);
  EXPECT_EQ(made->instances[0].id, 100004);
  EXPECT_EQ(LastError(), "");
}

TEST_F(ResourceFunctions, RoomChangesReachTheNextVisitNotTheRunningRoom) {
  const int o = AddObject("o");
  Object(o).persistent = true;
  Code(o, kEventCreate, 0,
       "room_set_width(room, 100); room_set_caption(room, 'changed'); log(room_width, "
       "room_caption); room_goto(room)");
  Code(o, kEventOther, 4, "log('room start', room_width, room_caption)");
  Place(AddRoom("main"), o, 0, 0);
  Play(2);
  // The create event's room change comes before this visit's room start.
  EXPECT_EQ(Log(), Lines({"640 ", "room start 100 changed"}));
}

TEST_F(ResourceFunctions, RoomLayersViewsAndTilesOfTheResource) {
  R().backgrounds.Add(std::make_unique<CBackground>(), "b");
  R().rooms.Add(std::make_unique<CRoom>(), "spare");
  R().rooms.Get(0)->backgrounds[2].stretch = true;
  R().rooms.Get(0)->backgrounds[2].x_scale = 3;
  R().rooms.Get(0)->backgrounds[2].blend_color = 0x123456;
  RunCreate(
      "room_set_background(0, 2, 1, 1, 0, 1.5, -2, 0, 1, 0.25, 3, 0.5);"
      "room_set_background(0, 8, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1);"
      "room_set_view(0, 7, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13.4);"
      "room_set_view(0, -1, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13);"
      "room_set_view_enabled(0, 1);"
      "log(room_tile_add(0, 0, 1, 2, 3, 4, 5.5, 6.5, -7.5),"
      "    room_tile_add_ext(0, 0, 1, 2, 3, 4, 5, 6, 7, 2, 0.5, 0.25));"
      "room_assign(1, 0); room_tile_clear(0)");
  EXPECT_EQ(Log(), Lines({"10000001 10000002"}));
  const CRoom& room = *R().rooms.Get(0);
  const CBack& back = room.backgrounds[2];
  EXPECT_TRUE(back.visible);
  EXPECT_TRUE(back.foreground);
  EXPECT_EQ(back.background, 0);
  EXPECT_EQ(back.x, 1.5);
  EXPECT_EQ(back.y, -2);
  EXPECT_FALSE(back.tile_horizontally);
  EXPECT_TRUE(back.tile_vertically);
  EXPECT_EQ(back.horizontal_speed, 0.25);
  EXPECT_EQ(back.vertical_speed, 3);
  EXPECT_EQ(back.alpha, 0.5);
  EXPECT_EQ(back.x_scale, 1);
  EXPECT_EQ(back.blend_color, 0x123456);
  const CView& view = room.views[7];
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.view_x, 1);
  EXPECT_EQ(view.port_height, 8);
  EXPECT_EQ(view.horizontal_border, 9);
  EXPECT_EQ(view.vertical_speed, 12);
  EXPECT_EQ(view.followed_object, 13);
  EXPECT_TRUE(room.views_enabled);
  EXPECT_TRUE(room.tiles.empty());
  // The copy made before the tiles were cleared keeps them.
  const CRoom& copy = *R().rooms.Get(1);
  EXPECT_EQ(R().rooms.Name(1), "main");
  ASSERT_EQ(copy.tiles.size(), 2u);
  EXPECT_EQ(copy.tiles[0].x, 5.5);
  EXPECT_EQ(copy.tiles[0].depth, -7.5);
  EXPECT_EQ(copy.tiles[0].width, 3);
  EXPECT_EQ(copy.tiles[0].x_scale, 1);
  EXPECT_EQ(copy.tiles[1].x_scale, 2);
  EXPECT_EQ(copy.tiles[1].alpha, 0.25);
  EXPECT_EQ(copy.tiles[1].blend_color, 0xFFFFFF);
  EXPECT_TRUE(copy.views[7].visible);
}

}  // namespace
}  // namespace vendrel::testing
