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
  if (evaluation.json) return *evaluation.json;
  if (!evaluation.trace) return evaluation.result + "\n";
  return *evaluation.trace + evaluation.result + "\n";
}

std::string FindingLines(const Evaluation& evaluation, long long line) {
  return evaluation.json ? std::string() : GnuLines(line, evaluation.findings);
}

void PlaceInLine(Evaluation& evaluation, const std::string& line, std::size_t formulaAt) {
  const auto shift = static_cast<long long>(formulaAt);
  for (Finding& f : evaluation.findings) {
    if (f.start < 0) continue;
    f.start += shift;
    f.end += shift;
  }
  if (evaluation.json) evaluation.json = JsonLine(line, evaluation.result, evaluation.findings);
}

Evaluator::Evaluator(bool trace, bool standardFunctions, CheckFormat check)
    : ev_(formel_new()), check_(check) {
  if (ev_ == nullptr) throw std::bad_alloc();
  if (standardFunctions && formel_register_standard_functions(ev_.get()) == 0) throw std::bad_alloc();
  if (trace) tracer_ = std::make_unique<Tracer>();
  if (trace || check != CheckFormat::kNone) formel_set_observer(ev_.get(), &Observe, this);
}

Evaluator::~Evaluator() { formel_set_observer(ev_.get(), nullptr, nullptr); }

void Evaluator::Observe(void* user, const formel_event* e) noexcept {
  auto& self = *static_cast<Evaluator*>(user);
  NoteOutermostResult(&self.reachedResult_, e);
  try {
    if (self.tracer_ != nullptr) self.tracer_->Record(*e);
    if (self.check_ != CheckFormat::kNone && e->kind == FORMEL_EVENT_FINDING) {
      self.findings_.push_back(FindingOf(*e));
    }
  } catch (...) {
  }
}

void Evaluator::SetVariable(const std::string& name, const std::string& value) {
  if (formel_set_var(ev_.get(), name.c_str(), value.c_str()) == 0) throw std::bad_alloc();
}

void Evaluator::RemoveVariable(const std::string& name) { formel_remove_var(ev_.get(), name.c_str()); }

std::string Evaluator::Variable(const std::string& name) { return formel_get_var(ev_.get(), name.c_str()); }

Evaluation Evaluator::Evaluate(const std::string& formula) {
  const bool observed = tracer_ != nullptr || check_ != CheckFormat::kNone;
  if (tracer_ != nullptr) tracer_->Begin();
  findings_.clear();
  reachedResult_ = false;
  Evaluation evaluation{formel_evaluate(ev_.get(), formula.c_str()), std::nullopt, true, {}, {}};
  if (tracer_ != nullptr) evaluation.trace = formula + "\n" + tracer_->Render();
  if (observed) {
    evaluation.complete = !evaluation.result.empty() || reachedResult_;
  } else if (evaluation.result.empty()) {
    evaluation.complete = Completes(formula);
  }
  found_ = found_ || !findings_.empty();
  if (check_ == CheckFormat::kJson) {
    evaluation.json = JsonLine(formula, evaluation.result, findings_);
  }
  evaluation.findings = std::move(findings_);
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
