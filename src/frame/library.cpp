#include "frame/library.h"

namespace formel {

namespace {
Library* gLibrary = nullptr;
}  // namespace

Library::Library()
    : workspace(&heap),
      funcs(&heap),
      vars(&heap),
      quoteParity(&heap),
      closeScratch(&heap),
      openScratch(&heap),
      parenScratch(&heap) {}

namespace {
template <class Vector>
void Release(Vector& v, std::size_t keep) {
  if (v.capacity() > keep) Vector(v.get_allocator()).swap(v);
}
}  // namespace

void Library::TrimScratch() {
  constexpr std::size_t kKeep = 4096;
  Release(quoteParity, kKeep);
  Release(closeScratch, kKeep);
  Release(openScratch, kKeep);
  Release(parenScratch, kKeep);
}

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
