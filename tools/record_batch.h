// A CSV run: the formulas evaluated once for every record of a CSV (or
// tab-separated) file, each column set as the variable its header names,
// and the records written again with one more column per formula. Records
// go to the evaluators in chunks and come out in input order. Every record
// starts from the same variables, so the output is the same whatever the
// number of evaluators.
#pragma once

#include <string>
#include <vector>

#include "evaluator_team.h"
#include "options.h"

namespace formel_cli {

// False when a record was bad or a formula gave no result (each reported
// on standard error). With check, the findings of the records' formulas
// as record_check.h describes. Throws FileError and OutputError.
bool RunTable(EvaluatorTeam& team, const Table& table, const std::vector<std::string>& formulas, bool quiet,
              CheckFormat check);

}  // namespace formel_cli
