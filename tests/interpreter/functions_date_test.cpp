#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "tests/interpreter/functions_test_support.h"

namespace vendrel::interp::testing {
namespace {

using DateFunctions = FunctionTest;

constexpr double kMs = 1.0 / 86400000;

double Date(double year, double month, double day) {
  return CallReal("date_create_date", {Real(year), Real(month), Real(day)});
}

double DateTime(double year, double month, double day, double hour, double minute,
                double second) {
  return CallReal("date_create_datetime",
                  {Real(year), Real(month), Real(day), Real(hour), Real(minute), Real(second)});
}

double Get(const char* component, double date) {
  return CallReal(std::string("date_get_") + component, {Real(date)});
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value, 1);
    tzset();
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
    tzset();
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(DateFunctions, CreatingCountsDaysFromTheEpoch) {
  EXPECT_EQ(Date(1899, 12, 30), 0);
  EXPECT_EQ(Date(1900, 1, 1), 2);
  EXPECT_EQ(Date(2000, 1, 1), 36526);
  EXPECT_EQ(Date(2000, 2, 29), 36585);
  EXPECT_EQ(Date(2024, 3, 15), 45366);
  EXPECT_EQ(Date(1600, 3, 1), -109511);
  EXPECT_DOUBLE_EQ(DateTime(2024, 3, 15, 12, 30, 45), 45366 + (12 * 3600 + 30 * 60 + 45) / 86400.0);
  // Before the epoch the fraction still counts forwards from midnight.
  EXPECT_EQ(DateTime(1899, 12, 29, 6, 0, 0), -1.25);
  // Arguments are rounded, halves to even.
  EXPECT_EQ(Date(2000.4, 2.5, 28.6), 36585);
}

TEST_F(DateFunctions, InvalidDatesGiveZero) {
  const struct {
    double year, month, day, hour, minute, second;
  } invalid[] = {
      {2001, 2, 29, 0, 0, 0}, {2000, 13, 1, 0, 0, 0}, {2000, 0, 1, 0, 0, 0},
      {2000, 4, 31, 0, 0, 0}, {2000, 1, 0, 0, 0, 0},  {0, 1, 1, 0, 0, 0},
      {10000, 1, 1, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}, {2000, 1, 1, 24, 0, 0},
      {2000, 1, 1, 0, 60, 0}, {2000, 1, 1, 0, 0, 60}, {2000, 1, 1, -1, 0, 0},
  };
  for (const auto& c : invalid) {
    std::vector<RValue> arguments = {Real(c.year),  Real(c.month),  Real(c.day),
                                     Real(c.hour), Real(c.minute), Real(c.second)};
    EXPECT_EQ(CallReal("date_create_datetime", arguments), 0) << c.year << "-" << c.month;
    EXPECT_EQ(CallReal("date_valid_datetime", arguments), 0) << c.year << "-" << c.month;
  }
  EXPECT_EQ(Date(2001, 2, 29), 0);
  EXPECT_EQ(CallReal("date_valid_date", {Real(2001), Real(2), Real(29)}), 0);
  EXPECT_EQ(CallReal("date_valid_date", {Real(2000), Real(2), Real(29)}), 1);
  EXPECT_EQ(CallReal("date_valid_datetime",
                     {Real(9999), Real(12), Real(31), Real(23), Real(59), Real(59)}),
            1);
  EXPECT_EQ(CallReal("date_valid_time", {Real(23), Real(59), Real(59)}), 1);
  EXPECT_EQ(CallReal("date_valid_time", {Real(0), Real(0), Real(0)}), 1);
  EXPECT_EQ(CallReal("date_valid_time", {Real(12), Real(60), Real(0)}), 0);
}

TEST_F(DateFunctions, ComponentsReadBack) {
  const struct {
    double year, month, day, hour, minute, second;
    double weekday, week, day_of_year;
  } cases[] = {
      {2024, 3, 15, 12, 30, 45, 6, 11, 75},
      {2000, 1, 1, 0, 0, 0, 7, 52, 1},
      {2000, 12, 31, 23, 59, 59, 1, 52, 366},
      {2005, 1, 1, 8, 0, 0, 7, 53, 1},
      {2007, 12, 31, 0, 0, 1, 2, 1, 365},
      {2008, 12, 29, 1, 2, 3, 2, 1, 364},
      {2010, 1, 3, 4, 5, 6, 1, 53, 3},
      {2021, 1, 4, 0, 0, 0, 2, 1, 4},
      {1899, 12, 29, 6, 0, 0, 6, 52, 363},
      {1600, 3, 1, 18, 45, 30, 4, 9, 61},
  };
  for (const auto& c : cases) {
    double date = DateTime(c.year, c.month, c.day, c.hour, c.minute, c.second);
    EXPECT_EQ(Get("year", date), c.year) << date;
    EXPECT_EQ(Get("month", date), c.month) << date;
    EXPECT_EQ(Get("day", date), c.day) << date;
    EXPECT_EQ(Get("hour", date), c.hour) << date;
    EXPECT_EQ(Get("minute", date), c.minute) << date;
    EXPECT_EQ(Get("second", date), c.second) << date;
    EXPECT_EQ(Get("weekday", date), c.weekday) << date;
    EXPECT_EQ(Get("week", date), c.week) << date;
    EXPECT_EQ(Get("day_of_year", date), c.day_of_year) << date;
  }
}

TEST_F(DateFunctions, TimeSinceTheStartOfTheYear) {
  double date = DateTime(2000, 1, 2, 3, 4, 5);
  EXPECT_EQ(Get("hour_of_year", date), 27);
  EXPECT_EQ(Get("minute_of_year", date), 27 * 60 + 4);
  EXPECT_EQ(Get("second_of_year", date), (27 * 60 + 4) * 60 + 5);
  EXPECT_EQ(Get("second_of_year", Date(2001, 1, 1)), 0);
}

TEST_F(DateFunctions, MovingByMonthsClampsTheDay) {
  const struct {
    const char* function;
    double from[3];
    double amount;
    double to[3];
  } cases[] = {
      {"date_inc_month", {2001, 1, 31}, 1, {2001, 2, 28}},
      {"date_inc_month", {2000, 1, 31}, 1, {2000, 2, 29}},
      {"date_inc_month", {2000, 3, 31}, -1, {2000, 2, 29}},
      {"date_inc_month", {2000, 11, 15}, 3, {2001, 2, 15}},
      {"date_inc_month", {2000, 1, 15}, -13, {1998, 12, 15}},
      {"date_inc_month", {2000, 5, 31}, 0.5, {2000, 5, 31}},  // rounds to 0
      {"date_inc_year", {2000, 2, 29}, 1, {2001, 2, 28}},
      {"date_inc_year", {2000, 2, 29}, 4, {2004, 2, 29}},
      {"date_inc_year", {2000, 6, 1}, -101, {1899, 6, 1}},
      {"date_inc_week", {2000, 12, 28}, 1, {2001, 1, 4}},
      {"date_inc_day", {2000, 3, 1}, -1, {2000, 2, 29}},
      {"date_inc_day", {1899, 12, 31}, -3, {1899, 12, 28}},
  };
  for (const auto& c : cases) {
    double from = Date(c.from[0], c.from[1], c.from[2]);
    double moved = CallReal(c.function, {Real(from), Real(c.amount)});
    EXPECT_EQ(moved, Date(c.to[0], c.to[1], c.to[2])) << c.function << " " << c.amount;
  }
  // The time of day is kept.
  double moved = CallReal("date_inc_month", {Real(DateTime(2001, 1, 31, 10, 20, 30)), Real(13)});
  EXPECT_DOUBLE_EQ(moved, DateTime(2002, 2, 28, 10, 20, 30));
  moved = CallReal("date_inc_year", {Real(DateTime(1899, 12, 29, 6, 0, 0)), Real(1)});
  EXPECT_DOUBLE_EQ(moved, DateTime(1900, 12, 29, 6, 0, 0));
}

TEST_F(DateFunctions, MovingByTimeUnitsCrossesDaysAndTheEpoch) {
  const struct {
    const char* function;
    double from[6];
    double amount;
    double to[6];
  } cases[] = {
      {"date_inc_hour", {2000, 1, 1, 23, 0, 0}, 2, {2000, 1, 2, 1, 0, 0}},
      {"date_inc_minute", {2000, 1, 1, 0, 0, 30}, -1, {1999, 12, 31, 23, 59, 30}},
      {"date_inc_second", {2000, 12, 31, 23, 59, 59}, 1, {2001, 1, 1, 0, 0, 0}},
      {"date_inc_hour", {1899, 12, 30, 6, 0, 0}, -12, {1899, 12, 29, 18, 0, 0}},
      {"date_inc_hour", {1899, 12, 29, 18, 0, 0}, 12, {1899, 12, 30, 6, 0, 0}},
      {"date_inc_second", {2000, 1, 1, 0, 0, 0}, 86400 * 3 + 1.5, {2000, 1, 4, 0, 0, 2}},
  };
  for (const auto& c : cases) {
    double from = DateTime(c.from[0], c.from[1], c.from[2], c.from[3], c.from[4], c.from[5]);
    double to = DateTime(c.to[0], c.to[1], c.to[2], c.to[3], c.to[4], c.to[5]);
    EXPECT_NEAR(CallReal(c.function, {Real(from), Real(c.amount)}), to, kMs / 2)
        << c.function << " " << c.amount;
  }
  // An hour of single seconds lands exactly where one hour does.
  double stepped = DateTime(2020, 6, 1, 10, 0, 0);
  for (int i = 0; i < 3600; ++i) stepped = CallReal("date_inc_second", {Real(stepped), Real(1)});
  EXPECT_EQ(Get("hour", stepped), 11);
  EXPECT_EQ(Get("minute", stepped), 0);
  EXPECT_EQ(Get("second", stepped), 0);
  EXPECT_EQ(CallReal("date_compare_datetime", {Real(stepped), Real(DateTime(2020, 6, 1, 11, 0, 0))}),
            0);
}

TEST_F(DateFunctions, Spans) {
  const struct {
    const char* function;
    double date1, date2, expected;
  } cases[] = {
      {"date_year_span", 1000, 1000 + 365.25 * 2, 2},
      {"date_month_span", 1000 + 30.4375, 1000, 1},
      {"date_week_span", 0, 14, 2},
      {"date_day_span", 10.5, 3, 7.5},
      {"date_hour_span", 0, 0.5, 12},
      {"date_minute_span", 5, 4, 1440},
      {"date_second_span", 100, 100.25, 21600},
      // Before the epoch, spans follow the calendar, not the raw numbers:
      // -1.25 (29 December, 6:00) and 0.25 (30 December, 6:00) are a day apart.
      {"date_day_span", -1.25, 0.25, 1},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(CallReal(c.function, {Real(c.date1), Real(c.date2)}), c.expected)
        << c.function << " " << c.date1 << " " << c.date2;
  }
}

TEST_F(DateFunctions, Comparisons) {
  const double base = DateTime(2010, 5, 5, 12, 0, 0);
  const struct {
    const char* function;
    double date1, date2, expected;
  } cases[] = {
      {"date_compare_datetime", base, base + kMs / 2, 0},
      {"date_compare_datetime", base, base + 2 * kMs, -1},
      {"date_compare_datetime", base + 2 * kMs, base, 1},
      {"date_compare_date", 10.9, 10.1, 0},
      {"date_compare_date", 11.0, 10.99, 1},
      {"date_compare_date", 10.5, 11.2, -1},
      {"date_compare_time", 10.25, 3.25, 0},
      {"date_compare_time", 10.5, 3.25, 1},
      {"date_compare_time", 3.25, 10.5, -1},
      {"date_compare_time", 0.25 + kMs / 2, 7.25, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallReal(c.function, {Real(c.date1), Real(c.date2)}), c.expected)
        << c.function << " " << c.date1 << " " << c.date2;
  }
}

TEST_F(DateFunctions, PartsAndCalendarFacts) {
  EXPECT_EQ(CallReal("date_date_of", {Real(36526.75)}), 36526);
  EXPECT_EQ(CallReal("date_time_of", {Real(36526.75)}), 0.75);
  EXPECT_EQ(CallReal("date_date_of", {Real(-1.25)}), -1);
  EXPECT_EQ(CallReal("date_time_of", {Real(-1.25)}), 0.25);
  const struct {
    double year, month, days_in_month, days_in_year, leap;
  } cases[] = {
      {2000, 2, 29, 366, 1}, {2001, 2, 28, 365, 0}, {1900, 2, 28, 365, 0},
      {2004, 4, 30, 366, 1}, {2100, 12, 31, 365, 0}, {1600, 2, 29, 366, 1},
  };
  for (const auto& c : cases) {
    double date = Date(c.year, c.month, 10) + 0.5;
    EXPECT_EQ(CallReal("date_days_in_month", {Real(date)}), c.days_in_month) << c.year;
    EXPECT_EQ(CallReal("date_days_in_year", {Real(date)}), c.days_in_year) << c.year;
    EXPECT_EQ(CallReal("date_leap_year", {Real(date)}), c.leap) << c.year;
  }
}

TEST_F(DateFunctions, AnyRealIsAccepted) {
  for (double value : {1e300, -1e300, double(NAN), double(INFINITY)}) {
    Get("year", value);
    Get("week", value);
    CallReal("date_inc_month", {Real(value), Real(1e15)});
    CallReal("date_inc_second", {Real(value), Real(-1e18)});
    CallString("date_datetime_string", {Real(value)});
  }
  EXPECT_EQ(ReportedError(), "");
}

TEST_F(DateFunctions, NowIsLocalTime) {
  // A fixed zone five hours east of UTC, without daylight saving time.
  ScopedEnv zone("TZ", "XYZ-5");
  double expected = double(std::time(nullptr)) / 86400 + 25569 + 5.0 / 24;
  double now = CallReal("date_current_datetime", {});
  EXPECT_NEAR(now, expected, 60.0 / 86400);
  double today = CallReal("date_current_date", {});
  double time = CallReal("date_current_time", {});
  EXPECT_EQ(today, std::trunc(today));
  EXPECT_GE(time, 0);
  EXPECT_LT(time, 1);
  // Read a moment apart; the pair may straddle midnight only by a day.
  EXPECT_LE(std::fabs(today - std::trunc(now)), 1);
  EXPECT_EQ(CallReal("date_is_today", {Real(now)}), 1);
  EXPECT_EQ(CallReal("date_is_today", {Real(now - 1)}), 0);
  EXPECT_EQ(CallReal("date_is_today", {Real(now + 1)}), 0);
}

TEST_F(DateFunctions, TextsInTheCLocaleAreIso) {
  ScopedEnv locale("LC_ALL", "C");
  double date = DateTime(2024, 3, 5, 7, 8, 9);
  EXPECT_EQ(CallString("date_datetime_string", {Real(date)}), "2024-03-05 07:08:09");
  EXPECT_EQ(CallString("date_date_string", {Real(date)}), "2024-03-05");
  EXPECT_EQ(CallString("date_time_string", {Real(date)}), "07:08:09");
  EXPECT_EQ(CallString("date_date_string", {Real(DateTime(1899, 12, 29, 6, 0, 0))}), "1899-12-29");
  // An unknown locale falls back to the same texts.
  ScopedEnv unknown("LC_ALL", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(CallString("date_time_string", {Real(date)}), "07:08:09");
}

}  // namespace
}  // namespace vendrel::interp::testing
