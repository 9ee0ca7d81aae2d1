// Findings: for each code, formulas that give it, with every finding they
// give and its range in the formula; and the shared cases that show the
// language working as intended, which give none.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "eval/stages/stages.h"
#include "evaluators/closure_hosts.h"
#include "evaluators/evaluator_helpers.h"
#include "formel_evaluator.h"
#include "support/formula_cases.h"

namespace {

struct Finding {
  std::string code;
  std::ptrdiff_t start;
  std::ptrdiff_t end;
  bool operator==(const Finding&) const = default;
};

void PrintTo(const Finding& f, std::ostream* os) {
  *os << f.code << "@" << f.start << "-" << f.end;
}

void Collect(void* user, const formel_event* e) {
  if (e->kind != FORMEL_EVENT_FINDING) return;
  static_cast<std::vector<Finding>*>(user)->push_back(
      {{e->name.data, e->name.size}, e->start, e->end});
}

// The findings of one evaluation, in the order reported.
std::vector<Finding> FindingsOf(formel_evaluator* ev, const std::string& formula) {
  std::vector<Finding> found;
  formel_set_observer(ev, &Collect, &found);
  formel_evaluate(ev, formula.c_str());
  formel_set_observer(ev, nullptr, nullptr);
  return found;
}

std::string Nested(int depth, const std::string& inside) {
  return std::string(static_cast<std::size_t>(depth), '(') + inside +
         std::string(static_cast<std::size_t>(depth), ')');
}

// "(((\"))a)a)a": every level doubles the quotes of the one inside.
std::string QuoteDoubling(int depth) {
  std::string formula = "\"";
  for (int i = 0; i < depth; ++i) formula = "(" + formula + ")a";
  return formula;
}

std::string Repeat(const std::string& text, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += text;
  return out;
}

struct Case {
  std::string formula;
  std::vector<Finding> findings;
};

// With the standard functions and echo, x = 5, s = abc, big = a text of an
// eighth of the length limit, huge = one just over it, and values as real
// data has them.
const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"sin(1)", {{"unknown-function", 0, 6}}},
      {"2+foo(1,2)", {{"unknown-function", 2, 10}, {"number-prefix", -1, -1}}},
      {"max(1,max(2,3))",
       {{"unclosed-paren", 9, 10}, {"stray-paren", 13, 14}, {"comma-in-parentheses", 11, 12}}},
      {"abs(1,2)", {{"extra-arguments", 6, 7}}},
      {"max(1,2,3,4,5,6,7,8,9,10,11)", {{"extra-arguments", 25, 27}}},
      {"left(\"abc\")", {{"missing-arguments", 0, 11}}},
      {"(1+2", {{"unclosed-paren", 0, 1}, {"text-as-zero", 0, 2}}},
      {"1+2)", {{"stray-paren", 3, 4}, {"number-prefix", 2, 4}}},
      {"[x", {{"unclosed-bracket", 0, 1}}},
      {"x]", {{"stray-bracket", 1, 2}}},
      {"[x]]", {{"stray-bracket", 3, 4}}},
      {"[prize]", {{"unset-variable", 0, 7}}},
      {"(2*[prize])", {{"unset-variable", 3, 10}, {"missing-operand", 2, 3}}},
      {"12abc*2", {{"number-prefix", 0, 5}}},
      {"1,5+1", {{"number-prefix", 0, 3}}},
      {"\"12abc\"*2", {{"number-prefix", 0, 7}}},
      {"1e-5", {{"number-prefix", 0, 2}}},
      {"abc+1", {{"text-as-zero", 0, 3}}},
      {"(1+2)*abc", {{"text-as-zero", 6, 9}}},
      {"[s]*2", {{"text-as-zero", -1, -1}}},
      {"1+", {{"missing-operand", 1, 2}}},
      {"*3", {{"missing-operand", 0, 1}}},
      {"\"10\">9", {{"text-number-compare", 0, 6}}},
      {"1/0", {{"division-by-zero", 0, 3}}},
      {"0/0", {{"division-by-zero", 0, 3}}},
      {"5\\0", {{"division-by-zero", 0, 3}}},
      {"2*(1 / 0)", {{"division-by-zero", 3, 8}}},
      {"10^39", {{"overflow", 0, 5}}},
      {"1e30*1e30", {{"overflow", 0, 9}}},
      {"-8^0.5", {{"sign-taken", 0, 6}, {"invalid-operation", 0, 6}}},
      {"[phone]", {{"value-as-formula", 0, 7}}},
      {"len([phone])", {{"value-as-formula", 4, 11}}},
      {"[quoted]&1", {{"value-as-formula", 0, 8}}},
      {"[one][minus]", {{"value-as-formula", 5, 12}}},
      {"echo(\"1-1\")*2", {{"value-as-formula", 0, 11}}},
      {"[one]-[minus]+[neg]^2+[date]&\"\"", {}},
      {"\"abc", {{"unclosed-quote", 0, 1}}},
      {"len(\"abc)", {{"unclosed-quote", 4, 5}}},
      {"1&(\"a)", {{"unclosed-quote", 3, 4}}},
      {"-2^2", {{"sign-taken", 0, 4}}},
      {"10-2^2", {{"sign-taken", 2, 6}}},
      {"-7\\2", {{"sign-taken", 0, 4}}},
      {"10 - 2^2+-2^3+-8\\2", {}},
      {"\"Ann\"&\" pays \"&50", {{"blanks-dropped", 0, 14}}},
      {"[name]&\"!\"", {{"blanks-dropped", 0, 6}}},
      {"(\" a \")&\"b\"", {{"blanks-dropped", 0, 7}}},
      {"echo(\" a \")&echo(\"\"\"x\"\"\")", {{"blanks-dropped", 0, 11}}},
      {"each+1", {{"word-as-number", 0, 4}}},
      {"b+1", {{"word-as-number", 0, 1}}},
      {"h", {{"word-as-number", 0, 1}}},
      {"FFh+1Fh+10b&17o", {}},
      {"1 000+1", {{"blank-in-operand", 0, 5}}},
      {"1+2 3", {{"blank-in-operand", 2, 5}}},
      {"2 * 3 + 4 & \"a\" & \"b\"", {}},
      {Nested(201, "1+1"),
       {{"nesting-limit", 200, 205}, {"text-as-zero", 200, 202}, {"number-prefix", 203, 205}}},
      {Repeat("[big]", 9), {{"length-limit", -1, -1}}},
      {"len([huge])", {{"length-limit", 4, 10}}},  // an input too long: the reference
      {QuoteDoubling(64), {{"unclosed-quote", 64, 65}, {"quoting-limit", -1, -1}}},
  };
  return cases;
}

