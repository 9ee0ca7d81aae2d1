// The program's own parts that a run cannot pin down exactly: the assignment form.
#include <gtest/gtest.h>

#include <string>

#include "assignment.h"

namespace {

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

}  // namespace
