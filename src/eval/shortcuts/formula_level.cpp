#include "eval/shortcuts/formula_level.h"

#include "eval/lookups.h"

namespace formel {

// The name between the brackets of a lone reference.
std::optional<std::string_view> VariableValueAlone(EvalContext& ctx, std::string_view name) {
  for (const char c : name) {
    if (c == '[' || c == ']' || c == '(' || c == ')') return std::nullopt;
  }
  const std::string_view value = LookUpVariable(ctx, name);
  if (value.size() >= kMaxTextLength || !IsUnsignedDecimal(value)) return std::nullopt;
  return std::string_view(ctx.workspace.Put(value), value.size());
}

}  // namespace formel
