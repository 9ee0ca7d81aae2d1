// A million evaluations in a row, with a table update before each: memory
// must stay flat after a warm-up. The private heap's bytes in use are
// watched after every evaluation; the process's peak resident size is
// compared before and after.
#include <sys/resource.h>

#include <array>
#include <iostream>

#include "hostile/hostile_fixture.h"

namespace formel_hostile {
namespace {

constexpr int kEvaluations = 1000000;
constexpr int kWarmUp = 10000;
constexpr long kResidentSlackKb = 16 * 1024;
// Scratch kept between calls is sized by the longest text so far, which
// grows with the digits of [i].
constexpr std::size_t kHeapSlackBytes = 1024;

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST_F(HostileTest, MillionEvaluationsKeepMemoryFlat) {
  Register("max");
  Register("echo");
  Register("formel");
  ASSERT_EQ(SetVarS("x", "5"), 1);
  const std::array<const char*, 4> formulas = {
      "2*max(1,[x])+1", "([i]+1)*2&\"-\"&echo(\"a,b\")", "formel(\"[i]/3\")", "1/0+[i]<>\"(\"&[x]"};
  const formel::PrivateHeap& heap = formel::DefaultEvaluator()->heap;
  std::size_t warmPeak = 0;
  std::size_t laterPeak = 0;
  long residentAfterWarmUp = 0;
  for (int i = 0; i < kEvaluations; ++i) {
    SetVarL("i", i);
    const char* result = Formel(formulas[static_cast<std::size_t>(i) % formulas.size()]);
    ASSERT_NE(result[0], '\0') << "evaluation " << i;
    std::size_t& peak = i < kWarmUp ? warmPeak : laterPeak;
    peak = std::max(peak, heap.BytesInUse());
    if (i + 1 == kWarmUp) residentAfterWarmUp = PeakResidentKb();
  }
  const long residentAtEnd = PeakResidentKb();
  std::cout << "heap peak: " << warmPeak << " bytes in warm-up, " << laterPeak
            << " bytes after; peak resident: " << residentAfterWarmUp << " KB after warm-up, "
            << residentAtEnd << " KB at the end\n";
  RecordProperty("heap_peak_bytes", static_cast<int>(laterPeak));
  RecordProperty("peak_resident_kb", static_cast<int>(residentAtEnd));
  EXPECT_LE(laterPeak, warmPeak + kHeapSlackBytes);
  EXPECT_LE(residentAtEnd - residentAfterWarmUp, kResidentSlackKb);
  EXPECT_EQ(Eval(formulas[0]), "11");
}

}  // namespace
}  // namespace formel_hostile
