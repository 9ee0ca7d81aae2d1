// Fuzzes Formel with fuzzer-chosen variables and host functions.
//
// Input (fields separated by zero bytes): the formula, then items:
//   "V<name>" <value>              a variable
//   "F<slot><count><name>" <script> a host function (see fuzz_host.h);
//                                  count "0".."9", "A" for 10, "z" for
//                                  call ID 0, any other byte as is
//   "P<formula>"                   evaluated between the two checked runs
//
// Checked beyond "no crash": the formula gives the same result before and
// after other evaluations (the second and third time through the
// evaluator's plan of it, which an evaluator prepares for a formula it
// meets again and runs its quickest way once it ran last, so that
// plans are compared with the first result and, through it, with the
// general path); every byte of a result comes from the formula,
// a variable value, a host result or the library's own result forms; when
// no host function changes the tables, the evaluation leaves them intact,
// and an independent evaluator with the same tables (host functions as
// closures) gives the same result under an observer (which turns the
// shortcuts off but the growing literal), and again when it asks for the
// general path only (every shortcut off), unless that path's joins, which
// take time in the square of their texts, would meet texts past
// kGeneralPathLongest; once the input's functions are gone, the plan run
// last meets a changed table and must still agree with the observed
// evaluator; with the input's functions registered on numbers instead, a
// formula evaluated twice (the second time through its plan, which passes
// such functions numbers without texts) gives what the general path gives;
// the observer is told every
// range inside the formula and every finding's text as the formula's bytes
// there; the peak of the library's heap stays in proportion to what the
// input brings in (formula, values, host texts) and to the longest text the
// evaluation itself produced (references can multiply a value many times).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "formel.h"
#include "formel_evaluator.h"
#include "api/evaluator.h"
#include "eval/limits.h"
#include "fuzz_fields.h"
#include "fuzz_host.h"
#include "support/result_bytes.h"

namespace {

using namespace formel_fuzz;

struct HostItem {
  int slot;
  unsigned char count;
  std::string name;
  std::string script;
};

struct Input {
  std::string formula;
  std::vector<std::pair<std::string, std::string>> vars;
  std::vector<HostItem> hosts;
  std::vector<std::string> priors;
  bool changesTables = false;
};

constexpr std::size_t kMaxItems = 64;

Input Parse(const std::uint8_t* data, std::size_t size) {
  FieldReader fields(SplitFields(data, size));
  Input in;
  in.formula = fields.Next();
  while (!fields.AtEnd()) {
    const std::string f = fields.Next();
    if (f.empty()) continue;
    if (f[0] == 'V' && in.vars.size() < kMaxItems) {
      in.vars.emplace_back(f.substr(1), fields.Next());
    } else if (f[0] == 'F' && f.size() >= 3 && in.hosts.size() < kMaxItems) {
      HostItem h{static_cast<unsigned char>(f[1]) % kHostSlots, static_cast<unsigned char>(f[2]),
                 f.substr(3), fields.Next()};
      in.changesTables = in.changesTables || ScriptChangesTables(h.script);
      in.hosts.push_back(std::move(h));
    } else if (f[0] == 'P' && in.priors.size() < 2) {
      in.priors.push_back(f.substr(1));
    }
  }
  return in;
}

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "property violated: %s\n%s\n", what, detail.c_str());
  std::abort();
}

void Require(bool holds, const char* what, const std::string& detail = std::string()) {
  if (!holds) Fail(what, detail);
}

// "0".."9" and "A" are the valid counts; "z" registers call ID 0.
void Register(const HostItem& h) {
  int count = static_cast<signed char>(h.count);
  FormelCallID id = 0;
  if (h.count >= '0' && h.count <= '9') count = h.count - '0';
  if (h.count == 'A') count = 10;
  if (h.count == 'z') count = 0;
  const bool valid = count >= 0 && count <= 10;
  if (valid && h.count != 'z') id = HostId(h.slot, count);
  SetScript(h.slot, h.name, h.script);
  Require(SetFunc(h.name.c_str(), count, id) == (valid ? 1 : 0), "SetFunc result", h.name);
}

// A value that is an integer's own text is set as that integer, which
// also gives the variable its number: the independent evaluators, set by
// text, must read it alike.
void SetVariable(const std::string& name, const std::string& value) {
  char* end = nullptr;
  const long long number = value.empty() || value.size() > 11 ? 0 : std::strtoll(value.c_str(), &end, 10);
  const bool isInt = end != nullptr && *end == '\0' && number >= INT32_MIN && number <= INT32_MAX &&
                     std::to_string(number) == value;
  const FormelInt set = isInt ? SetVarL(name.c_str(), static_cast<FormelInt>(number))
                              : SetVarS(name.c_str(), value.c_str());
  Require(set == 1, isInt ? "SetVarL" : "SetVarS");
}

