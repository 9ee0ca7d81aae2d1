#include "frame/library.h"

#include "eval/literals.h"

namespace formel {

namespace {
Library* gLibrary = nullptr;
}  // namespace

Library::Library()
    : workspace(&heap),
      quoteChar(1, kQuote, &heap),
      quotePair(2, kQuote, &heap),
      funcs(&heap),
      vars(&heap),
      quoteParity(&heap) {}

bool LibraryLoaded() { return gLibrary != nullptr; }

Library& CurrentLibrary() { return *gLibrary; }

void StartLibrary() {
  EndLibrary();
  gLibrary = new Library();
}

void EndLibrary() {
  delete gLibrary;
  gLibrary = nullptr;
}

void SetTraceHook(TraceHook hook, void* context) {
  if (!LibraryLoaded()) return;
  CurrentLibrary().trace = hook;
  CurrentLibrary().traceContext = context;
}

}  // namespace formel
