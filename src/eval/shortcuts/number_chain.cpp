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

}  // namespace formel
