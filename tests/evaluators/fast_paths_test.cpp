// The evaluator's shortcuts against its general path: the context's
// "general path only" switch turns every one of them off, so every
// generated formula is evaluated both ways and the results must be the
// same bytes. The operators come from the language's one list, so a new
// operator is generated as soon as it exists.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "api/evaluator.h"
#include "eval/operators.h"
#include "evaluators/evaluator_helpers.h"
#include "formel_prepared.h"

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

// Operands of prepared formulas: references, numbers, texts, groups and
// calls nested a few levels, with comparisons between them.
// Numeric: mostly numbers, only arithmetic and at most a comparison or two.
std::string RandomPrepared(std::mt19937& rng, bool numeric, int depth = 0, bool calls = true) {
  static const char* const kLeaves[] = {"[a]", "[b]", "[c]", "[ A ]", "7", "2.5", "0", "\"t\"", "h()",
                                        "[a][b]", "[unset]", "[[a]]", "1Fh"};
  static const std::vector<std::string> kOperators = OperatorsAnd(false, {"+", "*", "-", " - "});
  static const std::vector<std::string> kArithmetic = OperatorsAnd(true, {});
  static const std::vector<std::string> kComparisons = [] {
    std::vector<std::string> comparisons;
    for (const formel::Operator& op : formel::kOperatorPasses) {
      if (!formel::IsArithmetic(op.op) && op.op != formel::Op::kConcat) comparisons.emplace_back(op.written);
    }
    return comparisons;
  }();
  auto operand = [&](auto& self) -> std::string {
    const unsigned kind = depth >= 3 ? 0 : rng() % 6;
    if (kind == 0 || kind == 1) return kLeaves[rng() % (numeric ? 7 : std::size(kLeaves))];
    const std::string inner = RandomPrepared(rng, numeric, depth + 1, calls);
    if (kind == 2 || !calls) return "(" + inner + ")";
    if (kind == 3) return "f(" + inner + "," + self(self) + ")";
    if (kind == 4) return "g(" + inner + ")";
    return rng() % 2 == 0 ? "max(" + inner + ", " + self(self) + ")" : "nope(" + inner + ")";
  };
  std::string formula = rng() % 6 == 0 ? "-" : "";
  formula += operand(operand);
  const unsigned length = rng() % 4;
  for (unsigned i = 0; i < length; ++i) {
    const std::vector<std::string>& from =
        !numeric ? kOperators : rng() % 5 == 0 ? kComparisons : kArithmetic;
    formula += from[rng() % from.size()];
    formula += operand(operand);
  }
  return formula;
}

// Shapes a value takes: numbers, signs, texts, quotes (doubled, odd, at
// both ends), brackets and parentheses, a number form with an operator.
const char* const kValueShapes[] = {"5", "-3", "", "abc", "555-1234", "a\"b", "\"q\"", "\"odd",
                                    "\"a\"b\"", "12.5", " 7 ", "1e3", "[a]", "(1)", "0", "007",
                                    "1-", "a,b", "\"", "3.25", "99999999999999999", "-0"};

