// Quoted literals, number forms and sign folding.
#include <random>
#include <string>

#include "eval/literals.h"
#include "eval/stages/stages.h"
#include "text/text.h"
#include "unit/library_fixture.h"

namespace {

using namespace formel;

class Literals : public LibraryTest {
 protected:
  std::string Fold(const std::string& text) {
    Text out(&Lib().heap);
    FoldSigns(text, out);
    return std::string(out);
  }
  std::string Literal(const char* value) {
    Text out(&Lib().heap);
    AppendLiteral(View(value), out);
    return std::string(out);
  }
  std::string Unquoted(const char* literal) {
    Text out(&Lib().heap);
    AppendUnquoted(View(literal), out);
    std::string written(View(literal).size(), '?');
    written.resize(WriteUnquoted(View(literal), written.data()));
    EXPECT_EQ(written, std::string(out)) << "both ways of unquoting agree";
    return std::string(out);
  }
};

TEST_F(Literals, LiteralForm) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"  12  ", "12"}, {"1e5", "\"1e5\""}, {"1E5", "\"1E5\""}, {"FFh", "FFh"},
      {"ffh", "\"ffh\""}, {"1Bh", "1Bh"}, {"1bh", "\"1bh\""}, {"x1", "\"x1\""},
      {"-", "-"}, {"", ""}, {"a\"b", "\"a\"\"b\""}, {"\"", "\""},
      {" \"a\"", "\"\"\"a\"\"\""}, {"\"a\" ", "\"\"\"a\"\"\""}, {"1.2.3", "1.2.3"},
      {"..h", "..h"}, {"1h2", "\"1h2\""}, {"ABh", "ABh"}, {"AB", "\"AB\""}, {"12o", "12o"},
      {"\"unbalanced\"\"", "\"unbalanced\"\""}, {" a ", "\"a\""},
  };
  for (const auto& c : cases) EXPECT_EQ(Literal(c.in), c.out) << "[" << c.in << "]";
}

TEST_F(Literals, UnquotedValue) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {" \"a\"\"b\" ", "a\"b"}, {"\"\"", ""}, {"\"", "\""}, {"\"a\"b\"", "a\"b"},
      {" 5 ", "5"}, {"abc", "abc"}, {"\"\"\"\"", "\""}, {"\"\"\"\"\"\"", "\"\""},
      {"\"a\"\"\"b\"", "a\"\"b"}, {nullptr, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Unquoted(c.in), c.out) << "[" << (c.in ? c.in : "null") << "]";
}

TEST_F(Literals, NumberFormLooksAtCharactersOnly) {
  const char* yes[] = {"", "+", "-", "1-2", "1.2.3", "..h", "FFh", "FFH", "h", "12b", "7O", "-1.5"};
  const char* no[] = {"ffh", "1e5", "AB", "1h2", "Ab", "1 2", "bb", "1hh"};
  for (const char* t : yes) EXPECT_TRUE(IsNumberForm(t)) << t;
  for (const char* t : no) EXPECT_FALSE(IsNumberForm(t)) << t;
}

TEST_F(Literals, FoldSignsCases) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"--5", "+5"}, {"---5", "-5"}, {"1--2", "1+2"}, {"1+-2", "1-2"}, {"1-+2", "1-2"},
      {"1++2", "1+2"}, {"+++", "+"}, {"-+-+", "+"}, {"- -5", "- -5"},
      {"\"a--b\"", "\"a--b\""}, {"\"--\"--1", "\"--\"+1"}, {"", ""}, {"abc", "abc"},
      {"\"x--1", "\"x--1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Fold(c.in), c.out) << "[" << c.in << "]";
}

// The folding rules as written: the four pair rules in order, sweep after
// sweep, pairs inside quotes skipped. The linear folding must agree with it.
std::string FoldBySweeps(std::string t) {
  const char* pairs[4][2] = {{"--", "+"}, {"++", "+"}, {"-+", "-"}, {"+-", "-"}};
  auto inside = [&](std::size_t p) {
    int q = 0;
    for (std::size_t i = 0; i < p; ++i) q ^= t[i] == '"';
    return q == 1;
  };
  for (int changes = 1; changes != 0;) {
    changes = 0;
    for (const auto& rule : pairs) {
      for (std::size_t start = 0;;) {
        const std::size_t p = t.find(rule[0], start);
        if (p == std::string::npos) break;
        if (inside(p)) {
          start = p + 2;
          continue;
        }
        t.replace(p, 2, rule[1]);
        ++changes;
        start = p + 1;
      }
    }
  }
  return t;
}

TEST_F(Literals, FoldSignsAgreesWithTheSweepRules) {
  std::mt19937 random(12345);
  const char alphabet[] = "+-\"a ";
  for (int n = 0; n < 5000; ++n) {
    std::string text(random() % 14, ' ');
    for (char& c : text) c = alphabet[random() % 5];
    ASSERT_EQ(Fold(text), FoldBySweeps(text)) << "[" << text << "]";
  }
}

}  // namespace
