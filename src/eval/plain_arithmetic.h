// A short formula level made only of plain numbers (digits and points) and
// the operators "^", "/", "\", "*" and "+", no two side by side, such as
// "2*3+4": the passes on it are computed on the numbers' values, without
// building the text of each pass.
//
// Why that equals the passes while every result is finite and not negative
// (written back as digits and a point, like the numbers): no byte is a "-",
// a blank, a quote or a bracket, so there is nothing for the groups, the
// variables or the sign folding to do, and every step of a pass cuts
// exactly the number on each side of its operator: the leftward scan
// passes the number's bytes and stops at the operator before it (kept, not
// a "-") or at the text's start; the rightward scan stops at the operator or
// the final blank behind the right number. Each result takes the place of
// its two operands and the operator, and the pass resumes behind it, at the
// next operator. The value a step reads from a number is ParseReal of its
// text; from a result, what its written text reads back as.
#pragma once

#include <optional>
#include <string_view>

#include "eval/context.h"

namespace formel {

// Writes the result at the workspace write position and returns it; nullopt
// (nothing written) when text (which ends in the final blank) is not of
// that form, holds more than a few operators, or a result would be negative
// or not finite, which the passes then handle.
std::optional<std::string_view> PlainArithmetic(EvalContext& ctx, std::string_view text);

}  // namespace formel
