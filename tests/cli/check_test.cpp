// formel --check: results as usual, then each finding GNU style on standard
// error; --check=json: one object per formula instead; the exit status says
// whether any formula had a finding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.h"

namespace {

using formel_cli_test::ProgramRun;
using formel_cli_test::RunFormel;
using formel_cli_test::RunSetup;

struct CheckRun {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string out;
  std::string err;
  bool onePipe = false;  // standard error joins standard output
};

const CheckRun kRuns[] = {
    {"no finding", {"--check", "2*(3+4)", "max(1,2)", "round(2.675)"}, "", 0, "14\n2\n3\n", ""},
    {"arguments are numbered", {"--check", "1+1", "sin(1)"}, "", 1, "2\n1,\n",
     "2:1: unknown-function: no function \"sin\" is registered: the call gives its argument list "
     "as text\n"},
    {"lines are numbered, columns count bytes from 1", {"--check"}, "1+1\n\n\"\xC3\xA9\">9\n", 1,
     "2\n\n0\n",
     "3:1: text-number-compare: a quoted text and a number are compared as texts, byte by byte, "
     "the quote included\n"},
    {"an assignment's columns count in its line", {"--check", "[r] := 2x*2", "[r]"}, "", 1,
     "4\n4\n", "1:8: number-prefix: \"2x\" reads as the number 2: the rest is ignored\n"},
    {"a finding without a place has no column", {"--check", "--var", "s=abc", "2+[s]"}, "", 1,
     "2\n", "1: text-as-zero: \"abc\" is not a number: it reads as 0\n"},
    {"json", {"--check=json", "1/3", "2*(1/0)"}, "", 1,
     "{\"formula\":\"1/3\",\"result\":\"0.333333\",\"findings\":[]}\n"
     "{\"formula\":\"2*(1/0)\",\"result\":\"0\",\"findings\":[{\"code\":\"division-by-zero\","
     "\"message\":\"division by zero: it gives 1.#INF, which becomes 0\","
     "\"start\":3,\"end\":6}]}\n",
     ""},
    {"json escapes any byte", {"--check=json", "\"\xC3\xA9\\\xFF\x01\t\"\"\""}, "", 0,
     "{\"formula\":\"\\\"\xC3\xA9\\\\\\u00ff\\u0001\\t\\\"\\\"\\\"\","
     "\"result\":\"\xC3\xA9\\\\\\u00ff\\u0001\\t\\\"\",\"findings\":[]}\n",
     ""},
    {"on one pipe, each finding follows its result", {"--check", "-f", "-"}, "sin(1)\n1+1\nsin(2)\n", 1,
     "1,\n1:1: unknown-function: no function \"sin\" is registered: the call gives its argument list as text\n"
     "2\n2,\n3:1: unknown-function: no function \"sin\" is registered: the call gives its argument list as text\n",
     "", true},
};

TEST(CheckTest, ResultsThenFindings) {
  for (const CheckRun& r : kRuns) {
    RunSetup setup;
    setup.input = r.input;
    setup.stderrToStdout = r.onePipe;
    const ProgramRun run = RunFormel(r.args, setup);
    EXPECT_EQ(run.status, r.status) << r.name;
    EXPECT_EQ(run.out, r.out) << r.name;
    EXPECT_EQ(run.err, r.err) << r.name;
  }
}

}  // namespace
