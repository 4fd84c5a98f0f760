// Pass 2: raw tokens to resolved tokens. Numbers and strings become values;
// every identifier is classified once as a call, a constant or a variable.
#include "code/compiler.h"
#include "code/constants.h"
#include "code/errors.h"
#include "code/function_registry.h"
#include "code/variable_names.h"

namespace vendrel::code {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// The value of a number token: "$" and hexadecimal digits, or digits with
// any number of dots, where the first dot starts the fraction and later
// dots are ignored (1.2.3 is 1.23).
double NumberValue(const std::string& text) {
  double value = 0.0;
  if (!text.empty() && text[0] == '$') {
    for (size_t i = 1; i < text.size(); ++i) value = value * 16.0 + HexDigitValue(text[i]);
    return value;
  }
  bool fraction = false;
  double factor = 1.0;
  for (char c : text) {
    if (c == '.') {
      fraction = true;
    } else if (!fraction) {
      value = value * 10.0 + (c - '0');
    } else {
      factor = factor / 10.0;
      value = value + factor * (c - '0');
    }
  }
  return value;
}

}  // namespace

bool ResolveTokens(const CCode& code, const RTokenList1& raw, RTokenList2& resolved) {
  Errors().pending = false;
  resolved.count = 0;
  resolved.tokens.assign(size_t(raw.count), RToken2());
  for (int32_t i = 0; i < raw.count; ++i) {
    const RToken1& in = raw.tokens[size_t(i)];
    RToken2& out = resolved.tokens[size_t(i)];
    out.position = in.position;
    out.kind = in.kind;
    switch (in.kind) {
      case token::kIdentifier: {
        const bool call =
            i + 1 < raw.count && raw.tokens[size_t(i) + 1].kind == token::kOpenParen;
        if (call) {
          const int function = FindFunction(in.text);
          if (function >= 0) {
            out.kind = token::kCall;
            out.index = function;
          } else {
            ReportError(code, in.position, "Unknown function or script: " + in.text);
            out.kind = token::kErrorToken;
          }
        } else if (FindConstant(in.text, out.value)) {
          out.kind = token::kValue;
        } else {
          out.kind = token::kVariable;
          out.index = VariableId(in.text);
        }
        break;
      }
      case token::kNumber:
        out.kind = token::kValue;
        out.value.SetReal(NumberValue(in.text));
        break;
      case token::kString:
        out.kind = token::kValue;
        out.value.SetString(in.text);
        break;
      default:
        break;
    }
    resolved.count = i + 1;
    if (Errors().pending) return false;
  }
  return true;
}

}  // namespace vendrel::code
