// How every export runs: nothing happens without an evaluator, no exception
// crosses the C boundary (running out of memory gives the export's
// "nothing" value), text arguments are copied before anything is built, and
// the outermost call starts building at the workspace's start.
#pragma once

#include <string_view>

#include "api/evaluator.h"
#include "registry/name_key.h"
#include "text/text.h"

namespace formel {

// Counts a call in progress. The outermost one gives back scratch grown by
// a long formula, on every way out (a call that ran out of memory too), and
// carries out a release that was asked for while calls ran (a host function
// may free or unload its evaluator under us).
class CallScope {
 public:
  // ownScratch: whether the call's own work may grow scratch; else only
  // the calls nested in it (from host code) may have.
  CallScope(Evaluator& ev, bool& released, bool ownScratch = true)
      : ev_(ev), released_(released), ownScratch_(ownScratch) {
    if (++ev_.callDepth > 1) ev_.nestedCalls = true;
  }
  ~CallScope() {
    if (--ev_.callDepth != 0) return;
    if (ownScratch_ || ev_.nestedCalls) ev_.eval.TrimScratch();
    ev_.nestedCalls = false;
    if (!ev_.releasePending) return;
    ReleaseEvaluator(&ev_);
    released_ = true;
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

  // Call once the arguments are copied.
  void StartBuilding() {
    if (ev_.callDepth == 1) ev_.eval.workspace.Reset();
  }

 private:
  Evaluator& ev_;
  bool& released_;
  bool ownScratch_;
};

// A private copy of a text argument (null reads as "").
inline Text CopyArgument(Evaluator& ev, const char* text) { return Text(View(text), &ev.heap); }

inline constexpr const char* kNoText = "";

// Runs body(ev, scope). Gives nothing without an evaluator, while its
// observer reports (it must not re-enter), when the body ran out of memory,
// and when the evaluator was released during the call (its texts are gone).
template <class Result, class Body>
Result RunExport(Evaluator* ev, Result nothing, Body&& body) {
  if (ev == nullptr || ev->eval.Listener().reporting) return nothing;
  bool released = false;
  Result result = nothing;
  try {
    CallScope scope(*ev, released);
    result = body(*ev, scope);
  } catch (...) {
    result = nothing;
  }
  return released ? nothing : result;
}

// Whether an export may take a quick way that runs no host code and grows
// no scratch: an outermost call while no observer reports. Such a way
// needs none of RunExport's bookkeeping; it must still let no exception out.
inline bool MayRunQuick(const Evaluator* ev) {
  return ev != nullptr && ev->callDepth == 0 && !ev->eval.Listener().reporting;
}

// quick()'s result (an optional), or nothing when it throws: the usual way
// then runs and says what went wrong.
template <class Quick>
auto TryQuick(Quick&& quick) noexcept -> decltype(quick()) {
  try {
    return quick();
  } catch (...) {
    return {};
  }
}

// For exports whose text argument is a name: body(ev, key) runs with the
// name copied and its key built as a temporary.
template <class Result, class Body>
Result RunNameExport(Evaluator* ev, Result nothing, const char* name, Body&& body) {
  return RunExport<Result>(ev, nothing, [&](Evaluator& e, CallScope& scope) {
    const Text copy = CopyArgument(e, name);
    scope.StartBuilding();
    WorkspaceScope temporaries(e.eval.workspace);
    return body(e, BuildNameKey(e.eval.workspace, copy));
  });
}

// Writes result at the write position the call started from and leaves the
// write position on its terminator: the text stays valid until the next
// call on the same evaluator.
inline const char* ReturnText(Evaluator& ev, StringWorkspace::Mark start, std::string_view result) {
  ev.eval.workspace.Rewind(start);
  return ev.eval.workspace.Put(result);
}

}  // namespace formel
