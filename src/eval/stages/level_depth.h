// Counts a formula level in progress for as long as it runs: groups and
// calls nest only so deep, whichever way a level is evaluated.
#pragma once

#include "eval/context.h"

namespace formel {

class LevelDepth {
 public:
  explicit LevelDepth(EvalContext& ctx) : ctx_(ctx) { ++ctx_.evalDepth; }
  ~LevelDepth() { --ctx_.evalDepth; }
  LevelDepth(const LevelDepth&) = delete;
  LevelDepth& operator=(const LevelDepth&) = delete;

 private:
  EvalContext& ctx_;
};

}  // namespace formel
