// The library's private heap: every text and table entry the library keeps
// comes from here, and destroying the heap releases all of them at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>

namespace formel {

// Initial size the heap is created with; it grows on demand without limit.
inline constexpr std::size_t kHeapInitialSize = 4000;

class PrivateHeap final : public std::pmr::memory_resource {
 public:
  PrivateHeap();
  ~PrivateHeap() override;
  PrivateHeap(const PrivateHeap&) = delete;
  PrivateHeap& operator=(const PrivateHeap&) = delete;

  // Test interface, fault injection (no library code calls these): the
  // n-th allocation on this thread from now on fails (n >= 1); 0
  // disarms. Armed before an evaluator exists, it reaches the evaluator's
  // start-up too.
  static void FailAllocation(std::uint64_t n);
  // Test interface: allocations made so far on this thread by all heaps
  // (lets a test fail every one in turn).
  static std::uint64_t AllocationCount();
  // Test interface, measurement (read by the tests and the fuzz target):
  // bytes currently handed out by this heap.
  std::size_t BytesInUse() const { return bytesInUse_; }
  // The most bytes handed out at once since the last ResetPeak().
  std::size_t PeakBytesInUse() const { return peakBytesInUse_; }
  void ResetPeak() { peakBytesInUse_ = bytesInUse_; }

  struct Platform;  // the platform's heap behind this one

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override;
  void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override;
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override;

  Platform* platform_;
  std::size_t bytesInUse_ = 0;
  std::size_t peakBytesInUse_ = 0;
};

}  // namespace formel
