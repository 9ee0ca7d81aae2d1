#include "record_batch.h"

#include <map>
#include <utility>

#include "batch_run.h"
#include "csv_reader.h"
#include "csv_writer.h"
#include "output.h"
#include "status_line.h"
#include "table_columns.h"

namespace formel_cli {

namespace {

// What every record needs; read only while records are evaluated.
struct Run {
  std::string file;
  char delimiter;
  std::vector<std::string> header;
  HeaderColumns columns;
  std::vector<FormulaColumn> formulas;
  // The variables that formulas assign, with their values before the run.
  std::map<std::string, std::string> before;

  std::string Place(const CsvRecord& record) const { return file + ": record " + std::to_string(record.number); }

  std::string Problem(const CsvRecord& record) const {
    if (!record.problem.empty()) return record.problem;
    const std::size_t n = record.fields.size();
    if (n != header.size()) {
      return std::to_string(n) + (n == 1 ? " field" : " fields") + ", the header has " + std::to_string(header.size());
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (std::string nul = NulByteProblem(record.fields[i]); !nul.empty()) {
        return "field " + std::to_string(i + 1) + ": " + nul;
      }
    }
    return {};
  }
};

void Restore(Evaluator& evaluator, const std::string& name, const std::string& value) {
  if (value.empty()) {
    evaluator.RemoveVariable(name);
  } else {
    evaluator.SetVariable(name, value);
  }
}

// Evaluates the formulas for a good record: its results, and a message for
// each formula that gave none.
void WriteResults(const Run& run, Evaluator& evaluator, const CsvRecord& record, CsvRowWriter& row,
                  std::vector<std::string>& messages) {
  for (const FormulaColumn& formula : run.formulas) {
    if (formula.assigns) Restore(evaluator, formula.name, run.before.at(formula.name));
  }
  for (const std::size_t column : run.columns.variables) evaluator.SetVariable(run.header[column], record.fields[column]);
  std::size_t number = 0;
  for (const FormulaColumn& formula : run.formulas) {
    const Evaluation evaluation = evaluator.Evaluate(formula.formula);
    ++number;
    if (!evaluation.Complete()) {
      messages.push_back(run.Place(record) + ", formula " + std::to_string(number) + ": " + ShortfallMessage(evaluation));
    }
    if (formula.assigns) evaluator.SetVariable(formula.name, evaluation.result);
    row.Field(evaluation.result);
  }
}

// The record's fields and results; a bad record gets empty results and a
// message.
void Evaluate(const Run& run, Evaluator& evaluator, const CsvRecord& record, Printed& printed) {
  std::string line;
  CsvRowWriter row(line, run.delimiter);
  for (const std::string& field : record.fields) row.Field(field);
  std::vector<std::string> messages;
  if (const std::string problem = run.Problem(record); !problem.empty()) {
    for (std::size_t i = 0; i < run.formulas.size(); ++i) row.Field({});
    messages.push_back(run.Place(record) + ": " + problem);
  } else {
    WriteResults(run, evaluator, record, row, messages);
  }
  row.End();
  printed.Item(line);
  for (std::string& message : messages) printed.Message(std::move(message));
}

std::string HeaderRow(const Run& run) {
  std::string out;
  CsvRowWriter row(out, run.delimiter);
  for (const std::string& name : run.header) row.Field(name);
  for (const FormulaColumn& formula : run.formulas) row.Field(formula.heading);
  row.End();
  return out;
}

// The first row names the columns. False when it is bad (reported).
bool TakeHeader(CsvReader& reader, Run& run) {
  CsvRecord header;
  if (!reader.Next(header)) return true;
  run.header = header.fields;
  run.columns = ReadHeader(run.header);
  for (const std::string& repeated : run.columns.repeated) ReportMessage(run.Place(header) + ": " + repeated);
  if (!header.problem.empty()) ReportMessage(run.Place(header) + ": " + header.problem);
  return run.columns.repeated.empty() && header.problem.empty();
}

void NoteValuesBefore(Run& run, Evaluator& evaluator) {
  for (const FormulaColumn& formula : run.formulas) {
    if (formula.assigns) run.before[formula.name] = evaluator.Variable(formula.name);
  }
}

}  // namespace

bool RunTable(EvaluatorTeam& team, const Table& table, const std::vector<std::string>& formulas, bool quiet) {
  Input input(table.path);
  CsvReader reader(input, table.delimiter);
  Run run{input.Name(), table.delimiter, {}, {}, ReadFormulaColumns(formulas), {}};
  const bool goodHeader = TakeHeader(reader, run);
  HeadFormulaColumns(run.header, run.formulas);
  if (!run.header.empty() || !run.formulas.empty()) WriteOut(HeaderRow(run));
  NoteValuesBefore(run, team.Main());

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
