// The private heap on Windows, reached through the library's internals:
// every alignment a memory resource may be asked for is honoured (HeapAlloc
// itself only gives 8 bytes on 32-bit Windows), the blocks are usable and
// given back without damaging the heap, and the heap is a KERNEL32 heap of
// its own that lives exactly as long as the PrivateHeap.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frame/private_heap.h"
#include "host_check.h"

namespace {

using win_host::Check;

DWORD ProcessHeapCount() { return GetProcessHeaps(0, nullptr); }

// HeapValidate over every heap of the process, ours included.
bool AllHeapsValid() {
  std::vector<HANDLE> heaps(ProcessHeapCount() + 8);
  const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
    if (!HeapValidate(heaps[i], 0, nullptr)) return false;
  }
  return true;
}

struct Block {
  void* p;
  std::size_t bytes;
  std::size_t alignment;
};

void CheckAlignedBlocks(formel::PrivateHeap& heap) {
  std::vector<Block> blocks;
  for (std::size_t alignment : {1u, 2u, 4u, 8u, 16u, 32u, 64u, 256u, 4096u}) {
    for (std::size_t bytes : {0u, 1u, 7u, 100u, 5000u, 70000u}) {
      void* p = heap.allocate(bytes, alignment);
      const std::string what = std::to_string(bytes) + " bytes aligned to " + std::to_string(alignment);
      Check(reinterpret_cast<std::uintptr_t>(p) % alignment == 0, what + ": address is aligned");
      std::memset(p, 0xA5, bytes);  // the whole block is ours to write
      blocks.push_back({p, bytes, alignment});
    }
  }
  Check(AllHeapsValid(), "heaps intact with every block in use");
  for (const Block& b : blocks) heap.deallocate(b.p, b.bytes, b.alignment);
  Check(heap.BytesInUse() == 0, "every block given back");
  Check(AllHeapsValid(), "heaps intact after every block was freed");
}

}  // namespace

int main() {
  const DWORD heapsBefore = ProcessHeapCount();
  {
    formel::PrivateHeap heap;
    Check(ProcessHeapCount() == heapsBefore + 1, "a PrivateHeap is a KERNEL32 heap of its own");
    CheckAlignedBlocks(heap);
  }
  Check(ProcessHeapCount() == heapsBefore, "destroying the PrivateHeap destroys its heap");
  std::printf("%d passed, %d failed\n", win_host::Results().passed, win_host::Results().failed);
  return win_host::Results().failed == 0 ? 0 : 1;
}
