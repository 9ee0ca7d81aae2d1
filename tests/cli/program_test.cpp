// The formel program as a user runs it: arguments, pipes, files, variables,
// the trace view, bad usage and exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

using formel_cli_test::ProgramRun;
using formel_cli_test::RunFormel;
using formel_cli_test::RunSetup;

// Each level quotes the value of the level inside, doubling its quotes: 64
// levels would need 2^64 bytes.
std::string QuoteDoubling(int depth) {
  std::string formula = "\"";
  for (int i = 0; i < depth; ++i) formula = "(" + formula + ")a";
  return formula;
}

constexpr std::size_t kTextLimit = std::size_t{4} << 20;

// A scratch directory with files the cases name (relative paths).
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("formel_cli_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "a_directory");
    Write("formulas.txt", "1+2\n\"a\"&\"b\"\r\n\n10-2+3");
    Write("vars.txt", "# comment\n\nx=5\n y =7\nempty=\n");
    Write("bad_vars.txt", "x=5\nno equals sign\n");
    Write("assign.txt", "[b] := [a]+1\n[a]*[b]\n");
    Write("bom.txt", "\xEF\xBB\xBF" "1+1\n");
    Write("bom_vars.txt", "\xEF\xBB\xBF" "x=5\n");
    Write("limit.txt", "1+1\n" + QuoteDoubling(64) + "\n3\n");
    Write("no_name.txt", "=5\n");
    Write("nul_vars.txt", std::string("a=b\0c\n", 6));
    Write("long.txt", "1+" + std::string(kTextLimit, '1') + "\n[v]&[v]&[v]\nlen([long])\n" +
                          std::string("\"a\0b\"&\"c\"\n", 10));
    Write("long_vars.txt", "v=" + std::string(kTextLimit / 2, 'v') + "\nlong=" + std::string(kTextLimit + 1, 'x') + "\n");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  ProgramRun In(const std::vector<std::string>& args, const std::string& input = "") {
    RunSetup setup;
    setup.input = input;
    setup.workDirectory = dir_.string();
    return RunFormel(args, setup);
  }

  std::filesystem::path dir_;
};

struct Expected {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string out;
};

// Runs succeed with exactly this output and nothing on standard error.
const Expected kOutputs[] = {
    {"each argument on a line, in order", {"1+2", "2*3", "abc"}, "", 0, "3\n6\nabc\n"},
    {"empty formula gives an empty line", {"", "1"}, "", 0, "\n1\n"},
    {"worked example", {"--var", "x=5", "2*max(1,[x])+1"}, "", 0, "11\n"},
    {"variables set before any formula", {"[x]", "--var=x=4"}, "", 0, "4\n"},
    {"later setting wins", {"--var", "x=1", "--var", "X=2", "[x]"}, "", 0, "2\n"},
    {"value is text put into the formula", {"--var", "x=1+2", "[x]*2"}, "", 0, "5\n"},
    {"-- before a formula with a leading minus", {"--", "-2^2", "-x"}, "", 0, "4\n-x\n"},
    {"stock functions present", {"max(1,2)"}, "", 0, "2\n"},
    {"--no-functions leaves the table empty", {"--no-functions", "max(1,2)"}, "", 0, "1,2,\n"},
    {"stdin when no formula", {}, "1+2\n2*3\n", 0, "3\n6\n"},
    {"last line without line end", {}, "7*6", 0, "42\n"},
    {"CRLF line ends", {}, "1+1\r\n2+2\r\n", 0, "2\n4\n"},
    {"empty input lines kept", {}, "1\n\n2\n", 0, "1\n\n2\n"},
    {"-f - reads stdin", {"-f", "-"}, "5-1\n", 0, "4\n"},
    {"a lone - reads stdin", {"1", "-", "2"}, "5-1\n", 0, "1\n4\n2\n"},
    {"-fFILE", {"-fformulas.txt"}, "", 0, "3\nab\n\n11\n"},
    {"file and arguments in command-line order",
     {"0", "-f", "formulas.txt", "--file=formulas.txt", "9"}, "", 0,
     "0\n3\nab\n\n11\n3\nab\n\n11\n9\n"},
    {"variables file", {"--vars", "vars.txt", "[x]+[y]", "[empty]"}, "", 0, "12\n\n"},
    {"--var after --vars replaces", {"--vars", "vars.txt", "--var", "x=1", "[x]"}, "", 0, "1\n"},
    {"assignment in a pipe", {}, "[a] := 2\n[a]*3\n", 0, "2\n6\n"},
    {"assignments as arguments and in files", {"[ A ]:=4", "-f", "assign.txt", "[b]"}, "", 0, "4\n5\n20\n5\n"},
    {"assignments on several threads", {"-j2", "-f", "assign.txt", "-"}, "[a] := [b]*2\n[a]\n", 0, "1\n0\n2\n2\n"},
    {"byte-order mark in a formula file", {"-f", "bom.txt"}, "", 0, "2\n"},
    {"byte-order mark on standard input", {}, "\xEF\xBB\xBF" "2+2\n", 0, "4\n"},
    {"byte-order mark in a variables file", {"--vars", "bom_vars.txt", "[x]"}, "", 0, "5\n"},
};

