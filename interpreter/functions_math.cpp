// Math functions of the language: type tests, arithmetic and trigonometry,
// random numbers, the minimum/maximum family and the point and direction
// functions used for movement. Arguments are read by their real field (a
// string counts as 0); results are reals unless a function hands back one
// of its arguments.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>

#include "code/errors.h"
#include "code/function_registry.h"
#include "interpreter/function_families.h"
#include "interpreter/random.h"

namespace vendrel::interp {

namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// Reports "Error in function NAME()." (not fatal); the result stays 0.
void ReportFunctionError(const char* name) {
  code::ShowRunError(std::string("Error in function ") + name + "().", false);
}

// Stores [value] as the result of function [name], unless it is NaN, or
// infinite although every argument was finite: that is an arithmetic
// failure (a pole or a domain error), reported with the result left at 0.
void StoreChecked(RValue& result, double value, const char* name,
                  std::initializer_list<double> arguments) {
  bool arguments_finite = std::all_of(arguments.begin(), arguments.end(),
                                      [](double x) { return std::isfinite(x); });
  if (std::isnan(value) || (std::isinf(value) && arguments_finite)) {
    ReportFunctionError(name);
    return;
  }
  result.SetReal(value);
}

// A real that lies within 1e-4 of an integer becomes that integer, so that
// moves along the axes land exactly on whole coordinates.
double SnapToInteger(double value) {
  double nearest = std::nearbyint(value);
  return std::fabs(value - nearest) < 1e-4 ? nearest + 0.0 : value;
}

// floor and ceil give 32-bit signed integers; values beyond that range are
// held at its ends and NaN gives 0.
double ToInt32Range(double value) {
  if (std::isnan(value)) return 0.0;
  return std::clamp(value, double(INT32_MIN), double(INT32_MAX));
}

// Byte-wise comparison of two values of the same kind: negative, 0 or
// positive. Mixed kinds compare by their real fields.
int CompareValues(const RValue& a, const RValue& b) {
  if (a.IsString() && b.IsString()) {
    // std::string compares char_traits<char>, which orders bytes unsigned.
    int order = a.str.compare(b.str);
    return (order > 0) - (order < 0);
  }
  double x = ArgReal(a);
  double y = ArgReal(b);
  return (x > y) - (x < y);
}

// Type tests ---------------------------------------------------------------

VENDREL_BUILTIN(IsReal) { result.SetReal(args[0].IsReal() ? 1.0 : 0.0); }
VENDREL_BUILTIN(IsString) { result.SetReal(args[0].IsString() ? 1.0 : 0.0); }

// Arithmetic ---------------------------------------------------------------

VENDREL_BUILTIN(Random) { result.SetReal(RandomReal(ArgReal(args[0]))); }

VENDREL_BUILTIN(Abs) { result.SetReal(std::fabs(ArgReal(args[0]))); }

VENDREL_BUILTIN(Round) {
  double x = ArgReal(args[0]);
  // nearbyint rounds halves to even in the default rounding mode and keeps
  // values beyond the 64-bit range, which are integral already.
  result.SetReal(std::isnan(x) ? 0.0 : std::nearbyint(x) + 0.0);
}

VENDREL_BUILTIN(Floor) { result.SetReal(ToInt32Range(std::floor(ArgReal(args[0]))) + 0.0); }
VENDREL_BUILTIN(Ceil) { result.SetReal(ToInt32Range(std::ceil(ArgReal(args[0]))) + 0.0); }

VENDREL_BUILTIN(Sign) {
  double x = ArgReal(args[0]);
  result.SetReal(x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0);
}

VENDREL_BUILTIN(Frac) {
  double x = ArgReal(args[0]);
  result.SetReal(std::isfinite(x) ? x - std::trunc(x) : 0.0);
}

VENDREL_BUILTIN(Sqrt) {
  double x = ArgReal(args[0]);
  StoreChecked(result, std::sqrt(x), "sqrt", {x});
}

VENDREL_BUILTIN(Sqr) {
  double x = ArgReal(args[0]);
  result.SetReal(x * x);
}

VENDREL_BUILTIN(Exp) { result.SetReal(std::exp(ArgReal(args[0]))); }

VENDREL_BUILTIN(Ln) {
  double x = ArgReal(args[0]);
  StoreChecked(result, std::log(x), "ln", {x});
}

VENDREL_BUILTIN(Log2) {
  double x = ArgReal(args[0]);
  StoreChecked(result, std::log2(x), "log2", {x});
}

VENDREL_BUILTIN(Log10) {
  double x = ArgReal(args[0]);
  StoreChecked(result, std::log10(x), "log10", {x});
}

VENDREL_BUILTIN(LogN) {
  double n = ArgReal(args[0]);
  double x = ArgReal(args[1]);
  // A base of 0 would give 0 for every x (ln x / -inf): no logarithm at all.
  if (n <= 0) {
    ReportFunctionError("logn");
    return;
  }
  StoreChecked(result, std::log(x) / std::log(n), "logn", {n, x});
}

VENDREL_BUILTIN(Power) {
  double x = ArgReal(args[0]);
  double n = ArgReal(args[1]);
  StoreChecked(result, std::pow(x, n), "power", {x, n});
}

// Trigonometry (radians) ----------------------------------------------------

VENDREL_BUILTIN(Sin) { result.SetReal(std::sin(ArgReal(args[0]))); }
VENDREL_BUILTIN(Cos) { result.SetReal(std::cos(ArgReal(args[0]))); }
VENDREL_BUILTIN(Tan) { result.SetReal(std::tan(ArgReal(args[0]))); }

VENDREL_BUILTIN(ArcSin) {
  double x = ArgReal(args[0]);
  StoreChecked(result, std::asin(x), "arcsin", {x});
}

VENDREL_BUILTIN(ArcCos) {
  double x = ArgReal(args[0]);
  StoreChecked(result, std::acos(x), "arccos", {x});
}

VENDREL_BUILTIN(ArcTan) { result.SetReal(std::atan(ArgReal(args[0]))); }

VENDREL_BUILTIN(ArcTan2) {
  double y = ArgReal(args[0]);
  double x = ArgReal(args[1]);
  StoreChecked(result, std::atan2(y, x), "arctan2", {y, x});
}

VENDREL_BUILTIN(DegToRad) { result.SetReal(ArgReal(args[0]) * kRadiansPerDegree); }
VENDREL_BUILTIN(RadToDeg) { result.SetReal(ArgReal(args[0]) * kDegreesPerRadian); }

// Minimum, maximum and averages --------------------------------------------

// The first argument, replaced by each later one that orders before it
// ([sign] -1 for min) or after it (+1 for max): the first of equals wins.
void Extreme(int argc, RValue& result, const RValue* args, int sign) {
  if (argc <= 0) return;
  const RValue* best = &args[0];
  for (int i = 1; i < argc; ++i)
    if (CompareValues(args[i], *best) * sign > 0) best = &args[i];
  result = *best;
}

VENDREL_BUILTIN(Min) { Extreme(argc, result, args, -1); }
VENDREL_BUILTIN(Max) { Extreme(argc, result, args, +1); }
VENDREL_BUILTIN(Min3) { Extreme(3, result, args, -1); }
VENDREL_BUILTIN(Max3) { Extreme(3, result, args, +1); }

VENDREL_BUILTIN(Mean) {
  if (argc <= 0) return;
  double sum = 0;
  for (int i = 0; i < argc; ++i) sum += ArgReal(args[i]);
  result.SetReal(sum / argc);
}

// The first argument x, in argument order, with fewer than n div 2
// arguments below it and at least n div 2 not above it: the lower middle
// value for an even count, the one below the middle for an odd count. A
// single argument is its own median.
VENDREL_BUILTIN(Median) {
  if (argc <= 0) return;
  if (argc == 1) {
    result.SetReal(ArgReal(args[0]));
    return;
  }
  int half = argc / 2;
  for (int i = 0; i < argc; ++i) {
    double x = ArgReal(args[i]);
    int below = 0;
    int not_above = 0;
    for (int j = 0; j < argc; ++j) {
      double y = ArgReal(args[j]);
      if (y < x) ++below;
      if (y <= x) ++not_above;
    }
    if (below < half && not_above >= half) {
      result.SetReal(x);
      return;
    }
  }
}

VENDREL_BUILTIN(Choose) {
  if (argc <= 0) return;
  result = args[RandomInteger(argc)];
}

// Points and directions (degrees, y downwards) -----------------------------

VENDREL_BUILTIN(PointDistance) {
  double dx = ArgReal(args[2]) - ArgReal(args[0]);
  double dy = ArgReal(args[3]) - ArgReal(args[1]);
  result.SetReal(std::sqrt(dx * dx + dy * dy));
}

VENDREL_BUILTIN(PointDirection) {
  double dx = ArgReal(args[2]) - ArgReal(args[0]);
  double dy = ArgReal(args[3]) - ArgReal(args[1]);
  double direction;
  if (dx != 0) {
    // atan2 measures with y upwards; the room's y grows downwards.
    double a = std::atan2(dy, dx) * kDegreesPerRadian;
    direction = a > 0 ? 360.0 - a : -a;
  } else {
    direction = dy > 0 ? 270.0 : dy < 0 ? 90.0 : 0.0;
  }
  result.SetReal(direction + 0.0);
}

VENDREL_BUILTIN(LengthDirX) {
  double length = ArgReal(args[0]);
  double direction = ArgReal(args[1]) * kRadiansPerDegree;
  result.SetReal(SnapToInteger(length * std::cos(direction)));
}

VENDREL_BUILTIN(LengthDirY) {
  double length = ArgReal(args[0]);
  double direction = ArgReal(args[1]) * kRadiansPerDegree;
  result.SetReal(SnapToInteger(-length * std::sin(direction)));
}

}  // namespace

