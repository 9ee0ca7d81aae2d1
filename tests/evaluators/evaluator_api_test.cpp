// The evaluator API: independence of evaluators, closure-style host
// functions, re-entrance, standard functions, the observer. Bad input is in
// the hostile suite.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "evaluators/evaluator_helpers.h"
#include "formel_evaluator.h"

namespace {

using Evaluator = formel_test::OwnedEvaluator;
using formel_test::MakeEvaluator;
using formel_test::ShowArguments;

TEST(EvaluatorApi, EvaluatorsKeepTheirOwnTablesAndResults) {
  Evaluator a = MakeEvaluator(), b = MakeEvaluator();
  formel_set_var(a.get(), "x", "2");
  formel_set_var_int(b.get(), " X ", -7);
  const char* fromA = formel_evaluate(a.get(), "[x]*10");
  EXPECT_STREQ(formel_evaluate(b.get(), "[x]*10"), "-70");
  EXPECT_STREQ(fromA, "20") << "a result lives until the next call on its own evaluator";
  EXPECT_STREQ(formel_get_var(b.get(), "x"), "-7");
  EXPECT_EQ(formel_remove_var(a.get(), "X"), 1);
  EXPECT_EQ(formel_remove_var(a.get(), "X"), 0);
  EXPECT_STREQ(formel_get_var(b.get(), "x"), "-7");
  EXPECT_EQ(formel_clear_vars(b.get()), 1);
  EXPECT_STREQ(formel_evaluate(b.get(), "[x]&\"|\""), "|");
}

TEST(EvaluatorApi, HostFunctionsGetTheirCountUserPointerAndArguments) {
  Evaluator ev = MakeEvaluator();
  std::string buffer;
  ASSERT_EQ(formel_set_function(ev.get(), "f", 2, &ShowArguments, &buffer), 1);
  ASSERT_EQ(formel_set_function(ev.get(), "none", 0, &ShowArguments, &buffer), 1);
  const struct {
    const char* formula;
    const char* result;
  } cases[] = {
      {"f(1,\"a,b\")", "{2:1|a,b}"},  // a comma inside quotes stays in its argument
      {"f(7)", "{2:7|}"},             // a missing argument is empty
      {"f(1,2,f(3))", "{2:1|2}"},     // the extra argument is evaluated, then dropped
      {"none()", "{0:}"},
      {"F (2+3, [y])", "{2:5|}"},
  };
  for (const auto& c : cases) EXPECT_STREQ(formel_evaluate(ev.get(), c.formula), c.result) << c.formula;
  EXPECT_EQ(formel_remove_function(ev.get(), "F"), 1);
  EXPECT_STREQ(formel_evaluate(ev.get(), "f(1,2)"), "1,2,");
  EXPECT_EQ(formel_clear_functions(ev.get()), 1);
  EXPECT_STREQ(formel_evaluate(ev.get(), "none()"), ",");
}

// Its first argument times the number in user, its count added.
double FORMEL_CALL Scaled(void* user, int argc, const double* argv) {
  return argv[0] * *static_cast<const double*>(user) + argc;
}

TEST(EvaluatorApi, FunctionsOnNumbersReadTheirArgumentsAndWriteTheirResultAsFormulasDo) {
  Evaluator ev = MakeEvaluator();
  double factor = 0.5;
  ASSERT_EQ(formel_set_number_function(ev.get(), "half", 1, &Scaled, &factor), 1);
  ASSERT_EQ(formel_set_number_function(ev.get(), "two", 2, &Scaled, &factor), 1);
  EXPECT_EQ(formel_set_number_function(ev.get(), "bad", 11, &Scaled, &factor), 0);
  EXPECT_EQ(formel_set_number_function(ev.get(), "bad", 1, nullptr, &factor), 0);
  formel_set_var(ev.get(), "t", "12abc");
  const struct {
    double factor;
    const char* formula;
    const char* result;
  } cases[] = {
      {0.5, "half(5)", "3.5"},              // argc is 1
      {0.5, "half([t])", "7"},              // a number's beginning
      {0.5, "half(\"abc\")&half()", "11"},  // no number reads as 0
      {0.5, "two(3)", "3.5"},               // a missing argument is 0, argc stays 2
      {0.5, "half(2.5, half(1))", "2.25"},  // the extra argument is evaluated, then dropped
      {0.1, "half(1)", "1.1"},              // rounded to a float, six decimals
      {-1, "half(1.5)", "-0.5"},
      {-1e39, "half(1)", "-1.#INF"},
      {std::numeric_limits<double>::quiet_NaN(), "half(1)", "1.#QNAN"},
  };
  for (const auto& c : cases) {
    factor = c.factor;
    EXPECT_STREQ(formel_evaluate(ev.get(), c.formula), c.result) << c.formula << " with " << c.factor;
  }
}

// A host function that evaluates its argument on the evaluator in user.
const char* EvaluateOn(void* user, int, const char* const* argv) {
  return formel_evaluate(static_cast<formel_evaluator*>(user), argv[0]);
}

TEST(EvaluatorApi, HostFunctionsReenterTheirOwnOrUseAnotherEvaluator) {
  Evaluator ev = MakeEvaluator(), other = MakeEvaluator();
  formel_set_var(ev.get(), "x", "own");
  formel_set_var(other.get(), "x", "other");
  formel_set_function(ev.get(), "self", 1, &EvaluateOn, ev.get());
  formel_set_function(ev.get(), "there", 1, &EvaluateOn, other.get());
  EXPECT_STREQ(formel_evaluate(ev.get(), "self(\"[x]&1\")&there(\"[x]&2\")&[x]"), "own1other2own");
}

TEST(EvaluatorApi, StandardFunctionsAreOptIn) {
  Evaluator ev = MakeEvaluator();
  EXPECT_STREQ(formel_evaluate(ev.get(), "max(1,5,3)"), "1,5,3,");
  ASSERT_EQ(formel_register_standard_functions(ev.get()), 1);
  const struct {
    const char* formula;
    const char* result;
  } cases[] = {
      {"max(1,5,3)", "5"},        {"min(4,,2)", "2"},         {"abs(-2.5)", "2.5"},
      {"round(2.675,2)", "2.68"}, {"len(\"h\xC3\xA9\")", "3"}, {"upper(\"a\xC3\xA9z\")", "A\xC3\xA9Z"},
      {"mid(\"abcdef\",2,3)", "bcd"}, {"trim(\"  a b \")", "a b"}, {"if(0,\"y\",\"n\")", "n"},
  };
  for (const auto& c : cases) EXPECT_STREQ(formel_evaluate(ev.get(), c.formula), c.result) << c.formula;
}

struct Seen {
  formel_evaluator* ev;
  std::vector<std::string> names;
  std::string reentry = "not tried";
};

void Observe(void* user, const formel_event* e) {
  auto& seen = *static_cast<Seen*>(user);
  seen.names.emplace_back(e->name.data, e->name.size);
  if (e->kind == FORMEL_EVENT_GROUP) {
    seen.names.back() += "@" + std::to_string(e->start) + "-" + std::to_string(e->end);
    seen.reentry = formel_evaluate(seen.ev, "1+1");
  }
}

TEST(EvaluatorApi, TheObserverSeesStagesAndGroupsAndCannotReenter) {
  Evaluator ev = MakeEvaluator();
  Seen seen{ev.get(), {}};
  ASSERT_EQ(formel_set_observer(ev.get(), &Observe, &seen), 1);
  EXPECT_STREQ(formel_evaluate(ev.get(), "2*(3+4)"), "14");
  const std::vector<std::string> expect = {"groups", "+",      "signs", "result", "group@2-7",
                                           "groups", "*",      "signs", "result"};
  EXPECT_EQ(seen.names, expect);
  EXPECT_EQ(seen.reentry, "") << "an observer must not re-enter its evaluator";
  formel_set_observer(ev.get(), nullptr, nullptr);
  seen.names.clear();
  EXPECT_STREQ(formel_evaluate(ev.get(), "2*(3+4)"), "14");
  EXPECT_TRUE(seen.names.empty());
}

}  // namespace
