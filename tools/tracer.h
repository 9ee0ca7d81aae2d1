// The --trace view: how a formula is rewritten, stage by stage. Collects the
// library's trace events while one formula is evaluated, then lays them out
// as a tree: each formula level shows the stages that changed its text, each
// group or call shows its nesting level, its value and, below it, the
// evaluation of its inside or arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formel_evaluator.h"

namespace formel_cli {

class Tracer {
 public:
  // Observes ev for this tracer; removed again when it is destroyed.
  explicit Tracer(formel_evaluator* ev);
  ~Tracer();
  Tracer(const Tracer&) = delete;
  Tracer& operator=(const Tracer&) = delete;

  // Forgets the events of an earlier formula.
  void Begin();
  // The layout of the events since Begin, one line each, ending in "\n".
  std::string Render() const;
  // Whether the outermost formula got to its result (it does not when a
  // text grows past the library's limit).
  bool ReachedResult() const;

  struct Event {
    int depth;
    std::string stage;
    std::string before;
    std::string after;
  };

  void Record(int depth, std::string_view stage, std::string_view before, std::string_view after);

 private:
  formel_evaluator* ev_;
  std::vector<Event> events_;
};

}  // namespace formel_cli
