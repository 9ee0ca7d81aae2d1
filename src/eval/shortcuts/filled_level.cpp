#include "eval/shortcuts/filled_level.h"

#include "eval/operators.h"
#include "eval/shortcuts/number_chain.h"
#include "eval/shortcuts/plain_arithmetic.h"
#include "text/numbers.h"

namespace formel {

namespace {

bool IsComparisonByte(char c) { return c == '<' || c == '>' || c == '='; }

// One side of a comparison: its text after the arithmetic passes and the
// number a pass reads from it. Digits and points stay as written, a sum
// becomes the text of its value.
struct Side {
  std::string_view text;
  float number = 0;
  char digits[kRealTextMax];
};

bool ReadSide(EvalContext& ctx, std::string_view side, bool left, Side& out) {
  if (IsUnsignedDecimal(side) || (left && IsSignedDecimal(side))) {
    out.text = side;
    out.number = ParseReal(side);
    return true;
  }
  if (!left) {  // the right side's values stay plain numbers
    if (side.empty() || side.front() == '-') return false;
    for (const char c : side) {
      if (c == '-' || c == '\\') return false;
    }
  }
  const auto value = PlainArithmeticValue(ctx, side);
  if (!value) return false;
  out.text = {out.digits, FormatReal(*value, out.digits)};
  out.number = ReadBackReal(*value);
  return true;
}

std::optional<std::string_view> Comparison(EvalContext& ctx, std::string_view body) {
  std::size_t at = 0;
  while (at < body.size() && !IsComparisonByte(body[at])) ++at;
  if (at == 0 || at == body.size()) return std::nullopt;
  std::size_t length = 0;
  const Operator* op = ComparisonAt(body.substr(at), length);
  if (op == nullptr) return std::nullopt;
  Side left;
  Side right;
  if (!ReadSide(ctx, body.substr(0, at), true, left) ||
      !ReadSide(ctx, body.substr(at + length), false, right)) {
    return std::nullopt;
  }
  const bool holds = ComparisonHolds(op->op, left.number, right.number, left.text, right.text);
  return std::string_view(ctx.workspace.Put(holds ? "1" : "0"), 1);
}

}  // namespace

const Operator* ComparisonAt(std::string_view rest, std::size_t& length) {
  if (rest.empty() || !IsComparisonByte(rest.front())) return nullptr;
  length = rest.size() > 1 && IsComparisonByte(rest[1]) ? 2 : 1;
  for (const Operator& op : kOperatorPasses) {
    if (!IsArithmetic(op.op) && op.op != Op::kConcat && op.written == rest.substr(0, length)) return &op;
  }
  return nullptr;
}

bool ComparisonHolds(Op op, float x, float y, std::string_view xText, std::string_view yText) {
  switch (op) {
    case Op::kLess: return x < y;
    case Op::kGreater: return x > y;
    case Op::kLessEqual: return x <= y;
    case Op::kGreaterEqual: return x >= y;
    case Op::kNotEqual: return x != y;
    default: return xText == yText;  // "=": always as texts
  }
}

std::optional<std::string_view> FilledLevelValue(EvalContext& ctx, std::string_view text) {
  if (text.empty() || text.back() != ' ') return std::nullopt;
  const std::string_view body = text.substr(0, text.size() - 1);
  // Nothing, or a number no pass changes (a "-" before it is a unary minus
  // that writes it again).
  if (body.empty() || IsUnsignedDecimal(body) || IsSignedDecimal(body)) {
    return std::string_view(ctx.workspace.Put(body), body.size());
  }
  if (const auto value = PlainArithmetic(ctx, text)) return value;
  return Comparison(ctx, body);
}

}  // namespace formel
