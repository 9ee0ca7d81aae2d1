// "[name] := formula": the form lives with the records library, which the
// program shares with the other hosts that read formulas from their users.
#pragma once

#include "records/assignment.h"

namespace formel_cli {

using formel_records::Assignment;
using formel_records::ReadAssignment;

}  // namespace formel_cli
