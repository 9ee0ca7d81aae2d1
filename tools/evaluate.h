// Evaluating formulas and printing their results, one line each.
#pragma once

#include <memory>
#include <string>

#include "check.h"
#include "formel_evaluator.h"
#include "tracer.h"

namespace formel_cli {

// The program's evaluator, with the standard functions when asked for, and
// the trace and the findings of each formula when asked for.
class Evaluator {
 public:
  // Throws std::bad_alloc when no evaluator can be made.
  Evaluator(bool trace, bool standardFunctions, CheckFormat check = CheckFormat::kNone);
  ~Evaluator();
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  void SetVariable(const std::string& name, const std::string& value);

  // Evaluates one formula and returns its result text.
  std::string Evaluate(const std::string& formula);
  // Evaluates one formula and writes its result line. line: its line or
  // argument number, for its findings. Throws OutputError.
  void Print(const std::string& formula, long long line);
  // Writes the result line of a formula just evaluated, after its trace when
  // tracing, and its findings when checking. Throws OutputError.
  void PrintResult(const std::string& formula, const std::string& result, long long line);
  // Every line of a file ("-" is standard input). Throws FileError and
  // OutputError.
  void PrintFile(const std::string& path);
  // Whether a formula evaluated so far had a finding.
  bool Found() const { return checker_ != nullptr && checker_->Found(); }

 private:
  // Called inside the library: must not throw.
  static void Observe(void* user, const formel_event* e) noexcept;

  struct Free {
    void operator()(formel_evaluator* ev) const { formel_free(ev); }
  };
  std::unique_ptr<formel_evaluator, Free> ev_;
  std::unique_ptr<Tracer> tracer_;
  std::unique_ptr<Checker> checker_;
};

}  // namespace formel_cli
