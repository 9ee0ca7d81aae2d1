#include "record_batch.h"

#include <utility>

#include "batch_run.h"
#include "csv_reader.h"
#include "csv_writer.h"
#include "output.h"
#include "record_check.h"
#include "records/record_rules.h"
#include "status_line.h"

namespace formel_cli {

namespace {

// What every record needs; read only while records are evaluated.
struct Run {
  std::string file;
  char delimiter;
  formel_records::RecordRules rules;  // made again once the header is read
  CheckFormat check = CheckFormat::kNone;
  CheckSummary summary;  // --check

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

// Findings come from observed evaluations only, which are never prepared.
void KeepFindings(const Run&, std::size_t, const PreparedEvaluation&, std::vector<ColumnFindings>&) {}
void KeepFindings(const Run& run, std::size_t i, const Evaluation& evaluation, std::vector<ColumnFindings>& found) {
  if (!evaluation.findings.empty()) {
    found.push_back({&run.rules.Formulas()[i].heading, evaluation.result, evaluation.findings});
  }
}

// Evaluates the formulas for a good record: its results, and a message for
// each formula that gave none.
void WriteResults(const Run& run, Evaluator& evaluator, const CsvRecord& record, CsvRowWriter& row,
                  std::vector<std::string>& messages, std::vector<ColumnFindings>& found) {
  run.rules.Evaluate(evaluator, record, [&](std::size_t i, const auto& evaluation) {
    if (!evaluation.Complete()) {
      messages.push_back(run.Place(record) + ", formula " + std::to_string(i + 1) + ": " + ShortfallMessage(evaluation));
    }
    row.Field(evaluation.result);
    KeepFindings(run, i, evaluation, found);
  });
}

// The record's findings, as --check asks: for the summary, after the
// record, or as its JSON object in place of its row.
void PrintFindings(Run& run, const CsvRecord& record, const std::string& row,
                   const std::vector<ColumnFindings>& found, Printed& printed) {
  if (run.check == CheckFormat::kJson) {
    printed.Item(found.empty() ? std::string() : RecordFindingJson(record.number, found));
    return;
  }
  printed.Item(row);
  if (found.empty()) return;
  if (run.check == CheckFormat::kAll) printed.Findings(RecordFindingLines(run.file, record.number, found));
  if (run.check == CheckFormat::kText) run.summary.Add(record.number, found);
}

// The record's fields and results, written straight into what the chunk
// prints (with --check, beside its findings); a bad record gets empty
// results and a message.
void Evaluate(Run& run, Evaluator& evaluator, const CsvRecord& record, Printed& printed) {
  const bool checked = run.check != CheckFormat::kNone;
  std::string line;
  CsvRowWriter row(checked ? line : printed.NextItem(), run.delimiter);
  for (std::size_t i = 0; i < record.Size(); ++i) row.Field(record[i]);
  std::vector<std::string> messages;
  std::vector<ColumnFindings> found;
  if (const std::string problem = run.Problem(record); !problem.empty()) {
    for (std::size_t i = 0; i < run.rules.Formulas().size(); ++i) row.Field({});
    messages.push_back(run.Place(record) + ": " + problem);
  } else {
    WriteResults(run, evaluator, record, row, messages, found);
  }
  row.End();
  if (checked) PrintFindings(run, record, line, found, printed);
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

bool RunTable(EvaluatorTeam& team, const Table& table, const std::vector<std::string>& formulas, bool quiet,
              CheckFormat check) {
  Input input(table.path);
  CsvReader reader(input, table.delimiter);
  Run run{input.Name(), table.delimiter, formel_records::RecordRules({}, formulas), check, {}};
  const bool goodHeader = TakeHeader(reader, run, formulas);
  const bool rows = check != CheckFormat::kJson;  // the objects stand in the rows' place
  if (rows && (!run.rules.Header().empty() || !run.rules.Formulas().empty())) WriteOut(HeaderRow(run));
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
  WriteFindingLines(run.summary.Lines(run.file));
  return goodHeader && batch.Good();
}

}  // namespace formel_cli
