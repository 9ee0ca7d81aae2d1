// One operator pass at a time. Every input ends in the blank that the
// driver appends, and the result keeps it.
#include <string>

#include "eval/stages/stages.h"
#include "unit/library_fixture.h"

namespace {

using namespace formel;

class ApplyOperatorTest : public LibraryTest {
 protected:
  std::string Apply(const std::string& text, const std::string& op) {
    Text out(&Lib().heap);
    Ctx().quotingLeft = QuotingBudget(text.size());  // as an evaluation would grant
    for (const Operator& pass : kOperatorPasses) {
      if (pass.written == op) ApplyOperator(Ctx(), text, pass, out, HasSignPair(text));
    }
    return std::string(out);
  }
};

struct PassCase {
  const char* in;
  const char* op;
  const char* out;
};

TEST_F(ApplyOperatorTest, Passes) {
  const PassCase cases[] = {
      // operands and their cuts
      {"2 + 3 ", "+", "5 "}, {"5+ ", "+", "5 "}, {"*3 ", "*", "0 "},
      {"10-2-3 ", "-", "5 "}, {"2^3^2 ", "^", "64 "},
      {"-5 ", "-", "-5 "}, {"+007 ", "+", "007 "},
      {"10-2*-3 ", "*", "10+6 "}, {"10-2^2 ", "^", "10+4 "}, {"-2^2 ", "^", "4 "},
      {"10-2*3 ", "*", "10-6 "}, {"2*7\\2 ", "\\", "2*3 "}, {"-7\\2 ", "\\", "-4 "},
      {"8*2/4 ", "/", "8*0.5 "}, {"1/3 ", "/", "0.333333 "},
      // non-finite and out-of-range results
      {"1/0 ", "/", "0 "}, {"10^39 ", "^", "0 "}, {"5\\0 ", "\\", "-2147483648 "},
      {"0/0 ", "/", "\"-1.#IND\" "}, {"-1/0 ", "/", "0 "}, {"3e9\\1 ", "\\", "-2147483648 "},
      // base suffixes
      {"1Fh+1 ", "+", "32 "}, {"each+1 ", "+", "3757 "}, {"b+1 ", "+", "1 "}, {"10b&1 ", "&", "21 "},
      {"2*-1Fh ", "*", "-2 "}, {"2*+1Fh ", "*", "62 "}, {"2* +1Fh ", "*", "2 "},
      {"FFFFFFFFh+0 ", "+", "-1 "}, {"\"1Fh\"&1 ", "&", "\"1Fh1\" "},
      // texts
      {"\"ab\"+\"cd\" ", "+", "\"abcd\" "}, {"\"1\"+\"2\" ", "+", "12 "},
      {"12&34 ", "&", "1234 "}, {"\"a\"&1 ", "&", "\"a1\" "}, {"\"a+b\" ", "+", "\"a+b\" "},
      {"\"a\"\"\"&\"b\" ", "&", "\"a\"\"b\" "},
      // comparisons
      {"2<10 ", "<", "1 "}, {"\"2\"<\"10\" ", "<", "0 "}, {"1.50=1.5 ", "=", "0 "},
      {"1.50<>1.5 ", "<>", "0 "}, {"abc<abd ", "<", "0 "}, {"abc=abc ", "=", "1 "},
      {"2=>1 ", "=>", "1 "}, {"1><1 ", "><", "0 "}, {"\"a\"=a ", "=", "1 "},
      {"\"b\">a ", ">", "0 "}, {"2<=2 ", "<=", "1 "}, {"3=<2 ", "=<", "0 "}, {"0/0<>1 ", "<>", "0/1 "},
      // signs, exponents, and the rules that decide where a pass goes on
      {"1e-5 ", "-", "-4 "}, {"10-2+3 ", "+", "11 "}, {"1-2-3+10 ", "+", "6 "},
      {"3--2 ", "+", "5 "}, {"- ", "-", "- "}, {"5&- ", "-", "5&- "}, {"1<- ", "-", "1<- "},
      {"5 & - 2 ", "-", "5 &-2 "}, {"\"-\"-1 ", "-", "-1 "}, {"1 - - 1 ", "-", "1 1 "},
      {"2 ^  ", "^", "1 "}, {"a+b+c ", "+", "0 "},
      // joins onto a literal with a leading "-"
      {"-1&2&3 ", "&", "-123 "}, {"x=-1&2&3 ", "&", "x=-123 "}, {"-1&2&F&3 ", "&", "\"-12F3\" "},
      {"-1&2b&3 ", "&", "\"-12b3\" "}, {"-1&-2&3 ", "&", "-1-23 "}, {"-&1&2 ", "&", "-12 "},
  };
  for (const auto& c : cases) EXPECT_EQ(Apply(c.in, c.op), c.out) << "[" << c.in << "] " << c.op;
}

TEST_F(ApplyOperatorTest, LongSumsEvaluateEveryTerm) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "1+";
  text += "1 ";
  EXPECT_EQ(Apply(text, "+"), "1001 ");
}

TEST_F(ApplyOperatorTest, EveryPassEndsOnHostileSignAndQuoteRuns) {
  const char* texts[] = {"- - - - ", "-\"-\"-\"- ", "+ + + ", "\"\"\"+\"+ ", "1<-<-<- ", "-",
                         "--", "\"", "2+3", "& & ", "< < ", "\"a\"+\"b+\"+\"c\" "};
  const char* ops[] = {"+", "-", "&", "<", "="};
  for (const char* t : texts) {
    for (const char* op : ops) {
      const std::string out = Apply(t, op);  // must return
      EXPECT_LE(out.size(), 2 * std::string(t).size() + 16) << t << " " << op;
    }
  }
}

}  // namespace
