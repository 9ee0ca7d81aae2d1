#include "eval/shortcuts/number_chain.h"

#include <cmath>

#include "text/numbers.h"

namespace formel {

bool IsSignedDecimal(std::string_view text) {
  return !text.empty() && text.front() == '-' && IsUnsignedDecimal(text.substr(1));
}

ChainEnd FollowNumberChain(std::string_view text, std::size_t at, char written, Op op,
                           float left, bool atStart, std::size_t maxSteps) {
  ChainEnd end{at, left, 0};
  float x = left;
  while (end.steps < maxSteps && at < text.size() && text[at] == written) {
    const std::size_t from = at + 1;
    float right = 0;
    const std::size_t to = ReadPlainNumber(text, from, right);
    if (to == from || to == text.size() || !IsOperandDelimiter(text[to])) break;
    const float result = Arithmetic(op, x, right);
    if (!std::isfinite(result) || (std::signbit(result) && !atStart)) break;
    end = {to, result, end.steps + 1};
    x = ReadBackReal(result);
    at = to;
  }
  return end;
}

std::size_t TakeNumberChain(PassText& text, std::size_t leftCut, std::string_view literal,
                            char written, Op op, std::size_t maxSteps) {
  const bool atStart = leftCut == 0;
  const std::string_view rest = text.Rest();
  if (leftCut + literal.size() != text.Processed().size() || rest.empty() || rest.front() != written ||
      !(IsUnsignedDecimal(literal) || (atStart && IsSignedDecimal(literal)))) {
    return 0;
  }
  const ChainEnd end = FollowNumberChain(rest, 0, written, op, ParseReal(literal), atStart, maxSteps);
  if (end.steps == 0) return 0;
  text.SkipRead(end.at);
  text.Truncate(leftCut);
  char digits[kRealTextMax];
  text.Append({digits, FormatReal(end.value, digits)});
  return end.steps;
}

}  // namespace formel
