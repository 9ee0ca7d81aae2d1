// The program's own parts that a run cannot pin down exactly: the assignment
// form and the text of the progress line.
#include <gtest/gtest.h>

#include <string>

#include "assignment.h"
#include "progress.h"

namespace {

using formel_cli::ProgressFigures;
using formel_cli::ProgressText;
using formel_cli::BracketedForm;
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

// The form that assigns, for a line that looks like an assignment without
// its brackets; nothing for an assignment, an expression or a comparison.
TEST(AssignmentTest, ShowsTheBracketedFormOfABracketlessOne) {
  EXPECT_EQ(BracketedForm("x := 3"), "[x] := 3");
  EXPECT_EQ(BracketedForm("  unit price:=  2*[p]"), "[unit price] := 2*[p]");
  for (const char* line : {"[x] := 3", "a+b := 1", " := 3", "max(a) := 1", "x = 3", "\"a\" := 1"}) {
    EXPECT_FALSE(BracketedForm(line).has_value()) << line;
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
