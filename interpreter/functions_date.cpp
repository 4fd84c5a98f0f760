// Date and time functions. A date-time is a real: the number of days since
// 30 December 1899 at 0:00 in local time, the time of day being the
// fraction. Before that day the value is negative and the fraction still
// counts forwards from midnight: -1.25 is 29 December 1899 at 6:00. The
// calendar is the proleptic Gregorian one.
//
// Internally a date-time becomes a count of milliseconds on a linear scale
// (day number × 86400000 + milliseconds of the day), rounded to the
// millisecond as the components are, so that moving a date by hours or
// seconds never drifts and the components read back exactly.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>
#include <string>
#include <string_view>

#include "code/function_registry.h"
#include "interpreter/function_families.h"

namespace vendrel::interp {

namespace {

constexpr int64_t kMsPerDay = 86400000;
// Day numbers are held within about 270000 years of the epoch so that the
// millisecond count and every calendar step stay far from 64-bit overflow.
constexpr double kMaxDays = 1e8;
constexpr double kMaxMs = kMaxDays * double(kMsPerDay);
// The day number of 1 January 1970, the epoch of the civil algorithms.
constexpr int64_t kUnixEpochDay = 25569;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a % b < 0) != (b < 0)); }
int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int64_t year, int64_t month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The day number (days since 30 December 1899) of a Gregorian date
// (H. Hinnant's days_from_civil, shifted to this epoch).
int64_t DayNumber(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  int64_t era = FloorDiv(year, 400);
  int64_t year_of_era = year - era * 400;
  int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468 + kUnixEpochDay;
}

struct CivilDate {
  int64_t year;
  int64_t month;
  int64_t day;
};

// The Gregorian date of a day number (civil_from_days).
CivilDate DateOfDay(int64_t day_number) {
  int64_t z = day_number - kUnixEpochDay + 719468;
  int64_t era = FloorDiv(z, 146097);
  int64_t day_of_era = z - era * 146097;
  int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  int64_t mp = (5 * day_of_year + 2) / 153;
  int64_t day = day_of_year - (153 * mp + 2) / 5 + 1;
  int64_t month = mp < 10 ? mp + 3 : mp - 9;
  return {year_of_era + era * 400 + (month <= 2), month, day};
}

// The position of [value] on the linear scale in (unrounded) days.
double LinearDays(double value) {
  if (!std::isfinite(value)) return 0;
  value = std::clamp(value, -kMaxDays, kMaxDays);
  double day = std::trunc(value);
  return day + std::fabs(value - day);
}

int64_t ClampMs(double ms) { return int64_t(std::clamp(ms, -kMaxMs, kMaxMs)); }

// [value] on the linear scale in milliseconds.
int64_t LinearMs(double value) {
  if (!std::isfinite(value)) return 0;
  value = std::clamp(value, -kMaxDays, kMaxDays);
  double day = std::trunc(value);
  return int64_t(day) * kMsPerDay + std::llround(std::fabs(value - day) * double(kMsPerDay));
}

// The date-time value of a linear millisecond count.
double FromLinearMs(int64_t ms) {
  int64_t day = FloorDiv(ms, kMsPerDay);
  double time = double(ms - day * kMsPerDay) / double(kMsPerDay);
  return day >= 0 ? double(day) + time : double(day) - time;
}

struct DateTimeParts {
  int64_t day_number;
  CivilDate date;
  int64_t hour, minute, second, millisecond;
};

DateTimeParts Decode(double value) {
  int64_t ms = LinearMs(value);
  DateTimeParts parts{};
  parts.day_number = FloorDiv(ms, kMsPerDay);
  int64_t ms_of_day = ms - parts.day_number * kMsPerDay;
  parts.date = DateOfDay(parts.day_number);
  parts.hour = ms_of_day / 3600000;
  parts.minute = ms_of_day / 60000 % 60;
  parts.second = ms_of_day / 1000 % 60;
  parts.millisecond = ms_of_day % 1000;
  return parts;
}

