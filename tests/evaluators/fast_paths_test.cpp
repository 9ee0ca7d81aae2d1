// The evaluator's shortcuts against its general path: the context's
// "general path only" switch turns every one of them off, so every
// generated formula is evaluated both ways and the results must be the
// same bytes. The operators come from the language's one list, so a new
// operator is generated as soon as it exists.
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "api/evaluator.h"
#include "eval/operators.h"
#include "evaluators/evaluator_helpers.h"

namespace {

// Every operator as written, then extra pieces: writings taken more often,
// and the sign pairs and blanks that end or divert a chain.
std::vector<std::string> OperatorsAnd(bool arithmeticOnly, std::vector<std::string> extra) {
  std::vector<std::string> all;
  for (const formel::Operator& op : formel::kOperatorPasses) {
    if (!arithmeticOnly || formel::IsArithmetic(op.op)) all.emplace_back(op.written);
  }
  all.insert(all.end(), extra.begin(), extra.end());
  return all;
}

std::string WrittenAs(formel::Op op) {
  for (const formel::Operator& o : formel::kOperatorPasses) {
    if (o.op == op) return std::string(o.written);
  }
  return {};
}

// Chains of numbers and operators, with the pieces that end or divert a
// chain: signs, blanks, quotes, words, base suffixes, long digit runs.
std::string RandomFormula(std::mt19937& rng) {
  static const char* const kOperands[] = {"0", "7", "12", "2.5", "0.1", "1.2.3", "007", "1e3",
                                          "99999999999999999", "1Fh", "10b", "x", "\"4\"", ".",
                                          "16777216", "340282346638528859811704183484516925440",
                                          "([p])", "[n]"};
  static const std::vector<std::string> kOperators =
      OperatorsAnd(false, {"+", "+", "-", "+-", "--", " + ", "-+"});
  std::string formula = kOperands[rng() % std::size(kOperands)];
  const unsigned length = 1 + rng() % 12;
  for (unsigned i = 0; i < length; ++i) {
    formula += kOperators[rng() % kOperators.size()] + kOperands[rng() % std::size(kOperands)];
  }
  return formula;
}

// Plain numbers (some in groups, some variables) and the six arithmetic
// operators: "-" takes itself into the operand behind it and adds "+" back,
// results turn negative, "-0" appears, results overflow or divide by zero.
std::string RandomPlainArithmetic(std::mt19937& rng) {
  static const char* const kNumbers[] = {"0", "7", "12", "2.5", "0.1", "1.2.3", "007", "3", ".5",
                                         "99999999999999999", "16777217", "1000000", "(007)",
                                         "(1.2.3)", "(2*3)", "(.)", "()", "[p]", "[n]", "[t]",
                                         "([p])", "2", "0.0000001", "1"};
  static const std::vector<std::string> kOperators = OperatorsAnd(true, {"-", "+"});
  std::string formula = rng() % 5 == 0 ? "-" : "";
  formula += kNumbers[rng() % std::size(kNumbers)];
  const unsigned length = 1 + rng() % (rng() % 4 == 0 ? 60 : 8);
  for (unsigned i = 0; i < length; ++i) {
    formula += kOperators[rng() % kOperators.size()];
    formula += kNumbers[rng() % std::size(kNumbers)];
  }
  return formula;
}

// A few literals joined by "&" (now and then by "+", which joins quoted
// literals too), blanks around it now and then, and behind.
std::string RandomJoin(std::mt19937& rng) {
  static const char* const kLiterals[] = {"\"a\"", "\"\"", "\"a\"\"b\"", "\" x\"", "\"x \"",
                                          "\"1\"", "\"-\"", "\"\"\"\"", "\"a&b\"", "\"1h\"",
                                          "\"a+-b\"", "\"\"\"q\"", "\"q\"\"\"", "\"", "x", "\"#IN\"", "\"F\"", "1"};
  auto literal = [&rng] { return std::string(kLiterals[rng() % std::size(kLiterals)]); };
  auto blanks = [&rng] { return std::string(rng() % 3, ' '); };
  auto blanksSometimes = [&rng, &blanks] { return rng() % 4 == 0 ? blanks() : std::string(); };
  static const std::string kJoin = WrittenAs(formel::Op::kConcat);
  static const std::string kSum = WrittenAs(formel::Op::kAdd);
  std::string formula = literal();
  const unsigned joins = 1 + rng() % 6;
  for (unsigned i = 0; i < joins; ++i) {
    formula += blanksSometimes() + (rng() % 8 == 0 ? kSum : kJoin) + blanksSometimes() + literal();
  }
  return formula + blanks();
}

// Two evaluators set up alike, the second on the general path only: what
// the first gives must be what the second gives.
class FastPathsTest : public ::testing::Test {
 protected:
  FastPathsTest() { general_->eval.AskGeneralPathOnly(true); }