// Indexes into kValueShapes, plain numbers first.
const std::size_t kNumericFirst[] = {0, 9, 19, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21};
static_assert(std::size(kNumericFirst) == std::size(kValueShapes));

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

  // Host functions that note every call with its arguments, and return
  // values of every shape in turn (the same turn on both evaluators).
  struct HostLog {
    std::string calls;
    std::string result;
    unsigned turn = 0;
  };
  static const char* Note(void* user, int argc, const char* const* argv, const char* name) {
    auto& log = *static_cast<HostLog*>(user);
    log.calls += name;
    for (int i = 0; i < argc; ++i) log.calls += std::string("|") + argv[i];
    log.calls += ";";
    return argc > 0 ? argv[0] : "12";
  }
  static const char* Echo(void* user, int argc, const char* const* argv) {
    return Note(user, argc, argv, "f");
  }
  static const char* Shape(void* user, int argc, const char* const* argv) {
    auto& log = *static_cast<HostLog*>(user);
    Note(user, argc, argv, "g");
    log.result = kValueShapes[log.turn++ % std::size(kValueShapes)];
    if (log.turn % 5 == 0) log.result += argv[0];
    return log.result.c_str();
  }
  static const char* Constant(void* user, int argc, const char* const* argv) {
    return Note(user, argc, argv, "h");
  }
  // A function on numbers: notes its numbers exactly, and returns numbers
  // of every kind in turn: negative, not finite, past six decimals, huge.
  static double FORMEL_CALL OnNumbers(void* user, int argc, const double* argv) {
    auto& log = *static_cast<HostLog*>(user);
    log.calls += "n";
    for (int i = 0; i < argc; ++i) {
      char text[32];
      log.calls.append("|").append(text, std::to_chars(text, text + sizeof text, argv[i]).ptr);
    }
    log.calls += ";";
    const double kResults[] = {argv[0] >= argv[1] ? argv[0] : argv[1], -argv[0], NAN, INFINITY,
                               1e30, 0.1, 16777217, -0.0, argv[0] + argv[1], 1e-7};
    return kResults[log.turn++ % std::size(kResults)];
  }
  void RegisterLoggingHosts() {
    HostLog* log = &fastLog_;
    for (formel_evaluator* ev : {fast_.get(), general_.get()}) {
      formel_register_standard_functions(ev);
      formel_set_function(ev, "f", 2, &Echo, log);
      formel_set_function(ev, "g", 1, &Shape, log);
      formel_set_function(ev, "h", 0, &Constant, log);
      formel_set_number_function(ev, "num", 2, &OnNumbers, log);
      log = &generalLog_;
    }
  }
  // Empty when a prepared handle's number is the same on both, else both.
  std::string NumberDifference(const std::string& formula) {
    std::string difference;
    double numbers[2];
    int whole[2];
    for (int k = 0; k < 2; ++k) {
      formel_prepared* p = formel_prepare(k == 0 ? fast_.get() : general_.get(), formula.c_str());
      whole[k] = formel_run_number(p, &numbers[k]);
      formel_prepared_free(p);
    }
    if (numbers[0] != numbers[1] || whole[0] != whole[1]) {
      difference = std::to_string(numbers[0]) + "/" + std::to_string(whole[0]) + " vs " +
                   std::to_string(numbers[1]) + "/" + std::to_string(whole[1]);
    }
    return difference;
  }

  // A loop's handles: the formula prepared on both.
  std::array<formel_prepared*, 2> PrepareOnBoth(const std::string& formula) {
    return {formel_prepare(fast_.get(), formula.c_str()), formel_prepare(general_.get(), formula.c_str())};
  }

  // The host calls of both since the last look, when they differ.
  std::string CallsDiffer() {
    std::string difference;
    if (fastLog_.calls != generalLog_.calls) difference = fastLog_.calls + " / " + generalLog_.calls;
    fastLog_.calls.clear();
    generalLog_.calls.clear();
    return difference;
  }

 private:
  formel_test::OwnedEvaluator fast_ = formel_test::MakeEvaluator();
  formel_test::OwnedEvaluator general_ = formel_test::MakeEvaluator();
  HostLog fastLog_;
  HostLog generalLog_;
};

// Prepared formulas (met twice, then kept) evaluated again and again while
// their values change shape, host functions returning every shape too:
// the same results and the same host calls, in the same order.
TEST_F(FastPathsTest, PreparedFormulasFollowEveryShapeOfTheirValues) {
  RegisterLoggingHosts();
  std::mt19937 rng(26);
  const std::string huge(std::size_t{4} << 20, '7');  // a number at the length limit
  for (int i = 0; i < 800; ++i) {
    const bool numeric = i % 2 == 1;
    const std::string formula = RandomPrepared(rng, numeric);
    for (int round = 0; round < 12; ++round) {
      const char* name = round % 3 == 0 ? "a" : round % 3 == 1 ? "b" : "c";
      const bool large = rng() % 300 == 0;
      const std::size_t shapes = numeric && rng() % 4 != 0 ? 3 : std::size(kValueShapes);
      SetOnBoth(name, large ? huge.c_str() : kValueShapes[kNumericFirst[rng() % shapes]]);
      if (rng() % 40 == 0) OnBoth([](formel_evaluator* ev) { formel_remove_var(ev, "b"); });
      ASSERT_EQ(Difference(formula), "") << formula << " round " << round;
      if (round % 4 == 3) {
        ASSERT_EQ(NumberDifference(formula), "") << formula << " round " << round;
      }
      ASSERT_EQ(CallsDiffer(), "") << formula;
    }
  }
}

