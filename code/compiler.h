// The four compiler passes of CCode::Compile, exposed for tests and tools:
// tokenizing, name resolution, parsing and the final check with constant
// folding. Each clears the pending error first and reports its first error
// through ReportError (code/errors.h).
#pragma once

#include "code/code.h"
#include "code/tokens.h"
#include "code/tree.h"

namespace vendrel::code {

// Pass 1: the raw tokens of [code]'s source, ending in the end token.
bool Tokenize(const CCode& code, RTokenList1& list);
// Pass 2: numbers and strings become values; identifiers become calls,
// constants or variables.
bool ResolveTokens(const CCode& code, const RTokenList1& raw, RTokenList2& resolved);
// Pass 3: the code tree of a whole program, or of one expression.
bool ParseProgram(const CCode& code, const RTokenList2& tokens, RToken& root);
bool ParseExpression(const CCode& code, const RTokenList2& tokens, RToken& root);
// Pass 4: var scopes, fixed owners and constant folding.
bool CheckTree(const CCode& code, RToken& root);

}  // namespace vendrel::code
