// The evaluator API as a Windows host reaches it, through GetProcAddress:
// evaluators that keep their own tables, host functions with their user
// pointer, re-entry, the observer, the standard functions, and what null
// and out-of-range arguments give.
#include <cstdint>
#include <string>
#include <vector>

#include "host_check.h"
#include "host_checks.h"

namespace win_host {

namespace {

// An evaluator of the DLL for the length of a scope.
class Evaluator {
 public:
  explicit Evaluator(const FormelDll& dll) : dll_(dll), ev_(dll.formel_new()) {}
  ~Evaluator() { dll_.formel_free(ev_); }
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  formel_evaluator* get() const { return ev_; }
  std::string Evaluate(const char* formula) const { return TextOf(dll_.formel_evaluate(ev_, formula)); }

 private:
  const FormelDll& dll_;
  formel_evaluator* ev_;
};

// "<user>:<argc>:<first argument>": which user pointer and how many
// arguments arrived.
const char* FORMEL_CALL Tag(void* user, int argc, const char* const* argv) {
  static std::string out;
  out = std::string(static_cast<const char*>(user)) + ":" + std::to_string(argc) + ":" + argv[0];
  return out.c_str();
}

// Evaluates its argument on the evaluator given at registration.
struct Target {
  const FormelDll* dll;
  formel_evaluator* ev;
};
const char* FORMEL_CALL EvaluateOn(void* user, int, const char* const* argv) {
  const auto* target = static_cast<const Target*>(user);
  return target->dll->formel_evaluate(target->ev, argv[0]);
}

struct Seen {
  int stages = 0;
  int groups = 0;
  std::vector<std::string> findings;
  std::string result;  // the outermost formula's
};
void FORMEL_CALL Observe(void* user, const formel_event* event) {
  Seen& seen = *static_cast<Seen*>(user);
  const std::string name(event->name.data, event->name.size);
  if (event->kind == FORMEL_EVENT_STAGE) {
    ++seen.stages;
    if (name == "result" && event->depth == 1) seen.result.assign(event->after.data, event->after.size);
  } else if (event->kind == FORMEL_EVENT_GROUP) {
    ++seen.groups;
  } else if (event->kind == FORMEL_EVENT_FINDING) {
    seen.findings.push_back(name);
  }
}

void CheckIndependentTables(const FormelDll& dll) {
  const Evaluator a(dll), b(dll);
  Check(a.get() != nullptr && b.get() != nullptr && a.get() != b.get(), "formel_new gives two evaluators");
  dll.AttachProcess(nullptr);
  dll.SetVarS("x", "classic");
  Check(dll.formel_set_var(a.get(), "x", "1") == 1, "formel_set_var returns 1");
  Check(dll.formel_set_var_int(b.get(), "X ", -2) == 1, "formel_set_var_int returns 1");
  CheckText(a.Evaluate("[x]*10"), "10", "a reads its own x");
  CheckText(b.Evaluate("[x]*10"), "-20", "b reads its own x (names match as in formel.h)");
  CheckText(TextOf(dll.GetVarS("x")), "classic", "the classic exports keep their own tables");
  CheckText(TextOf(dll.formel_get_var(b.get(), "x")), "-2", "formel_get_var");
  Check(dll.formel_remove_var(a.get(), "x") == 1 && dll.formel_remove_var(a.get(), "x") == 0,
        "formel_remove_var removes once");
  Check(dll.formel_clear_vars(b.get()) == 1, "formel_clear_vars returns 1");
  CheckText(a.Evaluate("[x]") + b.Evaluate("[x]"), "", "both tables emptied");
}

// The first argument plus argc, in the library's calling convention.
double FORMEL_CALL PlusCount(void*, int argc, const double* argv) { return argv[0] + argc; }

void CheckHostFunctions(const FormelDll& dll) {
  const Evaluator a(dll), b(dll);
  char userA[] = "a", userB[] = "b";
  Check(dll.formel_set_function(a.get(), "tag", 2, &Tag, userA) == 1, "formel_set_function returns 1");
  dll.formel_set_function(b.get(), "tag", 1, &Tag, userB);
  CheckText(a.Evaluate("tag(1)"), "a:2:1", "a's tag gets a's user pointer, a missing argument as well");
  CheckText(b.Evaluate("tag(1,2,3)"), "b:1:1", "b's tag gets b's user pointer, extra arguments dropped");
  Check(dll.formel_remove_function(a.get(), "TAG") == 1, "formel_remove_function");
  CheckText(a.Evaluate("tag(1)"), "1,", "a removed name reads as unregistered");
  Check(dll.formel_clear_functions(b.get()) == 1, "formel_clear_functions returns 1");
  CheckText(b.Evaluate("tag(1)"), "1,", "cleared");
  Check(dll.formel_set_number_function(b.get(), "plus", 2, &PlusCount, nullptr) == 1,
        "formel_set_number_function returns 1");
  CheckText(b.Evaluate("plus(0.5)*2"), "5", "a function on numbers, its result a number");

  // Calls back into its own evaluator and into another one.
  Target self{&dll, a.get()}, other{&dll, b.get()};
  dll.formel_set_function(a.get(), "here", 1, &EvaluateOn, &self);
  dll.formel_set_function(a.get(), "there", 1, &EvaluateOn, &other);
  dll.formel_set_var(a.get(), "x", "1");
  dll.formel_set_var(b.get(), "x", "2");
  CheckText(a.Evaluate("here(\"[x]+1\")*10"), "20", "re-entry into the same evaluator");
  CheckText(a.Evaluate("there(\"[x]+1\")*10"), "30", "re-entry into another evaluator");
  CheckText(a.Evaluate("here(\"there(\"\"[x]\"\")\")&\"|\"&[x]"), "2|1", "nested re-entry, both ways");
}

void CheckObserver(const FormelDll& dll) {
  const Evaluator ev(dll);
  Seen seen;
  Check(dll.formel_set_observer(ev.get(), &Observe, &seen) == 1, "formel_set_observer returns 1");
  CheckText(ev.Evaluate("([missing]+2)*3"), "6", "an observed evaluation keeps its result");
  Check(seen.stages > 0 && seen.groups == 1, "the observer sees stages and the one group");
  CheckText(seen.result, "6", "the observer sees the outermost result");
  Check(seen.findings == std::vector<std::string>{"unset-variable"}, "the observer sees the finding");
  const Seen before = seen;
  dll.formel_set_observer(ev.get(), nullptr, nullptr);
  ev.Evaluate("(1+2)*3");
  Check(seen.stages == before.stages && seen.groups == before.groups, "a removed observer sees nothing");
}

void CheckStandardFunctions(const FormelDll& dll) {
  const Evaluator ev(dll);
  Check(dll.formel_register_standard_functions(ev.get()) == 1, "formel_register_standard_functions");
  // Numbers and texts; a count past the end of the text.
  const struct {
    const char* formula;
    const char* expect;
  } cases[] = {
      {"max(1,5,3)", "5"}, {"round(2.675,2)", "2.68"}, {"upper(\"a\xC3\xA9z\")", "A\xC3\xA9Z"},
      {"mid(\"abc\",2,9)", "bc"}, {"if(0,\"y\",\"n\")", "n"},
  };
  for (const auto& c : cases) {
    CheckText(ev.Evaluate(c.formula), c.expect, std::string("standard ") + c.formula);
  }
}

void CheckBadArguments(const FormelDll& dll) {
  formel_evaluator* none = nullptr;
  dll.formel_free(none);
  const int nothing = dll.formel_set_var(none, "x", "1") + dll.formel_set_var_int(none, "x", 1) +
                      dll.formel_remove_var(none, "x") + dll.formel_clear_vars(none) +
                      dll.formel_set_function(none, "f", 1, &Tag, nullptr) +
                      dll.formel_remove_function(none, "f") + dll.formel_clear_functions(none) +
                      dll.formel_register_standard_functions(none) +
                      dll.formel_set_observer(none, &Observe, nullptr);
  Check(nothing == 0, "every function gives 0 for a null evaluator");
  CheckText(TextOf(dll.formel_get_var(none, "x")) + TextOf(dll.formel_evaluate(none, "1+1")), "",
            "text functions give \"\" for a null evaluator");

  const Evaluator ev(dll);
  char user[] = "u";
  dll.formel_set_function(ev.get(), "f", 1, &Tag, user);
  for (const int count : {-1, 11}) {
    Check(dll.formel_set_function(ev.get(), "f", count, &Tag, user) == 0,
          "formel_set_function refuses count " + std::to_string(count));
  }
  Check(dll.formel_set_function(ev.get(), "f", 1, nullptr, user) == 0, "formel_set_function refuses null");
  CheckText(ev.Evaluate("f(1)"), "u:1:1", "refused registrations leave the table unchanged");
  Check(dll.formel_set_var(ev.get(), nullptr, nullptr) == 1, "null name and value read as \"\"");
  CheckText(TextOf(dll.formel_get_var(ev.get(), nullptr)), "", "null name reads as \"\"");
  CheckText(TextOf(dll.formel_evaluate(ev.get(), nullptr)), "", "null formula reads as \"\"");
  dll.formel_set_var_int(ev.get(), "low", INT32_MIN);
  CheckText(ev.Evaluate("[low]"), "-2147483648", "the lowest 32-bit integer");
}

}  // namespace

void CheckEvaluatorApi(const FormelDll& dll) {
  CheckIndependentTables(dll);
  CheckHostFunctions(dll);
  CheckObserver(dll);
  CheckStandardFunctions(dll);
  CheckBadArguments(dll);
}

}  // namespace win_host
