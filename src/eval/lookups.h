// The tables as a formula names them: names as written, trimmed and
// compared without regard to case.
#pragma once

#include <string_view>

#include "eval/context.h"
#include "frame/private_text.h"
#include "registry/func_table.h"

namespace formel {

// The variable's value, or "" when it is not set.
std::string_view LookUpVariable(EvalContext& ctx, std::string_view name);
// The variable's entry (valid while the table's generation stays), or null.
const Variable* FindVariable(EvalContext& ctx, std::string_view name);
bool IsVariableSet(EvalContext& ctx, std::string_view name);
// The function's entry (valid while the table's generation stays), or null.
const FuncInfo* FindFunction(EvalContext& ctx, std::string_view name);
// The function's entry, or an empty one (no id, no closure) when none.
FuncInfo LookUpFunction(EvalContext& ctx, std::string_view name);

}  // namespace formel
