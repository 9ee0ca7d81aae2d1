// How the formulas of a table run see one record, for every host that runs
// them (the formel program's CSV runs, the Python package's data frames):
// the record's columns are set as variables under their header names, the
// formulas run in order, and "[NAME] := FORMULA" also sets NAME for the
// later formulas of the same record. Every record starts from the variables
// the run began with, so results do not depend on which evaluator, or in
// which order, the records are evaluated.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/record_binding.h"
#include "records/record_columns.h"

namespace formel_records {

// An evaluator as the rules use it:
//   SetVariable(name, value)  value a field of the record, or a result
//   RemoveVariable(name)
//   Variable(name)            the value as a std::string, "" when not set
//   Evaluate(formula)         something whose .result the evaluator takes
//                             back as a value
//   Binding()                 a std::unique_ptr<RecordBinding>& that Bind
//                             fills, declared after the library evaluator
//   Unobserved()              the library evaluator, or null while an
//                             observer needs every evaluation the general
//                             way (a trace, findings)
//   Evaluated(formula, text)  a prepared run's result text as Evaluate's
//                             kind of result
// Fields: fields[column] converts to std::string_view.
class RecordRules {
 public:
  // Throws std::bad_alloc.
  RecordRules(std::vector<std::string> header, const std::vector<std::string>& formulas)
      : header_(std::move(header)), columns_(ReadHeader(header_)), formulas_(ReadFormulaColumns(formulas)) {
    HeadFormulaColumns(header_, formulas_);
  }

  const std::vector<std::string>& Header() const { return header_; }
  const std::vector<FormulaColumn>& Formulas() const { return formulas_; }
  // One message per header name that an earlier column already has; only
  // the first column of a name is set.
  const std::vector<std::string>& Repeated() const { return columns_.repeated; }

  // Each record starts from the values that the assigned variables have in
  // evaluator now. Call before any record is evaluated.
  template <class Evaluator>
  void NoteValuesBefore(Evaluator& evaluator) {
    before_.clear();
    for (const FormulaColumn& formula : formulas_) {
      before_.push_back(formula.assigns ? evaluator.Variable(formula.name) : std::string());
    }
  }

  // Binds the columns and formulas to evaluator for this run, unless it is
  // observed: its records then set slots and run prepared formulas. Call
  // after NoteValuesBefore, while no record is evaluated. Throws
  // std::bad_alloc.
  template <class Evaluator>
  void Bind(Evaluator& evaluator) const {
    evaluator.Binding().reset();
    formel_evaluator* ev = evaluator.Unobserved();
    if (ev == nullptr) return;
    std::vector<const std::string*> columns;
    for (const std::size_t column : columns_.variables) columns.push_back(&header_[column]);
    std::vector<std::string> texts;
    std::vector<const std::string*> assigned;
    for (const FormulaColumn& formula : formulas_) {
      texts.push_back(formula.formula);
      assigned.push_back(formula.assigns ? &formula.name : nullptr);
    }
    evaluator.Binding() = std::make_unique<RecordBinding>(ev, columns, texts, assigned);
  }

  // Evaluates the formulas for one record; fields[column] is the record's
  // field of that header column. take(index, evaluation) receives each
  // formula's evaluation in order. The one place where a record meets an
  // evaluator: a faster way to set columns or to run formulas goes here.
  template <class Evaluator, class Fields, class Take>
  void Evaluate(Evaluator& evaluator, const Fields& fields, Take&& take) const {
    const std::unique_ptr<RecordBinding>& bound = evaluator.Binding();
    if (bound != nullptr && bound->Evaluator() == evaluator.Unobserved()) {
      EvaluateBound(*bound, evaluator, fields, take);
      return;
    }
    for (std::size_t i = 0; i < formulas_.size(); ++i) {
      if (formulas_[i].assigns) Restore(evaluator, formulas_[i].name, before_[i]);
    }
    for (const std::size_t column : columns_.variables) evaluator.SetVariable(header_[column], fields[column]);
    for (std::size_t i = 0; i < formulas_.size(); ++i) {
      auto evaluation = evaluator.Evaluate(formulas_[i].formula);
      if (formulas_[i].assigns) evaluator.SetVariable(formulas_[i].name, evaluation.result);
      take(i, evaluation);
    }
  }

 private:
  // As the general way, with two differences no result can tell: an
  // assigned name with no value before is set empty rather than removed
  // (only an observer hears the difference, and observed evaluators are
  // not bound), and a field goes to its slot without a copy.
  template <class Evaluator, class Fields, class Take>
  void EvaluateBound(const RecordBinding& bound, Evaluator& evaluator, const Fields& fields, Take& take) const {
    for (std::size_t i = 0; i < formulas_.size(); ++i) {
      if (formulas_[i].assigns) bound.Assign(i, before_[i]);
    }
    for (std::size_t k = 0; k < columns_.variables.size(); ++k) {
      bound.SetColumn(k, std::string_view(fields[columns_.variables[k]]));
    }
    for (std::size_t i = 0; i < formulas_.size(); ++i) {
      auto evaluation = evaluator.Evaluated(formulas_[i].formula, bound.Run(i));
      if (formulas_[i].assigns) bound.Assign(i, std::string_view(evaluation.result));
      take(i, evaluation);
    }
  }

  template <class Evaluator>
  static void Restore(Evaluator& evaluator, const std::string& name, const std::string& value) {
    if (value.empty()) {
      evaluator.RemoveVariable(name);
    } else {
      evaluator.SetVariable(name, value);
    }
  }

  std::vector<std::string> header_;
  HeaderColumns columns_;
  std::vector<FormulaColumn> formulas_;
  std::vector<std::string> before_;  // per formula: its variable's value before the run
};

}  // namespace formel_records
