#include "check.h"

#include <cstdio>

#include "errors.h"
#include "json_text.h"
#include "output.h"
#include "status_line.h"

namespace formel_cli {

namespace {

std::string_view ViewOf(formel_text text) { return {text.data, text.size}; }

}  // namespace

CheckFormat CheckFormatNamed(const std::optional<std::string>& value) {
  if (!value) return CheckFormat::kText;
  if (*value == "json") return CheckFormat::kJson;
  if (*value == "all") return CheckFormat::kAll;
  throw UsageError("option --check takes no value, =all or =json, not " + *value);
}

std::string GnuLines(long long line, const std::vector<Finding>& findings) {
  std::string out;
  for (const Finding& f : findings) {
    out += std::to_string(line) + ":";
    if (f.start >= 0) out += std::to_string(f.start + 1) + ":";
    out += " " + f.code + ": " + f.message + "\n";
  }
  return out;
}

std::string JsonLine(std::string_view formula, std::string_view result,
                     const std::vector<Finding>& findings) {
  std::string out = "{\"formula\":" + JsonString(formula) + ",\"result\":" + JsonString(result) +
                    ",\"findings\":[";
  for (const Finding& f : findings) {
    if (&f != &findings.front()) out += ",";
    out += "{\"code\":" + JsonString(f.code) + ",\"message\":" + JsonString(f.message) +
           ",\"start\":" + std::to_string(f.start) + ",\"end\":" + std::to_string(f.end) + "}";
  }
  return out + "]}\n";
}

Finding FindingOf(const formel_event& e) {
  return {std::string(ViewOf(e.name)), std::string(ViewOf(e.after)),
          static_cast<long long>(e.start), static_cast<long long>(e.end)};
}

void WriteFindingLines(std::string_view lines) {
  if (lines.empty()) return;
  FlushOut();  // the result lines come first on a terminal too
  ClearStatus();
  std::fwrite(lines.data(), 1, lines.size(), stderr);
}

}  // namespace formel_cli
