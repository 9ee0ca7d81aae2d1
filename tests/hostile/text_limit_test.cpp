// The length limit on the texts of an evaluation: below it everything is
// evaluated in full; a formula that would build a longer text gives the
// nothing value and leaves the library as it was.
#include "eval/stages/stages.h"
#include "hostile/hostile_fixture.h"

namespace formel_hostile {
namespace {

// "(((\"))a)a)a": each level quotes the value of the level inside, which
// doubles its quotes, so the result doubles with every level.
std::string QuoteDoubling(int depth) {
  std::string formula = "\"";
  for (int i = 0; i < depth; ++i) formula = "(" + formula + ")a";
  return formula;
}

TEST_F(HostileTest, QuoteDoublingStopsAtTheTextLimit) {
  const std::size_t ten = Eval(QuoteDoubling(10)).size();
  const std::size_t eleven = Eval(QuoteDoubling(11)).size();
  EXPECT_GT(ten, 1000u);
  EXPECT_GT(eleven, 2 * ten - 10);
  // 64 levels would need 2^64 bytes.
  EXPECT_EQ(Eval(QuoteDoubling(64)), "");
  EXPECT_EQ(Eval(QuoteDoubling(64) + "&" + QuoteDoubling(64)), "");
  EXPECT_EQ(Eval("(" + QuoteDoubling(64) + ")&1"), "");
  EXPECT_EQ(Eval("1+1"), "2");
}

TEST_F(HostileTest, ManyLongValuesStopAtTheTextLimit) {
  const std::size_t valueLength = formel::kMaxTextLength / 8;
  const std::string value = Repeat("v", valueLength);
  ASSERT_EQ(SetVarS("x", value.c_str()), 1);
  EXPECT_EQ(Eval(Repeat("[x]&", 6) + "[x]").size(), 7 * valueLength);
  EXPECT_EQ(Eval(Repeat("[x]", 9)), "");
  Register("echo");
  EXPECT_EQ(Eval(Repeat("echo([x])&", 9) + "1"), "");
  EXPECT_TRUE(GetVarS("x") == value);
  EXPECT_EQ(Eval("echo([x])") .size(), valueLength);
}

// Many values that each double up to well below the length limit: the
// quoting budget of the evaluation runs out instead of the time.
TEST_F(HostileTest, ManyDoublingGroupsStopAtTheQuotingBudget) {
  const std::string doubling = "((" + QuoteDoubling(16) + ")=1)&";
  EXPECT_EQ(Eval(doubling + "2"), "02");
  EXPECT_EQ(Eval(Repeat(doubling, 40) + "2"), "");
  EXPECT_EQ(Eval("1+1"), "2");
}

// Values full of quotes are quoted at every use: ordinary sizes stay well
// inside the budget.
TEST_F(HostileTest, QuotedValuesOfOrdinarySizeAreNotCut) {
  const std::string value = Repeat("a\"", 100000);
  ASSERT_EQ(SetVarS("x", value.c_str()), 1);
  Register("echo");
  EXPECT_TRUE(Eval("[x]&echo([x])&([x])") == value + value + value);
}

}  // namespace
}  // namespace formel_hostile
