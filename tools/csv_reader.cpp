#include "csv_reader.h"

#include <new>

#include "errors.h"

namespace formel_cli {

namespace {

// Blanks and tabs are part of a field (RFC 4180); libcsv would trim them.
int NoSpaces(unsigned char) { return 0; }

}  // namespace

CsvReader::CsvReader(Input& input, char delimiter) : input_(input) {
  if (csv_init(&parser_, 0) != 0) throw std::bad_alloc();
  csv_set_delim(&parser_, static_cast<unsigned char>(delimiter));
  // libcsv grows a field by a fixed step (128 bytes by default): a field of
  // megabytes would cost a copy of itself at every step.
  csv_set_blk_size(&parser_, std::size_t{64} << 10);
  csv_set_space_func(&parser_, &NoSpaces);
}

CsvReader::~CsvReader() { csv_free(&parser_); }

// Called from C: no exception may pass, so running out of memory is noted
// and thrown once libcsv has returned.
void CsvReader::EndField(void* data, std::size_t size, void* reader) noexcept {
  auto& self = *static_cast<CsvReader*>(reader);
  if (self.longField_ || size > kMaxFieldBytes) {
    self.longField_ = true;  // nothing more is taken
    return;
  }
  try {
    self.building_.bytes.append(static_cast<const char*>(data), size);
    self.building_.ends.push_back(self.building_.bytes.size());
  } catch (...) {
    self.outOfMemory_ = true;
  }
}

void CsvReader::EndRecord(int, void* reader) noexcept {
  auto& self = *static_cast<CsvReader*>(reader);
  if (self.longField_) return;
  self.building_.number = ++self.records_;
  const std::size_t width = self.building_.ends.size();
  const std::size_t size = self.building_.bytes.size();
  try {
    self.ready_.push_back(std::move(self.building_));
    self.building_ = CsvRecord{};
    // Records are mostly alike in width and size.
    self.building_.ends.reserve(width);
    self.building_.bytes.reserve(size);
  } catch (...) {
    self.outOfMemory_ = true;
  }
}

std::vector<std::string> CsvRecord::Texts() const {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < Size(); ++i) texts.emplace_back((*this)[i]);
  return texts;
}

bool CsvReader::Next(CsvRecord& record) {
  while (ready_.empty() && !finished_) {
    if (longField_) FailLongField();
    Parse();
  }
  if (ready_.empty() && longField_) FailLongField();
  if (ready_.empty()) return false;
  record = std::move(ready_.front());
  ready_.pop_front();
  return true;
}

void CsvReader::Parse() {
  const std::string_view block = input_.NextBlock();
  if (block.empty()) {
    Finish();
    return;
  }
  // Without strict mode only memory can fail.
  const std::size_t parsed = csv_parse(&parser_, block.data(), block.size(), &EndField, &EndRecord, this);
  if (parsed != block.size() || outOfMemory_) throw std::bad_alloc();
  // libcsv holds the field in progress whole; the check after each block
  // keeps it within the bound plus one block.
  longField_ = longField_ || parser_.entry_pos > kMaxFieldBytes;
}

void CsvReader::FailLongField() const {
  throw FileError(input_.Name() + ": record " + std::to_string(records_ + 1) +
                  ": a field longer than the text limit (4 MiB), or a quote left open: the file is read no further");
}

// A quote still open at the end would have run to the end of the file. Only
// csv_fini can tell it, in strict mode; asked again without it, it hands
// over what was read.
void CsvReader::Finish() {
  finished_ = true;
  csv_set_opts(&parser_, CSV_STRICT | CSV_STRICT_FINI);
  const bool quoteOpen = csv_fini(&parser_, &EndField, &EndRecord, this) != 0;
  csv_set_opts(&parser_, 0);
  if (quoteOpen) csv_fini(&parser_, &EndField, &EndRecord, this);
  if (outOfMemory_) throw std::bad_alloc();
  if (quoteOpen && !ready_.empty()) ready_.back().problem = "a quote is not closed before the end of the file";
}

}  // namespace formel_cli
