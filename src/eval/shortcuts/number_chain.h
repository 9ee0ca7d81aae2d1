// A run of one arithmetic operator between plain numbers ("12+3+4+5"), as
// an operator pass meets it right after writing a plain result. Each step
// of the pass would cut the literal it just wrote as the left operand (it
// holds no delimiter and no sign, so the scan ends where the last one
// ended) and the digits behind the operator as the right one, compute, and
// write the result in the same place. Following the run on the values
// alone gives the same texts without writing each one.
#pragma once

#include <cstddef>
#include <string_view>

#include "eval/operators.h"
#include "text/numbers.h"

namespace formel {

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

// Digits and points only: a number form without sign or suffix, which an
// operand scan passes and base-suffix conversion leaves alone.
inline bool IsUnsignedDecimal(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || c == '.')) return false;
  }
  return !text.empty();
}

struct ChainEnd {
  std::size_t at;      // index of the byte that ended the last right operand
  float value;         // the last result
  std::size_t steps;   // 0: nothing was taken
};

// The same with one "-" before the digits: at the start of the text the
// leftward scan takes that "-" into the operand as part of it.
bool IsSignedDecimal(std::string_view text);

// Takes steps while text[at] is the operator (one byte, written) followed
// by a plain number that a delimiter ends, and the result is finite and not
// negative (so it is written plain again; negative too when the results
// stand at the start of the text). left is the value of the literal before
// text[at]. At most maxSteps steps.
ChainEnd FollowNumberChain(std::string_view text, std::size_t at, char written, Op op,
                           float left, bool atStart, std::size_t maxSteps);

}  // namespace formel
