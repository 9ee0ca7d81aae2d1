// The bytes the library writes into a result of its own accord, derived
// from the library's own formatting rather than listed by hand: every byte
// of its number texts (digits, sign, point, the non-finite forms), the
// quote of its literals, the comma that closes the argument list of an
// unregistered call, and the blank that ends the formula text.
#pragma once

#include <bitset>
#include <limits>
#include <string_view>

#include "eval/literals.h"
#include "text/numbers.h"

namespace formel_test {

inline void AddBytes(std::bitset<256>& set, std::string_view text) {
  for (const char c : text) set.set(static_cast<unsigned char>(c));
}

// The first byte of result that allowed does not hold, or -1.
inline int ByteFromNowhere(std::string_view result, const std::bitset<256>& allowed) {
  for (const char c : result) {
    if (!allowed.test(static_cast<unsigned char>(c))) return static_cast<unsigned char>(c);
  }
  return -1;
}

inline std::bitset<256> LibraryResultBytes() {
  std::bitset<256> bytes;
  auto add = [&](std::string_view text) { AddBytes(bytes, text); };
  char buffer[formel::kRealTextMax];
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (const float v : {nan, -nan, inf, -inf, -0.5f, 1e30f, -1234567.875f}) {
    add({buffer, formel::FormatReal(v, buffer)});
  }
  for (int digit = 0; digit <= 9; ++digit) add({buffer, formel::FormatInt(-digit, buffer)});
  add("+");  // a sign written back by sign folding and sums
  bytes.set(static_cast<unsigned char>(formel::kQuote));
  bytes.set(',');
  bytes.set(' ');
  return bytes;
}

}  // namespace formel_test
