// The load-time entry points.
#include "formel.h"
#include "frame/export_call.h"

namespace {
constexpr FormelInt kProcessDetach = 0;
constexpr FormelInt kProcessAttach = 1;
}  // namespace

extern "C" FORMEL_API FormelInt FORMEL_CALL DLLEntryPoint(void* instance, FormelInt reason, void*) {
  using namespace formel;
  try {
    if (reason == kProcessAttach) {
      if (LibraryLoaded() && CurrentLibrary().callDepth > 0) return 1;  // already running
      StartLibrary();
      AttachProcess(instance);
    } else if (reason == kProcessDetach && LibraryLoaded()) {
      if (CurrentLibrary().callDepth > 0) {
        CurrentLibrary().detachPending = true;  // ended when the outermost call returns
      } else {
        EndLibrary();
      }
    }
  } catch (...) {
    // Start-up reports no failure; without memory the library stays unloaded
    // and every export returns its nothing value.
    formel::EndLibrary();
  }
  return 1;
}

extern "C" FORMEL_API FormelInt FORMEL_CALL AttachProcess(void*) {
  return formel::RunExport<FormelInt>(0, [](formel::Library& lib, formel::CallScope&) {
    lib.funcs.Clear();
    lib.vars.Clear();
    return 0;
  });
}