static const code::FunctionTableRow kMathFunctions[] = {
    {"is_real", 1, IsReal},
    {"is_string", 1, IsString},
    {"random", 1, Random},
    {"abs", 1, Abs},
    {"round", 1, Round},
    {"floor", 1, Floor},
    {"ceil", 1, Ceil},
    {"sign", 1, Sign},
    {"frac", 1, Frac},
    {"sqrt", 1, Sqrt},
    {"sqr", 1, Sqr},
    {"exp", 1, Exp},
    {"ln", 1, Ln},
    {"log2", 1, Log2},
    {"log10", 1, Log10},
    {"logn", 2, LogN},
    {"power", 2, Power},
    {"sin", 1, Sin},
    {"cos", 1, Cos},
    {"tan", 1, Tan},
    {"arcsin", 1, ArcSin},
    {"arccos", 1, ArcCos},
    {"arctan", 1, ArcTan},
    {"arctan2", 2, ArcTan2},
    {"degtorad", 1, DegToRad},
    {"radtodeg", 1, RadToDeg},
    {"min", code::kAnyArgCount, Min},
    {"max", code::kAnyArgCount, Max},
    {"min3", 3, Min3},
    {"max3", 3, Max3},
    {"mean", code::kAnyArgCount, Mean},
    {"median", code::kAnyArgCount, Median},
    {"choose", code::kAnyArgCount, Choose},
    {"point_distance", 4, PointDistance},
    {"point_direction", 4, PointDirection},
    {"lengthdir_x", 2, LengthDirX},
    {"lengthdir_y", 2, LengthDirY},
};

void RegisterMathFunctions() { code::RegisterFamily(kMathFunctions); }

}  // namespace vendrel::interp
