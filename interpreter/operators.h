// The unary and binary operators of the game language, shared by the
// executor and the compiler's constant folding (where a failing operator
// is a compile error).
#pragma once

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
int32_t TruncatedQuotient(double left, double right);

}  // namespace vendrel::interp