bool ValidDate(int64_t year, int64_t month, int64_t day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

bool ValidTime(int64_t hour, int64_t minute, int64_t second) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

double Encode(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
              int64_t second) {
  int64_t ms = DayNumber(year, month, day) * kMsPerDay +
               ((hour * 60 + minute) * 60 + second) * 1000;
  return FromLinearMs(ms);
}

// Sunday 1 to Saturday 7; day 0 was a Saturday.
int64_t Weekday(int64_t day_number) { return FloorMod(day_number + 6, 7) + 1; }

int64_t DayOfYear(const DateTimeParts& parts) {
  return parts.day_number - DayNumber(parts.date.year, 1, 1) + 1;
}

// The ISO 8601 week: weeks start on Monday, and week 1 is the one holding
// the year's first Thursday.
int64_t IsoWeek(int64_t day_number) {
  int64_t iso_weekday = FloorMod(day_number + 5, 7) + 1;  // Monday 1 to Sunday 7
  int64_t thursday = day_number - iso_weekday + 4;
  int64_t year = DateOfDay(thursday).year;
  return (thursday - DayNumber(year, 1, 1)) / 7 + 1;
}

// [value] moved by [months] calendar months, the day of the month clamped
// to the target month's length, the time of day kept.
double AddMonths(double value, int64_t months) {
  DateTimeParts parts = Decode(value);
  months = std::clamp<int64_t>(months, -12 * 400000, 12 * 400000);
  int64_t index = parts.date.year * 12 + (parts.date.month - 1) + months;
  int64_t year = FloorDiv(index, 12);
  int64_t month = FloorMod(index, 12) + 1;
  int64_t day = std::min<int64_t>(parts.date.day, DaysInMonth(year, month));
  int64_t ms_of_day = LinearMs(value) - parts.day_number * kMsPerDay;
  return FromLinearMs(ClampMs(double(DayNumber(year, month, day)) * double(kMsPerDay) +
                              double(ms_of_day)));
}

double AddMs(double value, double amount, double ms_per_unit) {
  return FromLinearMs(ClampMs(double(LinearMs(value)) + amount * ms_per_unit));
}

double CurrentDateTime() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  std::tm local{};
  localtime_r(&seconds, &local);
  int64_t ms_of_second = FloorMod(int64_t(ms), 1000);
  int64_t day = DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  int64_t ms_of_day =
      ((int64_t(local.tm_hour) * 60 + local.tm_min) * 60 + std::min(local.tm_sec, 59)) * 1000 +
      ms_of_second;
  return FromLinearMs(day * kMsPerDay + ms_of_day);
}

// -1, 0 or 1 as [a] is before, equal to or after [b], with [tolerance].
double Compare(double a, double b, double tolerance) {
  double difference = a - b;
  if (difference == 0 || std::fabs(difference) < tolerance) return 0;
  return difference > 0 ? 1 : -1;
}

constexpr double kOneMsInDays = 1.0 / double(kMsPerDay);

double TimeOfDay(double value) {
  return std::isfinite(value) ? std::fabs(value - std::trunc(value)) : 0;
}

// The locale whose short date and time formats the date texts follow: the
// player's (LC_ALL, LC_TIME, LANG), or none for the C locales, whose
// two-digit years would be ambiguous: those get ISO 8601 texts.
bool PlayerTimeLocale(std::locale& locale) {
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      name = value;
      break;
    }
  }
  std::string_view chosen = name == nullptr ? "C" : name;
  if (chosen == "C" || chosen == "POSIX" || chosen.starts_with("C.")) return false;
  try {
    locale = std::locale(name);
  } catch (const std::runtime_error&) {
    return false;
  }
  return true;
}

