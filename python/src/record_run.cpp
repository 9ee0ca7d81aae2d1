#include "record_run.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <exception>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "field_columns.h"
#include "formel_evaluator.h"
#include "records/record_rules.h"
#include "records/shortfall.h"
#include "result_strs.h"
#include "texts.h"

namespace formel_python {

namespace {

constexpr std::size_t kChunkRows = 4096;

// A library evaluator as the record rules use it.
class RecordEvaluator {
 public:
  struct Evaluation {
    const char* result;  // valid until the next Evaluate
    formel_records::Shortfall shortfall = formel_records::Shortfall::kNone;
    std::string longValue;
  };

  RecordEvaluator(bool standardFunctions, const std::vector<std::pair<std::string, std::string>>& variables)
      : ev_(formel_new(), &formel_free) {
    if (ev_ == nullptr || (standardFunctions && formel_register_standard_functions(ev_.get()) == 0)) {
      throw std::bad_alloc();
    }
    for (const auto& [name, value] : variables) SetVariable(name, value);
  }

  void SetVariable(const std::string& name, const char* value) {
    if (formel_set_var(ev_.get(), name.c_str(), value) == 0) throw std::bad_alloc();
  }
  void SetVariable(const std::string& name, const std::string& value) { SetVariable(name, value.c_str()); }
  void SetVariable(const std::string& name, std::string_view value) { SetVariable(name, std::string(value)); }
  void RemoveVariable(const std::string& name) { formel_remove_var(ev_.get(), name.c_str()); }
  std::string Variable(const std::string& name) { return formel_get_var(ev_.get(), name.c_str()); }
  // The library's result lives only until the next call, and an assigning
  // formula's result is set as a variable before it is taken.
  Evaluation Evaluate(const std::string& formula) {
    result_.assign(formel_evaluate(ev_.get(), formula.c_str()));
    return Evaluated(formula, result_.c_str());
  }

  // Nothing observes it: the rules bind their columns and formulas to it,
  // and a prepared run's result is taken where it lies (setting a slot
  // leaves it in place).
  formel_evaluator* Unobserved() { return ev_.get(); }
  std::unique_ptr<formel_records::RecordBinding>& Binding() { return binding_; }
  // "" is also what the library gives past a limit: then which one.
  Evaluation Evaluated(const std::string& formula, const char* result) {
    Evaluation evaluation{result, formel_records::Shortfall::kNone, {}};
    if (*result == '\0') {
      evaluation.result = "";  // not the buffer that the second evaluation reuses
      evaluation.shortfall = formel_records::ShortfallOf(ev_.get(), formula, evaluation.longValue);
    }
    return evaluation;
  }

 private:
  std::string result_;
  std::unique_ptr<formel_evaluator, void (*)(formel_evaluator*)> ev_;
  std::unique_ptr<formel_records::RecordBinding> binding_;  // released before ev_
};

// A formula that gave no result for a row, and why.
struct Failure {
  std::size_t row;
  std::size_t formula;
  std::string message;
};

// A thread's results of its latest chunk of rows, row by row, each row's
// formulas in order; the buffers serve the thread's every chunk.
struct ChunkResults {
  std::string bytes;
  std::vector<std::size_t> ends;
  std::vector<Failure> failures;  // of all the thread's chunks

  std::string_view At(std::size_t index) const {
    const std::size_t start = index == 0 ? 0 : ends[index - 1];
    return std::string_view(bytes).substr(start, ends[index] - start);
  }
};

// The results as a (formulas, rows) array of str, filled chunk by chunk
// while the GIL is held.
class ResultArray {
 public:
  ResultArray(std::size_t formulas, std::size_t rows)
      : array_(py::dtype("O"), {formulas, rows}),
        items_(static_cast<PyObject**>(array_.mutable_data())),
        formulas_(formulas),
        rows_(rows) {}

  void Fill(const ChunkResults& chunk, std::size_t firstRow) {
    for (std::size_t first = 0, row = firstRow; first < chunk.ends.size(); first += formulas_, ++row) {
      for (std::size_t f = 0; f < formulas_; ++f) {
        PyObject*& item = items_[f * rows_ + row];
        Py_XDECREF(item);  // a new object array holds nulls or None
        item = strs_.Make(chunk.At(first + f));
      }
    }
  }

  // The array, once every str counts its references.
  const py::array& Finish() {
    strs_.Settle();
    return array_;
  }

