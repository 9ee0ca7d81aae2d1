#include "eval/shortcuts/repeated_formula.h"

#include <cstring>

#include "eval/shortcuts/number_chain.h"
#include "eval/shortcuts/plain_arithmetic.h"
#include "eval/lookups.h"
#include "text/text.h"

namespace formel {

namespace {

// Formulas are learnt up to this length; their substituted texts are built
// on the stack up to kTextRoom bytes.
constexpr std::size_t kLongestFormula = 256;
constexpr std::size_t kTextRoom = 512;

}  // namespace

// References: each "[" with the first "]" behind it, no "[" between (so
// that counting nested brackets matches them the same way); every other
// byte one that plain arithmetic may hold: no "(" for groups, no quote.
bool RepeatedFormula::Learn(EvalContext& ctx, std::string_view formula) {
  formula_.clear();
  references_.clear();
  if (formula.size() > kLongestFormula) return false;
  for (std::size_t i = 0; i < formula.size(); ++i) {
    if (formula[i] != '[') {
      if (!IsPlainArithmeticByte(formula[i])) return false;
      continue;
    }
    std::size_t close = i + 1;
    while (close < formula.size() && formula[close] != ']' && formula[close] != '[') ++close;
    if (close == formula.size() || formula[close] != ']') return false;
    references_.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(close)});
    i = close;
  }
  if (references_.empty()) return false;
  LookUp(ctx, formula);
  formula_.assign(formula);  // last: out of memory before, nothing is learnt
  return true;
}

// Should this run out of memory, the generation stays: the next
// evaluation looks the names up again.
void RepeatedFormula::LookUp(EvalContext& ctx, std::string_view formula) {
  values_.clear();
  for (const Reference& r : references_) {
    values_.push_back(FindVariable(ctx, formula.substr(r.open + 1, r.close - r.open - 1)));
  }
  generation_ = ctx.vars.Generation();
}

std::optional<std::string_view> RepeatedFormula::Evaluate(EvalContext& ctx, std::string_view formula) {
  if (formula_.empty() || std::string_view(formula_) != formula) {
    if (!Learn(ctx, formula)) return std::nullopt;
  } else if (generation_ != ctx.vars.Generation()) {
    LookUp(ctx, formula);
  }
  char text[kTextRoom];
  std::size_t n = 0;
  std::size_t from = 0;
  const auto put = [&text, &n](std::string_view piece) {
    if (n + piece.size() >= kTextRoom) return false;  // room for the final blank
    std::memcpy(text + n, piece.data(), piece.size());
    n += piece.size();
    return true;
  };
  for (std::size_t k = 0; k < references_.size(); ++k) {
    const Variable* variable = values_[k];
    const Text* value = variable == nullptr ? nullptr : &variable->text();
    // An unset variable or a value that is not a plain number: not as it stands.
    if (value == nullptr || !IsUnsignedDecimal(*value)) return std::nullopt;
    if (!put(formula.substr(from, references_[k].open - from)) || !put(*value)) return std::nullopt;
    from = references_[k].close + 1;
  }
  if (!put(formula.substr(from))) return std::nullopt;
  text[n++] = ' ';  // the final blank the stages end every text with
  return PlainArithmetic(ctx, {text, n});
}

}  // namespace formel
