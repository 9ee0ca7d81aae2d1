#include "eval/number_chain.h"

#include <cmath>

#include "text/numbers.h"

namespace formel {

namespace {

bool IsPlainNumberByte(char c) { return (c >= '0' && c <= '9') || c == '.'; }

// The number of the plain operand text[from, to): digits alone, at most 15
// of them, are read exactly as ParseReal reads them.
float PlainNumber(std::string_view text, std::size_t from, std::size_t to, std::int64_t digits,
                  bool wholeDigits) {
  if (wholeDigits && to - from <= 15) return RoundToFloat(static_cast<double>(digits));
  return ParseReal(text.substr(from, to - from));
}

}  // namespace

float ReadBack(float value) {
  if (value == std::trunc(value) && std::fabs(value) < 1e15f) return value;
  char text[kRealTextMax];
  return ParseReal({text, FormatReal(value, text)});
}

bool IsSignedDecimal(std::string_view text) {
  return !text.empty() && text.front() == '-' && IsUnsignedDecimal(text.substr(1));
}

ChainEnd FollowNumberChain(std::string_view text, std::size_t at, char written, Op op,
                           float left, bool atStart, std::size_t maxSteps) {
  ChainEnd end{at, left, 0};
  float x = left;
  while (end.steps < maxSteps && at < text.size() && text[at] == written) {
    const std::size_t from = at + 1;
    std::size_t to = from;
    std::int64_t digits = 0;
    bool wholeDigits = true;
    for (; to < text.size() && IsPlainNumberByte(text[to]); ++to) {
      if (text[to] == '.') wholeDigits = false;
      if (to - from < 15) digits = digits * 10 + (text[to] - '0');
    }
    if (to == from || to == text.size() || !IsOperandDelimiter(text[to])) break;
    const float result = Arithmetic(op, x, PlainNumber(text, from, to, digits, wholeDigits));
    if (!std::isfinite(result) || (std::signbit(result) && !atStart)) break;
    end = {to, result, end.steps + 1};
    x = ReadBack(result);
    at = to;
  }
  return end;
}

}  // namespace formel
