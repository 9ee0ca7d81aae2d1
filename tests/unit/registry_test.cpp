// The variable and function tables through their exports.
#include <string>

#include "unit/library_fixture.h"

namespace {

class Registry : public LibraryTest {};

const char* FORMEL_CALL HostA() { return "a"; }
const char* FORMEL_CALL HostB(const char*, const char*) { return "b"; }
const FormelCallID kA = reinterpret_cast<FormelCallID>(&HostA);
const FormelCallID kB = reinterpret_cast<FormelCallID>(&HostB);

TEST_F(Registry, EmptyAfterStart) {
  EXPECT_STREQ(GetVarS("x"), "");
  EXPECT_EQ(GetFuncCallID("x"), 0);
  EXPECT_EQ(GetFuncParamCnt("x"), 0);
}

TEST_F(Registry, VariableNamesMatchWithoutBlanksAndCase) {
  ASSERT_EQ(SetVarS(" Abc ", "1"), 1);
  const char* lookups[] = {"abc", "ABC", "  abc", "abc   ", " aBc "};
  for (const char* name : lookups) EXPECT_STREQ(GetVarS(name), "1") << "[" << name << "]";
  EXPECT_STREQ(GetVarS("\tabc"), "") << "a tab belongs to the name";
  EXPECT_STREQ(GetVarS("ab c"), "");
}

TEST_F(Registry, HighLettersMatchTheirLowerHalf) {
  SetVarS("\xC0\xDF", "v");
  EXPECT_STREQ(GetVarS("\xE0\xFF"), "v");
  EXPECT_STREQ(GetVarS("\xE0\xDF"), "v");
  SetVarS("\xA0", "w");
  EXPECT_STREQ(GetVarS("\x80"), "") << "0x80-0xBF have no case";
}

TEST_F(Registry, SettingAgainReplaces) {
  SetVarS("name", "first");
  SetVarS("NAME", "second");
  EXPECT_STREQ(GetVarS("name"), "second");
  EXPECT_EQ(RemVar("Name"), 1);
  EXPECT_EQ(RemVar("name"), 0);
}

// The same name set again and again, with the table changing in between:
// each value lands in the entry that the name finds at that moment.
TEST_F(Registry, SettingOneNameInALoopFollowsTheTable) {
  for (int round = 0; round < 8; ++round) {
    const std::string value = std::to_string(round);
    ASSERT_EQ(SetVarS("loop", value.c_str()), 1);
    if (round == 2) RemVar("LOOP");
    if (round == 4) ClearVars();
    if (round == 6) SetVarS("other", "o");
    const bool gone = round == 2 || round == 4;
    EXPECT_STREQ(GetVarS(" Loop"), gone ? "" : value.c_str()) << "round " << round;
  }
  ASSERT_EQ(SetVarS("loop", GetVarS("loop")), 1);  // a result passed back in
  EXPECT_STREQ(GetVarS("loop"), "7");
  EXPECT_STREQ(GetVarS("other"), "o");
}

TEST_F(Registry, IntegerValuesAreDecimalTexts) {
  const struct {
    FormelInt value;
    const char* text;
  } cases[] = {{0, "0"}, {-2147483647 - 1, "-2147483648"}, {2147483647, "2147483647"}, {-5, "-5"}};
  for (const auto& c : cases) {
    SetVarL("n", c.value);
    EXPECT_STREQ(GetVarS("n"), c.text);
  }
}

TEST_F(Registry, ValuesKeepTheirBlanksAndMissingLooksEmpty) {
  SetVarS("v", "  padded  ");
  EXPECT_STREQ(GetVarS("v"), "  padded  ");
  SetVarS("null", nullptr);
  EXPECT_STREQ(GetVarS("null"), "");
  SetVarS("empty", "");
  EXPECT_STREQ(GetVarS("empty"), "");
}

TEST_F(Registry, EmptyAndNullNamesAreOneName) {
  SetVarS(nullptr, "e");
  EXPECT_STREQ(GetVarS(""), "e");
  EXPECT_STREQ(GetVarS("   "), "e");
  EXPECT_EQ(RemVar("  "), 1);
  EXPECT_STREQ(GetVarS(nullptr), "");
}

TEST_F(Registry, ClearVarsEmptiesAndAlwaysSaysOne) {
  EXPECT_EQ(ClearVars(), 1);
  SetVarS("a", "1");
  SetVarS("b", "2");
  EXPECT_EQ(ClearVars(), 1);
  EXPECT_STREQ(GetVarS("a"), "");
}

TEST_F(Registry, PreviousResultCanBePassedBackIn) {
  SetVarS("x", "value of x");
  const char* result = GetVarS("x");
  SetVarS(result, result);  // both arguments lie in the workspace
  EXPECT_STREQ(GetVarS("VALUE OF X"), "value of x");
  const char* again = GetVarS("x");
  EXPECT_STREQ(GetVarS(again), "value of x");
}

TEST_F(Registry, GetVarSResultStartsWhereTheCallStarted) {
  SetVarS("x", "abc");
  const char* first = GetVarS("x");
  const char* second = GetVarS("x");
  EXPECT_EQ(first, second) << "an outermost call builds at the start of the workspace";
  EXPECT_EQ(Ctx().workspace.WritePointer(), second + 3);
}

// A formula handed back from a result lies in the workspace that the next
// call starts over: it is read before then, also as the formula of a loop,
// whose plan ran last.
TEST_F(Registry, PreviousResultCanBeTheNextFormula) {
  SetVarS("a", "1");
  for (int i = 0; i < 3; ++i) ASSERT_STREQ(Formel("[a]+1"), "2");  // prepared and run last
  const char* formula = Formel("\"[a]+1\"");
  ASSERT_STREQ(formula, "[a]+1");
  EXPECT_STREQ(Formel(formula), "2");
  EXPECT_STREQ(Formel(Formel("\"[a]\"&\"+2\"")), "3");  // a formula without a plan
}

TEST_F(Registry, FunctionRegisteredAgainTakesTheNewIdAndCount) {
  ASSERT_EQ(SetFunc("sin", 1, kA), 1);
  ASSERT_EQ(SetFunc(" SIN ", 2, kB), 1);
  EXPECT_EQ(GetFuncCallID("sin"), kB);
  EXPECT_EQ(GetFuncParamCnt("Sin"), 2);
  EXPECT_EQ(RemFunc("sin"), 1);
  EXPECT_EQ(GetFuncCallID("sin"), 0);
}

TEST_F(Registry, ParameterCountOutsideZeroToTenIsRefused) {
  SetFunc("f", 1, kA);
  EXPECT_EQ(SetFunc("f", 11, kB), 0);
  EXPECT_EQ(SetFunc("f", -1, kB), 0);
  EXPECT_EQ(GetFuncCallID("f"), kA);
  EXPECT_EQ(GetFuncParamCnt("f"), 1);
  EXPECT_EQ(SetFunc("g", 0, kA), 1);
  EXPECT_EQ(SetFunc("h", 10, kA), 1);
}

TEST_F(Registry, CallIdZeroIsKeptButReadsAsUnregistered) {
  EXPECT_EQ(SetFunc("g", 2, 0), 1);
  EXPECT_EQ(GetFuncCallID("g"), 0);
  EXPECT_EQ(GetFuncParamCnt("g"), 2);
  EXPECT_STREQ(Formel("g(1,2)"), "1,2,");
}

TEST_F(Registry, RemoveAndClearFunctions) {
  EXPECT_EQ(RemFunc("nope"), 0);
  SetFunc("f", 0, kA);
  EXPECT_EQ(RemFunc(" F "), 1);
  SetFunc("", 0, kA);
  EXPECT_EQ(GetFuncCallID("   "), kA);
  EXPECT_EQ(GetFuncCallID(nullptr), kA);
  EXPECT_EQ(ClearFuncs(), 1);
  EXPECT_EQ(GetFuncCallID(""), 0);
  EXPECT_EQ(ClearFuncs(), 1);
}

TEST_F(Registry, AttachProcessEmptiesBothTables) {
  SetVarS("x", "1");
  SetFunc("f", 0, kA);
  EXPECT_EQ(AttachProcess(nullptr), 0);
  EXPECT_STREQ(GetVarS("x"), "");
  EXPECT_EQ(GetFuncCallID("f"), 0);
}

TEST_F(Registry, EntryPointAnswersOneForEveryReason) {
  for (FormelInt reason : {2, 3, 4, -1, 1000}) EXPECT_EQ(DLLEntryPoint(nullptr, reason, nullptr), 1);
  SetVarS("kept", "1");
  EXPECT_EQ(DLLEntryPoint(nullptr, 2, nullptr), 1);
  EXPECT_STREQ(GetVarS("kept"), "1") << "thread notifications change nothing";
}

TEST(RegistryUnloaded, ExportsAnswerNothingWhenNotStarted) {
  DLLEntryPoint(nullptr, 0, nullptr);
  EXPECT_EQ(SetVarS("x", "1"), 0);
  EXPECT_STREQ(GetVarS("x"), "");
  EXPECT_STREQ(Formel("1+1"), "");
  EXPECT_EQ(SetFunc("f", 0, 0), 0);
}

}  // namespace
