#include "support/corpus_generator.h"

#include <array>

namespace formel_test {

namespace {

// splitmix64: small, and the same everywhere (unlike the standard
// distributions).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <class T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) { return items[static_cast<std::size_t>(Below(N))]; }

 private:
  std::uint64_t state_;
};

constexpr std::array<const char*, 16> kOperators = {
    "^", "/", "\\", "*", "+", "-", "&", "<>", "><", "<=", "=<", ">=", "=>", "<", ">", "="};

constexpr std::array<const char*, 22> kNumbers = {
    "0", "1", "2", "7", "10", "42", "255", "0.5", ".5", "3.", "12.5", "1.50", "007", "1e5", "2E3",
    "1e40", "99999999", "0.000001", "1.2.3", "16777217", "3.14159", "100000"};

constexpr std::array<const char*, 16> kBaseLiterals = {
    "1Fh", "FFh", "ffh", "FFFFFFFFh", "1FFFFFFFFh", "10b", "101B", "17o", "19o", "h", "B", "o",
    "1.5h", "each", "7FFFFFFFh", "80000000h"};

constexpr std::array<const char*, 14> kWords = {
    "abc", "x1", "inf", "nan", "Word", "zz", "e", "a.b", "NaN", "-", "+", ",", "ABCh", "bob"};

constexpr std::array<const char*, 18> kLiteralInsides = {
    "", "abc", "12", "-3", "a+b", "x&y", "1,2", "(", ")", "[x]", "a\"\"b", "\"\"", " pad ",
    "1<2", "Hello, world", "1.50", "ffh", "--"};

constexpr std::array<const char*, 14> kVariableRefs = {
    "[x]", "[X]", "[ x ]", "[n]", "[w]", "[q]", "[s]", "[e]", "[h]", "[f]", "[big]", "[expr]",
    "[quote]", "[missing]"};

constexpr std::array<const char*, 7> kSignRuns = {"-", "--", "+-", "-+", "---", "- -", "+"};

struct Call {
  const char* name;
  int args;
};
constexpr std::array<Call, 17> kCalls = {{{"show0", 0}, {"show1", 1}, {"show2", 2}, {"show3", 3},
                                          {"show10", 10}, {"max", 2}, {"echo", 1}, {"concat", 2},
                                          {"num", 0}, {"word", 0}, {"quoted", 0}, {"null0", 0},
                                          {"null1", 1}, {"zero2", 2}, {"MAX", 2}, {"nosuch", 1},
                                          {"show2", 3}}};

class FormulaWriter {
 public:
  explicit FormulaWriter(Random& r) : r_(r) {}

  std::string Expression(int depth) {
    std::string s = Operand(depth);
    const int more = r_.Below(5);
    for (int i = 0; i < more; ++i) s += Blanks() + Operator() + Blanks() + Operand(depth);
    return s;
  }

  std::string Noisy(int depth) {
    std::string s = Expression(depth);
    if (r_.Chance(10)) {
      constexpr std::array<const char*, 8> kStray = {"(", ")", "[", "]", "\"", ",", "((", "\t"};
      const auto at = static_cast<std::size_t>(r_.Below(static_cast<int>(s.size()) + 1));
      s.insert(at, r_.Pick(kStray));
    }
    if (r_.Chance(5)) s = " " + s + "  ";
    return s;
  }

 private:
  std::string Blanks() { return r_.Chance(15) ? (r_.Chance(50) ? " " : "  ") : ""; }

  std::string Operator() {
    if (r_.Chance(8)) return std::string(kOperators[static_cast<std::size_t>(r_.Below(7))]) + r_.Pick(kSignRuns);
    // Comparisons end most formulas in "1" or "0": keep them rarer.
    return kOperators[static_cast<std::size_t>(r_.Chance(75) ? r_.Below(7) : r_.Below(16))];
  }

  std::string Quoted() { return std::string("\"") + r_.Pick(kLiteralInsides) + "\""; }

