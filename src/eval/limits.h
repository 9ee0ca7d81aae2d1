// Every limit of an evaluation, each with the reason for its value. Going
// past one counts as running out of memory: the call gives its nothing
// value, and the observer hears why first (observer/limit_findings.cpp).
// The one limit of the tables, ten parameters for a host function
// (kMaxParams), lives with the tables, which check it.
#pragma once

#include <cstddef>

#include "eval/context.h"
#include "frame/private_text.h"

namespace formel {

// Groups and calls nest at most this deep: a group inside kMaxNesting
// others is left in the text as written. Each level costs a few hundred bytes of stack, so
// the limit keeps the deepest formula well under 1 MB of stack in any build.
inline constexpr int kMaxNesting = 200;

// No text of an evaluation grows longer than this. Quoting doubles the
// quotes of a value at every nesting level, so without a bound a formula of
// a hundred bytes could ask for more memory than any machine has.
inline constexpr std::size_t kMaxTextLength = std::size_t{4} << 20;
// Reports the limit to the observer and throws std::bad_alloc.
[[noreturn]] void ExceedLength(EvalContext& ctx);
inline void LimitLength(EvalContext& ctx, const Text& text) {
  if (text.size() > kMaxTextLength) ExceedLength(ctx);
}

// The bytes that quoting (the enclosing quotes and the doubled quotes of
// text literals) may add in one outermost evaluation, host re-entries
// included. The length limit alone bounds memory but not time: a formula
// can make many values that each double up to just below it. All other
// work grows linearly with the input and the nesting depth.
inline std::size_t QuotingBudget(std::size_t formulaLength) {
  return (std::size_t{1} << 20) + 4 * formulaLength;
}
// Reports the allowance to the observer and throws std::bad_alloc.
[[noreturn]] void ExceedQuoting(EvalContext& ctx);
// An outermost evaluation of formula begins: its allowance, and the text
// that findings point into.
inline void StartOutermost(EvalContext& ctx, std::string_view formula) {
  ctx.quotingLeft = QuotingBudget(formula.size());
  ctx.outermost = formula;
}

}  // namespace formel
