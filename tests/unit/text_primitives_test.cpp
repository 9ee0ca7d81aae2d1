// Slicing, searching, replacing, trimming, case mapping and comparing, at
// their edges. Results are built in the workspace: each is read at once.
#include <string>

#include "text/text.h"
#include "unit/library_fixture.h"

namespace {

using namespace formel;

class TextPrimitives : public LibraryTest {};

struct SliceCase {
  const char* what;
  std::string (*slice)();
  const char* expect;
};

TEST_F(TextPrimitives, SlicesAtTheirEdges) {
  const SliceCase cases[] = {
      {"left beyond the length", [] { return std::string(TextLeft("abc", 10)); }, "abc"},
      {"left 0", [] { return std::string(TextLeft("abc", 0)); }, ""},
      {"left -1", [] { return std::string(TextLeft("abc", -1)); }, ""},
      {"left of null", [] { return std::string(TextLeft(nullptr, 2)); }, ""},
      {"left 2", [] { return std::string(TextLeft("abc", 2)); }, "ab"},
      {"right beyond the length", [] { return std::string(TextRight("abc", 9)); }, "abc"},
      {"right 2", [] { return std::string(TextRight("abc", 2)); }, "bc"},
      {"right 0", [] { return std::string(TextRight("abc", 0)); }, ""},
      {"mid from 0", [] { return std::string(TextMid("abc", 0, 2)); }, "ab"},
      {"mid from -5", [] { return std::string(TextMid("abc", -5, 1)); }, "a"},
      {"mid from length+1", [] { return std::string(TextMid("abc", 4, 1)); }, ""},
      {"mid count 0", [] { return std::string(TextMid("abc", 2, 0)); }, ""},
      {"mid past the end", [] { return std::string(TextMid("abc", 2, 99)); }, "bc"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.slice(), c.expect) << c.what;
}

TEST_F(TextPrimitives, FindTextEdges) {
  struct Case {
    const char* text;
    const char* pattern;
    std::int32_t start;
    std::int32_t expect;
  } cases[] = {
      {"abc", "", 1, 1}, {"abc", "", 4, 4}, {"abc", "", 5, 0}, {"abc", "", 0, 1},
      {"abcabc", "b", 3, 5},  // reported in the whole text
      {"abcabc", "a", 5, 0},  // only before the start
      {"abc", "c", -3, 3},    {"abc", "cd", 1, 0}, {nullptr, "a", 1, 0}, {"abc", nullptr, 1, 0},
      {"", "", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindText(c.text, c.pattern, c.start), c.expect)
        << (c.text ? c.text : "(null)") << " / " << (c.pattern ? c.pattern : "(null)") << " from "
        << c.start;
  }
}

TEST_F(TextPrimitives, ReplaceIsLeftToRightAndNeverRescans) {
  EXPECT_STREQ(ReplaceText("\"", "\"", "\"\""), "\"\"");
  EXPECT_STREQ(ReplaceText("\"\"\"\"", "\"\"", "\""), "\"\"");
  EXPECT_STREQ(ReplaceText("aaa", "aa", "b"), "ba");
  EXPECT_STREQ(ReplaceText("a-b-c", "-", nullptr), "abc");
  EXPECT_STREQ(ReplaceText("", "a", "b"), "");
  EXPECT_STREQ(ReplaceText("abc", "", "x"), "");
}

TEST_F(TextPrimitives, TrimRemovesBlanksOnly) {
  EXPECT_STREQ(TrimSpaces("  a b  "), "a b");
  EXPECT_STREQ(TrimSpaces("\ta "), "\ta");
  EXPECT_STREQ(TrimSpaces(" \n"), "\n");
  EXPECT_STREQ(TrimSpaces("    "), "");
  EXPECT_STREQ(TrimSpaces(nullptr), "");
}

TEST_F(TextPrimitives, CaseMappingTakesBothRangesWhole) {
  for (int b = 1; b < 256; ++b) {
    const char in[2] = {static_cast<char>(b), 0};
    const auto lowered = static_cast<unsigned char>(ToLower(in)[0]);
    const auto raised = static_cast<unsigned char>(ToUpper(in)[0]);
    const bool upperLetter = (b >= 0x41 && b <= 0x5A) || (b >= 0xC0 && b <= 0xDF);
    const bool lowerLetter = (b >= 0x61 && b <= 0x7A) || b >= 0xE0;
    EXPECT_EQ(lowered, upperLetter ? b + 32 : b) << "byte " << b;
    EXPECT_EQ(raised, lowerLetter ? b - 32 : b) << "byte " << b;
  }
}

TEST_F(TextPrimitives, CaseMappingConvertsInPlaceAtTheWritePosition) {
  StringWorkspace& ws = Lib().workspace;
  const StringWorkspace::Mark start = ws.Position();
  char* text = ws.Put("MiXed\xC0");
  ws.Rewind(start);  // the text now begins at the write position
  char* lowered = ToLower(text);
  EXPECT_EQ(lowered, text);
  EXPECT_STREQ(lowered, "mixed\xE0");
}

TEST_F(TextPrimitives, ComparisonIsUnsignedBytewise) {
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
    EXPECT_EQ(TextLess(c.a, c.b), c.less) << c.a << " < " << c.b;
    EXPECT_EQ(TextEquals(c.a, c.b), c.equal) << c.a << " = " << c.b;
    EXPECT_EQ(TextGreater(c.a, c.b), c.greater) << c.a << " > " << c.b;
  }
}

TEST_F(TextPrimitives, LengthOfNullIsZero) {
  EXPECT_EQ(TextLength(nullptr), 0);
  EXPECT_EQ(TextLength("abc"), 3);
}

}  // namespace
