// Editing paths (control points, kind, precision, and the transforms about
// the centre of their extent) and time lines (moments made, found and
// cleared in step order).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "resources/path.h"
#include "resources/time_line.h"

namespace vendrel::resources {
namespace {

CPath PathOf(std::vector<RPathPoint> points, bool closed = false) {
  CPath path;
  path.closed = closed;
  for (const RPathPoint& p : points) path.AddPoint(p.x, p.y, p.speed);
  return path;
}

// The control points as "x,y,speed" texts, rounded to 1e-9 so that the
// trigonometry's last bits do not matter.
std::vector<std::string> Points(const CPath& path) {
  std::vector<std::string> out;
  auto text = [](double v) {
    double r = std::round(v * 1e9) / 1e9;
    if (r == 0) r = 0;  // no "-0"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", r);
    return std::string(buffer);
  };
  for (const RPathPoint& p : path.points)
    out.push_back(text(p.x) + "," + text(p.y) + "," + text(p.speed));
  return out;
}

TEST(PathEdit, PointEditsKeepTheComputedRouteUpToDate) {
  CPath path = PathOf({{0, 0, 100}, {100, 0, 50}}, true);
  EXPECT_EQ(path.total_length, 200);
  EXPECT_EQ(path.path_points.size(), 3u);

  path.InsertPoint(2, 100, 100, 100);  // at the count: appends
  EXPECT_EQ(Points(path), (std::vector<std::string>{"0,0,100", "100,0,50", "100,100,100"}));
  path.InsertPoint(4, 1, 1, 1);  // past the count: nothing
  path.InsertPoint(-1, 1, 1, 1);
  EXPECT_EQ(path.points.size(), 3u);
  EXPECT_NEAR(path.total_length, 200 + 100 * std::sqrt(2.0), 1e-9);

  path.ChangePoint(1, 0, 100, 100);
  path.ChangePoint(3, 5, 5, 5);  // outside: nothing
  EXPECT_EQ(Points(path), (std::vector<std::string>{"0,0,100", "0,100,100", "100,100,100"}));
  EXPECT_EQ(path.total_length, 100 + 100 + 100 * std::sqrt(2.0));

  path.DeletePoint(0);
  path.DeletePoint(2);  // outside: nothing
  EXPECT_EQ(Points(path), (std::vector<std::string>{"0,100,100", "100,100,100"}));
  EXPECT_EQ(path.total_length, 200);

  path.ClearPoints();
  EXPECT_TRUE(path.path_points.empty());
  EXPECT_EQ(path.total_length, 0);
}

TEST(PathEdit, ControlPointOutsideTheListIsTheNeutralPoint) {
  CPath path = PathOf({{3, 4, 60}});
  for (int index : {-1, 1, 99}) {
    RPathPoint p = path.ControlPoint(index);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.speed, 100);
  }
  EXPECT_EQ(path.ControlPoint(0).speed, 60);
}

TEST(PathEdit, KindClosedAndPrecisionAreCheckedAndRecompute) {
  CPath path = PathOf({{0, 0, 100}, {100, 0, 100}, {100, 100, 100}});
  EXPECT_EQ(path.path_points.size(), 3u);
  path.SetKind(1);
  EXPECT_EQ(path.kind, 1);
  EXPECT_GT(path.path_points.size(), 3u);  // smoothed into a curve
  path.SetKind(2);
  EXPECT_EQ(path.kind, 0);
  EXPECT_EQ(path.path_points.size(), 3u);
  path.SetClosed(true);
  EXPECT_EQ(path.path_points.size(), 4u);
  const struct {
    int given, stored;
  } precisions[] = {{12, 8}, {-3, 0}, {5, 5}, {8, 8}, {0, 0}};
  for (const auto& c : precisions) {
    path.SetPrecision(c.given);
    EXPECT_EQ(path.precision, c.stored) << c.given;
  }
}

TEST(PathEdit, TransformsWorkAboutTheCentreOfTheExtent) {
  // Extent x 0..100, y 0..50: centre (50, 25).
  const std::vector<RPathPoint> start = {{0, 0, 100}, {100, 0, 50}, {100, 50, 10}};
  struct Case {
    const char* name;
    void (*apply)(CPath&);
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"mirror", [](CPath& p) { p.Mirror(); }, {"100,0,100", "0,0,50", "0,50,10"}},
      {"flip", [](CPath& p) { p.Flip(); }, {"0,50,100", "100,50,50", "100,0,10"}},
      {"reverse", [](CPath& p) { p.Reverse(); }, {"100,50,10", "100,0,50", "0,0,100"}},
      {"shift", [](CPath& p) { p.Shift(-5, 7); }, {"-5,7,100", "95,7,50", "95,57,10"}},
      {"scale", [](CPath& p) { p.Scale(2, -1); }, {"-50,50,100", "150,50,50", "150,0,10"}},
      // 90 degrees counter-clockwise on a screen whose y grows downwards:
      // the point right of the centre goes above it.
      {"rotate", [](CPath& p) { p.Rotate(90); }, {"25,75,100", "25,-25,50", "75,-25,10"}},
      {"append itself", [](CPath& p) { p.Append(p); },
       {"0,0,100", "100,0,50", "100,50,10", "0,0,100", "100,0,50", "100,50,10"}},
  };
  for (const Case& c : cases) {
    CPath path = PathOf(start);
    c.apply(path);
    EXPECT_EQ(Points(path), c.expected) << c.name;
    // The route follows the new points.
    EXPECT_EQ(path.path_points.size(), path.points.size()) << c.name;
    EXPECT_EQ(path.path_points.front().x, path.points.front().x) << c.name;
  }
}

