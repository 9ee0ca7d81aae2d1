#include "record_run.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <exception>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "field_columns.h"
#include "formel_evaluator.h"
#include "records/record_rules.h"
#include "records/shortfall.h"
#include "result_array.h"
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

// A thread of the run: its evaluator, its buffers, how it ended. Each
// worker's (written for every record) in cache lines of its own, and its
// evaluator made on its thread, where that thread's memory is.
struct alignas(64) Worker {
  std::size_t number;
  std::unique_ptr<RecordEvaluator> evaluator;
  std::vector<ColumnChunk> fields;  // one per header column
  ChunkResults results;
  std::vector<Failure> failures;    // of all its chunks
  std::exception_ptr error;
};

struct Run {
  static constexpr std::size_t kStopped = static_cast<std::size_t>(-1);

  const formel_records::RecordRules& rules;
  bool standardFunctions;
  const std::vector<std::pair<std::string, std::string>>& variables;
  std::deque<FieldColumn>& columns;
  std::size_t rows;
  std::size_t chunks;
  ResultArray& results;
  std::atomic<std::size_t> next{0};
  // The chunks whose fields are taken, and so may be read; kStopped when
  // taking failed. The calling thread holds the GIL until all are.
  std::atomic<std::size_t> readable{0};

  // Whether the chunk may be read, once it may; false when the run stops.
  bool AwaitReadable(std::size_t chunk) const {
    for (std::size_t now = readable.load(); now != kStopped; now = readable.load()) {
      if (chunk < now) return true;
      readable.wait(now);
    }
    return false;
  }
  void Readable(std::size_t count) {
    readable = count;
    readable.notify_all();
  }
  bool Taken() const { return readable.load() >= chunks; }
};

// The Python thread state that a thread of the run takes the GIL with: the
// calling thread's own, or one made the first time another thread needs
// the GIL (the calling thread may hold it then, taking the table) and
// kept until that thread ends.
class PythonThread {
 public:
  explicit PythonThread(bool own) : own_(own) {}

  void Ready() {
    if (!own_ || state_) return;
    state_.emplace();
    released_.emplace();
  }

 private:
  bool own_;
  std::optional<py::gil_scoped_acquire> state_;
  std::optional<py::gil_scoped_release> released_;  // gone first: state_ lets go of the GIL it takes back
};

// The chunk's fields are read and its results placed at once, by the
// thread, while they are still in the cache.
void EvaluateChunk(const Run& run, Worker& worker, std::size_t chunk) {
  const std::size_t first = chunk * kChunkRows;
  const std::size_t end = std::min(run.rows, first + kChunkRows);
  for (std::size_t column = 0; column < run.columns.size(); ++column) {
    run.columns[column].Read(chunk, worker.fields[column]);
  }
  ChunkResults& out = worker.results;
  out.bytes.clear();
  out.ends.clear();
  for (std::size_t row = first; row < end; ++row) {
    const ChunkFields fields{worker.fields, row - first};
    run.rules.Evaluate(*worker.evaluator, fields, [&](std::size_t formula, const auto& evaluation) {
      if (evaluation.shortfall != formel_records::Shortfall::kNone) {
        worker.failures.push_back(
            {row, formula, formel_records::ShortfallMessage(evaluation.shortfall, evaluation.longValue)});
      }
      out.bytes += evaluation.result;
      out.ends.push_back(out.bytes.size());
    });
  }
  run.results.Fill(out, first, worker.number);
}

void MakeUnmade(Run& run, Worker& worker, PythonThread& python) {
  python.Ready();
  const py::gil_scoped_acquire gil;
  run.results.MakeUnmade(worker.number);
}

// The strs that a thread's table lacks are made once the table is
// taken, so that the threads do not wait for the GIL meanwhile.
void Work(Run& run, Worker& worker, PythonThread& python) noexcept {
  try {
    if (!worker.evaluator) {
      worker.evaluator = std::make_unique<RecordEvaluator>(run.standardFunctions, run.variables);
      run.rules.Bind(*worker.evaluator);
    }
    for (std::size_t chunk = run.next++; chunk < run.chunks && run.AwaitReadable(chunk); chunk = run.next++) {
      EvaluateChunk(run, worker, chunk);
      if (run.results.HasUnmade(worker.number) && run.Taken()) MakeUnmade(run, worker, python);
    }
    if (run.results.HasUnmade(worker.number)) MakeUnmade(run, worker, python);
  } catch (...) {
    worker.error = std::current_exception();
    run.next = run.chunks;  // the others stop too
  }
}

void WorkOnThread(Run& run, Worker& worker) noexcept {
  PythonThread python(true);
  Work(run, worker, python);
}

// The calling thread takes the table's values chunk by chunk while the
// others evaluate the chunks taken, then evaluates too. Gives the
// failures of every thread, by row.
std::vector<Failure> RunThreads(Run& run, std::deque<Worker>& workers) {
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < workers.size(); ++i) {
    threads.emplace_back(WorkOnThread, std::ref(run), std::ref(workers[i]));
  }
  std::exception_ptr fault;
  try {
    for (std::size_t chunk = 0; chunk < run.chunks; ++chunk) {
      for (FieldColumn& column : run.columns) column.Take(chunk);
      run.Readable(chunk + 1);
    }
  } catch (...) {
    fault = std::current_exception();
    run.next = run.chunks;
    run.Readable(Run::kStopped);
  }
  {
    py::gil_scoped_release release;
    PythonThread python(false);
    if (!fault) Work(run, workers[0], python);
    for (std::thread& thread : threads) thread.join();
  }
  if (fault) {
    for (const FieldColumn& column : run.columns) column.RaiseFirstFault();
    std::rethrow_exception(fault);
  }
  for (const Worker& worker : workers) {
    if (worker.error) std::rethrow_exception(worker.error);
  }
  std::vector<Failure> all;
  for (Worker& worker : workers) std::move(worker.failures.begin(), worker.failures.end(), std::back_inserter(all));
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
    columns.emplace_back(rules.Header()[i], table.columns[i], table.rows, kChunkRows);
  }
  const auto setting = VariableTexts(variables);

  const std::size_t chunks = (table.rows + kChunkRows - 1) / kChunkRows;
  const std::size_t threads =
      std::clamp<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), 1, std::max<std::size_t>(chunks, 1));
  std::deque<Worker> workers;
  for (std::size_t i = 0; i < threads; ++i) {
    workers.push_back({i, nullptr, std::vector<ColumnChunk>(columns.size()), {}, {}, {}});
  }
  workers[0].evaluator = std::make_unique<RecordEvaluator>(standardFunctions, setting);
  rules.NoteValuesBefore(*workers[0].evaluator);
  rules.Bind(*workers[0].evaluator);
  ResultArray results(rules.Formulas().size(), table.rows, threads);
  Run run{rules, standardFunctions, setting, columns, table.rows, chunks, results};
  const std::vector<Failure> failures = RunThreads(run, workers);

  py::list names;
  for (const formel_records::FormulaColumn& formula : rules.Formulas()) names.append(StrOf(formula.heading));
  return py::make_tuple(names, results.Finish(), FailureList(failures));
}

}  // namespace formel_python
