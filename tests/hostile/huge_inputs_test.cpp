// Inputs of a megabyte and nesting a hundred thousand deep: each ends in a
// text result (no stack overflow, no quadratic blow-up into a hang).
#include "eval/stages/stages.h"
#include "hostile/hostile_fixture.h"

namespace formel_hostile {
namespace {

constexpr std::size_t kMegabyte = 1 << 20;

struct HugeCase {
  const char* label;
  std::string formula;
  std::string expect;
};

// Groups deeper than the nesting limit stay as written: of n nested groups
// the outer kMaxNesting are evaluated.
std::string NestedLeftOver(std::string_view open, std::size_t n) {
  const std::size_t kept = n - formel::kMaxNesting;
  return Repeat(open, kept) + "1" + Repeat(")", kept);
}

std::vector<HugeCase> HugeCases() {
  const std::string as = Repeat("a", kMegabyte);
  return {
      {"sum of half a million terms", Repeat("1+", kMegabyte / 2) + "1", "524289"},
      {"one megabyte of text", as, as},
      {"one megabyte quoted literal", "\"" + as + "\"", as},
      {"concatenation of two halves", "\"" + as + "\"&\"" + as + "\"", as + as},
      // Each join once rebuilt everything joined so far: minutes for this.
      {"chain of half a million joins", Repeat("a&", kMegabyte / 2) + "a", Repeat("a", kMegabyte / 2 + 1)},
      {"chain of quoted joins", Repeat("\"q\"\"\"&", kMegabyte / 8) + "1",
       Repeat("q\"", kMegabyte / 8) + "1"},
      {"nesting within the limit", Repeat("(", 150) + "1" + Repeat(")", 150), "1"},
      {"100000 nested groups", Repeat("(", 100000) + "1" + Repeat(")", 100000),
       NestedLeftOver("(", 100000)},
      {"100000 nested calls", Repeat("echo(", 100000) + "1" + Repeat(")", 100000),
       NestedLeftOver("echo(", 100000)},
      {"100000 unmatched opening parentheses", Repeat("(", 100000), Repeat("(", 100000)},
      {"100000 unmatched closing parentheses", Repeat(")", 100000), Repeat(")", 100000)},
      {"100000 unmatched brackets", Repeat("[", 100000), Repeat("[", 100000)},
      // A variable named by 99998 brackets, which does not exist.
      {"100000 nested brackets", Repeat("[", 100000) + Repeat("]", 100000), ""},
      // A literal whose inside holds 99998 quotes, halved when unquoted.
      {"100000 quotes", Repeat("\"", 100000), Repeat("\"", 49999)},
      {"100001 quotes", Repeat("\"", 100001), Repeat("\"", 50000)},
      {"30000 times paren bracket quote", Repeat("([\"", 30000), Repeat("([\"", 30000)},
  };
}

class HugeInputTest : public HostileTest, public ::testing::WithParamInterface<HugeCase> {};

TEST_P(HugeInputTest, EndsInItsResult) {
  Register("echo");
  const std::string result = Eval(GetParam().formula);
  EXPECT_EQ(result.size(), GetParam().expect.size());
  EXPECT_TRUE(result == GetParam().expect) << "first bytes: " << result.substr(0, 80);
}

INSTANTIATE_TEST_SUITE_P(Hostile, HugeInputTest, ::testing::ValuesIn(HugeCases()),
                         [](const ::testing::TestParamInfo<HugeCase>& info) {
                           std::string name;
                           for (const char c : std::string(info.param.label)) {
                             name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
                           }
                           return name;
                         });

TEST_F(HostileTest, MegabyteNamesAndValuesRoundTrip) {
  const std::string name = Repeat("n", kMegabyte);
  const std::string value = Repeat("v", kMegabyte);
  ASSERT_EQ(SetVarS(name.c_str(), value.c_str()), 1);
  EXPECT_TRUE(GetVarS(name.c_str()) == value);
  const std::string spelledOtherwise = "  " + Repeat("N", kMegabyte) + " ";
  EXPECT_TRUE(GetVarS(spelledOtherwise.c_str()) == value);
  EXPECT_TRUE(Eval("[" + name + "]") == value);
  EXPECT_EQ(RemVar(name.c_str()), 1);
  EXPECT_STREQ(GetVarS(name.c_str()), "");

  const formel_test::HostImpl* echo = formel_test::FindHostImpl("echo");
  ASSERT_EQ(SetFunc(name.c_str(), 1, echo->callId), 1);
  EXPECT_EQ(GetFuncParamCnt(spelledOtherwise.c_str()), 1);
  EXPECT_EQ(GetFuncCallID(name.c_str()), echo->callId);
  EXPECT_TRUE(Eval(name + "(\"" + value + "\")") == value);
  EXPECT_EQ(RemFunc(name.c_str()), 1);
}

const std::string& MegabyteResult() {
  static const std::string text = Repeat("z", kMegabyte);
  return text;
}
const char* FORMEL_CALL Big() { return MegabyteResult().c_str(); }

TEST_F(HostileTest, MegabyteHostResultIsCopiedWhole) {
  ASSERT_EQ(SetFunc("big", 0, Id(Big)), 1);
  EXPECT_TRUE(Eval("big()") == MegabyteResult());
  const std::string twice = Eval("big()&big()");
  EXPECT_EQ(twice.size(), 2 * kMegabyte);
  EXPECT_EQ(twice.find_first_not_of('z'), std::string::npos);
}

}  // namespace
}  // namespace formel_hostile