TEST(PathEdit, TransformsOfAnEmptyPathDoNothing) {
  CPath path;
  path.Rotate(45);
  path.Scale(3, 3);
  path.Mirror();
  path.Flip();
  path.Reverse();
  EXPECT_TRUE(path.points.empty());
  EXPECT_EQ(path.total_length, 0);
}

// A time line with moments at [steps], each holding one action whose code
// names its step.
CTimeLine LineOf(std::vector<int> steps) {
  CTimeLine line;
  for (int step : steps)
    line.MomentForWriting(step).actions.push_back(
        CAction::MakeCodeAction("m" + std::to_string(step)));
  return line;
}

std::vector<int> Steps(const CTimeLine& line) {
  std::vector<int> steps;
  for (const RMoment& m : line.moments) steps.push_back(m.step);
  return steps;
}

TEST(TimeLineEdit, MomentsStayInStepOrder) {
  CTimeLine line = LineOf({20, 0, 10});
  EXPECT_EQ(Steps(line), (std::vector<int>{0, 10, 20}));
  EXPECT_EQ(line.FindMoment(10), 1);
  EXPECT_EQ(line.FindMoment(15), -1);

  line.MomentForWriting(15).actions.push_back(CAction::MakeCodeAction("m15"));
  EXPECT_EQ(Steps(line), (std::vector<int>{0, 10, 15, 20}));
  // An existing step gets the action appended to its event.
  line.MomentForWriting(10).actions.push_back(CAction::MakeCodeAction("again"));
  EXPECT_EQ(Steps(line), (std::vector<int>{0, 10, 15, 20}));
  ASSERT_EQ(line.moments[1].event.Count(), 2);
  EXPECT_EQ(line.moments[1].event.actions[1].argument_texts[0], "again");
  line.MomentForWriting(-5);
  EXPECT_EQ(Steps(line), (std::vector<int>{-5, 0, 10, 15, 20}));
}

TEST(TimeLineEdit, ClearMomentRemovesOnlyAnExactStep) {
  CTimeLine line = LineOf({0, 10, 20});
  line.ClearMoment(5);
  EXPECT_EQ(Steps(line), (std::vector<int>{0, 10, 20}));
  line.ClearMoment(0);
  EXPECT_EQ(Steps(line), (std::vector<int>{10, 20}));
  EXPECT_EQ(line.moments[0].event.actions[0].argument_texts[0], "m10");
  line.ClearMoment(20);
  line.ClearMoment(10);
  EXPECT_EQ(line.Count(), 0);
}

}  // namespace
}  // namespace vendrel::resources
