#include "csv_writer.h"

namespace formel_cli {

void CsvRowWriter::Field(std::string_view text) {
  if (fields_++ > 0) out_ += delimiter_;
  lastWasEmpty_ = text.empty();
  const char special[] = {delimiter_, '"', '\r', '\n'};
  if (text.find_first_of(std::string_view(special, sizeof special)) == std::string_view::npos) {
    out_ += text;
    return;
  }
  out_ += '"';
  for (const char c : text) {
    if (c == '"') out_ += '"';
    out_ += c;
  }
  out_ += '"';
}

// A row of one empty field would be an empty line, which readers skip.
void CsvRowWriter::End() {
  if (fields_ == 1 && lastWasEmpty_) out_ += "\"\"";
  out_ += '\n';
}

}  // namespace formel_cli
