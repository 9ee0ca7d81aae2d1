#include "record_batch.h"

#include <utility>

#include "csv_reader.h"
#include "csv_writer.h"
#include "ordered_pipeline.h"
#include "output.h"
#include "progress.h"
#include "records/record_rules.h"
#include "status_line.h"

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
  formel_records::RecordRules rules;  // made again once the header is read

  std::string Place(const CsvRecord& record) const { return file + ": record " + std::to_string(record.number); }

  std::string Problem(const CsvRecord& record) const {
    if (!record.problem.empty()) return record.problem;
    const std::size_t n = record.fields.size();
    const std::size_t expected = rules.Header().size();
    if (n == expected) return {};
    return std::to_string(n) + (n == 1 ? " field" : " fields") + ", the header has " + std::to_string(expected);
  }
};

// The record's results; empty, each with a message, when it is bad.
std::vector<std::string> Evaluate(const Run& run, Evaluator& evaluator, const CsvRecord& record,
                                  std::vector<std::string>& messages) {
  if (const std::string problem = run.Problem(record); !problem.empty()) {
    messages.push_back(run.Place(record) + ": " + problem);
    return std::vector<std::string>(run.rules.Formulas().size());
  }
  std::vector<std::string> results;
  run.rules.Evaluate(evaluator, record.fields, [&](std::size_t i, Evaluation& evaluation) {
    if (!evaluation.complete) {
      messages.push_back(run.Place(record) + ", formula " + std::to_string(i + 1) + ": " + kTooLongMessage);
    }
    results.push_back(std::move(evaluation.result));
  });
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
  for (const std::string& name : run.rules.Header()) row.Field(name);
  for (const formel_records::FormulaColumn& formula : run.rules.Formulas()) row.Field(formula.name);
  row.End();
  return out;
}

// The first row names the columns. False when it is bad (reported).
bool TakeHeader(CsvReader& reader, Run& run, const std::vector<std::string>& formulas) {
  CsvRecord header;
  if (!reader.Next(header)) return true;
  run.rules = formel_records::RecordRules(header.fields, formulas);
  for (const std::string& repeated : run.rules.Repeated()) ReportMessage(run.Place(header) + ": " + repeated);
  if (!header.problem.empty()) ReportMessage(run.Place(header) + ": " + header.problem);
  return run.rules.Repeated().empty() && header.problem.empty();
}

}  // namespace

bool RunTable(EvaluatorTeam& team, const Table& table, const std::vector<std::string>& formulas, bool quiet) {
  Input input(table.path);
  CsvReader reader(input, table.delimiter);
  Run run{input.Name(), table.delimiter, formel_records::RecordRules({}, formulas)};
  bool good = TakeHeader(reader, run, formulas);
  if (!run.rules.Header().empty() || !run.rules.Formulas().empty()) WriteOut(HeaderRow(run));
  run.rules.NoteValuesBefore(team.Main());

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
