// The --check view: the findings of each formula (where the language may
// surprise its author), collected from the evaluator's observer. As text,
// each finding is a line "LINE:COLUMN: code: message" on standard error
// after the result, GNU style, so that editors can jump to it; as JSON,
// each formula is one object on standard output instead of its result line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formel_evaluator.h"

namespace formel_cli {

enum class CheckFormat { kNone, kText, kJson };

// "--check" gives text, "--check=json" JSON. Throws UsageError for any
// other value.
CheckFormat CheckFormatNamed(const std::string* value);

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

class Checker {
 public:
  explicit Checker(CheckFormat format) : format_(format) {}

  // Forgets the findings of an earlier formula.
  void Begin() { findings_.clear(); }
  // Keeps the event when it is a finding.
  void Record(const formel_event& e);

  // In JSON, the object stands for the result line.
  bool ReplacesResultLine() const { return format_ == CheckFormat::kJson; }
  // Writes the findings of the formula just evaluated (line: its line or
  // argument number). Throws OutputError.
  void Write(const std::string& formula, const std::string& result, long long line);
  // Whether any formula so far had a finding.
  bool Found() const { return found_; }

 private:
  CheckFormat format_;
  std::vector<Finding> findings_;
  bool found_ = false;
};

}  // namespace formel_cli
