// The platform heap behind PrivateHeap. One implementation per platform:
// a pooled resource here, the KERNEL32 heap on Windows.
#pragma once

#include <cstddef>

#include "frame/private_heap.h"

namespace formel {

PrivateHeap::Platform* PlatformHeapCreate(std::size_t initialSize);
void PlatformHeapDestroy(PrivateHeap::Platform* heap);
// Returns null when no memory can be had.
void* PlatformHeapAlloc(PrivateHeap::Platform* heap, std::size_t bytes, std::size_t alignment);
void PlatformHeapFree(PrivateHeap::Platform* heap, void* p, std::size_t bytes, std::size_t alignment);

}  // namespace formel
