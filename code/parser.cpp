// Pass 3: resolved tokens to the code tree, by recursive descent. Every
// routine takes the index of its first token and returns the index of the
// first token after what it consumed; after the first error (Errors().pending)
// every routine returns at once.
#include <initializer_list>

#include "code/compiler.h"
#include "code/errors.h"
#include "code/function_registry.h"
#include "code/variable_names.h"

namespace vendrel::code {

namespace {

// Nesting deeper than this is refused, so that neither the parser nor a
// later pass can exhaust the stack on hostile input. A nested statement,
// parenthesis or prefix operator costs several parser frames and counts
// kNestingCost; each link of an operator or dot chain deepens the tree
// (not the parser) and counts 1. So about 500 levels of parentheses or
// 4000 operators in one chain are accepted.
constexpr int kMaxNesting = 4096;
constexpr int kNestingCost = 8;
constexpr int kMaxArguments = 16;

bool IsAssignmentOperator(int32_t kind) {
  return (kind >= token::kAssign && kind <= token::kDivAssign) ||
         (kind >= token::kOrAssign && kind <= token::kXorAssign);
}

class Parser {
 public:
  Parser(const CCode& code, const RTokenList2& tokens) : code_(code), tokens_(tokens) {}

  void Program(RToken& root) {
    root = RToken(node::kEmptyStatement, At(0).position);
    if (Kind(0) == token::kEndOfSource) {
      root.kind = node::kEmptyProgram;
      return;
    }
    if (Kind(0) == token::kBegin) {
      int i = Block(0, root);
      if (Failed()) return;
      if (Kind(i) != token::kEndOfSource) Error(i, "Program ends before end of the code.");
      return;
    }
    root.kind = node::kBlock;
    int i = 0;
    while (Kind(i) != token::kEndOfSource) {
      i = Statement(i, root.children.emplace_back());
      if (Failed()) return;
    }
  }

  void Expression(RToken& root) {
    root = RToken(node::kEmptyStatement, At(0).position);
    if (Kind(0) == token::kEndOfSource) {
      root.kind = node::kValue;
      root.value.SetReal(0.0);
      return;
    }
    Expression(0, root);  // tokens after the expression are ignored
  }

 private:
  // Statements ---------------------------------------------------------------

