// The --trace view: how a formula is rewritten, stage by stage. Collects the
// library's observer events while one formula is evaluated, then lays them out
// as a tree: each formula level shows the stages that changed its text, each
// group or call shows its nesting level, its value and, below it, the
// evaluation of its inside or arguments. A finding shows its code and
// message just before the stage or call it happened in; a call of a name
// that no function has says on its own line that it was left as text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formel_evaluator.h"

namespace formel_cli {

class Tracer {
 public:
  // Forgets the events of an earlier formula.
  void Begin();
  // The layout of the events since Begin, one line each, ending in "\n".
  std::string Render() const;

  struct Event {
    int kind;  // enum formel_event_kind
    int depth;
    std::string stage;  // for a finding its code
    std::string before;
    std::string after;  // for a finding its message
  };

  void Record(const formel_event& e);

 private:
  std::vector<Event> events_;
};

}  // namespace formel_cli
