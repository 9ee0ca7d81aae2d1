#include "eval/plain_arithmetic.h"

#include <array>
#include <cmath>

#include "eval/number_chain.h"
#include "eval/operators.h"
#include "text/numbers.h"

namespace formel {

namespace {

constexpr std::size_t kMaxNumbers = 32;

bool IsPlainOperator(char c) { return c == '^' || c == '/' || c == '\\' || c == '*' || c == '+'; }
bool IsNumberByte(char c) { return (c >= '0' && c <= '9') || c == '.'; }

Op OpOf(char c) {
  switch (c) {
    case '^': return Op::kPower;
    case '/': return Op::kDivide;
    case '\\': return Op::kIntDivide;
    case '*': return Op::kMultiply;
    default: return Op::kAdd;
  }
}

// The numbers' values as read, and the operators between them.
struct Terms {
  // Filled up to count only (no zeroing: most levels are not of this form).
  std::array<float, kMaxNumbers> read;     // what the next step reads
  std::array<float, kMaxNumbers> written;  // the value whose text stands there
  std::array<char, kMaxNumbers> op;        // op[i] between term i and i + 1
  std::size_t count = 0;
};

// Only number bytes and plain operators, at least one operator and not
// too many: checked before any number is read.
bool IsPlainArithmetic(std::string_view formula) {
  std::size_t operators = 0;
  for (const char c : formula) {
    if (IsPlainOperator(c)) {
      if (++operators == kMaxNumbers) return false;  // stops a long formula early
    } else if (!IsNumberByte(c)) {
      return false;
    }
  }
  return operators > 0;
}

bool Split(std::string_view formula, Terms& t) {
  if (!IsPlainArithmetic(formula)) return false;
  std::size_t from = 0;
  for (std::size_t i = 0; i <= formula.size(); ++i) {
    if (i < formula.size() && IsNumberByte(formula[i])) continue;
    if (i == from) return false;  // an operator at an end or beside another
    const float value = ParseReal(formula.substr(from, i - from));
    t.read[t.count] = t.written[t.count] = value;
    t.op[t.count] = i < formula.size() ? formula[i] : 0;
    ++t.count;
    from = i + 1;
  }
  return true;
}

// One pass: every occurrence of op, left to right.
bool Pass(char op, Terms& t) {
  for (std::size_t i = 0; i + 1 < t.count;) {
    if (t.op[i] != op) {
      ++i;
      continue;
    }
    const float result = Arithmetic(OpOf(op), t.read[i], t.read[i + 1]);
    if (!std::isfinite(result) || std::signbit(result)) return false;
    t.written[i] = result;
    t.read[i] = ReadBack(result);
    t.op[i] = t.op[i + 1];
    for (std::size_t j = i + 1; j + 1 < t.count; ++j) {
      t.read[j] = t.read[j + 1];
      t.written[j] = t.written[j + 1];
      t.op[j] = t.op[j + 1];
    }
    --t.count;
  }
  return true;
}

}  // namespace

std::optional<std::string_view> PlainArithmetic(EvalContext& ctx, std::string_view text) {
  if (text.empty() || text.back() != ' ') return std::nullopt;
  Terms terms;
  if (!Split(text.substr(0, text.size() - 1), terms)) return std::nullopt;
  for (const char op : {'^', '/', '\\', '*', '+'}) {  // the passes' order
    if (!Pass(op, terms)) return std::nullopt;
  }
  char* out = ctx.workspace.Reserve(kRealTextMax);
  const std::size_t n = FormatReal(terms.written[0], out);
  return std::string_view(ctx.workspace.Commit(n), n);
}

}  // namespace formel
