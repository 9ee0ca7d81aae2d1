// formel: evaluates formulas from the command line, files, pipes or an
// interactive prompt, or once per record of a CSV file, with the library's
// standard functions and variables.
#include <new>
#include <string>
#include <vector>

#include "check.h"
#include "errors.h"
#include "evaluator_team.h"
#include "input_lines.h"
#include "line_batch.h"
#include "options.h"
#include "output.h"
#include "prompt.h"
#if FORMEL_READS_CSV
#include "record_batch.h"
#endif
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
      WriteFindingLines(FindingLines(evaluation, argument));
      if (evaluation.Complete()) continue;
      FlushOut();
      ReportMessage("formula argument " + std::to_string(argument) + ": " + ShortfallMessage(evaluation));
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

int RunTableOf([[maybe_unused]] EvaluatorTeam& team, const Table& table, const std::vector<Source>& sources,
               [[maybe_unused]] bool quiet, [[maybe_unused]] CheckFormat check) {
  const std::vector<std::string> formulas = CollectFormulas(sources);
  // Without a formula the run would only copy the file.
  if (formulas.empty()) throw UsageError(std::string(table.delimiter == ',' ? "--csv" : "--tsv") + " needs a formula");
#if FORMEL_READS_CSV
  return RunTable(team, table, formulas, quiet, check) ? kExitSuccess : kExitFailure;
#else
  throw UsageError("this formel was built without libcsv, which --csv and --tsv need "
                   "(apt-get install libcsv-dev, then build it again)");
#endif
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
  EvaluatorTeam team(options.jobs, options.trace, options.stockFunctions, options.check);
  team.SetVariables(variables);
  int status = kExitSuccess;
  if (options.table) {
    status = RunTableOf(team, *options.table, options.sources, options.quiet, options.check);
  } else if (!options.sources.empty()) {
    status = RunSources(team, options.sources, options.quiet);
  } else if (StandardStreamsAreTerminals()) {
    if (!RunPrompt(team)) status = kExitFailure;
  } else {
    status = RunSources(team, {{Source::Kind::kFile, "-"}}, options.quiet);
  }
  FlushOut();
  return team.Found() ? kExitFailure : status;
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
