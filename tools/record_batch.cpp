#include "record_batch.h"

#include <map>
#include <utility>

#include "csv_reader.h"
#include "csv_writer.h"
#include "ordered_pipeline.h"
#include "output.h"
#include "progress.h"
#include "status_line.h"
#include "table_columns.h"

namespace formel_cli {

namespace {

constexpr std::size_t kChunkRecords = 256;

struct Chunk {
  std::vector<CsvRecord> records;
};

struct Printed {
  std::string out;
  std::vector<std::string> messages;
  std::size_t records = 0;
};

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
    if (record.fields.size() == header.size()) return {};
    const std::size_t n = record.fields.size();
    return std::to_string(n) + (n == 1 ? " field" : " fields") + ", the header has " + std::to_string(header.size());
  }
};

void Restore(Evaluator& evaluator, const std::string& name, const std::string& value) {
  if (value.empty()) {
    evaluator.RemoveVariable(name);
  } else {
    evaluator.SetVariable(name, value);
  }
}

// The record's results; empty, each with a message, when it is bad.
std::vector<std::string> Evaluate(const Run& run, Evaluator& evaluator, const CsvRecord& record,
                                  std::vector<std::string>& messages) {
  if (const std::string problem = run.Problem(record); !problem.empty()) {
    messages.push_back(run.Place(record) + ": " + problem);
    return std::vector<std::string>(run.formulas.size());
  }
  for (const FormulaColumn& formula : run.formulas) {
    if (formula.assigns) Restore(evaluator, formula.name, run.before.at(formula.name));
  }
  for (const std::size_t column : run.columns.variables) evaluator.SetVariable(run.header[column], record.fields[column]);
  std::vector<std::string> results;
  for (const FormulaColumn& formula : run.formulas) {
    Evaluation evaluation = evaluator.Evaluate(formula.formula);
    if (!evaluation.complete) {
      const std::string which = "formula " + std::to_string(results.size() + 1);
      messages.push_back(run.Place(record) + ", " + which + ": " + kTooLongMessage);
    }
    if (formula.assigns) evaluator.SetVariable(formula.name, evaluation.result);
    results.push_back(std::move(evaluation.result));
  }
  return results;
}

Printed EvaluateChunk(const Run& run, Evaluator& evaluator, const Chunk& chunk) {
  Printed printed;
  for (const CsvRecord& record : chunk.records) {
    const std::vector<std::string> results = Evaluate(run, evaluator, record, printed.messages);
    CsvRowWriter row(printed.out, run.delimiter);
    for (const std::string& field : record.fields) row.Field(field);
    for (const std::string& result : results) row.Field(result);
    row.End();
    ++printed.records;
  }
  return printed;
}

std::string HeaderRow(const Run& run) {
  std::string out;
  CsvRowWriter row(out, run.delimiter);
  for (const std::string& name : run.header) row.Field(name);
  for (const FormulaColumn& formula : run.formulas) row.Field(formula.name);
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
  bool good = TakeHeader(reader, run);
  if (!run.header.empty() || !run.formulas.empty()) WriteOut(HeaderRow(run));
  NoteValuesBefore(run, team.Main());

  Progress progress(!quiet && !input.FromTerminal(), "records");
  std::uint64_t recordsDone = 0;
  const auto deliver = [&](Printed& printed) {
    WriteOut(printed.out);
    for (const std::string& message : printed.messages) ReportMessage(message);
    good = good && printed.messages.empty();
    recordsDone += printed.records;
    progress.Update(recordsDone, input.BytesDone(), input.Size());
  };
  OrderedPipeline<Chunk, Printed> pipeline(
      team.Size(), [&](int member, Chunk& chunk) { return EvaluateChunk(run, team[member], chunk); }, deliver);
  Chunk chunk;
  CsvRecord record;
  try {
    while (reader.Next(record)) {
      chunk.records.push_back(std::move(record));
      // Records that are not there yet may be long in coming: answer what came.
      if (chunk.records.size() == kChunkRecords || !reader.Ready()) pipeline.Submit(std::exchange(chunk, {}));
    }
  } catch (const FileError&) {
    pipeline.Drain();
    throw;
  }
  if (!chunk.records.empty()) pipeline.Submit(std::move(chunk));
  pipeline.Drain();
  return good;
}

}  // namespace formel_cli
