// The observer of an evaluation: sees each stage of each formula level and
// each replaced group, for tools that show how a formula is rewritten. Off
// by default; one test per stage when off.
#pragma once

#include <string_view>

#include "formel_evaluator.h"

namespace formel {

struct EvalContext;

struct Observer {
  formel_observer callback = nullptr;
  void* user = nullptr;
  // Set while the callback runs: it must not re-enter its evaluator.
  bool reporting = false;
};

// One stage of the formula level in progress: its input and its output.
void ReportStage(EvalContext& ctx, std::string_view stage, std::string_view before,
                 std::string_view after);
// One replaced group or call ("group" or "call"): as written (a call with
// its trimmed name), and the literal that replaced it. where is the group
// as it stands in the formula text, for its offsets in the outermost one.
void ReportGroup(EvalContext& ctx, std::string_view kind, std::string_view written,
                 std::string_view literal, std::string_view where);

}  // namespace formel