// A level of calls of the function on numbers among numbers and
// references, as a loop's quick way takes them: arguments that need no
// text, and now and then one that does (a text function's result, a
// group, nothing), so that the quick way stops after some calls.
std::string RandomNumberCalls(std::mt19937& rng) {
  static const char* const kArguments[] = {"1", "2.5", "[a]", "[b]", "[a]*2", "[b]-1", "[a]/3", "0.1",
                                           "[c]", "g([b])", "(1)", "", "-[a]", "[a]<[b]"};
  static const char* const kTerms[] = {"2", "[a]", "[b]", "0.5", "1000000"};
  static const std::vector<std::string> kOperators = OperatorsAnd(true, {"-", "+", "<", "="});
  auto argument = [&rng] { return std::string(kArguments[rng() % std::size(kArguments)]); };
  auto operand = [&] {
    if (rng() % 3 == 0) return std::string(kTerms[rng() % std::size(kTerms)]);
    return "num(" + argument() + (rng() % 4 == 0 ? "" : "," + argument()) + ")";
  };
  std::string formula = "num(" + argument() + "," + argument() + ")";
  for (unsigned i = rng() % 4; i > 0; --i) formula += kOperators[rng() % kOperators.size()] + operand();
  return rng() % 2 == 0 ? formula : operand() + kOperators[rng() % kOperators.size()] + formula;
}

// Such levels, and the formulas of the tests above with their calls made
// on numbers (nested, among texts): the same results, numbers and host
// calls as the general way, through formel_evaluate and a loop's handles.
TEST_F(FastPathsTest, FunctionsOnNumbersGiveWhatTheGeneralWayGives) {
  RegisterLoggingHosts();
  std::mt19937 rng(29);
  for (int i = 0; i < 800; ++i) {
    std::string formula = i % 2 == 0 ? RandomNumberCalls(rng) : RandomPrepared(rng, i % 3 != 0);
    for (const std::string call : {"max(", "g("}) {
      for (std::size_t at = formula.find(call); at != std::string::npos; at = formula.find(call, at)) {
        formula.replace(at, call.size(), "num(");
      }
    }
    const std::array<formel_prepared*, 2> kept = PrepareOnBoth(formula);
    for (int round = 0; round < 8; ++round) {
      const std::size_t shapes = rng() % 3 != 0 ? 3 : std::size(kValueShapes);
      SetOnBoth(round % 2 == 0 ? "a" : "b", kValueShapes[kNumericFirst[rng() % shapes]]);
      ASSERT_EQ(Difference(formula), "") << formula << " round " << round;
      const std::string loop = formel_run(kept[0]);
      ASSERT_EQ(loop, formel_run(kept[1])) << formula << " round " << round;
      ASSERT_EQ(NumberDifference(formula), "") << formula << " round " << round;
      ASSERT_EQ(CallsDiffer(), "") << formula;
    }
    for (formel_prepared* p : kept) formel_prepared_free(p);
  }
}

// A function on numbers that evaluates again, spending most of the
// outermost evaluation's quoting allowance; the loop's quick way stops
// after the call ([q] is no number) and the rest of the level has only
// what is left, as on the general way.
TEST_F(FastPathsTest, AQuickWayStoppedAfterItsCallsKeepsTheQuotingSpentInThem) {
  std::string quotes;
  for (int i = 0; i < 400000; ++i) quotes += "a\"";  // each quote doubled in a literal
  OnBoth([&](formel_evaluator* ev) {
    formel_set_var(ev, "q", quotes.c_str());
    formel_set_number_function(
        ev, "spend", 1,
        [](void* user, int, const double* argv) {
          formel_evaluate(static_cast<formel_evaluator*>(user), "[q]&[q]");
          return argv[0];
        },
        ev);
  });
  const std::array<formel_prepared*, 2> kept = PrepareOnBoth("spend(1)+[q]");
  const std::string general = formel_run(kept[1]);
  EXPECT_EQ(general, "");  // past the allowance
  EXPECT_EQ(formel_run(kept[0]), general);
  for (formel_prepared* p : kept) formel_prepared_free(p);
}