void SetUpTables(const Input& in) {
  if (formel::DefaultEvaluator() == nullptr) DLLEntryPoint(nullptr, 1, nullptr);
  ClearVars();
  ClearFuncs();
  ClearScripts();
  for (const auto& [name, value] : in.vars) SetVariable(name, value);
  for (const HostItem& h : in.hosts) Register(h);
}

// What one evaluation may hold at its peak: a generous multiple of every
// byte the input can bring in and of the longest stage text, and a constant
// for the workspace and scratch.
std::size_t PeakAllowed(const Input& in, std::size_t longestText) {
  std::size_t bytes = in.formula.size() + kLongTextBudget + longestText;
  for (const auto& var : in.vars) bytes += var.first.size() + var.second.size();
  for (const HostItem& h : in.hosts) bytes += h.script.size();
  return 32 * bytes + (std::size_t{4} << 20);
}

std::string Evaluate(const std::string& formula) {
  StartRun();
  const std::string result = Formel(formula.c_str());
  if (formel::DefaultEvaluator() == nullptr) DLLEntryPoint(nullptr, 1, nullptr);  // a script detached it
  return result;
}

void CheckResultBytes(const Input& in, const std::string& result) {
  static const std::bitset<256> libraryBytes = formel_test::LibraryResultBytes();
  std::bitset<256> allowed = libraryBytes | HostBytes();
  auto add = [&](const std::string& text) {
    for (const char c : text) allowed.set(static_cast<unsigned char>(c));
  };
  add(in.formula);
  for (const auto& var : in.vars) add(var.second);
  for (const char c : result) {
    if (!allowed.test(static_cast<unsigned char>(c))) {
      Fail("result byte from nowhere", "formula [" + in.formula + "] result [" + result + "]");
    }
  }
}

// The last value set under each name is what GetVarS reads.
void CheckVariablesIntact(const Input& in) {
  std::map<std::string, std::string> expected;
  for (const auto& [name, value] : in.vars) expected[NormalName(name)] = value;
  for (const auto& [key, value] : expected) {
    if (GetVarS(key.c_str()) != value) Fail("variable changed by an evaluation", key);
  }
}

// The count byte as Register reads it; -1 for call ID 0 (not registered).
int ClosureCount(const HostItem& h) {
  if (h.count == 'z') return -1;
  if (h.count >= '0' && h.count <= '9') return h.count - '0';
  return h.count == 'A' ? 10 : static_cast<signed char>(h.count);
}

// Counts the events whose range is not in the formula, or (a finding) whose
// text is not the formula's bytes there.
// Also keeps the length of the longest text a stage was given or gave (or
// may have made, when a limit stopped the evaluation).
struct RangeWatch {
  std::string_view formula;
  int misplaced = 0;
  std::size_t longestText = 0;
};

void WatchRanges(void* user, const formel_event* e) {
  auto& watch = *static_cast<RangeWatch*>(user);
  if (e->kind == FORMEL_EVENT_STAGE) {
    watch.longestText = std::max({watch.longestText, e->before.size, e->after.size});
  }
  // The text that went past a limit is never reported as a stage's output,
  // and it may have been as long as the limit itself.
  const std::string_view code(e->name.data, e->name.size);
  if (e->kind == FORMEL_EVENT_FINDING && (code == "length-limit" || code == "quoting-limit")) {
    watch.longestText = std::max(watch.longestText, formel::kMaxTextLength);
  }
  if (e->start == -1 && e->end == -1) return;
  const auto size = static_cast<std::ptrdiff_t>(watch.formula.size());
  if (e->start < 0 || e->start > e->end || e->end > size) {
    ++watch.misplaced;
    return;
  }
  const std::string_view at = watch.formula.substr(static_cast<std::size_t>(e->start),
                                                   static_cast<std::size_t>(e->end - e->start));
  if (e->kind == FORMEL_EVENT_FINDING && std::string_view(e->before.data, e->before.size) != at) {
    ++watch.misplaced;
  }
}

// The longest stage text for which the general path only is compared too.
constexpr std::size_t kGeneralPathLongest = 16 << 10;

