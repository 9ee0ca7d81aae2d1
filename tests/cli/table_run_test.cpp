// CSV runs as a user has them: every record's columns set as variables, the
// formulas' results appended, bad records reported and kept. Each case runs
// on one thread and on two, with the same output.
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

struct TableCase {
  const char* name;
  std::string file;  // written as data.csv
  std::vector<std::string> args;
  std::string out;
  std::string err{};  // without the "formel: " of each line
  int status = 0;
  bool findings = false;  // err holds --check's lines, which have no "formel: "
};

// Records as real data has them: a phone number and a date that have the
// form of numbers, and one that is a number.
const std::string kPhones = "phone,date\n555-1234,2024-01-05\n12,2024\n1-1,x\n";
// With and without --check, the same records and results.
const std::string kPhoneResults =
    "phone,date,[phone],\"left([date],4)\"\n555-1234,2024-01-05,-679,2018\n12,2024,12,2024\n1-1,x,0,x\n";
const std::string kComputed = ": value-as-formula: the value ";
const std::string kComputedEnd = " went into the formula as it stands, and its \"-\" was computed: a value with "
                                 "operators is read as a formula\n";
const std::string kComputedJson = " went into the formula as it stands, and its \\\"-\\\" was computed: a value "
                                  "with operators is read as a formula";

const TableCase kCases[] = {
    {"the README's example",
     "item,price,qty\ntea,2.50,4\n\"cake, lemon\",3.20,2\n",
     {"--csv", "data.csv", "[net] := [price]*[qty]", "[net]*1.2"},
     "item,price,qty,net,[net]*1.2\ntea,2.50,4,10,12\n\"cake, lemon\",3.20,2,6.4,7.68\n"},
    {"an assigned value lasts for its record only",
     "a\n1\n2\n",
     {"--var", "t=9", "--csv", "data.csv", "[t]&\".\"", "[ t ] := [a]*2", "[t]+1"},
     "a,\"[t]&\"\".\"\"\",t,[t]+1\n1,9.,2,3\n2,9.,4,5\n"},
    {"bad records are reported and written with empty results",
     "a,b\n1,2\n3\n4,5,6\n7,8\n9,\"10\n",
     {"--csv", "data.csv", "[a]+[b]"},
     "a,b,[a]+[b]\n1,2,3\n3,\n4,5,6,\n7,8,15\n9,\"10\n\",\n",
     "data.csv: record 3: 1 field, the header has 2\n"
     "data.csv: record 4: 3 fields, the header has 2\n"
     "data.csv: record 6: a quote is not closed before the end of the file\n",
     1},
    {"a repeated column name: the first column sets the variable",
     "x,X, x \n1,2,3\n",
     {"--csv", "data.csv", "[x]"},
     "x,X, x ,[x]\n1,2,3,1\n",
     "data.csv: record 1: column 2 repeats the name 'X' of column 1\n"
     "data.csv: record 1: column 3 repeats the name ' x ' of column 1\n",
     1},
    {"a formula's heading never repeats a name, nor is it empty",
     "a\n1\n",
     {"--csv", "data.csv", "[a] := [a]*10", "[] := 5", "A", "[x]", "[x]"},
     "a,a (2),(3),A (4),[x],[x] (6)\n1,10,5,A,,\n"},
    {"a field with a NUL byte makes its record bad",
     std::string("a,b\nx\0y,2\n3,4\n", 14),
     {"--csv", "data.csv", "[b]"},
     std::string("a,b,[b]\nx\0y,2,\n3,4,4\n", 21),
     "data.csv: record 2: field 1: a NUL byte at column 2\n",
     1},
    {"a field past the text limit ends the read",
     "a\n1\n" + std::string(4194305, 'x') + "\n2\n",
     {"--csv", "data.csv", "[a]"},
     "a,[a]\n1,1\n",
     "data.csv: record 3: a field longer than the text limit (4 MiB), or a quote left open: the file is read no "
     "further\n",
     1},
    {"empty file", "", {"--csv", "data.csv", "1+1", "[a]"}, "1+1,[a]\n"},
    {"header only", "a,b\n", {"--csv", "data.csv", "[a]"}, "a,b,[a]\n"},
    {"byte-order mark, CRLF, quoted line break",
     "\xEF\xBB\xBF" "a,b\r\n\"x\r\ny\",2\r\n",
     {"--csv", "data.csv", "len([a])*[b]"},
     "a,b,len([a])*[b]\n\"x\r\ny\",2,8\n"},
    {"tab-separated", "a\tb\nx,y\t2\n", {"--tsv", "data.csv", "[a]&[b]"}, "a\tb\t[a]&[b]\nx,y\t2\tx,y2\n"},
    {"formulas from a file and arguments",
     "a\n3\n",
     {"--csv", "data.csv", "-f", "formulas.txt", "[sq]+1"},
     "a,sq,[a]*-1,[sq]+1\n3,9,-3,10\n"},
    {"--check: a summary of the findings at the end, per column and code",
     kPhones, {"--check", "--csv", "data.csv", "[phone]", "left([date],4)"}, kPhoneResults,
     "data.csv: [phone]: value-as-formula: 2 records: 2 gives \"-679\", 4 gives \"0\"\n"
     "data.csv: left([date],4): value-as-formula: 1 record: 2 gives \"2018\"\n",
     1, true},
    {"--check=all: every finding after its record",
     kPhones, {"--check=all", "--csv", "data.csv", "[phone]", "left([date],4)"}, kPhoneResults,
     "data.csv:2: [phone]" + kComputed + "\"555-1234\" of \"[phone]\"" + kComputedEnd +
     "data.csv:2: left([date],4)" + kComputed + "\"2024-01-05\" of \"[date]\"" + kComputedEnd +
     "data.csv:4: [phone]" + kComputed + "\"1-1\" of \"[phone]\"" + kComputedEnd,
     1, true},
    {"--check=json: an object for each record with findings, in place of the CSV",
     kPhones, {"--check=json", "--csv", "data.csv", "[phone]&\"\""},
     "{\"record\":2,\"findings\":[{\"column\":\"[phone]&\\\"\\\"\",\"result\":\"-679\",\"code\":\"value-as-formula\","
     "\"message\":\"the value \\\"555-1234\\\" of \\\"[phone]\\\"" + kComputedJson +
     "\",\"start\":0,\"end\":7}]}\n"
     "{\"record\":4,\"findings\":[{\"column\":\"[phone]&\\\"\\\"\",\"result\":\"0\",\"code\":\"value-as-formula\","
     "\"message\":\"the value \\\"1-1\\\" of \\\"[phone]\\\"" + kComputedJson +
     "\",\"start\":0,\"end\":7}]}\n",
     "", 1},
    {"--check: the summary shows the lowest record numbers, whatever the threads",
     "a\n1\n2-1\n3\n4-1\n5-1\n6-1\n7-1\n", {"--check", "--csv", "data.csv", "[a]"},
     "a,[a]\n1,1\n2-1,1\n3,3\n4-1,3\n5-1,4\n6-1,5\n7-1,6\n",
     "data.csv: [a]: value-as-formula: 5 records, first 3 gives \"1\", 5 gives \"3\", 6 gives \"4\"\n", 1, true},
    {"--check with no finding: the records alone", "a\n1\n", {"--check", "--csv", "data.csv", "[a]*2"},
     "a,[a]*2\n1,2\n"},
};

class TableRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("formel_table_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    Write("formulas.txt", "\xEF\xBB\xBF[sq] := [a]^2\n\n[a]*-1\n");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  std::filesystem::path dir_;
};

std::string Messages(const std::string& lines) {
  std::string out;
  for (std::size_t at = 0; at < lines.size();) {
    const std::size_t end = lines.find('\n', at);
    out += "formel: " + lines.substr(at, end - at + 1);
    at = end + 1;
  }
  return out;
}

TEST_F(TableRunTest, WritesEveryRecordWithItsResults) {
  for (const TableCase& c : kCases) {
    Write("data.csv", c.file);
    for (const char* jobs : {"-j1", "-j2"}) {
      std::vector<std::string> args{jobs};
      args.insert(args.end(), c.args.begin(), c.args.end());
      RunSetup setup;
      setup.workDirectory = dir_.string();
      const ProgramRun run = RunFormel(args, setup);
      EXPECT_EQ(run.out, c.out) << c.name << " " << jobs;
      EXPECT_EQ(run.err, c.findings ? c.err : Messages(c.err)) << c.name << " " << jobs;
      EXPECT_EQ(run.status, c.status) << c.name << " " << jobs;
    }
  }
}

TEST_F(TableRunTest, ReadsStandardInput) {
  RunSetup setup;
  setup.input = "n\n2\n";
  const ProgramRun run = RunFormel({"--csv", "-", "[n]*3"}, setup);
  EXPECT_EQ(run.out, "n,[n]*3\n2,6\n");
  const ProgramRun missing = RunFormel({"--csv", "missing.csv", "1"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "formel: cannot read missing.csv: No such file or directory\n");
}

}  // namespace
