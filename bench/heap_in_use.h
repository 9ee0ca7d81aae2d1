// Bytes the process heap holds now, for the memory rows (glibc only: 0
// elsewhere, where those rows print nothing useful).
#pragma once

#include <cstddef>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace formel_bench {

inline std::size_t HeapInUse() {
#if defined(__GLIBC__)
  return mallinfo2().uordblks;
#else
  return 0;
#endif
}

}  // namespace formel_bench
