// Pass 4: a post-order walk of the code tree that gives var-declared
// variables their local scope, fixes constant owners of variables and folds
// operations on constants through the interpreter's own operators.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "code/compiler.h"
#include "code/errors.h"
#include "interpreter/operators.h"

namespace vendrel::code {

namespace {

constexpr int32_t kLocalOwner = -7;

int32_t OwnerCode(double value) {
  int64_t rounded = interp::RoundHalfEven(value);
  return int32_t(std::clamp<int64_t>(rounded, INT32_MIN, INT32_MAX));
}

class Checker {
 public:
  explicit Checker(const CCode& code) : code_(code) {}

  void Visit(RToken& node) {
    for (RToken& child : node.children) {
      Visit(child);
      if (Errors().pending) return;
    }
    switch (node.kind) {
      case node::kVar:
        for (const RToken& declared : node.children) locals_.push_back(declared.id);
        break;
      case node::kVariable:
        FixOwner(node);
        break;
      case node::kUnary:
        if (node.children[0].kind == node::kValue) {
          RToken& operand = node.children[0];
          if (!interp::ApplyUnary(code_, operand.position, node.id, operand.value)) return;
          RToken folded = std::move(operand);
          node = std::move(folded);
        }
        break;
      case node::kBinary:
        if (node.children[0].kind == node::kValue && node.children[1].kind == node::kValue) {
          RToken& left = node.children[0];
          const RToken& right = node.children[1];
          if (!interp::ApplyBinary(code_, right.position, node.id, right.value, left.value))
            return;
          interp::RValue value = std::move(left.value);
          node.children.clear();
          node.kind = node::kValue;
          node.value = std::move(value);
        }
        break;
      default:
        break;
    }
  }

 private:
  void FixOwner(RToken& node) {
    RToken& owner = node.children[0];
    if (owner.kind != node::kValue) return;
    if (owner.value.IsReal() && owner.value.real == kNoOwner && IsLocal(node.id))
      owner.value.real = double(kLocalOwner);
    if (node.count() != 1) return;  // indexed: the owner is evaluated at run time
    if (owner.value.IsString()) {
      ReportError(code_, owner.position, "Left hand side must be a real value.");
      return;
    }
    node.kind = node::kFixedVariable;
    node.owner = OwnerCode(owner.value.real);
  }

  bool IsLocal(int32_t id) const {
    return std::find(locals_.begin(), locals_.end(), id) != locals_.end();
  }

  const CCode& code_;
  std::vector<int32_t> locals_;
};

}  // namespace

bool CheckTree(const CCode& code, RToken& root) {
  Errors().pending = false;
  Checker(code).Visit(root);
  return !Errors().pending;
}

}  // namespace vendrel::code
