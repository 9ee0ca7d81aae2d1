// Text primitives. Texts are zero-terminated single-byte strings; positions
// are 1-based; a null text reads as "". Text results are built at the
// StringWorkspace write position (the write position is left on the result's
// terminator). The view-level helpers below them serve the evaluation stages,
// which work on their own buffers.
#pragma once

#include <cstdint>
#include <string_view>

namespace formel {

// ---- view-level helpers ----------------------------------------------------

inline std::string_view View(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text);
}

// Blanks are code 32 only: a tab or line break is part of the text.
inline bool IsBlank(char c) { return c == ' '; }

std::string_view TrimBlanks(std::string_view text);

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

// Unsigned byte order; a proper beginning sorts first. <0, 0 or >0.
int CompareBytes(std::string_view a, std::string_view b);

// 1-based position of pattern at or after start, 0 when absent.
std::int32_t FindIn(std::string_view text, std::string_view pattern, std::int32_t start);

// ---- workspace primitives --------------------------------------------------

std::int32_t TextLength(const char* text);
char* TextLeft(const char* text, std::int32_t count);
char* TextRight(const char* text, std::int32_t count);
char* TextMid(const char* text, std::int32_t start, std::int32_t count);
// 0 when text or pattern is null; an empty pattern is found at start.
std::int32_t FindText(const char* text, const char* pattern, std::int32_t start);
// Left to right, non-overlapping; the replacement is never searched again.
char* ReplaceText(const char* text, const char* pattern, const char* replacement);
char* TrimSpaces(const char* text);
// Both convert in place when text begins at the write position.
char* ToLower(const char* text);
char* ToUpper(const char* text);
std::int32_t TextEquals(const char* first, const char* second);
std::int32_t TextLess(const char* first, const char* second);
std::int32_t TextGreater(const char* first, const char* second);

}  // namespace formel
