// The documented formula examples are what the program prints: every
// "| `formula` | `result` |" row and "`formula` gives `result`" phrase in
// the README's tour and program section, and in the language's reference.
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

std::string Contents(const char* path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ReadmeExamplesTest, ProgramPrintsTheDocumentedResults) {
  const std::string readme = Contents(FORMEL_README);
  auto examples = Examples(Section(readme, "A tour of the formula language"));
  ASSERT_GE(examples.size(), 10u) << "the README's tour was not found";
  const auto program = Examples(Section(readme, "The formel program"));
  const auto language = Examples(Contents(FORMEL_LANGUAGE_DOC));
  ASSERT_GE(language.size(), 40u) << "the language's examples were not found in " << FORMEL_LANGUAGE_DOC;
  examples.insert(examples.end(), program.begin(), program.end());
  examples.insert(examples.end(), language.begin(), language.end());
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
