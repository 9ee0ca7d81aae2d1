// The lines of a formula file or of standard input, each evaluated and its
// result written, in input order. With several evaluators the lines go to
// them in chunks that are evaluated at the same time. An assignment line
// waits for the lines before it and then sets its variable in every
// evaluator, so the output is the same whatever their number.
#pragma once

#include <string>

#include "evaluator_team.h"

namespace formel_cli {

// False when a line was bad or gave no result (each reported on standard
// error). Throws FileError and OutputError.
bool RunFormulaFile(EvaluatorTeam& team, const std::string& path, bool quiet);

}  // namespace formel_cli
