// Room starts and ends, persistent rooms and instances, and the instance
// commands: create, destroy, change, copy, find, count, deactivate.
#include "tests/runtime/game_fixture.h"

namespace vendrel::testing {
namespace {

using namespace resources;

TEST_F(GameTest, NewRoomRunsCreationCodeCreateEventsThenRoomCode) {
  const int o = AddObject("o");
  Code(o, kEventCreate, 0, "log('create', id)");
  Code(o, kEventOther, 2, "log('game start', id)");
  Code(o, kEventOther, 4, "log('room start', id)");
  const int r = AddRoom("r", "log('room code', id, object_index, x)");
  Place(r, o, 1, 1, "log('code a')");
  Place(r, o, 2, 2, "log('code b'); instance_create(0, 0, " + std::to_string(o) + ")");
  Place(r, o, 3, 3, "log('c' +");
  Play(1);
  const std::string& error = code::Errors().last_error;
  EXPECT_EQ(error.rfind("COMPILATION ERROR in initialization code for instance\r", 0), 0u)
      << error;
  // The instance made by creation code has its create event at once; the
  // one whose creation code failed to compile still gets its create event.
  EXPECT_EQ(Log(), Lines({"code a", "create 100001", "code b", "create 100004", "create 100002",
                          "create 100003", "game start 100001", "game start 100002",
                          "game start 100003", "game start 100004", "room code 0 0 0",
                          "room start 100001", "room start 100002", "room start 100003",
                          "room start 100004"}));
}

TEST_F(GameTest, CreateAndDestroyDuringWith) {
  const int o = AddObject("o");
  const int spawner = AddObject("spawner");
  Code(o, kEventDestroy, 0, "log('destroy', id)");
  Code(spawner, kEventCreate, 0,
       "with (" + std::to_string(o) + ") { log('visit', id); instance_create(0, 0, " +
           std::to_string(o) + "); instance_destroy(); log('after destroy', id) }"
           "log(instance_count, instance_number(" + std::to_string(o) + "), instance_exists(" +
           std::to_string(o) + "))");
  Code(spawner, kEventStep, 0, "log('step', instance_count)");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Place(r, o, 0, 0);
  Place(r, spawner, 0, 0);
  Play(1);
  EXPECT_EQ(Log(), Lines({"visit 100001", "destroy 100001", "after destroy 100001",
                          "visit 100002", "destroy 100002", "after destroy 100002",
                          // destroyed instances stay counted until the sweep
                          "5 2 1", "step 5"}));
  EXPECT_EQ(runtime::CurrentRoom(), nullptr);  // every room state is freed at game end
}

TEST_F(GameTest, InstanceCreateOfMissingObjectIsAnErrorAndNoInstance) {
  const int o = AddObject("o");
  Code(o, kEventCreate, 0, "n = instance_create(0, 0, 7); log(n, instance_count)");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Play(1);
  EXPECT_EQ(Log(), Lines({"-4 1"}));
  EXPECT_NE(code::Errors().last_error.find("Creating instance for non-existing object: 7"),
            std::string::npos);
}

TEST_F(GameTest, InstanceChangeKeepsTheIdAndRunsBothEvents) {
  const int a = AddObject("a");
  const int b = AddObject("b");
  Code(a, kEventDestroy, 0, "log('a destroyed', id)");
  Code(b, kEventCreate, 0, "log('b created', id, keep)");
  Code(a, kEventStep, 0,
       "keep = 'kept'; instance_change(" + std::to_string(b) +
           ", true); me = id; log('caller goes on', object_index, me.object_index)");
  Code(b, kEventStep, 0, "log('b step', id, object_index)");
  const int r = AddRoom("r");
  Place(r, a, 0, 0);
  Play(1);
  // The new instance is reached by the same step's dispatch for its object.
  EXPECT_EQ(Log(), Lines({"a destroyed 100001", "b created 100001 kept", "caller goes on 0 1",
                          "b step 100001 1"}));
}

TEST_F(GameTest, InstanceCopyFindAndNumber) {
  const int parent = AddObject("parent");
  const int child = AddObject("child", parent);
  Code(child, kEventCreate, 0, "log('create', id)");
  const std::string p = std::to_string(parent);
  Code(parent, kEventOther, 4,
       "if (id != 100001) exit;"
       "speed = 3; c = instance_copy(false); log('copy', c, c.speed, instance_number(" + p +
           "));"
           "instance_destroy();"
           "log(instance_find(" + p + ", 0), instance_find(" + p + ", 1), instance_find(" + p +
           ", 2));"
           "log(instance_find(-3, 0), instance_find(c, 0), instance_find(c, 1), instance_find(100001, 0));"
           "log(instance_number(-3), instance_number(-1), instance_exists(-1), instance_exists(c))");
  const int r = AddRoom("r");
  Place(r, child, 0, 0);
  Place(r, child, 0, 0);
  Play(1);
  EXPECT_EQ(Log(), Lines({"create 100001", "create 100002", "copy 100003 3 3",
                          "100002 100003 -4", "100002 100003 -4 -4", "2 0 0 1"}));
}

TEST_F(GameTest, DeactivatedInstancesGetNoEventsButStillExistForThemselves) {
  const int o = AddObject("o");
  Code(o, kEventStep, 0,
       "log('step', id); if (id == 100001) { instance_deactivate_object(-1); "
       "log('still exists', instance_exists(-1), instance_number(" +
           std::to_string(o) + ")) }");
  const int waker = AddObject("waker");
  Code(waker, kEventStep, 2,
       "global.n += 1; if (global.n == 2) instance_activate_object(" + std::to_string(o) + ")");
  Code(waker, kEventCreate, 0, "global.n = 0");
  const int r = AddRoom("r");
  Place(r, o, 0, 0);
  Place(r, o, 0, 0);
  Place(r, waker, 0, 0);
  Play(3);
  // Deactivating shortens the list being dispatched, which ends that loop
  // early: 100002 misses the first step. Reactivated instances go to the
  // end of the active list.
  EXPECT_EQ(Log(), Lines({"step 100001", "still exists 1 1", "step 100002", "step 100002",
                          "step 100001", "still exists 1 1"}));
}

TEST_F(GameTest, DeactivateRegionInsideOrOutside) {
  const int s = AddSprite("s", 10, 10, 1);
  const int o = AddObject("o");
  Object(o).sprite = s;
  const int control = AddObject("control");
  struct Case {
    const char* call;
    int remaining;
  };
  const Case cases[] = {
      {"instance_deactivate_region(0, 0, 50, 50, true, true)", 2},
      {"instance_deactivate_region(0, 0, 50, 50, false, true)", 2},
      {"instance_deactivate_region(0, 0, 50, 50, true, false)", 2},
      {"instance_deactivate_all(true)", 1},
      {"instance_deactivate_all(false)", 0},
  };
  for (const Case& c : cases) {
    Object(control).events[kEventOther].clear();
    Code(control, kEventOther, 4, std::string(c.call) + "; log(instance_count)");
    const int r = R().rooms.Count() == 0 ? AddRoom("r") : 0;
    if (Room(0).instances.empty()) {
      Place(r, o, 0, 0);      // inside
      Place(r, o, 100, 100);  // outside
      Place(r, control, 500, 500);
    }
    Log().clear();
    runtime::Game() = runtime::GameState();
    Play(1);
    EXPECT_EQ(Log(), Lines({std::to_string(c.remaining).c_str()})) << c.call;
  }
}

TEST_F(GameTest, NonPersistentRoomIsRebuiltPersistentRoomKeepsItsState) {
  for (bool persistent : {false, true}) {
    SetUp();
    const int o = AddObject("o");
    Code(o, kEventCreate, 0, "counter = 0; log('create')");
    Code(o, kEventOther, 4, "counter += 1; log('room start', counter)");
    const int driver = AddObject("driver");
    Object(driver).persistent = true;
    Code(driver, kEventStep, 0, "if (room == 0) room_goto(1) else room_goto(0)");
    const int a = AddRoom("a");
    AddRoom("b");
    Room(a).persistent = persistent;
    Place(a, o, 0, 0);
    Place(a, driver, 0, 0);
    Play(3);
    if (persistent)
      EXPECT_EQ(Log(), Lines({"create", "room start 1", "room start 2"}));
    else
      EXPECT_EQ(Log(), Lines({"create", "room start 1", "create", "room start 1"}));
  }
}

TEST_F(GameTest, PersistentInstanceTravelsWithoutCreateEvent) {
  const int hero = AddObject("hero");
  Object(hero).persistent = true;
  const int other = AddObject("other");
  Code(hero, kEventCreate, 0, "log('hero create', id); lives_here = 0");
  Code(hero, kEventOther, 4, "lives_here += 1; log('hero in room', room, id, lives_here, instance_number(" +
                                 std::to_string(hero) + "))");
  Code(hero, kEventOther, 5, "log('hero leaves', room)");
  Code(other, kEventCreate, 0, "log('other create', room)");
  Code(hero, kEventStep, 0, "if (room == 0) room_goto(1) else room_goto(0)");
  const int a = AddRoom("a");
  const int b = AddRoom("b");
  Place(a, hero, 0, 0);
  Place(b, other, 0, 0);
  Play(2);
  EXPECT_EQ(Log(), Lines({"hero create 100001", "hero in room 0 100001 1 1", "hero leaves 0",
                          "other create 1", "hero in room 1 100001 2 1", "hero leaves 1",
                          // back in a: the fresh copy with the same id gives way
                          "hero in room 0 100001 3 1", "hero leaves 0"}));
}

TEST_F(GameTest, RoomChangeFunctionsCheckTheRoomOrder) {
  struct Case {
    const char* code;
    const char* error;  // empty: the game goes on
  };
  const Case cases[] = {
      {"room_goto_next()", "Moving to next room after the last room."},
      {"room_goto(5)", "Unexisting room number: 5"},
      {"room = 7", "Unexisting room number: 7"},
      {"room_goto_previous()", ""},
      {"room = 0", ""},
  };
  for (const Case& c : cases) {
    SetUp();
    const int o = AddObject("o");
    Object(o).persistent = true;
    Code(o, kEventStep, 0, std::string("if (room == 1) ") + c.code + " else room_goto_next()");
    const int a = AddRoom("a");
    AddRoom("b");
    Place(a, o, 0, 0);
    const bool aborted = Play(3);
    EXPECT_EQ(aborted, c.error[0] != 0) << c.code;
    if (aborted) {
      const std::string& error = code::Errors().last_error;
      EXPECT_EQ(error.rfind("FATAL ERROR in", 0), 0u) << error;
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      EXPECT_EQ(runtime::Game().steps_run, 2) << c.code;
    }
  }
}

TEST_F(GameTest, RoomNextAndPreviousFollowTheRoomOrder) {
  const int o = AddObject("o");
  Code(o, kEventCreate, 0,
       "log(room_next(2), room_next(1), room_next(0), room_next(9));"
       "log(room_previous(2), room_previous(1), room_previous(0), room_previous(-1));"
       "log(room_first, room_last)");
  AddRoom("a");
  AddRoom("b");
  AddRoom("c");
  R().room_order.rooms = {2, 1, 0};
  Place(2, o, 0, 0);
  Play(1);
  EXPECT_EQ(Log(), Lines({"1 0 -1 -1", "-1 2 1 -1", "2 0"}));
}

TEST_F(GameTest, GameEndRequestedInRoomEndIsLost) {
  const int o = AddObject("o");
  Code(o, kEventOther, 5, "log('room end', room); game_end()");
  Code(o, kEventOther, 4, "log('room start', room)");
  Code(o, kEventStep, 0, "if (room == 0) room_goto(1)");
  Object(o).persistent = true;
  const int a = AddRoom("a");
  AddRoom("b");
  Place(a, o, 0, 0);
  Play(2);
  EXPECT_EQ(Log(), Lines({"room start 0", "room end 0", "room start 1", "room end 1"}));
}

}  // namespace
}  // namespace vendrel::testing