// The date ([with_date]) and time ([with_time]) of [value] as text.
std::string DateText(double value, bool with_date, bool with_time) {
  DateTimeParts parts = Decode(value);
  std::tm tm{};
  tm.tm_year = int(parts.date.year - 1900);
  tm.tm_mon = int(parts.date.month - 1);
  tm.tm_mday = int(parts.date.day);
  tm.tm_hour = int(parts.hour);
  tm.tm_min = int(parts.minute);
  tm.tm_sec = int(parts.second);
  tm.tm_wday = int(Weekday(parts.day_number) - 1);
  tm.tm_yday = int(DayOfYear(parts) - 1);
  tm.tm_isdst = -1;
  std::locale locale;
  bool localized = PlayerTimeLocale(locale);
  std::string format;
  if (with_date) format += localized ? "%x" : "%Y-%m-%d";
  if (with_date && with_time) format += ' ';
  if (with_time) format += localized ? "%X" : "%H:%M:%S";
  std::ostringstream text;
  text.imbue(localized ? locale : std::locale::classic());
  text << std::put_time(&tm, format.c_str());
  return text.str();
}

// Current date and time -------------------------------------------------------

VENDREL_BUILTIN(DateCurrentDateTime) { result.SetReal(CurrentDateTime()); }
VENDREL_BUILTIN(DateCurrentDate) { result.SetReal(std::trunc(CurrentDateTime())); }
VENDREL_BUILTIN(DateCurrentTime) { result.SetReal(TimeOfDay(CurrentDateTime())); }

// Creating and validating -------------------------------------------------------

VENDREL_BUILTIN(DateCreateDateTime) {
  int64_t year = ArgInt(args[0]), month = ArgInt(args[1]), day = ArgInt(args[2]);
  int64_t hour = ArgInt(args[3]), minute = ArgInt(args[4]), second = ArgInt(args[5]);
  if (ValidDate(year, month, day) && ValidTime(hour, minute, second))
    result.SetReal(Encode(year, month, day, hour, minute, second));
}

VENDREL_BUILTIN(DateCreateDate) {
  int64_t year = ArgInt(args[0]), month = ArgInt(args[1]), day = ArgInt(args[2]);
  if (ValidDate(year, month, day)) result.SetReal(Encode(year, month, day, 0, 0, 0));
}

VENDREL_BUILTIN(DateValidDateTime) {
  result.SetReal(ValidDate(ArgInt(args[0]), ArgInt(args[1]), ArgInt(args[2])) &&
                         ValidTime(ArgInt(args[3]), ArgInt(args[4]), ArgInt(args[5]))
                     ? 1
                     : 0);
}

VENDREL_BUILTIN(DateValidDate) {
  result.SetReal(ValidDate(ArgInt(args[0]), ArgInt(args[1]), ArgInt(args[2])) ? 1 : 0);
}

VENDREL_BUILTIN(DateValidTime) {
  result.SetReal(ValidTime(ArgInt(args[0]), ArgInt(args[1]), ArgInt(args[2])) ? 1 : 0);
}

// Moving a date -------------------------------------------------------------------

VENDREL_BUILTIN(DateIncYear) {
  int64_t years = std::clamp<int64_t>(ArgInt(args[1]), -1000000, 1000000);
  result.SetReal(AddMonths(ArgReal(args[0]), years * 12));
}

VENDREL_BUILTIN(DateIncMonth) { result.SetReal(AddMonths(ArgReal(args[0]), ArgInt(args[1]))); }

template <int64_t kMsPerUnit>
VENDREL_BUILTIN(DateIncBy) {
  result.SetReal(AddMs(ArgReal(args[0]), double(ArgInt(args[1])), double(kMsPerUnit)));
}

// Components -------------------------------------------------------------------------

