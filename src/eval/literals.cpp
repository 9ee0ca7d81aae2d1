#include "eval/literals.h"

#include <algorithm>
#include <new>

#include "text/text.h"

namespace formel {

namespace {

bool IsNumberChar(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }
bool IsHexLetter(char c) { return c >= 'A' && c <= 'F'; }
bool IsSuffixLetter(char c) {
  return c == 'h' || c == 'b' || c == 'o' || c == 'H' || c == 'B' || c == 'O';
}

}  // namespace

bool IsNumberForm(std::string_view text) {
  if (text.empty()) return true;
  const bool hex = LowerByte(text.back()) == 'h';
  const std::size_t last = text.size() - 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsNumberChar(c) || (hex && IsHexLetter(c)) || (i == last && IsSuffixLetter(c))) continue;
    return false;
  }
  return true;
}

bool IsQuotedView(std::string_view text) {
  return text.size() > 1 && text.front() == kQuote && text.back() == kQuote;
}

std::size_t AppendLiteral(std::string_view value, Text& out) {
  if (!value.empty() && value.front() == kQuote && value.back() == kQuote) {
    out.append(value);
    return 0;
  }
  const std::string_view t = TrimBlanks(value);
  if (IsNumberForm(t)) {
    out.append(t);
    return 0;
  }
  const std::size_t before = out.size();
  out.push_back(kQuote);
  for (const char c : t) {
    out.push_back(c);
    if (c == kQuote) out.push_back(kQuote);
  }
  out.push_back(kQuote);
  return out.size() - before - t.size();
}

void AppendChargedLiteral(EvalContext& ctx, std::string_view value, Text& out) {
  const std::size_t added = AppendLiteral(value, out);
  if (added > ctx.quotingLeft) throw std::bad_alloc();
  ctx.quotingLeft -= added;
}

void AppendUnquoted(std::string_view literal, Text& out) {
  const std::string_view t = TrimBlanks(literal);
  if (!IsQuotedView(t)) {
    out.append(t);
    return;
  }
  const std::size_t from = out.size();
  out.resize(from + t.size());
  out.resize(from + WriteUnquoted(t, out.data() + from));
}

std::size_t WriteUnquoted(std::string_view literal, char* out) {
  const std::string_view t = TrimBlanks(literal);
  if (!IsQuotedView(t)) {
    std::copy(t.begin(), t.end(), out);
    return t.size();
  }
  const std::string_view inside = t.substr(1, t.size() - 2);
  std::size_t n = 0;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    out[n++] = inside[i];
    if (inside[i] == kQuote && i + 1 < inside.size() && inside[i + 1] == kQuote) ++i;
  }
  return n;
}

}  // namespace formel
