// The tables as the stages read them: names as written in a formula.
#include "eval/stages.h"

namespace formel {

std::string_view LookUpVariable(EvalContext& ctx, std::string_view name) {
  WorkspaceScope temporaries(ctx.workspace);
  const Text* found = ctx.vars.Find(BuildNameKey(ctx.workspace, name));
  return found == nullptr ? std::string_view() : std::string_view(*found);
}

FuncInfo LookUpFunction(EvalContext& ctx, std::string_view name) {
  WorkspaceScope temporaries(ctx.workspace);
  const FuncInfo* found = ctx.funcs.Find(BuildNameKey(ctx.workspace, name));
  return found == nullptr ? FuncInfo{} : *found;
}

}  // namespace formel
