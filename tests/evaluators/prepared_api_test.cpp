// Prepared formulas and slots through the public API: the same results as
// formel_evaluate, the texts numbers are given and read back as, handles
// that outlive changes of the table, and null handles.
#include <cmath>
#include <string>
#include <utility>

#include "evaluators/evaluator_helpers.h"
#include "formel_prepared.h"

namespace {

using formel_test::MakeEvaluator;
using formel_test::OwnedEvaluator;

TEST(PreparedApiTest, RunsGiveWhatEvaluateGivesWithTheSameHostCalls) {
  const OwnedEvaluator ev = MakeEvaluator();
  std::string shown;
  formel_register_standard_functions(ev.get());
  formel_set_function(ev.get(), "show", 2, &formel_test::ShowArguments, &shown);
  formel_slot* x = formel_slot_new(ev.get(), " X ");
  for (const char* formula : {"[x]*[x]+2*[x]-1", "[n]*(1-[x]/100)", "2*max(1,[x])+1", "[x]<500",
                              "show([x],(1))&[x]", "[x]", "(([x]))", "\"[x]\"&[x]", "[x]=[n]"}) {
    formel_prepared* p = formel_prepare(ev.get(), formula);
    ASSERT_NE(p, nullptr);
    for (const char* value : {"5", "-3", "", "abc", "555-1234", "\"q\"", "12.5"}) {
      formel_set_var(ev.get(), "n", "100");
      ASSERT_EQ(formel_slot_set(x, value), 1);
      const std::string run = formel_run(p);
      const std::string runShown = shown;
      EXPECT_EQ(run, formel_evaluate(ev.get(), formula)) << formula << " x = " << value;
      EXPECT_EQ(runShown, shown) << formula;
    }
    formel_prepared_free(p);
  }
}

TEST(PreparedApiTest, NumbersInAndOut) {
  const OwnedEvaluator ev = MakeEvaluator();
  formel_slot* v = formel_slot_new(ev.get(), "v");
  for (const auto& [number, text] : {std::pair{2.5, "2.5"}, {100.0, "100"}, {1.0 / 3, "0.333333"},
                                     {-0.0000001, "-0"}, {1e39, "1.#INF"}, {-1e39, "-1.#INF"},
                                     {16777217.0, "16777216"}}) {
    ASSERT_EQ(formel_slot_set_number(v, number), 1);
    EXPECT_STREQ(formel_slot_get(v), text);
  }
  ASSERT_EQ(formel_slot_set_int(v, -12), 1);
  EXPECT_STREQ(formel_get_var(ev.get(), "v"), "-12");
  ASSERT_EQ(formel_slot_set_text(v, "7.5xyz", 3), 1);
  EXPECT_STREQ(formel_get_var(ev.get(), "V"), "7.5");
  ASSERT_EQ(formel_slot_set_text(v, "1\0002", 3), 1);
  EXPECT_STREQ(formel_slot_get(v), "1");

  for (const auto& [value, read, whole] : {std::tuple{"2.5", 5.0, 1}, {"abc", 0.0, 0}, {"", 0.0, 1},
                                           {"1/0", 2.0, 1}, {"0.1", 0.2, 1}, {"7x", 14.0, 1}}) {
    formel_set_var(ev.get(), "v", value);
    formel_prepared* p = formel_prepare(ev.get(), std::string(value) == "abc" ? "[v]&\"\"" : "[v]*2");
    double number = -1;
    EXPECT_EQ(formel_run_number(p, &number), whole) << value;
    EXPECT_EQ(number, static_cast<double>(static_cast<float>(read))) << value;
    formel_prepared_free(p);
  }
}

// Removing and clearing variables, and other names coming, leave a slot
// and a prepared formula working; so does a function registered anew.
TEST(PreparedApiTest, HandlesOutliveChangesOfTheTables) {
  const OwnedEvaluator ev = MakeEvaluator();
  std::string shown;
  formel_slot* a = formel_slot_new(ev.get(), "a");
  formel_prepared* p = formel_prepare(ev.get(), "[a]+1&show([a],2)");
  formel_slot_set(a, "1");
  EXPECT_STREQ(formel_run(p), "2[a],2,");
  formel_set_function(ev.get(), "show", 2, &formel_test::ShowArguments, &shown);
  EXPECT_STREQ(formel_run(p), "2{2:1|2}");
  formel_remove_var(ev.get(), "a");
  EXPECT_STREQ(formel_run(p), "1{2:|2}");
  formel_slot_set_int(a, 41);
  for (int i = 0; i < 50; ++i) formel_set_var_int(ev.get(), ("other" + std::to_string(i)).c_str(), i);
  EXPECT_STREQ(formel_run(p), "42{2:41|2}");
  formel_clear_vars(ev.get());
  formel_clear_functions(ev.get());
  EXPECT_STREQ(formel_slot_get(a), "");
  formel_slot_set(a, "9");
  EXPECT_STREQ(formel_run(p), "10[a],2,");
  formel_slot_free(a);
  formel_prepared_free(p);
}

// A call whose function goes away reads as its argument list, not as the
// number the function gave before.
TEST(PreparedApiTest, ACallWhoseFunctionWentAwayIsNoLongerItsNumber) {
  const OwnedEvaluator ev = MakeEvaluator();
  const OwnedEvaluator general = MakeEvaluator();
  auto half = [](void*, int, const char* const*) -> const char* { return "3.5"; };
  formel_set_function(ev.get(), "half", 1, half, nullptr);
  formel_prepared* p = formel_prepare(ev.get(), "half()*2");
  EXPECT_STREQ(formel_run(p), "7");
  formel_remove_function(ev.get(), "half");
  EXPECT_STREQ(formel_run(p), formel_evaluate(general.get(), "half()*2"));
  formel_prepared_free(p);
}

// A host function that runs the formula being run (the general way then),
// and an observer that sees the stages of a run.
TEST(PreparedApiTest, ReentryAndObserverGoTheGeneralWay) {
  const OwnedEvaluator ev = MakeEvaluator();
  struct Again {
    formel_prepared* p = nullptr;
    std::string text;
    int depth = 0;
  } again;
  formel_set_function(
      ev.get(), "again", 0,
      [](void* user, int, const char* const*) -> const char* {
        auto& a = *static_cast<Again*>(user);
        if (a.depth++ > 0) return "1";
        a.text = formel_run(a.p);
        return a.text.c_str();
      },
      &again);
  formel_set_var(ev.get(), "x", "3");
  again.p = formel_prepare(ev.get(), "[x]*again()");
  EXPECT_STREQ(formel_run(again.p), "9");
  int stages = 0;
  formel_set_observer(ev.get(), [](void* user, const formel_event*) { ++*static_cast<int*>(user); }, &stages);
  again.depth = 0;
  EXPECT_STREQ(formel_run(again.p), "9");
  EXPECT_GT(stages, 0);
}

// A host function that runs loop formulas on the evaluator calling it: the
// outer evaluation's texts, its arguments among them, stay as they were.
TEST(PreparedApiTest, RunsInsideAHostFunctionLeaveTheOuterTexts) {
  const OwnedEvaluator ev = MakeEvaluator();
  struct Inner {
    formel_evaluator* ev;
    formel_prepared* p;
    std::string text;
  } inner{ev.get(), formel_prepare(ev.get(), "[x]*2"), {}};
  formel_set_function(
      ev.get(), "inner", 1,
      [](void* user, int, const char* const* argv) -> const char* {
        auto& in = *static_cast<Inner*>(user);
        in.text = formel_run(in.p);
        for (int i = 0; i < 2; ++i) in.text += formel_evaluate(in.ev, "[x]*3");  // planned the second time
        in.text += argv[0];
        return in.text.c_str();
      },
      &inner);
  formel_set_var(ev.get(), "x", "7");
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(formel_evaluate(ev.get(), "(123456)&inner(\"abcdefgh\"&(5+5))&[x]"), "123456142121abcdefgh107")
        << i;
  }
}

