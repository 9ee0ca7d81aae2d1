// How every export runs: nothing happens while the library is not started,
// no exception crosses the C boundary (running out of memory gives the
// export's "nothing" value), text arguments are copied before anything is
// built, and the outermost call starts building at the workspace's start.
#pragma once

#include <string_view>

#include "frame/library.h"
#include "registry/name_key.h"
#include "text/text.h"

namespace formel {

// Counts a call in progress. The outermost one gives back scratch grown by
// a long formula, on every way out (a call that ran out of memory too), and
// ends a detach that was asked for while calls ran (a host function may
// unload the library under us).
class CallScope {
 public:
  explicit CallScope(Library& lib) : lib_(lib) { ++lib_.callDepth; }
  ~CallScope() {
    if (--lib_.callDepth != 0) return;
    lib_.TrimScratch();
    if (lib_.detachPending) EndLibrary();
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

  // Call once the arguments are copied.
  void StartBuilding() {
    if (lib_.callDepth == 1) lib_.workspace.Reset();
  }

 private:
  Library& lib_;
};

// A private copy of a text argument (null reads as "").
inline Text CopyArgument(Library& lib, const char* text) { return Text(View(text), &lib.heap); }

inline constexpr const char* kNoText = "";

template <class Result, class Body>
Result RunExport(Result nothing, Body&& body) {
  if (!LibraryLoaded()) return nothing;
  Library& lib = CurrentLibrary();
  try {
    CallScope scope(lib);
    return body(lib, scope);
  } catch (...) {
    return nothing;
  }
}

// For exports whose text argument is a name: body(lib, key, name) runs with
// the name copied and its key built as a temporary.
template <class Result, class Body>
Result RunNameExport(Result nothing, const char* name, Body&& body) {
  return RunExport<Result>(nothing, [&](Library& lib, CallScope& scope) {
    const Text copy = CopyArgument(lib, name);
    scope.StartBuilding();
    WorkspaceScope temporaries(lib.workspace);
    return body(lib, BuildNameKey(lib.workspace, copy), std::string_view(copy));
  });
}

// For exports with a text result: the result is valid only while the
// library is still started when the call ends.
template <class Body>
const char* RunTextExport(Body&& body) {
  const char* result = RunExport<const char*>(kNoText, body);
  return LibraryLoaded() ? result : kNoText;
}

// Writes result at the write position the call started from and leaves the
// write position on its terminator (the string-return convention).
inline const char* ReturnText(Library& lib, StringWorkspace::Mark start, std::string_view result) {
  lib.workspace.Rewind(start);
  return lib.workspace.Put(result);
}

}  // namespace formel