TEST_F(ProgramTest, PrintsOneResultLinePerFormula) {
  for (const Expected& e : kOutputs) {
    const ProgramRun run = In(e.args, e.input);
    EXPECT_EQ(run.status, e.status) << e.name << ": " << run.err;
    EXPECT_EQ(run.out, e.out) << e.name;
    EXPECT_EQ(run.err, "") << e.name;
  }
}

TEST_F(ProgramTest, HelpAndVersionGoToStandardOutput) {
  const ProgramRun help = In({"1+1", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: formel [options] [formula ...]\n", 0), 0u) << help.out;
  const ProgramRun version = In({"-h", "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("Usage"), std::string::npos);
  EXPECT_EQ(In({"--version"}).out, "formel " FORMEL_EXPECTED_VERSION "\n");
}

struct Failure {
  std::vector<std::string> args;
  int status;
  std::string message;  // the one line on standard error, without "formel: "
};

const Failure kUsageErrors[] = {
    {{"--bogus"}, 2, "unknown option --bogus; see formel --help"},
    {{"-x", "1"}, 2, "unknown option -x; see formel --help"},
    {{"-5+1"}, 2, "unknown option -5+1 (put -- before a formula that starts with -); see formel --help"},
    {{"-(1)"}, 2, "unknown option -(1) (put -- before a formula that starts with -); see formel --help"},
    {{"--[x]"}, 2, "unknown option --[x] (put -- before a formula that starts with -); see formel --help"},
    {{"-\"a\""}, 2, "unknown option -\"a\" (put -- before a formula that starts with -); see formel --help"},
    {{"-j", "0"}, 2, "option -j needs a number from 1 to 256; see formel --help"},
    {{"--jobs=2x"}, 2, "option --jobs needs a number from 1 to 256; see formel --help"},
    {{"--csv", "a.csv", "--tsv", "b.tsv"}, 2, "only one --csv or --tsv file per run; see formel --help"},
    {{"--trace", "--csv", "a.csv", "1"}, 2, "--trace does not go with --csv or --tsv; see formel --help"},
    {{"1", "--var"}, 2, "option --var needs a value; see formel --help"},
    {{"-f"}, 2, "option -f needs a value; see formel --help"},
    {{"--var", "novalue", "1"}, 2, "malformed variable 'novalue', expected NAME=VALUE; see formel --help"},
    {{"--var", " =5", "1"}, 2, "malformed variable ' =5', the name before \"=\" is empty; see formel --help"},
    {{"--vars", "no_name.txt", "1"}, 2, "no_name.txt:1: the name before \"=\" is empty; see formel --help"},
    {{"--vars", "nul_vars.txt", "1"}, 2, "nul_vars.txt:1: a NUL byte at column 4; see formel --help"},
    {{"--csv", "formulas.txt"}, 2, "--csv needs a formula; see formel --help"},
    {{"--trace=yes", "1"}, 2, "option --trace takes no value; see formel --help"},
    {{"--check=xml", "1"}, 2, "option --check takes no value, =all or =json, not xml; see formel --help"},
    {{"--check=json", "--trace", "1"}, 2, "--trace does not go with --check=json; see formel --help"},
    {{"--check=csv", "--csv", "x.csv", "1"}, 2, "option --check takes no value, =all or =json, not csv; see formel --help"},
    {{"--vars", "bad_vars.txt", "1"}, 2, "bad_vars.txt:2: expected NAME=VALUE; see formel --help"},
    {{"--vars", "missing.txt", "1"}, 1, "cannot read missing.txt: No such file or directory"},
};

TEST_F(ProgramTest, BadUsageAndUnreadableVariablesStopBeforeEvaluating) {
  for (const Failure& f : kUsageErrors) {
    const ProgramRun run = In(f.args);
    EXPECT_EQ(run.status, f.status) << f.args[0];
    EXPECT_EQ(run.out, "") << f.args[0];
    EXPECT_EQ(run.err, "formel: " + f.message + "\n") << f.args[0];
  }
}

TEST_F(ProgramTest, UnreadableFormulaFileIsReportedAndTheRestStillRuns) {
  const ProgramRun run = In({"1", "-f", "missing.txt", "-f", "a_directory", "2"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "1\n2\n");
  EXPECT_EQ(run.err,
            "formel: cannot read missing.txt: No such file or directory\n"
            "formel: cannot read a_directory: is a directory\n");
}

TEST_F(ProgramTest, ResultPastTheTextLimitIsReportedWithItsPlace) {
  const ProgramRun run = In({"-f", "limit.txt", QuoteDoubling(64)});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "2\n\n3\n\n");
  const std::string quoting = "result over the quoting allowance (the quotes of text literals: "
                              "1 MiB plus 4 bytes per formula byte)\n";
  EXPECT_EQ(run.err, "formel: limit.txt:2: " + quoting + "formel: formula argument 1: " + quoting);
}

// Each bad line gets an empty result line and a message that names its
// place and what was wrong: which limit, and whether the input or the
// result went past it.
TEST_F(ProgramTest, BadLinesAreReportedWithTheLimitTheyHit) {
  const ProgramRun run = In({"--vars", "long_vars.txt", "-f", "long.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "\n\n\n\n");
  EXPECT_EQ(run.err,
            "formel: long.txt:1: formula longer than the text limit (4 MiB)\n"
            "formel: long.txt:2: result longer than the text limit (4 MiB)\n"
            "formel: long.txt:3: value of [long] longer than the text limit (4 MiB)\n"
            "formel: long.txt:4: a NUL byte at column 3\n");
}

// A line that looks like an assignment without its brackets has its
// result as the language gives it, and a message with the form that
// assigns.
TEST_F(ProgramTest, AnAssignmentWithoutBracketsIsShownTheFormThatAssigns) {
  const ProgramRun run = In({"x := 3", "-"}, "t := 2*3\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "x 0\nt 0\n");
  const std::string message = "this sets no variable (it is evaluated as it stands); to assign, write ";
  EXPECT_EQ(run.err, "formel: formula argument 1: " + message + "[x] := 3\n" +
                         "formel: standard input:1: " + message + "[t] := 2*3\n");
}

TEST_F(ProgramTest, FailedWriteToStandardOutputIsAnError) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"1+2"}, {"--help"}, {"--trace", "1e-5"}}) {
    RunSetup full;
    full.stdoutPath = "/dev/full";
    const ProgramRun run = RunFormel(args, full);
    EXPECT_EQ(run.status, 1) << args[0];
    EXPECT_EQ(run.err, "formel: cannot write to standard output: No space left on device\n") << args[0];
  }
  RunSetup piped;
  piped.input = std::string(100000, '1') + "\n";
  piped.stdoutPath = "/dev/full";
  EXPECT_EQ(RunFormel({}, piped).status, 1);
}

// The trace lists, under each formula, the stages that changed its text,
// and under each group or call the evaluation of its inside.
const Expected kTraces[] = {
    {"a signed exponent is a subtraction, with its finding", {"--trace", "1e-5"}, "", 0,
     "1e-5\n  number-prefix \"1e\" reads as the number 1: the rest is ignored\n"
     "  -          -4\n-4\n"},
    {"call with its level, argument, passes",
     {"--trace", "--var", "x=5", "2*max(1,[x])+1"}, "", 0,
     "2*max(1,[x])+1\n"
     "  call 1     max(1,[x]) -> 5\n"
     "    [x]\n"
     "      variables  5\n"
     "  groups     2*5+1\n"
     "  *          10+1\n"
     "  +          11\n"
     "11\n"},
    {"nested groups", {"--trace", "((1+2))*2"}, "", 0,
     "((1+2))*2\n"
     "  group 1    ((1+2)) -> 3\n"
     "    (1+2)\n"
     "      group 2    (1+2) -> 3\n"
     "        1+2\n"
     "          +          3\n"
     "      groups     3\n"
     "  groups     3*2\n"
     "  *          6\n"
     "6\n"},
    {"final clean-up", {"--trace", "FFh", "\"a\"\"b\"", "--", "--5"}, "", 0,
     "FFh\n  result     255\n255\n"
     "\"a\"\"b\"\n  result     a\"b\na\"b\n"
     "--5\n  +          5\n5\n"},
    {"unchanged formula shows no stage", {"--trace"}, "42\n", 0, "42\n42\n"},
    {"a call of an unknown name says so", {"--trace", "--no-functions", "sin(1+2)"}, "", 0,
     "sin(1+2)\n"
     "  call 1     sin(1+2) -> \"1+2,\" (left as text: no function has this name)\n"
     "    1+2\n"
     "      +          3\n"
     "  groups     \"1+2,\"\n"
     "  result     1+2,\n"
     "1+2,\n"},
};

TEST_F(ProgramTest, TraceShowsEachStageThatChangedTheText) {
  for (const Expected& e : kTraces) {
    const ProgramRun run = In(e.args, e.input);
    EXPECT_EQ(run.status, e.status) << e.name;
    EXPECT_EQ(run.out, e.out) << e.name;
  }
}

struct StockCase {
  const char* formula;
  const char* result;
};

const StockCase kStockFunctions[] = {
    {"min(3,1,2)", "1"},
    {"max(3,-1,2)", "3"},
    {"max(2,\"x\")", "2"},  // words read as 0
    {"max(,5,)", "5"},      // empty arguments take no part
    {"max()", ""},
    {"abs(-4.5)", "4.5"},
    {"sqrt(16)+sqrt(2)", "5.414214"},
    {"sqrt(-1)", "0"},
    {"round(2.675,2)", "2.68"},
    {"round(-2.5)", "-3"},
    {"round(1.23456789,9)", "1.23456789"},  // never more decimals than written
    // The decimal as written, not its 32-bit float (27.059999, 12345.679688).
    {"round(27.06,2)", "27.06"},
    {"round(12345.678,2)", "12345.68"},
    {"round(93.26*2,2)", "186.52"},
    {"round(1.005,2)", "1.01"},
    {"round(9.995,2)", "10"},  // a carry, and no trailing zeros
    {"round(-0.004,2)", "0"},  // no negative zero
    {"round(1234.5,-2)", "1235"},  // places below 0 count as 0
    {"round(\"12.345abc\",2)", "12.35"},  // the number the text begins with
    {"round(abc,2)", "0"},
    {"round(\"1.25e-1\",2)", "0.13"},  // an exponent moves the point
    {"round(\"123456789012345678901234567890.555\",2)", "123456789012345678901234567890.56"},
    {"round(\"1e39\",2)", "0"},  // beyond the float range, as other functions write it
    {"len(\"abc\")+len(\"\")", "3"},
    {"upper(\"abc\")", "ABC"},
    {"upper(\"b\")&1", "B1"},  // a text result stays text, not the binary literal B
    {"lower(\"\xC3\x84Q\")", "\xC3\x84q"},  // ASCII letters only: UTF-8 stays intact
    {"upper(\"\xC3\xA4" "a\")", "\xC3\xA4" "A"},
    {"left(\"formula\",3)", "for"},
    {"left(\"ab\",5)&left(\"ab\",-1)", "ab"},
    {"right(\"formula\",3)", "ula"},
    {"mid(\"formula\",2,3)", "orm"},
    {"mid(\"formula\",0,2)&mid(\"abc\",4,1)", "fo"},
    {"trim(\"  a b  \")&\"|\"", "a b|"},
    {"left(\"12\",1)+1", "2"},
    {"if(2>1,\"yes\",\"no\")", "yes"},
    {"if(0,1,2)&if(\"\",3,4)&if(abc,5,6)&if(-0.0,7,8)", "2468"},
    {"if(1,B,0)", "0"},  // the argument B is already the binary literal 0
    {"MAX(1,2)", "2"},   // names match without regard to case
};

TEST_F(ProgramTest, StockFunctions) {
  std::vector<std::string> args;
  std::string expected;
  for (const StockCase& c : kStockFunctions) {
    args.push_back(c.formula);
    expected += std::string(c.result) + "\n";
  }
  const ProgramRun run = In(args);
  EXPECT_EQ(run.status, 0);
  // One run for all: compare line by line for readable failures.
  std::size_t at = 0;
  for (const StockCase& c : kStockFunctions) {
    const std::size_t end = run.out.find('\n', at);
    ASSERT_NE(end, std::string::npos) << "missing result for " << c.formula;
    EXPECT_EQ(run.out.substr(at, end - at), c.result) << c.formula;
    at = end + 1;
  }
}

}  // namespace
