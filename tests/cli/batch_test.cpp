// Long runs: the same output on any number of threads, flat memory over a
// million records, and the progress line on a terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "run_program.h"
#include "support/formula_cases.h"

namespace {

using formel_cli_test::ProgramRun;
using formel_cli_test::RunFormel;
using formel_cli_test::RunSetup;

std::string TempPath(const std::string& name) { return testing::TempDir() + "formel_batch_" + name; }

// Every shared case as lines: its variables as assignments (each one a wait
// for the lines before it), then its formula; then all formulas again,
// without assignments in between, so that long stretches run in parallel.
std::string SharedCaseLines() {
  std::string lines;
  std::string formulas;
  for (const formel_test::FormulaCase& c : formel_test::ReadFormulaCases(FORMEL_CASES_FILE)) {
    if (c.formula.find('\n') != std::string::npos) continue;
    for (const auto& [name, value] : c.vars) {
      if (name.find(']') != std::string::npos || value.find('\n') != std::string::npos) continue;
      std::string literal;
      for (const char ch : value) literal.append(ch == '"' ? 2 : 1, ch);
      lines += "[" + name + "] := \"" + literal + "\"\n";
    }
    lines += c.formula + "\n";
    formulas += c.formula + "\n";
  }
  for (int i = 0; i < 20; ++i) lines += formulas;
  return lines;
}

TEST(BatchTest, SharedCasesGiveTheSameOutputOnAnyNumberOfThreads) {
  const std::string path = TempPath("cases.txt");
  std::ofstream(path, std::ios::binary) << SharedCaseLines();
  for (const char* trace : {"--no-functions", "--trace"}) {
    const ProgramRun one = RunFormel({trace, "-j1", "-f", path});
    ASSERT_EQ(one.status, 0) << one.err;
    for (const char* jobs : {"-j2", "-j3"}) {
      const ProgramRun more = RunFormel({trace, jobs, "-f", path});
      EXPECT_EQ(more.status, 0) << jobs;
      EXPECT_TRUE(more.out == one.out) << trace << " " << jobs << ": the output differs from -j1";
    }
  }
  std::filesystem::remove(path);
}

// Record i holds i and a padding; the file of a million records is some
// 48 MB, the output more. Memory that followed them would show.
std::string WriteRecords(const std::string& name, int count) {
  const std::string path = TempPath(name);
  std::ofstream file(path, std::ios::binary);
  const std::string padding(40, 'x');
  file << "i,padding\n";
  for (int i = 0; i < count; ++i) file << i << ',' << padding << '\n';
  return path;
}

ProgramRun RunRecords(const std::string& input, const std::string& output) {
  RunSetup setup;
  setup.stdoutPath = output;
  return RunFormel({"-j2", "--csv", input, "[i]*2"}, setup);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryMeasurable = false;  // freed memory is held in quarantine
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryMeasurable = false;
#else
constexpr bool kMemoryMeasurable = true;
#endif
#else
constexpr bool kMemoryMeasurable = true;
#endif

TEST(BatchTest, MillionRecordsStreamInFlatMemory) {
  if (!FORMEL_READS_CSV) GTEST_SKIP() << "the program was built without libcsv";
  constexpr int kRecords = 1000000;
  constexpr long kSlackKb = 16 * 1024;
  const std::string small = WriteRecords("small.csv", 1000);
  const std::string big = WriteRecords("big.csv", kRecords);
  const std::string output = TempPath("out.csv");
  const ProgramRun smallRun = RunRecords(small, output);
  const ProgramRun bigRun = RunRecords(big, output);
  ASSERT_EQ(bigRun.status, 0) << bigRun.err;
  std::ifstream written(output, std::ios::binary);
  std::string line;
  ASSERT_TRUE(std::getline(written, line));
  EXPECT_EQ(line, "i,padding,[i]*2");
  const std::string padding(40, 'x');
  int records = 0;
  for (; std::getline(written, line); ++records) {
    const std::string expected = std::to_string(records) + "," + padding + "," + std::to_string(2 * records);
    if (line != expected) {
      ADD_FAILURE() << "record " << records << ": " << line;
      break;
    }
  }
  EXPECT_EQ(records, kRecords);
  std::cout << "peak resident: " << smallRun.peakResidentKb << " KB for 1000 records, "
            << bigRun.peakResidentKb << " KB for " << kRecords << "\n";
  if (kMemoryMeasurable) {
    EXPECT_LE(bigRun.peakResidentKb - smallRun.peakResidentKb, kSlackKb);
  }
  for (const std::string& path : {small, big, output}) std::filesystem::remove(path);
}

// A quote left open in record 3 of a file six times the text limit: the
// records before it are written, the message names record 3, and memory
// stays near the limit instead of following the file.
TEST(BatchTest, OpenQuoteStopsAtTheFieldBound) {
  if (!FORMEL_READS_CSV) GTEST_SKIP() << "the program was built without libcsv";
  constexpr std::size_t kLimit = 4194304;
  constexpr long kSlackKb = 12 * 1024;
  const std::string small = WriteRecords("closed.csv", 3);
  const std::string open = TempPath("open.csv");
  std::ofstream(open, std::ios::binary) << "i,padding\n1,a\n2,\"" << std::string(6 * kLimit, 'x') << "\n3,b\n";
  const std::string output = TempPath("open_out.csv");
  const ProgramRun smallRun = RunRecords(small, output);
  const ProgramRun openRun = RunRecords(open, output);
  EXPECT_EQ(openRun.status, 1);
  EXPECT_EQ(openRun.err, "formel: " + open +
                             ": record 3: a field longer than the text limit (4 MiB), or a quote left open: "
                             "the file is read no further\n");
  std::ifstream written(output, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "i,padding,[i]*2\n1,a,2\n");
  if (kMemoryMeasurable) {
    EXPECT_LE(openRun.peakResidentKb - smallRun.peakResidentKb, kSlackKb);
  }
  for (const std::string& path : {small, open, output}) std::filesystem::remove(path);
}

// Input that pauses well past the first second: the progress line shows once
// the next records arrive, and is cleared at the end.
TEST(BatchTest, ProgressLineOnlyOnATerminalAndNotWhenQuiet) {
  if (!FORMEL_READS_CSV) GTEST_SKIP() << "the program was built without libcsv";
  RunSetup setup;
  setup.input = "n\n1\n";
  setup.lateInput = "2\n";
  setup.stderrOnTerminal = true;
  const ProgramRun shown = RunFormel({"--csv", "-", "[n]"}, setup);
  EXPECT_EQ(shown.out, "n,[n]\n1,1\n2,2\n");
  const std::string line = "formel: 2 records, 0.0 MB";
  EXPECT_EQ(shown.err.find("\r" + line), 0u) << shown.err;
  EXPECT_TRUE(shown.err.ends_with("\r" + std::string(shown.err.find('\r', 1) - 1, ' ') + "\r")) << shown.err;
  const ProgramRun quiet = RunFormel({"--quiet", "--csv", "-", "[n]"}, setup);
  EXPECT_EQ(quiet.out, shown.out);
  EXPECT_EQ(quiet.err, "");
}

}  // namespace
