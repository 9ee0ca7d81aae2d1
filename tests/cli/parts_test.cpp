// The program's own parts that a run cannot pin down exactly: the assignment
// form and the text of the progress line.
#include <gtest/gtest.h>

#include <string>

#include "assignment.h"
#include "progress.h"

namespace {

using formel_cli::ProgressFigures;
using formel_cli::ProgressText;
using formel_cli::ReadAssignment;

TEST(AssignmentTest, RecognisesNameAndFormula) {
  const auto a = ReadAssignment("  [ total ]  :=  1+2");
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->name, " total ");
  EXPECT_EQ(a->formula, "  1+2");
  const auto empty = ReadAssignment("[x]:=");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->formula, "");
  for (const char* formula : {"[x] = 1", "[x]*2", "x := 1", "[x := 1", "1 [x] := 2", ""}) {
    EXPECT_FALSE(ReadAssignment(formula).has_value()) << formula;
  }
}

TEST(ProgressTextTest, CountsRateAndTimeLeft) {
  const struct {
    const char* unit;
    ProgressFigures figures;
    const char* text;
  } cases[] = {
      {"records", {1200000, 51300000, 120000000, 4.0},
       "formel: 1200000 records, 51.3 of 120.0 MB (42%), 300000/s, 0:05 left"},
      {"lines", {10, 1500000, std::nullopt, 0.5}, "formel: 10 lines, 1.5 MB, 20/s"},
      {"records", {5, 1000000, 1000000000, 10.0}, "formel: 5 records, 1.0 of 1000.0 MB (0%), 0/s, 2:46:30 left"},
      {"lines", {0, 0, 0, 0.0}, "formel: 0 lines, 0.0 MB"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressText(c.unit, c.figures), c.text);
}

}  // namespace
