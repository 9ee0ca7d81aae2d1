// Variable substitution: every "[" outside quoted literals with a matching
// "]" (found by nesting count, quotes ignored) is replaced, brackets and
// all, by the literal of the value of the name between them. The name is
// passed as written; the search goes on behind the inserted literal, so a
// value is never searched for references itself.
#include <cstdint>
#include <vector>

#include "eval/literals.h"
#include "eval/pair_matching.h"
#include "eval/stages.h"

namespace formel {

void SubstituteVariables(EvalContext& ctx, std::string_view text, Text& out) {
  out.clear();
  std::size_t next = text.find('[');
  if (next == std::string_view::npos) {
    out.assign(text);
    return;
  }
  std::pmr::vector<std::uint32_t>& closeOf = ctx.closeScratch;
  MatchPairs(text, '[', ']', closeOf, ctx.openScratch);
  out.reserve(text.size());
  bool insideQuotes = false;  // parity of the quotes in out
  std::size_t copied = 0;     // text before this is in out
  for (; next != std::string_view::npos; next = text.find('[', next)) {
    for (; copied < next; ++copied) {
      if (text[copied] == kQuote) insideQuotes = !insideQuotes;
      out.push_back(text[copied]);
    }
    const std::uint32_t close = closeOf[next];
    if (insideQuotes || close == kUnmatched) {
      ++next;
      continue;
    }
    const std::size_t before = out.size();
    AppendChargedLiteral(ctx, LookUpVariable(ctx, text.substr(next + 1, close - next - 1)), out);
    LimitLength(out);
    for (std::size_t i = before; i < out.size(); ++i) {
      if (out[i] == kQuote) insideQuotes = !insideQuotes;
    }
    copied = next = close + 1;
  }
  out.append(text.substr(copied));
}

}  // namespace formel
