#include "eval/operators.h"

#include <bit>
#include <cstring>

namespace formel {

namespace {

constexpr int kPlusPass = 4;

// For each byte, the passes whose operator begins with it: those of one
// byte are found by the byte alone; those of two need the next byte too.
struct FirstByteTable {
  std::array<std::uint32_t, 256> single{};
  std::array<std::uint32_t, 256> paired{};
};

constexpr FirstByteTable MakeFirstByteTable() {
  FirstByteTable t;
  for (int k = 0; k < kPassCount; ++k) {
    const std::string_view w = kOperatorPasses[static_cast<std::size_t>(k)].written;
    const auto first = static_cast<unsigned char>(w[0]);
    (w.size() == 1 ? t.single : t.paired)[first] |= 1u << k;
  }
  return t;
}

constexpr FirstByteTable kFirstByte = MakeFirstByteTable();

// Every operator byte lies in 0x26-0x3E or is "\\" or "^": eight bytes with
// none of these are passed in one step. Long texts are mostly such bytes
// (letters, quoted texts); digits fall in the range and are looked at.
bool MayHoldOperator(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  auto zero = [](std::uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); };
  const std::uint64_t ascii = ~w & kHigh;
  const std::uint64_t low = w & kLow7;
  // 0x80 where low >= 0x26, and where low > 0x3E (no carries: low < 0x80).
  const std::uint64_t fromStart = (low + kOnes * (0x80 - 0x26)) & kHigh;
  const std::uint64_t pastEnd = (low + kOnes * (0x80 - 0x3F)) & kHigh;
  const std::uint64_t inRange = fromStart & ~pastEnd & ascii;
  return (inRange | zero(w ^ (kOnes * '\\')) | zero(w ^ (kOnes * '^'))) != 0;
}

// The passes whose operator begins at text[i].
std::uint32_t PassesAt(std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  std::uint32_t found = kFirstByte.single[c];
  if (i + 1 == text.size()) return found;
  const char next = text[i + 1];
  for (std::uint32_t pairs = kFirstByte.paired[c]; pairs != 0; pairs &= pairs - 1) {
    const int k = std::countr_zero(pairs);
    if (kOperatorPasses[static_cast<std::size_t>(k)].written[1] == next) found |= 1u << k;
  }
  if (c == '-' && next == '-') found |= 1u << kPlusPass;
  if ((c == '+' || c == '-') && (next == '+' || next == '-')) found |= kSignPairFound;
  return found;
}

}  // namespace

std::uint32_t PassesNeeded(std::string_view text) {
  std::uint32_t found = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    std::size_t end = n;
    if (i + 8 <= n) {
      std::uint64_t w;
      std::memcpy(&w, text.data() + i, sizeof w);
      if (!MayHoldOperator(w)) {
        i += 8;
        continue;
      }
      end = i + 8;
    }
    for (; i < end; ++i) found |= PassesAt(text, i);
  }
  return found;
}

int NextPass(std::uint32_t needed, int from) {
  needed &= ~((1u << from) - 1) & (kSignPairFound - 1);
  return needed == 0 ? kPassCount : std::countr_zero(needed);
}

}  // namespace formel
