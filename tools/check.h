// The --check view: the findings of each formula (where the language may
// surprise its author), as the evaluator's observer reports them. As text,
// each finding is a line "LINE:COLUMN: code: message" on standard error
// after the result, GNU style, so that editors can jump to it; as JSON,
// each formula is one object on standard output instead of its result line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formel_evaluator.h"

namespace formel_cli {

// kAll: as kText for formulas; for records every finding, not a summary.
enum class CheckFormat { kNone, kText, kAll, kJson };

// "--check" gives text, "--check=all" every finding, "--check=json" JSON.
// Throws UsageError for any other value.
CheckFormat CheckFormatNamed(const std::optional<std::string>& value);

struct Finding {
  std::string code;
  std::string message;
  long long start;  // byte offsets in the formula; -1 when it has no place
  long long end;
};

// LINE:COLUMN: code: message, one line each; COLUMN is the 1-based byte
// column, left out for a finding that has no place in the formula.
std::string GnuLines(long long line, const std::vector<Finding>& findings);
// {"formula": ..., "result": ..., "findings": [{"code", "message", "start",
// "end"}, ...]} on one line.
std::string JsonLine(std::string_view formula, std::string_view result,
                     const std::vector<Finding>& findings);

// The finding that an observer event reports (e.kind is FORMEL_EVENT_FINDING).
Finding FindingOf(const formel_event& e);

// Writes GnuLines on standard error, after the results written so far and
// below the progress line. Throws OutputError.
void WriteFindingLines(std::string_view lines);

}  // namespace formel_cli
