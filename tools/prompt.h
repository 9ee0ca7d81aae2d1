// The interactive prompt, offered when standard input and output are both
// terminals. Each line is evaluated on the main evaluator, an assignment
// "[name] := formula" as everywhere. Ctrl-C clears the line being typed and
// keeps the session; end of input (Ctrl-D) ends it. With libedit: line
// editing and a history of the session's lines.
#pragma once

#include "evaluator_team.h"

namespace formel_cli {

// False when a result went past the text limit (reported on standard
// error). Throws OutputError.
bool RunPrompt(EvaluatorTeam& team);

bool StandardStreamsAreTerminals();

}  // namespace formel_cli
