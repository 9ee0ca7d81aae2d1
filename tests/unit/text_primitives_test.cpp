// Trimming, case mapping and comparing, at their edges.
#include <gtest/gtest.h>

#include <string>

#include "text/text.h"

namespace {

using namespace formel;

TEST(TextPrimitives, TrimRemovesBlanksOnly) {
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("\ta "), "\ta");
  EXPECT_EQ(TrimBlanks(" \n"), "\n");
  EXPECT_EQ(TrimBlanks("    "), "");
  EXPECT_EQ(TrimBlanks(View(nullptr)), "");
}

TEST(TextPrimitives, CaseMappingTakesBothRangesWhole) {
  for (int b = 1; b < 256; ++b) {
    const auto lowered = static_cast<unsigned char>(LowerByte(static_cast<char>(b)));
    const auto raised = static_cast<unsigned char>(UpperByte(static_cast<char>(b)));
    const bool upperLetter = (b >= 0x41 && b <= 0x5A) || (b >= 0xC0 && b <= 0xDF);
    const bool lowerLetter = (b >= 0x61 && b <= 0x7A) || b >= 0xE0;
    EXPECT_EQ(lowered, upperLetter ? b + 32 : b) << "byte " << b;
    EXPECT_EQ(raised, lowerLetter ? b - 32 : b) << "byte " << b;
  }
}

TEST(TextPrimitives, ComparisonIsUnsignedBytewise) {
  struct Case {
    const char* a;
    const char* b;
    int less, equal, greater;
  } cases[] = {
      {"", "a", 1, 0, 0},        {"a", "a", 0, 1, 0},      {"ab", "a", 0, 0, 1},
      {"a", "\xE9", 1, 0, 0},    {"A", "a", 1, 0, 0},      {nullptr, "", 0, 1, 0},
      {"10", "2", 1, 0, 0},      {"\x7F", "\x80", 1, 0, 0},
  };
  for (const auto& c : cases) {
    const int order = CompareBytes(View(c.a), View(c.b));
    EXPECT_EQ(order < 0, c.less == 1) << c.a << " < " << c.b;
    EXPECT_EQ(order == 0, c.equal == 1) << c.a << " = " << c.b;
    EXPECT_EQ(order > 0, c.greater == 1) << c.a << " > " << c.b;
  }
}

}  // namespace
