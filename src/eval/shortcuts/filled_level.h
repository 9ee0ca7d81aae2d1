// The value of a formula level once its groups, calls and references are
// in place, for the shapes a prepared formula meets again and again: a
// plain number ("5", "-3", or nothing), plain arithmetic (plain_arithmetic.h)
// and one comparison between two such sides ("[x]<500", "[a]*2>=[b]").
//
// Why a comparison equals the passes: the arithmetic passes run first, and
// none of their steps reaches across the comparison. Leftward scans stop
// at its operator, which is a delimiter other than "-", so no step takes a
// sign from it; rightward scans stop at it as at the final blank. The left
// side stands at the start of the text, just as alone. The right side
// starts with a digit or a point and holds only "^", "/", "*" and "+", so
// that each of its values stays a plain number (a NaN leaves the model):
// its first number never carries a "-" that a scan could take as a sign
// behind the operator. Then the comparison pass cuts the two sides' texts
// as its operands: "=" compares them as texts, the others as the numbers
// they read as (neither is quoted).
#pragma once

#include <optional>
#include <string_view>

#include "eval/context.h"
#include "eval/operators.h"
#include "eval/operators.h"

namespace formel {

// The comparison written at the start of rest (two bytes when the second
// is one of "<>=" too) and its length, or null.
const Operator* ComparisonAt(std::string_view rest, std::size_t& length);
// Whether the comparison holds between two sides that read as x and y
// and are written xText and yText ("=" compares the texts).
bool ComparisonHolds(Op op, float x, float y, std::string_view xText, std::string_view yText);

// The result written at the workspace write position, or nullopt (nothing
// written) when text (which ends in the final blank) is not of such a shape.
std::optional<std::string_view> FilledLevelValue(EvalContext& ctx, std::string_view text);

}  // namespace formel