// Returns the length of the longest stage text of the observed evaluation.
std::size_t CheckIndependentEvaluator(const Input& in, const std::string& classic,
                                      bool generalPathOnly) {
  formel_evaluator* ev = formel_new();
  Require(ev != nullptr, "formel_new");
  RangeWatch watch{in.formula};
  ev->eval.AskGeneralPathOnly(generalPathOnly);
  formel_set_observer(ev, &WatchRanges, &watch);
  for (const auto& [name, value] : in.vars) formel_set_var(ev, name.c_str(), value.c_str());
  for (const HostItem& h : in.hosts) {
    const int count = ClosureCount(h);
    if (count == -1) {
      formel_remove_function(ev, h.name.c_str());  // as registering call ID 0 hides the name
      continue;
    }
    const int set = formel_set_function(ev, h.name.c_str(), count, &SlotClosure, SlotUser(h.slot));
    Require(set == (count >= 0 && count <= 10 ? 1 : 0), "formel_set_function result", h.name);
  }
  SetTarget(ev);
  StartRun();
  const std::string result = formel_evaluate(ev, in.formula.c_str());
  SetTarget(nullptr);
  formel_free(ev);
  Require(watch.misplaced == 0, "an observer was told a range outside the formula",
          "formula [" + in.formula + "]");
  if (result != classic) {
    Fail(generalPathOnly ? "the general path only differs from the classic exports"
                         : "an independent evaluator under an observer differs from the classic exports",
         "formula [" + in.formula + "]\nclassic [" + classic + "]\nevaluator [" + result + "]");
  }
  return watch.longestText;
}

// The plan run last, once its functions are gone: the call's argument list
// stands where the function's result stood, as on the general path.
void CheckWithoutFunctions(const Input& in) {
  ClearFuncs();
  const std::string result = Evaluate(in.formula);
  Input bare = in;
  bare.hosts.clear();
  CheckIndependentEvaluator(bare, result, false);
}

// A function on numbers whose result depends on its slot: every kind of
// number, negative, not finite, past six decimals.
double FORMEL_CALL SlotNumbers(void* user, int argc, const double* argv) {
  const auto slot = reinterpret_cast<std::uintptr_t>(user);
  double sum = 0;
  for (int i = 0; i < argc; ++i) sum += argv[i];
  const double kResults[] = {sum, -sum, sum / 3, 1e39, -0.0, sum * sum * sum};
  return kResults[slot % std::size(kResults)];
}

// The input's functions registered on numbers: an evaluator gives the same
// result twice (its plan the second time) and what the general path gives.
void CheckNumberFunctions(const Input& in) {
  std::string results[3];
  for (int k = 0; k < 2; ++k) {
    formel_evaluator* ev = formel_new();
    Require(ev != nullptr, "formel_new");
    ev->eval.AskGeneralPathOnly(k == 1);
    for (const auto& [name, value] : in.vars) formel_set_var(ev, name.c_str(), value.c_str());
    for (const HostItem& h : in.hosts) {
      const int count = ClosureCount(h);
      if (count < 0 || count > 10) continue;
      formel_set_number_function(ev, h.name.c_str(), count, &SlotNumbers,
                                 reinterpret_cast<void*>(static_cast<std::uintptr_t>(h.slot)));
    }
    results[k] = formel_evaluate(ev, in.formula.c_str());
    if (k == 0) results[2] = formel_evaluate(ev, in.formula.c_str());
    formel_free(ev);
  }
  if (results[0] != results[1] || results[2] != results[1]) {
    Fail("functions on numbers: a plan differs from the general path",
         "formula [" + in.formula + "]\nfirst [" + results[0] + "]\nplanned [" + results[2] + "]\ngeneral [" +
             results[1] + "]");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  DLLEntryPoint(nullptr, 1, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = Parse(data, size);
  SetUpTables(in);
  formel::Evaluator* ev = formel::DefaultEvaluator();
  const std::size_t level = ev->heap.BytesInUse();
  ev->heap.ResetPeak();
  const std::string first = Evaluate(in.formula);
  // A script that unloads and restarts the library may get a new heap at
  // the old evaluator's address: only inputs that keep the tables count.
  const bool sameHeap = formel::DefaultEvaluator() == ev;
  const std::size_t peak = sameHeap ? ev->heap.PeakBytesInUse() - level : 0;
  CheckResultBytes(in, first);
  if (!in.changesTables) {
    CheckVariablesIntact(in);
    const std::size_t longestText = CheckIndependentEvaluator(in, first, false);
    if (longestText <= kGeneralPathLongest) {
      CheckIndependentEvaluator(in, first, true);
      CheckNumberFunctions(in);
    }
    Require(!sameHeap || peak <= PeakAllowed(in, longestText), "heap peak out of proportion to the input",
            "formula [" + in.formula.substr(0, 200) + "] peak " + std::to_string(peak) +
                " longest text " + std::to_string(longestText));
  }
  for (const std::string& prior : in.priors) Evaluate(prior);
  SetUpTables(in);
  const std::string again = Evaluate(in.formula);  // planned, where the formula has a plan
  SetUpTables(in);
  const std::string loop = Evaluate(in.formula);  // a loop's way: the plan that ran last
  for (const std::string& later : {again, loop}) {
    if (first != later) {
      Fail("same formula, same tables, different result",
           "formula [" + in.formula + "]\nfirst [" + first + "]\nlater [" + later + "]");
    }
  }
  if (!in.changesTables) CheckWithoutFunctions(in);
  return 0;
}
