#include "eval/literals.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "eval/limits.h"
#include "text/bytes.h"
#include "text/quoting.h"
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

// Eight bytes at a time: a mark (0x80) per quote byte, exact (no borrow
// between bytes); the parity of all marks is that of their XOR.
bool OddQuotes(std::string_view text) {
  std::uint64_t marks = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + i, sizeof w);
    marks ^= BytesEqualTo(w, kQuote);
  }
  bool odd = (std::popcount(marks) & 1) != 0;
  for (; i < text.size(); ++i) odd ^= text[i] == kQuote;
  return odd;
}

bool IsSingleLiteral(std::string_view text) {
  if (!IsEnclosedInQuotes(text)) return false;
  const std::string_view inside = text.substr(1, text.size() - 2);
  for (std::size_t quote = inside.find(kQuote); quote != std::string_view::npos;
       quote = inside.find(kQuote, quote + 2)) {
    if (quote + 1 == inside.size() || inside[quote + 1] != kQuote) return false;
  }
  return true;
}

std::size_t LeadingLiteral(std::string_view text) {
  if (text.empty() || text.front() != kQuote) return 0;
  for (std::size_t from = 1;;) {
    const std::size_t quote = FindByte(text, kQuote, from);
    if (quote == std::string_view::npos) return 0;
    if (quote + 1 < text.size() && text[quote + 1] == kQuote) {
      from = quote + 2;
      continue;
    }
    return quote + 1;
  }
}

std::size_t AppendLiteral(std::string_view value, Text& out) {
  if (StartsAndEndsWithQuote(value)) {
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
  AppendQuotesDoubled(t, out);
  out.push_back(kQuote);
  return out.size() - before - t.size();
}

void AppendChargedLiteral(EvalContext& ctx, std::string_view value, Text& out) {
  const std::size_t added = AppendLiteral(value, out);
  if (added > ctx.quotingLeft) ExceedQuoting(ctx);
  ctx.quotingLeft -= added;
}

void AppendUnquoted(std::string_view literal, Text& out) {
  const std::string_view t = TrimBlanks(literal);
  if (!IsEnclosedInQuotes(t)) {
    out.append(t);
    return;
  }
  // Appended as it stands, then unquoted in place: the value is never
  // longer than its literal, so the writing never overtakes the reading.
  const std::size_t from = out.size();
  out.append(t);
  out.resize(from + WriteUnquoted(std::string_view(out).substr(from), out.data() + from));
}

std::size_t WriteUnquoted(std::string_view literal, char* out) {
  const std::string_view t = TrimBlanks(literal);
  if (!IsEnclosedInQuotes(t)) {
    std::copy(t.begin(), t.end(), out);
    return t.size();
  }
  const std::string_view inside = t.substr(1, t.size() - 2);
  // Stretch by stretch up to and with each quote; the second of a pair is dropped.
  std::size_t n = 0;
  for (std::size_t from = 0; from < inside.size();) {
    const std::size_t quote = std::min(inside.find(kQuote, from), inside.size() - 1);
    std::copy(inside.begin() + static_cast<std::ptrdiff_t>(from),
              inside.begin() + static_cast<std::ptrdiff_t>(quote) + 1, out + n);
    n += quote + 1 - from;
    from = quote + 1;
    if (from < inside.size() && inside[quote] == kQuote && inside[from] == kQuote) ++from;
  }
  return n;
}

}  // namespace formel
