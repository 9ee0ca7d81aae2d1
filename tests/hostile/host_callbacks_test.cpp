// Host functions that misbehave or call back into the library while they
// run: each evaluation still ends in its result and leaves sound tables.
#include <vector>

#include "hostile/hostile_fixture.h"

namespace formel_hostile {
namespace {

int gTicks = 0;

const char* FORMEL_CALL CallsClearFuncs() { ClearFuncs(); return "c"; }
const char* FORMEL_CALL RemovesItself() { RemFunc("selfremove"); return "r"; }
const char* FORMEL_CALL CallsClearVars() { ClearVars(); return "v"; }
const char* FORMEL_CALL CallsAttach() { AttachProcess(nullptr); return "a"; }
const char* FORMEL_CALL Detaches() { DLLEntryPoint(nullptr, 0, nullptr); return "d"; }
const char* FORMEL_CALL Restarts() { DLLEntryPoint(nullptr, 1, nullptr); return "s"; }
const char* FORMEL_CALL Tick(const char*) { ++gTicks; return "t"; }
// Sets a variable from its argument, handing the library's own text back in.
const char* FORMEL_CALL StoresArgument(const char* text) { SetVarS(text, text); return text; }

struct CallbackCase {
  const char* label;
  const char* name;
  FormelCallID id;
  const char* formula;
  const char* expect;
};

// An unregistered call gives its argument list with a final comma, so a
// call that lost its registration mid-formula shows as "2,".
const CallbackCase kCallbackCases[] = {
    {"ClearFuncs drops later calls", "clearfuncs", Id(CallsClearFuncs), "clearfuncs()&echo(2)", "c2,"},
    {"RemFunc of itself", "selfremove", Id(RemovesItself), "selfremove()&selfremove(2)", "r2,"},
    {"ClearVars before the variables stage", "clearvars", Id(CallsClearVars), "([x])&clearvars()&[x]", "5v"},
    {"AttachProcess mid-formula", "attach", Id(CallsAttach), "echo(1)&attach()&echo(2)&[x]", "1a2,"},
    {"a restart while running is refused", "restart", Id(Restarts), "restart()&echo(2)&[x]", "s25"},
};

class CallbackTest : public HostileTest, public ::testing::WithParamInterface<CallbackCase> {};

TEST_P(CallbackTest, FormulaEndsWithItsResult) {
  const CallbackCase& c = GetParam();
  Register("echo");
  ASSERT_EQ(SetVarS("x", "5"), 1);
  ASSERT_EQ(SetFunc(c.name, 0, c.id), 1);
  EXPECT_EQ(Eval(c.formula), c.expect);
  // The library is whole afterwards: it stores, evaluates and looks up.
  ASSERT_EQ(SetVarS("y", "6"), 1);
  Register("echo");
  EXPECT_EQ(Eval("echo([y])*2"), "12");
}

INSTANTIATE_TEST_SUITE_P(Hostile, CallbackTest, ::testing::ValuesIn(kCallbackCases),
                         [](const ::testing::TestParamInfo<CallbackCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(HostileTest, NullHostResultReadsAsEmpty) {
  Register("null0");
  Register("null1");
  EXPECT_EQ(Eval("null0()"), "");
  EXPECT_EQ(Eval("\"<\"&null1(5)&\">\""), "<>");
}

TEST_F(HostileTest, HostReturningTheTextItWasGiven) {
  Register("echo");
  EXPECT_EQ(Eval("echo(\"a,b\")&echo(echo(\"(c)\"))"), "a,b(c)");
  const std::string big = Repeat("q", 1 << 20);
  EXPECT_TRUE(Eval("echo(\"" + big + "\")") == big);
}

TEST_F(HostileTest, HostStoringItsArgumentAsNameAndValue) {
  ASSERT_EQ(SetFunc("store", 1, Id(StoresArgument)), 1);
  EXPECT_EQ(Eval("store(\"k\"&1)&\"!\""), "k1!");
  EXPECT_STREQ(GetVarS("K1"), "k1");
}

TEST_F(HostileTest, HostEvaluatingFormulasWhileItRuns) {
  Register("formel");
  ASSERT_EQ(SetVarS("x", "2"), 1);
  EXPECT_EQ(Eval("formel(\"1+2\")&formel(\"3*[x]\")"), "36");
  // Re-entry without end stops at the nesting limit instead of the stack.
  ASSERT_EQ(SetVarS("loop", "formel([loop])"), 1);
  EXPECT_EQ(Eval("formel([loop])"), Eval("formel([loop])"));
}

TEST_F(HostileTest, DetachWhileRunningEndsAfterTheOutermostCall) {
  ASSERT_EQ(SetFunc("detach", 0, Id(Detaches)), 1);
  EXPECT_STREQ(Formel("detach()&1"), "");
  EXPECT_EQ(formel::DefaultEvaluator(), nullptr);
  EXPECT_EQ(SetVarS("x", "1"), 0);
  EXPECT_STREQ(Formel("1+1"), "");
  DLLEntryPoint(nullptr, 1, nullptr);
  EXPECT_EQ(Eval("1+1"), "2");
}

TEST_F(HostileTest, AttachBetweenCallsEmptiesBothTables) {
  Register("echo");
  ASSERT_EQ(SetVarS("x", "1"), 1);
  const char* before = Formel("echo([x])");
  EXPECT_STREQ(before, "1");
  EXPECT_EQ(AttachProcess(nullptr), 0);
  EXPECT_STREQ(GetVarS("x"), "");
  EXPECT_EQ(GetFuncParamCnt("echo"), 0);
  EXPECT_EQ(Eval("echo([x])"), "[x],");  // unregistered: the argument list as written
}

// Every argument is evaluated, the first ten are passed, the rest dropped.
TEST_F(HostileTest, ElevenToAHundredArguments) {
  Register("show10");
  ASSERT_EQ(SetFunc("tick", 1, Id(Tick)), 1);
  for (const int n : {10, 11, 12, 50, 100}) {
    std::string args;
    std::string shown;
    for (int i = 1; i <= n; ++i) {
      args += (i > 1 ? "," : "") + std::to_string(i) + "&tick(0)";
      if (i <= 10) shown += (i > 1 ? "|" : "") + std::to_string(i) + "t";
    }
    gTicks = 0;
    EXPECT_EQ(Eval("show10(" + args + ")"), "{" + shown + "}") << n << " arguments";
    EXPECT_EQ(gTicks, n);
  }
}

}  // namespace
}  // namespace formel_hostile
