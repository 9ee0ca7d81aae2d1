// A formula level that is two quoted literals joined by "&" (blanks around
// the "&" and behind the second literal): its value is the two values
// joined, without building the texts of the passes. The passes before "&"
// find their operators only inside the quotes and change nothing; the "&"
// pass cuts the two literals as its operands and writes the quoted literal
// of the joined value; every later pass and the sign folding again find
// nothing outside quotes, and the final form is that literal's value.
#pragma once

#include <optional>
#include <string_view>

#include "eval/context.h"

namespace formel {

// Writes the value at the workspace write position and returns it; nullopt
// (nothing written) when text is not of that form, or when the joined
// value would not be written back as a quoted literal (quoted ends, blanks
// at an end, a number form), which the passes then handle. Charges the
// quoting and limits the length as the "&" pass does.
std::optional<std::string_view> JoinOfTwoLiterals(EvalContext& ctx, std::string_view text);

}  // namespace formel
