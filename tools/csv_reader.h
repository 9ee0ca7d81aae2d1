// Records of a CSV file (RFC 4180: quoted fields, doubled quotes, embedded
// delimiters and line breaks, CRLF or LF line ends), read with libcsv as the
// bytes arrive, so memory stays flat however long the file is. The same
// rules serve tab-separated files with a tab as the delimiter.
#pragma once

#include <csv.h>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "formel_evaluator.h"
#include "input_lines.h"

namespace formel_cli {

// The fields lie one after the other in one text: a record is two
// allocations however many fields it has.
struct CsvRecord {
  long number = 0;  // the first row of the file is record 1
  std::string bytes;
  std::vector<std::size_t> ends;  // where each field ends in bytes
  std::string problem;  // why the record is bad; empty for a good one

  std::size_t Size() const { return ends.size(); }
  std::string_view operator[](std::size_t field) const {
    const std::size_t start = field == 0 ? 0 : ends[field - 1];
    return std::string_view(bytes).substr(start, ends[field] - start);
  }
  std::vector<std::string> Texts() const;
};

// A field may hold up to this many bytes, the text limit of the library:
// no formula could use a longer one. A quote left open early in a file
// would otherwise make the rest of the file one field, held in memory.
inline constexpr std::size_t kMaxFieldBytes = FORMEL_MAX_TEXT_LENGTH;

class CsvReader {
 public:
  // Throws std::bad_alloc when the parser cannot be set up.
  CsvReader(Input& input, char delimiter);
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // The next record; false at the end. Fields are taken as written: blanks
  // are kept, a quote inside a field that does not start with one is an
  // ordinary character, and empty lines are skipped. Throws FileError, also
  // for a field longer than kMaxFieldBytes, once the records before it are
  // taken; the file is read no further.
  bool Next(CsvRecord& record);
  // Whether Next has a record without reading more input.
  bool Ready() const { return !ready_.empty(); }

 private:
  static void EndField(void* data, std::size_t size, void* reader) noexcept;
  static void EndRecord(int terminator, void* reader) noexcept;
  // Parses the next block of input, or finishes the file at its end.
  void Parse();
  void Finish();
  [[noreturn]] void FailLongField() const;

  Input& input_;
  csv_parser parser_{};
  CsvRecord building_;
  std::deque<CsvRecord> ready_;
  long records_ = 0;
  bool finished_ = false;
  bool outOfMemory_ = false;
  bool longField_ = false;  // a field passed kMaxFieldBytes: no more records
};

}  // namespace formel_cli
