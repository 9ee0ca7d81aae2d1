#include "csv_writer.h"

#include <algorithm>

namespace formel_cli {

void CsvRowWriter::Field(std::string_view text) {
  if (fields_++ > 0) out_ += delimiter_;
  lastWasEmpty_ = text.empty();
  // One pass over the bytes: most fields need no quotes.
  const auto special = [this](char c) { return c == delimiter_ || c == '"' || c == '\r' || c == '\n'; };
  if (std::none_of(text.begin(), text.end(), special)) {
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
