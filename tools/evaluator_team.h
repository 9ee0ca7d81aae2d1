// The program's evaluators: one per thread, all with the same functions and
// the same variables. The first one serves everything that runs on the main
// thread: formula arguments, the prompt, assignment lines.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "evaluate.h"

namespace formel_cli {

class EvaluatorTeam {
 public:
  // Throws std::bad_alloc.
  EvaluatorTeam(int size, bool trace, bool standardFunctions);

  int Size() const { return static_cast<int>(members_.size()); }
  Evaluator& operator[](int member) { return *members_[static_cast<std::size_t>(member)]; }
  Evaluator& Main() { return *members_.front(); }

  // In every evaluator; none may be evaluating meanwhile.
  void SetVariable(const std::string& name, const std::string& value);
  void SetVariables(const std::vector<std::pair<std::string, std::string>>& variables);

  // Evaluates a line on the main evaluator. An assignment "[name] :=
  // formula" evaluates its formula and sets name in every evaluator.
  Evaluation EvaluateLine(const std::string& line);

 private:
  std::vector<std::unique_ptr<Evaluator>> members_;
};

}  // namespace formel_cli