  template <class Change>
  void OnBoth(Change change) {
    for (formel_evaluator* ev : {fast_.get(), general_.get()}) change(ev);
  }
  void SetOnBoth(const char* name, const char* value) {
    OnBoth([&](formel_evaluator* ev) { formel_set_var(ev, name, value); });
  }
  // Empty when both give the same result, else both results.
  std::string Difference(const std::string& formula) {
    const std::string fast = formel_evaluate(fast_.get(), formula.c_str());
    const std::string general = formel_evaluate(general_.get(), formula.c_str());
    return fast == general ? "" : "fast \"" + fast + "\", general \"" + general + "\"";
  }

 private:
  formel_test::OwnedEvaluator fast_ = formel_test::MakeEvaluator();
  formel_test::OwnedEvaluator general_ = formel_test::MakeEvaluator();
};

TEST_F(FastPathsTest, GeneratedChainsGiveWhatTheGeneralWayGives) {
  SetOnBoth("p", "0042.50");  // plain, negative, text
  SetOnBoth("n", "-3");
  SetOnBoth("t", "1 2");
  std::mt19937 rng(16);
  for (int i = 0; i < 30000; ++i) {
    const std::string formula = i % 3 == 0   ? RandomFormula(rng)
                                : i % 3 == 1 ? RandomJoin(rng)
                                             : RandomPlainArithmetic(rng);
    ASSERT_EQ(Difference(formula), "") << formula;
  }
}

// A reference alone, as a formula or an argument, with values that are a
// plain number or only look like one.
TEST_F(FastPathsTest, LoneReferencesGiveWhatTheGeneralWayGives) {
  OnBoth([](formel_evaluator* ev) { formel_register_standard_functions(ev); });
  for (const auto& [name, value] : {std::pair{"d", "12"}, {"p", "0042.50"}, {"n", "-3"}, {"b", "5 "},
                                    {"e", ""}, {"x", "1.2.3"}, {"h", "1Fh"}, {"l", "1e5"},
                                    {"q", "\"7\""}}) {
    SetOnBoth(name, value);
  }
  for (const char* formula : {"[d]", "[ d ]", "[D]", "[p]", "[n]", "[b]", "[e]", "[x]", "[h]",
                              "[l]", "[q]", "[unset]", "[]", "[[d]]", "[d]]", "[(d)]", "[\"d]",
                              "max(1,[d])", "max([p],[n])", "max(1,[ d ])", "([d])"}) {
    EXPECT_EQ(Difference(formula), "") << formula;
  }
}

// One formula evaluated again and again while its variables change value,
// come and go, and other variables come: the evaluator keeps what it
// learnt of the formula and must notice every change.
TEST_F(FastPathsTest, RepeatedFormulasFollowTheirVariables) {
  static const char* const kValues[] = {"5", "0", "12.5", "007", "-3", "", "1e3", "5 ", "x", "99999999999999999"};
  static const char* const kFormulas[] = {"[x]*[x]+2*[x]-1", "[ X ]-[y]", "1[x]", "[x].5", "-[x]^2",
                                          "[x]/[y]\\2", "[x]+[x]]", "[x]&[y]", "[[x]]", "[x]-"};
  std::mt19937 rng(7);
  for (int i = 0; i < 4000; ++i) {
    const char* value = kValues[rng() % std::size(kValues)];
    const unsigned change = rng() % 10;
    if (change == 0) {
      OnBoth([](formel_evaluator* ev) { formel_remove_var(ev, "x"); });
    } else if (change == 1) {
      OnBoth([](formel_evaluator* ev) { formel_clear_vars(ev); });
    } else {
      SetOnBoth(change == 2 ? "y" : change == 3 ? "z" : "x", value);
    }
    const char* formula = kFormulas[(i / 8) % std::size(kFormulas)];  // each kept for a while
    ASSERT_EQ(Difference(formula), "") << formula << " after change " << change << " to " << value;
  }
}

// Plain arithmetic at the edges of its model: a "-" taken as a sign and a
// "+" written back (once, and in a cascade), "-0", infinities read as 0,
// a NaN, results past 1e15 and between digits, long numbers and second
// points.
TEST_F(FastPathsTest, PlainArithmeticEdgesGiveWhatTheGeneralWayGives) {
  for (const char* formula :
       {"1-2+3", "1-2-3+10", "5-2^2", "-2^2", "-5-3", "0-0*5", "1-0*5", "-0*5+1", "2-0.0000004*1",
        "1-0.0000004*1", "10^39-1", "1-10^39", "0/0+1", "1-0/0", "5\\0", "1-5\\0", "1/128+0",
        "3/2048", "1/3*3", "0.9999999+0", "16777217+1", "99999999999999999+1", "1234567890123456*1",
        "1.2.3+1", "1..5*2", "3*4+10/4-2^2-7\\2+1", "-1.5-1.5", "2^-1", "1+-1", "1--1", "1-", "-",
        "8388607.5+0.25", "1e3+1", ".5+.5", "5.+1"}) {
    EXPECT_EQ(Difference(formula), "") << formula;
  }
}

// A level whose text grows past 4 MiB in a pass ends the evaluation with
// "": the first formula of "9^39+" chunks whose text after the "^" pass
// is one byte too long, and the one before it, which is not.
TEST(FastPathsLimitTest, PlainArithmeticKeepsTheLengthLimit) {
  const formel_test::OwnedEvaluator ev = formel_test::MakeEvaluator();
  const std::size_t power = std::string(formel_evaluate(ev.get(), "9^39")).size();
  constexpr std::size_t kLimit = std::size_t{4} << 20;
  const std::size_t chunks = (kLimit - 2) / (power + 1) + 1;  // (power + 1) * chunks + 2 > kLimit
  auto formulaOf = [](std::size_t n) {
    std::string formula;
    for (std::size_t i = 0; i < n; ++i) formula += "9^39+";
    return formula + "1";
  };
  EXPECT_NE(std::string(formel_evaluate(ev.get(), formulaOf(chunks - 1).c_str())), "");
  EXPECT_EQ(std::string(formel_evaluate(ev.get(), formulaOf(chunks).c_str())), "");
}

}  // namespace

namespace {

void Ignore(void*, const formel_event*) {}

// The switch is on while an observer listens or while asked for, and an
// observer that goes leaves it as asked; only asking turns off the growing
// literal.
TEST(GeneralPathSwitchTest, FollowsTheObserverAndTheAsking) {
  for (const bool asked : {false, true}) {
    const formel_test::OwnedEvaluator ev = formel_test::MakeEvaluator();
    ev->eval.AskGeneralPathOnly(asked);
    EXPECT_EQ(ev->eval.GeneralPathOnly(), asked);
    formel_set_observer(ev.get(), &Ignore, nullptr);
    EXPECT_TRUE(ev->eval.GeneralPathOnly());
    EXPECT_EQ(ev->eval.GeneralPathAsked(), asked);  // the growing literal keeps running
    formel_set_observer(ev.get(), nullptr, nullptr);
    EXPECT_EQ(ev->eval.GeneralPathOnly(), asked);
  }
}

}  // namespace
