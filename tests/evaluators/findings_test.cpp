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

// With the standard functions, x = 5, s = abc and big = a text of an
// eighth of the length limit.
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
      {"-8^0.5", {{"invalid-operation", 0, 6}}},
      {Nested(201, "1+1"),
       {{"nesting-limit", 200, 205}, {"text-as-zero", 200, 202}, {"number-prefix", 203, 205}}},
      {Repeat("[big]", 9), {{"length-limit", -1, -1}}},
      {QuoteDoubling(64), {{"quoting-limit", -1, -1}}},
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
  for (const Case& c : Cases()) {
    EXPECT_EQ(FindingsOf(ev.get(), c.formula), c.findings) << c.formula.substr(0, 80);
  }
}

// Shared cases that show the language as the README's tour means it.
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
    "backslash rounds down",
    "power groups from the left",
    "minus taken into the power operand",
    "minus after a number taken into the power operand",
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
