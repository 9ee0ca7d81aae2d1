// The shortcuts that take a whole formula level, or what is left of it
// after a stage. Each returns nothing (nullopt, false) when its trigger or
// its guard fails, or while the context asks for the general path only;
// the driver then goes on the general way.
#pragma once

#include <optional>
#include <string_view>

#include "eval/context.h"
#include "eval/limits.h"
#include "eval/literals.h"
#include "eval/shortcuts/number_chain.h"
#include "eval/shortcuts/repeated_formula.h"
#include "text/text.h"

namespace formel {

// Digits and points alone (an argument such as "1"): no stage changes
// them (no bracket, operator, sign, blank or base suffix) and a number form
// keeps its text, so the text is the result.
inline bool IsOwnResult(const EvalContext& ctx, std::string_view formula) {
  return !ctx.GeneralPathOnly() && formula.size() < kMaxTextLength && IsUnsignedDecimal(formula);
}

// A reference alone ("[x]", as in max(1,[x])) to a variable whose value is
// digits and points: with no "(" there are no groups, the reference is
// the only one (no other bracket), its value goes in as it stands (a
// number form needs no quotes) and, as with digits and points written in
// the formula, no later stage changes it. Writes that value at the
// workspace write position.
std::optional<std::string_view> VariableValueAlone(EvalContext& ctx, std::string_view name);
inline std::optional<std::string_view> VariableAlone(EvalContext& ctx, std::string_view formula) {
  if (ctx.GeneralPathOnly() || formula.size() < 2 || formula.front() != '[' ||
      formula.back() != ']') {
    return std::nullopt;
  }
  return VariableValueAlone(ctx, formula.substr(1, formula.size() - 2));
}

// An outermost formula with references and no "(": the repeated formula
// (repeated_formula.h) writes its result, or declines.
inline std::optional<std::string_view> RepeatedFormulaResult(EvalContext& ctx,
                                                             std::string_view formula) {
  if (ctx.evalDepth != 0 || ctx.GeneralPathOnly() || ctx.repeated == nullptr ||
      FindByte(formula, '[') == Text::npos || FindByte(formula, '(') != Text::npos) {
    return std::nullopt;
  }
  return ctx.repeated->Evaluate(ctx, formula);
}

// A text that is one quoted literal (and the final blank) has nothing
// outside quotes for a later stage to change: its value is the result. So
// a nested group around a long text costs a copy, not every stage's pass.
inline bool OnlyALiteralLeft(const EvalContext& ctx, std::string_view text) {
  return !ctx.GeneralPathOnly() && !text.empty() && text.back() == ' ' &&
         IsSingleLiteral(text.substr(0, text.size() - 1));
}

// A plain number and the final blank after substitution (a variable's
// value alone): as with a plain number formula, no later stage changes it.
// The caller has checked the switch (it takes the shortcuts of a
// substituted level together).
inline bool IsPlainNumberLeft(std::string_view text) {
  return !text.empty() && IsUnsignedDecimal(text.substr(0, text.size() - 1));
}

}  // namespace formel
