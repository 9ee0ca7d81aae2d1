// The sixteen operator passes, in the order they run: that order is the
// precedence of the language. "/" runs before "*" and "+" before "-"; the
// two-character comparisons before the one-character ones, so that "<=" is
// never read as "<" and "=". The reversed forms "><", "=<", "=>" are
// searched as written and evaluated as "<>", "<=", ">=".
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "text/bytes.h"
#include "text/numbers.h"

namespace formel {

enum class Op {
  kPower, kDivide, kIntDivide, kMultiply, kAdd, kSubtract, kConcat,
  kNotEqual, kLessEqual, kGreaterEqual, kLess, kGreater, kEqual
};

struct Operator {
  std::string_view written;
  Op op;
};

inline constexpr std::array<Operator, 16> kOperatorPasses = {{
    {"^", Op::kPower},         {"/", Op::kDivide},        {"\\", Op::kIntDivide},
    {"*", Op::kMultiply},      {"+", Op::kAdd},           {"-", Op::kSubtract},
    {"&", Op::kConcat},        {"<>", Op::kNotEqual},     {"><", Op::kNotEqual},
    {"<=", Op::kLessEqual},    {"=<", Op::kLessEqual},    {">=", Op::kGreaterEqual},
    {"=>", Op::kGreaterEqual}, {"<", Op::kLess},          {">", Op::kGreater},
    {"=", Op::kEqual},
}};
inline constexpr int kPassCount = static_cast<int>(kOperatorPasses.size());

inline constexpr bool IsArithmetic(Op op) { return op <= Op::kSubtract; }

// The operation of an arithmetic operator on its operands' numbers. Inline:
// the value paths call it with the operator known.
inline float Arithmetic(Op op, float x, float y) {
  switch (op) {
    case Op::kPower: return PowerReal(x, y);
    case Op::kDivide: return x / y;
    case Op::kIntDivide: return static_cast<float>(IntPart(x / y));
    case Op::kMultiply: return x * y;
    case Op::kAdd: return x + y;
    default: return x - y;
  }
}

// Every operator begins with a byte that ends an operand: the scans stop
// at the next operator.
static_assert([] {
  for (const Operator& op : kOperatorPasses) {
    if (!IsOperandDelimiter(op.written[0])) return false;
  }
  return true;
}());

// Which passes find their operator in a text (quotes not considered): bit k
// stands for kOperatorPasses[k]. The "+" pass also runs for a "--", which
// it folds into a "+" whose sum it then completes. The same scan notes two
// signs side by side (kSignPairFound), so that no pass scans for them again.
std::uint32_t PassesNeeded(std::string_view text);
inline constexpr std::uint32_t kSignPairFound = 1u << kPassCount;

// The first pass from `from` on that is needed; kPassCount when none.
int NextPass(std::uint32_t needed, int from);

}  // namespace formel