  int Statement(int i, RToken& node) {
    NestingGuard guard(*this, i);
    if (Failed()) return i;
    node = RToken(node::kEmptyStatement, At(i).position);
    switch (Kind(i)) {
      case token::kCall:
        i = Call(i, node);
        break;
      case token::kBegin:
        i = Block(i, node);
        break;
      case token::kIf:
        node.kind = node::kIf;
        node.position = At(i + 1).position;
        i = Expression(i + 1, Child(node));
        if (Failed()) return i;
        if (Kind(i) == token::kThen) ++i;
        i = Statement(i, Child(node));
        if (Failed()) return i;
        if (Kind(i) == token::kElse) i = Statement(i + 1, Child(node));
        break;
      case token::kWhile:
        node.kind = node::kWhile;
        node.position = At(i + 1).position;
        i = Expression(i + 1, Child(node));
        if (Failed()) return i;
        if (Kind(i) == token::kDo) ++i;
        i = Statement(i, Child(node));
        break;
      case token::kDo:
        node.kind = node::kDo;
        node.position = At(i + 1).position;
        i = Statement(i + 1, Child(node));
        if (Failed()) return i;
        if (Kind(i) != token::kUntil) return Error(i, "Keyword until expected.");
        i = Expression(i + 1, Child(node));
        break;
      case token::kFor:
        node.kind = node::kFor;
        node.position = At(i + 1).position;
        if (Kind(i + 1) != token::kOpenParen) return Error(i + 1, "Symbol ( expected.");
        i = Statement(i + 2, Child(node));
        if (Failed()) return i;
        if (Kind(i) == token::kSemicolon) ++i;
        i = Expression(i, Child(node));
        if (Failed()) return i;
        if (Kind(i) == token::kSemicolon) ++i;
        i = Statement(i, Child(node));
        if (Failed()) return i;
        if (Kind(i) != token::kCloseParen) return Error(i, "Symbol ) expected.");
        i = Statement(i + 1, Child(node));
        break;
      case token::kRepeat:
        node.kind = node::kRepeat;
        node.position = At(i + 1).position;
        i = Expression(i + 1, Child(node));
        if (Failed()) return i;
        i = Statement(i, Child(node));
        break;
      case token::kExit:
      case token::kBreak:
      case token::kContinue:
        node.kind = Kind(i);
        ++i;
        break;
      case token::kWith:
        node.kind = node::kWith;
        node.position = At(i + 1).position;
        i = Expression(i + 1, Child(node));
        if (Failed()) return i;
        if (Kind(i) == token::kDo) ++i;
        i = Statement(i, Child(node));
        break;
      case token::kReturn:
        node.kind = node::kReturn;
        node.position = At(i + 1).position;
        i = Expression(i + 1, Child(node));
        break;
      case token::kSwitch:
        node.kind = node::kSwitch;
        node.position = At(i + 1).position;
        i = Expression(i + 1, Child(node));
        if (Failed()) return i;
        if (Kind(i) != token::kBegin) return Error(i, "Symbol { expected.");
        ++i;
        while (Kind(i) != token::kEnd) {
          if (Kind(i) == token::kEndOfSource) return Error(i, "Symbol } expected.");
          i = Statement(i, Child(node));
          if (Failed()) return i;
        }
        ++i;
        break;
      case token::kCase:
        node.kind = node::kCase;
        node.position = At(i + 1).position;
        i = Expression(i + 1, Child(node));
        if (Failed()) return i;
        if (Kind(i) != token::kColon) return Error(i, "Symbol : expected.");
        ++i;
        break;
      case token::kDefault:
        node.kind = node::kDefault;
        node.position = At(i + 1).position;
        if (Kind(i + 1) != token::kColon) return Error(i + 1, "Symbol : expected.");
        i += 2;
        break;
      case token::kVar:
        node.kind = node::kVar;
        node.position = At(i + 1).position;
        ++i;
        while (Kind(i) == token::kVariable) {
          if (At(i).index < kFirstUserVariableId)
            return Error(i, "Cannot redeclare a builtin variable.");
          RToken& declared = Child(node);
          declared = RToken(node::kValue, At(i).position);
          declared.id = At(i).index;
          ++i;
          if (Kind(i) == token::kComma) ++i;
        }
        break;
      case token::kSemicolon:
        node.kind = node::kEmptyStatement;
        ++i;
        break;
      case token::kEndOfSource:
        return Error(i, "Unexpected end of code reached.");
      default:
        i = Assignment(i, node);
        break;
    }
    if (Failed()) return i;
    while (Kind(i) == token::kSemicolon) ++i;
    return i;
  }

  // block -> ( "{" | "begin" ) statement* ( "}" | "end" )
  int Block(int i, RToken& node) {
    node.kind = node::kBlock;
    node.position = At(i + 1).position;
    ++i;
    while (Kind(i) != token::kEnd) {
      if (Kind(i) == token::kEndOfSource) return Error(i, "Symbol } expected.");
      i = Statement(i, Child(node));
      if (Failed()) return i;
    }
    return i + 1;
  }

  // assignment -> postfix assignment-operator expression
  int Assignment(int i, RToken& node) {
    node.kind = node::kAssignment;
    node.position = At(i).position;
    RToken& target = Child(node);
    i = Postfix(i, target);
    if (Failed()) return i;
    if (target.kind != node::kVariable) return Error(i, "Variable name expected.");
    if (!IsAssignmentOperator(Kind(i))) return Error(i, "Assignment operator expected.");
    node.id = Kind(i);
    return Expression(i + 1, Child(node));
  }

  // Expressions --------------------------------------------------------------

