// The tables as the stages read them: names as written in a formula.
#include "eval/lookups.h"
#include "text/text.h"

namespace formel {

namespace {

// find(key) for the key of name: a short name's (nearly every name) is
// built on the stack, a longer one's in the workspace for the moment.
template <class Find>
auto FindByName(EvalContext& ctx, std::string_view name, Find find) {
  constexpr std::size_t kShortName = 64;
  const std::string_view trimmed = TrimBlanks(name);
  if (trimmed.size() <= kShortName) {
    char key[kShortName];
    return find(WriteNameKey(trimmed, key));
  }
  WorkspaceScope temporaries(ctx.workspace);
  return find(BuildNameKey(ctx.workspace, trimmed));
}

}  // namespace

const Variable* FindVariable(EvalContext& ctx, std::string_view name) {
  return FindByName(ctx, name, [&ctx](std::string_view key) { return ctx.vars.Find(key); });
}

std::string_view LookUpVariable(EvalContext& ctx, std::string_view name) {
  const Variable* found = FindVariable(ctx, name);
  return found == nullptr ? std::string_view() : std::string_view(found->text());
}

bool IsVariableSet(EvalContext& ctx, std::string_view name) { return FindVariable(ctx, name) != nullptr; }

const FuncInfo* FindFunction(EvalContext& ctx, std::string_view name) {
  return FindByName(ctx, name, [&ctx](std::string_view key) { return ctx.funcs.Find(key); });
}

FuncInfo LookUpFunction(EvalContext& ctx, std::string_view name) {
  const FuncInfo* found = FindFunction(ctx, name);
  return found == nullptr ? FuncInfo{} : *found;
}

}  // namespace formel
