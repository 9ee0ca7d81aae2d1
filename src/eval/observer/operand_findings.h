// Findings about one operation of an operator pass: an operand read as a
// number from its leading digits only, a text or a missing operand read as
// 0, a quoted text compared with a number byte by byte, and an arithmetic
// result that is infinite or no number at all.
#pragma once

#include <string_view>

#include "eval/context.h"
#include "eval/observer/observer.h"
#include "eval/operators.h"

namespace formel {

// How an operation took its operands: as texts, as numbers, or (an
// ordered comparison with a quoted operand) byte by byte, quotes included.
enum class Reading { kAsWritten, kNumbers, kBytes };

struct Operand {
  std::string_view written;  // as cut from the text
  std::string_view value;    // after the base-suffix conversion
  Span where;
};

struct OperationFacts {
  const Operator& op;
  Reading reading;
  Operand left;
  Operand right;
  Span operatorAt;
  std::string_view whole;  // from the left operand to the right one, when at wholeAt
  Span wholeAt;
  std::string_view result;  // as computed, before an infinity becomes 0
};

void InspectOperation(EvalContext& ctx, const OperationFacts& facts);

}  // namespace formel
