// Writing records as CSV (or with a tab as the delimiter): a field is quoted
// only when it must be, so that it reads back as the same text.
#pragma once

#include <string>
#include <string_view>

namespace formel_cli {

// One row, appended field by field to out and ended with "\n".
class CsvRowWriter {
 public:
  CsvRowWriter(std::string& out, char delimiter) : out_(out), delimiter_(delimiter) {}

  void Field(std::string_view text);
  void End();

 private:
  std::string& out_;
  char delimiter_;
  int fields_ = 0;
  bool lastWasEmpty_ = false;
};

}  // namespace formel_cli
