// The private heap on Windows: a KERNEL32 heap of the library's own.
// HeapDestroy gives back every block at once at unload.
#include <windows.h>

#include <cstdint>
#include <new>

#include "frame/private_heap_platform.h"

namespace formel {

namespace {

// What HeapAlloc guarantees (8 bytes on 32-bit Windows).
constexpr std::size_t kHeapAlignment = MEMORY_ALLOCATION_ALIGNMENT;

HANDLE Handle(PrivateHeap::Platform* heap) { return reinterpret_cast<HANDLE>(heap); }

// A stricter alignment is served from a larger block: the aligned address
// lies inside it, with the block's own address stored just in front.
void* AllocOverAligned(HANDLE heap, std::size_t bytes, std::size_t alignment) {
  const std::size_t extra = alignment + sizeof(void*);
  if (bytes > SIZE_MAX - extra) return nullptr;
  void* block = HeapAlloc(heap, 0, bytes + extra);
  if (block == nullptr) return nullptr;
  const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(block) + sizeof(void*);
  const std::uintptr_t aligned = (first + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
  reinterpret_cast<void**>(aligned)[-1] = block;
  return reinterpret_cast<void*>(aligned);
}

}  // namespace

PrivateHeap::Platform* PlatformHeapCreate(std::size_t initialSize) {
  // No options, no maximum size: the heap grows on demand.
  HANDLE heap = HeapCreate(0, initialSize, 0);
  if (heap == nullptr) throw std::bad_alloc();
  return reinterpret_cast<PrivateHeap::Platform*>(heap);
}

void PlatformHeapDestroy(PrivateHeap::Platform* heap) { HeapDestroy(Handle(heap)); }

void* PlatformHeapAlloc(PrivateHeap::Platform* heap, std::size_t bytes, std::size_t alignment) {
  if (alignment <= kHeapAlignment) return HeapAlloc(Handle(heap), 0, bytes);
  return AllocOverAligned(Handle(heap), bytes, alignment);
}

void PlatformHeapFree(PrivateHeap::Platform* heap, void* p, std::size_t, std::size_t alignment) {
  if (p == nullptr) return;
  void* block = alignment <= kHeapAlignment ? p : static_cast<void**>(p)[-1];
  HeapFree(Handle(heap), 0, block);
}

}  // namespace formel