VENDREL_BUILTIN(DateGetYear) { result.SetReal(double(Decode(ArgReal(args[0])).date.year)); }
VENDREL_BUILTIN(DateGetMonth) { result.SetReal(double(Decode(ArgReal(args[0])).date.month)); }
VENDREL_BUILTIN(DateGetDay) { result.SetReal(double(Decode(ArgReal(args[0])).date.day)); }
VENDREL_BUILTIN(DateGetHour) { result.SetReal(double(Decode(ArgReal(args[0])).hour)); }
VENDREL_BUILTIN(DateGetMinute) { result.SetReal(double(Decode(ArgReal(args[0])).minute)); }
VENDREL_BUILTIN(DateGetSecond) { result.SetReal(double(Decode(ArgReal(args[0])).second)); }

VENDREL_BUILTIN(DateGetWeek) {
  result.SetReal(double(IsoWeek(Decode(ArgReal(args[0])).day_number)));
}

VENDREL_BUILTIN(DateGetWeekday) {
  result.SetReal(double(Weekday(Decode(ArgReal(args[0])).day_number)));
}

VENDREL_BUILTIN(DateGetDayOfYear) { result.SetReal(double(DayOfYear(Decode(ArgReal(args[0]))))); }

int64_t HourOfYear(const DateTimeParts& parts) {
  return parts.hour + (DayOfYear(parts) - 1) * 24;
}

int64_t MinuteOfYear(const DateTimeParts& parts) { return parts.minute + HourOfYear(parts) * 60; }

VENDREL_BUILTIN(DateGetHourOfYear) { result.SetReal(double(HourOfYear(Decode(ArgReal(args[0]))))); }

VENDREL_BUILTIN(DateGetMinuteOfYear) {
  result.SetReal(double(MinuteOfYear(Decode(ArgReal(args[0])))));
}

VENDREL_BUILTIN(DateGetSecondOfYear) {
  DateTimeParts parts = Decode(ArgReal(args[0]));
  result.SetReal(double(parts.second + MinuteOfYear(parts) * 60));
}

// Spans and comparisons ----------------------------------------------------------------

// The absolute difference in days, divided by [kDivisor] and multiplied by
// [kMultiplier] as the unit asks.
template <double kDivisor, double kMultiplier>
VENDREL_BUILTIN(DateSpan) {
  double days = std::fabs(LinearDays(ArgReal(args[0])) - LinearDays(ArgReal(args[1])));
  result.SetReal(days / kDivisor * kMultiplier);
}

VENDREL_BUILTIN(DateCompareDateTime) {
  result.SetReal(
      Compare(LinearDays(ArgReal(args[0])), LinearDays(ArgReal(args[1])), kOneMsInDays));
}

VENDREL_BUILTIN(DateCompareDate) {
  double a = std::trunc(ArgReal(args[0]));
  double b = std::trunc(ArgReal(args[1]));
  result.SetReal(std::isfinite(a) && std::isfinite(b) ? Compare(a, b, 0) : 0);
}

VENDREL_BUILTIN(DateCompareTime) {
  result.SetReal(Compare(TimeOfDay(ArgReal(args[0])), TimeOfDay(ArgReal(args[1])), kOneMsInDays));
}

VENDREL_BUILTIN(DateDateOf) {
  double value = ArgReal(args[0]);
  result.SetReal(std::isfinite(value) ? std::trunc(value) + 0.0 : 0);
}

VENDREL_BUILTIN(DateTimeOf) { result.SetReal(TimeOfDay(ArgReal(args[0]))); }

// Texts ------------------------------------------------------------------------------------

VENDREL_BUILTIN(DateDateTimeString) { result.SetString(DateText(ArgReal(args[0]), true, true)); }
VENDREL_BUILTIN(DateDateString) { result.SetString(DateText(ArgReal(args[0]), true, false)); }
VENDREL_BUILTIN(DateTimeString) { result.SetString(DateText(ArgReal(args[0]), false, true)); }

// Calendar facts ---------------------------------------------------------------------------

VENDREL_BUILTIN(DateDaysInMonth) {
  CivilDate date = Decode(ArgReal(args[0])).date;
  result.SetReal(DaysInMonth(date.year, date.month));
}