// Groups without calls, whose values a loop computes without writing any
// text while they stay numbers: the same results, and the same numbers,
// as their values turn negative, whole, or texts. Plain values mostly,
// some at the edges of a float's whole numbers (2^23, 2^24), where a
// step's result stops reading back as itself.
TEST_F(FastPathsTest, PreparedGroupsWithoutCallsFollowTheirValues) {
  const char* const kPlain[] = {"5",    "12.5",    "0",       "1",        "0.25",
                                "1000", "8388607", "8388609", "16777216", "16777217"};
  std::mt19937 rng(28);
  for (int i = 0; i < 600; ++i) {
    const std::string formula = i % 10 == 0 ? "([a]*2)" : RandomPrepared(rng, true, 0, false);
    for (int round = 0; round < 8; ++round) {
      const char* name = round % 2 == 0 ? "a" : "b";
      if (rng() % 4 != 0) {
        SetOnBoth(name, kPlain[rng() % std::size(kPlain)]);
      } else {
        SetOnBoth(name, kValueShapes[rng() % std::size(kValueShapes)]);
      }
      ASSERT_EQ(Difference(formula), "") << formula << " round " << round;
      ASSERT_EQ(NumberDifference(formula), "") << formula << " round " << round;
    }
  }
}

// Numbers, two references, the arithmetic operators and comparisons, in
// groups nested a few deep: the levels a loop runs as one program of
// numbers, until a value turns a group negative or leaves whole numbers.
std::string RandomNumberLevels(std::mt19937& rng, int depth = 0) {
  static const char* const kLeaves[] = {"[a]", "[b]", "2", "0", "1", "3", "0.5", "10"};
  static const std::vector<std::string> kArithmetic = OperatorsAnd(true, {"+", "-", "*"});
  static const char* const kComparisons[] = {"<", ">", "<=", ">=", "<>"};
  auto operand = [&] {
    return depth < 3 && rng() % 3 == 0 ? "(" + RandomNumberLevels(rng, depth + 1) + ")"
                                       : std::string(kLeaves[rng() % std::size(kLeaves)]);
  };
  std::string formula = operand();
  bool compared = false;
  for (unsigned i = 1 + rng() % 4; i > 0; --i) {
    compared = compared || rng() % 6 == 0;
    formula += compared && i % 2 == 0 ? kComparisons[rng() % std::size(kComparisons)]
                                      : kArithmetic[rng() % kArithmetic.size()];
    formula += operand();
  }
  return rng() % 8 == 0 ? " " + formula : formula;
}

// The loops' formulas with every pair of values first, then generated ones.
TEST_F(FastPathsTest, ProgramsOfNumbersGiveWhatTheGeneralWayGives) {
  const char* const kPlain[] = {"0",   "1",    "2",    "5",       "7",       "100",
                                "3.5", "0.25", "1000", "8388607", "8388609", "16777216"};
  const char* const kPicked[] = {"[a]*[a]+2*[a]-1", "[a]*(1-[b]/100)", "[a]<500", "2-[a]+(3-[b])",
                                 " (2*[a]-1)*(3-[b])<[a]^2"};
  std::mt19937 rng(30);
  for (std::size_t i = 0; i < 3000; ++i) {
    const bool picked = i < std::size(kPicked);
    const std::string formula = picked ? kPicked[i] : RandomNumberLevels(rng);
    const std::array<formel_prepared*, 2> kept = PrepareOnBoth(formula);
    for (std::size_t round = 0; round < (picked ? 144 : 8); ++round) {
      SetOnBoth("a", kPlain[picked ? round % 12 : rng() % std::size(kPlain)]);
      SetOnBoth("b", kPlain[picked ? round / 12 : rng() % std::size(kPlain)]);
      const std::string general = formel_run(kept[1]);
      ASSERT_EQ(formel_run(kept[0]), general) << formula << " round " << round;
      double numbers[2];
      for (int k = 0; k < 2; ++k) formel_run_number(kept[k], &numbers[k]);
      ASSERT_EQ(numbers[0], numbers[1]) << formula << " round " << round;
    }
    for (formel_prepared* p : kept) formel_prepared_free(p);
  }
}

