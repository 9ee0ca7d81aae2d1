// formel: evaluates formulas from the command line, files, pipes or an
// interactive prompt, with the library's stock functions and variables.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "errors.h"
#include "evaluate.h"
#include "options.h"
#include "output.h"
#include "prompt.h"
#include "variables.h"

namespace formel_cli {

namespace {

void Report(const std::string& message) { std::fprintf(stderr, "formel: %s\n", message.c_str()); }

// Evaluates every source in order. A file that cannot be read is reported
// and skipped; the others still run.
int RunSources(Evaluator& evaluator, const std::vector<Source>& sources) {
  int status = kExitSuccess;
  for (const Source& source : sources) {
    if (source.kind == Source::Kind::kFormula) {
      evaluator.Print(source.text);
      continue;
    }
    try {
      evaluator.PrintFile(source.text);
    } catch (const FileError& error) {
      Report(error.what());
      status = kExitFailure;
    }
  }
  return status;
}

int Run(const std::vector<std::string>& args) {
  const Options options = ParseOptions(args);
  if (options.help || options.version) {
    WriteOut(options.help ? UsageText() : "formel " FORMEL_VERSION "\n");
    FlushOut();
    return kExitSuccess;
  }
  const auto variables = CollectVariables(options.variables);
  Evaluator evaluator(options.trace, options.stockFunctions);
  SetVariables(evaluator, variables);
  int status = kExitSuccess;
  if (!options.sources.empty()) {
    status = RunSources(evaluator, options.sources);
  } else if (StandardStreamsAreTerminals()) {
    RunPrompt(evaluator);
  } else {
    status = RunSources(evaluator, {{Source::Kind::kFile, "-"}});
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
    Report(std::string(error.what()) + "; see formel --help");
    return kExitUsage;
  } catch (const FileError& error) {
    Report(error.what());
  } catch (const OutputError& error) {
    Report(error.what());
  } catch (const std::bad_alloc&) {
    Report("out of memory");
  }
  return kExitFailure;
}
