#include "line_batch.h"

#include "assignment.h"
#include "batch_run.h"
#include "check.h"

namespace formel_cli {

namespace {

struct Line {
  long number;
  std::string text;
};

std::string Place(const std::string& file, long line) { return file + ":" + std::to_string(line) + ": "; }

void Add(Printed& printed, const Evaluation& evaluation, const std::string& file, long line) {
  printed.Item(OutputLines(evaluation));
  printed.Findings(FindingLines(evaluation, line));
  if (!evaluation.Complete()) printed.Message(Place(file, line) + ShortfallMessage(evaluation));
}

// A line that the library would see cut short is not evaluated: its result
// line stays empty.
void EvaluateLine(Evaluator& evaluator, const Line& line, const std::string& file, Printed& printed) {
  if (std::string problem = NulByteProblem(line.text); !problem.empty()) {
    printed.Item("\n");
    printed.Message(Place(file, line.number) + problem);
    return;
  }
  Add(printed, EvaluateFormulaLine(evaluator, line.text), file, line.number);
}

}  // namespace

bool RunFormulaFile(EvaluatorTeam& team, const std::string& path, bool quiet) {
  Input input(path);
  BatchRun<Line> batch(team, input, "lines", quiet, [&](Evaluator& evaluator, const Line& line, Printed& printed) {
    EvaluateLine(evaluator, line, input.Name(), printed);
  });
  batch.Run([&](BatchRun<Line>& run) {
    std::string text;
    for (long number = 1; input.NextLine(text); ++number) {
      if (!ReadAssignment(text) || !NulByteProblem(text).empty()) {
        run.Add({number, std::move(text)}, input.Buffered());
        continue;
      }
      // An assignment waits for the lines before it: its variable is set in
      // every evaluator while none of them works.
      run.Finish();
      Printed printed;
      Add(printed, team.EvaluateLine(text), input.Name(), number);
      run.Deliver(printed);
    }
  });
  return batch.Good();
}

}  // namespace formel_cli
