// The command line of the formel program, read into one plain description
// of what to do. Reading it never evaluates anything.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check.h"
#include "errors.h"

namespace formel_cli {

// A formula given as an argument, or a file of formulas ("-" is stdin).
struct Source {
  enum class Kind { kFormula, kFile } kind;
  std::string text;
};

// A --var setting (NAME=VALUE) or a --vars file, in command-line order.
struct VariableSetting {
  enum class Kind { kAssignment, kFile } kind;
  std::string text;
};

// A file of records (--csv, --tsv): the formulas are evaluated per record.
struct Table {
  std::string path;
  char delimiter;
};

inline constexpr int kMaxJobs = 256;

struct Options {
  bool help = false;
  bool version = false;
  bool trace = false;
  bool quiet = false;
  bool stockFunctions = true;
  CheckFormat check = CheckFormat::kNone;
  int jobs = 1;
  std::vector<VariableSetting> variables;
  std::vector<Source> sources;
  std::optional<Table> table;
};

// Throws UsageError on an unknown option, a missing or malformed option
// value, a malformed --var, or options that do not go together.
Options ParseOptions(const std::vector<std::string>& args);

const std::string& UsageText();

}  // namespace formel_cli
