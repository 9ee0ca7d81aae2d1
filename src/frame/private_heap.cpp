// Platform-independent half of the private heap: allocation failure
// injection and accounting. The platform half supplies Platform.
#include "frame/private_heap.h"

#include <new>

#include "frame/private_heap_platform.h"

namespace formel {

namespace {
// Per thread, so that a test can arm the failure before an evaluator exists
// and evaluators on other threads neither see it nor contend for it.
thread_local std::uint64_t tFailAt = 0;       // allocation number that fails, 0 = none
thread_local std::uint64_t tAllocations = 0;  // allocations attempted so far
}  // namespace

void PrivateHeap::FailAllocation(std::uint64_t n) {
  tFailAt = n == 0 ? 0 : tAllocations + n;
}

std::uint64_t PrivateHeap::AllocationCount() { return tAllocations; }

PrivateHeap::PrivateHeap() : platform_(PlatformHeapCreate(kHeapInitialSize)) {}

PrivateHeap::~PrivateHeap() { PlatformHeapDestroy(platform_); }

void* PrivateHeap::do_allocate(std::size_t bytes, std::size_t alignment) {
  ++tAllocations;
  if (tFailAt != 0 && tAllocations == tFailAt) {
    tFailAt = 0;
    throw std::bad_alloc();
  }
  void* p = PlatformHeapAlloc(platform_, bytes, alignment);
  if (p == nullptr) throw std::bad_alloc();
  bytesInUse_ += bytes;
  if (bytesInUse_ > peakBytesInUse_) peakBytesInUse_ = bytesInUse_;
  return p;
}

void PrivateHeap::do_deallocate(void* p, std::size_t bytes, std::size_t alignment) {
  bytesInUse_ -= bytes;
  PlatformHeapFree(platform_, p, bytes, alignment);
}

bool PrivateHeap::do_is_equal(const std::pmr::memory_resource& other) const noexcept {
  return this == &other;
}

}  // namespace formel
