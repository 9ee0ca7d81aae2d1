// The command line of the formel program, read into one plain description
// of what to do. Reading it never evaluates anything.
#pragma once

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

struct Options {
  bool help = false;
  bool version = false;
  bool trace = false;
  bool stockFunctions = true;
  CheckFormat check = CheckFormat::kNone;
  std::vector<VariableSetting> variables;
  std::vector<Source> sources;
};

// Throws UsageError on an unknown option, a missing option value, a
// malformed --var or --check value, or --trace with --check=json.
Options ParseOptions(const std::vector<std::string>& args);

const char* UsageText();

}  // namespace formel_cli
