// Sign folding: "--" and "++" are "+", "-+" and "+-" are "-", applied until
// no two signs outside quoted literals stand side by side. Every rule keeps
// the parity of the minus signs in a run, so a run folds to "-" exactly when
// it holds an odd number of them; signs inside quotes are text and stay.
#include "eval/literals.h"
#include "eval/stages.h"

namespace formel {

namespace {
bool IsSign(char c) { return c == '+' || c == '-'; }
}  // namespace

void FoldSigns(std::string_view text, Text& out) {
  out.clear();
  out.reserve(text.size());
  bool insideQuotes = false;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (!IsSign(c) || insideQuotes) {
      if (c == kQuote) insideQuotes = !insideQuotes;
      out.push_back(c);
      ++i;
      continue;
    }
    bool minus = false;
    for (; i < text.size() && IsSign(text[i]); ++i) minus ^= text[i] == '-';
    out.push_back(minus ? '-' : '+');
  }
}

bool HasSignPair(std::string_view text) {
  bool previousSign = false;
  for (const char c : text) {
    const bool sign = IsSign(c);
    if (sign && previousSign) return true;
    previousSign = sign;
  }
  return false;
}

}  // namespace formel
