#include "evaluate.h"

#include "formel.h"
#include "input_lines.h"
#include "output.h"

namespace formel_cli {

Evaluator::Evaluator(bool trace) : tracer_(trace ? std::make_unique<Tracer>() : nullptr) {}

std::string Evaluator::Evaluate(const std::string& formula) {
  if (tracer_ != nullptr) tracer_->Begin();
  return Formel(formula.c_str());  // copied before the next call into the library
}

void Evaluator::Print(const std::string& formula) { PrintResult(formula, Evaluate(formula)); }

void Evaluator::PrintResult(const std::string& formula, const std::string& result) {
  if (tracer_ != nullptr) WriteOut(formula + "\n" + tracer_->Render());
  WriteOut(result + "\n");
}

void Evaluator::PrintFile(const std::string& path) {
  Input input(path);
  std::string line;
  while (input.NextLine(line)) Print(line);
}

}  // namespace formel_cli
