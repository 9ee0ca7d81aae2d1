// Variables given on the command line: "--var NAME=VALUE" and files of
// NAME=VALUE lines.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "options.h"

namespace formel_cli {

// Why text is not NAME=VALUE with a name that is not empty; "" when it is.
std::string AssignmentProblem(const std::string& text);
// Splits NAME=VALUE at the first "=". The value is taken as written, blanks
// included. Throws UsageError, with the problem, when malformed.
std::pair<std::string, std::string> ParseAssignment(const std::string& text);

// The settings in command-line order, files read line by line (blank lines
// and lines starting with "#" skipped). Throws FileError when a file cannot be
// read and UsageError, with file and line, when a line is malformed.
std::vector<std::pair<std::string, std::string>> CollectVariables(
    const std::vector<VariableSetting>& settings);

}  // namespace formel_cli
