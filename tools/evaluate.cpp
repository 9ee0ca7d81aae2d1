#include "evaluate.h"

#include <new>
#include <string_view>

namespace formel_cli {

namespace {

void NoteOutermostResult(void* reached, const formel_event* e) noexcept {
  if (e->depth == 1 && std::string_view(e->name.data, e->name.size) == "result") {
    *static_cast<bool*>(reached) = true;
  }
}

}  // namespace

std::string OutputLines(const Evaluation& evaluation) {
  if (!evaluation.trace) return evaluation.result + "\n";
  return *evaluation.trace + evaluation.result + "\n";
}

Evaluator::Evaluator(bool trace, bool standardFunctions) : ev_(formel_new()) {
  if (ev_ == nullptr) throw std::bad_alloc();
  if (standardFunctions && formel_register_standard_functions(ev_.get()) == 0) throw std::bad_alloc();
  if (trace) tracer_ = std::make_unique<Tracer>(ev_.get());
}

void Evaluator::SetVariable(const std::string& name, const std::string& value) {
  if (formel_set_var(ev_.get(), name.c_str(), value.c_str()) == 0) throw std::bad_alloc();
}

void Evaluator::RemoveVariable(const std::string& name) { formel_remove_var(ev_.get(), name.c_str()); }

std::string Evaluator::Variable(const std::string& name) { return formel_get_var(ev_.get(), name.c_str()); }

Evaluation Evaluator::Evaluate(const std::string& formula) {
  if (tracer_ != nullptr) tracer_->Begin();
  Evaluation evaluation{formel_evaluate(ev_.get(), formula.c_str()), std::nullopt, true};
  if (tracer_ != nullptr) {
    evaluation.trace = formula + "\n" + tracer_->Render();
    evaluation.complete = !evaluation.result.empty() || tracer_->ReachedResult();
  } else if (evaluation.result.empty()) {
    evaluation.complete = Completes(formula);
  }
  return evaluation;
}

bool Evaluator::Completes(const std::string& formula) {
  bool reached = false;
  formel_set_observer(ev_.get(), &NoteOutermostResult, &reached);
  formel_evaluate(ev_.get(), formula.c_str());
  formel_set_observer(ev_.get(), nullptr, nullptr);
  return reached;
}

}  // namespace formel_cli
