// How the standard functions read and write numbers: as the formula
// language does, whatever the locale.
#include <gtest/gtest.h>

#include <limits>

#include "api/standard_numbers.h"

namespace {

using formel::IsPlainNumber;
using formel::ReadNumber;
using formel::WriteNumber;

TEST(StandardNumbers, ReadsTheDecimalBeginningLikeTheLanguage) {
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

TEST(StandardNumbers, WritesThirtyTwoBitFloatsWithSixDecimals) {
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

TEST(StandardNumbers, PlainNumbers) {
  for (const char* yes : {"1", "-1", "+2.5", "0.", ".5", "007"}) EXPECT_TRUE(IsPlainNumber(yes)) << yes;
  for (const char* no : {"", "-", ".", "1e5", "1.2.3", " 1", "B", "1h", "1-2"}) {
    EXPECT_FALSE(IsPlainNumber(no)) << no;
  }
}

}  // namespace
