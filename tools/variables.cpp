#include "variables.h"

#include "errors.h"
#include "input_lines.h"

namespace formel_cli {

namespace {

bool IsBlankName(const std::string& name) {
  return name.find_first_not_of(' ') == std::string::npos;
}

std::pair<std::string, std::string> SplitAssignment(const std::string& text) {
  const std::size_t equals = text.find('=');
  return {text.substr(0, equals), text.substr(equals + 1)};
}

bool IsSkipped(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string::npos || line[first] == '#';
}

void ReadVariablesFile(const std::string& path,
                       std::vector<std::pair<std::string, std::string>>& out) {
  Input input(path);
  std::string line;
  for (int number = 1; input.NextLine(line); ++number) {
    if (IsSkipped(line)) continue;
    std::string problem = NulByteProblem(line);
    if (problem.empty()) problem = AssignmentProblem(line);
    if (!problem.empty()) throw UsageError(input.Name() + ":" + std::to_string(number) + ": " + problem);
    out.push_back(SplitAssignment(line));
  }
}

}  // namespace

std::string AssignmentProblem(const std::string& text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) return "expected NAME=VALUE";
  if (IsBlankName(text.substr(0, equals))) return "the name before \"=\" is empty";
  return {};
}

std::pair<std::string, std::string> ParseAssignment(const std::string& text) {
  if (const std::string problem = AssignmentProblem(text); !problem.empty()) {
    throw UsageError("malformed variable '" + text + "', " + problem);
  }
  return SplitAssignment(text);
}

std::vector<std::pair<std::string, std::string>> CollectVariables(
    const std::vector<VariableSetting>& settings) {
  std::vector<std::pair<std::string, std::string>> variables;
  for (const VariableSetting& setting : settings) {
    if (setting.kind == VariableSetting::Kind::kFile) {
      ReadVariablesFile(setting.text, variables);
    } else {
      variables.push_back(ParseAssignment(setting.text));
    }
  }
  return variables;
}

}  // namespace formel_cli
