// The rewriting stages of a formula. Each takes a text and writes the
// rewritten text into out (replacing its contents).
#pragma once

#include <array>
#include <new>
#include <string_view>

#include "eval/context.h"
#include "eval/limits.h"
#include "eval/lookups.h"
#include "eval/operators.h"
#include "eval/observer/observer.h"
#include "eval/observer/origins.h"
#include "frame/private_text.h"
#include "text/numbers.h"

namespace formel {

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
// outside quoted literals, left to right. text must end in a blank;
// signPair tells whether it holds two signs side by side (HasSignPair).
void ApplyOperator(EvalContext& ctx, std::string_view text, const Operator& op, Text& out,
                   bool signPair, OriginTrack* track = nullptr);

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

// Where a function on numbers' result is written as text.
using NumberResultRoom = std::array<char, kRealTextMax + 1>;

// Calls a registered function with the first paramCount texts of args and
// returns its text (null for ""). A function on numbers reads each text as
// an arithmetic operator reads its operand; its result's text is written
// into room.
const char* CallHost(const FuncInfo& f, const std::array<const char*, kMaxParams>& args, NumberResultRoom& room);
// Calls a function on numbers with its first paramCount numbers: the
// result, a 32-bit float, is what it gives in a formula.
float CallOnNumbers(const FuncInfo& f, const double* numbers);

}  // namespace formel
