// Running action lists: blocks, questions with their not flag, repeats,
// exits, the applies-to choice of instances, calls of action functions and
// code actions with their arguments; preparing (compiling) actions at
// start-up; the library initialisation code.
#pragma once

#include <functional>

namespace vendrel::resources {
class CAction;
class CEvent;
}  // namespace vendrel::resources
namespace vendrel::runtime {
class CInstance;
}

namespace vendrel::interp {

// The index value by which the runner routines say that the list stops.
inline constexpr int kStopList = 10000000;

// The relative flag of the running action (argument_relative).
bool ActionRelative();
void SetActionRelative(bool relative);

// Runs [list] for [self] and [other] from its first action until it ends,
// an exit runs or a room change becomes pending. The caller sets the
// object, event type and number of the error context.
void RunActionList(resources::CEvent& list, runtime::CInstance* self, runtime::CInstance* other);

// Whether [list] is being run at the moment (at any nesting depth).
bool ActionListRunning(const resources::CEvent& list);
// Runs [work] as soon as no action list is running: at once when none is,
// else when the outermost running list ends (in the order given). Game
// code that removes or reshapes an action list while it runs goes through
// this, so that the actions being run stay where the runner reads them.
void WhenActionListsIdle(std::function<void()> work);

// Compiles the code and the arguments of [action] (at start-up, or when an
// action added later first runs; the caller sets the error context). An
// action prepared before is left as it is. Shows the compile error (fatal)
// and returns false on failure.
bool PrepareAction(resources::CAction& action);
// Prepares every action of every moment of every time line, and of every
// event of every object; false at the first failure.
bool PrepareTimeLineActions();
bool PrepareObjectActions();

// Compiles and runs each text of the library initialisation code for a
// temporary instance (at every game start).
void RunLibraryCode();

}  // namespace vendrel::interp
