#include "support/recorded_corpus.h"

#include <fstream>
#include <stdexcept>

#include "support/formula_cases.h"

namespace formel_test {

std::vector<RecordedGroup> ReadRecordedCorpus(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<RecordedGroup> groups;
  std::string line;
  int number = 0;
  bool expectPending = false;
  auto fail = [&](const std::string& why) {
    throw std::runtime_error(path + ":" + std::to_string(number) + ": " + why);
  };
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    const auto f = SplitTabs(line);
    const std::string& key = f[0];
    const std::string text = f.size() > 1 ? Unescape(f[1]) : std::string();
    if (key == "setup" && f.size() == 2 && !expectPending) {
      groups.push_back({f[1], {}, {}, {}});
      continue;
    }
    if (groups.empty()) fail("item before the first setup");
    RecordedGroup& g = groups.back();
    if (key == "var" && f.size() == 3 && g.formulas.empty()) {
      g.vars.emplace_back(text, Unescape(f[2]));
    } else if (key == "func" && f.size() == 3 && g.formulas.empty()) {
      g.funcs.emplace_back(text, f[2]);
    } else if (key == "formula" && f.size() <= 2 && !expectPending) {
      g.formulas.push_back({text, {}, number});
      expectPending = true;
    } else if (key == "expect" && f.size() <= 2 && expectPending) {
      g.formulas.back().expect = text;
      expectPending = false;
    } else {
      fail("malformed or misplaced line");
    }
  }
  if (expectPending) fail("formula without expect at the end");
  return groups;
}

void WriteRecordedCorpus(const std::vector<RecordedGroup>& groups, std::ostream& out) {
  for (const RecordedGroup& g : groups) {
    out << "setup\t" << g.name << "\n";
    for (const auto& [name, value] : g.vars) out << "var\t" << Escape(name) << "\t" << Escape(value) << "\n";
    for (const auto& [name, impl] : g.funcs) out << "func\t" << Escape(name) << "\t" << impl << "\n";
    for (const RecordedFormula& f : g.formulas) {
      out << "formula\t" << Escape(f.formula) << "\n" << "expect\t" << Escape(f.expect) << "\n";
    }
  }
}

}  // namespace formel_test
