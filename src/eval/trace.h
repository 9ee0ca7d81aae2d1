// Optional observer of the rewriting stages, for tools that show how a
// formula is rewritten. Not exported: a tool links the library's core and
// sets the hook through SetTraceHook. Costs one test per stage when off.
#pragma once

#include <string_view>

namespace formel {

// stage: "groups", "variables", an operator as written, "signs" and
// "result" for the stages of one formula (before: its input, after: its
// output); "group" and "call" for one replaced group (before: the group as
// written, a call with its trimmed name; after: the literal that replaced
// it). depth: 1 for the outermost formula, one more for each group or
// argument around it.
using TraceHook = void (*)(void* context, int depth, std::string_view stage,
                           std::string_view before, std::string_view after);

void SetTraceHook(TraceHook hook, void* context);

}  // namespace formel
