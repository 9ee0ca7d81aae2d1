// The program's own parts that a run cannot pin down exactly: the prompt's
// assignment form.
#include <gtest/gtest.h>

#include <string>

#include "prompt.h"

namespace {

using formel_cli::ReadPromptAssignment;

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
