#include "eval/context.h"

namespace formel {

EvalContext::EvalContext(std::pmr::memory_resource* h, std::size_t workspaceBlock)
    : heap(h),
      workspace(h, workspaceBlock),
      funcs(h),
      vars(h),
      quoteParity(h),
      closeScratch(h),
      openScratch(h),
      parenScratch(h),
      inserted(h) {}

void EvalContext::SetObserver(formel_observer callback, void* user) {
  observer_.callback = callback;
  observer_.user = user;
  UpdateSwitch();
}

void EvalContext::AskGeneralPathOnly(bool on) {
  generalPathAsked_ = on;
  UpdateSwitch();
}

namespace {
template <class Vector>
[[gnu::noinline]] void GiveBack(Vector& v) {
  Vector(v.get_allocator()).swap(v);
}
// Every call into an evaluator ends here: the test inline, the rare
// release out of line.
template <class Vector>
[[gnu::always_inline]] inline void Release(Vector& v, std::size_t keep) {
  if (v.capacity() > keep) GiveBack(v);
}
}  // namespace

void EvalContext::TrimUsedScratch() {
  scratchInUse_ = false;
  constexpr std::size_t kKeep = 4096;
  Release(quoteParity, kKeep);
  Release(closeScratch, kKeep);
  Release(openScratch, kKeep);
  Release(parenScratch, kKeep);
  Release(inserted, 64);
}

}  // namespace formel
