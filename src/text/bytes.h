// Byte facts shared by the stages and the shortcuts: which bytes end an
// operand or a name, and the test of eight bytes at a time for a given byte.
#pragma once

#include <cstdint>

#include "text/quoting.h"

namespace formel {

// The eleven bytes that end an operand outside quoted literals: the
// operators' bytes and the blank.
inline constexpr bool IsOperandDelimiter(char c) {
  switch (c) {
    case '+': case '-': case '*': case '\\': case '/': case '=':
    case '<': case '>': case '&': case '^': case ' ':
      return true;
    default:
      return false;
  }
}

// The twelve bytes that end a function name scanned leftward from its "(":
// the operand delimiters, and the quote, which a name never holds.
inline constexpr bool IsOperandDelimiterOrQuote(char c) {
  return IsOperandDelimiter(c) || c == kQuote;
}

// Eight bytes at a time, as one 64-bit word.
inline constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
inline constexpr std::uint64_t kLow7Bits = 0x7F7F7F7F7F7F7F7Full;

// 0x80 in every byte of x that is zero, 0 elsewhere (exact: no borrow
// between bytes).
inline constexpr std::uint64_t ZeroBytes(std::uint64_t x) {
  return ~(((x & kLow7Bits) + kLow7Bits) | x | kLow7Bits);
}

// 0x80 in every byte of w that is c, 0 elsewhere.
inline constexpr std::uint64_t BytesEqualTo(std::uint64_t w, char c) {
  return ZeroBytes(w ^ (kEveryByte * static_cast<unsigned char>(c)));
}

}  // namespace formel