// Functions on numbers that run the formula being run, change a variable
// the formula reads after them, or free their evaluator: a loop's quick way
// gives what the general way gives (the inner run makes its own calls), or
// nothing.
TEST(PreparedApiTest, FunctionsOnNumbersMayReenterOrFreeTheirEvaluator) {
  struct Host {
    formel_evaluator* ev;
    formel_prepared* p;
    double counted;
    bool entered;
    std::string inner, calls;
  };
  formel_evaluator* ev = formel_new();
  Host host{ev, nullptr, 0, false, {}, {}};
  auto count = [](void* user, int, const double*) {
    static_cast<Host*>(user)->calls += "c";
    return ++static_cast<Host*>(user)->counted;
  };
  auto twice = [](void* user, int, const double* argv) {
    auto& h = *static_cast<Host*>(user);
    h.calls += "t";
    if (argv[0] == 3 && !h.entered) {
      h.entered = true;
      h.inner = formel_run(h.p);
      formel_remove_var(h.ev, "x");  // a new entry, elsewhere: the names are looked up again
      formel_set_var(h.ev, "w", "50");
      formel_set_var(h.ev, "x", "10");
    }
    return argv[0] * 2;
  };
  formel_set_number_function(ev, "count", 1, count, &host);
  formel_set_number_function(ev, "twice", 1, twice, &host);
  formel_set_var(ev, "x", "3");
  host.p = formel_prepare(ev, "count(1)+twice([x])+[x]");
  EXPECT_STREQ(formel_run(host.p), "17");  // 1 + 6 + 10: [x] is read after the calls
  EXPECT_EQ(host.inner, "11");              // 2 + 6 + 3
  EXPECT_EQ(host.calls, "ctct");
  // Observed after a quick way that went through: a run of its own, calls and all.
  formel_set_observer(ev, [](void*, const formel_event*) {}, nullptr);
  EXPECT_STREQ(formel_run(host.p), "33");  // 3 + 20 + 10
  EXPECT_EQ(host.calls, "ctctct");
  formel_set_observer(ev, nullptr, nullptr);
  // A host that installs an observer: the run goes on from its call all
  // the same ([y] is no number), not from the start.
  auto watching = [](void* user, int, const double*) {
    auto& h = *static_cast<Host*>(user);
    h.calls += "w";
    formel_set_observer(h.ev, [](void*, const formel_event*) {}, nullptr);
    return 1.0;
  };
  formel_set_number_function(ev, "count", 1, watching, &host);
  formel_set_var(ev, "y", "abc");
  host.calls.clear();
  const std::string watched = formel_run(formel_prepare(ev, "count(1)+[y]"));
  EXPECT_EQ(host.calls, "w");
  EXPECT_EQ(watched, formel_evaluate(ev, "count(1)+[y]"));  // observed: the general way
  formel_set_observer(ev, nullptr, nullptr);
  auto freeing = [](void* user, int, const double* argv) {
    formel_free(static_cast<Host*>(user)->ev);  // released when the run returns
    return argv[0];
  };
  formel_set_number_function(ev, "twice", 1, freeing, &host);
  double number = 5;
  EXPECT_EQ(formel_run_number(host.p, &number), 0);
  EXPECT_EQ(number, 0);
}

