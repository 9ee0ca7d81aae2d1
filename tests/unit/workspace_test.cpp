// The workspace: a stack of texts that never overruns and never moves a
// text that is built.
#include <cstring>
#include <string>

#include "frame/move_bytes.h"
#include "frame/string_workspace.h"
#include "unit/library_fixture.h"

namespace {

using formel::StringWorkspace;

class Workspace : public LibraryTest {
 protected:
  StringWorkspace& Ws() { return Ctx().workspace; }
};

TEST_F(Workspace, KeptTextsStayWhileTheNextOneIsBuilt) {
  char* first = Ws().Put("first");
  Ws().Keep();
  char* second = Ws().Put("second");
  EXPECT_EQ(second, first + 6);
  EXPECT_STREQ(first, "first");
  EXPECT_STREQ(second, "second");
}

TEST_F(Workspace, PutLeavesTheWritePositionOnTheTerminator) {
  char* text = Ws().Put("abc");
  EXPECT_EQ(Ws().WritePointer(), text + 3);
  char* next = Ws().Put("def");  // appending concatenates
  EXPECT_EQ(next, text + 3);
  EXPECT_STREQ(text, "abcdef");
}

TEST_F(Workspace, RewindReusesTheArea) {
  const auto mark = Ws().Position();
  char* a = Ws().Put("temporary");
  Ws().Rewind(mark);
  EXPECT_EQ(Ws().Put("x"), a);
}

TEST_F(Workspace, ATextThatDoesNotFitGoesToANewBlockAndNothingMoves) {
  const std::string big(StringWorkspace::kBlockSize - 10, 'a');
  char* first = Ws().Put(big);
  Ws().Keep();
  const std::size_t oneBlock = Lib().heap.BytesInUse();
  char* second = Ws().Put("0123456789abcdef");  // does not fit behind the first
  EXPECT_STREQ(first, big.c_str());
  EXPECT_STREQ(second, "0123456789abcdef");
  EXPECT_GE(Lib().heap.BytesInUse(), oneBlock + StringWorkspace::kBlockSize);  // a second block
  const std::string huge(3 * StringWorkspace::kBlockSize, 'h');
  Ws().Keep();
  char* third = Ws().Put(huge);
  EXPECT_EQ(std::string(third), huge);
  EXPECT_STREQ(first, big.c_str());
  EXPECT_STREQ(second, "0123456789abcdef");
}

TEST_F(Workspace, ATextCanBeCopiedFromWithinTheWorkspace) {
  const auto mark = Ws().Position();
  Ws().Put("xxxxxxxx");
  Ws().Keep();
  char* high = Ws().Put("overlap");
  Ws().Rewind(mark);
  char* low = Ws().Put(high);
  EXPECT_STREQ(low, "overlap");
}

TEST_F(Workspace, ResetGivesBackEveryBlockButTheFirst) {
  const std::string huge(2 * StringWorkspace::kBlockSize, 'h');
  char* first = Ws().Put("a");
  Ws().Keep();
  const std::size_t oneBlock = Lib().heap.BytesInUse();
  Ws().Put(huge);
  const std::size_t used = Lib().heap.BytesInUse();
  EXPECT_GE(used, oneBlock + huge.size());  // a second block
  Ws().Reset();
  EXPECT_EQ(Lib().heap.BytesInUse(), oneBlock);
  EXPECT_EQ(Ws().WritePointer(), first);
}

TEST_F(Workspace, ResultsLongerThanABlockDoNotOverrun) {
  const std::string big(StringWorkspace::kBlockSize + 5000, 'a');
  SetVarS("big", big.c_str());
  const std::string result = Formel("[big]&\"-\"&[big]");
  EXPECT_EQ(result, big + "-" + big);
  EXPECT_EQ(std::string(Formel("1+1")), "2") << "the next call starts afresh";
}

}  // namespace

namespace {

// Every length around the word sizes, every overlap either way: the bytes
// moved are memmove's, and nothing around them is touched.
TEST(MoveBytesTest, MovesAsMemmoveDoes) {
  for (std::size_t n = 0; n <= 40; ++n) {
    for (int shift = -20; shift <= 20; ++shift) {
      std::string expected(100, '.');
      for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<char>('!' + i % 90);
      std::string moved = expected;
      const std::size_t from = 30;
      const std::size_t to = static_cast<std::size_t>(30 + shift);
      std::memmove(expected.data() + to, expected.data() + from, n);
      formel::MoveBytes(moved.data() + to, moved.data() + from, n);
      ASSERT_EQ(moved, expected) << n << " bytes shifted by " << shift;
    }
  }
}

}  // namespace