  std::string Operand(int depth) {
    std::string sign = r_.Chance(12) ? r_.Pick(kSignRuns) : "";
    switch (r_.Below(depth > 0 ? 9 : 6)) {
      case 0: case 1: return sign + r_.Pick(kNumbers);
      case 2: return sign + r_.Pick(kBaseLiterals);
      case 3: return sign + (r_.Chance(50) ? Quoted() : r_.Pick(kWords));
      case 4: case 5: return sign + r_.Pick(kVariableRefs);
      case 6: return sign + "(" + Expression(depth - 1) + ")";
      case 7: return sign + CallText(depth - 1);
      default: return sign + ReentrantCall(depth - 1);
    }
  }

  std::string CallText(int depth) {
    const Call& c = r_.Pick(kCalls);
    std::string s = std::string(c.name) + (r_.Chance(10) ? " (" : "(");
    for (int i = 0; i < c.args; ++i) s.append(i == 0 ? "" : ",").append(Expression(depth));
    return s + ")";
  }

  // A host function that evaluates its argument as a formula again.
  std::string ReentrantCall(int depth) {
    std::string inner = Expression(depth);
    std::string quoted = "\"";
    for (const char c : inner) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return "formel(" + quoted + "\")";
  }

  Random& r_;
};

std::string Chain(Random& r, int terms, const std::string& op, bool quotedTerms) {
  std::string s;
  for (int i = 0; i < terms; ++i) {
    if (i > 0) s += op;
    if (quotedTerms) {
      s += std::string("\"") + r.Pick(kLiteralInsides) + "\"";
    } else {
      s += r.Pick(kNumbers);
    }
  }
  return s;
}

std::string Nested(int depth, const std::string& core) {
  std::string s = core;
  for (int i = 0; i < depth; ++i) s = "(" + s + "+1)";
  return s;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> GeneratedVariables() {
  return {{"x", "5"},         {"n", "-7"},          {"w", "word"},     {"q", "\"quoted\""},
          {"s", " padded "},  {"e", ""},            {"h", "1Fh"},      {"f", "2.5"},
          {"big", "1e30"},    {"expr", "1+2"},      {"quote", "a\"b"}};
}

std::vector<std::pair<std::string, std::string>> GeneratedFunctions() {
  return {{"show0", "show0"},   {"show1", "show1"},   {"show2", "show2"}, {"show3", "show3"},
          {"show10", "show10"}, {"max", "max"},       {"echo", "echo"},   {"concat", "concat"},
          {"num", "num"},       {"word", "word"},     {"quoted", "quoted"}, {"null0", "null0"},
          {"null1", "null1"},   {"formel", "formel"}, {"zero2", "zero2"}};
}

std::vector<std::string> GenerateFormulas(std::uint64_t seed, int count) {
  Random r(seed);
  FormulaWriter writer(r);
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) out.push_back(writer.Noisy(r.Below(3)));
  return out;
}

std::vector<std::string> GenerateLongFormulas(std::uint64_t seed) {
  Random r(seed);
  FormulaWriter writer(r);
  std::vector<std::string> out;
  for (const int terms : {50, 500, 3000}) {
    for (const char* op : kOperators) out.push_back(Chain(r, terms, op, false));
    out.push_back(Chain(r, terms, "&", true));
    out.push_back(Chain(r, terms, "+", true));
    out.push_back(Chain(r, terms, "=", true));
    out.push_back(Chain(r, terms, "-", true));
    std::string mixed;
    for (int i = 0; i < terms / 5; ++i) mixed.append(i == 0 ? "" : "+").append(writer.Expression(1));
    out.push_back(mixed);
    std::string signs;
    for (int i = 0; i < terms; ++i) signs += std::string(r.Pick(kNumbers)) + r.Pick(kSignRuns);
    out.push_back(signs + "1");
  }
  for (const int depth : {50, 199, 200, 201, 260}) {
    out.push_back(Nested(depth, "1"));
    out.push_back(Nested(depth, "\"a\"&[w]"));
  }
  return out;
}

}  // namespace formel_test
