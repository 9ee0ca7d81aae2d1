#include "batch_run.h"

#include "check.h"
#include "output.h"
#include "status_line.h"

namespace formel_cli {

void Printed::Item(std::string_view out) {
  out_ += out;
  ++items_;
}

std::string& Printed::NextItem() {
  ++items_;
  return out_;
}

void Printed::Findings(std::string lines) {
  if (!lines.empty()) asides_.push_back({out_.size(), std::move(lines), false});
}

void Printed::Message(std::string message) {
  asides_.push_back({out_.size(), std::move(message), true});
  ++messages_;
}

void Printed::Write() const {
  std::size_t written = 0;
  for (const Aside& aside : asides_) {
    WriteOut(std::string_view(out_).substr(written, aside.outAt - written));
    written = aside.outAt;
    if (aside.message) {
      FlushOut();  // the results before it come first on a shared pipe too
      ReportMessage(aside.text);
    } else {
      WriteFindingLines(aside.text);
    }
  }
  WriteOut(std::string_view(out_).substr(written));
}

}  // namespace formel_cli
