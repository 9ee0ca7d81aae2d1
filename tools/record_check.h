// --check on a CSV run: the findings of each record's formulas. By
// default a summary at the end, for each formula column and code: how many
// records had it, and the first few of them with their result; with =all
// every finding as "FILE:RECORD: column: code: message" right after its
// record; with =json one object per record that has findings, on standard
// output in place of the CSV. Whatever the number of evaluators, the
// summary is the same: it keeps the lowest record numbers, not the first
// ones to arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "check.h"

namespace formel_cli {

// The findings of one formula column for one record.
struct ColumnFindings {
  const std::string* column;  // the formula column's heading
  std::string result;
  std::vector<Finding> findings;
};

// "FILE:RECORD: column: code: message" for each finding, one line each.
std::string RecordFindingLines(const std::string& file, long record,
                               const std::vector<ColumnFindings>& columns);
// {"record":N,"findings":[{"column","result","code","message","start","end"}, ...]}
std::string RecordFindingJson(long record, const std::vector<ColumnFindings>& columns);

class CheckSummary {
 public:
  // Notes one record's findings; called from every evaluator's thread.
  void Add(long record, const std::vector<ColumnFindings>& columns);
  // One line per column and code, in the order of the columns and then
  // of the codes' first records; "" when no record had a finding. The
  // columns' headings lie in one vector, in the order of the columns.
  std::string Lines(const std::string& file) const;

 private:
  static constexpr std::size_t kShown = 3;
  struct Tally {
    std::uint64_t records = 0;
    long firstRecord = 0;  // orders the codes of a column
    std::vector<std::pair<long, std::string>> lowest;  // record and result, at most kShown
  };
  using Key = std::pair<const std::string*, std::string>;  // column, code
  mutable std::mutex mutex_;
  std::map<Key, Tally> tallies_;  // by column (their headings' order), then code
};

}  // namespace formel_cli
