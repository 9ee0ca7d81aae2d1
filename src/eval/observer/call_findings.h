// Findings about a call: a name with no registered function, a comma
// inside parentheses that splits the arguments all the same, and more or
// fewer arguments than the function takes.
#pragma once

#include <cstddef>
#include <string_view>

#include "eval/context.h"

namespace formel {

struct CallFacts {
  std::string_view name;     // trimmed
  std::string_view written;  // from the name to the ")", as written
  std::string_view inside;   // between the parentheses
  std::size_t arguments;     // as split: an empty inside gives one
  const FuncInfo& function;  // as looked up
};

void InspectCall(EvalContext& ctx, const CallFacts& call);

}  // namespace formel
