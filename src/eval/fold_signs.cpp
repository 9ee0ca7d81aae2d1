// Sign folding: "--" and "++" are "+", "-+" and "+-" are "-", applied until
// no two signs outside quoted literals stand side by side. Every rule keeps
// the parity of the minus signs in a run, so a run folds to "-" exactly when
// it holds an odd number of them; signs inside quotes are text and stay.
#include <bit>
#include <cstdint>
#include <cstring>

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

namespace {

// 0x80 in every byte of x that is zero, 0 elsewhere (exact: no borrow
// between bytes).
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
std::uint64_t ZeroBytes(std::uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); }

// 0x80 in every byte of w that is a sign.
std::uint64_t SignBytes(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  return ZeroBytes(w ^ (kOnes * '+')) | ZeroBytes(w ^ (kOnes * '-'));
}

}  // namespace

// Eight bytes at a time: formulas are long and mostly without sign pairs.
bool HasSignPair(std::string_view text) {
  bool previousSign = false;
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= text.size(); i += 8) {
      std::uint64_t w;
      std::memcpy(&w, text.data() + i, sizeof w);
      const std::uint64_t signs = SignBytes(w);
      if ((signs & (signs >> 8)) != 0 || (previousSign && (signs & 0x80) != 0)) return true;
      previousSign = (signs >> 63) != 0;
    }
  }
  for (; i < text.size(); ++i) {
    const bool sign = IsSign(text[i]);
    if (sign && previousSign) return true;
    previousSign = sign;
  }
  return false;
}

}  // namespace formel
