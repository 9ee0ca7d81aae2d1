// Hostile shapes cost memory in proportion to their length: the peak of the
// library's heap while one is evaluated stays within 16 times its length
// plus a constant, whatever the shape.
#include <cstdio>
#include <string>

#include "eval/stages/plan_cache.h"
#include "hostile/hostile_fixture.h"
#include "support/hostile_shapes.h"

namespace formel_hostile {
namespace {

// The workspace's first block and the scratch kept between calls, with room.
constexpr std::size_t kConstant = std::size_t{256} << 10;
constexpr std::size_t kFactor = 16;
constexpr std::size_t kLength = 200000;

class ShapeMemoryTest : public HostileTest {};

TEST_F(ShapeMemoryTest, PeakHeapIsBoundedByTheLength) {
  Register("echo");
  ASSERT_EQ(SetFunc("f", 1, formel_test::FindHostImpl("echo")->callId), 1);
  formel::PrivateHeap& heap = formel::DefaultEvaluator()->heap;
  for (const auto& shape : formel_test::HostileShapes(kLength)) {
    Eval("1");  // scratch back to its kept size
    const std::size_t before = heap.BytesInUse();
    heap.ResetPeak();
    Eval(shape.formula);
    const std::size_t peak = heap.PeakBytesInUse() - before;
    std::printf("%-24s %8zu bytes: peak %9zu (%.1f per byte)\n", shape.name, shape.formula.size(), peak,
                static_cast<double>(peak) / static_cast<double>(shape.formula.size()));
    EXPECT_LE(peak, kFactor * shape.formula.size() + kConstant) << shape.name;
  }
}

// A plan is made the second time a formula comes, and kept: the cache's
// stated bound per byte of formula holds for the shapes that come nearest
// (a call of empty arguments, each a level) and for references and calls.
TEST_F(ShapeMemoryTest, APlanHoldsUnderAHundredBytesPerByteOfItsFormula) {
  Register("echo");
  ASSERT_EQ(SetFunc("f", 1, formel_test::FindHostImpl("echo")->callId), 1);
  ASSERT_EQ(SetVarS("x", "5"), 1);
  const std::string commas = "f(" + std::string(formel::PlanCache::kLongestFormula - 3, ',') + ")";
  std::string mixed;
  while (mixed.size() + 20 < formel::PlanCache::kLongestFormula) mixed += "f([x])*(2-[x])+[x]-";
  formel::PrivateHeap& heap = formel::DefaultEvaluator()->heap;
  for (const std::string& formula : {commas, mixed + "1"}) {
    Eval(formula);
    const std::size_t before = heap.BytesInUse();
    Eval(formula);
    EXPECT_LT(heap.BytesInUse() - before, 100 * formula.size()) << formula.substr(0, 20);
  }
}

}  // namespace
}  // namespace formel_hostile
