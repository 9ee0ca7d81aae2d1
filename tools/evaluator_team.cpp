#include "evaluator_team.h"

#include "assignment.h"

namespace formel_cli {

EvaluatorTeam::EvaluatorTeam(int size, bool trace, bool standardFunctions, CheckFormat check) {
  for (int i = 0; i < size; ++i) {
    members_.push_back(std::make_unique<Evaluator>(trace, standardFunctions, check));
  }
}

bool EvaluatorTeam::Found() const {
  for (const auto& member : members_) {
    if (member->Found()) return true;
  }
  return false;
}

void EvaluatorTeam::SetVariable(const std::string& name, const std::string& value) {
  for (auto& member : members_) member->SetVariable(name, value);
}

void EvaluatorTeam::SetVariables(const std::vector<std::pair<std::string, std::string>>& variables) {
  for (const auto& [name, value] : variables) SetVariable(name, value);
}

Evaluation EvaluatorTeam::EvaluateLine(const std::string& line) {
  const auto assignment = ReadAssignment(line);
  if (!assignment) return EvaluateFormulaLine(Main(), line);
  Evaluation evaluation = Main().Evaluate(assignment->formula);
  SetVariable(assignment->name, evaluation.result);
  PlaceInLine(evaluation, line, line.size() - assignment->formula.size());
  return evaluation;
}

}  // namespace formel_cli
