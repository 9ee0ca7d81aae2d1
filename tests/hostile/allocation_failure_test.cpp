// Running out of memory: the private heap is made to fail its N-th
// allocation, for every N that a representative call makes. The call must
// return (its result, or its "nothing" value when the failure hit it), give
// back every byte it took, and leave both tables exactly as they were.
#include <functional>

#include "frame/private_heap.h"
#include "hostile/hostile_fixture.h"

namespace formel_hostile {
namespace {

using formel::PrivateHeap;

struct Representative {
  const char* label;
  std::function<std::string()> call;
  std::string nothing;  // what the export gives when it cannot finish
  // False when a failure deep inside may change the result without
  // making it "nothing" (a host function that re-enters gets "" back and
  // goes on with it).
  bool resultOrNothing = true;
};

void PrintTo(const Representative& r, std::ostream* os) { *os << r.label; }

std::string Text(const char* t) { return t; }
std::string Number(std::intptr_t n) { return std::to_string(n); }

const std::string& LongLiteral() {
  static const std::string text = "\"" + Repeat("a", 70000) + "\"&[the variable named x]";
  return text;
}

std::vector<Representative> Representatives() {
  const FormelCallID echo = formel_test::FindHostImpl("echo")->callId;
  return {
      {"SetVarS of a new name", [] { return Number(SetVarS("a new variable name", "a value longer than a short string")); }, "0"},
      {"SetVarS replacing", [] { return Number(SetVarS(" THE VARIABLE NAMED X ", "replaced by a longer value")); }, "0"},
      {"SetVarL", [] { return Number(SetVarL("a number variable name", -42)); }, "0"},
      {"GetVarS", [] { return Text(GetVarS("the variable named x")); }, ""},
      {"RemVar", [] { return Number(RemVar("a variable to keep")); }, "0"},
      {"SetFunc of a new name", [echo] { return Number(SetFunc("a new function name", 1, echo)); }, "0"},
      {"SetFunc replacing", [echo] { return Number(SetFunc(" A FUNCTION WITH A LONG NAME ", 2, echo)); }, "0"},
      {"RemFunc", [] { return Number(RemFunc("a function with a long name")); }, "0"},
      {"GetFuncCallID", [] { return Number(GetFuncCallID("A function with a long name") != 0); }, "0"},
      {"Formel, the worked example", [] { return Text(Formel("2*max(1,[the variable named x])+1")); }, ""},
      {"Formel, groups and text", [] { return Text(Formel("((1+2)*(3+4))^2&\"a,b\"&echo(\"(\")")); }, ""},
      {"Formel, beyond one workspace block", [] { return Text(Formel(LongLiteral().c_str())); }, ""},
      {"Formel, re-entered from a host function",
       [] { return Text(Formel("formel(\"1+[the variable named x]\")&echo(2)")); }, "", false},
  };
}

class AllocationFailureTest : public HostileTest, public ::testing::WithParamInterface<Representative> {
 protected:
  static void SetUpTables() {
    ClearVars();
    ClearFuncs();
    ASSERT_EQ(SetVarS("the variable named x", "5"), 1);
    ASSERT_EQ(SetVarS("a variable to keep", "kept with a long value"), 1);
    Register("max");
    Register("echo");
    Register("formel");
    ASSERT_EQ(SetFunc("a function with a long name", 1, formel_test::FindHostImpl("echo")->callId), 1);
  }
  // A call that starts at the workspace's start: extra blocks a call left
  // behind are given back, so heap levels compare.
  static void Settle() { GetVarS(""); }
  // Scratch kept from call to call: a call may leave it at another size up
  // to a small bound (4096 entries a buffer), whether it failed or not.
  static constexpr std::size_t kScratchKept = 4096 * (sizeof(std::uint8_t) + 3 * sizeof(std::uint32_t));
  static std::size_t ScratchBytes() {
    const formel::EvalContext& lib = formel::DefaultEvaluator()->eval;
    return lib.quoteParity.capacity() * sizeof(std::uint8_t) +
           (lib.closeScratch.capacity() + lib.openScratch.capacity() + lib.parenScratch.capacity()) *
               sizeof(std::uint32_t);
  }
  // Heap bytes in use, less that scratch.
  static std::size_t HeapBytes() { return formel::DefaultEvaluator()->heap.BytesInUse() - ScratchBytes(); }
  static std::string Tables() {
    std::string t;
    for (const char* name : {"the variable named x", "a variable to keep", "a new variable name", "a number variable name"}) t += std::string(name) + "=" + GetVarS(name) + ";";
    for (const char* name : {"max", "echo", "formel", "a new function name", "a function with a long name"}) {
      t += std::string(name) + ":" + std::to_string(GetFuncParamCnt(name)) + "/" +
           std::to_string(GetFuncCallID(name) != 0) + ";";
    }
    return t;
  }
};

TEST_P(AllocationFailureTest, EveryAllocationMayFail) {
  const Representative& r = GetParam();
  // Once through without failure: its result, its allocation count, the
  // tables it leaves, and scratch buffers grown to their size.
  SetUpTables();
  const std::string before = Tables();
  Settle();
  const std::uint64_t first = PrivateHeap::AllocationCount();
  const std::string expected = r.call();
  const std::uint64_t allocations = PrivateHeap::AllocationCount() - first;
  const std::string after = Tables();
  ASSERT_GT(allocations, 0u);
  const std::string& nothing = r.nothing;

  std::uint64_t failedCalls = 0;
  for (std::uint64_t n = 1; n <= allocations; ++n) {
    SetUpTables();
    Settle();
    const std::size_t level = HeapBytes();
    PrivateHeap::FailAllocation(n);
    const std::string result = r.call();
    PrivateHeap::FailAllocation(0);
    Settle();
    SCOPED_TRACE(std::string(r.label) + ", allocation " + std::to_string(n) + " of " +
                 std::to_string(allocations) + " failing");
    ASSERT_NE(formel::DefaultEvaluator(), nullptr);
    if (result == expected && nothing != expected) {
      EXPECT_EQ(Tables(), after);
      continue;
    }
    if (r.resultOrNothing) {
      ASSERT_EQ(result, nothing);
    }
    ++failedCalls;
    EXPECT_EQ(HeapBytes(), level) << "bytes not given back";
    EXPECT_LE(ScratchBytes(), kScratchKept) << "scratch of a failed call kept";
    EXPECT_EQ(Tables(), before);
  }
  EXPECT_GT(failedCalls, 0u) << "no injected failure reached the call";
}

INSTANTIATE_TEST_SUITE_P(Hostile, AllocationFailureTest, ::testing::ValuesIn(Representatives()),
                         [](const ::testing::TestParamInfo<Representative>& info) {
                           std::string name;
                           for (const char c : std::string(info.param.label)) {
                             name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
                           }
                           return name;
                         });

// Start-up itself may run out of memory: the library then stays unloaded,
// every export gives its nothing value, and a later start succeeds.
TEST(HostileStartUp, EveryStartUpAllocationMayFail) {
  DLLEntryPoint(nullptr, 0, nullptr);
  const std::uint64_t first = PrivateHeap::AllocationCount();
  DLLEntryPoint(nullptr, 1, nullptr);
  const std::uint64_t allocations = PrivateHeap::AllocationCount() - first;
  ASSERT_GT(allocations, 0u);
  for (std::uint64_t n = 1; n <= allocations; ++n) {
    DLLEntryPoint(nullptr, 0, nullptr);
    PrivateHeap::FailAllocation(n);
    DLLEntryPoint(nullptr, 1, nullptr);
    PrivateHeap::FailAllocation(0);
    if (formel::DefaultEvaluator() != nullptr) {
      EXPECT_STREQ(Formel("1+1"), "2") << "allocation " << n;
    } else {
      EXPECT_STREQ(Formel("1+1"), "") << "allocation " << n;
      EXPECT_EQ(SetVarS("a", "b"), 0);
    }
    DLLEntryPoint(nullptr, 1, nullptr);
    EXPECT_STREQ(Formel("1+1"), "2") << "allocation " << n;
  }
  DLLEntryPoint(nullptr, 0, nullptr);
}

}  // namespace
}  // namespace formel_hostile
