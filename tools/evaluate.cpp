#include "evaluate.h"

#include <new>

#include "input_lines.h"
#include "output.h"

namespace formel_cli {

Evaluator::Evaluator(bool trace, bool standardFunctions) : ev_(formel_new()) {
  if (ev_ == nullptr) throw std::bad_alloc();
  if (standardFunctions && formel_register_standard_functions(ev_.get()) == 0) throw std::bad_alloc();
  if (trace) tracer_ = std::make_unique<Tracer>(ev_.get());
}

void Evaluator::SetVariable(const std::string& name, const std::string& value) {
  formel_set_var(ev_.get(), name.c_str(), value.c_str());
}

std::string Evaluator::Evaluate(const std::string& formula) {
  if (tracer_ != nullptr) tracer_->Begin();
  return formel_evaluate(ev_.get(), formula.c_str());  // copied before the next call
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
