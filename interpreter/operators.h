// The unary and binary operators of the game language, shared by the
// executor and the compiler's constant folding (where a failing operator
// is a compile error).
#pragma once

#include <cmath>
#include <cstdint>

#include "interpreter/value.h"

namespace vendrel::code {
class CCode;
}

namespace vendrel::interp {

// Applies the unary operator [op] (a token code) to [value] in place.
// Reports a failure at [position] of [code] and returns false.
bool ApplyUnary(const code::CCode& code, int position, int op, RValue& value);
// left = left [op] right. Both operands are already evaluated; [position]
// is that of the right operand's node.
bool ApplyBinary(const code::CCode& code, int position, int op, const RValue& right,
                 RValue& left);

// Integer conversions of the operators: rounding to 64 bits, and the
// truncated 32-bit quotient of div and mod.
inline int64_t ToInt64(double value) { return RoundHalfEven(value); }
// Outside the 32-bit range the result is left open; it saturates here
// rather than invoke undefined behaviour. NaN gives 0.
inline int32_t TruncatedQuotient(double left, double right) {
  const double quotient = std::trunc(left / right);
  if (!(quotient == quotient)) return 0;
  if (quotient <= -2147483648.0) return INT32_MIN;
  if (quotient >= 2147483647.0) return INT32_MAX;
  return int32_t(quotient);
}

}  // namespace vendrel::interp
