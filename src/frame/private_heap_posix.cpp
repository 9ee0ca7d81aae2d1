// The private heap on platforms without a native private-heap API: a pool
// that owns every block it hands out and gives all of them back when it is
// destroyed.
#include <memory_resource>
#include <new>

#include "frame/private_heap_platform.h"

namespace formel {

// Pools for small blocks only: the pools of every larger size class would
// cost each evaluator tens of kilobytes before it holds anything. Larger
// blocks come from the system and are still released with the heap.
constexpr std::pmr::pool_options kPoolOptions{0, 512};

struct PrivateHeap::Platform {
  std::pmr::unsynchronized_pool_resource pool{kPoolOptions};
};

PrivateHeap::Platform* PlatformHeapCreate(std::size_t) {
  return new PrivateHeap::Platform();
}

void PlatformHeapDestroy(PrivateHeap::Platform* heap) { delete heap; }

void* PlatformHeapAlloc(PrivateHeap::Platform* heap, std::size_t bytes, std::size_t alignment) {
  try {
    return heap->pool.allocate(bytes, alignment);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void PlatformHeapFree(PrivateHeap::Platform* heap, void* p, std::size_t bytes, std::size_t alignment) {
  heap->pool.deallocate(p, bytes, alignment);
}

}  // namespace formel
