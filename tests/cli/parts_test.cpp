// The program's own parts that a run cannot pin down exactly: number
// reading and writing of the stock functions, and the prompt's assignment form.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "number_text.h"
#include "prompt.h"

namespace {

using formel_cli::IsPlainNumber;
using formel_cli::ReadNumber;
using formel_cli::ReadPromptAssignment;
using formel_cli::WriteNumber;

TEST(NumberTextTest, ReadsTheDecimalBeginningLikeTheLanguage) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"12", 12},      {" \t-3.5x", -3.5}, {"+.5", 0.5},  {"1e3", 1000}, {"1e", 1},
      {"2E-2", 0.02},  {"abc", 0},         {"", 0},       {"-", 0},      {".", 0},
      {"inf", 0},      {"nan", 0},         {"0x1F", 0},   {"1,5", 1},    {"1e-999", 0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ReadNumber(c.text), c.value) << c.text;
  EXPECT_EQ(ReadNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("-1e999"), -std::numeric_limits<double>::infinity());
}

TEST(NumberTextTest, WritesThirtyTwoBitFloatsWithSixDecimals) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {2.5, "2.5"},   {100, "100"},          {0, "0"},          {1.0 / 3, "0.333333"},
      {0.1, "0.1"},   {-0.0000001, "-0"},    {16777217, "16777216"},
      {1e39, "0"},    {-1e39, "0"},          {std::numeric_limits<double>::quiet_NaN(), "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(WriteNumber(c.value), c.text) << c.value;
}

TEST(NumberTextTest, PlainNumbers) {
  for (const char* yes : {"1", "-1", "+2.5", "0.", ".5", "007"}) EXPECT_TRUE(IsPlainNumber(yes)) << yes;
  for (const char* no : {"", "-", ".", "1e5", "1.2.3", " 1", "B", "1h", "1-2"}) {
    EXPECT_FALSE(IsPlainNumber(no)) << no;
  }
}

TEST(PromptAssignmentTest, RecognisesNameAndFormula) {
  const auto a = ReadPromptAssignment("  [ total ]  :=  1+2");
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->name, " total ");
  EXPECT_EQ(a->formula, "  1+2");
  const auto empty = ReadPromptAssignment("[x]:=");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->formula, "");
  for (const char* formula : {"[x] = 1", "[x]*2", "x := 1", "[x := 1", "1 [x] := 2", ""}) {
    EXPECT_FALSE(ReadPromptAssignment(formula).has_value()) << formula;
  }
}

}  // namespace
