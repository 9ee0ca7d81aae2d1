// One evaluator of the program: the library's evaluator with the standard
// functions when asked for, the trace view when tracing and the findings
// when checking.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check.h"
#include "formel_evaluator.h"
#include "tracer.h"

namespace formel_cli {

struct Evaluation {
  std::string result;
  std::optional<std::string> trace;  // when tracing: the formula, then its stages
  bool complete = true;  // false: the result went past the library's text limit
  std::vector<Finding> findings;    // with --check or --check=json
  std::optional<std::string> json;  // with --check=json: the line in the result's place
};

inline constexpr const char* kTooLongMessage = "result longer than the text limit";

// What the program writes for an evaluation: the formula and its trace when
// tracing, then the result line (or its JSON object).
std::string OutputLines(const Evaluation& evaluation);
// The findings as --check writes them on standard error, for the formula of
// that line or argument number; none with --check=json.
std::string FindingLines(const Evaluation& evaluation, long long line);
// The formula was the part of line from formulaAt on (an assignment's):
// the findings' offsets become the line's.
void PlaceInLine(Evaluation& evaluation, const std::string& line, std::size_t formulaAt);

class Evaluator {
 public:
  // Throws std::bad_alloc when no evaluator can be made.
  Evaluator(bool trace, bool standardFunctions, CheckFormat check = CheckFormat::kNone);
  ~Evaluator();
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  void SetVariable(const std::string& name, const std::string& value);
  void RemoveVariable(const std::string& name);
  // "" when not set.
  std::string Variable(const std::string& name);

  Evaluation Evaluate(const std::string& formula);
  // Whether a formula evaluated so far had a finding.
  bool Found() const { return found_; }

 private:
  // Called inside the library: must not throw. A trace or a check that runs
  // out of memory just misses events.
  static void Observe(void* user, const formel_event* e) noexcept;

  // An empty result is also what the library gives past its text limit:
  // evaluated again under an observer, the outermost level reports its
  // result only when it got there.
  bool Completes(const std::string& formula);

  struct Free {
    void operator()(formel_evaluator* ev) const { formel_free(ev); }
  };
  std::unique_ptr<formel_evaluator, Free> ev_;
  std::unique_ptr<Tracer> tracer_;
  CheckFormat check_;
  std::vector<Finding> findings_;  // of the formula in progress
  bool reachedResult_ = false;     // by the outermost formula in progress
  bool found_ = false;
};

}  // namespace formel_cli
