#include "evaluate.h"

#include <new>

#include "assignment.h"

namespace formel_cli {

std::string ShortfallMessage(const Evaluation& evaluation) {
  if (evaluation.shortfall == Shortfall::kNone) return evaluation.mistake;
  return ShortfallMessage(evaluation.shortfall, evaluation.longValue);
}

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

Evaluation EvaluateFormulaLine(Evaluator& evaluator, const std::string& line) {
  Evaluation evaluation = evaluator.Evaluate(line);
  if (const auto bracketed = BracketedForm(line)) {
    evaluation.mistake = "this sets no variable (it is evaluated as it stands); to assign, write " + *bracketed;
  }
  return evaluation;
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
  try {
    formel_records::NoteLimits(self.notes_, *e);
    if (self.tracer_ != nullptr) self.tracer_->Record(*e);
    if (self.check_ != CheckFormat::kNone && e->kind == FORMEL_EVENT_FINDING) {
      self.findings_.push_back(FindingOf(*e));
    }
  } catch (...) {
  }
}

void Evaluator::SetVariable(const std::string& name, std::string_view value) {
  if (formel_set_var(ev_.get(), name.c_str(), std::string(value).c_str()) == 0) throw std::bad_alloc();
}

void Evaluator::RemoveVariable(const std::string& name) { formel_remove_var(ev_.get(), name.c_str()); }

std::string Evaluator::Variable(const std::string& name) { return formel_get_var(ev_.get(), name.c_str()); }

Evaluation Evaluator::Evaluate(const std::string& formula) {
  const bool observed = tracer_ != nullptr || check_ != CheckFormat::kNone;
  if (tracer_ != nullptr) tracer_->Begin();
  findings_.clear();
  notes_ = {};
  Evaluation evaluation;
  evaluation.result = formel_evaluate(ev_.get(), formula.c_str());
  if (tracer_ != nullptr) evaluation.trace = formula + "\n" + tracer_->Render();
  if (observed) {
    if (evaluation.result.empty()) evaluation.shortfall = formel_records::ShortfallFrom(notes_, formula);
    evaluation.longValue = std::move(notes_.longValue);
  } else if (evaluation.result.empty()) {
    evaluation.shortfall = formel_records::ShortfallOf(ev_.get(), formula, evaluation.longValue);
  }
  found_ = found_ || !findings_.empty();
  if (check_ == CheckFormat::kJson) {
    evaluation.json = JsonLine(formula, evaluation.result, findings_);
  }
  evaluation.findings = std::move(findings_);
  return evaluation;
}

PreparedEvaluation Evaluator::Evaluated(const std::string& formula, const char* result) {
  PreparedEvaluation evaluation;
  evaluation.result = result;
  if (evaluation.result.empty()) {
    evaluation.shortfall = formel_records::ShortfallOf(ev_.get(), formula, evaluation.longValue);
    evaluation.result = {};  // not the buffer that the second evaluation reused
  }
  return evaluation;
}

}  // namespace formel_cli
