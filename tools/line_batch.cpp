#include "line_batch.h"

#include <vector>

#include "assignment.h"
#include "errors.h"
#include "input_lines.h"
#include "ordered_pipeline.h"
#include "output.h"
#include "progress.h"
#include "status_line.h"

namespace formel_cli {

namespace {

constexpr std::size_t kChunkLines = 256;

struct Chunk {
  long firstLine = 1;
  std::vector<std::string> lines;
};

struct Printed {
  std::string out;
  std::vector<std::string> messages;
  std::size_t lines = 0;
};

void Add(Printed& printed, const Evaluation& evaluation, const std::string& file, long line) {
  printed.out += OutputLines(evaluation);
  if (!evaluation.complete) printed.messages.push_back(file + ":" + std::to_string(line) + ": " + kTooLongMessage);
  ++printed.lines;
}

Printed EvaluateChunk(Evaluator& evaluator, const std::string& file, const Chunk& chunk) {
  Printed printed;
  long number = chunk.firstLine;
  for (const std::string& line : chunk.lines) Add(printed, evaluator.Evaluate(line), file, number++);
  return printed;
}

}  // namespace

bool RunFormulaFile(EvaluatorTeam& team, const std::string& path, bool quiet) {
  Input input(path);
  Progress progress(!quiet && !input.FromTerminal(), "lines");
  bool complete = true;
  std::uint64_t linesDone = 0;
  const auto deliver = [&](Printed& printed) {
    WriteOut(printed.out);
    for (const std::string& message : printed.messages) ReportMessage(message);
    complete = complete && printed.messages.empty();
    linesDone += printed.lines;
    progress.Update(linesDone, input.BytesDone(), input.Size());
  };
  OrderedPipeline<Chunk, Printed> pipeline(
      team.Size(), [&](int member, Chunk& chunk) { return EvaluateChunk(team[member], input.Name(), chunk); },
      deliver);
  Chunk chunk;
  std::string line;
  try {
    for (long number = 1; input.NextLine(line); ++number) {
      // An assignment waits for the lines before it: its variable is set in
      // every evaluator while none of them works.
      if (ReadAssignment(line)) {
        if (!chunk.lines.empty()) pipeline.Submit(std::move(chunk));
        pipeline.Drain();
        Printed printed;
        Add(printed, team.EvaluateLine(line), input.Name(), number);
        deliver(printed);
        chunk = Chunk{number + 1, {}};
        continue;
      }
      chunk.lines.push_back(std::move(line));
      // Input that is not there yet may be long in coming: answer what came.
      if (chunk.lines.size() == kChunkLines || !input.Buffered()) {
        pipeline.Submit(std::move(chunk));
        chunk = Chunk{number + 1, {}};
      }
    }
  } catch (const FileError&) {
    pipeline.Drain();
    throw;
  }
  if (!chunk.lines.empty()) pipeline.Submit(std::move(chunk));
  pipeline.Drain();
  return complete;
}

}  // namespace formel_cli
