// One evaluator of the program: the library's evaluator with the standard
// functions when asked for, and the trace view when tracing.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "formel_evaluator.h"
#include "tracer.h"

namespace formel_cli {

struct Evaluation {
  std::string result;
  std::optional<std::string> trace;  // when tracing: the formula, then its stages
  bool complete = true;  // false: the result went past the library's text limit
};

inline constexpr const char* kTooLongMessage = "result longer than the text limit";

// What the program writes for an evaluation: the formula and its trace when
// tracing, then the result line.
std::string OutputLines(const Evaluation& evaluation);

class Evaluator {
 public:
  // Throws std::bad_alloc when no evaluator can be made.
  Evaluator(bool trace, bool standardFunctions);

  void SetVariable(const std::string& name, const std::string& value);
  void RemoveVariable(const std::string& name);
  // "" when not set.
  std::string Variable(const std::string& name);

  Evaluation Evaluate(const std::string& formula);

 private:
  // An empty result is also what the library gives past its text limit:
  // evaluated again under an observer, the outermost level reports its
  // result only when it got there.
  bool Completes(const std::string& formula);

  struct Free {
    void operator()(formel_evaluator* ev) const { formel_free(ev); }
  };
  std::unique_ptr<formel_evaluator, Free> ev_;
  std::unique_ptr<Tracer> tracer_;
};

}  // namespace formel_cli
