// Records the corpus: evaluates every formula of the seeded generator, of
// the shared formula case file (each with its own tables) and of any extra
// formula files given (one formula per line, escaped), and writes them with
// their results. Run it only to record a deliberate change of behaviour.
//
//   formel_record_corpus <output> <formula case file> [<formula file>...]
#include <fstream>
#include <iostream>

#include "corpus/group_tables.h"
#include "support/corpus_generator.h"
#include "support/formula_cases.h"

namespace {

using formel_test::RecordedGroup;

constexpr std::uint64_t kSeed = 20261208;
constexpr int kGeneratedCount = 12000;

RecordedGroup GeneratedGroup() {
  RecordedGroup g{"generated", formel_test::GeneratedVariables(), formel_test::GeneratedFunctions(), {}};
  for (auto& f : formel_test::GenerateFormulas(kSeed, kGeneratedCount)) g.formulas.push_back({f, {}, 0});
  for (auto& f : formel_test::GenerateLongFormulas(kSeed + 1)) g.formulas.push_back({f, {}, 0});
  return g;
}

std::vector<RecordedGroup> CaseGroups(const std::string& path) {
  std::vector<RecordedGroup> groups;
  for (const auto& c : formel_test::ReadFormulaCases(path)) {
    groups.push_back({"case line " + std::to_string(c.line), c.vars, c.funcs, {{c.formula, {}, 0}}});
  }
  return groups;
}

// Extra formulas run with the generated group's tables.
RecordedGroup FileGroup(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  RecordedGroup g{"file " + path.substr(path.find_last_of('/') + 1), formel_test::GeneratedVariables(),
                  formel_test::GeneratedFunctions(), {}};
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') g.formulas.push_back({formel_test::Unescape(line), {}, 0});
  }
  return g;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: formel_record_corpus <output> <formula case file> [<formula file>...]\n";
    return 2;
  }
  try {
    std::vector<RecordedGroup> groups = {GeneratedGroup()};
    for (auto& g : CaseGroups(argv[2])) groups.push_back(std::move(g));
    for (int i = 3; i < argc; ++i) groups.push_back(FileGroup(argv[i]));
    std::size_t count = 0;
    for (RecordedGroup& g : groups) {
      formel_test::StartWithTables(g);
      for (auto& f : g.formulas) f.expect = Formel(f.formula.c_str());
      count += g.formulas.size();
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << "# Recorded results of the library: see tests/support/recorded_corpus.h.\n"
        << "# Written by formel_record_corpus; regenerate only for a deliberate change.\n";
    formel_test::WriteRecordedCorpus(groups, out);
    std::cout << count << " formulas recorded in " << groups.size() << " groups\n";
    return out ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}
