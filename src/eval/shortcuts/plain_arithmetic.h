// A formula level made only of plain numbers (digits and points) and the
// six arithmetic operators, no two side by side, perhaps with a "-" before
// the first number: "2*3+4", "3*4+10/4-2^2-7\2+1", "-5-3". The passes on it
// are computed on the numbers' values, without building the text of each
// pass, however long the level is.
//
// Why that equals the passes: no byte is a blank, a quote or a bracket, so
// there is nothing for the groups, the variables or the sign folding to
// do, and every step of a pass cuts the number on each side of its
// operator. Leftward, the scan passes the number's bytes and stops at the
// operator before it: any other operator stays, a "-" goes into the
// operand as its sign (the text's first byte is the operand's in any
// case). Rightward, it stops at the operator or the final blank behind the
// right number. The literal of the result replaces the cut; where a "-"
// was taken and the result is not negative, a "+" goes before it so that
// the text still adds it to what stands before. The pass resumes behind
// the literal, except that the "+" pass resumes at such a "+" and so first
// adds the two numbers it now joins. The value a step reads from a number
// is ParseReal of its text; from a result, what its written text reads
// back as.
//
// The model keeps each number's value and length and the operator before
// it; any step whose text would leave that shape (a result that is not a
// number, a negative one behind another operator, a "-" taken into "-0")
// sends the whole level back to the passes, which then handle it.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "eval/context.h"
#include "eval/operators.h"
#include "text/numbers.h"

namespace formel {

// Writes the result at the workspace write position and returns it; nullopt
// (nothing written) when text (which ends in the final blank) is not of
// that form or a step would leave it, which the passes then handle.
std::optional<std::string_view> PlainArithmetic(EvalContext& ctx, std::string_view text);
// The value whose text that would be, for the text without its final blank.
std::optional<float> PlainArithmeticValue(EvalContext& ctx, std::string_view body);

// The same for numbers already read: read[k] is what the text of number k
// reads as (without a sign), length[k] that text's length, op[k] the
// operator before number k (k >= 1), negativeFirst a "-" before the first;
// textLength the whole text's, final blank included, or a bound above it
// (only its distance from the length limit counts). At least two
// numbers; the arrays (written is scratch) are used up.
struct PlainTerms {
  float* read;
  float* written;
  std::uint32_t* length;
  char* op;
  std::size_t count;
  bool negativeFirst;
  std::size_t textLength;
  // Blanks before the first number: a step with a negative first number
  // would take its "-" as a sign, which leaves the model.
  bool leadingBlank = false;
};
std::optional<float> PlainTermsValue(const PlainTerms& terms);

// One step of a pass on two numbers: the result, as its literal stands in
// the text (an infinity's literal is "0"), and what a step reads back from
// it. nullopt for a NaN, which leaves the model.
struct StepResult {
  float written;
  float read;
  bool negative;  // the literal starts with "-"
};
[[gnu::always_inline]] inline std::optional<StepResult> StepOn(Op op, float left, float right) {
  float result = Arithmetic(op, left, right);
  if (std::isnan(result)) return std::nullopt;
  if (std::isinf(result)) result = 0;
  return StepResult{result, ReadBackReal(result), std::signbit(result)};
}

// How a step's literal fits behind the operator before its left number
// (not the first): as it is; with a "+" before it where the step took that
// operator, a "-", and the result is not below 0; or, where that result is
// "-0", as "+-0", a sign pair that the next pass folds to "-0" before it
// starts, so that the number stands as it is behind its "-", one byte
// longer until then. A "-" behind another operator would be a sign pair
// that is not folded back: outside the model.
enum class StepFit { kAsItIs, kPlusBefore, kPlusMinusZero, kOutside };
[[gnu::always_inline]] inline StepFit FitBehindOperator(const StepResult& r, bool minusTaken) {
  if (minusTaken && !(r.read < 0)) return r.negative ? StepFit::kPlusMinusZero : StepFit::kPlusBefore;
  if (r.negative && !minusTaken) return StepFit::kOutside;
  return StepFit::kAsItIs;
}

// A digit, a point or one of the six operators.
bool IsPlainArithmeticByte(char c);

}  // namespace formel