  int Expression(int i, RToken& node) {
    return BinaryLevel(i, node, 1);
  }

  // Levels 1 to 6 are left-associative binary operators; level 7 the
  // prefix operators.
  static bool AtLevel(int level, int32_t kind) {
    switch (level) {
      case 1:
        return kind == token::kAnd || kind == token::kOr || kind == token::kXor;
      case 2:
        return kind == token::kAssign || (kind >= token::kLess && kind <= token::kGreater);
      case 3:
        return kind == token::kBitOr || kind == token::kBitAnd || kind == token::kBitXor;
      case 4:
        return kind == token::kShiftLeft || kind == token::kShiftRight;
      case 5:
        return kind == token::kPlus || kind == token::kMinus;
      default:
        return kind == token::kTimes || kind == token::kSlash || kind == token::kDiv ||
               kind == token::kMod;
    }
  }

  int Operand(int i, RToken& node, int level) {
    return level < 6 ? BinaryLevel(i, node, level + 1) : Unary(i, node);
  }

  int BinaryLevel(int i, RToken& node, int level) {
    i = Operand(i, node, level);
    int chain = 0;
    while (!Failed() && AtLevel(level, Kind(i))) {
      // The left spine grows one node deeper with every operator.
      ++chain;
      if (++depth_ > kMaxNesting) {
        Error(i, "Code is nested too deeply.");
        break;
      }
      RToken combined(node::kBinary, At(i).position);
      combined.id = Kind(i);
      combined.children.resize(2);
      combined.children[0] = std::move(node);
      node = std::move(combined);
      i = Operand(i + 1, node.children[1], level);
    }
    depth_ -= chain;
    return i;
  }

  // unary -> ( "!" | "not" | "+" | "-" | "~" ) postfix | postfix
  int Unary(int i, RToken& node) {
    const int32_t kind = Kind(i);
    if (kind == token::kNot || kind == token::kPlus || kind == token::kMinus ||
        kind == token::kBitNot) {
      NestingGuard guard(*this, i);
      if (Failed()) return i;
      node = RToken(node::kUnary, At(i).position);
      node.id = kind;
      return Postfix(i + 1, Child(node));
    }
    return Postfix(i, node);
  }

  // postfix -> primary ( "." variable )*
  int Postfix(int i, RToken& node) {
    i = Primary(i, node);
    int chain = 0;
    while (!Failed() && Kind(i) == token::kDot) {
      if (Kind(i + 1) != token::kVariable) {
        Error(i + 1, "Variable name expected.");
        break;
      }
      ++chain;
      if (++depth_ > kMaxNesting) {
        Error(i, "Code is nested too deeply.");
        break;
      }
      RToken variable;
      i = Variable(i + 1, variable);
      variable.children[0] = std::move(node);
      node = std::move(variable);
    }
    depth_ -= chain;
    return i;
  }

  int Primary(int i, RToken& node) {
    NestingGuard guard(*this, i);
    if (Failed()) return i;
    switch (Kind(i)) {
      case token::kValue:
        node = RToken(node::kValue, At(i).position);
        node.value = At(i).value;
        return i + 1;
      case token::kCall:
        return Call(i, node);
      case token::kVariable:
        return Variable(i, node);
      case token::kOpenParen:
        i = Expression(i + 1, node);
        if (Failed()) return i;
        if (Kind(i) != token::kCloseParen) return Error(i, "Symbol ) expected.");
        return i + 1;
      case token::kNot:
      case token::kPlus:
      case token::kMinus:
      case token::kBitNot:
        return Unary(i, node);
      default:
        return Error(i, "Unexpected symbol in expression.");
    }
  }

