// The rewriting stages of a formula. Each takes a text and writes the
// rewritten text into out (replacing its contents).
#pragma once

#include <array>
#include <new>
#include <string_view>

#include "eval/context.h"
#include "eval/operators.h"
#include "eval/origins.h"
#include "frame/private_text.h"

namespace formel {

// Groups and calls nest at most this deep: a group inside kMaxNesting
// others is left in the text as written. Each level costs a few hundred bytes of stack, so
// the limit keeps the deepest formula well under 1 MB of stack in any build.
inline constexpr int kMaxNesting = 200;

// No text of an evaluation grows longer than this. Quoting doubles the
// quotes of a value at every nesting level, so without a bound a formula of
// a hundred bytes could ask for more memory than any machine has. Going
// past it counts as running out of memory: the call gives its nothing value.
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

// The stages below take track when an observer listens: the origins of
// their input, and those of the text they build, which come empty and
// which they fill.

// Every run of "+" and "-" outside quoted literals becomes the one sign it
// amounts to: "-" for an odd number of minus signs, else "+".
void FoldSigns(std::string_view text, Text& out, OriginTrack* track = nullptr);
// Two signs side by side, quotes not considered. Without such a pair,
// FoldSigns gives the text back unchanged.
bool HasSignPair(std::string_view text);

// Replaces every [name] outside quoted literals by the literal of the
// variable's value.
void SubstituteVariables(EvalContext& ctx, std::string_view text, Text& out,
                         OriginTrack* track = nullptr);

// Replaces every balanced parenthesis group outside quoted literals by the
// literal of its value; a name before the "(" makes it a call of a host
// function. Appends nothing: the caller adds the formula's final blank.
void ExpandGroups(EvalContext& ctx, std::string_view text, Text& out, OriginTrack* track = nullptr);

// One operator pass: evaluates every occurrence of the operator (as written)
// outside quoted literals, left to right. text must end in a blank.
void ApplyOperator(EvalContext& ctx, std::string_view text, const Operator& op, Text& out);
// The same, told whether text holds two signs side by side.
void ApplyOperator(EvalContext& ctx, std::string_view text, const Operator& op, Text& out,
                   bool signPair, OriginTrack* track = nullptr);

// A byte at which the leftward scan for a function name stops.
bool IsNameDelimiter(char c);
// Length of the raw name at the end of before: scanning leftward, blanks
// are passed until something else is met; then a delimiter ends the name.
std::size_t RawNameLength(std::string_view before);
// Index of the first comma at or after from outside quotes in a call's
// inside, or its end: the argument's end. npos when a quote stays open.
std::size_t ArgumentEnd(std::string_view inside, std::size_t from);

// Continues ExpandGroups on text from index from on: out holds the
// expansion of text[0, from), insideQuotes the parity of its quotes.
void ExpandGroupsFrom(EvalContext& ctx, std::string_view text, std::size_t from, bool insideQuotes,
                      Text& out);

// The formula driver. Builds the result at the workspace write position,
// leaves the write position on its terminator and returns it.
std::string_view EvaluateFormula(EvalContext& ctx, std::string_view formula);
// The same without the prepared formulas of the evaluator.
std::string_view EvaluateUnplanned(EvalContext& ctx, std::string_view formula);
// The rest of one level of formula, whose depth the caller counts: from
// the text as groups and calls left it (final blank included), or as
// variables left it.
std::string_view EvaluateExpanded(EvalContext& ctx, std::string_view expanded, std::string_view formula);
std::string_view EvaluateSubstituted(EvalContext& ctx, std::string_view substituted,
                                     std::string_view formula);

// Look up the tables with names as written in a formula.
std::string_view LookUpVariable(EvalContext& ctx, std::string_view name);
// The variable's entry (valid while the table's generation stays), or null.
const Text* FindVariable(EvalContext& ctx, std::string_view name);
// The function's entry (valid while the table's generation stays), or null.
const FuncInfo* FindFunction(EvalContext& ctx, std::string_view name);
bool IsVariableSet(EvalContext& ctx, std::string_view name);
FuncInfo LookUpFunction(EvalContext& ctx, std::string_view name);

// Calls a registered function with the first paramCount texts of args and
// returns its text (null for "").
const char* CallHost(const FuncInfo& f, const std::array<const char*, kMaxParams>& args);

}  // namespace formel
