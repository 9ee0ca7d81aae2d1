// Records of a CSV file (RFC 4180: quoted fields, doubled quotes, embedded
// delimiters and line breaks, CRLF or LF line ends), read with libcsv as the
// bytes arrive, so memory stays flat however long the file is. The same
// rules serve tab-separated files with a tab as the delimiter.
#pragma once

#include <csv.h>

#include <deque>
#include <string>
#include <vector>

#include "input_lines.h"

namespace formel_cli {

struct CsvRecord {
  long number = 0;  // the first row of the file is record 1
  std::vector<std::string> fields;
  std::string problem;  // why the record is bad; empty for a good one
};

class CsvReader {
 public:
  // Throws std::bad_alloc when the parser cannot be set up.
  CsvReader(Input& input, char delimiter);
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // The next record; false at the end. Fields are taken as written: blanks
  // are kept, a quote inside a field that does not start with one is an
  // ordinary character, and empty lines are skipped. Throws FileError.
  bool Next(CsvRecord& record);
  // Whether Next has a record without reading more input.
  bool Ready() const { return !ready_.empty(); }

 private:
  static void EndField(void* data, std::size_t size, void* reader) noexcept;
  static void EndRecord(int terminator, void* reader) noexcept;
  // Parses the next block of input, or finishes the file at its end.
  void Parse();
  void Finish();

  Input& input_;
  csv_parser parser_{};
  CsvRecord building_;
  std::deque<CsvRecord> ready_;
  long records_ = 0;
  bool finished_ = false;
  bool outOfMemory_ = false;
};

}  // namespace formel_cli
