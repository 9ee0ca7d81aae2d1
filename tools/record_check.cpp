#include "record_check.h"

#include <algorithm>
#include <functional>
#include <set>

#include "json_text.h"

namespace formel_cli {

std::string RecordFindingLines(const std::string& file, long record,
                               const std::vector<ColumnFindings>& columns) {
  std::string out;
  for (const ColumnFindings& c : columns) {
    for (const Finding& f : c.findings) {
      out += file + ":" + std::to_string(record) + ": " + *c.column + ": " + f.code + ": " + f.message + "\n";
    }
  }
  return out;
}

std::string RecordFindingJson(long record, const std::vector<ColumnFindings>& columns) {
  std::string out = "{\"record\":" + std::to_string(record) + ",\"findings\":[";
  bool first = true;
  for (const ColumnFindings& c : columns) {
    for (const Finding& f : c.findings) {
      if (!first) out += ",";
      first = false;
      out += "{\"column\":" + JsonString(*c.column) + ",\"result\":" + JsonString(c.result) +
             ",\"code\":" + JsonString(f.code) + ",\"message\":" + JsonString(f.message) +
             ",\"start\":" + std::to_string(f.start) + ",\"end\":" + std::to_string(f.end) + "}";
    }
  }
  return out + "]}\n";
}

void CheckSummary::Add(long record, const std::vector<ColumnFindings>& columns) {
  const std::lock_guard lock(mutex_);
  for (const ColumnFindings& c : columns) {
    std::set<std::string> codes;  // a record counts once per code
    for (const Finding& f : c.findings) codes.insert(f.code);
    for (const std::string& code : codes) {
      Tally& t = tallies_[{c.column, code}];
      if (t.records++ == 0 || record < t.firstRecord) t.firstRecord = record;
      t.lowest.emplace_back(record, c.result);
      std::sort(t.lowest.begin(), t.lowest.end());
      if (t.lowest.size() > kShown) t.lowest.pop_back();
    }
  }
}

namespace {

std::string Shortened(const std::string& value) {
  constexpr std::size_t kLength = 40;
  return value.size() <= kLength ? value : value.substr(0, kLength - 3) + "...";
}

}  // namespace

std::string CheckSummary::Lines(const std::string& file) const {
  const std::lock_guard lock(mutex_);
  std::vector<std::pair<const Key*, const Tally*>> lines;
  for (const auto& [key, tally] : tallies_) lines.emplace_back(&key, &tally);
  const std::less<const std::string*> before;
  std::sort(lines.begin(), lines.end(), [&](const auto& a, const auto& b) {
    if (a.first->first != b.first->first) return before(a.first->first, b.first->first);
    if (a.second->firstRecord != b.second->firstRecord) return a.second->firstRecord < b.second->firstRecord;
    return a.first->second < b.first->second;
  });
  std::string out;
  for (const auto& [key, t] : lines) {
    out += file + ": " + *key->first + ": " + key->second + ": " + std::to_string(t->records) +
           (t->records == 1 ? " record" : " records") + (t->records > t->lowest.size() ? ", first " : ": ");
    for (std::size_t i = 0; i < t->lowest.size(); ++i) {
      if (i > 0) out += ", ";
      out += std::to_string(t->lowest[i].first) + " gives \"" + Shortened(t->lowest[i].second) + "\"";
    }
    out += "\n";
  }
  return out;
}

}  // namespace formel_cli
