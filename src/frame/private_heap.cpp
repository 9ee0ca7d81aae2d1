// Platform-independent half of the private heap: allocation failure
// injection and accounting. The platform half supplies Platform.
#include "frame/private_heap.h"

#include <new>

#include "frame/private_heap_platform.h"

namespace formel {

namespace {
std::uint64_t gFailAt = 0;       // allocation number that fails, 0 = none
std::uint64_t gAllocations = 0;  // allocations attempted so far
}  // namespace

void PrivateHeap::FailAllocation(std::uint64_t n) {
  gFailAt = n == 0 ? 0 : gAllocations + n;
}

std::uint64_t PrivateHeap::AllocationCount() { return gAllocations; }

PrivateHeap::PrivateHeap() : platform_(PlatformHeapCreate(kHeapInitialSize)) {}

PrivateHeap::~PrivateHeap() { PlatformHeapDestroy(platform_); }

void* PrivateHeap::do_allocate(std::size_t bytes, std::size_t alignment) {
  ++gAllocations;
  if (gFailAt != 0 && gAllocations == gFailAt) {
    gFailAt = 0;
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
