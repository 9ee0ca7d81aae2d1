// Every formula of the recorded corpus still gives its recorded result,
// byte for byte.
#include <gtest/gtest.h>

#include <cctype>

#include "corpus/group_tables.h"

namespace {

using formel_test::RecordedGroup;

class RecordedCorpusTest : public ::testing::TestWithParam<RecordedGroup> {
 protected:
  void TearDown() override { DLLEntryPoint(nullptr, 0, nullptr); }
};

TEST_P(RecordedCorpusTest, GivesRecordedResults) {
  const RecordedGroup& g = GetParam();
  ASSERT_FALSE(g.formulas.empty());
  formel_test::StartWithTables(g);
  int mismatches = 0;
  for (const auto& f : g.formulas) {
    const std::string got = Formel(f.formula.c_str());
    if (got == f.expect) continue;
    // A broken pass breaks thousands: show the first few only.
    if (++mismatches <= 10) {
      ADD_FAILURE() << "line " << f.line << ": formula [" << f.formula.substr(0, 300) << "]\n  recorded ["
                    << f.expect.substr(0, 300) << "]\n  now      [" << got.substr(0, 300) << "]";
    }
  }
  EXPECT_EQ(mismatches, 0) << "of " << g.formulas.size() << " formulas in group " << g.name;
}

std::string GroupName(const ::testing::TestParamInfo<RecordedGroup>& info) {
  std::string name;
  for (const char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Corpus, RecordedCorpusTest,
                         ::testing::ValuesIn(formel_test::ReadRecordedCorpus(FORMEL_RECORDED_CORPUS)),
                         GroupName);

}  // namespace
