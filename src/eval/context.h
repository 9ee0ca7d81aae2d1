// Everything one evaluator's evaluations use: the workspace their texts are
// built in, the two tables, the scratch kept from call to call, the budgets
// of the evaluation in progress, the observer and the switch that turns the
// shortcuts off. Nothing in it is shared with another evaluator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "formel_evaluator.h"
#include "frame/string_workspace.h"
#include "registry/func_table.h"
#include "registry/var_table.h"

namespace formel {

struct ParenIndex;
class RepeatedFormula;
class PlanCache;

// Who listens to the evaluation (observer/observer.h reports to it).
struct Observer {
  formel_observer callback = nullptr;
  void* user = nullptr;
  // Set while the callback runs: it must not re-enter its evaluator.
  bool reporting = false;
};

// A value that a stage put into the formula as formula text while an
// observer listens (observer/value_findings.h): the reference or call it
// came from, and the start of its finding's message.
struct InsertedValue {
  std::ptrdiff_t start = -1;  // the reference or call in the outermost formula
  std::ptrdiff_t end = -1;
  bool reported = false;  // a finding named it: once is enough
  char message[120];
  std::size_t messageSize = 0;
};

struct EvalContext {
  EvalContext(std::pmr::memory_resource* heap, std::size_t workspaceBlock);

  std::pmr::memory_resource* heap;
  StringWorkspace workspace;
  FuncTable funcs;
  VarTable vars;

  int evalDepth = 0;            // Formel levels in progress, groups included
  std::size_t quotingLeft = 0;  // bytes quoting may still add in this evaluation
  std::string_view outermost;   // the formula of the outermost level in progress
  ParenIndex* parenIndex = nullptr;  // of the outermost formula text
  // Scratch kept from call to call, so that a short formula allocates
  // nothing for them: the operator passes' quote parity, the bracket
  // matching of variable substitution, and the paren index of the
  // outermost formula (a formula that a host function evaluates while
  // that index lives gets its own).
  std::pmr::vector<std::uint8_t> quoteParity;
  std::pmr::vector<std::uint32_t> closeScratch;
  std::pmr::vector<std::uint32_t> openScratch;
  std::pmr::vector<std::uint32_t> parenScratch;
  // The values put in as formula text during the observed evaluation in
  // progress; number k (in origins) is inserted[k - 1].
  std::pmr::vector<InsertedValue> inserted;
  // The last outermost formula of references and plain arithmetic, owned
  // by the evaluator; null: that shortcut is not kept.
  RepeatedFormula* repeated = nullptr;
  // Outermost formulas met again, prepared (shortcuts/plan_cache.h), owned
  // by the evaluator; null: none are kept.
  PlanCache* plans = nullptr;

  // General path only: when true, the shortcuts (shortcuts/shortcuts.h)
  // stand aside and each formula takes the stages' general path. Asked for
  // by the differential tests, which compare every input both ways: then
  // every shortcut stands aside. On while an observer listens too, whose
  // reports come from that path; only the growing literal keeps running
  // then (GeneralPathAsked): its steps are joins, which report nothing,
  // and without it an observed chain of joins would take time in the
  // square of its length.
  bool GeneralPathOnly() const { return generalPathOnly_; }
  bool GeneralPathAsked() const { return generalPathAsked_; }
  void SetObserver(formel_observer callback, void* user);
  void AskGeneralPathOnly(bool on);

  bool Observed() const { return observer_.callback != nullptr; }
  const Observer& Listener() const { return observer_; }
  // The callback runs: it must not re-enter the evaluator meanwhile.
  void SetReporting(bool on) { observer_.reporting = on; }

  // The stages that fill the scratch above say so; the trim at the end of
  // every call looks at it only then (a prepared plan's run never does).
  void UseScratch() { scratchInUse_ = true; }
  // Gives back scratch grown by a long formula.
  void TrimScratch() {
    if (scratchInUse_) TrimUsedScratch();
  }

 private:
  void TrimUsedScratch();
  void UpdateSwitch() { generalPathOnly_ = generalPathAsked_ || observer_.callback != nullptr; }

  Observer observer_;
  bool generalPathAsked_ = false;
  bool generalPathOnly_ = false;
  bool scratchInUse_ = false;
};

}  // namespace formel
