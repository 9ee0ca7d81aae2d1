// The README's formula examples are what the program prints: every
// "| `formula` | `result` |" row and "`formula` gives `result`" phrase in
// the language tour and the program's section.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "run_program.h"

namespace {

std::string Section(const std::string& readme, const std::string& heading) {
  const std::size_t start = readme.find("\n## " + heading);
  if (start == std::string::npos) return {};
  const std::size_t end = readme.find("\n## ", start + 1);
  return readme.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::vector<std::pair<std::string, std::string>> Examples(const std::string& text) {
  static const std::regex kRow(R"(\n\| `([^`]+)` \| `([^`]*)` \|)");
  static const std::regex kPhrase(R"(`([^`]+)` gives `([^`]*)`)");
  std::vector<std::pair<std::string, std::string>> found;
  for (const std::regex* pattern : {&kRow, &kPhrase}) {
    for (std::sregex_iterator m(text.begin(), text.end(), *pattern), end; m != end; ++m) {
      found.emplace_back((*m)[1], (*m)[2]);
    }
  }
  return found;
}

TEST(ReadmeExamplesTest, ProgramPrintsTheDocumentedResults) {
  std::ifstream file(FORMEL_README);
  ASSERT_TRUE(file) << FORMEL_README;
  std::stringstream readme;
  readme << file.rdbuf();
  auto examples = Examples(Section(readme.str(), "A tour of the formula language"));
  const auto program = Examples(Section(readme.str(), "The formel program"));
  examples.insert(examples.end(), program.begin(), program.end());
  ASSERT_GE(examples.size(), 40u) << "the README's examples were not found";
  std::vector<std::string> args{"--"};
  for (const auto& example : examples) args.push_back(example.first);
  const formel_cli_test::ProgramRun run = formel_cli_test::RunFormel(args);
  std::istringstream lines(run.out);
  for (const auto& [formula, result] : examples) {
    std::string line;
    ASSERT_TRUE(std::getline(lines, line)) << "no result for " << formula;
    EXPECT_EQ(line, result) << formula;
  }
}

}  // namespace
