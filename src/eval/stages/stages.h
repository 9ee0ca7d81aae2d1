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

// The formula driver. Builds the result at the workspace write position,
// leaves the write position on its terminator and returns it.
std::string_view EvaluateFormula(EvalContext& ctx, std::string_view formula);

// Calls a registered function with the first paramCount texts of args and
// returns its text (null for "").
const char* CallHost(const FuncInfo& f, const std::array<const char*, kMaxParams>& args);

}  // namespace formel