// Hand-picked shapes at the model's edges: literals whose quotes change
// which "(" and "[" count, names next to groups, comparisons with signs.
TEST_F(FastPathsTest, PreparedFormulaEdgesGiveWhatTheGeneralWayGives) {
  RegisterLoggingHosts();
  for (const char* formula :
       {"[a]<500", "[a]*2>=[b]+1", "[a]<-[b]", "[a]-1<[b]*2-1", "5<[a]-3", "[a]=[b]", "[a]<>[b]",
        "[a]=<[b]", "[a]=>[b]", "[a]><[b]", "[a]==[b]", "[a]<[b]<[c]", "2*max(1,[a])+1",
        "[a]*(1-[b]/100)", "g([a])(1)", "g([a]) (1)", "g([a])&(1)&[b]", "(g([a]))&\"(\"&g([b])&[c]",
        "g([a])&[b]&\"[\"&[c]", "[a]&g([b])&[c]", "[a](1)", "[a (1)]", "([a])[b]", "f([a],\"x,y\")",
        "f(1,2,3,4,5,6,7,8,9,10,11,[a])", "f(([a]),g([b]))", "(((((([a]))))))", "-([a])", "--[a]",
        "[a]-[b]", "1-[a]^2", "[a]\\[b]", "[a]/0<1", "f([a]", "[a", "\"[a]\"&[a]", "nope([a],[b])",
        "h()&h(1)&[a]", "[a]&[a]&[a]&[a]", "1-[a]/100", "[b]-[a]*[c]/2+[a]", "[b]-[a]\\3-[a]^2",
        "2*([b]-[a]/4)<[b]-[a]*2", "[a]*G", "R+[a]", "(G)*[a]", "(1)*R", "G(1)+[a]"}) {
    for (const char* a : kValueShapes) {
      SetOnBoth("a", a);
      SetOnBoth("b", kValueShapes[std::strlen(a) % std::size(kValueShapes)]);
      SetOnBoth("c", "\"odd");
      ASSERT_EQ(Difference(formula), "") << formula << " with a = " << a;
      ASSERT_EQ(CallsDiffer(), "") << formula;
    }
  }
}

// Levels with blanks around them (an assignment's right side, an argument
// after ", "), numbers that turn negative first among them: plain values,
// so that the levels' numbers take them.
TEST_F(FastPathsTest, PreparedLevelsWithBlanksAroundGiveWhatTheGeneralWayGives) {
  RegisterLoggingHosts();
  const char* const kBlanks[] = {" ", "  ", ""};
  const char* const kNumbers[] = {"5", "12.5", "3.25", "0", "0.001", "900"};
  std::mt19937 rng(27);
  for (int i = 0; i < 600; ++i) {
    std::string formula = i % 3 == 0 ? "2-[a]*[b]" : RandomPrepared(rng, true);
    if (i % 5 == 0) formula += rng() % 2 == 0 ? "-1" : "^2<[c]";
    formula = kBlanks[i % 2] + formula + kBlanks[rng() % 3];
    if (i % 7 == 0) formula = "max(" + formula + ", " + formula + ")-[c]";
    for (int round = 0; round < 6; ++round) {
      for (const char* name : {"a", "b", "c"}) SetOnBoth(name, kNumbers[rng() % std::size(kNumbers)]);
      ASSERT_EQ(Difference(formula), "") << formula << " round " << round;
      if (round == 3) {
        ASSERT_EQ(NumberDifference(formula), "") << formula;
      }
      ASSERT_EQ(CallsDiffer(), "") << formula;
    }
  }
}

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

// Values set as numbers (the classic and evaluator setters, a slot's int
// and number), then as a text in the same place: what a plan reads for the
// number must be what the general way reads from its text, and a text set
// later must be read as itself.
TEST_F(FastPathsTest, ValuesSetAsNumbersReadAsTheirTexts) {
  RegisterLoggingHosts();
  formel_slot* slots[2];
  int k = 0;
  OnBoth([&](formel_evaluator* ev) { slots[k++] = formel_slot_new(ev, "a"); });
  const double kReals[] = {0.1,  1.0 / 3,  -0.0,     1e-7,     5e-7,   4.999999e-7, 2.5e-6,   8388607.5, 16777217,
                           1e15, 1e16,     3.4e38,   1e39,     -2.5,   0.9999995,   123.4567, NAN,       -NAN};
  const std::int32_t kInts[] = {0, 7, -3, 16777217, 2147483647, INT32_MIN, 999999999};
  const std::size_t kCount = std::size(kReals) + std::size(kInts);
  for (const char* formula : {"[a]", "[a]*2+1", "[a]<500", "max(1,[a])", "[a]-[a]/3", "2*([a]+1)", "[a]=[a]"}) {
    for (std::size_t i = 0; i < kCount * 3; ++i) {
      const std::size_t value = i % kCount;
      k = 0;
      OnBoth([&](formel_evaluator* ev) {
        formel_slot* slot = slots[k++];
        if (value < std::size(kReals)) {
          formel_slot_set_number(slot, kReals[value]);
        } else if (i / kCount == 1) {
          formel_slot_set_int(slot, kInts[value - std::size(kReals)]);
        } else {
          formel_set_var_int(ev, "a", kInts[value - std::size(kReals)]);
        }
      });
      ASSERT_EQ(Difference(formula), "") << formula << " value " << i;
      ASSERT_EQ(NumberDifference(formula), "") << formula << " value " << i;
      const char* text = kValueShapes[i % std::size(kValueShapes)];
      k = 0;
      OnBoth([&](formel_evaluator* ev) {
        if (i % 2 == 0) {
          formel_set_var(ev, "a", text);
        } else {
          formel_slot_set(slots[k++], text);
        }
      });
      ASSERT_EQ(Difference(formula), "") << formula << " text " << text;
    }
  }
}

