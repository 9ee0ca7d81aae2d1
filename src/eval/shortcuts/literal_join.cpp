#include "eval/shortcuts/literal_join.h"

#include <new>

#include "eval/literals.h"
#include "eval/limits.h"

namespace formel {

namespace {

std::size_t BlanksFrom(std::string_view text, std::size_t i) {
  while (i < text.size() && text[i] == ' ') ++i;
  return i;
}

std::size_t QuotesIn(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t q = text.find(kQuote); q != std::string_view::npos; q = text.find(kQuote, q + 1)) ++n;
  return n;
}

}  // namespace

std::optional<std::string_view> JoinOfTwoLiterals(EvalContext& ctx, std::string_view text) {
  const std::size_t leftEnd = LeadingLiteral(text);
  if (leftEnd == 0) return std::nullopt;
  const std::size_t join = BlanksFrom(text, leftEnd);
  if (join == text.size() || text[join] != '&') return std::nullopt;
  const std::size_t rightBegin = BlanksFrom(text, join + 1);
  const std::size_t rightLength = LeadingLiteral(text.substr(rightBegin));
  const std::size_t rightEnd = rightBegin + rightLength;
  if (rightLength == 0 || rightEnd == text.size() || BlanksFrom(text, rightEnd) != text.size()) {
    return std::nullopt;
  }
  StringWorkspace& ws = ctx.workspace;
  char* out = ws.Reserve(leftEnd + rightLength);
  std::size_t n = WriteUnquoted(text.substr(0, leftEnd), out);
  n += WriteUnquoted(text.substr(rightBegin, rightLength), out + n);
  const std::string_view value(out, n);
  const bool quotedEnds = StartsAndEndsWithQuote(value);
  if (n == 0 || quotedEnds || value.front() == ' ' || value.back() == ' ' || IsNumberForm(value)) {
    return std::nullopt;
  }
  const std::size_t added = 2 + QuotesIn(value);
  const std::size_t blanksBehind = text.size() - rightEnd;  // the pass keeps them
  if (added > ctx.quotingLeft || n + added + blanksBehind > kMaxTextLength) throw std::bad_alloc();
  ctx.quotingLeft -= added;
  return std::string_view(ws.Commit(n), n);
}

}  // namespace formel