  // call -> name "(" [ expression ( "," expression )* [ "," ] ] ")"
  int Call(int i, RToken& node) {
    node = RToken(node::kCall, At(i).position);
    node.id = At(i).index;
    i += 2;  // the name and its "("
    while (Kind(i) != token::kCloseParen) {
      if (Kind(i) == token::kEndOfSource) return Error(i, "Symbol ) expected.");
      i = Expression(i, Child(node));
      if (Failed()) return i;
      if (Kind(i) == token::kComma) {
        ++i;
      } else if (Kind(i) == token::kEndOfSource) {
        return Error(i, "Symbol ) expected.");
      } else if (Kind(i) != token::kCloseParen) {
        return Error(i, "Symbol , or ) expected.");
      }
    }
    const int count = node.count();
    const bool builtin = node.id < kScriptFunctionBase;
    const int expected = builtin ? FunctionArgCount(node.id) : kAnyArgCount;
    if (count > kMaxArguments || (expected >= 0 && count != expected))
      return Error(i, "Wrong number of arguments to function or script.");
    return i + 1;
  }

  // variable -> name [ "[" [ expression ( "," expression )* ] "]" ]
  int Variable(int i, RToken& node) {
    node = RToken(node::kVariable, At(i).position);
    node.id = At(i).index;
    RToken& owner = Child(node);
    owner = RToken(node::kValue, At(i).position);
    owner.value.SetReal(kNoOwner);
    ++i;
    if (Kind(i) != token::kOpenBracket) return i;
    ++i;
    int indices = 0;
    while (Kind(i) != token::kCloseBracket) {
      if (Kind(i) == token::kEndOfSource) return Error(i, "Symbol ] expected.");
      i = Expression(i, Child(node));
      if (Failed()) return i;
      ++indices;
      if (Kind(i) == token::kComma) {
        ++i;
      } else if (Kind(i) == token::kEndOfSource) {
        return Error(i, "Symbol ] expected.");
      } else if (Kind(i) != token::kCloseBracket) {
        return Error(i, "Symbol , or ] expected.");
      }
    }
    ++i;
    if (indices > 2) return Error(i, "Only 1- and 2-dimensional arrays are supported.");
    return i;
  }

  // Helpers ------------------------------------------------------------------

  // Counts one level of nesting for as long as it lives.
  class NestingGuard {
   public:
    NestingGuard(Parser& parser, int i) : parser_(parser) {
      parser_.depth_ += kNestingCost;
      if (parser_.depth_ > kMaxNesting) parser_.Error(i, "Code is nested too deeply.");
    }
    ~NestingGuard() { parser_.depth_ -= kNestingCost; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

   private:
    Parser& parser_;
  };

  // The token at [i]; past the end, the end token.
  const RToken2& At(int i) const {
    const int last = tokens_.count - 1;
    return tokens_.tokens[size_t(i < last ? i : last)];
  }
  int32_t Kind(int i) const { return At(i).kind; }
  static RToken& Child(RToken& node) { return node.children.emplace_back(); }
  bool Failed() const { return Errors().pending; }
  int Error(int i, std::string_view message) {
    ReportError(code_, At(i).position, message);
    return i;
  }

  const CCode& code_;
  const RTokenList2& tokens_;
  int depth_ = 0;
};

bool HasEndToken(const RTokenList2& tokens) {
  return tokens.count > 0 && int(tokens.tokens.size()) >= tokens.count &&
         tokens.tokens[size_t(tokens.count - 1)].kind == token::kEndOfSource;
}

}  // namespace

bool ParseProgram(const CCode& code, const RTokenList2& tokens, RToken& root) {
  Errors().pending = false;
  if (!HasEndToken(tokens)) {
    ReportError(code, 0, "Unexpected end of code reached.");
    return false;
  }
  Parser(code, tokens).Program(root);
  return !Errors().pending;
}

bool ParseExpression(const CCode& code, const RTokenList2& tokens, RToken& root) {
  Errors().pending = false;
  if (!HasEndToken(tokens)) {
    ReportError(code, 0, "Unexpected end of code reached.");
    return false;
  }
  Parser(code, tokens).Expression(root);
  return !Errors().pending;
}

}  // namespace vendrel::code