VENDREL_BUILTIN(DateDaysInYear) {
  result.SetReal(IsLeapYear(Decode(ArgReal(args[0])).date.year) ? 366 : 365);
}

VENDREL_BUILTIN(DateLeapYear) {
  result.SetReal(IsLeapYear(Decode(ArgReal(args[0])).date.year) ? 1 : 0);
}

VENDREL_BUILTIN(DateIsToday) {
  bool today = Decode(ArgReal(args[0])).day_number == Decode(CurrentDateTime()).day_number;
  result.SetReal(today ? 1 : 0);
}

}  // namespace

double DateTimeNow() { return CurrentDateTime(); }

DateTimeFields DecodeDateTime(double value) {
  DateTimeParts parts = Decode(value);
  return {parts.date.year, parts.date.month, parts.date.day, Weekday(parts.day_number),
          parts.hour,      parts.minute,     parts.second};
}

static const code::FunctionTableRow kDateFunctions[] = {
    {"date_current_datetime", 0, DateCurrentDateTime},
    {"date_current_date", 0, DateCurrentDate},
    {"date_current_time", 0, DateCurrentTime},
    {"date_create_datetime", 6, DateCreateDateTime},
    {"date_create_date", 3, DateCreateDate},
    {"date_valid_datetime", 6, DateValidDateTime},
    {"date_valid_date", 3, DateValidDate},
    {"date_valid_time", 3, DateValidTime},
    {"date_inc_year", 2, DateIncYear},
    {"date_inc_month", 2, DateIncMonth},
    {"date_inc_week", 2, DateIncBy<7 * kMsPerDay>},
    {"date_inc_day", 2, DateIncBy<kMsPerDay>},
    {"date_inc_hour", 2, DateIncBy<3600000>},
    {"date_inc_minute", 2, DateIncBy<60000>},
    {"date_inc_second", 2, DateIncBy<1000>},
    {"date_get_year", 1, DateGetYear},
    {"date_get_month", 1, DateGetMonth},
    {"date_get_week", 1, DateGetWeek},
    {"date_get_day", 1, DateGetDay},
    {"date_get_hour", 1, DateGetHour},
    {"date_get_minute", 1, DateGetMinute},
    {"date_get_second", 1, DateGetSecond},
    {"date_get_weekday", 1, DateGetWeekday},
    {"date_get_day_of_year", 1, DateGetDayOfYear},
    {"date_get_hour_of_year", 1, DateGetHourOfYear},
    {"date_get_minute_of_year", 1, DateGetMinuteOfYear},
    {"date_get_second_of_year", 1, DateGetSecondOfYear},
    {"date_year_span", 2, DateSpan<365.25, 1.0>},
    {"date_month_span", 2, DateSpan<30.4375, 1.0>},
    {"date_week_span", 2, DateSpan<7.0, 1.0>},
    {"date_day_span", 2, DateSpan<1.0, 1.0>},
    {"date_hour_span", 2, DateSpan<1.0, 24.0>},
    {"date_minute_span", 2, DateSpan<1.0, 1440.0>},
    {"date_second_span", 2, DateSpan<1.0, 86400.0>},
    {"date_compare_datetime", 2, DateCompareDateTime},
    {"date_compare_date", 2, DateCompareDate},
    {"date_compare_time", 2, DateCompareTime},
    {"date_date_of", 1, DateDateOf},
    {"date_time_of", 1, DateTimeOf},
    {"date_datetime_string", 1, DateDateTimeString},
    {"date_date_string", 1, DateDateString},
    {"date_time_string", 1, DateTimeString},
    {"date_days_in_month", 1, DateDaysInMonth},
    {"date_days_in_year", 1, DateDaysInYear},
    {"date_leap_year", 1, DateLeapYear},
    {"date_is_today", 1, DateIsToday},
};

void RegisterDateFunctions() { code::RegisterFamily(kDateFunctions); }

}  // namespace vendrel::interp
