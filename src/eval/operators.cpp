#include "eval/operators.h"

#include <bit>
#include <cstring>

namespace formel {

namespace {

constexpr int kPlusPass = 4;

// The bytes that can be half of a two-byte operator, a "--" or a sign
// pair, by class (0: none of them).
constexpr int kPairClasses = 6;
constexpr int PairClassOf(char c) {
  switch (c) {
    case '<': return 1;
    case '>': return 2;
    case '=': return 3;
    case '+': return 4;
    case '-': return 5;
    default: return 0;
  }
}
constexpr char kPairClassByte[kPairClasses] = {0, '<', '>', '=', '+', '-'};

// For each byte, the passes whose one-byte operator it is and its pair
// class; for each two classes side by side, what the pair adds: the
// passes of a two-byte operator, the "+" pass for "--", and kSignPairFound.
struct CensusTables {
  std::array<std::uint32_t, 256> single{};
  std::array<std::uint8_t, 256> pairClass{};
  std::array<std::array<std::uint32_t, kPairClasses>, kPairClasses> pair{};
};

constexpr CensusTables MakeCensusTables() {
  CensusTables t;
  for (int c = 0; c < 256; ++c) t.pairClass[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(PairClassOf(static_cast<char>(c)));
  for (int k = 0; k < kPassCount; ++k) {
    const std::string_view w = kOperatorPasses[static_cast<std::size_t>(k)].written;
    if (w.size() == 1) {
      t.single[static_cast<unsigned char>(w[0])] |= 1u << k;
    } else {
      t.pair[static_cast<std::size_t>(PairClassOf(w[0]))][static_cast<std::size_t>(PairClassOf(w[1]))] |= 1u << k;
    }
  }
  for (int a = 1; a < kPairClasses; ++a) {
    for (int b = 1; b < kPairClasses; ++b) {
      const char first = kPairClassByte[a];
      const char second = kPairClassByte[b];
      auto& bits = t.pair[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
      if (first == '-' && second == '-') bits |= 1u << kPlusPass;
      if ((first == '+' || first == '-') && (second == '+' || second == '-')) bits |= kSignPairFound;
    }
  }
  return t;
}

constexpr CensusTables kCensus = MakeCensusTables();

// Every operator byte lies in 0x26-0x3E or is "\\" or "^": eight bytes with
// none of these are passed in one step. Long texts are mostly such bytes
// (letters, quoted texts); digits fall in the range and are looked at.
constexpr char kRangeFirst = 0x26;
constexpr char kRangeLast = 0x3E;
static_assert([] {
  for (const Operator& op : kOperatorPasses) {
    for (const char c : op.written) {
      if (!((c >= kRangeFirst && c <= kRangeLast) || c == '\\' || c == '^')) return false;
    }
  }
  return true;
}());

bool MayHoldOperator(std::uint64_t w) {
  const std::uint64_t ascii = ~w & kHighBits;
  const std::uint64_t low = w & kLow7Bits;
  // 0x80 where low >= kRangeFirst, and where low > kRangeLast (no carries: low < 0x80).
  const std::uint64_t fromStart = (low + kEveryByte * (0x80 - kRangeFirst)) & kHighBits;
  const std::uint64_t pastEnd = (low + kEveryByte * (0x80 - kRangeLast - 1)) & kHighBits;
  const std::uint64_t inRange = fromStart & ~pastEnd & ascii;
  return (inRange | BytesEqualTo(w, '\\') | BytesEqualTo(w, '^')) != 0;
}

}  // namespace

// Byte by byte without branches: each byte adds its one-byte passes and,
// with the byte before it, what the pair adds. A skipped word holds no
// pair byte, so the byte before the next one is of class 0.
std::uint32_t PassesNeeded(std::string_view text) {
  std::uint32_t found = 0;
  std::size_t previous = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    std::size_t end = n;
    if (i + 8 <= n) {
      std::uint64_t w;
      std::memcpy(&w, text.data() + i, sizeof w);
      if (!MayHoldOperator(w)) {
        i += 8;
        previous = 0;
        continue;
      }
      end = i + 8;
    }
    for (; i < end; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      const std::size_t cls = kCensus.pairClass[c];
      found |= kCensus.single[c] | kCensus.pair[previous][cls];
      previous = cls;
    }
  }
  return found;
}

int NextPass(std::uint32_t needed, int from) {
  needed &= ~((1u << from) - 1) & (kSignPairFound - 1);
  return needed == 0 ? kPassCount : std::countr_zero(needed);
}

}  // namespace formel
