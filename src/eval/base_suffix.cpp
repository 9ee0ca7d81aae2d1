#include "eval/base_suffix.h"

#include "text/text.h"

namespace formel {

namespace {

// Index of c in the digit table of the base, or -1.
int DigitIndex(char c, unsigned base) {
  if (base == 16) c = UpperByte(c);
  if (c >= '0' && c <= '9') {
    const int d = c - '0';
    return d < static_cast<int>(base) ? d : -1;
  }
  if (base == 16 && c >= 'A' && c <= 'F') return 10 + (c - 'A');
  return -1;
}

unsigned BaseOfSuffix(char suffix) {
  switch (LowerByte(suffix)) {
    case 'h': return 16;
    case 'b': return 2;
    case 'o': return 8;
    default: return 0;
  }
}

}  // namespace

std::optional<std::int32_t> BaseSuffixValue(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const unsigned base = BaseOfSuffix(text.back());
  if (base == 0) return std::nullopt;
  std::uint32_t value = 0;  // unsigned: wraps at 32 bits by definition
  for (const char c : text.substr(0, text.size() - 1)) {
    const int digit = DigitIndex(c, base);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace formel
