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
#include "eval/pass_text.h"
#include "text/numbers.h"

namespace formel {

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

// In an operator pass (shortcuts.h, 8): after a step that wrote literal, a
// plain number, from leftCut to the end of the processed part, the
// following steps of a run of the same operator (written) between plain
// numbers, taken on the values; their last result is written where each
// of theirs would have been. At most maxSteps; returns the steps taken.
std::size_t TakeNumberChain(PassText& text, std::size_t leftCut, std::string_view literal,
                            char written, Op op, std::size_t maxSteps);

}  // namespace formel