TEST(Findings, EachCodeWithItsRange) {
  const formel_test::OwnedEvaluator ev = formel_test::MakeEvaluator();
  ASSERT_EQ(formel_register_standard_functions(ev.get()), 1);
  formel_set_var(ev.get(), "x", "5");
  formel_set_var(ev.get(), "s", "abc");
  const std::string big(formel::kMaxTextLength / 8, 'v');
  formel_set_var(ev.get(), "big", big.c_str());
  const std::string huge(formel::kMaxTextLength + 1, 'h');
  formel_set_var(ev.get(), "huge", huge.c_str());
  ASSERT_TRUE(formel_test::RegisterClosure(ev.get(), "echo", "echo"));
  for (const auto& [name, value] : {std::pair{"phone", "555-1234"}, {"quoted", "\"hi\""},
                                    {"one", "1"}, {"minus", "-1"}, {"neg", "-2"},
                                    {"date", "2024"}, {"name", "Ann "}}) {
    formel_set_var(ev.get(), name, value);
  }
  for (const Case& c : Cases()) {
    EXPECT_EQ(FindingsOf(ev.get(), c.formula), c.findings) << c.formula.substr(0, 80);
  }
}

struct Event {
  int kind;
  std::string before;
  std::ptrdiff_t start;
  std::ptrdiff_t end;
};

void CollectAll(void* user, const formel_event* e) {
  if (e->kind == FORMEL_EVENT_STAGE) return;
  static_cast<std::vector<Event>*>(user)->push_back(
      {e->kind, {e->before.data, e->before.size}, e->start, e->end});
}

// A call's event and its finding give the same range, from the name to the
// ")", and the call as written there.
TEST(Findings, CallEventAndFindingAgree) {
  const formel_test::OwnedEvaluator ev = formel_test::MakeEvaluator();
  std::vector<Event> events;
  formel_set_observer(ev.get(), &CollectAll, &events);
  formel_evaluate(ev.get(), "2&sin (1)");
  ASSERT_EQ(events.size(), 2u);
  for (const Event& e : events) {
    EXPECT_EQ(e.before, "sin (1)");
    EXPECT_EQ(e.start, 2);
    EXPECT_EQ(e.end, 9);
  }
  EXPECT_EQ(events[0].kind, FORMEL_EVENT_FINDING);
  EXPECT_EQ(events[1].kind, FORMEL_EVENT_GROUP);
}

// Shared cases that show the language as the README's tour means it. (A
// "-" taken into a power or a "\\" quotient is a finding: see the table.)
const char* const kIntended[] = {
    "worked example: a call, a variable, two passes",
    "hexadecimal result",
    "hexadecimal upper-case digits",
    "32-bit wrap-around, signed",
    "binary",
    "octal",
    "decimals not re-formatted",
    "leading zeros kept",
    "double minus folds and the plus is dropped",
    "a word",
    "quoted text loses its quotes",
    "doubled quote inside a literal",
    "plus inside a literal is left alone",
    "product before sum",
    "division before multiplication",
    "backslash before multiplication",
    "power groups from the left",
    "a blank keeps the minus apart",
    "subtraction from the left",
    "sums are completed (the plus pass resumes at its plus)",
    "compensating plus from the product pass",
    "unsigned exponent read whole",
    "one third",
    "hexadecimal operand",
    "concatenation of two quoted literals",
    "concatenation that is a number form stays bare",
    "ampersand of numbers",
    "ampersand of text and number",
    "less as numbers",
    "less as texts",
    "equality is always textual",
    "inequality compares numbers",
    "reversed greater-or-equal",
    "double minus between numbers is a sum",
    "variable times two",
    "references inside groups and arguments",
    "group first",
    "nested group",
    "nested call first",
    "comma inside a literal does not split",
};

TEST(Findings, NoneWhereTheLanguageWorksAsIntended) {
  const auto cases = formel_test::ReadFormulaCases(FORMEL_CASES_FILE);
  for (const std::string name : kIntended) {
    const auto c =
        std::find_if(cases.begin(), cases.end(), [&](const auto& x) { return x.name == name; });
    ASSERT_NE(c, cases.end()) << "no case named " << name;
    const formel_test::OwnedEvaluator ev = formel_test::MakeEvaluator();
    for (const auto& [var, value] : c->vars) formel_set_var(ev.get(), var.c_str(), value.c_str());
    for (const auto& [func, impl] : c->funcs) {
      ASSERT_TRUE(formel_test::RegisterClosure(ev.get(), func, impl));
    }
    EXPECT_EQ(FindingsOf(ev.get(), c->formula), std::vector<Finding>{})
        << name << ": " << c->formula;
  }
}

}  // namespace
