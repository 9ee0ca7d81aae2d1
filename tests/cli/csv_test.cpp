// The CSV reader and writer on their own: the edge cases of RFC 4180 files
// and of the files people actually have.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "csv_reader.h"
#include "csv_writer.h"
#include "input_lines.h"

namespace {

using formel_cli::CsvReader;
using formel_cli::CsvRecord;
using formel_cli::CsvRowWriter;
using formel_cli::Input;

std::string Visible(const std::string& field) {
  std::string out;
  for (const char c : field) out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
  return out;
}

// One line per record: "number:field|field", and " (bad)" for a bad one.
std::string ReadAll(const std::string& bytes, char delimiter) {
  const std::string path =
      testing::TempDir() + "formel_csv_" + testing::UnitTest::GetInstance()->current_test_info()->name();
  std::ofstream(path, std::ios::binary) << bytes;
  Input input(path);
  CsvReader reader(input, delimiter);
  std::string out;
  CsvRecord record;
  while (reader.Next(record)) {
    out += std::to_string(record.number) + ":";
    for (std::size_t i = 0; i < record.Size(); ++i) out += (i > 0 ? "|" : "") + Visible(std::string(record[i]));
    out += record.problem.empty() ? "\n" : " (bad)\n";
  }
  std::filesystem::remove(path);
  return out;
}

struct ReadCase {
  const char* name;
  std::string bytes;
  std::string records;
  char delimiter = ',';
};

const ReadCase kReadCases[] = {
    {"LF", "a,b\n1,2\n", "1:a|b\n2:1|2\n"},
    {"CRLF", "a,b\r\n1,2\r\n", "1:a|b\n2:1|2\n"},
    {"no line end at the end", "a,b\n1,2", "1:a|b\n2:1|2\n"},
    {"quoted delimiter and doubled quote", "\"a,b\",\"say \"\"hi\"\"\"\n", "1:a,b|say \"hi\"\n"},
    {"line breaks inside quotes", "\"x\ny\",\"1\r\n2\"\nz,w\n", "1:x\\ny|1\\r\\n2\n2:z|w\n"},
    {"blanks belong to the field", " a , b \n", "1: a | b \n"},
    {"empty fields", ",,\n\"\",x\n", "1:||\n2:|x\n"},
    {"empty lines are skipped", "a\n\n\r\n\nb\n", "1:a\n2:b\n"},
    {"empty file", "", ""},
    {"header only", "a,b\n", "1:a|b\n"},
    {"byte-order mark", "\xEF\xBB\xBF" "a,b\n1,2\n", "1:a|b\n2:1|2\n"},
    {"quote inside an unquoted field", "a\"b,c\n", "1:a\"b|c\n"},
    {"records of any width", "a,b\n1\n1,2,3\n", "1:a|b\n2:1\n3:1|2|3\n"},
    {"quote not closed", "a\n\"b\nc\n", "1:a\n2:b\\nc\\n (bad)\n"},
    {"tab-separated", "a\tb\n\"x\ty\"\t,\n", "1:a|b\n2:x\ty|,\n", '\t'},
};

TEST(CsvReaderTest, ReadsRecordsAsWritten) {
  for (const ReadCase& c : kReadCases) EXPECT_EQ(ReadAll(c.bytes, c.delimiter), c.records) << c.name;
}

std::string Row(const std::vector<std::string>& fields, char delimiter = ',') {
  std::string out;
  CsvRowWriter row(out, delimiter);
  for (const std::string& field : fields) row.Field(field);
  row.End();
  return out;
}

TEST(CsvWriterTest, QuotesOnlyWhatMustBeQuoted) {
  EXPECT_EQ(Row({"a", " b ", ""}), "a, b ,\n");
  EXPECT_EQ(Row({"a,b", "say \"hi\"", "x\ny", "1\r"}), "\"a,b\",\"say \"\"hi\"\"\",\"x\ny\",\"1\r\"\n");
  EXPECT_EQ(Row({"a\tb", "c,d"}, '\t'), "\"a\tb\"\tc,d\n");
  EXPECT_EQ(Row({""}), "\"\"\n");  // an empty line would be skipped when read back
}

TEST(CsvWriterTest, WrittenRowsReadBackTheSame) {
  const std::vector<std::vector<std::string>> rows = {
      {"plain", " blanks ", ""}, {"a,b", "\"", "x\r\ny"}, {""}, {"\"\"", ",", "\n"}};
  std::string written;
  std::string expected;
  long number = 0;
  for (const auto& row : rows) {
    written += Row(row);
    expected += std::to_string(++number) + ":";
    for (std::size_t i = 0; i < row.size(); ++i) expected += (i > 0 ? "|" : "") + Visible(row[i]);
    expected += "\n";
  }
  EXPECT_EQ(ReadAll(written, ','), expected);
}

}  // namespace
