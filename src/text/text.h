// Text primitives on views. Texts are single-byte strings; a null text reads
// as "". Nothing here allocates: the evaluation stages build their texts in
// buffers of their own.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace formel {

inline std::string_view View(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text);
}

// Whether the C text c (null reads as "") is text, which holds no zero
// byte: c is read no further than text's length and its terminator, and
// not measured first (a loop's formula and name, compared at every call).
inline bool IsCText(std::string_view text, const char* c) {
  if (c == nullptr) return text.empty();
  return std::strncmp(c, text.data(), text.size()) == 0 && c[text.size()] == '\0';
}

// Blanks are code 32 only: a tab or line break is part of the text.
inline bool IsBlank(char c) { return c == ' '; }

// Inline: every stage trims operands and names.
inline std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// A-Z and 0xC0-0xDF gain 32; a-z and 0xE0-0xFF lose 32. Both ranges whole.
inline char LowerByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  const bool upper = (b >= 0x41 && b <= 0x5A) || (b >= 0xC0 && b <= 0xDF);
  return upper ? static_cast<char>(b + 32) : c;
}
inline char UpperByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  const bool lower = (b >= 0x61 && b <= 0x7A) || b >= 0xE0;
  return lower ? static_cast<char>(b - 32) : c;
}

// text.find(c, from): the first bytes by a plain loop, where most hits in
// a formula are and a library search costs more to set up than to run;
// the rest by the library search.
inline std::size_t FindByte(std::string_view text, char c, std::size_t from = 0) {
  constexpr std::size_t kNear = 32;
  if (from >= text.size()) return std::string_view::npos;
  const std::size_t near = text.size() - from > kNear ? from + kNear : text.size();
  for (std::size_t i = from; i < near; ++i) {
    if (text[i] == c) return i;
  }
  return near < text.size() ? text.find(c, near) : std::string_view::npos;
}

// Unsigned byte order; a proper beginning sorts first. <0, 0 or >0.
int CompareBytes(std::string_view a, std::string_view b);

}  // namespace formel
