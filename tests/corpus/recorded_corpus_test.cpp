// Every formula of the recorded corpus still gives its recorded result,
// byte for byte, with no observer and with one that sees every event.
#include <gtest/gtest.h>

#include <cctype>
#include <string_view>

#include "api/evaluator.h"
#include "corpus/group_tables.h"
#include "formel_evaluator.h"

namespace {

using formel_test::RecordedGroup;

// What an observer saw of the formula being evaluated.
struct Watch {
  std::string formula;
  int findings = 0;
  int misplaced = 0;  // events whose range is not in the formula, or not their text
};

class RecordedCorpusTest : public ::testing::TestWithParam<RecordedGroup> {
 protected:
  void TearDown() override { DLLEntryPoint(nullptr, 0, nullptr); }

  void ExpectRecordedResults() {
    const RecordedGroup& g = GetParam();
    ASSERT_FALSE(g.formulas.empty());
    int mismatches = 0;
    for (const auto& f : g.formulas) {
      watch_.formula = f.formula;
      const std::string got = Formel(f.formula.c_str());
      if (got == f.expect) continue;
      // A broken pass breaks thousands: show the first few only.
      if (++mismatches <= 10) {
        ADD_FAILURE() << "line " << f.line << ": formula [" << f.formula.substr(0, 300)
                      << "]\n  recorded [" << f.expect.substr(0, 300) << "]\n  now      ["
                      << got.substr(0, 300) << "]";
      }
    }
    EXPECT_EQ(mismatches, 0) << "of " << g.formulas.size() << " formulas in group " << g.name;
  }

  Watch watch_;
};

TEST_P(RecordedCorpusTest, GivesRecordedResults) {
  formel_test::StartWithTables(GetParam());
  ExpectRecordedResults();
}

// A range, when given, lies in the formula; a finding's text is the
// formula's bytes there, and a group's or call's text ends in them (a call
// whose name an earlier stage made shows that name before them).
void CheckRange(void* user, const formel_event* e) {
  Watch& watch = *static_cast<Watch*>(user);
  if (e->kind == FORMEL_EVENT_FINDING) ++watch.findings;
  if (e->start == -1 && e->end == -1) return;
  const std::string_view formula = watch.formula;
  const bool inside =
      e->start >= 0 && e->start <= e->end && e->end <= static_cast<std::ptrdiff_t>(formula.size());
  const auto at = static_cast<std::size_t>(e->start);
  const auto size = static_cast<std::size_t>(e->end - e->start);
  const std::string_view before(e->before.data, e->before.size);
  const std::string_view bytes = inside ? formula.substr(at, size) : std::string_view();
  const bool ownText = !inside || (e->kind == FORMEL_EVENT_FINDING ? before == bytes
                                   : e->kind == FORMEL_EVENT_GROUP ? before.ends_with(bytes)
                                                                   : true);
  if (!inside || !ownText) ++watch.misplaced;
}

// No finding changes a result: every formula gives under an observer the
// bytes it gives without one, and every range is the formula's bytes.
TEST_P(RecordedCorpusTest, GivesRecordedResultsUnderAnObserver) {
  formel_test::StartWithTables(GetParam());
  auto* ev = static_cast<formel_evaluator*>(formel::DefaultEvaluator());
  ASSERT_EQ(formel_set_observer(ev, &CheckRange, &watch_), 1);
  ExpectRecordedResults();
  EXPECT_EQ(watch_.misplaced, 0);
  if (GetParam().name == "generated") {
    EXPECT_GT(watch_.findings, 0);
  }
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
