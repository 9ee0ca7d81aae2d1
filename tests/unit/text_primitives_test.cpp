// Trimming, case mapping and comparing, the quote tests and quote
// doubling, and the byte tests, at their edges.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "text/bytes.h"
#include "text/quoting.h"
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

// The two end tests differ on a lone quote only; neither trims.
TEST(TextPrimitives, QuoteTestsNeedQuotesAtBothEnds) {
  struct Case {
    const char* text;
    bool startsAndEnds, enclosed;
  } cases[] = {
      {"\"\"", true, true}, {"\"", true, false}, {" \"a\"", false, false},
      {"\"a\"", true, true}, {nullptr, false, false}, {"\"a", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StartsAndEndsWithQuote(View(c.text)), c.startsAndEnds) << (c.text ? c.text : "null");
    EXPECT_EQ(IsEnclosedInQuotes(View(c.text)), c.enclosed) << (c.text ? c.text : "null");
  }
}

// A host's C text against a kept one, without measuring the C text: a
// prefix, an extension and null are not the same text.
TEST(TextPrimitives, CTextIsComparedAsFarAsTheKeptText) {
  struct Case {
    const char* kept;
    const char* c;
    bool same;
  } cases[] = {
      {"[x]+1", "[x]+1", true}, {"[x]+1", "[x]+", false}, {"[x]+1", "[x]+12", false},
      {"[x]+1", "[x]+2", false}, {"", "", true},          {"", nullptr, true},
      {"a", nullptr, false},     {"", "a", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsCText(c.kept, c.c), c.same) << c.kept << " / " << (c.c ? c.c : "null");
  }
}

TEST(TextPrimitives, QuotesAreDoubledAndNothingElse) {
  for (const auto& [value, doubled] : {std::pair{"", ""}, {"a", "a"}, {"\"", "\"\""},
                                       {"a\"b\"\"", "a\"\"b\"\"\"\""}}) {
    std::string out = "x";
    AppendQuotesDoubled(value, out);
    EXPECT_EQ(out, std::string("x") + doubled) << value;
  }
}

// The word test marks exactly the bytes equal to the one asked for, every
// byte value in every lane.
TEST(TextPrimitives, EightBytesAtATimeMarksEqualBytesOnly) {
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    for (int lane = 0; lane < 8; ++lane) {
      unsigned char bytes[8] = {'a', 0, 0x80, 0xFF, '"', 'a' - 1, 1, 0x7F};
      bytes[lane] = static_cast<unsigned char>(b);
      std::uint64_t w;
      std::memcpy(&w, bytes, sizeof w);
      unsigned char marks[8] = {};
      for (int i = 0; i < 8; ++i) marks[i] = bytes[i] == static_cast<unsigned char>('"') ? 0x80 : 0;
      std::uint64_t expected;
      std::memcpy(&expected, marks, sizeof expected);
      EXPECT_EQ(BytesEqualTo(w, '"'), expected) << "byte " << b << " in lane " << lane;
    }
    EXPECT_EQ(IsOperandDelimiterOrQuote(c), IsOperandDelimiter(c) || c == '"');
  }
}

}  // namespace