// A host that writes into its first argument, as strtok does (all but its
// first byte cut), and gives back one of its arguments: a number written
// in the formula must reach it whole every time, and a result must be read
// as the bytes it gives back.
const char* CutFirst(void*, int, const char* const* argv) {
  char* first = const_cast<char*>(argv[0]);
  if (first[0] != '\0') first[1] = '\0';
  return first[0] == '1' ? argv[1] : argv[0];
}

// And one that turns a leading 1 into a 9, keeping the length.
const char* NineFirst(void*, int, const char* const* argv) {
  char* first = const_cast<char*>(argv[0]);
  if (first[0] == '1') first[0] = '9';
  return first;
}

// And one that gives back no text at all: read as "".
const char* Nothing(void*, int, const char* const*) { return nullptr; }

TEST_F(FastPathsTest, HostsThatWriteIntoTheirArgumentsGetTheFormulasNumbers) {
  OnBoth([](formel_evaluator* ev) {
    formel_set_function(ev, "cut", 2, &CutFirst, nullptr);
    formel_set_function(ev, "nine", 1, &NineFirst, nullptr);
    formel_set_function(ev, "none", 0, &Nothing, nullptr);
  });
  for (const char* formula : {"cut(12,[a])*2", "cut(25,3)+[a]", "2*cut([a],7)+1", "cut(1,[a])-1", "cut([a],[a])",
                              "2*nine([a])+1", "nine(1)*nine([a])", "1+none()", "none()*[a]"}) {
    for (const char* value : {"57", "1", "130", "4.5", "", "-2"}) {
      SetOnBoth("a", value);
      for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(Difference(formula), "") << formula << " with a = " << value << ", round " << round;
      }
    }
  }
}

// A host that gives back a number too long to stand among a level's
// numbers: the level's text then reaches the length limit (""), or stays
// just below it, as the general way finds.
TEST_F(FastPathsTest, HostResultsAtTheLengthLimitGiveWhatTheGeneralWayGives) {
  RegisterLoggingHosts();
  for (const std::size_t length : {std::size_t{4} << 20, (std::size_t{4} << 20) - 4, std::size_t{40} << 10}) {
    SetOnBoth("a", std::string(length, '7').c_str());
    for (const char* formula : {"f([a],1)+1", "2*f(1,[a])-f([a],2)", "f([a],0)<1"}) {
      for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(Difference(formula), "") << formula << " with " << length << " digits, round " << round;
      }
    }
  }
}

// Text functions that set, add or remove a variable their level reads
// after the call: a plan's top level reads it after its calls, as the
// general way does.
// "r" removes y and "n" sets z (a new entry), each giving back 1.
const char* SetY(void* user, int, const char* const* argv) {
  auto* ev = static_cast<formel_evaluator*>(user);
  const char c = argv[0][0];
  if (c == 'r') {
    formel_remove_var(ev, "y");
  } else {
    formel_set_var(ev, c == 'n' ? "z" : "y", c == 'n' ? "6" : argv[0]);
  }
  return c == 'r' || c == 'n' ? "1" : argv[0];
}

TEST_F(FastPathsTest, TextFunctionsThatChangeTheVariablesGiveWhatTheGeneralWayGives) {
  OnBoth([](formel_evaluator* ev) { formel_set_function(ev, "sety", 1, &SetY, ev); });
  for (const char* formula : {"2*sety(7)+[y]", "sety([x])*[y]-1", "[y]+sety(3)*2", "sety(r)+[y]", "sety(n)+[z]+[y]"}) {
    for (const char* value : {"5", "", "12.5"}) {
      SetOnBoth("x", "4");
      for (int round = 0; round < 3; ++round) {
        SetOnBoth("y", value);  // again: a call may have removed it
        ASSERT_EQ(Difference(formula), "") << formula << " with y = " << value << ", round " << round;
      }
    }
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
        "1-0/100", "5-0*3/2+1", "7-0\\2-0^2", "2-0*0-0/1+0", "-0-0*5", "-0-0/5-1",
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