 private:
  py::array array_;
  PyObject** items_;
  std::size_t formulas_;
  std::size_t rows_;
  ResultStrs strs_;
};

struct Run {
  const formel_records::RecordRules& rules;
  const std::deque<FieldColumn>& columns;
  std::size_t rows;
  std::size_t chunks;
  ResultArray& results;
  std::atomic<std::size_t> next{0};
};

void EvaluateChunk(const Run& run, RecordEvaluator& evaluator, std::size_t chunk, ChunkResults& out) {
  out.bytes.clear();
  out.ends.clear();
  const std::size_t end = std::min(run.rows, (chunk + 1) * kChunkRows);
  for (std::size_t row = chunk * kChunkRows; row < end; ++row) {
    run.rules.Evaluate(evaluator, RowFields{run.columns, row}, [&](std::size_t formula, const auto& evaluation) {
      if (evaluation.shortfall != formel_records::Shortfall::kNone) {
        out.failures.push_back(
            {row, formula, formel_records::ShortfallMessage(evaluation.shortfall, evaluation.longValue)});
      }
      out.bytes += evaluation.result;
      out.ends.push_back(out.bytes.size());
    });
  }
}

// Each chunk's results become str at once, while they are still in the
// cache; the other threads go on evaluating meanwhile.
void Work(Run& run, RecordEvaluator& evaluator, ChunkResults& out, std::exception_ptr& failure) noexcept {
  try {
    for (std::size_t chunk = run.next++; chunk < run.chunks; chunk = run.next++) {
      EvaluateChunk(run, evaluator, chunk, out);
      const py::gil_scoped_acquire gil;
      run.results.Fill(out, chunk * kChunkRows);
    }
  } catch (...) {
    failure = std::current_exception();
    run.next = run.chunks;  // the others stop too
  }
}

// A thread of its own keeps one Python thread state for the whole run.
void WorkOnThread(Run& run, RecordEvaluator& evaluator, ChunkResults& out, std::exception_ptr& failure) noexcept {
  const py::gil_scoped_acquire state;
  const py::gil_scoped_release release;
  Work(run, evaluator, out, failure);
}

// The failures of every thread, by row.
std::vector<Failure> RunThreads(Run& run, std::vector<std::unique_ptr<RecordEvaluator>>& evaluators) {
  std::vector<std::exception_ptr> failures(evaluators.size());
  std::vector<ChunkResults> outs(evaluators.size());
  {
    py::gil_scoped_release release;
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < evaluators.size(); ++i) {
      threads.emplace_back(WorkOnThread, std::ref(run), std::ref(*evaluators[i]), std::ref(outs[i]),
                           std::ref(failures[i]));
    }
    Work(run, *evaluators[0], outs[0], failures[0]);
    for (std::thread& thread : threads) thread.join();
  }
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  std::vector<Failure> all;
  for (ChunkResults& out : outs) std::move(out.failures.begin(), out.failures.end(), std::back_inserter(all));
  std::sort(all.begin(), all.end(), [](const Failure& a, const Failure& b) {
    return a.row != b.row ? a.row < b.row : a.formula < b.formula;
  });
  return all;
}

// (row, formula, message) for each failure.
py::list FailureList(const std::vector<Failure>& failures) {
  py::list list;
  for (const Failure& failure : failures) {
    list.append(py::make_tuple(failure.row, failure.formula, StrOf(failure.message)));
  }
  return list;
}

std::vector<std::string> Texts(const py::list& list, const char* what) {
  std::vector<std::string> texts;
  for (const py::handle item : list) texts.push_back(BytesOf(item, what));
  return texts;
}

std::vector<std::pair<std::string, std::string>> VariableTexts(const py::list& variables) {
  std::vector<std::pair<std::string, std::string>> texts;
  for (const py::handle pair : variables) {
    const auto [name, value] = pair.cast<std::pair<py::object, py::object>>();
    std::string text;
    if (!ValueText(value, "variable value", text)) {
      throw py::type_error("a variable's value must be str or a number, not " + TypeName(value));
    }
    texts.emplace_back(BytesOf(name, "variable name"), std::move(text));
  }
  return texts;
}

std::string Joined(const std::vector<std::string>& messages) {
  std::string joined;
  for (const std::string& message : messages) joined += (joined.empty() ? "" : "; ") + message;
  return joined;
}

}  // namespace

py::tuple EvaluateRecords(const py::list& formulas, const RecordTable& table, const py::list& variables, int jobs,
                          bool standardFunctions) {
  formel_records::RecordRules rules(Texts(table.names, "column name"), Texts(formulas, "formula"));
  if (!rules.Repeated().empty()) throw py::value_error(Joined(rules.Repeated()));
  std::deque<FieldColumn> columns;
  for (std::size_t i = 0; i < rules.Header().size(); ++i) {
    columns.emplace_back(rules.Header()[i], table.columns[i], table.rows);
  }
  const auto setting = VariableTexts(variables);

  const std::size_t chunks = (table.rows + kChunkRows - 1) / kChunkRows;
  const std::size_t threads =
      std::clamp<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), 1, std::max<std::size_t>(chunks, 1));
  std::vector<std::unique_ptr<RecordEvaluator>> evaluators;
  for (std::size_t i = 0; i < threads; ++i) {
    evaluators.push_back(std::make_unique<RecordEvaluator>(standardFunctions, setting));
  }
  rules.NoteValuesBefore(*evaluators[0]);
  for (const auto& evaluator : evaluators) rules.Bind(*evaluator);
  ResultArray results(rules.Formulas().size(), table.rows);
  Run run{rules, columns, table.rows, chunks, results};
  const std::vector<Failure> failures = RunThreads(run, evaluators);

  py::list names;
  for (const formel_records::FormulaColumn& formula : rules.Formulas()) names.append(StrOf(formula.heading));
  return py::make_tuple(names, results.Finish(), FailureList(failures));
}

}  // namespace formel_python
