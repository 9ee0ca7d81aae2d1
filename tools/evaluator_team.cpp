#include "evaluator_team.h"

#include "assignment.h"

namespace formel_cli {

EvaluatorTeam::EvaluatorTeam(int size, bool trace, bool standardFunctions) {
  for (int i = 0; i < size; ++i) members_.push_back(std::make_unique<Evaluator>(trace, standardFunctions));
}

void EvaluatorTeam::SetVariable(const std::string& name, const std::string& value) {
  for (auto& member : members_) member->SetVariable(name, value);
}

void EvaluatorTeam::SetVariables(const std::vector<std::pair<std::string, std::string>>& variables) {
  for (const auto& [name, value] : variables) SetVariable(name, value);
}

Evaluation EvaluatorTeam::EvaluateLine(const std::string& line) {
  const auto assignment = ReadAssignment(line);
  if (!assignment) return Main().Evaluate(line);
  Evaluation evaluation = Main().Evaluate(assignment->formula);
  SetVariable(assignment->name, evaluation.result);
  return evaluation;
}

}  // namespace formel_cli
