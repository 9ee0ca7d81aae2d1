// The byte facts of quoted literals: the quote byte, the two tests of quotes
// at the ends of a text, and the doubling of quotes inside a literal.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace formel {

inline constexpr char kQuote = '"';

// Begins and ends with a quote, any length, not trimmed: a lone quote
// counts (its first byte is its last).
inline bool StartsAndEndsWithQuote(std::string_view text) {
  return !text.empty() && text.front() == kQuote && text.back() == kQuote;
}

// Begins with a quote and ends with another one: at least two bytes, not
// trimmed.
inline bool IsEnclosedInQuotes(std::string_view text) {
  return text.size() > 1 && text.front() == kQuote && text.back() == kQuote;
}

// Appends value with every quote in it doubled, as a literal's inside holds
// it. Out: any text with append(view) and append(count, byte).
template <class Out>
void AppendQuotesDoubled(std::string_view value, Out& out) {
  // Stretch by stretch up to each quote, which goes in twice.
  for (std::size_t from = 0; from < value.size();) {
    const std::size_t quote = std::min(value.find(kQuote, from), value.size());
    out.append(value.substr(from, quote - from));
    if (quote < value.size()) out.append(2, kQuote);
    from = quote + 1;
  }
}

}  // namespace formel
