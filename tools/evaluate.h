// One evaluator of the program: the library's evaluator with the standard
// functions when asked for, the trace view when tracing and the findings
// when checking.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "formel_evaluator.h"
#include "records/record_binding.h"
#include "records/shortfall.h"
#include "tracer.h"

namespace formel_cli {

using formel_records::Shortfall;
using formel_records::ShortfallMessage;

struct Evaluation {
  std::string result;
  std::optional<std::string> trace;  // when tracing: the formula, then its stages
  Shortfall shortfall = Shortfall::kNone;
  std::string longValue;             // kValueTooLong: the reference, as "[name]"
  std::vector<Finding> findings;     // with --check or --check=json
  std::optional<std::string> json;   // with --check=json: the line in the result's place
  // A line that is almost surely not what was meant, though it has a
  // result: "x := 3" assigns nothing.
  std::string mistake;

  bool Complete() const { return shortfall == Shortfall::kNone && mistake.empty(); }
};

// A prepared formula's evaluation on an evaluator that nothing observes:
// the result stays in the library's buffer until the next call on it.
struct PreparedEvaluation {
  std::string_view result;
  Shortfall shortfall = Shortfall::kNone;
  std::string longValue;

  bool Complete() const { return shortfall == Shortfall::kNone; }
};

// The one-line message for an evaluation that is not complete, such as
// "result longer than the text limit (4 MiB)", or its mistake.
std::string ShortfallMessage(const Evaluation& evaluation);
inline std::string ShortfallMessage(const PreparedEvaluation& evaluation) {
  return ShortfallMessage(evaluation.shortfall, evaluation.longValue);
}

// What the program writes for an evaluation: the formula and its trace when
// tracing, then the result line (or its JSON object).
std::string OutputLines(const Evaluation& evaluation);
// The findings as --check writes them on standard error, for the formula of
// that line or argument number; none with --check=json.
std::string FindingLines(const Evaluation& evaluation, long long line);
// The formula was the part of line from formulaAt on (an assignment's):
// the findings' offsets become the line's.
void PlaceInLine(Evaluation& evaluation, const std::string& line, std::size_t formulaAt);

class Evaluator;
// Evaluates a line that is no assignment; one that looks like an
// assignment without brackets gets its mistake.
Evaluation EvaluateFormulaLine(Evaluator& evaluator, const std::string& line);

class Evaluator {
 public:
  // Throws std::bad_alloc when no evaluator can be made.
  Evaluator(bool trace, bool standardFunctions, CheckFormat check = CheckFormat::kNone);
  ~Evaluator();
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  void SetVariable(const std::string& name, std::string_view value);
  void RemoveVariable(const std::string& name);
  // "" when not set.
  std::string Variable(const std::string& name);

  Evaluation Evaluate(const std::string& formula);

  // What record rules bind to (records/record_rules.h): the library
  // evaluator, unless a trace or --check observes it; and a prepared run's
  // result text, whose shortfall is found when it is empty.
  formel_evaluator* Unobserved() { return tracer_ == nullptr && check_ == CheckFormat::kNone ? ev_.get() : nullptr; }
  std::unique_ptr<formel_records::RecordBinding>& Binding() { return binding_; }
  PreparedEvaluation Evaluated(const std::string& formula, const char* result);
  // Whether a formula evaluated so far had a finding.
  bool Found() const { return found_; }

 private:
  // Called inside the library: must not throw. A trace or a check that runs
  // out of memory just misses events.
  static void Observe(void* user, const formel_event* e) noexcept;

  struct Free {
    void operator()(formel_evaluator* ev) const { formel_free(ev); }
  };
  std::unique_ptr<formel_evaluator, Free> ev_;
  std::unique_ptr<formel_records::RecordBinding> binding_;  // released before ev_
  std::unique_ptr<Tracer> tracer_;
  CheckFormat check_;
  std::vector<Finding> findings_;  // of the formula in progress
  formel_records::LimitNotes notes_;  // of the formula in progress
  bool found_ = false;
};

}  // namespace formel_cli
