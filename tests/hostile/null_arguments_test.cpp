// Null texts in every export, and every export while the library is not
// started: each returns its value or its "nothing" value, never crashes.
#include "hostile/hostile_fixture.h"

namespace formel_hostile {
namespace {

// A null text reads as "" everywhere, names included.
TEST_F(HostileTest, EveryExportTakesNullTexts) {
  EXPECT_EQ(SetVarS(nullptr, nullptr), 1);
  EXPECT_STREQ(GetVarS(nullptr), "");
  EXPECT_EQ(SetVarS(nullptr, "x"), 1);
  EXPECT_STREQ(GetVarS(""), "x");
  EXPECT_STREQ(GetVarS(nullptr), "x");
  EXPECT_EQ(SetVarL(nullptr, -7), 1);
  EXPECT_STREQ(GetVarS(nullptr), "-7");
  EXPECT_EQ(SetVarS("a", nullptr), 1);
  EXPECT_STREQ(GetVarS("a"), "");
  EXPECT_EQ(SetVarS("a", "y"), 1);  // set again: in place
  EXPECT_EQ(SetVarS("a", nullptr), 1);
  EXPECT_STREQ(GetVarS("a"), "");
  EXPECT_EQ(RemVar(nullptr), 1);
  EXPECT_EQ(RemVar(nullptr), 0);

  const FormelCallID echo = formel_test::FindHostImpl("echo")->callId;
  EXPECT_EQ(SetFunc(nullptr, 1, echo), 1);
  EXPECT_EQ(GetFuncCallID(nullptr), echo);
  EXPECT_EQ(GetFuncParamCnt(nullptr), 1);
  EXPECT_EQ(RemFunc(nullptr), 1);
  EXPECT_EQ(RemFunc(nullptr), 0);
  EXPECT_EQ(GetFuncCallID(nullptr), 0);
  EXPECT_EQ(GetFuncParamCnt(nullptr), 0);

  EXPECT_STREQ(Formel(nullptr), "");
  EXPECT_EQ(AttachProcess(nullptr), 0);
  EXPECT_EQ(DLLEntryPoint(nullptr, 7, nullptr), 1);  // an unknown reason does nothing
  EXPECT_EQ(Eval("1+1"), "2");
}

// Out-of-range parameter counts leave the table unchanged.
TEST_F(HostileTest, SetFuncRejectsCountsOutsideZeroToTen) {
  const FormelCallID echo = formel_test::FindHostImpl("echo")->callId;
  ASSERT_EQ(SetFunc("f", 1, echo), 1);
  for (const FormelInt count : {-1, 11, 100, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(SetFunc("f", count, 12345), 0) << count;
    EXPECT_EQ(GetFuncCallID("f"), echo);
    EXPECT_EQ(GetFuncParamCnt("f"), 1);
  }
}

TEST(HostileNotStarted, EveryExportGivesItsNothingValue) {
  DLLEntryPoint(nullptr, 0, nullptr);
  ASSERT_EQ(formel::DefaultEvaluator(), nullptr);
  EXPECT_EQ(SetVarS("a", "b"), 0);
  EXPECT_EQ(SetVarL("a", 1), 0);
  EXPECT_STREQ(GetVarS("a"), "");
  EXPECT_EQ(RemVar("a"), 0);
  EXPECT_EQ(ClearVars(), 0);
  EXPECT_EQ(SetFunc("f", 1, 1), 0);
  EXPECT_EQ(RemFunc("f"), 0);
  EXPECT_EQ(ClearFuncs(), 0);
  EXPECT_EQ(GetFuncCallID("f"), 0);
  EXPECT_EQ(GetFuncParamCnt("f"), 0);
  EXPECT_STREQ(Formel("1+1"), "");
  EXPECT_EQ(AttachProcess(nullptr), 0);
  EXPECT_EQ(DLLEntryPoint(nullptr, 0, nullptr), 1);  // a second end does nothing
  DLLEntryPoint(nullptr, 1, nullptr);
  EXPECT_STREQ(Formel("1+1"), "2");
  DLLEntryPoint(nullptr, 0, nullptr);
}

}  // namespace
}  // namespace formel_hostile