TEST(PreparedApiTest, NullHandlesGiveNothing) {
  double number = 5;
  EXPECT_EQ(formel_prepare(nullptr, "1"), nullptr);
  EXPECT_STREQ(formel_run(nullptr), "");
  EXPECT_EQ(formel_run_number(nullptr, &number), 0);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(formel_run_number(nullptr, nullptr), 0);
  formel_prepared_free(nullptr);
  EXPECT_EQ(formel_slot_new(nullptr, "x"), nullptr);
  EXPECT_EQ(formel_slot_set(nullptr, "1"), 0);
  EXPECT_EQ(formel_slot_set_text(nullptr, "1", 1), 0);
  EXPECT_EQ(formel_slot_set_int(nullptr, 1), 0);
  EXPECT_EQ(formel_slot_set_number(nullptr, 1), 0);
  EXPECT_STREQ(formel_slot_get(nullptr), "");
  formel_slot_free(nullptr);
  const OwnedEvaluator ev = MakeEvaluator();
  formel_prepared* p = formel_prepare(ev.get(), nullptr);
  EXPECT_STREQ(formel_run(p), "");
  formel_slot* s = formel_slot_new(ev.get(), nullptr);
  EXPECT_EQ(formel_slot_set_text(s, nullptr, 4), 1);
  EXPECT_EQ(formel_slot_set(s, nullptr), 1);
  EXPECT_STREQ(formel_get_var(ev.get(), ""), "");
}

}  // namespace
