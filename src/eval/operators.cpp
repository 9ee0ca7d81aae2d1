#include "eval/operators.h"

#include <bit>

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

}  // namespace

std::uint32_t PassesNeeded(std::string_view text) {
  std::uint32_t found = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    found |= kFirstByte.single[c];
    if (i + 1 == n) break;
    const char next = text[i + 1];
    for (std::uint32_t pairs = kFirstByte.paired[c]; pairs != 0; pairs &= pairs - 1) {
      const int k = std::countr_zero(pairs);
      if (kOperatorPasses[static_cast<std::size_t>(k)].written[1] == next) found |= 1u << k;
    }
    if (c == '-' && next == '-') found |= 1u << kPlusPass;
  }
  return found;
}

int NextPass(std::uint32_t needed, int from) {
  needed &= ~((1u << from) - 1);
  return needed == 0 ? kPassCount : std::countr_zero(needed);
}

}  // namespace formel
