// The rewriting stages of a formula. Each takes a text and writes the
// rewritten text into out (replacing its contents).
#pragma once

#include <string_view>

#include "frame/library.h"
#include "registry/name_key.h"

namespace formel {

// Groups and calls nest at most this deep: a group inside kMaxNesting
// others is left in the text as written. Each level costs a few hundred bytes of stack, so
// the limit keeps the deepest formula well under 1 MB of stack in any build.
inline constexpr int kMaxNesting = 200;

// Every run of "+" and "-" outside quoted literals becomes the one sign it
// amounts to: "-" for an odd number of minus signs, else "+".
void FoldSigns(std::string_view text, Text& out);

// Replaces every [name] outside quoted literals by the literal of the
// variable's value.
void SubstituteVariables(Library& lib, std::string_view text, Text& out);

// Replaces every balanced parenthesis group outside quoted literals by the
// literal of its value; a name before the "(" makes it a call of a host
// function. Appends nothing: the caller adds the formula's final blank.
void ExpandGroups(Library& lib, std::string_view text, Text& out);

// One operator pass: evaluates every occurrence of the operator (as written)
// outside quoted literals, left to right. text must end in a blank.
void ApplyOperator(Library& lib, std::string_view text, std::string_view written, Text& out);

// The formula driver. Builds the result at the workspace write position,
// leaves the write position on its terminator and returns it.
std::string_view EvaluateFormula(Library& lib, std::string_view formula);

// Looks up the tables with names as written in a formula.
std::string_view LookUpVariable(Library& lib, std::string_view name);
FuncInfo LookUpFunction(Library& lib, std::string_view name);

}  // namespace formel
