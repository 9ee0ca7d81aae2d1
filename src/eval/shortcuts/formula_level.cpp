#include "eval/shortcuts/formula_level.h"

#include "eval/lookups.h"

namespace formel {

std::optional<std::string_view> VariableAlone(EvalContext& ctx, std::string_view formula) {
  if (ctx.GeneralPathOnly() || formula.size() < 2 || formula.front() != '[' ||
      formula.back() != ']') {
    return std::nullopt;
  }
  const std::string_view name = formula.substr(1, formula.size() - 2);
  for (const char c : name) {
    if (c == '[' || c == ']' || c == '(' || c == ')') return std::nullopt;
  }
  const std::string_view value = LookUpVariable(ctx, name);
  if (value.size() >= kMaxTextLength || !IsUnsignedDecimal(value)) return std::nullopt;
  return std::string_view(ctx.workspace.Put(value), value.size());
}

}  // namespace formel
