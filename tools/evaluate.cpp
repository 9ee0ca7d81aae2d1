#include "evaluate.h"

#include <new>

#include "input_lines.h"
#include "output.h"

namespace formel_cli {

Evaluator::Evaluator(bool trace, bool standardFunctions, CheckFormat check) : ev_(formel_new()) {
  if (ev_ == nullptr) throw std::bad_alloc();
  if (standardFunctions && formel_register_standard_functions(ev_.get()) == 0) throw std::bad_alloc();
  if (trace) tracer_ = std::make_unique<Tracer>();
  if (check != CheckFormat::kNone) checker_ = std::make_unique<Checker>(check);
  if (trace || check != CheckFormat::kNone) formel_set_observer(ev_.get(), &Observe, this);
}

Evaluator::~Evaluator() { formel_set_observer(ev_.get(), nullptr, nullptr); }

// A trace or a check that runs out of memory just misses events.
void Evaluator::Observe(void* user, const formel_event* e) noexcept {
  auto& self = *static_cast<Evaluator*>(user);
  try {
    if (self.tracer_ != nullptr) self.tracer_->Record(*e);
    if (self.checker_ != nullptr) self.checker_->Record(*e);
  } catch (...) {
  }
}

void Evaluator::SetVariable(const std::string& name, const std::string& value) {
  formel_set_var(ev_.get(), name.c_str(), value.c_str());
}

std::string Evaluator::Evaluate(const std::string& formula) {
  if (tracer_ != nullptr) tracer_->Begin();
  if (checker_ != nullptr) checker_->Begin();
  return formel_evaluate(ev_.get(), formula.c_str());  // copied before the next call
}

void Evaluator::Print(const std::string& formula, long long line) {
  PrintResult(formula, Evaluate(formula), line);
}

void Evaluator::PrintResult(const std::string& formula, const std::string& result, long long line) {
  if (checker_ == nullptr || !checker_->ReplacesResultLine()) {
    if (tracer_ != nullptr) WriteOut(formula + "\n" + tracer_->Render());
    WriteOut(result + "\n");
  }
  if (checker_ != nullptr) checker_->Write(formula, result, line);
}

void Evaluator::PrintFile(const std::string& path) {
  Input input(path);
  std::string line;
  for (long long number = 1; input.NextLine(line); ++number) Print(line, number);
}

}  // namespace formel_cli
