// formel: evaluates formulas from the command line, files, pipes or an
// interactive prompt, or once per record of a CSV file, with the library's
// standard functions and variables.
#include <new>
#include <string>
#include <vector>

#include "errors.h"
#include "evaluator_team.h"
#include "input_lines.h"
#include "line_batch.h"
#include "options.h"
#include "output.h"
#include "prompt.h"
#include "record_batch.h"
#include "status_line.h"
#include "variables.h"

namespace formel_cli {

namespace {

// Evaluates every source in order. A file that cannot be read is reported
// and skipped; the others still run.
int RunSources(EvaluatorTeam& team, const std::vector<Source>& sources, bool quiet) {
  int status = kExitSuccess;
  int argument = 0;
  for (const Source& source : sources) {
    try {
      if (source.kind == Source::Kind::kFile) {
        if (!RunFormulaFile(team, source.text, quiet)) status = kExitFailure;
        continue;
      }
      ++argument;
      const Evaluation evaluation = team.EvaluateLine(source.text);
      WriteOut(OutputLines(evaluation));
      if (evaluation.complete) continue;
      ReportMessage("formula argument " + std::to_string(argument) + ": " + kTooLongMessage);
      status = kExitFailure;
    } catch (const FileError& error) {
      ReportMessage(error.what());
      status = kExitFailure;
    }
  }
  return status;
}

// The formulas of a CSV run: arguments, and the lines of files (blank lines
// skipped), in command-line order. Throws FileError.
std::vector<std::string> CollectFormulas(const std::vector<Source>& sources) {
  std::vector<std::string> formulas;
  for (const Source& source : sources) {
    if (source.kind == Source::Kind::kFormula) {
      formulas.push_back(source.text);
      continue;
    }
    Input input(source.text);
    std::string line;
    while (input.NextLine(line)) {
      if (line.find_first_not_of(' ') != std::string::npos) formulas.push_back(line);
    }
  }
  return formulas;
}

int Run(const std::vector<std::string>& args) {
  const Options options = ParseOptions(args);
  ChooseOutputBuffering();
  if (options.help || options.version) {
    WriteOut(options.help ? UsageText() : "formel " FORMEL_VERSION "\n");
    FlushOut();
    return kExitSuccess;
  }
  const auto variables = CollectVariables(options.variables);
  EvaluatorTeam team(options.jobs, options.trace, options.stockFunctions);
  team.SetVariables(variables);
  int status = kExitSuccess;
  if (options.table) {
    if (!RunTable(team, *options.table, CollectFormulas(options.sources), options.quiet)) status = kExitFailure;
  } else if (!options.sources.empty()) {
    status = RunSources(team, options.sources, options.quiet);
  } else if (StandardStreamsAreTerminals()) {
    if (!RunPrompt(team)) status = kExitFailure;
  } else {
    status = RunSources(team, {{Source::Kind::kFile, "-"}}, options.quiet);
  }
  FlushOut();
  return status;
}

}  // namespace

}  // namespace formel_cli

int main(int argc, char** argv) {
  using namespace formel_cli;
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    ReportMessage(std::string(error.what()) + "; see formel --help");
    return kExitUsage;
  } catch (const FileError& error) {
    ReportMessage(error.what());
  } catch (const OutputError& error) {
    ReportMessage(error.what());
  } catch (const std::bad_alloc&) {
    ReportMessage("out of memory");
  }
  return kExitFailure;
}
