// Long formulas: a chain grows its result step by step, and a megabyte of
// arithmetic keeps memory within a small multiple of its size. (Speed is
// measured by bench/, not here.)
#include <string>

#include "unit/library_fixture.h"

namespace {

class LongFormulaTest : public LibraryTest {};

std::string Repeated(const std::string& chunk, std::size_t minimumBytes) {
  std::string s;
  while (s.size() < minimumBytes) s += chunk;
  return s;
}

TEST_F(LongFormulaTest, MegabyteOfArithmeticStaysWithinSmallMultipleOfItsSize) {
  // Each chunk adds 14.5: 12 + 2.5, then -2^2 is (-2)^2 = 4 and -7\2
  // rounds down to -4. All partial sums are exact in a float.
  const std::string chunk = "3*4+10/4-2^2-7\\2+";
  const std::string formula = Repeated(chunk, 1000000) + "1";
  const std::size_t chunks = formula.size() / chunk.size();
  Lib().heap.ResetPeak();
  const std::size_t before = Lib().heap.BytesInUse();
  EXPECT_EQ(std::string(Formel(formula.c_str())),
            std::to_string(static_cast<long long>(14.5 * static_cast<double>(chunks) + 1)));
  EXPECT_LT(Lib().heap.PeakBytesInUse() - before, 16 * formula.size());
  EXPECT_LT(Lib().heap.BytesInUse() - before, formula.size());  // long scratch given back
}

// Scratch that a long formula grew is given back when its call ends,
// whichever stage grew it: the operator passes (texts compared), the
// groups, the references.
TEST_F(LongFormulaTest, ScratchGrownByALongFormulaIsGivenBack) {
  SetVarS("x", "7");
  for (const std::string& formula : {Repeated("\"a\"<\"b\"&", 50000) + "1", Repeated("(1)*", 50000) + "1",
                                     Repeated("[x]*2-", 50000) + "1"}) {
    Formel(formula.c_str());
    const formel::EvalContext& ctx = Ctx();
    for (const std::size_t capacity : {ctx.quoteParity.capacity(), ctx.closeScratch.capacity(),
                                       ctx.openScratch.capacity(), ctx.parenScratch.capacity()}) {
      EXPECT_LE(capacity, 4096u) << formula.substr(0, 12);
    }
  }
}

TEST_F(LongFormulaTest, ChainOfQuotedLiteralsKeepsEveryPiece) {
  std::string formula = "\"<\"";
  std::string expected = "<";
  for (int i = 0; i < 20000; ++i) {
    const std::string piece = i % 7 == 0 ? "q\"\"" : std::to_string(i % 10) + "x";
    formula += (i % 2 == 0 ? "&\"" : "+\"") + piece + "\"";
    expected += i % 7 == 0 ? "q\"" : std::to_string(i % 10) + "x";
  }
  // "+" joins quoted literals before "&" runs: the order of the pieces stays.
  EXPECT_EQ(std::string(Formel(formula.c_str())), expected);
}

TEST_F(LongFormulaTest, ChainOfNumbersJoinedByAmpersandIsOneNumberForm) {
  std::string formula = "1";
  std::string expected = "1";
  for (int i = 0; i < 5000; ++i) {
    formula += "&" + std::to_string(i % 10);
    expected += std::to_string(i % 10);
  }
  EXPECT_EQ(std::string(Formel(formula.c_str())), expected);
}

}  // namespace
