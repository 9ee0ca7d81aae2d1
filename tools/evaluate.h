// Evaluating formulas and printing their results, one line each.
#pragma once

#include <memory>
#include <string>

#include "tracer.h"

namespace formel_cli {

class Evaluator {
 public:
  explicit Evaluator(bool trace);

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
  std::unique_ptr<Tracer> tracer_;
};

}  // namespace formel_cli
