#include "record_batch.h"

#include <utility>

#include "batch_run.h"
#include "csv_reader.h"
#include "csv_writer.h"
#include "output.h"
#include "records/record_rules.h"
#include "status_line.h"

namespace formel_cli {

namespace {

// What every record needs; read only while records are evaluated.
struct Run {
  std::string file;
  char delimiter;
  formel_records::RecordRules rules;  // made again once the header is read

  std::string Place(const CsvRecord& record) const { return file + ": record " + std::to_string(record.number); }

  std::string Problem(const CsvRecord& record) const {
    if (!record.problem.empty()) return record.problem;
    const std::size_t n = record.Size();
    const std::size_t expected = rules.Header().size();
    if (n != expected) {
      return std::to_string(n) + (n == 1 ? " field" : " fields") + ", the header has " + std::to_string(expected);
    }
    if (record.bytes.find('\0') == std::string::npos) return {};
    for (std::size_t i = 0; i < n; ++i) {
      if (std::string nul = NulByteProblem(record[i]); !nul.empty()) {
        return "field " + std::to_string(i + 1) + ": " + nul;
      }
    }
    return {};
  }
};

// Evaluates the formulas for a good record: its results, and a message for
// each formula that gave none.
void WriteResults(const Run& run, Evaluator& evaluator, const CsvRecord& record, CsvRowWriter& row,
                  std::vector<std::string>& messages) {
  run.rules.Evaluate(evaluator, record, [&](std::size_t i, const auto& evaluation) {
    if (!evaluation.Complete()) {
      messages.push_back(run.Place(record) + ", formula " + std::to_string(i + 1) + ": " + ShortfallMessage(evaluation));
    }
    row.Field(evaluation.result);
  });
}

// The record's fields and results, written straight into what the chunk
// prints; a bad record gets empty results and a message.
void Evaluate(const Run& run, Evaluator& evaluator, const CsvRecord& record, Printed& printed) {
  CsvRowWriter row(printed.NextItem(), run.delimiter);
  for (std::size_t i = 0; i < record.Size(); ++i) row.Field(record[i]);
  std::vector<std::string> messages;
  if (const std::string problem = run.Problem(record); !problem.empty()) {
    for (std::size_t i = 0; i < run.rules.Formulas().size(); ++i) row.Field({});
    messages.push_back(run.Place(record) + ": " + problem);
  } else {
    WriteResults(run, evaluator, record, row, messages);
  }
  row.End();
  for (std::string& message : messages) printed.Message(std::move(message));
}

std::string HeaderRow(const Run& run) {
  std::string out;
  CsvRowWriter row(out, run.delimiter);
  for (const std::string& name : run.rules.Header()) row.Field(name);
  for (const formel_records::FormulaColumn& formula : run.rules.Formulas()) row.Field(formula.heading);
  row.End();
  return out;
}

// The first row names the columns. False when it is bad (reported).
bool TakeHeader(CsvReader& reader, Run& run, const std::vector<std::string>& formulas) {
  CsvRecord header;
  if (!reader.Next(header)) return true;
  run.rules = formel_records::RecordRules(header.Texts(), formulas);
  for (const std::string& repeated : run.rules.Repeated()) ReportMessage(run.Place(header) + ": " + repeated);
  if (!header.problem.empty()) ReportMessage(run.Place(header) + ": " + header.problem);
  return run.rules.Repeated().empty() && header.problem.empty();
}

}  // namespace

bool RunTable(EvaluatorTeam& team, const Table& table, const std::vector<std::string>& formulas, bool quiet) {
  Input input(table.path);
  CsvReader reader(input, table.delimiter);
  Run run{input.Name(), table.delimiter, formel_records::RecordRules({}, formulas)};
  const bool goodHeader = TakeHeader(reader, run, formulas);
  if (!run.rules.Header().empty() || !run.rules.Formulas().empty()) WriteOut(HeaderRow(run));
  run.rules.NoteValuesBefore(team.Main());
  // The handles go when the run's rules do: a later run binds anew.
  struct Unbind {
    EvaluatorTeam& team;
    ~Unbind() {
      for (int member = 0; member < team.Size(); ++member) team[member].Binding().reset();
    }
  } unbind{team};
  for (int member = 0; member < team.Size(); ++member) run.rules.Bind(team[member]);

  BatchRun<CsvRecord> batch(team, input, "records", quiet,
                            [&](Evaluator& evaluator, const CsvRecord& record, Printed& printed) {
                              Evaluate(run, evaluator, record, printed);
                            });
  batch.Run([&](BatchRun<CsvRecord>& records) {
    CsvRecord record;
    while (reader.Next(record)) records.Add(std::move(record), reader.Ready());
  });
  return goodHeader && batch.Good();
}

}  // namespace formel_cli
