// Bad input to the evaluator API gets a harmless, documented answer: a null
// evaluator, null texts, counts outside 0..10, an evaluator freed from inside
// its own call, and running out of memory anywhere.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "evaluators/evaluator_helpers.h"
#include "formel_evaluator.h"
#include "frame/private_heap.h"

namespace {

using Evaluator = formel_test::OwnedEvaluator;
using formel_test::MakeEvaluator;
using formel_test::ShowArguments;

TEST(HostileEvaluatorInput, BadInputGetsTheNothingValue) {
  Evaluator ev = MakeEvaluator();
  std::string buffer;
  for (const int count : {-1, 11}) EXPECT_EQ(formel_set_function(ev.get(), "f", count, &ShowArguments, &buffer), 0);
  EXPECT_EQ(formel_set_function(ev.get(), "f", 1, nullptr, &buffer), 0);
  EXPECT_STREQ(formel_evaluate(ev.get(), "f(1)"), "1,") << "nothing was registered";
  EXPECT_STREQ(formel_evaluate(ev.get(), nullptr), "");
  EXPECT_EQ(formel_set_var(ev.get(), nullptr, nullptr), 1);
  EXPECT_STREQ(formel_get_var(ev.get(), "  "), "");

  EXPECT_EQ(formel_set_var(nullptr, "x", "1"), 0);
  EXPECT_EQ(formel_set_var_int(nullptr, "x", 1), 0);
  EXPECT_STREQ(formel_get_var(nullptr, "x"), "");
  EXPECT_EQ(formel_remove_var(nullptr, "x"), 0);
  EXPECT_EQ(formel_clear_vars(nullptr), 0);
  EXPECT_EQ(formel_set_function(nullptr, "f", 1, &ShowArguments, &buffer), 0);
  EXPECT_EQ(formel_remove_function(nullptr, "f"), 0);
  EXPECT_EQ(formel_clear_functions(nullptr), 0);
  EXPECT_EQ(formel_register_standard_functions(nullptr), 0);
  EXPECT_STREQ(formel_evaluate(nullptr, "1+1"), "");
  EXPECT_EQ(formel_set_observer(nullptr, nullptr, nullptr), 0);
  formel_free(nullptr);
}

// A host function that frees the evaluator it runs in (user).
const char* FreeOwn(void* user, int, const char* const*) {
  formel_free(static_cast<formel_evaluator*>(user));
  return "1";
}

TEST(HostileEvaluatorInput, AHostFunctionMayFreeItsOwnEvaluator) {
  formel_evaluator* ev = formel_new();
  ASSERT_EQ(formel_set_function(ev, "quit", 0, &FreeOwn, ev), 1);
  EXPECT_STREQ(formel_evaluate(ev, "1+quit()+1"), "") << "its texts are gone with it";
}

// An observer that frees the evaluator reporting to it.
void FreeOnFirstEvent(void* user, const formel_event*) { formel_free(static_cast<formel_evaluator*>(user)); }

TEST(HostileEvaluatorInput, AnObserverMayFreeItsEvaluator) {
  formel_evaluator* ev = formel_new();
  ASSERT_EQ(formel_set_observer(ev, &FreeOnFirstEvent, ev), 1);
  EXPECT_STREQ(formel_evaluate(ev, "(1+2)*3"), "");
}

// A host function that frees the other evaluator, which is in the middle of
// the call that led here.
const char* FreeOther(void* user, int, const char* const*) {
  formel_free(static_cast<formel_evaluator*>(user));
  return "x";
}
const char* EvaluateOn(void* user, int, const char* const* argv) {
  return formel_evaluate(static_cast<formel_evaluator*>(user), argv[0]);
}

TEST(HostileEvaluatorInput, FreeingAnEvaluatorInTheMiddleOfItsCallWaitsForIt) {
  formel_evaluator* outer = formel_new();
  Evaluator inner = MakeEvaluator();
  formel_set_function(outer, "there", 1, &EvaluateOn, inner.get());
  formel_set_function(inner.get(), "drop", 0, &FreeOther, outer);
  EXPECT_STREQ(formel_evaluate(outer, "there(\"drop()&1\")&2"), "");
  EXPECT_STREQ(formel_evaluate(inner.get(), "1+1"), "2") << "the other evaluator lives on";
}

// Every allocation of making an evaluator, registering the standard
// functions and evaluating may fail: each call then gives its nothing
// value, and nothing leaks (the sanitizer build checks).
TEST(HostileEvaluatorInput, EveryAllocationMayFail) {
  auto run = [] {
    formel_evaluator* ev = formel_new();
    if (ev == nullptr) return std::string("no evaluator");
    std::string result = formel_register_standard_functions(ev) == 1 ? "" : "no functions;";
    result += formel_set_var(ev, "name", "world") == 1 ? "" : "no variable;";
    result += formel_evaluate(ev, "upper(\"hello \"&[name])&max(1,(2+3))");
    formel_free(ev);
    return result;
  };
  const std::uint64_t first = formel::PrivateHeap::AllocationCount();
  ASSERT_EQ(run(), "HELLO WORLD5");
  const std::uint64_t allocations = formel::PrivateHeap::AllocationCount() - first;
  int failed = 0;
  for (std::uint64_t n = 1; n <= allocations; ++n) {
    formel::PrivateHeap::FailAllocation(n);
    const std::string result = run();
    formel::PrivateHeap::FailAllocation(0);
    if (result != "HELLO WORLD5") ++failed;
    const bool nothing = result == "no evaluator" || result.find(';') != std::string::npos ||
                         result.empty() || result == "HELLO WORLD5";
    EXPECT_TRUE(nothing) << "allocation " << n << ": " << result;
  }
  EXPECT_GT(failed, 0) << "no injected failure reached a call";
}

}  // namespace
