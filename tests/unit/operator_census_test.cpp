// The operator census against its definition: a pass is needed when a plain
// search finds its operator; the "+" pass also for "--"; the sign-pair mark
// when two signs stand side by side. Texts from the bytes that matter, with
// runs of letters that the census skips eight at a time.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "eval/operators.h"

namespace {

using namespace formel;

std::uint32_t ByDefinition(const std::string& text) {
  std::uint32_t needed = 0;
  for (int k = 0; k < kPassCount; ++k) {
    if (text.find(kOperatorPasses[static_cast<std::size_t>(k)].written) != std::string::npos) needed |= 1u << k;
  }
  if (text.find("--") != std::string::npos) needed |= 1u << 4;
  for (const char* pair : {"++", "+-", "-+", "--"}) {
    if (text.find(pair) != std::string::npos) needed |= kSignPairFound;
  }
  return needed;
}

TEST(OperatorCensus, FindsWhatAPlainSearchFinds) {
  static const char* const kPieces[] = {"<", ">", "=", "+", "-", "*", "/", "\\", "^", "&",
                                        "1", " ", "\"", "abcdefghij", "x\xE9"};
  std::mt19937 rng(16);
  for (int i = 0; i < 50000; ++i) {
    std::string text;
    const unsigned length = rng() % 14;
    for (unsigned j = 0; j < length; ++j) text += kPieces[rng() % std::size(kPieces)];
    ASSERT_EQ(PassesNeeded(text), ByDefinition(text)) << text;
  }
}

}  // namespace
