#include "interpreter/operators.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "code/errors.h"
#include "code/tokens.h"

namespace vendrel::interp {

namespace token = code::token;

namespace {

bool Fail(const code::CCode& code, int position, const char* message) {
  code::ReportError(code, position, message);
  return false;
}

bool Truth(double value) { return value >= 0.5; }

// The longest string a repetition may build (1 GiB).
constexpr uint64_t kMaxRepeatedLength = uint64_t(1) << 30;

// The comparison [op] of two values of the same kind. Reals compare their
// difference with 0 exactly; strings compare bytes as unsigned values, a
// prefix being smaller.
bool Compare(int op, const RValue& left, const RValue& right) {
  double difference = 0.0;
  if (left.IsReal()) {
    difference = left.real - right.real;
  } else {
    const int order = left.str.compare(right.str);
    difference = order < 0 ? -1.0 : (order > 0 ? 1.0 : 0.0);
  }
  switch (op) {
    case token::kAssign:
    case token::kEqual:
      return difference == 0.0;
    case token::kNotEqual:
      return difference != 0.0;
    case token::kLess:
      return difference < 0.0;
    case token::kLessEqual:
      return difference <= 0.0;
    case token::kGreaterEqual:
      return difference >= 0.0;
    default:
      return difference > 0.0;
  }
}

uint64_t ShiftCount(double count) { return uint64_t(ToInt64(count)); }

}  // namespace

bool ApplyUnary(const code::CCode& code, int position, int op, RValue& value) {
  if (op != token::kNot && op != token::kPlus && op != token::kMinus && op != token::kBitNot)
    return Fail(code, position, "Internal error: unknown unary operator.");
  if (!value.IsReal()) return Fail(code, position, "Wrong type of arguments to unary operator.");
  switch (op) {
    case token::kNot:
      value.real = value.real < 0.5 ? 1.0 : 0.0;
      break;
    case token::kMinus:
      value.real = -value.real;
      break;
    case token::kBitNot:
      value.real = double(~ToInt64(value.real));
      break;
    default:
      break;
  }
  return true;
}

bool ApplyBinary(const code::CCode& code, int position, int op, const RValue& right,
                 RValue& left) {
  const bool reals = left.IsReal() && right.IsReal();
  switch (op) {
    case token::kAnd:
      if (!reals) return Fail(code, position, "Wrong type of arguments for &&.");
      left.real = Truth(left.real) && Truth(right.real) ? 1.0 : 0.0;
      return true;
    case token::kOr:
      if (!reals) return Fail(code, position, "Wrong type of arguments for ||.");
      left.real = Truth(left.real) || Truth(right.real) ? 1.0 : 0.0;
      return true;
    case token::kXor:
      if (!reals) return Fail(code, position, "Wrong type of arguments for ^^.");
      left.real = Truth(left.real) != Truth(right.real) ? 1.0 : 0.0;
      return true;
    case token::kAssign:
    case token::kEqual:
    case token::kNotEqual:
    case token::kLess:
    case token::kLessEqual:
    case token::kGreaterEqual:
    case token::kGreater: {
      if (left.kind != right.kind) return Fail(code, position, "Cannot compare arguments.");
      const bool result = Compare(op, left, right);
      left.SetReal(result ? 1.0 : 0.0);
      return true;
    }
    case token::kBitOr:
      if (!reals) return Fail(code, position, "Wrong type of arguments for |.");
      left.real = double(ToInt64(left.real) | ToInt64(right.real));
      return true;
    case token::kBitAnd:
      if (!reals) return Fail(code, position, "Wrong type of arguments for &.");
      left.real = double(ToInt64(left.real) & ToInt64(right.real));
      return true;
    case token::kBitXor:
      if (!reals) return Fail(code, position, "Wrong type of arguments for ^.");
      left.real = double(ToInt64(left.real) ^ ToInt64(right.real));
      return true;
    case token::kShiftLeft: {
      if (!reals) return Fail(code, position, "Wrong type of arguments for <<.");
      const uint64_t count = ShiftCount(right.real);
      const uint64_t bits = uint64_t(ToInt64(left.real));
      // Counts of 64 and more (and negative ones, as huge unsigned counts)
      // shift every bit out.
      left.real = double(int64_t(count >= 64 ? 0 : bits << count));
      return true;
    }
    case token::kShiftRight: {
      if (!reals) return Fail(code, position, "Wrong type of arguments for >>.");
      const uint64_t count = ShiftCount(right.real);
      const uint64_t bits = uint64_t(ToInt64(left.real));
      left.real = double(int64_t(count >= 64 ? 0 : bits >> count));
      return true;
    }
    case token::kPlus:
      if (reals) {
        left.real += right.real;
        return true;
      }
      if (left.IsString() && right.IsString()) {
        left.str += right.str;
        return true;
      }
      return Fail(code, position, "Wrong type of arguments to +.");
    case token::kMinus:
      if (!reals) return Fail(code, position, "Wrong type of arguments to -.");
      left.real -= right.real;
      return true;
    case token::kTimes:
      if (reals) {
        left.real *= right.real;
        return true;
      }
      if (left.IsReal() && right.IsString()) {
        const int64_t times = ToInt64(left.real);
        // A count that would need more memory than a string may hold fails
        // cleanly instead of taking the runner down.
        if (times > 0 && !right.str.empty() &&
            uint64_t(times) > kMaxRepeatedLength / right.str.size())
          return Fail(code, position, "Out of memory.");
        std::string repeated;
        if (times > 0 && !right.str.empty()) {
          repeated.reserve(right.str.size() * size_t(times));
          for (int64_t i = 0; i < times; ++i) repeated += right.str;
        }
        left.SetString(std::move(repeated));
        return true;
      }
      return Fail(code, position, "Wrong type of arguments to *.");
    case token::kSlash:
      if (!reals) return Fail(code, position, "Wrong type of arguments to /.");
      if (right.real == 0.0) return Fail(code, position, "Division by 0.");
      left.real /= right.real;
      return true;
    case token::kDiv:
      if (!reals) return Fail(code, position, "Wrong type of arguments to div.");
      if (right.real == 0.0) return Fail(code, position, "Division by 0.");
      left.real = double(TruncatedQuotient(left.real, right.real));
      return true;
    case token::kMod:
      if (!reals) return Fail(code, position, "Wrong type of arguments to mod.");
      if (right.real == 0.0) return Fail(code, position, "Modulo by 0.");
      left.real = left.real - double(TruncatedQuotient(left.real, right.real)) * right.real;
      return true;
    default:
      return Fail(code, position, "Internal error: unknown binary operator.");
  }
}

}  // namespace vendrel::interp
