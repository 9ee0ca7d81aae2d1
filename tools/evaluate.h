// Evaluating formulas and printing their results, one line each.
#pragma once

#include <memory>
#include <string>

#include "formel_evaluator.h"
#include "tracer.h"

namespace formel_cli {

// The program's evaluator, with the standard functions when asked for.
class Evaluator {
 public:
  // Throws std::bad_alloc when no evaluator can be made.
  Evaluator(bool trace, bool standardFunctions);

  void SetVariable(const std::string& name, const std::string& value);

  // Evaluates one formula and returns its result text.
  std::string Evaluate(const std::string& formula);
  // Evaluates one formula and writes its result line. Throws OutputError.
  void Print(const std::string& formula);
  // Writes the result line of a formula just evaluated, after its trace when
  // tracing. Throws OutputError.
  void PrintResult(const std::string& formula, const std::string& result);
  // Every line of a file ("-" is standard input). Throws FileError and
  // OutputError.
  void PrintFile(const std::string& path);

 private:
  struct Free {
    void operator()(formel_evaluator* ev) const { formel_free(ev); }
  };
  std::unique_ptr<formel_evaluator, Free> ev_;
  std::unique_ptr<Tracer> tracer_;
};

}  // namespace formel_cli
